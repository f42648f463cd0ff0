// What wasmer gives a module besides WASI: Emscripten's file-name system
// calls (remove, rename, stat, mkdir...) on the folders the module may
// reach, and the few other functions of "env" a standalone module imports.
// An import it cannot provide still links, and stops the module when called.

import * as fs from 'node:fs';
import * as path from 'node:path';

// The module being run, filled in by the runner: its memory is only known
// after instantiation, and every host function that touches memory must see
// the current buffer (growing the memory replaces it).
export const host = {
  folders: [],   // absolute real paths the module may reach, the current directory first
  preopens: [],  // the host folders of WASI's preopened descriptors 3, 4, ..., in order
  instance: null,
  wasiImport: null,
};

// ---------------------------------------------------------------------------
// Memory access for host functions

function memoryView() {
  return new DataView(host.instance.exports.memory.buffer);
}

function memoryBytes() {
  return new Uint8Array(host.instance.exports.memory.buffer);
}

function readCString(address) {
  const bytes = memoryBytes();
  let end = address;
  while (end < bytes.length && bytes[end] !== 0) end++;
  return Buffer.from(bytes.subarray(address, end)).toString('utf8');
}

// ---------------------------------------------------------------------------
// Emscripten's file-name system calls. A standalone em++ module imports these
// from "env" when the program uses them (remove, rename, stat, mkdir...);
// they follow the Linux convention of returning -errno, with WASI numbers.

const WASI_ERRNO = {
  E2BIG: 1, EACCES: 2, EAGAIN: 6, EBADF: 8, EBUSY: 10, EEXIST: 20, EFAULT: 21,
  EFBIG: 22, EINVAL: 28, EIO: 29, EISDIR: 31, ELOOP: 32, EMFILE: 33,
  ENAMETOOLONG: 37, ENFILE: 41, ENOENT: 44, ENOMEM: 48, ENOSPC: 51, ENOSYS: 52,
  ENOTDIR: 54, ENOTEMPTY: 55, ENOTSUP: 58, EPERM: 63, ERANGE: 68, EROFS: 69,
  ETXTBSY: 74, EXDEV: 75,
};

const AT_FDCWD = -100;
const AT_SYMLINK_NOFOLLOW = 0x100;
const AT_REMOVEDIR = 0x200;

// Layout of struct stat in emscripten's wasm32 libc.
const STAT_LAYOUT = {
  dev: 0, inoTruncated: 8, mode: 12, nlink: 16, uid: 20, gid: 24, rdev: 28,
  size: 40, blksize: 48, blocks: 52, atime: 56, mtime: 64, ctime: 72, ino: 80,
  byteSize: 88,
};

function errnoOf(error) {
  return WASI_ERRNO[error && error.code] ?? WASI_ERRNO.EIO;
}

// Runs a host file operation and turns a thrown Node error into -errno.
function asSyscall(operation) {
  try {
    const result = operation();
    return result === undefined ? 0 : result;
  } catch (error) {
    return -errnoOf(error);
  }
}

// The real path of a name as far as it exists: a link inside a folder
// that leads out of it is followed before the name is judged.
function realPathOf(name) {
  let existing = path.resolve(name);
  const rest = [];
  for (;;) {
    try {
      return path.join(fs.realpathSync(existing), ...rest);
    } catch (error) {
      const parent = path.dirname(existing);
      if (parent === existing) return path.resolve(name);
      rest.unshift(path.basename(existing));
      existing = parent;
    }
  }
}

function insideFolders(name) {
  const real = realPathOf(name);
  return host.folders.some((folder) => real === folder || real.startsWith(folder.endsWith('/') ? folder : folder + '/'));
}

// A host name the module may use: inside the folders it was given, or else
// a missing file, as it would be for a native program that cannot see it.
function confined(name) {
  if (insideFolders(name)) return name;
  const error = new Error(`${name} is outside the folders the module was given`);
  error.code = 'ENOENT';
  throw error;
}

function hostPath(pathAddress) {
  return confined(readCString(pathAddress));
}

