#include "driver/editor_index.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "diagnostics/diagnostics.hpp"
#include "driver/index_document.hpp"
#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/source_texts.hpp"
#include "driver/toolchain.hpp"

using nlohmann::json;

namespace {

// What the translation prints while it runs goes to files, which become
// the document's diagnostics.
struct CapturedConsole {
    std::FILE *output = nullptr;
    std::FILE *errors = nullptr;
    int savedOutput = -1;
    int savedError = -1;

    void begin() {
        std::fflush(stdout);
        std::fflush(stderr);
        output = std::tmpfile();
        errors = std::tmpfile();
        if (!output || !errors)
            return;
        savedOutput = dup(STDOUT_FILENO);
        savedError = dup(STDERR_FILENO);
        dup2(fileno(output), STDOUT_FILENO);
        dup2(fileno(errors), STDERR_FILENO);
    }
    static std::string textOf(std::FILE *file) {
        std::string text;
        if (!file)
            return text;
        std::rewind(file);
        char buffer[8192];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, got);
        return text;
    }
    // Gives the console back; what was printed, standard output first.
    std::pair<std::string, std::string> end() {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stdout);
        std::fflush(stderr);
        if (savedOutput >= 0) {
            dup2(savedOutput, STDOUT_FILENO);
            dup2(savedError, STDERR_FILENO);
            close(savedOutput);
            close(savedError);
            savedOutput = savedError = -1;
        }
        return {textOf(output), textOf(errors)};
    }
};

CapturedConsole console;
SymbolIndex runIndex;
std::vector<Diagnostic> checkedDiagnostics;
bool documentPrinted = false;

const std::string *textOfSource(const std::string &file) {
    for (std::size_t i = 0; i < runIndex.sources.size(); i++)
        if (runIndex.sources[i] == file)
            return &runIndex.sourceTexts[i];
    return nullptr;
}

std::string sourceLine(const std::string &file, int line) {
    const std::string *text = textOfSource(file);
    if (!text)
        return "";
    std::istringstream lines(*text);
    std::string found;
    for (int l = 0; l < line && std::getline(lines, found); l++) {
    }
    return found;
}

// The columns a message covers: the name it quotes when the line holds it,
// else the line's text from its first non-blank.
void placeOnLine(json &diagnostic, const std::string &file, int line, const std::string &message) {
    std::string text = sourceLine(file, line);
    std::size_t open = message.find('"');
    std::size_t close = open == std::string::npos ? open : message.find('"', open + 1);
    if (close != std::string::npos && close > open + 1) {
        std::string name = message.substr(open + 1, close - open - 1);
        std::size_t at = text.find(name);
        if (at != std::string::npos) {
            diagnostic["column"] = at + 1;
            diagnostic["endColumn"] = at + 1 + name.size();
            return;
        }
    }
    std::size_t first = text.find_first_not_of(" \t");
    std::size_t last = text.find_last_not_of(" \t\r");
    diagnostic["column"] = first == std::string::npos ? 1 : first + 1;
    diagnostic["endColumn"] = last == std::string::npos ? 2 : last + 2;
}

// A source the scan could not read ends the run with a line naming it
// ("lib.vel not found. Compilation aborted."): the message stands on the
// include line that names it, found by following the include lines from
// the main source as the scan did, the editor's unsaved texts included.
bool placeOnIncludeLine(json &diagnostic, const std::string &message, const std::string &mainSource) {
    static const std::regex unreadable(
        R"(^(.+?) (not found|is a folder, not a source file|is not a regular file|cannot be read: .*)\. Compilation aborted\.$)");
    static const std::regex includeLine(R"(^([ \t]*include[ \t]+["']?)([^"'\t\r]+?\.vel)\b)", std::regex::icase);
    std::smatch m;
    if (!std::regex_match(message, m, unreadable))
        return false;
    const std::string missing = m[1].str();
    const std::string folder = mainSource.find('/') == std::string::npos ? "" : mainSource.substr(0, mainSource.rfind('/') + 1);
    std::vector<std::string> toRead{mainSource};
    std::set<std::string> seen{mainSource};
    for (std::size_t next = 0; next < toRead.size() && next < 500; next++) {
        std::unique_ptr<std::istream> text = openSource(toRead[next]);
        if (!text)
            continue;
        int number = 0;
        for (std::string line; std::getline(*text, line);) {
            number++;
            std::smatch found;
            if (!std::regex_search(line, found, includeLine))
                continue;
            const std::string name = found[2].str();
            if (missing == name || missing == folder + name ||
                (missing.size() > name.size() && missing.compare(missing.size() - name.size() - 1, std::string::npos, "/" + name) == 0)) {
                diagnostic["file"] = toRead[next];
                diagnostic["line"] = number;
                diagnostic["column"] = found[1].length() + 1;
                diagnostic["endColumn"] = found[1].length() + 1 + name.size();
                return true;
            }
            if (seen.insert(folder + name).second)
                toRead.push_back(folder + name);
        }
    }
    return false;
}

int codeOfMessage(const std::string &message) {
    for (int code = 1; code <= 90; code++) {
        const char *text = catalogueText(code);
        if (*text && code != 53 && (code < 53 || code > 89) && message.find(text) != std::string::npos)
            return code;
    }
    return 0;
}

