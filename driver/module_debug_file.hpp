#pragma once
// A WebAssembly program's line tables (its DWARF sections) live in a file
// beside the module instead of inside it: most of a linked module is the
// DWARF of Emscripten's C and C++ libraries, which a browser would download
// and an engine read on every start, while the tables are read only after a
// program failed. The module keeps its code, its names (which name a trap's
// function) and an "external_debug_info" section naming the file, as
// debuggers that read WebAssembly DWARF expect.
#include <cstdint>
#include <optional>
#include <string>

// The file beside a module that holds its line tables: "prog.wasm" gives
// "prog.debug.wasm". It is the module as linked, code and tables together.
std::string debugFileFor(const std::string &module);

// The CRC-32 (the zlib and PNG one) of the bytes.
std::uint32_t crc32Of(const std::string &bytes);

// The module without its DWARF sections, ending with an
// "external_debug_info" section that names `debugFileName` and a
// "velmora_debug_crc32" section with the CRC-32 of `bytes`, which become
// that file; nothing when the bytes are not a module that carries DWARF.
std::optional<std::string> withoutDebugSections(const std::string &bytes, const std::string &debugFileName);

// The name an "external_debug_info" section of the module gives, or
// nothing when it has none or is not a module.
std::optional<std::string> externalDebugFileName(const std::string &bytes);

// Puts the linked module in place as `target`: one that carries DWARF
// becomes `target`'s debug file and `target` gets it without the tables;
// any other is renamed to `target` as it is, and a debug file left by an
// earlier link is removed. False, with the file and the cause in `error`, when a file
// cannot be read, written or renamed; `linked` is then removed.
bool placeLinkedModule(const std::string &linked, const std::string &target, std::string &error);
