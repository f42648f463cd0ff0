#pragma once
// Copies of prebuilt WebAssembly libraries without their line tables.
//
// Emscripten's C and C++ libraries come with full DWARF, which every link
// that keeps line tables (-g) reads, relocates and writes into the module:
// for hello, 1.9 MB of the 2 MB that wasm-ld writes. A failure report only
// ever names lines of the program's own sources, so the links can take
// copies of those libraries whose objects keep their code, data, names and
// symbols but carry empty DWARF sections.
#include <optional>
#include <string>

// The object or archive (a GNU "ar" archive of objects) with the contents
// of every ".debug_*" section of its WebAssembly objects emptied and their
// relocation sections left out; the sections themselves stay, so that the
// symbols and comdats that name them by index still find them. Members that
// are not WebAssembly objects are copied as they are. Nothing when the bytes
// are neither, or malformed.
std::optional<std::string> withoutLineTables(const std::string &bytes);
