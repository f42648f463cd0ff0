// wasmer: runs a standalone WebAssembly (WASI) module, as built by em++/emcc,
// on Node's built-in WASI.
//
//   wasmer [run] [--dir FOLDER]... module.wasm [arguments...]
//
// The module sees its arguments (argv[0] is the module name as given), a
// few variables of the environment (ENVIRONMENT_KEPT, and PWD set to the
// current directory), standard input/output/error, and the current
// directory with the folders given by --dir and what lies below them:
// nothing else of the file system. Each is preopened under its absolute
// name, the current directory also as ".", so that absolute names inside
// them work as they would for a native program; a name outside them, by an
// absolute path or by "..", fails as a missing file would. The exit status
// is the module's own (proc_exit); a trap prints a message on standard
// error and gives 1.

import { WASI } from 'node:wasi';
import * as fs from 'node:fs';
import * as path from 'node:path';

const TOOL_NAME = 'wasmer';
const TOOL_VERSION = 'velmora-wasmer 1.0 (Node WASI)';
const TRAP_STATUS = 1;
const USAGE_STATUS = 2;

// The module being run: its memory is only known after instantiation, and
// every host function that touches memory must see the current buffer
// (growing the memory replaces it).
const runState = {
  modulePath: '',
  folders: [],   // absolute real paths the module may reach, the current directory first
  moduleBytes: null,
  instance: null,
  wasiImport: null,
  exitFrames: null,  // the module's frames when it ended with a failing status
  unplacedError: null,  // a run-time error's line that names no place, held until the module ends
};

// ---------------------------------------------------------------------------
// Command line

function usageText() {
  return `Usage: ${TOOL_NAME} [run] [--dir FOLDER]... <module.wasm> [arguments...]\n`;
}

