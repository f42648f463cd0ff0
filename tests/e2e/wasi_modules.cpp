#include "wasi_modules.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <stdexcept>

namespace {

constexpr unsigned char importSectionId = 2;

// Reads the parts of a module's binary form that the import section needs.
class ModuleReader {
public:
    explicit ModuleReader(std::string bytes) : bytes(std::move(bytes)) {}

    bool atEnd() const { return position >= bytes.size(); }
    std::size_t offset() const { return position; }
    void skipTo(std::size_t end) {
        if (end > bytes.size())
            throw std::runtime_error("section runs past the end of the file");
        position = end;
    }

    unsigned char byte() {
        if (atEnd())
            throw std::runtime_error("unexpected end of the file");
        return static_cast<unsigned char>(bytes[position++]);
    }

    std::uint32_t unsignedNumber() {
        std::uint32_t value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            unsigned char next = byte();
            value |= static_cast<std::uint32_t>(next & 0x7f) << shift;
            if ((next & 0x80) == 0)
                return value;
        }
        throw std::runtime_error("number longer than 5 bytes");
    }

    std::string name() {
        std::uint32_t length = unsignedNumber();
        if (length > bytes.size() - position)
            throw std::runtime_error("name runs past the end of the file");
        std::string text = bytes.substr(position, length);
        position += length;
        return text;
    }

    void limits() {
        unsigned char flags = byte();
        unsignedNumber();
        if (flags & 1)
            unsignedNumber();
    }

private:
    std::string bytes;
    std::size_t position = 0;
};

// The description that follows an import's names, by its kind.
void skipImportDescription(ModuleReader &reader) {
    switch (reader.byte()) {
    case 0: reader.unsignedNumber(); break;            // function: its type
    case 1: reader.byte(); reader.limits(); break;     // table: element type, limits
    case 2: reader.limits(); break;                    // memory
    case 3: reader.byte(); reader.byte(); break;       // global: type, mutability
    case 4: reader.byte(); reader.unsignedNumber(); break;  // tag
    default: throw std::runtime_error("unknown import kind");
    }
}

std::vector<std::string> foreignImports(ModuleReader &reader) {
    std::vector<std::string> foreign;
    while (!reader.atEnd()) {
        unsigned char id = reader.byte();
        std::uint32_t size = reader.unsignedNumber();
        std::size_t end = reader.offset() + size;
        if (id == importSectionId) {
            std::uint32_t count = reader.unsignedNumber();
            for (std::uint32_t i = 0; i < count; i++) {
                std::string module = reader.name();
                std::string field = reader.name();
                skipImportDescription(reader);
                if (module != "wasi_snapshot_preview1")
                    foreign.push_back(module + "." + field);
            }
        }
        reader.skipTo(end);
    }
    return foreign;
}

std::string secondRuntimeCommand() {
    return std::string(NODE_PROGRAM) + " " + SECOND_RUNTIME_RUNNER + " " + WASI_SHIM_DIR + " ";
}

}  // namespace

std::vector<std::string> importsOutsideWasi(const std::string &modulePath) {
    std::string bytes = readWholeFile(modulePath);
    if (bytes.compare(0, 8, std::string("\0asm\1\0\0\0", 8)) != 0)
        return {modulePath + " is not a WebAssembly module"};
    ModuleReader reader(bytes.substr(8));
    try {
        return foreignImports(reader);
    } catch (const std::exception &error) {
        return {modulePath + ": " + error.what()};
    }
}

bool secondRuntimeInstalled() {
    return std::filesystem::exists(std::string(WASI_SHIM_DIR) + "/dist/index.js");
}

CommandOutcome runUnderSecondRuntime(ExampleWorkspace &workspace, const std::string &moduleAndArguments,
                                     const std::string &inputPath) {
    return workspace.run(secondRuntimeCommand() + moduleAndArguments, inputPath);
}

CommandOutcome runUnderBothRuntimes(ExampleWorkspace &workspace, const std::string &moduleAndArguments,
                                    const std::string &inputPath) {
    CommandOutcome ours = workspace.run(std::string(WASMER_COMMAND) + " " + moduleAndArguments, inputPath);
    if (!secondRuntimeInstalled())
        return ours;
    CommandOutcome second = runUnderSecondRuntime(workspace, moduleAndArguments, inputPath);
    EXPECT_EQ(second.status, ours.status) << "second runtime: " << describe(second);
    EXPECT_EQ(second.standardOutput, ours.standardOutput) << "second runtime: " << describe(second);
    return ours;
}
