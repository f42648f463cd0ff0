#include "driver/precompiled_prologue.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/shell_quote.hpp"
#include "driver/tool_files.hpp"
#include "driver/toolchain.hpp"
#include "driver/whole_files.hpp"
#include "translator/frame.hpp"

namespace {

const char *const stampHeading = "velc precompiled prologue 1";

// Variables through which a compiler reads options or include directories
// that the command line does not show.
const char *const compilerEnvironment[] = {"EMCC_CFLAGS", "CPATH", "CPLUS_INCLUDE_PATH",
                                           "C_INCLUDE_PATH"};

// Everything about the run, apart from the files read, that decides what
// the compiler makes of the prologue.
std::vector<std::string> buildDescription() {
    std::vector<std::string> lines = {"compiler\t" + toolchainSettings.compiler,
                                      "options\t" + toolchainSettings.options};
    for (const char *name : compilerEnvironment) {
        const char *value = std::getenv(name);
        lines.push_back(std::string("env\t") + name + (value ? "=" + std::string(value) : " unset"));
    }
    for (const std::string &program : commandPrograms(toolchainSettings.compiler))
        lines.push_back("tool\t" + toolFileSignature(program) + "\t" + program);
    return lines;
}

// Include directories named relative to where the compiler runs: in the
// user's directory they may hold a file that the compiler would read in
// place of one the precompiled file was made from.
std::vector<std::string> relativeIncludeDirectories() {
    std::vector<std::string> options = settingWords(toolchainSettings.options);
    std::vector<std::string> directories;
    for (std::size_t i = 0; i < options.size(); i++) {
        std::string directory;
        if (options[i] == "-I" && i + 1 < options.size())
            directory = options[++i];
        else if (options[i].compare(0, 2, "-I") == 0)
            directory = options[i].substr(2);
        if (!directory.empty() && directory[0] != '/')
            directories.push_back(directory);
    }
    return directories;
}

// The names an include line could have used for a file: its last one and
// last two path components.
std::vector<std::string> includeSpellings(const std::string &path) {
    std::vector<std::string> spellings;
    std::string::size_type last = path.rfind('/');
    if (last == std::string::npos)
        return {path};
    spellings.push_back(path.substr(last + 1));
    std::string::size_type before = last == 0 ? std::string::npos : path.rfind('/', last - 1);
    if (before != std::string::npos)
        spellings.push_back(path.substr(before + 1));
    return spellings;
}

// The parent folder of a path, "" for a bare name.
std::string folderOf(const std::string &path) {
    std::string::size_type last = path.rfind('/');
    return last == std::string::npos ? "" : path.substr(0, last);
}

std::string shadowedInput(const std::vector<std::string> &inputs, const std::string &header) {
    for (const std::string &directory : relativeIncludeDirectories())
        for (const std::string &input : inputs) {
            if (input == header)
                continue;   // included by its full name, never searched for
            std::vector<std::string> spellings = includeSpellings(input);
            // libvel's headers, beside the prologue's, include one another by
            // their bare names in quotes, which the compiler looks for beside
            // the including header first: only "velmora/text.hpp" can be
            // found elsewhere, not the text.hpp that a source text.vel in the
            // user's folder gives.
            if (folderOf(input) == folderOf(header) && spellings.size() > 1)
                spellings.erase(spellings.begin());
            for (const std::string &spelling : spellings)
                if (access((directory + "/" + spelling).c_str(), F_OK) == 0)
                    return directory + "/" + spelling + " would be read in place of " + input;
        }
    return "";
}

// Reads the stamp's input lines after checking everything before them.
std::string checkStampHead(std::istream &stamp, const std::string &pch) {
    std::string line;
    if (!std::getline(stamp, line) || line != stampHeading)
        return "the stamp is not one velc wrote";
    for (const std::string &expected : buildDescription()) {
        if (!std::getline(stamp, line) || line != expected)
            return "built with other tools, options or environment (" + expected + ")";
    }
    if (!std::getline(stamp, line) || line != "pch\t" + toolFileSignature(pch))
        return pch + " changed since its stamp was written";
    return "";
}

std::string checkStampInputs(std::istream &stamp, std::vector<std::string> &inputs) {
    for (std::string line; std::getline(stamp, line);) {
        std::string::size_type first = line.find('\t');
        std::string::size_type second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos || line.compare(0, first, "input") != 0)
            return "the stamp is damaged";
        std::string path = line.substr(second + 1);
        if (line.substr(first + 1, second - first - 1) != toolFileSignature(path))
            return path + " changed since the precompiled prologue was built";
        inputs.push_back(path);
    }
    return inputs.empty() ? "the stamp names no input" : "";
}

void writeIfDifferent(const std::string &path, const std::string &text) {
    std::string current;
    if (readWholeFile(path, current) && current == text)
        return;
    std::string part = partialOutputName(path);
    std::ofstream(part, std::ios::binary | std::ios::trunc) << text;
    std::rename(part.c_str(), path.c_str());
}

