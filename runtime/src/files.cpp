// File functions of generated programs, over the C standard library.
#include "velmora/libvel.hpp"

// This file implements the redirected names with the C library's own.
#include <utility>
#undef fclose
#undef feof

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace {

bool statFile(const text &name, struct stat &info) { return ::stat(name.c_str(), &info) == 0; }

// The FILE * a dyn holds; nil, texts, containers and directory handles give
// the null handle.
FILE *fileIn(const dyn &value);

}  // namespace

// Opens a file; a failure raises the error flag and gives a null handle.
FILE *_vel_open(const text &name, const text &mode) {
    FILE *file = std::fopen(name.c_str(), mode.c_str());
    if (file == nullptr) dyn::error = true;
    return file;
}

FILE *fopen(const text &name, const text &mode) { return _vel_open(name, mode); }

int _vel_opened(FILE *file) { return file != nullptr; }

int _vel_opened(const dyn &file) { return fileIn(file) != nullptr; }

int _vel_fclose(FILE *&&file) { return file == nullptr ? EOF : std::fclose(file); }

int _vel_fclose(FILE *&file) {
    FILE *open = file;
    file = nullptr;
    return _vel_fclose(std::move(open));
}

int _vel_fclose(dyn &file) {
    int result = _vel_fclose(fileIn(file));
    if (file.kind() == dyn::POINTER && fileIn(file) != nullptr) file = dyn();
    return result;
}

int _vel_fclose(const dyn &file) { return _vel_fclose(fileIn(file)); }

// The null handle has nothing more to read.
bool _vel_feof(FILE *file) { return file == nullptr || std::feof(file) != 0; }

bool _vel_feof(const dyn &file) { return _vel_feof(fileIn(file)); }

text fread(const dyn &file, int count) { return fread(fileIn(file), count); }

int fwrite(const dyn &file, const text &data) { return fwrite(fileIn(file), data); }

text fgets(const dyn &file) { return fgets(fileIn(file)); }

void fputs(const dyn &file, const text &line) { fputs(fileIn(file), line); }

int fseek(const dyn &file, int offset) { return fseek(fileIn(file), offset); }

natural filesize(const dyn &file) {
    if (file.kind() != dyn::TEXT) return filesize(fileIn(file));
    double size = filesize(dyn::toText(file));
    return size < 0 ? 0 : static_cast<natural>(size);
}

double filesize(const std::string &name) { return filesize(text(name)); }

double filesize(const char *name) { return name == nullptr ? -1 : filesize(text(name)); }

natural filemtime(const dyn &file) {
    if (file.kind() != dyn::TEXT) return filemtime(fileIn(file));
    double time = filemtime(dyn::toText(file));
    return time < 0 ? 0 : static_cast<natural>(time);
}

double filemtime(const std::string &name) { return filemtime(text(name)); }

double filemtime(const char *name) { return name == nullptr ? -1 : filemtime(text(name)); }

bool file_exists(const std::string &name) { return file_exists(text(name)); }

bool file_exists(const char *name) { return name != nullptr && file_exists(text(name)); }

bool file_exists(const dyn &file) {
    return file.kind() == dyn::TEXT ? file_exists(dyn::toText(file)) : fileIn(file) != nullptr;
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
    std::fwrite(line.data.data(), 1, line.data.size(), file);
    std::fputc('\n', file);
}

// A position before the start is refused (-1) and leaves the file where it was.
int fseek(FILE *file, int offset) {
    if (file == nullptr || offset < 0) return -1;
    return std::fseek(file, offset, SEEK_SET) == 0 ? 0 : -1;
}

// Written data still in the stream's buffer counts too.
natural filesize(FILE *file) {
    struct stat info;
    if (file == nullptr) return 0;
    std::fflush(file);
    if (::fstat(fileno(file), &info) != 0) return 0;
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
    FILE *in = std::fopen(name.c_str(), "rb");
    if (!in) {
        dyn::error = true;
        return text();
    }
    std::string content;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) content.append(buffer, got);
    std::fclose(in);
    return text(std::move(content));
}

bool _vel_chdir(const text &name) { return !name.empty() && ::chdir(name.c_str()) == 0; }

bool _vel_mkdir(const text &name) { return !name.empty() && ::mkdir(name.c_str(), 0777) == 0; }

bool _vel_rmdir(const text &name) { return !name.empty() && ::rmdir(name.c_str()) == 0; }

bool _vel_isdir(const text &name) {
    struct stat info;
    return statFile(name, info) && S_ISDIR(info.st_mode);
}

text getcwd() {
    std::string buffer(256, '\0');
    while (::getcwd(&buffer[0], buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() >= (1u << 20)) return text();
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::char_traits<char>::length(buffer.c_str()));
    return text(buffer);
}

// Directory handles are never freed before the program ends: a dyn may still
// hold a closed one, and reading it must find it closed rather than touch
// freed memory. Closing releases the system's directory stream.
struct vel_dir_stream {
    DIR *stream = nullptr;
    std::string name;  // absolute where possible, to reopen after a chdir
};

