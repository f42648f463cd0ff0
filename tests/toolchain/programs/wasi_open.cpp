// Emscripten's standalone libc cannot open files by name: its open() knows
// only /dev/stdin, /dev/stdout and /dev/stderr. This strong definition
// replaces it with WASI path_open on the directories the host preopened:
// "." for relative names, "/" for absolute ones.
#include <wasi/api.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>

namespace {

const __wasi_rights_t readRights = __WASI_RIGHTS_FD_READ | __WASI_RIGHTS_FD_READDIR;
const __wasi_rights_t writeRights = __WASI_RIGHTS_FD_WRITE | __WASI_RIGHTS_FD_DATASYNC
    | __WASI_RIGHTS_FD_ALLOCATE | __WASI_RIGHTS_FD_FILESTAT_SET_SIZE;
const __wasi_rights_t commonRights = __WASI_RIGHTS_FD_SEEK | __WASI_RIGHTS_FD_TELL
    | __WASI_RIGHTS_FD_FDSTAT_SET_FLAGS | __WASI_RIGHTS_FD_FILESTAT_GET
    | __WASI_RIGHTS_FD_ADVISE | __WASI_RIGHTS_FD_SYNC | __WASI_RIGHTS_POLL_FD_READWRITE;

// Descriptors from 3 upwards are preopens until the first that is not.
int findPreopenedDirectory(const char* wanted) {
    for (__wasi_fd_t fd = 3;; ++fd) {
        __wasi_prestat_t prestat;
        if (__wasi_fd_prestat_get(fd, &prestat) != __WASI_ERRNO_SUCCESS) return -1;
        if (prestat.pr_type != __WASI_PREOPENTYPE_DIR) continue;
        char name[256];
        size_t length = prestat.u.dir.pr_name_len;
        if (length >= sizeof name) continue;
        if (__wasi_fd_prestat_dir_name(fd, reinterpret_cast<uint8_t*>(name), length) != 0) continue;
        name[length] = '\0';
        if (strcmp(name, wanted) == 0) return static_cast<int>(fd);
    }
}

// The host opens the file read-only, write-only or read-write according to
// the rights asked for, so they follow the access mode.
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

}  // namespace

extern "C" long __syscall_open(const char* path, long flags, ...) {
    const bool absolute = path[0] == '/';
    const int directory = findPreopenedDirectory(absolute ? "/" : ".");
    if (directory < 0) return -EACCES;
    while (*path == '/') ++path;
    if (*path == '\0') path = ".";
    __wasi_fdflags_t fdflags = (flags & O_APPEND) ? __WASI_FDFLAGS_APPEND : 0;
    __wasi_fd_t opened;
    __wasi_errno_t error = __wasi_path_open(directory, __WASI_LOOKUPFLAGS_SYMLINK_FOLLOW,
        path, strlen(path), openFlagsFor(flags), rightsFor(flags), rightsFor(flags),
        fdflags, &opened);
    if (error != __WASI_ERRNO_SUCCESS) return -static_cast<long>(error);
    return static_cast<long>(opened);
}