// Returns { action: 'run' | 'help' | 'version' | 'error', ... }.
function parseCommandLine(args) {
  let rest = args.slice();
  const folders = [];
  if (rest[0] === 'run') rest = rest.slice(1);
  while (rest.length > 0 && rest[0].startsWith('-')) {
    const option = rest[0];
    if (option === '--') { rest = rest.slice(1); break; }
    if (option === '-h' || option === '--help') return { action: 'help' };
    if (option === '-V' || option === '--version') return { action: 'version' };
    if (option === '--dir' && rest.length > 1) {
      folders.push(rest[1]);
      rest = rest.slice(2);
      continue;
    }
    if (option.startsWith('--dir=')) {
      folders.push(option.slice(6));
      rest = rest.slice(1);
      continue;
    }
    return { action: 'error', message: `unknown option ${option}` };
  }
  if (rest.length === 0) return { action: 'error', message: 'no module given' };
  return { action: 'run', modulePath: rest[0], programArguments: rest.slice(1), folders };
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
  return runState.folders.some((folder) => real === folder || real.startsWith(folder.endsWith('/') ? folder : folder + '/'));
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
// Imports

const otherEnvFunctions = {
  // A module linked with -sALLOW_MEMORY_GROWTH tells the host about growth so
  // a JavaScript host could refresh its views; ours read the buffer afresh.
  emscripten_notify_memory_growth: () => {},
  // Node's global crypto is loaded at its first use: a module that never
  // asks for entropy does not pay for loading it at every start.
  getentropy: (buffer, length) => {
    globalThis.crypto.getRandomValues(new Uint8Array(runState.instance.exports.memory.buffer, buffer, length));
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
// Tiers
//
// V8 compiles a function with its baseline compiler at its first call and
// with its optimising compiler only when the function is called again after
// it has run for a while: the loops of main, of the parts main goes on in
// and of a function called once would run as baseline code to their end.
// So the module gets a compilationHints section (an experimental V8 feature
// that the wasmer script enables) asking for the optimising compiler at the
// first call of the program's own code; libvel and the C++ and C libraries
// keep V8's own tiering. A function past OPTIMISED_BODY_BYTES (long
// straight-line top-level code) would cost more to optimise than it saves,
// and so would many (see OPTIMISED_FUNCTIONS): those stay with V8's choice.

const SECTION = { custom: 0, import: 2, code: 10 };
const IMPORT_KIND = { function: 0, table: 1, memory: 2, global: 3, tag: 4 };
const NAME_SUBSECTION_FUNCTIONS = 1;
const HINTS_SECTION_NAME = 'compilationHints';
// One byte per function: strategy (bits 0-1, 0 as V8 chooses), baseline
// tier (bits 2-3) and top tier (bits 4-5), 2 for the optimising compiler.
const HINT_AS_V8_CHOOSES = 0x00;
const HINT_OPTIMISED = 0x28;
const OPTIMISED_BODY_BYTES = 8 * 1024;

// The program's top-level code: main, under the names em++ gives it, and
// the parts main goes on in.
const MAIN_PARTS = /^(?:__original_main|main|__main_argc_argv|_vel_main_)/;
// The top-level loops of a long program's pieces are functions too
// ("_vel_loop_..."), and so are its functions and methods; each takes the
// optimising compiler a tenth of a millisecond or more even when small. A
// module with more of them than this (a 5,000-line program has hundreds,
// each of which runs briefly) leaves them to V8's tiering: optimising them
// all cost more than they gained.
const OPTIMISED_FUNCTIONS = 64;
const LOOP_FUNCTION = /^_vel_loop_/;

class ModuleReader {
  constructor(bytes, at = 0, end = bytes.length) {
    this.bytes = bytes;
    this.at = at;
    this.end = end;
  }
  byte() {
    if (this.at >= this.end) throw new RangeError('past the end of a section');
    return this.bytes[this.at++];
  }
  // An unsigned LEB128 number of up to 32 bits.
  u32() {
    let value = 0;
    for (let shift = 0; shift < 35; shift += 7) {
      const b = this.byte();
      value |= (b & 0x7f) << shift;
      if ((b & 0x80) === 0) return value >>> 0;
    }
    throw new RangeError('number too long');
  }
  skip(count) {
    if (count > this.end - this.at) throw new RangeError('past the end of a section');
    this.at += count;
  }
  name() {
    const length = this.u32();
    const start = this.at;
    this.skip(length);
    return this.bytes.toString('utf8', start, this.at);
  }
}

// Each section: its id, where it starts (its id byte) and where its
// contents start and end.
function moduleSections(bytes) {
  const sections = [];
  const reader = new ModuleReader(bytes, 8);
  while (reader.at < bytes.length) {
    const start = reader.at;
    const id = reader.byte();
    const size = reader.u32();
    const contents = reader.at;
    reader.skip(size);
    sections.push({ id, start, contents, end: reader.at });
  }
  return sections;
}

function readerOf(bytes, section) {
  return new ModuleReader(bytes, section.contents, section.end);
}

function skipLimits(reader) {
  const flags = reader.byte();
  reader.u32();
  if (flags & 1) reader.u32();
}

function importedFunctionCount(reader) {
  let functions = 0;
  for (let count = reader.u32(); count > 0; count--) {
    reader.name();
    reader.name();
    const kind = reader.byte();
    if (kind === IMPORT_KIND.function) {
      functions++;
      reader.u32();
    } else if (kind === IMPORT_KIND.table) {
      reader.byte();
      skipLimits(reader);
    } else if (kind === IMPORT_KIND.memory) {
      skipLimits(reader);
    } else if (kind === IMPORT_KIND.global) {
      reader.skip(2);
    } else if (kind === IMPORT_KIND.tag) {
      reader.byte();
      reader.u32();
    } else {
      throw new RangeError(`import of unknown kind ${kind}`);
    }
  }
  return functions;
}

const UNDERSCORE = 0x5f;
const COLON = 0x3a;
const OPENING_PARENTHESIS = 0x28;
const LETTER_M = 0x6d;
const STD_PREFIX = Buffer.from('std::', 'latin1');

function isLetter(b) {
  return (b >= 0x41 && b <= 0x5a) || (b >= 0x61 && b <= 0x7a);
}

function isNameCharacter(b) {
  return isLetter(b) || (b >= 0x30 && b <= 0x39) || b === UNDERSCORE;
}

// Whether the name from start to end can be the program's (see
// programFunctions): top-level code begins with "_" or is "main" (a C name,
// without its parameters), and a program's function is a name followed by
// "(" or "::" (a template's name has its return type and a blank first,
// never a program's).
function mayBeProgramCode(bytes, start, end) {
  if (start >= end) return false;
  if (bytes[start] === UNDERSCORE) return true;
  if (!isLetter(bytes[start])) return false;
  let at = start + 1;
  while (at < end && isNameCharacter(bytes[at])) at++;
  if (at === end) return bytes[start] === LETTER_M;
  return bytes[at] === OPENING_PARENTHESIS || bytes[at] === COLON;
}

// The indices of the program's functions, from the function names of the
// name section: its main parts, and the others (its loop functions,
// functions and methods, named as wasmer tells a trap's function). This
// runs before every program, over some thousand names, in code V8 has not
// optimised yet: it walks the bytes with plain locals (a ModuleReader costs
// several times as much here), skips the names of std (most of them) by
// their first bytes and reads a name as text only when mayBeProgramCode
// lets it through.
function programFunctions(bytes, section) {
  const found = { mainParts: new Set(), others: new Set() };
  const reader = readerOf(bytes, section);
  if (reader.name() !== 'name') return found;
  let at = reader.at;
  const end = reader.end;
  const u32 = () => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      if (at >= end || shift > 28) throw new RangeError('bad number in the name section');
      const b = bytes[at++];
      value |= (b & 0x7f) << shift;
      if ((b & 0x80) === 0) return value >>> 0;
    }
  };
  while (at < end) {
    const id = bytes[at++];
    const next = u32() + at;
    if (id === NAME_SUBSECTION_FUNCTIONS) {
      for (let count = u32(); count > 0; count--) {
        const index = u32();
        const length = u32();
        const first = at;
        at += length;
        if (at > end) throw new RangeError('name past the end of the name section');
        if (length > STD_PREFIX.length && bytes[first] === STD_PREFIX[0] && bytes[first + 1] === STD_PREFIX[1]
            && bytes[first + 2] === STD_PREFIX[2] && bytes[first + 3] === COLON) continue;
        if (!mayBeProgramCode(bytes, first, at)) continue;
        const name = bytes.toString('utf8', first, at);
        if (MAIN_PARTS.test(name)) found.mainParts.add(index);
        else if (LOOP_FUNCTION.test(name) || velmoraFunctionOf(name) !== null) found.others.add(index);
      }
    }
    at = next;
  }
  return found;
}

// One hint per function of the code section: the optimising compiler for
// the program's functions up to OPTIMISED_BODY_BYTES, V8's choice for the
// others.
function functionHints(bytes, code, program, imported) {
  let at = code.contents;
  const end = code.end;
  const u32 = () => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      if (at >= end || shift > 28) throw new RangeError('bad number in the code section');
      const b = bytes[at++];
      value |= (b & 0x7f) << shift;
      if ((b & 0x80) === 0) return value >>> 0;
    }
  };
  const count = u32();
  const hints = Buffer.alloc(count, HINT_AS_V8_CHOOSES);
  for (let i = 0; i < count; i++) {
    const size = u32();
    if (size <= OPTIMISED_BODY_BYTES && program.has(imported + i)) hints[i] = HINT_OPTIMISED;
    at += size;
  }
  if (at > end) throw new RangeError('function past the end of the code section');
  return hints;
}

