// Runs a velc module in a browser (or any JavaScript engine) on
// @bjorn3/browser_wasi_shim, a maintained WASI implementation in plain
// JavaScript from the npm registry: velc's modules import nothing but
// wasi_snapshot_preview1, which it implements whole, with an in-memory
// file system, and it needs no server of its own.
//
// WASI reads are synchronous: standard input is the text given before the
// start, and a program that asks for more input than that reads an end of
// file. The program's files live in an in-memory folder preopened as ".";
// what it wrote is handed back when it ends.
import { ConsoleStdout, File, OpenFile, PreopenDirectory, WASI } from '@bjorn3/browser_wasi_shim';
import { keepFramesOfErrors, framesOfError, framesHere, pieceFirstLine, runTimeErrorCallers, trapLines } from './velmora_trace.mjs';

const TRAP_STATUS = 1;
const encoder = new TextEncoder();

// Writes a stream's bytes as text as they come: a character cut between
// two writes waits for its end, and a last line without a line end shows.
function textConsole(descriptor, write) {
  const decoder = new TextDecoder('utf-8', { fatal: false });
  return new ConsoleStdout((bytes) => write(descriptor, decoder.decode(bytes, { stream: true })));
}

function folderContents(files) {
  const contents = new Map();
  for (const { name, data } of files) {
    contents.set(name, new File(typeof data === 'string' ? encoder.encode(data) : data));
  }
  return contents;
}

// The files of the folder after the run, with their paths.
function filesOf(directory, prefix = '') {
  const files = [];
  for (const [name, entry] of directory.contents) {
    if (entry.contents instanceof Map) files.push(...filesOf(entry, `${prefix}${name}/`));
    else files.push({ name: `${prefix}${name}`, data: entry.data });
  }
  return files;
}

// Runs the module's bytes once. write(descriptor, text) receives standard
// output (1) and error (2) as the program writes them, and the lines that
// name a failure's Velmora place and callers (2). Returns the exit status
// and the folder's files.
export function runVelmoraModule({ bytes, name = 'program.wasm', args = [], stdin = '', files = [], write }) {
  keepFramesOfErrors();
  const module = new WebAssembly.Module(bytes);
  const folder = new PreopenDirectory('.', folderContents(files));
  const descriptors = [
    new OpenFile(new File(encoder.encode(stdin))),
    textConsole(1, write),
    textConsole(2, write),
    folder,
  ];
  const wasi = new WASI([name, ...args], [], descriptors, { debug: false });
  let exitFrames = null;
  const exit = wasi.wasiImport.proc_exit;
  const wasiImport = {
    ...wasi.wasiImport,
    proc_exit(status) {
      if (status !== 0) exitFrames = framesHere();
      return exit(status);
    },
  };
  const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasiImport });
  let status;
  try {
    status = wasi.start(instance);
  } catch (error) {
    const exhausted = error instanceof RangeError && /call stack/i.test(error.message);
    const lines = trapLines(bytes, framesOfError(error),
      { message: `trap: ${error.message}`, exhausted, firstLine: pieceFirstLine(instance) })
      ?? [`${name}: trap: ${error.message}`];
    write(2, `${lines.join('\n')}\n`);
    return { status: TRAP_STATUS, files: filesOf(folder.dir) };
  }
  if (exitFrames) {
    const callers = runTimeErrorCallers(bytes, exitFrames, pieceFirstLine(instance));
    if (callers.length > 0) write(2, `${callers.join('\n')}\n`);
  }
  return { status: status ?? 0, files: filesOf(folder.dir) };
}
