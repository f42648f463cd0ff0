#include "driver/module_debug_file.hpp"
#include "driver/wasm_leb.hpp"
#include "driver/whole_files.hpp"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

const std::size_t headerSize = 8;
const unsigned customSection = 0;
const std::string debugSectionPrefix = ".debug_";
const std::string externalDebugSection = "external_debug_info";
// The CRC-32 of the debug file, which a reader checks before it trusts the
// file's tables: a module and a debug file of two builds may have the same
// code (an edit that only moved lines) and different lines.
const std::string debugChecksumSection = "velmora_debug_crc32";

struct Section {
    unsigned id;
    std::size_t start;   // its id byte
    std::size_t end;     // past its contents
    std::string name;    // a custom section's
};

// The sections of a module, or nothing when the bytes are not one.
std::optional<std::vector<Section>> sectionsOf(const std::string &bytes) {
    if (bytes.size() < headerSize || bytes.compare(0, 4, wasmMagic) != 0)
        return std::nullopt;
    std::vector<Section> sections;
    std::size_t at = headerSize;
    while (at < bytes.size()) {
        Section section{static_cast<unsigned char>(bytes[at]), at, 0, ""};
        std::uint64_t size = 0;
        at++;
        if (!readLeb(bytes, at, size) || size > bytes.size() - at)
            return std::nullopt;
        section.end = at + size;
        if (section.id == customSection) {
            std::uint64_t length = 0;
            std::size_t nameAt = at;
            if (!readLeb(bytes, nameAt, length) || length > section.end - nameAt)
                return std::nullopt;
            section.name = bytes.substr(nameAt, length);
        }
        sections.push_back(section);
        at = section.end;
    }
    return sections;
}

bool isDebugSection(const Section &section) {
    return section.id == customSection && section.name.compare(0, debugSectionPrefix.size(), debugSectionPrefix) == 0;
}

}  // namespace

std::uint32_t crc32Of(const std::string &bytes) {
    static const std::vector<std::uint32_t> table = [] {
        std::vector<std::uint32_t> entries(256);
        for (std::uint32_t i = 0; i < 256; i++) {
            std::uint32_t c = i;
            for (int bit = 0; bit < 8; bit++)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            entries[i] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xffffffffu;
    for (char byte : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

namespace {

std::string littleEndian(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; i++)
        out += static_cast<char>(value >> (8 * i) & 0xff);
    return out;
}

bool isDebugFileSection(const Section &section) {
    return section.id == customSection && (section.name == externalDebugSection || section.name == debugChecksumSection);
}

std::string customSectionOf(const std::string &name, const std::string &contents) {
    std::string body = leb(name.size()) + name + contents;
    return std::string(1, static_cast<char>(customSection)) + leb(body.size()) + body;
}

std::string fileNameOf(const std::string &path) {
    std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string causeOf(const std::string &path) { return path + ": " + std::strerror(errno); }

// The first bytes of a file, enough to tell a module from a native program
// without reading the whole of one.
bool startsLikeModule(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    char start[4] = {};
    return file.read(start, sizeof start) && std::string(start, sizeof start) == wasmMagic;
}

bool renamed(const std::string &from, const std::string &to, std::string &error) {
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = causeOf(to);
    std::remove(from.c_str());
    return false;
}

}  // namespace

std::string debugFileFor(const std::string &module) {
    const std::string extension = ".wasm";
    std::string::size_type nameStart = module.find_last_of("/\\");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    bool wasmName = module.size() > nameStart + extension.size() &&
                    module.compare(module.size() - extension.size(), extension.size(), extension) == 0;
    std::string stem = wasmName ? module.substr(0, module.size() - extension.size()) : module;
    return stem + ".debug" + extension;
}

std::optional<std::string> withoutDebugSections(const std::string &bytes, const std::string &debugFileName) {
    std::optional<std::vector<Section>> sections = sectionsOf(bytes);
    if (!sections)
        return std::nullopt;
    std::string module = bytes.substr(0, headerSize);
    bool hadDebug = false;
    for (const Section &section : *sections) {
        if (isDebugSection(section) || isDebugFileSection(section)) {
            hadDebug = hadDebug || isDebugSection(section);
            continue;
        }
        module.append(bytes, section.start, section.end - section.start);
    }
    if (!hadDebug)
        return std::nullopt;
    return module + customSectionOf(externalDebugSection, leb(debugFileName.size()) + debugFileName) +
           customSectionOf(debugChecksumSection, littleEndian(crc32Of(bytes)));
}

std::optional<std::string> externalDebugFileName(const std::string &bytes) {
    std::optional<std::vector<Section>> sections = sectionsOf(bytes);
    if (!sections)
        return std::nullopt;
    for (const Section &section : *sections) {
        if (section.id != customSection || section.name != externalDebugSection)
            continue;
        std::size_t at = section.start + 1;
        std::uint64_t size = 0, nameLength = 0, fileLength = 0;
        readLeb(bytes, at, size);
        readLeb(bytes, at, nameLength);
        at += nameLength;
        if (!readLeb(bytes, at, fileLength) || fileLength > section.end - at)
            return std::nullopt;
        return bytes.substr(at, fileLength);
    }
    return std::nullopt;
}

bool placeLinkedModule(const std::string &linked, const std::string &target, std::string &error) {
    if (!startsLikeModule(linked))
        return renamed(linked, target, error);
    std::string debugFile = debugFileFor(target);
    std::string bytes;
    if (!readWholeFile(linked, bytes)) {
        error = causeOf(linked);
        std::remove(linked.c_str());
        return false;
    }
    std::optional<std::string> module = withoutDebugSections(bytes, fileNameOf(debugFile));
    if (!module) {
        std::remove(debugFile.c_str());
        return renamed(linked, target, error);
    }
    // The complete link becomes the debug file; the module is written anew
    // under the partial name and renamed last, so that an interrupted run
    // leaves no target. A reader checks that the debug file's code is the
    // module's before it trusts its tables.
    if (!renamed(linked, debugFile, error))
        return false;
    if (!writeWholeFile(linked, *module)) {
        error = causeOf(linked);
        std::remove(linked.c_str());
        return false;
    }
    return renamed(linked, target, error);
}
