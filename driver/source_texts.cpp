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

}  // namespace

void holdUnsavedText(const std::string &path, std::string text) {
    unsavedTexts()[pathKey(path)] = std::move(text);
}

bool hasUnsavedText(const std::string &path) {
    return unsavedTextOf(path) != nullptr;
}

std::unique_ptr<std::istream> openSource(const std::string &path) {
    if (const std::string *text = unsavedTextOf(path))
        return std::make_unique<std::istringstream>(*text);
    auto file = std::make_unique<std::ifstream>(path);
    if (!*file)
        return nullptr;
    return file;
}
