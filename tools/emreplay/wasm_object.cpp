#include "wasm_object.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace {

enum SectionId : unsigned { CUSTOM = 0, IMPORT = 2 };
enum ImportKind : unsigned { IMPORT_FUNCTION = 0, IMPORT_TABLE = 1, IMPORT_MEMORY = 2, IMPORT_GLOBAL = 3, IMPORT_TAG = 4 };
enum SymbolKind : unsigned { SYMBOL_FUNCTION = 0, SYMBOL_DATA = 1, SYMBOL_GLOBAL = 2, SYMBOL_SECTION = 3, SYMBOL_TAG = 4,
                             SYMBOL_TABLE = 5 };
const unsigned symbolTableSubsection = 8;
const std::uint64_t undefinedFlag = 0x10;
const std::uint64_t explicitNameFlag = 0x40;

struct Malformed : std::runtime_error {
    Malformed() : std::runtime_error("malformed WebAssembly object") {}
};

// Reads a range of the bytes; every read past its end is Malformed.
class Reader {
public:
    Reader(const std::string &bytes, std::size_t begin, std::size_t end) : bytes(bytes), position(begin), end(end) {}

    bool atEnd() const { return position >= end; }
    std::size_t offset() const { return position; }
    unsigned char byte() {
        if (position >= end)
            throw Malformed();
        return static_cast<unsigned char>(bytes[position++]);
    }
    std::uint64_t leb() {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            unsigned char b = byte();
            value |= static_cast<std::uint64_t>(b & 0x7f) << shift;
            if (!(b & 0x80))
                return value;
        }
        throw Malformed();
    }
    std::size_t length() {
        std::uint64_t n = leb();
        if (n > end - position)
            throw Malformed();
        return static_cast<std::size_t>(n);
    }
    std::string name() {
        std::size_t n = length();
        std::string result = bytes.substr(position, n);
        position += n;
        return result;
    }
    void skip(std::size_t n) {
        if (n > end - position)
            throw Malformed();
        position += n;
    }
    void limits() {
        unsigned char flags = byte();
        leb();
        if (flags & 1)
            leb();
    }

private:
    const std::string &bytes;
    std::size_t position;
    std::size_t end;
};

// The field names of the imports, one list per kind, in index order: an
// undefined symbol without a name of its own is named by its import.
struct Imports {
    std::vector<std::string> byKind[5];
    std::vector<std::string> qualified;   // "module.field", in order
};

Imports readImports(Reader section) {
    Imports imports;
    for (std::uint64_t count = section.leb(); count > 0; --count) {
        std::string module = section.name();
        std::string field = section.name();
        imports.qualified.push_back(module + "." + field);
        unsigned kind = section.byte();
        switch (kind) {
        case IMPORT_FUNCTION: section.leb(); break;
        case IMPORT_TABLE: section.byte(); section.limits(); break;
        case IMPORT_MEMORY: section.limits(); break;
        case IMPORT_GLOBAL: section.byte(); section.byte(); break;
        case IMPORT_TAG: section.byte(); section.leb(); break;
        default: throw Malformed();
        }
        imports.byKind[kind].push_back(field);
    }
    return imports;
}

unsigned importKindOf(unsigned symbolKind) {
    switch (symbolKind) {
    case SYMBOL_FUNCTION: return IMPORT_FUNCTION;
    case SYMBOL_GLOBAL: return IMPORT_GLOBAL;
    case SYMBOL_TAG: return IMPORT_TAG;
    default: return IMPORT_TABLE;
    }
}

void readSymbolTable(Reader table, const Imports &imports, std::vector<std::string> &undefined) {
    for (std::uint64_t count = table.leb(); count > 0; --count) {
        unsigned kind = table.byte();
        std::uint64_t flags = table.leb();
        bool isUndefined = flags & undefinedFlag;
        switch (kind) {
        case SYMBOL_FUNCTION:
        case SYMBOL_GLOBAL:
        case SYMBOL_TAG:
        case SYMBOL_TABLE: {
            std::uint64_t index = table.leb();
            if (!isUndefined || (flags & explicitNameFlag)) {
                std::string name = table.name();
                if (isUndefined)
                    undefined.push_back(name);
            } else {
                const std::vector<std::string> &fields = imports.byKind[importKindOf(kind)];
                if (index >= fields.size())
                    throw Malformed();
                undefined.push_back(fields[index]);
            }
            break;
        }
        case SYMBOL_DATA: {
            std::string name = table.name();
            if (isUndefined)
                undefined.push_back(name);
            else {
                table.leb();
                table.leb();
                table.leb();
            }
            break;
        }
        case SYMBOL_SECTION: table.leb(); break;
        default: throw Malformed();
        }
    }
}

// Calls visit(id, section) for each section of a module, in order, until it
// returns false.
template <typename Visit> void forEachSection(const std::string &bytes, Visit visit) {
    Reader module(bytes, 8, bytes.size());
    while (!module.atEnd()) {
        unsigned id = module.byte();
        std::size_t size = module.length();
        std::size_t begin = module.offset();
        module.skip(size);
        if (!visit(id, Reader(bytes, begin, begin + size)))
            return;
    }
}

}  // namespace

bool isWasmBinary(const std::string &bytes) { return bytes.compare(0, 4, std::string("\0asm", 4)) == 0; }

std::optional<std::vector<std::string>> undefinedWasmSymbols(const std::string &bytes) {
    if (!isWasmBinary(bytes) || bytes.size() < 8)
        return std::nullopt;
    try {
        Imports imports;
        std::optional<std::vector<std::string>> undefined;
        forEachSection(bytes, [&](unsigned id, Reader section) {
            if (id == IMPORT)
                imports = readImports(section);
            if (id != CUSTOM || section.name() != "linking")
                return true;
            section.leb();   // the version
            undefined.emplace();
            while (!section.atEnd()) {
                unsigned type = section.byte();
                std::size_t length = section.length();
                std::size_t start = section.offset();
                section.skip(length);
                if (type == symbolTableSubsection)
                    readSymbolTable(Reader(bytes, start, start + length), imports, *undefined);
            }
            return true;
        });
        if (!undefined)
            return std::nullopt;
        std::sort(undefined->begin(), undefined->end());
        undefined->erase(std::unique(undefined->begin(), undefined->end()), undefined->end());
        return undefined;
    } catch (const Malformed &) {
        return std::nullopt;
    }
}

std::optional<std::vector<std::string>> wasmImports(const std::string &bytes) {
    if (!isWasmBinary(bytes) || bytes.size() < 8)
        return std::nullopt;
    try {
        std::vector<std::string> imports;
        forEachSection(bytes, [&](unsigned id, Reader section) {
            if (id != IMPORT)
                return true;
            imports = readImports(section).qualified;
            return false;
        });
        return imports;
    } catch (const Malformed &) {
        return std::nullopt;
    }
}
