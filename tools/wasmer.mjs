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
//
// The module runs as wasmer_imports.mjs provides for it, with the
// compilation hints of compilation_hints.mjs; a failure is told by the
// report every host of velc's modules shares (web/failure_report.mjs).

import { WASI } from 'node:wasi';
import * as fs from 'node:fs';
import * as path from 'node:path';
import { withCompilationHints } from './compilation_hints.mjs';
import { buildImports, confineWasi, host, UnsupportedImportError } from './wasmer_imports.mjs';
import { FailureReport } from '../web/failure_report.mjs';

const TOOL_NAME = 'wasmer';
const TOOL_VERSION = 'velmora-wasmer 1.0 (Node WASI)';
const TRAP_STATUS = 1;
const USAGE_STATUS = 2;

// The run: the bytes compiled (the offsets of its frames count in them)
// and the report of its failure.
const run = {
  moduleBytes: null,
  report: null,
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
  environment.PWD = host.folders[0];
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
  host.preopens = Object.values(preopens);
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
  run.moduleBytes = bytes;
  const hinted = withCompilationHints(bytes);
  if (hinted) {
    try {
      const module = new WebAssembly.Module(hinted);
      // The offsets of its frames are those of the bytes compiled.
      run.moduleBytes = hinted;
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

// The bytes of a file beside the module (its line tables), read only after
// a failure.
function besideModule(modulePath) {
  return (name) => {
    try {
      return fs.readFileSync(path.resolve(path.dirname(modulePath), name));
    } catch {
      return null;
    }
  };
}

// What a run needs besides its module: the folders it may reach and its
// WASI instance, made while velc still builds the module; an error (a
// folder that does not exist) is told once the module is there to run.
function prepareRun(command) {
  try {
    host.folders = moduleFolders(command.folders);
    return { wasi: createWasi(command.modulePath, command.programArguments, host.folders) };
  } catch (error) {
    return { error };
  }
}

function runModule(modulePath, wasi) {
  const module = compileModule(modulePath);
  run.report = new FailureReport(run.moduleBytes, besideModule(modulePath));
  host.wasiImport = wasi.wasiImport;
  host.instance = new WebAssembly.Instance(module, buildImports(module, run.report.withExitFrames(confineWasi(wasi.wasiImport))));
  run.report.ran(host.instance);
  const status = wasi.start(host.instance);
  return typeof status === 'number' ? status : 0;
}

// What wasmer writes when the module could not run or stopped: a trap (or
// a stack that ran out, or a call of an import it lacks) as its Velmora
// place tells it, anything else as wasmer's own message.
async function describeFailure(error, modulePath) {
  const isTrap = error instanceof WebAssembly.RuntimeError || error instanceof RangeError
    || error instanceof UnsupportedImportError;
  if (!isTrap || !run.report) return `${TOOL_NAME}: ${error.message}`;
  const lines = await run.report.trapLines(error, `${TOOL_NAME}: ${modulePath}: trap: ${error.message}`);
  return lines.join('\n');
}

// velc starts the runner while it still builds the module, so that Node's
// start-up and the loading of this runner take the other processor: the
// runner then waits for one byte on the descriptor the variable names, "1"
// when the module is there to run, nothing when the build failed. The
// variable is not passed on to the module.
const READY_VARIABLE = 'VELMORA_WASMER_READY_FD';

// V8 sets up its WebAssembly compiler on the first module it compiles: a
// runner that waits for the build has a module of one empty function do
// that meanwhile.
const EMPTY_FUNCTION_MODULE = new Uint8Array([
  0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,  // header
  0x01, 0x04, 0x01, 0x60, 0x00, 0x00,              // a type: no parameters, no results
  0x03, 0x02, 0x01, 0x00,                          // a function of that type
  0x0a, 0x04, 0x01, 0x02, 0x00, 0x0b,              // its body: end
]);

function warmUpCompiler() {
  try {
    new WebAssembly.Module(EMPTY_FUNCTION_MODULE);
  } catch {
    // Only time is lost.
  }
}

function buildSucceeded() {
  const named = process.env[READY_VARIABLE];
  delete process.env[READY_VARIABLE];
  if (named === undefined || !/^[0-9]+$/.test(named)) return true;
  const descriptor = Number(named);
  const byte = Buffer.alloc(1);
  let read = 0;
  try {
    read = fs.readSync(descriptor, byte, 0, 1, null);
    fs.closeSync(descriptor);
  } catch {
    read = 0;
  }
  return read === 1 && byte[0] === 0x31;
}

async function main(args) {
  const command = parseCommandLine(args);
  const prepared = command.action === 'run' ? prepareRun(command) : null;
  if (process.env[READY_VARIABLE] !== undefined) warmUpCompiler();
  if (!buildSucceeded()) return 0;
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
    if (prepared.error) throw prepared.error;
    const status = runModule(command.modulePath, prepared.wasi);
    const callers = await run.report.exitLines();
    if (callers.length > 0) process.stderr.write(`${callers.join('\n')}\n`);
    return status;
  } catch (error) {
    process.stderr.write(`${await describeFailure(error, command.modulePath)}\n`);
    return TRAP_STATUS;
  }
}

// Ended at once rather than by letting the event loop run dry: Node would
// then dispose of the isolate, its heap and the module's memory piece by
// piece, which takes a small program longer than its run. Every write to
// the standard output and error (Node's, and the module's through WASI) is
// synchronous here, so nothing is lost.
process.exit(await main(process.argv.slice(2)));
