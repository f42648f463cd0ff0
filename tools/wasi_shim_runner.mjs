// wasi_shim_runner: runs a WASI module on an independent, pure JavaScript
// WASI implementation (@bjorn3/browser_wasi_shim from the npm registry)
// instead of Node's, to show that velc's modules need nothing but
// wasi_snapshot_preview1.
//
//   node wasi_shim_runner.mjs <shim package directory> module.wasm [arguments...]
//
// The module sees its arguments (argv[0] is the module name as given),
// standard input (read whole before the start), standard output and error,
// and an in-memory copy of the current directory preopened as ".": files it
// writes stay in that copy. Any import outside wasi_snapshot_preview1 is
// refused, as a strict WASI runtime would. The exit status is the module's
// own; a trap prints a message on standard error and gives 1. A run-time
// error's callers and a trap's Velmora place are told as under wasmer.

import * as fs from 'node:fs';
import * as path from 'node:path';
import { pathToFileURL } from 'node:url';

const TRAP_STATUS = 1;
const USAGE_STATUS = 2;
// Larger files are left out of the copy of the directory.
const LARGEST_COPIED_FILE = 64 * 1024 * 1024;

function copyDirectory(shim, directory) {
  const contents = new Map();
  for (const entry of fs.readdirSync(directory, { withFileTypes: true })) {
    const full = path.join(directory, entry.name);
    if (entry.isDirectory()) {
      contents.set(entry.name, new shim.Directory(copyDirectory(shim, full)));
    } else if (entry.isFile() && fs.statSync(full).size <= LARGEST_COPIED_FILE) {
      contents.set(entry.name, new shim.File(fs.readFileSync(full)));
    }
  }
  return contents;
}

function writeAll(descriptor) {
  return (bytes) => {
    let written = 0;
    while (written < bytes.length) written += fs.writeSync(descriptor, bytes, written);
  };
}

function refuseForeignImports(module) {
  const foreign = WebAssembly.Module.imports(module).filter((entry) => entry.module !== 'wasi_snapshot_preview1');
  if (foreign.length > 0) {
    const names = foreign.map((entry) => `${entry.module}.${entry.name}`).join(', ');
    throw new Error(`unknown import: ${names}`);
  }
}

async function run(shimDirectory, modulePath, programArguments) {
  const shim = await import(pathToFileURL(path.join(shimDirectory, 'dist', 'index.js')).href);
  const bytes = fs.readFileSync(modulePath);
  const module = new WebAssembly.Module(bytes);
  refuseForeignImports(module);
  const descriptors = [
    new shim.OpenFile(new shim.File(fs.readFileSync(0))),
    new shim.ConsoleStdout(writeAll(1)),
    new shim.ConsoleStdout(writeAll(2)),
    new shim.PreopenDirectory('.', copyDirectory(shim, process.cwd())),
  ];
  const wasi = new shim.WASI([modulePath, ...programArguments], [], descriptors, { debug: false });
  const { FailureReport } = await import(new URL('../web/failure_report.mjs', import.meta.url).href);
  const report = new FailureReport(bytes, (name) => {
    try {
      return fs.readFileSync(path.resolve(path.dirname(modulePath), name));
    } catch {
      return null;
    }
  });
  const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: report.withExitFrames(wasi.wasiImport) });
  report.ran(instance);
  let status;
  try {
    status = wasi.start(instance);
  } catch (error) {
    const lines = await report.trapLines(error, `wasi_shim_runner: ${modulePath}: trap: ${error.message}`);
    process.stderr.write(`${lines.join('\n')}\n`);
    return TRAP_STATUS;
  }
  const callers = await report.exitLines();
  if (callers.length > 0) process.stderr.write(`${callers.join('\n')}\n`);
  return status;
}

async function main(args) {
  if (args.length < 2) {
    process.stderr.write('usage: wasi_shim_runner <shim package directory> <module.wasm> [arguments...]\n');
    return USAGE_STATUS;
  }
  try {
    return await run(args[0], args[1], args.slice(2));
  } catch (error) {
    process.stderr.write(`wasi_shim_runner: ${args[1]}: ${error && error.message ? error.message : error}\n`);
    return TRAP_STATUS;
  }
}

process.exitCode = await main(process.argv.slice(2));