// The module with a compilationHints section before its code, or null when
// it has no name section to tell the program's functions by, already has
// hints, or cannot be read (V8 then reports what is wrong with it).
function withCompilationHints(bytes) {
  try {
    const sections = moduleSections(bytes);
    const find = (id, name) => sections.find((section) => section.id === id
      && (name === undefined || readerOf(bytes, section).name() === name));
    const code = find(SECTION.code);
    const nameSection = find(SECTION.custom, 'name');
    if (!code || !nameSection || find(SECTION.custom, HINTS_SECTION_NAME)) return null;
    const importSection = find(SECTION.import);
    const imported = importSection ? importedFunctionCount(readerOf(bytes, importSection)) : 0;
    const found = programFunctions(bytes, nameSection);
    const program = found.others.size > OPTIMISED_FUNCTIONS ? found.mainParts
      : new Set([...found.mainParts, ...found.others]);
    const hints = functionHints(bytes, code, program, imported);
    return Buffer.concat([bytes.subarray(0, code.start), hintsSection(hints), bytes.subarray(code.start)]);
  } catch (error) {
    if (error instanceof RangeError) return null;
    throw error;
  }
}

function unsignedLeb(value) {
  const out = [];
  do {
    let b = value % 128;
    value = Math.floor(value / 128);
    if (value > 0) b |= 0x80;
    out.push(b);
  } while (value > 0);
  return out;
}

function hintsSection(hints) {
  const name = Buffer.from(HINTS_SECTION_NAME, 'utf8');
  const contents = Buffer.concat([
    Buffer.from(unsignedLeb(name.length)), name, Buffer.from(unsignedLeb(hints.length)), hints,
  ]);
  return Buffer.concat([Buffer.from([SECTION.custom, ...unsignedLeb(contents.length)]), contents]);
}

// ---------------------------------------------------------------------------
// Running

