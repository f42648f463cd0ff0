#pragma once

#include <string>

// What a finished command left behind.
struct CommandResult {
    int status = -1;
    std::string standardOutput;
    std::string standardError;
};

// A fresh, empty directory under the build tree for one test.
std::string makeScratchDirectory(const std::string& name);

// Runs a command line through the shell in `directory`, feeding it `input`
// on standard input, and waits for it.
CommandResult runCommand(const std::string& directory, const std::string& commandLine,
                         const std::string& input = "");

std::string shellQuote(const std::string& text);
std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& text);
