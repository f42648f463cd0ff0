#include "driver/build_stamp.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "driver/tool_files.hpp"
#include "translator/frame.hpp"

namespace {

// The stamp line follows "#pragma once" and the role line.
constexpr int linesBeforeStamp = 3;

// The include directories an option list names: "-I dir" or "-Idir".
std::vector<std::string> includeDirectories(const std::string &options) {
    std::vector<std::string> words = settingWords(options);
    std::vector<std::string> directories;
    for (std::size_t i = 0; i < words.size(); i++) {
        if (words[i] == "-I" && i + 1 < words.size())
            directories.push_back(words[++i]);
        else if (words[i].compare(0, 2, "-I") == 0 && words[i].size() > 2)
            directories.push_back(words[i].substr(2));
    }
    return directories;
}

// libvel's headers as the generated code finds them: velmora/*.hpp in an
// include directory outside the program's own ("-I." holds no libvel).
std::vector<std::string> libraryHeaders(const std::string &options) {
    std::vector<std::string> headers;
    for (const std::string &directory : includeDirectories(options)) {
        if (directory.empty() || directory[0] != '/')
            continue;
        std::error_code error;
        std::filesystem::directory_iterator entries(directory + "/velmora", error);
        if (error)
            continue;
        for (const auto &entry : entries)
            if (entry.path().extension() == ".hpp")
                headers.push_back(entry.path().string());
    }
    std::sort(headers.begin(), headers.end());
    return headers;
}

}  // namespace

std::string buildDescription(const ToolchainSettings &tools, const std::string &velcProgram) {
    std::string text = "velc\t" + toolFileSignature(velcProgram) + "\n";
    const std::pair<const char *, const std::string *> settings[] = {
        {"id", &tools.id},           {"compiler", &tools.compiler}, {"options", &tools.options},
        {"linker", &tools.linker},   {"loptions", &tools.loptions}, {"objects", &tools.objects},
        {"extension", &tools.extension}};
    for (const auto &setting : settings)
        text += std::string(setting.first) + "\t" + *setting.second + "\n";
    for (const std::string &header : tools.headers)
        text += "header\t" + header + "\n";
    std::vector<std::string> files = commandPrograms(tools.compiler);
    for (const std::string &program : commandPrograms(tools.linker))
        files.push_back(program);
    for (const std::string &object : settingWords(tools.objects))
        files.push_back(object);
    for (const std::string &header : libraryHeaders(tools.options))
        files.push_back(header);
    for (const std::string &file : files)
        text += "file\t" + toolFileSignature(file) + "\t" + file + "\n";
    return text;
}

std::string buildStamp(const ToolchainSettings &tools, const std::string &velcProgram) {
    return textDigest(buildDescription(tools, velcProgram));
}

namespace {

// The text after prefix on one of the header's first lines; empty when none has it.
std::string recordedLine(const std::string &headerPath, const std::string &prefix, int lines) {
    std::ifstream header(headerPath);
    std::string line;
    for (int lineNumber = 0; lineNumber < lines && std::getline(header, line); lineNumber++)
        if (line.compare(0, prefix.size(), prefix) == 0)
            return line.substr(prefix.size());
    return "";
}

}  // namespace

std::string recordedStamp(const std::string &headerPath) {
    return recordedLine(headerPath, stampLine(""), linesBeforeStamp);
}

std::string recordedSourceDigest(const std::string &headerPath) {
    return recordedLine(headerPath, sourceDigestLine(""), linesBeforeStamp + 1);
}