// The variables of the environment a module sees, besides PWD: those that
// choose a language, a time zone and a terminal. Others (HOME, PATH, keys
// and tokens) tell of or open what lies outside its folders.
const ENVIRONMENT_KEPT = ['LANG', 'LANGUAGE', 'LC_ALL', 'LC_CTYPE', 'LC_COLLATE', 'LC_MESSAGES', 'LC_NUMERIC',
  'LC_TIME', 'TZ', 'TERM', 'COLUMNS', 'LINES'];

function moduleEnvironment() {
  const environment = {};
  for (const name of ENVIRONMENT_KEPT)
    if (process.env[name] !== undefined) environment[name] = process.env[name];
  // PWD names the directory preopened as ".", whatever the caller's shell
  // last set it to, so that the module can tell its absolute name.
  environment.PWD = runState.folders[0];
  return environment;
}

// The current directory and the folders given, each under its absolute
// name; one that does not exist is an error of the command line.
function moduleFolders(folders) {
  const real = [fs.realpathSync(process.cwd())];
  for (const folder of folders) {
    let resolved;
    try {
      resolved = fs.realpathSync(folder);
      if (!fs.statSync(resolved).isDirectory()) throw new Error('not a folder');
    } catch (error) {
      throw new Error(`--dir ${folder}: no such folder`);
    }
    if (!real.includes(resolved)) real.push(resolved);
  }
  return real;
}

