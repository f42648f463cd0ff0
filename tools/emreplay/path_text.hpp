#pragma once
// Small text helpers on paths and arguments that the recipe and the
// standbys both need.
#include <string>

namespace emreplay_text {

inline bool startsWith(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

inline std::string baseName(const std::string &path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace emreplay_text
