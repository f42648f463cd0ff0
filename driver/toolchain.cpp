#include "driver/toolchain.hpp"

#include <fstream>

#include "driver/text_tools.hpp"

ToolchainSettings toolchainSettings;

void applySetting(const std::string &key, const std::string &value) {
    ToolchainSettings &settings = toolchainSettings;
    if (key == "id")
        settings.id = value;
    else if (key == "compiler")
        settings.compiler = value;
    else if (key == "options")
        settings.options = value;
    else if (key == "linker")
        settings.linker = value;
    else if (key == "loptions")
        settings.loptions = value;
    else if (key == "objects")
        settings.objects = value;
    else if (key == "extension")
        settings.extension = value;
    else if (key == "header")
        settings.headers.push_back(value);
    else if (key == "pch")
        settings.pch = value;
    else if (key == "launcher")
        settings.launcher = value;
    else if (key == "folder" && !value.empty())
        settings.folders.push_back(value);
    else if (key == "jobs")
        parseJobCount(value, settings.jobs);
    else if (key == "pieces")
        parseLineCount(value, settings.pieceLines);
    else if (key == "indent")
        parseIndentWidth(value, settings.indentWidth);
    else if (key == "lines" && (value == "0" || value == "1"))
        settings.lines = value == "1";
    else if (key == "messages")
        parseMessageForm(value, settings.messages);
    else if (key == "excerpts")
        parseExcerptChoice(value, settings.excerpts);
    else if (key == "target" && (value == "html" || value == "wasm"))
        settings.target = value;
}

namespace {

// A whole decimal number from `lowest` up, larger than `highest` giving
// `highest`. Compared as text, so that a number of any length cannot overflow.
bool parseBoundedCount(const std::string &value, int lowest, int highest, int &count) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    std::string::size_type first = value.find_first_not_of('0');
    std::string digits = first == std::string::npos ? "0" : value.substr(first);
    std::string limit = std::to_string(highest);
    bool beyond = digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit);
    int parsed = beyond ? highest : std::stoi(digits);
    if (parsed < lowest)
        return false;
    count = parsed;
    return true;
}

}  // namespace

bool parseJobCount(const std::string &value, int &jobs) {
    return parseBoundedCount(value, 1, maximumJobs, jobs);
}

bool parseLineCount(const std::string &value, int &lines) {
    return parseBoundedCount(value, 0, maximumPieceLines, lines);
}

bool parseIndentWidth(const std::string &value, int &width) {
    return parseBoundedCount(value, 1, maximumIndentWidth, width);
}

void applyConfigurationLine(const std::string &line) {
    if (line.empty() || line[0] == '#')
        return;
    std::string::size_type equals = line.find('=');
    if (equals == std::string::npos)
        return;
    applySetting(trimBoth(line.substr(0, equals)), trimBoth(line.substr(equals + 1)));
}

void readConfiguration(const std::string &path) {
    std::ifstream file(path);
    if (!file)
        return;
    // Whole lines, whatever their length: a cut line would turn its tail
    // into a setting line of its own.
    std::string line;
    while (std::getline(file, line))
        applyConfigurationLine(line);
}
