#include "test_support.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::string makeScratchDirectory(const std::string& name) {
    const std::filesystem::path directory = std::filesystem::path(SCRATCH_DIR) / name;
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    return directory.string();
}

std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// The captured streams live beside the scratch directory, not in it, so a
// test can list the directory and see only what the command wrote.
CommandResult runCommand(const std::string& directory, const std::string& commandLine,
                         const std::string& input) {
    const std::string capture = directory + ".capture";
    std::filesystem::create_directories(capture);
    writeWholeFile(capture + "/stdin", input);
    const std::string shellLine = "cd " + shellQuote(directory) + " && " + commandLine +
                                  " <" + shellQuote(capture + "/stdin") +
                                  " >" + shellQuote(capture + "/stdout") +
                                  " 2>" + shellQuote(capture + "/stderr");
    const int waitStatus = std::system(shellLine.c_str());
    CommandResult result;
    result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    result.standardOutput = readWholeFile(capture + "/stdout");
    result.standardError = readWholeFile(capture + "/stderr");
    return result;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeWholeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw std::runtime_error("cannot write " + path);
    file << text;
}
