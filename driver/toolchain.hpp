#pragma once
// Tool-chain settings read from velc.ini beside the velc program.
#include <string>
#include <vector>

struct ToolchainSettings {
    std::string id = "emcc";
    std::string compiler = "em++";
    std::string linker = "emcc";
    std::string options = "-c -I. -I/velmorac/";
    std::string loptions = "-I. -I/velmorac/ ";
    std::string objects = "/velmorac/velmora/velmora.a";
    std::string extension = ".o";
    std::vector<std::string> headers;   // extra #include lines of every generated file
};

extern ToolchainSettings toolchainSettings;

// Generated files always use these; they are not configurable.
constexpr const char *cppExtension = ".cpp";
constexpr const char *headerExtension = ".hpp";

// Reads the file if it can be opened; a missing file keeps the defaults.
void readConfiguration(const std::string &path);
// Stores one key's value; unknown keys are ignored.
void applySetting(const std::string &key, const std::string &value);
// Handles one line of the file: comments, "key = value", anything else ignored.
void applyConfigurationLine(const std::string &line);