// Only names relative to the current directory or absolute ones can be
// mapped to host names; a directory descriptor lives inside Node's WASI.
function hostPathAt(directoryFd, pathAddress) {
  const name = readCString(pathAddress);
  if (directoryFd !== AT_FDCWD && !name.startsWith('/')) {
    const error = new Error('directory descriptor not supported');
    error.code = 'ENOSYS';
    throw error;
  }
  return confined(name);
}

function writeStat(buffer, stats) {
  const view = memoryView();
  const seconds = (date) => Math.floor(date.getTime() / 1000) | 0;
  new Uint8Array(view.buffer, buffer, STAT_LAYOUT.byteSize).fill(0);
  view.setUint32(buffer + STAT_LAYOUT.dev, stats.dev >>> 0, true);
  view.setUint32(buffer + STAT_LAYOUT.inoTruncated, Number(BigInt(stats.ino) & 0xffffffffn), true);
  view.setUint32(buffer + STAT_LAYOUT.mode, stats.mode >>> 0, true);
  view.setUint32(buffer + STAT_LAYOUT.nlink, stats.nlink >>> 0, true);
  view.setUint32(buffer + STAT_LAYOUT.uid, stats.uid >>> 0, true);
  view.setUint32(buffer + STAT_LAYOUT.gid, stats.gid >>> 0, true);
  view.setUint32(buffer + STAT_LAYOUT.rdev, stats.rdev >>> 0, true);
  view.setBigInt64(buffer + STAT_LAYOUT.size, BigInt(stats.size), true);
  view.setUint32(buffer + STAT_LAYOUT.blksize, 4096, true);
  view.setUint32(buffer + STAT_LAYOUT.blocks, stats.blocks >>> 0, true);
  view.setInt32(buffer + STAT_LAYOUT.atime, seconds(stats.atime), true);
  view.setInt32(buffer + STAT_LAYOUT.mtime, seconds(stats.mtime), true);
  view.setInt32(buffer + STAT_LAYOUT.ctime, seconds(stats.ctime), true);
  view.setBigUint64(buffer + STAT_LAYOUT.ino, BigInt(stats.ino), true);
}

// WASI file types to the S_IF* bits of st_mode.
const MODE_OF_FILETYPE = [0, 0o060000, 0o020000, 0o040000, 0o100000, 0o140000, 0o140000, 0o120000];

// fstat on a descriptor that Node's WASI owns: ask WASI for its filestat,
// using the caller's buffer (88 bytes) as scratch for the 64-byte record.
function fstatThroughWasi(fd, buffer) {
  const errno = host.wasiImport.fd_filestat_get(fd, buffer);
  if (errno !== 0) return -errno;
  const view = memoryView();
  const filetype = view.getUint8(buffer + 16);
  const toDate = (nanoseconds) => new Date(Number(nanoseconds / 1000000n));
  const stats = {
    dev: Number(view.getBigUint64(buffer, true) & 0xffffffffn),
    ino: view.getBigUint64(buffer + 8, true),
    mode: (MODE_OF_FILETYPE[filetype] ?? 0) | 0o644,
    nlink: Number(view.getBigUint64(buffer + 24, true) & 0xffffffffn),
    uid: 0, gid: 0, rdev: 0,
    size: view.getBigUint64(buffer + 32, true),
    atime: toDate(view.getBigUint64(buffer + 40, true)),
    mtime: toDate(view.getBigUint64(buffer + 48, true)),
    ctime: toDate(view.getBigUint64(buffer + 56, true)),
  };
  stats.blocks = Number((stats.size + 511n) / 512n);
  writeStat(buffer, stats);
  return 0;
}

