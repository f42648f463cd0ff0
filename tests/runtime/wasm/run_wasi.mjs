// Runs a standalone WebAssembly module with Node's WASI, passing on the
// arguments, the standard streams and the exit status.
import { WASI } from 'node:wasi';
import { readFileSync } from 'node:fs';

const [, , modulePath, ...args] = process.argv;
const wasi = new WASI({
  version: 'preview1',
  args: [modulePath, ...args],
  env: {},
  preopens: { '.': '.' },
  returnOnExit: true,
});
const module = await WebAssembly.compile(readFileSync(modulePath));
// Emscripten's standalone modules report memory growth to the host.
const imports = { ...wasi.getImportObject(), env: { emscripten_notify_memory_growth() {} } };
const instance = await WebAssembly.instantiate(module, imports);
process.exitCode = wasi.start(instance);