namespace {

std::vector<std::unique_ptr<vel_dir_stream>> &directoryHandles() {
    static std::vector<std::unique_ptr<vel_dir_stream>> handles;
    return handles;
}

bool isDirectoryHandle(const void *pointer) {
    for (const std::unique_ptr<vel_dir_stream> &handle : directoryHandles())
        if (handle.get() == pointer) return true;
    return false;
}

vel_dir_stream *directoryIn(const dyn &value) {
    void *pointer = value.rawPointer();
    return pointer != nullptr && isDirectoryHandle(pointer) ? static_cast<vel_dir_stream *>(pointer) : nullptr;
}

FILE *fileIn(const dyn &value) {
    void *pointer = value.rawPointer();
    return pointer == nullptr || isDirectoryHandle(pointer) ? nullptr : static_cast<FILE *>(pointer);
}

// The next name of the stream, "." and ".." left out; false at the end.
bool nextName(DIR *stream, std::string &name) {
    while (struct dirent *entry = ::readdir(stream)) {
        name = entry->d_name;
        if (name != "." && name != "..") return true;
    }
    return false;
}

}  // namespace

dyn open_dir(const text &name) {
    DIR *stream = name.empty() ? nullptr : ::opendir(name.c_str());
    if (stream == nullptr) {
        dyn::error = true;
        return dyn();
    }
    std::unique_ptr<vel_dir_stream> handle(new vel_dir_stream);
    handle->stream = stream;
    handle->name = name.data;
    if (name.data[0] != '/') {
        text here = getcwd();
        if (!here.empty()) handle->name = here.data + "/" + name.data;
    }
    vel_dir_stream *opened = handle.get();
    directoryHandles().push_back(std::move(handle));
    return dyn(static_cast<void *>(opened));
}

text read_dir(const dyn &directory) {
    vel_dir_stream *handle = directoryIn(directory);
    std::string name;
    if (handle == nullptr || handle->stream == nullptr || !nextName(handle->stream, name)) return text();
    return text(name);
}

// WebAssembly directory streams cannot seek back to their start: the
// directory is opened anew.
void rewind_dir(const dyn &directory) {
    vel_dir_stream *handle = directoryIn(directory);
    if (handle == nullptr || handle->stream == nullptr) return;
#if defined(__EMSCRIPTEN__) || defined(__wasi__)
    ::closedir(handle->stream);
    handle->stream = ::opendir(handle->name.c_str());
#else
    ::rewinddir(handle->stream);
#endif
}

void close_dir(const dyn &directory) {
    vel_dir_stream *handle = directoryIn(directory);
    if (handle == nullptr || handle->stream == nullptr) return;
    ::closedir(handle->stream);
    handle->stream = nullptr;
}

velarray scandir(const text &name) {
    velarray names;
    DIR *stream = name.empty() ? nullptr : ::opendir(name.c_str());
    if (stream == nullptr) {
        dyn::error = true;
        return names;
    }
    std::vector<std::string> found;
    for (std::string entry; nextName(stream, entry);) found.push_back(entry);
    ::closedir(stream);
    std::sort(found.begin(), found.end());
    for (const std::string &entry : found) names.push(dyn(text(entry)));
    return names;
}

// Commands.

vel_command::vel_command(vel_command &&other) noexcept
    : command(std::move(other.command)), ran(other.ran), exitStatus(other.exitStatus),
      captured(std::move(other.captured)) {
    other.ran = true;
}

vel_command::~vel_command() {
    if (!ran) status();
}

vel_command::operator int() const { return status(); }

vel_command::operator text() const { return output(); }

vel_command::operator dyn() const { return dyn(output()); }

vel_command system(const text &command) { return vel_command(command.data); }

#if defined(__EMSCRIPTEN__) || defined(__wasi__)

int vel_command::status() const {
    ran = true;
    return -1;
}

text vel_command::output() const {
    ran = true;
    return text();
}

#else

namespace {

// The exit status of a finished child as the command gives it; -1 when it
// could not start or was killed.
int exitStatusOf(int waitStatus) {
    if (waitStatus == -1 || !WIFEXITED(waitStatus)) return -1;
    return WEXITSTATUS(waitStatus);
}

}  // namespace

// What the program printed so far comes before the command's own output.
int vel_command::status() const {
    if (ran) return exitStatus;
    ran = true;
    std::fflush(stdout);
    exitStatus = command.empty() ? -1 : exitStatusOf(std::system(command.c_str()));
    return exitStatus;
}

text vel_command::output() const {
    if (ran) return captured;
    ran = true;
    if (command.empty()) return captured;
    std::fflush(stdout);
    FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return captured;
    std::string collected;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) collected.append(buffer, got);
    exitStatus = exitStatusOf(::pclose(pipe));
    captured = text(collected);
    return captured;
}

#endif
