#pragma once
// A file read or written whole, in blocks, for the driver's binary and text
// files alike.
#include <cstdio>
#include <string>

// False when the file cannot be opened or a read fails.
inline bool readWholeFile(const std::string &path, std::string &bytes) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}

// False when the file cannot be made or a write or the close fails.
inline bool writeWholeFile(const std::string &path, const std::string &bytes) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