function createWasi(modulePath, programArguments, folders) {
  const preopens = { '.': process.cwd() };
  for (const folder of folders) preopens[folder] = folder;
  return new WASI({
    version: 'preview1',
    args: [modulePath, ...programArguments],
    env: moduleEnvironment(),
    preopens,
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
  const hinted = withCompilationHints(bytes);
  if (hinted) {
    try {
      const module = new WebAssembly.Module(hinted);
      // The offsets of its frames are those of the bytes compiled.
      runState.moduleBytes = hinted;
      return module;
    } catch {
      // The module itself is reported below, as it would be without hints.
    }
  }
  try {
    return new WebAssembly.Module(bytes);
  } catch (error) {
    throw new Error(`${modulePath} is not a valid WebAssembly module: ${error.message}`);
  }
}

function runModule(modulePath, programArguments, folders) {
  runState.folders = moduleFolders(folders);
  const module = compileModule(modulePath);
  const wasi = createWasi(modulePath, programArguments, runState.folders);
  runState.modulePath = modulePath;
  runState.wasiImport = wasi.wasiImport;
  runState.instance = new WebAssembly.Instance(module, buildImports(module, withExitFrames(wasi.wasiImport)));
  const status = wasi.start(runState.instance);
  return typeof status === 'number' ? status : 0;
}

// A module that ends with a failing status keeps the frames it ended from:
// a run-time error's report names its own place, and its callers are told
// from these frames afterwards. Nothing is looked at on the way to a
// status of 0.
function withExitFrames(wasiImport) {
  const exit = wasiImport.proc_exit;
  const write = wasiImport.fd_write;
  return {
    ...wasiImport,
    // A run-time error's line without a place is held: the place is told
    // from the frames the module ends from.
    fd_write(fd, iovs, iovsLength, writtenAddress) {
      if (fd === 2 && runState.unplacedError === null) {
        const text = gatheredText(iovs, iovsLength);
        if (text.startsWith(RUN_TIME_ERROR)) {
          runState.unplacedError = text;
          memoryView().setUint32(writtenAddress, Buffer.byteLength(text, 'latin1'), true);
          return 0;
        }
      }
      return write(fd, iovs, iovsLength, writtenAddress);
    },
    proc_exit(status) {
      if (status !== 0) {
        const holder = {};
        Error.captureStackTrace(holder);
        void holder.stack;
        runState.exitFrames = holder.wasmFrames;
      }
      return exit(status);
    },
  };
}

const RUN_TIME_ERROR = 'Run-time error: ';

// The bytes of a WASI write, one character per byte.
function gatheredText(iovs, iovsLength) {
  const view = memoryView();
  const bytes = memoryBytes();
  let text = '';
  for (let i = 0; i < iovsLength; i++) {
    const base = view.getUint32(iovs + i * 8, true);
    const length = view.getUint32(iovs + i * 8 + 4, true);
    text += Buffer.from(bytes.subarray(base, base + length)).toString('latin1');
  }
  return text;
}

// Frames of a failure kept for the Velmora frames that led to it: enough
// for the callers of a failure in a deep recursion.
const TRAP_FRAMES = 4000;

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

// Node's call sites of a trap, kept as the names of their functions and,
// for the line tables, the offsets of the module's frames in its bytes.
function keepTrapFrames() {
  Error.stackTraceLimit = TRAP_FRAMES;
  Error.prepareStackTrace = (error, sites) => {
    error.velmoraFrames = sites.map((site) => site.getFunctionName());
    error.wasmFrames = sites.filter((site) => String(site.getScriptNameOrSourceURL()).startsWith('wasm'))
      .map((site) => ({ name: site.getFunctionName() ?? '', offset: site.getPosition() }));
    return `${error.name}: ${error.message}`;
  };
}

// The reader of the module's line tables, loaded only after a failure.
async function traceModule() {
  for (const candidate of ['./velmora_trace.mjs', '../web/velmora_trace.mjs']) {
    const url = new URL(candidate, import.meta.url);
    if (fs.existsSync(url)) return import(url.href);
  }
  return null;
}

// The callers of the run-time error a module reported as it ended, or the
// whole report of one whose line named no place.
async function writeCallers() {
  const held = runState.unplacedError;
  if (held !== null) {
    const trace = runState.exitFrames && runState.moduleBytes ? await traceModule() : null;
    const lines = trace?.placedRunTimeError(runState.moduleBytes, runState.exitFrames, held.replace(/\n$/, ''),
      trace.pieceFirstLine(runState.instance));
    process.stderr.write(lines ? `${lines.join('\n')}\n` : Buffer.from(held, 'latin1'));
    return;
  }
  if (!runState.exitFrames || !runState.moduleBytes) return;
  const trace = await traceModule();
  const lines = trace
    ? trace.runTimeErrorCallers(runState.moduleBytes, runState.exitFrames, trace.pieceFirstLine(runState.instance)) : [];
  if (lines.length > 0) process.stderr.write(`${lines.join('\n')}\n`);
}

// Node's words for a stack that ran out.
const STACK_EXHAUSTED = 'Maximum call stack size exceeded';

// A stack that ran out reads as a native program's does, and the Velmora
// line of the trap's function comes first where the module tells it: from
// its line tables, with the callers, or else from the table of its
// functions' places.
async function describeFailure(error, modulePath) {
  const isTrap = error instanceof WebAssembly.RuntimeError || error instanceof RangeError
    || error instanceof UnsupportedImportError;
  if (!isTrap) return `${TOOL_NAME}: ${error.message}`;
  void error.stack;  // Node makes the frames when the stack is first read
  const exhausted = error instanceof RangeError && error.message === STACK_EXHAUSTED;
  const trace = runState.moduleBytes && error.wasmFrames ? await traceModule() : null;
  const lines = trace?.trapLines(runState.moduleBytes, error.wasmFrames,
    { message: `${TOOL_NAME}: ${modulePath}: trap: ${error.message}`, exhausted,
      firstLine: trace.pieceFirstLine(runState.instance) });
  if (lines) return lines.join('\n');
  const chosen = trapFunction(error);
  const inFunction = chosen ? ` (in ${chosen.name})` : '';
  const place = chosen && runState.moduleBytes ? functionPlaces(runState.moduleBytes).get(chosen.symbol) : undefined;
  if (!place) return `${TOOL_NAME}: ${modulePath}: trap: ${error.message}${inFunction}`;
  if (exhausted) {
    const line = place.recursion > 0 ? place.recursion : place.head;
    return `${place.file} L${line}: Run-time error: recursion too deep, the stack is exhausted${inFunction}`;
  }
  return `${place.file} L${place.head}: ${TOOL_NAME}: ${modulePath}: trap: ${error.message}${inFunction}`;
}

async function main(args) {
  const command = parseCommandLine(args);
  switch (command.action) {
    case 'help':
      process.stdout.write(usageText());
      return 0;
    case 'version':
      process.stdout.write(`${TOOL_VERSION} on Node ${process.version}\n`);
      return 0;
    case 'error':
      process.stderr.write(`${TOOL_NAME}: ${command.message}\n${usageText()}`);
      return USAGE_STATUS;
    default:
      break;
  }
  try {
    const status = runModule(command.modulePath, command.programArguments, command.folders);
    await writeCallers();
    return status;
  } catch (error) {
    if (runState.unplacedError !== null) process.stderr.write(Buffer.from(runState.unplacedError, 'latin1'));
    process.stderr.write(`${await describeFailure(error, command.modulePath)}\n`);
    return TRAP_STATUS;
  }
}

keepTrapFrames();
process.exitCode = await main(process.argv.slice(2));
