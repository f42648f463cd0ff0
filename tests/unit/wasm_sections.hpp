#pragma once
// Small WebAssembly modules and objects written byte by byte, for the tests
// of the driver's readers of them.
#include <string>

namespace wasm_sections {

const std::string header("\0asm\1\0\0\0", 8);

inline std::string section(unsigned id, const std::string &contents) {
    // Every section of these tests is shorter than 128 bytes: one byte of size.
    return std::string(1, static_cast<char>(id)) + static_cast<char>(contents.size()) + contents;
}

inline std::string custom(const std::string &name, const std::string &contents) {
    return section(0, static_cast<char>(name.size()) + name + contents);
}

}  // namespace wasm_sections
