#pragma once
// The LEB128 numbers of the WebAssembly binary format, read and written by
// the readers of modules and of the libraries' objects.
#include <cstdint>
#include <string>

const std::string wasmMagic("\0asm", 4);

// An unsigned LEB128 number at `at`, which moves past it; false when the
// bytes end first or it does not fit.
inline bool readLeb(const std::string &bytes, std::size_t &at, std::uint64_t &value) {
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= bytes.size())
            return false;
        unsigned char b = static_cast<unsigned char>(bytes[at++]);
        value |= static_cast<std::uint64_t>(b & 0x7f) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

inline std::string leb(std::uint64_t value) {
    std::string out;
    do {
        unsigned char b = value & 0x7f;
        value >>= 7;
        out += static_cast<char>(value ? b | 0x80 : b);
    } while (value);
    return out;
}
