// wasmer: runs a standalone WebAssembly (WASI) module, as built by em++/emcc,
// on Node's built-in WASI.
//
//   wasmer [run] module.wasm [arguments...]
//
// The module sees its arguments (argv[0] is the module name as given), the
// environment (with PWD set to the current directory), standard
// input/output/error, the current directory (preopened as ".") and the root directory (preopened as "/", so that absolute names
// work as they would for a native program). The exit status is the module's
// own (proc_exit); a trap prints a message on standard error and gives 1.

import { WASI } from 'node:wasi';
import * as fs from 'node:fs';
import { webcrypto } from 'node:crypto';

const TOOL_NAME = 'wasmer';
const TOOL_VERSION = 'velmora-wasmer 1.0 (Node WASI)';
const TRAP_STATUS = 1;
const USAGE_STATUS = 2;

// The module being run: its memory is only known after instantiation, and
// every host function that touches memory must see the current buffer
// (growing the memory replaces it).
const runState = {
  modulePath: '',
  moduleBytes: null,
  instance: null,
  wasiImport: null,
};

// ---------------------------------------------------------------------------
// Command line

function usageText() {
  return `Usage: ${TOOL_NAME} [run] <module.wasm> [arguments...]\n`;
}

// Returns { action: 'run' | 'help' | 'version' | 'error', ... }.
function parseCommandLine(args) {
  let rest = args.slice();
  if (rest[0] === 'run') rest = rest.slice(1);
  while (rest.length > 0 && rest[0].startsWith('-')) {
    const option = rest[0];
    if (option === '--') { rest = rest.slice(1); break; }
    if (option === '-h' || option === '--help') return { action: 'help' };
    if (option === '-V' || option === '--version') return { action: 'version' };
    return { action: 'error', message: `unknown option ${option}` };
  }
  if (rest.length === 0) return { action: 'error', message: 'no module given' };
  return { action: 'run', modulePath: rest[0], programArguments: rest.slice(1) };
}

// ---------------------------------------------------------------------------
// Memory access for host functions

function memoryView() {
  return new DataView(runState.instance.exports.memory.buffer);
}

