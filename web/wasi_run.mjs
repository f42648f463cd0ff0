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
import { FailureReport } from './failure_report.mjs';

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
// name a failure's Velmora place and callers (2); debugFile(name) gives the
// bytes of the file the module names for its line tables (or a promise of
// them, or null), asked for only after a failure. Resolves to the exit
// status and the folder's files.
export async function runVelmoraModule({ bytes, name = 'program.wasm', args = [], stdin = '', files = [], write,
  debugFile = () => null }) {
  const module = new WebAssembly.Module(bytes);
  const folder = new PreopenDirectory('.', folderContents(files));
  const descriptors = [
    new OpenFile(new File(encoder.encode(stdin))),
    textConsole(1, write),
    textConsole(2, write),
    folder,
  ];
  const wasi = new WASI([name, ...args], [], descriptors, { debug: false });
  const report = new FailureReport(bytes, debugFile);
  const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: report.withExitFrames(wasi.wasiImport) });
  report.ran(instance);
  let status;
  try {
    status = wasi.start(instance);
  } catch (error) {
    // In the words of velc's wasmer, so that a failing program shows on
    // the page what it prints there.
    const lines = await report.trapLines(error, `wasmer: ${name}: trap: ${error.message}`);
    write(2, `${lines.join('\n')}\n`);
    return { status: TRAP_STATUS, files: filesOf(folder.dir) };
  }
  const callers = await report.exitLines();
  if (callers.length > 0) write(2, `${callers.join('\n')}\n`);
  return { status: status ?? 0, files: filesOf(folder.dir) };
}
