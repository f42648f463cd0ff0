#include "driver/tool_files.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

std::string toolFileSignature(const std::string &path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return "missing";
    long long nanoseconds = static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL +
                            status.st_mtim.tv_nsec;
    return std::to_string(static_cast<long long>(status.st_size)) + " " + std::to_string(nanoseconds);
}

std::vector<std::string> settingWords(const std::string &text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string word; stream >> word;)
        result.push_back(word);
    return result;
}

std::string programOnPath(const std::string &name) {
    if (name.find('/') != std::string::npos)
        return name;
    const char *path = std::getenv("PATH");
    std::istringstream directories(path ? path : "");
    for (std::string directory; std::getline(directories, directory, ':');) {
        std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return name;
}

std::vector<std::string> commandPrograms(const std::string &command) {
    std::vector<std::string> words = settingWords(command);
    std::size_t first = 0;
    while (first < words.size() && words[first].find('=') != std::string::npos &&
           words[first].find('=') < words[first].find('/'))
        first++;
    std::vector<std::string> programs;
    for (std::size_t i = first; i < words.size() && words[i][0] != '-'; i++)
        programs.push_back(programOnPath(words[i]));
    return programs;
}
