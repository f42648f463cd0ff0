#pragma once
// The undefined symbols of a relocatable WebAssembly object, read from its
// "linking" section: what emcc looks at (through llvm-nm) when it decides
// which run-time functions a link must export.
#include <optional>
#include <string>
#include <vector>

// True when the bytes start like a WebAssembly module.
bool isWasmBinary(const std::string &bytes);

// The names of the object's undefined symbols, sorted, each once; nothing
// when the bytes are not a relocatable object this reader understands.
std::optional<std::vector<std::string>> undefinedWasmSymbols(const std::string &bytes);

// Every import of a module or object as "module.field", in order; nothing
// when the bytes are not a WebAssembly binary this reader understands.
std::optional<std::vector<std::string>> wasmImports(const std::string &bytes);
