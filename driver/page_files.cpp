#include "driver/page_files.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iterator>

bool readPageFile(const std::string &path, std::string &contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

namespace {

bool isRegularFile(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isFileNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

bool looksLikeFileName(const std::string &text) {
    return !text.empty() && text.size() < 256 && text != "." && text != ".." &&
           std::all_of(text.begin(), text.end(), isFileNameCharacter);
}

// The program's own sources are named by its include lines; they are not
// its data.
bool isOneOf(const std::string &path, const std::vector<std::string> &sources) {
    std::error_code error;
    for (const std::string &source : sources)
        if (std::filesystem::equivalent(path, source, error))
            return true;
    return false;
}

std::string lastName(const std::string &path) {
    std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<std::string> fileNamesInTexts(const std::string &source) {
    std::vector<std::string> names;
    for (std::string::size_type at = 0; at < source.size(); at++) {
        char quote = source[at];
        if (quote == '#') {
            at = source.find('\n', at);
            if (at == std::string::npos)
                break;
            continue;
        }
        if (quote != '"' && quote != '\'')
            continue;
        std::string::size_type end = source.find_first_of(std::string(1, quote) + "\n", at + 1);
        if (end == std::string::npos)
            break;
        std::string text = source.substr(at + 1, end - at - 1);
        if (looksLikeFileName(text) && std::find(names.begin(), names.end(), text) == names.end())
            names.push_back(text);
        at = end;
    }
    return names;
}

bool pageFiles(const std::vector<std::string> &sources, const std::string &folder,
               const std::vector<std::string> &named, std::vector<PageFile> &files) {
    struct Candidate {
        std::string path, name;
        bool required;
    };
    std::vector<Candidate> candidates;
    for (const std::string &source : sources) {
        std::string text;
        if (!readPageFile(source, text))
            continue;
        for (const std::string &name : fileNamesInTexts(text))
            if (isRegularFile(folder + name) && !isOneOf(folder + name, sources))
                candidates.push_back({folder + name, name, false});
    }
    for (const std::string &path : named)
        candidates.push_back({path, lastName(path), true});
    bool complete = true;
    std::size_t total = 0;
    for (const Candidate &candidate : candidates) {
        auto same = [&](const PageFile &file) { return file.name == candidate.name; };
        if (std::any_of(files.begin(), files.end(), same))
            continue;
        PageFile file{candidate.name, ""};
        if (!isRegularFile(candidate.path) || !readPageFile(candidate.path, file.bytes)) {
            std::printf("Cannot read %s for the page's folder\n", candidate.path.c_str());
            complete = false;
            continue;
        }
        if (file.bytes.size() > pageFileLimit || total + file.bytes.size() > pageFilesLimit) {
            std::printf("%s is too large for the page's folder (at most %zu MiB a file, %zu MiB in all)\n",
                        candidate.path.c_str(), pageFileLimit >> 20, pageFilesLimit >> 20);
            complete = complete && !candidate.required;
            continue;
        }
        total += file.bytes.size();
        files.push_back(std::move(file));
    }
    return complete;
}