function memoryBytes() {
  return new Uint8Array(runState.instance.exports.memory.buffer);
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

// Only names relative to the current directory or absolute ones can be
// mapped to host names; a directory descriptor lives inside Node's WASI.
function hostPathAt(directoryFd, pathAddress) {
  const path = readCString(pathAddress);
  if (directoryFd !== AT_FDCWD && !path.startsWith('/')) {
    const error = new Error('directory descriptor not supported');
    error.code = 'ENOSYS';
    throw error;
  }
  return path;
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
  const errno = runState.wasiImport.fd_filestat_get(fd, buffer);
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
    asSyscall(() => writeStat(buffer, fs.statSync(readCString(path)))),
  __syscall_lstat64: (path, buffer) =>
    asSyscall(() => writeStat(buffer, fs.lstatSync(readCString(path)))),
  __syscall_fstatat64: (directoryFd, path, buffer, flags) =>
    asSyscall(() => {
      const hostPath = hostPathAt(directoryFd, path);
      const stats = (flags & AT_SYMLINK_NOFOLLOW) ? fs.lstatSync(hostPath) : fs.statSync(hostPath);
      writeStat(buffer, stats);
    }),
  __syscall_fstat64: (fd, buffer) => fstatThroughWasi(fd, buffer),
  __syscall_unlink: (path) => asSyscall(() => fs.unlinkSync(readCString(path))),
  __syscall_unlinkat: (directoryFd, path, flags) =>
    asSyscall(() => {
      const hostPath = hostPathAt(directoryFd, path);
      if (flags & AT_REMOVEDIR) fs.rmdirSync(hostPath); else fs.unlinkSync(hostPath);
    }),
  __syscall_rmdir: (path) => asSyscall(() => fs.rmdirSync(readCString(path))),
  __syscall_mkdir: (path, mode) =>
    asSyscall(() => fs.mkdirSync(readCString(path), { mode })),
  __syscall_mkdirat: (directoryFd, path, mode) =>
    asSyscall(() => fs.mkdirSync(hostPathAt(directoryFd, path), { mode })),
  __syscall_rename: (oldPath, newPath) =>
    asSyscall(() => fs.renameSync(readCString(oldPath), readCString(newPath))),
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
// Imports

const otherEnvFunctions = {
  // A module linked with -sALLOW_MEMORY_GROWTH tells the host about growth so
  // a JavaScript host could refresh its views; ours read the buffer afresh.
  emscripten_notify_memory_growth: () => {},
  getentropy: (buffer, length) => {
    webcrypto.getRandomValues(new Uint8Array(runState.instance.exports.memory.buffer, buffer, length));
    return 0;
  },
};

class UnsupportedImportError extends Error {}

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

function buildImports(module, wasiImport) {
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

// ---------------------------------------------------------------------------
// Running

function createWasi(modulePath, programArguments) {
  return new WASI({
    version: 'preview1',
    args: [modulePath, ...programArguments],
    // PWD names the directory preopened as ".", whatever the caller's shell
    // last set it to, so that the module can tell its absolute name.
    env: { ...process.env, PWD: process.cwd() },
    preopens: { '.': process.cwd(), '/': '/' },
    returnOnExit: true,
  });
}

function compileModule(modulePath) {
  let bytes;
  try {
    bytes = fs.readFileSync(modulePath);
  } catch (error) {
    throw new Error(`cannot read ${modulePath}: ${error.message}`);
  }
  runState.moduleBytes = bytes;
  try {
    return new WebAssembly.Module(bytes);
  } catch (error) {
    throw new Error(`${modulePath} is not a valid WebAssembly module: ${error.message}`);
  }
}

function runModule(modulePath, programArguments) {
  const module = compileModule(modulePath);
  const wasi = createWasi(modulePath, programArguments);
  runState.modulePath = modulePath;
  runState.wasiImport = wasi.wasiImport;
  runState.instance = new WebAssembly.Instance(module, buildImports(module, wasi.wasiImport));
  const status = wasi.start(runState.instance);
  return typeof status === 'number' ? status : 0;
}

// Frames of a trap looked at for the program's function that ran it.
const TRAP_FRAMES = 64;

// The C library's and the allocator's own functions, which a trap often
// ends in, with plain names like a program's.
const RUNTIME_FUNCTIONS = new Set([
  'abort', 'calloc', 'dlcalloc', 'dlfree', 'dlmalloc', 'dlrealloc', 'free', 'malloc', 'memcmp', 'memcpy',
  'memmove', 'memset', 'realloc', 'sbrk', 'strcmp', 'strlen',
]);

// libvel's classes whose names do not begin with "vel" or "_".
const RUNTIME_CLASSES = new Set(['dict', 'dyn', 'text']);

// The Velmora name of a function of the module's name section, or '' for
// functions of libvel, the C++ library and the C library. velc writes the
// program's functions under their own names ("f(int, text)" in the name
// section), methods as "Class::f(int)", a name C++ reserves with a "_"
// more, and its top-level code into main and "_vel_main_..." functions;
// libvel's begin with "vel" or "_", or are operators or members of its own
// classes and of std. A method is named without its class, as run-time
// errors name it.
function velmoraFunctionOf(frameName) {
  const call = /^(?:([A-Za-z][A-Za-z0-9_]*)::)?([A-Za-z][A-Za-z0-9_]*)\(/.exec(frameName ?? '');
  if (!call) return null;
  const owner = call[1];
  const name = call[2];
  if (owner && (owner.startsWith('vel') || RUNTIME_CLASSES.has(owner) || name === 'operator')) return null;
  if (RUNTIME_FUNCTIONS.has(name) || name.startsWith('vel') || name.startsWith('emscripten')) return null;
  const symbol = owner ? `${owner}::${name}` : name;
  if (name === 'main') return { name: 'main', symbol };
  return { name: name.endsWith('_') ? name.slice(0, -1) : name, symbol };
}

// The program's function a trap happened in: the one most frames are of
// (a deep recursion), else the innermost; null when none is the program's.
function trapFunction(error) {
  const counts = new Map();
  const functions = new Map();
  let innermost = null;
  for (const frame of error.velmoraFrames ?? []) {
    const found = velmoraFunctionOf(frame);
    if (!found) continue;
    innermost ??= found;
    functions.set(found.symbol, found);
    counts.set(found.symbol, (counts.get(found.symbol) ?? 0) + 1);
  }
  let chosen = innermost;
  for (const [symbol, count] of counts) {
    if (count > (counts.get(chosen.symbol) ?? 0)) chosen = functions.get(symbol);
  }
  const onlyMain = chosen && chosen.name === 'main' && [...counts.keys()].every((symbol) => symbol === 'main');
  return onlyMain ? null : chosen;
}

// The Velmora places of the program's functions: velc writes into each
// translation, after a marker, a string of entries "symbol, source, line of
// the head, line of the first call to itself (0 if none)" separated by tabs,
// which lands in the module's data. Read only after a trap.
const PLACES_MARKER = Buffer.from('\x7fvelmora functions\x01', 'latin1');

function functionPlaces(bytes) {
  const places = new Map();
  for (let at = bytes.indexOf(PLACES_MARKER); at >= 0; at = bytes.indexOf(PLACES_MARKER, at + 1)) {
    const start = at + PLACES_MARKER.length;
    const end = bytes.indexOf(0, start);
    const table = bytes.subarray(start, end < 0 ? bytes.length : end).toString('utf8');
    for (const entry of table.split('\n')) {
      const [symbol, file, head, recursion] = entry.split('\t');
      if (recursion === undefined || places.has(symbol)) continue;
      places.set(symbol, { file, head: Number(head), recursion: Number(recursion) });
    }
  }
  return places;
}

// Node's call sites of a trap, kept as the names of their functions.
function keepTrapFrames() {
  Error.stackTraceLimit = TRAP_FRAMES;
  Error.prepareStackTrace = (error, sites) => {
    error.velmoraFrames = sites.map((site) => site.getFunctionName());
    return `${error.name}: ${error.message}`;
  };
}

// Node's words for a stack that ran out.
const STACK_EXHAUSTED = 'Maximum call stack size exceeded';

// One line: a stack that ran out reads as a native program's does, and the
// Velmora line of the trap's function comes first where the module tells it.
function describeFailure(error, modulePath) {
  const isTrap = error instanceof WebAssembly.RuntimeError || error instanceof RangeError
    || error instanceof UnsupportedImportError;
  if (!isTrap) return `${TOOL_NAME}: ${error.message}`;
  void error.stack;  // Node makes the frames when the stack is first read
  const chosen = trapFunction(error);
  const inFunction = chosen ? ` (in ${chosen.name})` : '';
  const place = chosen && runState.moduleBytes ? functionPlaces(runState.moduleBytes).get(chosen.symbol) : undefined;
  const exhausted = error instanceof RangeError && error.message === STACK_EXHAUSTED;
  if (!place) return `${TOOL_NAME}: ${modulePath}: trap: ${error.message}${inFunction}`;
  if (exhausted) {
    const line = place.recursion > 0 ? place.recursion : place.head;
    return `${place.file} L${line}: Run-time error: recursion too deep, the stack is exhausted${inFunction}`;
  }
  return `${place.file} L${place.head}: ${TOOL_NAME}: ${modulePath}: trap: ${error.message}${inFunction}`;
}

function main(args) {
  const command = parseCommandLine(args);
  switch (command.action) {
    case 'help':
      process.stdout.write(usageText());
      return 0;
    case 'version':
      process.stdout.write(`${TOOL_VERSION}\n`);
      return 0;
    case 'error':
      process.stderr.write(`${TOOL_NAME}: ${command.message}\n${usageText()}`);
      return USAGE_STATUS;
    default:
      break;
  }
  try {
    return runModule(command.modulePath, command.programArguments);
  } catch (error) {
    process.stderr.write(`${describeFailure(error, command.modulePath)}\n`);
    return TRAP_STATUS;
  }
}

keepTrapFrames();
process.exitCode = main(process.argv.slice(2));
