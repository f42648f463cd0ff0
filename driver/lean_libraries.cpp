#include "driver/lean_libraries.hpp"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/library_lines.hpp"
#include "driver/shell_quote.hpp"
#include "driver/tool_files.hpp"
#include "driver/toolchain.hpp"
#include "driver/whole_files.hpp"
#include "translator/frame.hpp"

namespace {

const char *const stampHeading = "velc lean libraries 1";
const char *const stampName = "stamp";

// What decides which libraries a link takes, besides the libraries.
std::vector<std::string> linkDescription() {
    return {"linker\t" + toolchainSettings.linker, "loptions\t" + toolchainSettings.loptions};
}

std::string stampPathIn(const std::string &folder) { return folder + "/" + stampName; }

std::string baseName(const std::string &path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A word of a command line as emcc prints it: quoted with ' or ", or bare.
std::vector<std::string> printedWords(const std::string &line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : line) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// An object with nothing in it: the module header and a "linking" section.
const std::string emptyObject("\0asm\x01\0\0\0\0\x09\x07linking\x02", 19);

// The output of the configured link of an empty object, with emcc printing
// the commands it starts. The link itself fails (there is no main): emcc
// prints the linker's command before it runs it.
std::string printedLink(std::string &problem) {
    char work[] = "/tmp/velc-libraries-XXXXXX";
    if (!mkdtemp(work)) {
        problem = "cannot make a working directory";
        return "";
    }
    std::string object = std::string(work) + "/empty.o";
    std::ofstream(object, std::ios::binary) << emptyObject;
    std::string command = "cd " + shellQuote(work) + " && EMCC_VERBOSE=1 VELC_EMREPLAY_STANDBY=0 " +
                          toolchainSettings.linker + " " + toolchainSettings.loptions + " -o probe.wasm empty.o 2>&1";
    std::fflush(stdout);
    std::string output;
    if (std::FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        pclose(pipe);
    }
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    return output;
}

std::string linkLine(const std::string &output) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> words = printedWords(line);
        if (!words.empty() && baseName(words[0]).compare(0, 7, "wasm-ld") == 0)
            return line;
    }
    return "";
}

bool writeCopy(const std::string &original, const std::string &copy) {
    std::string bytes;
    if (!readWholeFile(original, bytes))
        return false;
    std::optional<std::string> lean = withoutLineTables(bytes);
    if (!lean)
        return false;
    std::string part = partialOutputName(copy);
    std::FILE *file = std::fopen(part.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(lean->data(), 1, lean->size(), file) == lean->size();
    if (std::fclose(file) != 0 || !written || std::rename(part.c_str(), copy.c_str()) != 0) {
        std::remove(part.c_str());
        return false;
    }
    return true;
}

OptionPerPrologue libraryFolderOption;

}  // namespace

std::string leanLibraryFolderFor(const std::string &pchPath) { return pchPath + ".libraries"; }

std::vector<std::string> linkedLibraries(const std::string &linkCommand) {
    std::vector<std::string> words = printedWords(linkCommand);
    std::vector<std::string> folders, names, libraries;
    for (std::size_t i = 1; i < words.size(); i++) {
        bool joined = words[i].size() > 2;
        if (words[i].compare(0, 2, "-L") == 0)
            folders.push_back(joined ? words[i].substr(2) : i + 1 < words.size() ? words[++i] : "");
        else if (words[i].compare(0, 2, "-l") == 0)
            names.push_back(joined ? words[i].substr(2) : i + 1 < words.size() ? words[++i] : "");
    }
    for (const std::string &name : names)
        for (const std::string &folder : folders) {
            std::string candidate = folder + "/lib" + name + ".a";
            if (!folder.empty() && access(candidate.c_str(), R_OK) == 0) {
                libraries.push_back(candidate);
                break;
            }
        }
    return libraries;
}

std::string leanLibraryMismatch() {
    const std::string &pch = toolchainSettings.pch;
    if (pch.empty() || pch[0] != '/')
        return "no precompiled prologue with an absolute path is configured";
    std::string folder = leanLibraryFolderFor(pch);
    std::ifstream stamp(stampPathIn(folder));
    std::string line;
    if (!stamp || !std::getline(stamp, line) || line != stampHeading)
        return "no stamp in " + folder;
    for (const std::string &expected : linkDescription())
        if (!std::getline(stamp, line) || line != expected)
            return "made for another linker or other options (" + expected + ")";
    bool any = false;
    while (std::getline(stamp, line)) {
        std::string::size_type first = line.find('\t');
        std::string::size_type second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos || line.compare(0, first, "library") != 0)
            return "the stamp is damaged";
        std::string original = line.substr(second + 1);
        if (line.substr(first + 1, second - first - 1) != toolFileSignature(original))
            return original + " changed since it was copied";
        any = true;
    }
    return any ? "" : "the stamp names no library";
}

std::string leanLibraryOption() {
    return libraryFolderOption.get([](const std::string &pch) {
        return leanLibraryMismatch().empty() ? "-L" + shellQuote(leanLibraryFolderFor(pch)) + " "
                                             : std::string();
    });
}

std::string buildLeanLibraries() {
    const std::string &pch = toolchainSettings.pch;
    if (pch.empty() || pch[0] != '/')
        return "the configuration names no precompiled prologue with an absolute path (key pch)";
    std::string folder = leanLibraryFolderFor(pch);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    std::string stampPath = stampPathIn(folder);
    std::remove(stampPath.c_str());
    std::string problem;
    std::string output = printedLink(problem);
    if (!problem.empty())
        return problem;
    std::vector<std::string> libraries = linkedLibraries(linkLine(output));
    if (libraries.empty())
        return "the linker named no library of its own";
    std::string stamp = std::string(stampHeading) + "\n";
    for (const std::string &line : linkDescription())
        stamp += line + "\n";
    for (const std::string &original : libraries) {
        // The signature before the copy: a library replaced meanwhile no
        // longer matches, and the links take the original.
        std::string signature = toolFileSignature(original);
        if (!writeCopy(original, folder + "/" + baseName(original)))
            return "cannot copy " + original + " without its line tables";
        stamp += "library\t" + signature + "\t" + original + "\n";
    }
    std::string part = partialOutputName(stampPath);
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    file << stamp;
    if (!file.flush())
        return "cannot write " + stampPath;
    file.close();
    if (std::rename(part.c_str(), stampPath.c_str()) != 0)
        return "cannot put " + stampPath + " in place";
    return "";
}
