// Memory growth of WebAssembly programs without a JavaScript host.
//
// Emscripten's standalone C library grows the memory itself (memory.grow)
// and then calls emscripten_notify_memory_growth, which it leaves to the
// host so that a JavaScript embedder can refresh its views of the buffer.
// Left undefined, that call becomes an "env" import, and WASI runtimes
// (wasmtime, WasmEdge, wazero...) refuse a module with an import they do
// not know. Defined here, the module imports nothing but WASI: a WASI host
// reads the memory through the instance each time, so it has nothing to
// refresh. The linker takes this definition from the archive because the
// C library's growth routine refers to it.
//
// Only compiled for the WebAssembly archive.
#if defined(__EMSCRIPTEN__)

#include <stddef.h>

extern "C" void emscripten_notify_memory_growth(size_t memoryIndex) {
    (void)memoryIndex;
}

#endif