const fileSyscalls = {
  __syscall_stat64: (path, buffer) =>
    asSyscall(() => writeStat(buffer, fs.statSync(hostPath(path)))),
  __syscall_lstat64: (path, buffer) =>
    asSyscall(() => writeStat(buffer, fs.lstatSync(hostPath(path)))),
  __syscall_fstatat64: (directoryFd, path, buffer, flags) =>
    asSyscall(() => {
      const hostPath = hostPathAt(directoryFd, path);
      const stats = (flags & AT_SYMLINK_NOFOLLOW) ? fs.lstatSync(hostPath) : fs.statSync(hostPath);
      writeStat(buffer, stats);
    }),
  __syscall_fstat64: (fd, buffer) => fstatThroughWasi(fd, buffer),
  __syscall_unlink: (path) => asSyscall(() => fs.unlinkSync(hostPath(path))),
  __syscall_unlinkat: (directoryFd, path, flags) =>
    asSyscall(() => {
      const hostPath = hostPathAt(directoryFd, path);
      if (flags & AT_REMOVEDIR) fs.rmdirSync(hostPath); else fs.unlinkSync(hostPath);
    }),
  __syscall_rmdir: (path) => asSyscall(() => fs.rmdirSync(hostPath(path))),
  __syscall_mkdir: (path, mode) =>
    asSyscall(() => fs.mkdirSync(hostPath(path), { mode })),
  __syscall_mkdirat: (directoryFd, path, mode) =>
    asSyscall(() => fs.mkdirSync(hostPathAt(directoryFd, path), { mode })),
  __syscall_rename: (oldPath, newPath) =>
    asSyscall(() => fs.renameSync(hostPath(oldPath), hostPath(newPath))),
  __syscall_renameat: (oldFd, oldPath, newFd, newPath) =>
    asSyscall(() => fs.renameSync(hostPathAt(oldFd, oldPath), hostPathAt(newFd, newPath))),
  __syscall_faccessat: (directoryFd, path, mode) =>
    asSyscall(() => fs.accessSync(hostPathAt(directoryFd, path), mode)),
  __syscall_getcwd: (buffer, size) => {
    const cwd = Buffer.from(process.cwd() + '\0', 'utf8');
    if (size === 0) return -WASI_ERRNO.EINVAL;
    if (size < cwd.length) return -WASI_ERRNO.ERANGE;
    memoryBytes().set(cwd, buffer);
    return buffer;
  },
};

// ---------------------------------------------------------------------------
// WASI's own calls on names. Node's WASI keeps a name within the folder it
// is looked up in as written, but the host then follows a link wherever it
// leads: a link `up -> ..` in the current directory reached the parent.
// Each name is judged here by the real path it leads to, as the calls above
// judge theirs; one outside the folders is a missing file.

const LOOKUP_SYMLINK_FOLLOW = 1;

function isLink(name) {
  try {
    return fs.lstatSync(name).isSymbolicLink();
  } catch {
    return false;
  }
}

