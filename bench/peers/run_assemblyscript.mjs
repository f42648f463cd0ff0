// Runs an AssemblyScript module built with --exportStart _start on Node:
// its top-level code runs once the instance (and so its memory) exists,
// and console.log writes the module's UTF-16 strings to standard output.
//
//   node run_assemblyscript.mjs prog.wasm
import * as fs from 'node:fs';

const bytes = fs.readFileSync(process.argv[2]);
let memory = null;
const textOf = (pointer) => {
  const length = new Uint32Array(memory.buffer, pointer - 4, 1)[0] >>> 1;
  return String.fromCharCode.apply(null, new Uint16Array(memory.buffer, pointer, length));
};
const lines = [];
const { instance } = await WebAssembly.instantiate(bytes, {
  env: {
    abort(message, file, line, column) {
      throw new Error(`abort: ${textOf(message)} at ${textOf(file)}:${line}:${column}`);
    },
    'console.log': (pointer) => lines.push(textOf(pointer)),
  },
});
memory = instance.exports.memory;
instance.exports._start();
process.stdout.write(lines.map((line) => `${line}\n`).join(''));
