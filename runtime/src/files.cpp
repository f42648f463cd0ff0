// File functions of generated programs, over the C standard library.
#include "velmora/libvel.hpp"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace {

bool statFile(const text &name, struct stat &info) { return ::stat(name.c_str(), &info) == 0; }

}  // namespace

// Opens a file; a failure raises the error flag and gives a null handle.
FILE *_vel_open(const text &name, const text &mode) {
    FILE *file = std::fopen(name.c_str(), mode.c_str());
    if (file == nullptr) dyn::error = true;
    return file;
}

text fread(FILE *file, int count) {
    if (file == nullptr || count <= 0) return text();
    std::string buffer(static_cast<std::size_t>(count), '\0');
    std::size_t got = std::fread(&buffer[0], 1, buffer.size(), file);
    buffer.resize(got);
    return text(buffer);
}

int fwrite(FILE *file, const text &data) {
    if (file == nullptr) return 0;
    return static_cast<int>(std::fwrite(data.data.data(), 1, data.data.size(), file));
}

// One line without its line end; "" at the end of the file.
text fgets(FILE *file) {
    std::string line;
    if (file == nullptr) return text();
    for (int c; (c = std::fgetc(file)) != EOF && c != '\n';) line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return text(line);
}

void fputs(FILE *file, const text &line) {
    if (file == nullptr) return;
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
}

int fseek(FILE *file, int offset) { return file == nullptr ? -1 : std::fseek(file, offset, SEEK_SET); }

natural filesize(FILE *file) {
    struct stat info;
    if (file == nullptr || ::fstat(fileno(file), &info) != 0) return 0;
    return static_cast<natural>(info.st_size);
}

double filesize(const text &name) {
    struct stat info;
    return statFile(name, info) ? static_cast<double>(info.st_size) : -1;
}

natural filemtime(FILE *file) {
    struct stat info;
    if (file == nullptr || ::fstat(fileno(file), &info) != 0) return 0;
    return static_cast<natural>(info.st_mtime);
}

double filemtime(const text &name) {
    struct stat info;
    return statFile(name, info) ? static_cast<double>(info.st_mtime) : -1;
}

bool file_exists(const text &name) {
    struct stat info;
    return statFile(name, info);
}

bool file_exists(FILE *file) { return file != nullptr; }

text filetype(const text &name) {
    struct stat info;
    if (!statFile(name, info)) return text();
    if (S_ISDIR(info.st_mode)) return text("dir");
    if (S_ISREG(info.st_mode)) return text("file");
    return text("unknown");
}

bool _vel_unlink(const text &name) { return std::remove(name.c_str()) == 0; }

bool _vel_ren(const text &from, const text &to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool _vel_isfile(const text &name) {
    struct stat info;
    return statFile(name, info) && S_ISREG(info.st_mode);
}

velarray _vel_ftoarr(const text &name) {
    velarray lines;
    if (!lines.load(name)) dyn::error = true;
    return lines;
}

text _vel_ftostr(const text &name) {
    std::ifstream in(name.data, std::ios::binary);
    if (!in) {
        dyn::error = true;
        return text();
    }
    std::ostringstream content;
    content << in.rdbuf();
    return text(content.str());
}
