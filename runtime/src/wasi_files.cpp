// The file layer of WebAssembly programs.
//
// Emscripten's standalone C library leaves every file-name system call to a
// JavaScript host (its open() knows only the standard streams), so a WASI
// module built with it cannot open, list, stat or remove anything. The
// definitions below implement those system calls on the WASI directory
// functions, over the directories the host preopens: a name is resolved
// against a current directory kept here, then handed to the preopen that
// contains it. fopen, the C++ streams, stat, opendir/readdir, remove, rename,
// mkdir, rmdir, getcwd, chdir and access of the C library all end up here.
//
// The current directory starts as the directory preopened as "."; its
// absolute name is taken from PWD when PWD names that very directory, which
// lets absolute names inside it and ".." above it work. Without such a PWD
// names cannot leave ".", and getcwd() gives ".".
//
// Only compiled for the WebAssembly archive; the native build uses the host's
// own C library.
#if defined(__EMSCRIPTEN__) || defined(__wasi__)

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wasi/api.h>

#include <map>
#include <string>
#include <vector>

// Emscripten's link step checks every imported function against its own
// JavaScript library, which in this version lacks the WASI directory calls.
// An "em_js" record of the same name satisfies that check; the module still
// imports the function from wasi_snapshot_preview1, the record itself is
// dropped from the output.
#define VEL_WASI_KNOWN(name)                                                          \
    extern "C" __attribute__((used, visibility("default"), section("em_js"), aligned(1))) \
    char __em_js__##name[] = "()<::>{ return 52; }";
VEL_WASI_KNOWN(fd_prestat_get)
VEL_WASI_KNOWN(fd_prestat_dir_name)
VEL_WASI_KNOWN(fd_filestat_get)
VEL_WASI_KNOWN(fd_readdir)
VEL_WASI_KNOWN(path_open)
VEL_WASI_KNOWN(path_filestat_get)
VEL_WASI_KNOWN(path_create_directory)
VEL_WASI_KNOWN(path_remove_directory)
VEL_WASI_KNOWN(path_unlink_file)
VEL_WASI_KNOWN(path_rename)

// Referenced by the start-up object that every WebAssembly program links
// (startup.cpp), so that this object is linked before the C library's weak
// open() can take precedence.
extern "C" int vel_wasi_files_linked = 1;

