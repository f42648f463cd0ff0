#pragma once
// Small text helpers shared by the configuration reader, the source scan
// and the readers of archives.
#include <string>

// Blanks, line ends, control characters and, because the byte is read as a
// signed char, every byte from 128 to 255.
inline bool isTrimmedByte(char c) { return static_cast<signed char>(c) <= 32; }

inline std::string trimRight(const std::string &text) {
    std::string::size_type end = text.size();
    while (end > 0 && isTrimmedByte(text[end - 1]))
        end--;
    return text.substr(0, end);
}

inline std::string trimBoth(const std::string &text) {
    std::string::size_type start = 0;
    while (start < text.size() && isTrimmedByte(text[start]))
        start++;
    return trimRight(text.substr(start));
}

inline bool startsWith(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}