export function confineWasi(wasiImport) {
  // The host folder or file of each descriptor the module holds; one not
  // known here (none opened by name) is left to Node's WASI.
  const nameOfFd = new Map(host.preopens.map((folder, i) => [3 + i, folder]));
  // The host name of a name looked up in descriptor `fd`: undefined when the
  // descriptor is not known, null when the name leads out of the folders.
  // A link that the call does not follow is judged by the folder it is in.
  const judge = (fd, address, length, follow) => {
    const folder = nameOfFd.get(fd);
    if (folder === undefined) return undefined;
    const name = path.resolve(folder, Buffer.from(memoryBytes().subarray(address, address + length)).toString('utf8'));
    const reachable = !follow && isLink(name) ? insideFolders(path.dirname(name)) : insideFolders(name);
    return reachable ? name : null;
  };
  const refused = (...names) => names.some((name) => name === null);
  const wrapped = { ...wasiImport };
  wrapped.path_open = (fd, dirflags, address, length, oflags, base, inheriting, fdflags, openedAddress) => {
    const name = judge(fd, address, length, dirflags & LOOKUP_SYMLINK_FOLLOW);
    if (refused(name)) return WASI_ERRNO.ENOENT;
    const errno = wasiImport.path_open(fd, dirflags, address, length, oflags, base, inheriting, fdflags, openedAddress);
    if (errno === 0 && name !== undefined) nameOfFd.set(memoryView().getUint32(openedAddress, true), name);
    return errno;
  };
  wrapped.fd_close = (fd) => {
    const errno = wasiImport.fd_close(fd);
    if (errno === 0) nameOfFd.delete(fd);
    return errno;
  };
  wrapped.fd_renumber = (from, to) => {
    const errno = wasiImport.fd_renumber(from, to);
    if (errno === 0) {
      if (nameOfFd.has(from)) nameOfFd.set(to, nameOfFd.get(from)); else nameOfFd.delete(to);
      nameOfFd.delete(from);
    }
    return errno;
  };
  // The calls whose name follows a descriptor, with the flags before it
  // when they have any.
  for (const call of ['path_filestat_get', 'path_filestat_set_times']) {
    wrapped[call] = (fd, flags, address, length, ...rest) =>
      refused(judge(fd, address, length, flags & LOOKUP_SYMLINK_FOLLOW))
        ? WASI_ERRNO.ENOENT : wasiImport[call](fd, flags, address, length, ...rest);
  }
  for (const call of ['path_create_directory', 'path_remove_directory', 'path_unlink_file', 'path_readlink']) {
    wrapped[call] = (fd, address, length, ...rest) =>
      refused(judge(fd, address, length, false)) ? WASI_ERRNO.ENOENT : wasiImport[call](fd, address, length, ...rest);
  }
  wrapped.path_rename = (fd, address, length, newFd, newAddress, newLength) =>
    refused(judge(fd, address, length, false), judge(newFd, newAddress, newLength, false))
      ? WASI_ERRNO.ENOENT : wasiImport.path_rename(fd, address, length, newFd, newAddress, newLength);
  wrapped.path_link = (fd, flags, address, length, newFd, newAddress, newLength) =>
    refused(judge(fd, address, length, flags & LOOKUP_SYMLINK_FOLLOW), judge(newFd, newAddress, newLength, false))
      ? WASI_ERRNO.ENOENT : wasiImport.path_link(fd, flags, address, length, newFd, newAddress, newLength);
  // A link may be made to lead anywhere: what is judged is its use.
  wrapped.path_symlink = (target, targetLength, fd, address, length) =>
    refused(judge(fd, address, length, false))
      ? WASI_ERRNO.ENOENT : wasiImport.path_symlink(target, targetLength, fd, address, length);
  return wrapped;
}

// ---------------------------------------------------------------------------
// Imports

const otherEnvFunctions = {
  // A module linked with -sALLOW_MEMORY_GROWTH tells the host about growth so
  // a JavaScript host could refresh its views; ours read the buffer afresh.
  emscripten_notify_memory_growth: () => {},
  // Node's global crypto is loaded at its first use: a module that never
  // asks for entropy does not pay for loading it at every start.
  getentropy: (buffer, length) => {
    globalThis.crypto.getRandomValues(new Uint8Array(host.instance.exports.memory.buffer, buffer, length));
    return 0;
  },
};

export class UnsupportedImportError extends Error {}

// A function the module imports but this host cannot provide: linking still
// succeeds, so programs that never call it run; calling it stops the module.
function missingFunction(moduleName, name) {
  if (moduleName === 'env' && name.startsWith('__syscall_')) {
    return () => -WASI_ERRNO.ENOSYS;
  }
  return () => {
    throw new UnsupportedImportError(`the module called ${moduleName}.${name}, which this runtime does not provide`);
  };
}

export function buildImports(module, wasiImport) {
  const imports = { wasi_snapshot_preview1: wasiImport, env: {} };
  const provided = { ...fileSyscalls, ...otherEnvFunctions };
  for (const entry of WebAssembly.Module.imports(module)) {
    if (entry.module === 'wasi_snapshot_preview1' || entry.kind !== 'function') continue;
    imports[entry.module] ??= {};
    if (entry.module === 'env' && provided[entry.name]) {
      imports.env[entry.name] = provided[entry.name];
    } else {
      imports[entry.module][entry.name] = missingFunction(entry.module, entry.name);
    }
  }
  return imports;
}

