// The page target: beside prog.wasm, prog.html (the page), prog.js (the
// module in base64, so that the page also works opened from a file, where
// a browser fetches nothing) and velmora_page.js, the script every page of
// the folder shares (the WASI layer and the page's code, bundled when velc
// was built).
#include "driver/web_page.hpp"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>

#include "driver/module_debug_file.hpp"
#include "driver/page_files.hpp"

namespace {

const char *const pageScript = "velmora_page.js";
const char *const pageTemplate = "page.html";

bool writeFile(const std::string &path, const std::string &contents) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << contents;
    file.close();
    if (!file) {
        std::printf("Cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool isFile(const std::string &path) {
    std::ifstream file(path);
    return static_cast<bool>(file);
}

std::string base64(const std::string &bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                         static_cast<unsigned char>(bytes[i + 2]);
        out += digits[value >> 18 & 63];
        out += digits[value >> 12 & 63];
        out += digits[value >> 6 & 63];
        out += digits[value & 63];
    }
    if (i < bytes.size()) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += digits[value >> 18 & 63];
        out += digits[value >> 12 & 63];
        out += i + 1 < bytes.size() ? digits[value >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

// A text as a JavaScript string literal (and safe inside an HTML page).
std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '<')
            out += "\\x3c";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += "\\x" + std::string(1, "0123456789abcdef"[c >> 4 & 15]) + "0123456789abcdef"[c & 15];
        else
            out += c;
    }
    return out + "\"";
}

std::string htmlEscaped(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string replaceAll(std::string text, const std::string &from, const std::string &to) {
    for (std::string::size_type at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string fileNameOf(const std::string &path) {
    std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string directoryOf(const std::string &path) {
    std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Whether a source has an input statement: a line whose first word, or a
// word after a "?" of a one-line form, is input. Comments and texts do not
// count; a page without input shows no input box.
bool readsInput(const std::string &source) {
    static const std::regex statement(R"((^|\?)[ \t]*input\b)", std::regex::multiline);
    std::string code;
    bool inText = false;
    for (std::size_t i = 0; i < source.size(); i++) {
        char c = source[i];
        if (!inText && c == '#') {
            while (i < source.size() && source[i] != '\n')
                i++;
            code += '\n';
            continue;
        }
        if (c == '"')
            inText = !inText;
        if (c == '\n')
            inText = false;
        code += inText ? ' ' : c;
    }
    return std::regex_search(code, statement);
}

// The script that hands the page the module's line tables after a failure
// (a page opened from a file may load a script but fetch nothing): the
// debug file the module names, in base64. True when it was written; a
// module without one leaves no script.
bool writeDebugScript(const std::string &module, const std::string &directory, const std::string &path) {
    std::string tables;
    std::optional<std::string> name = externalDebugFileName(module);
    if (!name || name->find_first_of("/\\") != std::string::npos || !readPageFile(directory + *name, tables)) {
        std::remove(path.c_str());
        return false;
    }
    return writeFile(path, "// " + *name + ", written by velc --html\nvelmoraDebugFile(" + quoted(*name) + ", \"" +
                               base64(tables) + "\");\n");
}

// The page's folder as prog.js hands it over: each file's name and bytes
// in base64.
std::string folderArgument(const std::vector<PageFile> &files) {
    std::string list;
    for (const PageFile &file : files)
        list += std::string(list.empty() ? "" : ",\n    ") + "{ name: " + quoted(file.name) + ", data: \"" +
                base64(file.bytes) + "\" }";
    return "[" + list + "]";
}

}  // namespace

std::string webDirectory(const std::string &executableDirectory) {
    for (const char *candidate : {"web/", "../lib/velmora/web/"}) {
        std::string directory = executableDirectory + candidate;
        if (isFile(directory + pageScript))
            return directory;
    }
    return "";
}

bool writeWebPage(const std::string &target, const std::vector<std::string> &sources,
                  const std::vector<std::string> &namedFiles, const std::string &executableDirectory) {
    std::string web = webDirectory(executableDirectory);
    std::string script, page, module;
    if (web.empty() || !readPageFile(web + pageScript, script) || !readPageFile(web + pageTemplate, page)) {
        std::printf("The page's script %s is not installed beside velc: the page was not written\n", pageScript);
        return false;
    }
    if (!readPageFile(target, module)) {
        std::printf("Cannot read %s\n", target.c_str());
        return false;
    }
    std::vector<PageFile> files;
    if (!pageFiles(sources, directoryOf(target), namedFiles, files))
        return false;
    bool input = false;
    for (const std::string &name : sources) {
        std::string source;
        input = input || (readPageFile(name, source) && readsInput(source));
    }
    std::string stem = target.substr(0, target.size() - std::string(".wasm").size());
    std::string programScript = fileNameOf(stem) + ".js";
    std::string moduleName = fileNameOf(target);
    std::string debugScript = fileNameOf(stem) + ".debug.js";
    bool tables = writeDebugScript(module, directoryOf(target), directoryOf(target) + debugScript);
    std::string call = "velmoraPage({ name: " + quoted(moduleName) + ", readsInput: " + (input ? "true" : "false") +
                       (tables ? ", debug: " + quoted(debugScript) : "") + ",\n  files: " + folderArgument(files) +
                       ",\n  module: \"" + base64(module) + "\" });\n";
    page = replaceAll(page, "@PROGRAM@", htmlEscaped(fileNameOf(stem)));
    page = replaceAll(page, "@SCRIPT@", htmlEscaped(programScript));
    return writeFile(stem + ".js", "// " + moduleName + ", written by velc --html\n" + call) &&
           writeFile(stem + ".html", page) && writeFile(directoryOf(target) + pageScript, script);
}