json diagnosticOf(const Diagnostic &message) {
    json diagnostic = {{"file", message.file}, {"line", message.line}, {"message", message.message},
                       {"code", message.code}, {"severity", message.counted() ? "error" : "warning"}};
    if (!message.hint.empty())
        diagnostic["hint"] = message.hint;
    if (message.column > 0) {
        diagnostic["column"] = message.column;
        diagnostic["endColumn"] = std::max(message.endColumn, message.column) + 1;
    } else {
        placeOnLine(diagnostic, message.file, message.line, message.message);
    }
    return diagnostic;
}

// A message about the end of a source whose last line has no line feed
// (as a line being typed has not) names the line after it, which the
// editor does not have: it stands on the last line that holds anything.
void keepWithinSource(json &diagnostic) {
    if (!diagnostic["file"].is_string() || !diagnostic["line"].is_number_integer())
        return;
    // The text as the editor holds it: the translation's copy ends with a line feed.
    std::unique_ptr<std::istream> source = openSource(diagnostic["file"].get<std::string>());
    if (!source)
        return;
    std::string text((std::istreambuf_iterator<char>(*source)), std::istreambuf_iterator<char>());
    int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (diagnostic["line"].get<int>() <= lines)
        return;
    int last = lines;
    while (last > 1 && sourceLine(diagnostic["file"], last).find_first_not_of(" \t\r") == std::string::npos)
        last--;
    diagnostic["line"] = last;
    placeOnLine(diagnostic, diagnostic["file"], last, diagnostic["message"].get<std::string>());
}

// The translations' messages, then whatever else the run printed: the
// numbered lines ("prog.vel L3: ...") and the parser's ("prog.vel:3:7: ...")
// at their places, any other line at the start of the main source.
json diagnosticsOf(const std::string &printed, const std::string &parserPrinted, const std::string &mainSource) {
    json diagnostics = json::array();
    for (const Diagnostic &message : checkedDiagnostics)
        diagnostics.push_back(diagnosticOf(message));
    static const std::regex numbered(R"(^(.*) L(\d+): (.*)$)");
    static const std::regex parser(R"(^(.*):(\d+):(\d+): (.*)$)");
    static const std::regex summary(R"(^.*, compiled -?\d+ lines.*$)");
    std::istringstream lines(printed + parserPrinted);
    std::smatch m;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || std::regex_match(line, summary))
            continue;
        json diagnostic;
        if (std::regex_match(line, m, parser)) {
            diagnostic = {{"file", m[1].str()}, {"line", std::stoi(m[2].str())}, {"message", m[4].str()}, {"code", 1}};
            int column = std::stoi(m[3].str());
            diagnostic["column"] = column;
            diagnostic["endColumn"] = column + 1;
        } else if (std::regex_match(line, m, numbered)) {
            diagnostic = {{"file", m[1].str()}, {"line", std::stoi(m[2].str())}, {"message", m[3].str()}};
            diagnostic["code"] = codeOfMessage(m[3].str());
            placeOnLine(diagnostic, m[1].str(), diagnostic["line"], m[3].str());
        } else {
            diagnostic = {{"file", mainSource}, {"line", 1}, {"column", 1}, {"endColumn", 2}, {"message", line}, {"code", 0}};
            placeOnIncludeLine(diagnostic, line, mainSource);
        }
        diagnostics.push_back(diagnostic);
    }
    for (json &diagnostic : diagnostics)
        keepWithinSource(diagnostic);
    return diagnostics;
}

// Printed once, also when the run ends early (a source that cannot be
// found ends the process).
void printDocument() {
    if (documentPrinted)
        return;
    documentPrinted = true;
    auto [printed, parserPrinted] = console.end();
    // The run's classes and functions are read through a source's state.
    SourceSemantics reader(project.tables);
    SourceInProgress active(reader);
    json document = indexDocument(runIndex);
    document["diagnostics"] = diagnosticsOf(printed, parserPrinted, driverSettings.mainSourceName);
    document["builtins"] = builtinsDocument();
    std::string text = document.dump(-1, ' ', false, json::error_handler_t::replace);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void readUnsavedTexts() {
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    json texts = json::parse(input, nullptr, false);
    if (!texts.is_object())
        throw std::runtime_error("--stdin wants a JSON object of source texts by path");
    for (auto &[path, text] : texts.items())
        if (text.is_string())
            holdUnsavedText(path, text.get<std::string>());
}

}  // namespace

void keepCheckedDiagnostics(const std::vector<Diagnostic> &diagnostics) {
    checkedDiagnostics.insert(checkedDiagnostics.end(), diagnostics.begin(), diagnostics.end());
}

bool asksForIndex(int argc, char **argv) {
    return argc >= 2 && std::strcmp(argv[1], "--index") == 0;
}

int runEditorIndex(int argc, char **argv) {
    DriverSettings &settings = driverSettings;
    int at = 2;
    if (at < argc && std::strcmp(argv[at], "--stdin") == 0) {
        readUnsavedTexts();
        at++;
    }
    if (at + 1 != argc) {
        std::fputs("Usage:  velc --index [--stdin] file\n", stderr);
        return 2;
    }
    settings.checkOnly = settings.quiet = settings.rebuildAll = settings.cppOnly = true;
    project.tables.index = &runIndex;
    console.begin();
    std::atexit(printDocument);
    settings.mainSourceName = describeSource(argv[at], true).path;
    readConfiguration(settings.configPath);
    scanSource(settings.mainSourceName, true);
    markRelatedSourcesPending();
    compileAll();
    printDocument();
    return 0;
}