std::string writeStamp(const std::string &pch, const std::string &built,
                       const std::vector<std::string> &inputs) {
    std::string stamp = prologueStampFor(pch);
    std::string stampPart = partialOutputName(stamp);
    std::ofstream file(stampPart, std::ios::trunc);
    file << stampHeading << "\n";
    for (const std::string &line : buildDescription())
        file << line << "\n";
    file << "pch\t" << toolFileSignature(built) << "\n";
    for (const std::string &input : inputs)
        file << "input\t" << toolFileSignature(input) << "\t" << input << "\n";
    if (!file.flush())
        return "cannot write " + stamp;
    file.close();
    // The precompiled file first: until the new stamp is in place, the old
    // one does not describe it and nothing uses it.
    if (std::rename(built.c_str(), pch.c_str()) != 0 ||
        std::rename(stampPart.c_str(), stamp.c_str()) != 0)
        return "cannot put " + pch + " in place";
    return "";
}

OptionPerPrologue includeOption;

}  // namespace

std::string prologueHeaderFor(const std::string &pchPath) {
    std::string::size_type dot = pchPath.rfind('.');
    std::string::size_type slash = pchPath.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return pchPath + ".hpp";
    return pchPath.substr(0, dot);
}

std::string prologueStampFor(const std::string &pchPath) {
    return pchPath + ".stamp";
}

std::vector<std::string> parseDependencyList(const std::string &text) {
    std::vector<std::string> names;
    std::string::size_type colon = text.find(": ");
    if (colon == std::string::npos)
        return names;
    std::string name;
    for (std::string::size_type i = colon + 2; i < text.size(); i++) {
        char c = text[i];
        bool escaped = c == '\\' && i + 1 < text.size();
        if (escaped && (text[i + 1] == ' ' || text[i + 1] == '#')) {
            name += text[++i];
        } else if (escaped && (text[i + 1] == '\n' || text[i + 1] == '\r')) {
            i++;   // a continued line
        } else if (c == '$' && i + 1 < text.size() && text[i + 1] == '$') {
            name += text[++i];
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!name.empty())
                names.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    if (!name.empty())
        names.push_back(name);
    return names;
}

std::string precompiledPrologueMismatch() {
    const std::string &pch = toolchainSettings.pch;
    if (pch.empty())
        return "no precompiled prologue is configured";
    if (pch[0] != '/')
        return pch + " is not an absolute path";
    std::string header = prologueHeaderFor(pch);
    std::string text;
    if (!readWholeFile(header, text) || text != prologueText())
        return header + " is not the prologue of generated files";
    std::ifstream stamp(prologueStampFor(pch));
    if (!stamp)
        return "no stamp beside " + pch;
    std::string problem = checkStampHead(stamp, pch);
    std::vector<std::string> inputs;
    if (problem.empty())
        problem = checkStampInputs(stamp, inputs);
    if (problem.empty())
        problem = shadowedInput(inputs, header);
    return problem;
}

std::string precompiledPrologueOption() {
    return includeOption.get([](const std::string &pch) {
        return !pch.empty() && precompiledPrologueMismatch().empty()
                   ? "-include " + shellQuote(prologueHeaderFor(pch))
                   : std::string();
    });
}

void forgetPrecompiledPrologue() { includeOption.drop(); }

// Whatever the compile wrote beside its partial output (a launcher such as
// velc_emreplay records its commands in "<output>.emreplay"): the name holds
// this run's process number, so nothing would ever read it again.
static void removeLeftoversOf(const std::string &built) {
    std::filesystem::path partial(built);
    const std::string prefix = partial.filename().string();
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(partial.parent_path(), ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0)
            std::filesystem::remove(entry.path(), ignored);
    }
}

std::string buildPrecompiledPrologue() {
    const std::string pch = toolchainSettings.pch;
    if (pch.empty())
        return "the configuration names no precompiled prologue (key pch)";
    // The compiler runs in a directory of its own.
    if (pch[0] != '/')
        return pch + " is not an absolute path";
    std::remove(prologueStampFor(pch).c_str());
    std::string header = prologueHeaderFor(pch);
    writeIfDifferent(header, prologueText());
    // An empty working directory: relative include directories of the
    // options must find nothing while the prologue is compiled.
    char work[] = "/tmp/velc-prologue-XXXXXX";
    if (!mkdtemp(work))
        return "cannot make a working directory";
    std::string dependencies = std::string(work) + "/prologue.d";
    std::string built = partialOutputName(pch);
    std::string command = "cd " + shellQuote(work) + " && " + toolchainSettings.compiler + " " +
                          toolchainSettings.options + " -x c++-header " + shellQuote(header) +
                          " -o " + shellQuote(built) + " -MD -MF " + shellQuote(dependencies);
    std::fflush(stdout);
    // clang can instantiate the prologue's templates once, here, instead of
    // in every file that includes it; the objects are the same. Compilers
    // without the option refuse it and precompile the plain way.
    int status = std::system((command + " -fpch-instantiate-templates 2>/dev/null").c_str());
    if (status != 0)
        status = std::system(command.c_str());
    std::string dependencyText;
    bool haveDependencies = readWholeFile(dependencies, dependencyText);
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    if (status != 0 || !haveDependencies) {
        removeLeftoversOf(built);
        return "the compiler could not precompile " + header;
    }
    std::vector<std::string> inputs = parseDependencyList(dependencyText);
    for (std::string &input : inputs)
        if (!input.empty() && input[0] != '/')
            input = std::string(work) + "/" + input;   // gone with the directory: never trusted
    std::string failure = writeStamp(pch, built, inputs);
    removeLeftoversOf(built);
    return failure;
}