namespace {

const __wasi_rights_t readRights = __WASI_RIGHTS_FD_READ | __WASI_RIGHTS_FD_READDIR;
const __wasi_rights_t writeRights = __WASI_RIGHTS_FD_WRITE | __WASI_RIGHTS_FD_DATASYNC |
                                    __WASI_RIGHTS_FD_ALLOCATE | __WASI_RIGHTS_FD_FILESTAT_SET_SIZE;
const __wasi_rights_t commonRights = __WASI_RIGHTS_FD_SEEK | __WASI_RIGHTS_FD_TELL |
                                     __WASI_RIGHTS_FD_FDSTAT_SET_FLAGS | __WASI_RIGHTS_FD_FILESTAT_GET |
                                     __WASI_RIGHTS_FD_ADVISE | __WASI_RIGHTS_FD_SYNC |
                                     __WASI_RIGHTS_POLL_FD_READWRITE;

typedef std::vector<std::string> Components;

struct Preopen {
    __wasi_fd_t fd;
    bool located;          // its absolute place is known
    Components place;      // components of that absolute name
    bool currentDirectory; // the preopen named "."
};

// A directory or file as the layer sees it: absolute components, or
// components below the "." preopen when its absolute name is unknown.
struct Location {
    bool absolute = false;
    Components parts;
};

struct Host {
    bool ready = false;
    std::vector<Preopen> preopens;
    int dot = -1;  // index of the "." preopen
    Location cwd;
    // Where each open directory descriptor's next fd_readdir starts.
    std::map<__wasi_fd_t, __wasi_dircookie_t> readdirCookies;
};

Host &host() {
    static Host *state = new Host;  // outlives the static destructors that may still close files
    return *state;
}

Components split(const std::string &path) {
    Components parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string join(const Components &parts, std::size_t from = 0) {
    std::string joined;
    for (std::size_t i = from; i < parts.size(); ++i) {
        if (!joined.empty()) joined += '/';
        joined += parts[i];
    }
    return joined;
}

bool sameObject(const __wasi_filestat_t &a, const __wasi_filestat_t &b) {
    return a.dev == b.dev && a.ino == b.ino;
}

// Normalises "." and "..": a ".." that climbs out of the unlocated "."
// preopen fails, one at the root stays at the root.
bool walk(Location &where, const std::string &path) {
    for (const std::string &part : split(path)) {
        if (part == ".") continue;
        if (part != "..") {
            where.parts.push_back(part);
        } else if (!where.parts.empty()) {
            where.parts.pop_back();
        } else if (!where.absolute) {
            return false;
        }
    }
    return true;
}

void discoverPreopens(Host &state) {
    for (__wasi_fd_t fd = 3;; ++fd) {
        __wasi_prestat_t prestat;
        if (__wasi_fd_prestat_get(fd, &prestat) != __WASI_ERRNO_SUCCESS) break;
        if (prestat.pr_type != __WASI_PREOPENTYPE_DIR) continue;
        std::string name(prestat.u.dir.pr_name_len, '\0');
        if (!name.empty() &&
            __wasi_fd_prestat_dir_name(fd, reinterpret_cast<uint8_t *>(&name[0]), name.size()) != 0)
            continue;
        while (name.size() > 1 && name.back() == '\0') name.pop_back();
        Preopen preopen{fd, false, Components(), false};
        if (!name.empty() && name[0] == '/') {
            preopen.located = true;
            Location place{true, Components()};
            walk(place, name);
            preopen.place = place.parts;
        } else {
            Location place;
            preopen.currentDirectory = walk(place, name) && place.parts.empty();
            if (!preopen.currentDirectory) continue;  // other relative preopens are not reachable by name
            if (state.dot < 0) state.dot = static_cast<int>(state.preopens.size());
        }
        state.preopens.push_back(preopen);
    }
}

// Gives the "." preopen its absolute place when PWD names the same directory
// as seen through an absolute preopen.
void locateCurrentDirectory(Host &state) {
    if (state.dot < 0) return;
    const char *pwd = getenv("PWD");
    if (pwd == nullptr || pwd[0] != '/') return;
    Location place{true, Components()};
    walk(place, pwd);
    __wasi_filestat_t dotStat, pwdStat;
    if (__wasi_fd_filestat_get(state.preopens[state.dot].fd, &dotStat) != __WASI_ERRNO_SUCCESS) return;
    for (const Preopen &preopen : state.preopens) {
        if (!preopen.located || preopen.place.size() > place.parts.size()) continue;
        bool inside = true;
        for (std::size_t i = 0; i < preopen.place.size() && inside; ++i)
            inside = preopen.place[i] == place.parts[i];
        if (!inside) continue;
        std::string rest = join(place.parts, preopen.place.size());
        if (rest.empty()) rest = ".";
        if (__wasi_path_filestat_get(preopen.fd, __WASI_LOOKUPFLAGS_SYMLINK_FOLLOW, rest.c_str(), rest.size(),
                                     &pwdStat) == __WASI_ERRNO_SUCCESS &&
            sameObject(dotStat, pwdStat)) {
            Preopen &dot = state.preopens[state.dot];
            dot.located = true;
            dot.place = place.parts;
            return;
        }
    }
}

Host &readyHost() {
    Host &state = host();
    if (!state.ready) {
        state.ready = true;
        discoverPreopens(state);
        locateCurrentDirectory(state);
        if (state.dot >= 0 && state.preopens[state.dot].located) {
            state.cwd.absolute = true;
            state.cwd.parts = state.preopens[state.dot].place;
        }
    }
    return state;
}

// A name resolved to a preopened directory and a relative path below it.
struct Resolved {
    long error = 0;  // -errno when the name cannot be reached
    __wasi_fd_t directory = 0;
    std::string path;
};

Resolved place(const Location &where) {
    Host &state = readyHost();
    Resolved result;
    if (!where.absolute) {
        if (state.dot < 0) {
            result.error = -EACCES;
            return result;
        }
        result.directory = state.preopens[state.dot].fd;
        result.path = join(where.parts);
    } else {
        // The preopen with the longest matching prefix holds the name.
        int best = -1;
        std::size_t bestLength = 0;
        for (std::size_t p = 0; p < state.preopens.size(); ++p) {
            const Preopen &preopen = state.preopens[p];
            if (!preopen.located || preopen.place.size() > where.parts.size()) continue;
            if (best >= 0 && preopen.place.size() <= bestLength) continue;
            bool inside = true;
            for (std::size_t i = 0; i < preopen.place.size() && inside; ++i)
                inside = preopen.place[i] == where.parts[i];
            if (inside) {
                best = static_cast<int>(p);
                bestLength = preopen.place.size();
            }
        }
        if (best < 0) {
            result.error = -EACCES;
            return result;
        }
        result.directory = state.preopens[best].fd;
        result.path = join(where.parts, bestLength);
    }
    if (result.path.empty()) result.path = ".";
    return result;
}

bool locate(const char *name, Location &where) {
    Host &state = readyHost();
    if (name[0] == '/') {
        where = Location();
        where.absolute = true;
    } else {
        where = state.cwd;
    }
    return walk(where, name);
}

Resolved resolve(const char *name) {
    Resolved result;
    if (name == nullptr || name[0] == '\0') {
        result.error = -ENOENT;
        return result;
    }
    Location where;
    if (!locate(name, where)) {
        result.error = -EACCES;
        return result;
    }
    return place(where);
}

__wasi_rights_t rightsFor(long flags) {
    switch (flags & O_ACCMODE) {
    case O_WRONLY: return commonRights | writeRights;
    case O_RDWR: return commonRights | readRights | writeRights;
    default: return commonRights | readRights;
    }
}

__wasi_oflags_t openFlagsFor(long flags) {
    __wasi_oflags_t oflags = 0;
    if (flags & O_CREAT) oflags |= __WASI_OFLAGS_CREAT;
    if (flags & O_EXCL) oflags |= __WASI_OFLAGS_EXCL;
    if (flags & O_TRUNC) oflags |= __WASI_OFLAGS_TRUNC;
    if (flags & O_DIRECTORY) oflags |= __WASI_OFLAGS_DIRECTORY;
    return oflags;
}

mode_t modeOf(__wasi_filetype_t type) {
    switch (type) {
    case __WASI_FILETYPE_DIRECTORY: return S_IFDIR | 0755;
    case __WASI_FILETYPE_REGULAR_FILE: return S_IFREG | 0644;
    case __WASI_FILETYPE_SYMBOLIC_LINK: return S_IFLNK | 0777;
    case __WASI_FILETYPE_CHARACTER_DEVICE: return S_IFCHR | 0644;
    case __WASI_FILETYPE_BLOCK_DEVICE: return S_IFBLK | 0644;
    case __WASI_FILETYPE_SOCKET_STREAM:
    case __WASI_FILETYPE_SOCKET_DGRAM: return S_IFSOCK | 0644;
    default: return 0644;
    }
}

unsigned char direntTypeOf(__wasi_filetype_t type) {
    switch (type) {
    case __WASI_FILETYPE_DIRECTORY: return DT_DIR;
    case __WASI_FILETYPE_REGULAR_FILE: return DT_REG;
    case __WASI_FILETYPE_SYMBOLIC_LINK: return DT_LNK;
    case __WASI_FILETYPE_CHARACTER_DEVICE: return DT_CHR;
    case __WASI_FILETYPE_BLOCK_DEVICE: return DT_BLK;
    default: return DT_UNKNOWN;
    }
}

struct timespec timespecOf(__wasi_timestamp_t nanoseconds) {
    struct timespec result;
    result.tv_sec = static_cast<time_t>(nanoseconds / 1000000000u);
    result.tv_nsec = static_cast<long>(nanoseconds % 1000000000u);
    return result;
}

void fillStat(const __wasi_filestat_t &from, struct stat *to) {
    memset(to, 0, sizeof *to);
    to->st_dev = static_cast<dev_t>(from.dev);
    to->st_ino = static_cast<ino_t>(from.ino);
    to->st_mode = modeOf(from.filetype);
    to->st_nlink = static_cast<nlink_t>(from.nlink);
    to->st_size = static_cast<off_t>(from.size);
    to->st_blksize = 4096;
    to->st_blocks = static_cast<blkcnt_t>((from.size + 511) / 512);
    to->st_atim = timespecOf(from.atim);
    to->st_mtim = timespecOf(from.mtim);
    to->st_ctim = timespecOf(from.ctim);
}

long statName(const char *name, struct stat *buffer, bool follow) {
    Resolved target = resolve(name);
    if (target.error != 0) return target.error;
    __wasi_filestat_t info;
    __wasi_errno_t error =
        __wasi_path_filestat_get(target.directory, follow ? __WASI_LOOKUPFLAGS_SYMLINK_FOLLOW : 0,
                                 target.path.c_str(), target.path.size(), &info);
    if (error != __WASI_ERRNO_SUCCESS) return -static_cast<long>(error);
    fillStat(info, buffer);
    return 0;
}

// Names relative to a directory descriptor other than the current directory
// are not supported; absolute names are.
bool atCurrentDirectory(long directoryFd, const char *path) {
    return directoryFd == AT_FDCWD || (path != nullptr && path[0] == '/');
}

long unlinkName(const char *name) {
    Resolved target = resolve(name);
    if (target.error != 0) return target.error;
    __wasi_errno_t error = __wasi_path_unlink_file(target.directory, target.path.c_str(), target.path.size());
    return -static_cast<long>(error);
}

long removeDirectory(const char *name) {
    Resolved target = resolve(name);
    if (target.error != 0) return target.error;
    if (target.path == ".") return -EBUSY;
    __wasi_errno_t error =
        __wasi_path_remove_directory(target.directory, target.path.c_str(), target.path.size());
    return -static_cast<long>(error);
}

long makeDirectory(const char *name) {
    Resolved target = resolve(name);
    if (target.error != 0) return target.error;
    if (target.path == ".") return -EEXIST;
    __wasi_errno_t error =
        __wasi_path_create_directory(target.directory, target.path.c_str(), target.path.size());
    return -static_cast<long>(error);
}

long renameName(const char *from, const char *to) {
    Resolved source = resolve(from);
    if (source.error != 0) return source.error;
    Resolved target = resolve(to);
    if (target.error != 0) return target.error;
    __wasi_errno_t error = __wasi_path_rename(source.directory, source.path.c_str(), source.path.size(),
                                              target.directory, target.path.c_str(), target.path.size());
    return -static_cast<long>(error);
}

}  // namespace

extern "C" {

long __syscall_open(const char *path, long flags, ...) {
    Resolved target = resolve(path);
    if (target.error != 0) return target.error;
    __wasi_fdflags_t fdflags = (flags & O_APPEND) ? __WASI_FDFLAGS_APPEND : 0;
    __wasi_rights_t rights = rightsFor(flags);
    __wasi_fd_t opened;
    __wasi_errno_t error =
        __wasi_path_open(target.directory, __WASI_LOOKUPFLAGS_SYMLINK_FOLLOW, target.path.c_str(),
                         target.path.size(), openFlagsFor(flags), rights, rights, fdflags, &opened);
    if (error != __WASI_ERRNO_SUCCESS) return -static_cast<long>(error);
    // A descriptor number is reused after a close: its listing starts afresh.
    readyHost().readdirCookies.erase(opened);
    return static_cast<long>(opened);
}

long __syscall_stat64(const char *path, struct stat *buffer) { return statName(path, buffer, true); }

long __syscall_lstat64(const char *path, struct stat *buffer) { return statName(path, buffer, false); }

long __syscall_fstatat64(long directoryFd, const char *path, struct stat *buffer, long flags) {
    if (!atCurrentDirectory(directoryFd, path)) return -ENOSYS;
    return statName(path, buffer, (flags & AT_SYMLINK_NOFOLLOW) == 0);
}

long __syscall_fstat64(long fd, struct stat *buffer) {
    __wasi_filestat_t info;
    __wasi_errno_t error = __wasi_fd_filestat_get(static_cast<__wasi_fd_t>(fd), &info);
    if (error != __WASI_ERRNO_SUCCESS) return -static_cast<long>(error);
    fillStat(info, buffer);
    return 0;
}

long __syscall_unlink(const char *path) { return unlinkName(path); }

long __syscall_unlinkat(long directoryFd, const char *path, long flags) {
    if (!atCurrentDirectory(directoryFd, path)) return -ENOSYS;
    return (flags & AT_REMOVEDIR) ? removeDirectory(path) : unlinkName(path);
}

long __syscall_rmdir(const char *path) { return removeDirectory(path); }

long __syscall_mkdir(const char *path, long) { return makeDirectory(path); }

long __syscall_mkdirat(long directoryFd, const char *path, long) {
    if (!atCurrentDirectory(directoryFd, path)) return -ENOSYS;
    return makeDirectory(path);
}

long __syscall_rename(const char *from, const char *to) { return renameName(from, to); }

long __syscall_renameat(long fromFd, const char *from, long toFd, const char *to) {
    if (!atCurrentDirectory(fromFd, from) || !atCurrentDirectory(toFd, to)) return -ENOSYS;
    return renameName(from, to);
}

// WASI has no permission bits: a name that exists is readable and writable.
long __syscall_faccessat(long directoryFd, const char *path, long, long) {
    if (!atCurrentDirectory(directoryFd, path)) return -ENOSYS;
    struct stat info;
    return statName(path, &info, true);
}

long __syscall_access(const char *path, long) {
    struct stat info;
    return statName(path, &info, true);
}

long __syscall_chdir(const char *path) {
    if (path == nullptr || path[0] == '\0') return -ENOENT;
    Location where;
    if (!locate(path, where)) return -EACCES;
    Resolved target = place(where);
    if (target.error != 0) return target.error;
    __wasi_filestat_t info;
    __wasi_errno_t error = __wasi_path_filestat_get(target.directory, __WASI_LOOKUPFLAGS_SYMLINK_FOLLOW,
                                                    target.path.c_str(), target.path.size(), &info);
    if (error != __WASI_ERRNO_SUCCESS) return -static_cast<long>(error);
    if (info.filetype != __WASI_FILETYPE_DIRECTORY) return -ENOTDIR;
    host().cwd = where;
    return 0;
}

// Returns the length written, terminating zero included, as Linux does.
long __syscall_getcwd(char *buffer, long size) {
    const Location &cwd = readyHost().cwd;
    std::string name = cwd.absolute ? "/" + join(cwd.parts) : (cwd.parts.empty() ? "." : "./" + join(cwd.parts));
    if (size <= 0) return -EINVAL;
    if (static_cast<std::size_t>(size) < name.size() + 1) return -ERANGE;
    memcpy(buffer, name.c_str(), name.size() + 1);
    return static_cast<long>(name.size() + 1);
}

// Linux getdents64 on fd_readdir: each WASI record (a header and the name)
// becomes a struct dirent; the cookie of the last one copied is where the
// next call goes on.
long __syscall_getdents64(long fd, void *entries, long count) {
    Host &state = readyHost();
    __wasi_fd_t directory = static_cast<__wasi_fd_t>(fd);
    __wasi_dircookie_t &cookie = state.readdirCookies[directory];
    static uint8_t records[4096];
    __wasi_size_t used = 0;
    __wasi_errno_t error = __wasi_fd_readdir(directory, records, sizeof records, cookie, &used);
    if (error != __WASI_ERRNO_SUCCESS) return -static_cast<long>(error);
    char *out = static_cast<char *>(entries);
    long written = 0;
    std::size_t at = 0;
    while (at + sizeof(__wasi_dirent_t) <= used) {
        __wasi_dirent_t header;
        memcpy(&header, records + at, sizeof header);
        std::size_t recordEnd = at + sizeof header + header.d_namlen;
        if (recordEnd > used) break;  // cut off: read again from its cookie
        std::size_t nameLength = header.d_namlen < 255 ? header.d_namlen : 255;
        std::size_t length = offsetof(struct dirent, d_name) + nameLength + 1;
        length = (length + 7) & ~static_cast<std::size_t>(7);
        if (written + static_cast<long>(length) > count) break;
        struct dirent *entry = reinterpret_cast<struct dirent *>(out + written);
        memset(entry, 0, length);
        entry->d_ino = static_cast<ino_t>(header.d_ino);
        entry->d_off = static_cast<off_t>(header.d_next);
        entry->d_reclen = static_cast<unsigned short>(length);
        entry->d_type = direntTypeOf(header.d_type);
        memcpy(entry->d_name, records + at + sizeof header, nameLength);
        written += static_cast<long>(length);
        cookie = header.d_next;
        at = recordEnd;
    }
    if (written == 0 && at + sizeof(__wasi_dirent_t) <= used) return -EINVAL;  // entry larger than the buffer
    return written;
}

// No process can be started under WASI.
int system(const char *command) { return command == nullptr ? 0 : -1; }

}  // extern "C"

#endif  // __EMSCRIPTEN__ || __wasi__
