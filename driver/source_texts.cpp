#include "driver/source_texts.hpp"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

namespace {

std::map<std::string, std::string> &unsavedTexts() {
    static std::map<std::string, std::string> texts;
    return texts;
}

// One spelling per file: "dir/../a.vel", "./a.vel" and the absolute path are one.
std::string pathKey(const std::string &path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

const std::string *unsavedTextOf(const std::string &path) {
    if (unsavedTexts().empty())
        return nullptr;
    auto found = unsavedTexts().find(pathKey(path));
    return found == unsavedTexts().end() ? nullptr : &found->second;
}

// A UTF-8 byte-order mark, which several editors write at the start of a
// file, is no part of the program: the source starts after it, as it does
// in those editors (so columns count from there too).
void skipByteOrderMark(std::istream &source) {
    char mark[3];
    if (source.read(mark, 3) && mark[0] == '\xEF' && mark[1] == '\xBB' && mark[2] == '\xBF')
        return;
    source.clear();
    source.seekg(0);
}

}  // namespace

void holdUnsavedText(const std::string &path, std::string text) {
    unsavedTexts()[pathKey(path)] = std::move(text);
}

bool hasUnsavedText(const std::string &path) {
    return unsavedTextOf(path) != nullptr;
}

std::unique_ptr<std::istream> openSource(const std::string &path) {
    std::unique_ptr<std::istream> source;
    if (const std::string *text = unsavedTextOf(path))
        source = std::make_unique<std::istringstream>(*text);
    else
        source = std::make_unique<std::ifstream>(path);
    if (!*source)
        return nullptr;
    skipByteOrderMark(*source);
    return source;
}
