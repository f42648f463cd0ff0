#include "translator/include_paths.hpp"

#include <vector>

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// The folders of a path, its last part (the file) left out.
std::vector<std::string> foldersOf(const std::string &path) {
    std::vector<std::string> folders;
    std::string::size_type start = 0;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (!isSeparator(path[i]))
            continue;
        if (i > start)
            folders.push_back(path.substr(start, i - start));
        start = i + 1;
    }
    return folders;
}

std::string::size_type fileStart(const std::string &path) {
    std::string::size_type at = path.size();
    while (at > 0 && !isSeparator(path[at - 1]))
        --at;
    return at;
}

bool standsAsWritten(const std::string &path) {
    return path.empty() || isSeparator(path[0]) || path[0] == '.' || (path.size() > 1 && path[1] == ':');
}

}  // namespace

std::string headerSeenFrom(const std::string &baseName, const std::string &header) {
    if (standsAsWritten(baseName) || standsAsWritten(header))
        return header;
    std::vector<std::string> from = foldersOf(baseName);
    if (from.empty())
        return header;
    for (const std::string &folder : from)
        if (folder == "." || folder == "..")
            return header;
    std::vector<std::string> to = foldersOf(header);
    std::size_t shared = 0;
    while (shared < from.size() && shared < to.size() && from[shared] == to[shared])
        ++shared;
    std::string seen;
    for (std::size_t i = shared; i < from.size(); ++i)
        seen += "../";
    for (std::size_t i = shared; i < to.size(); ++i)
        seen += to[i] + "/";
    return seen + header.substr(fileStart(header));
}
