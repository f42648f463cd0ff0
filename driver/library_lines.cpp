#include "driver/library_lines.hpp"
#include "driver/text_tools.hpp"
#include "driver/wasm_leb.hpp"

#include <cstdint>
#include <map>
#include <vector>

namespace {

const std::size_t wasmHeaderSize = 8;
const std::string archiveMagic = "!<arch>\n";
const std::size_t memberHeaderSize = 60;
const std::size_t memberSizeField = 48;
const std::size_t memberSizeWidth = 10;
const std::string debugPrefix = ".debug_";
const std::string debugRelocationPrefix = "reloc..debug_";

std::optional<std::string> objectWithoutLineTables(const std::string &bytes) {
    std::string out = bytes.substr(0, wasmHeaderSize);
    std::size_t at = wasmHeaderSize;
    while (at < bytes.size()) {
        std::size_t start = at;
        unsigned id = static_cast<unsigned char>(bytes[at++]);
        std::uint64_t size = 0;
        if (!readLeb(bytes, at, size) || size > bytes.size() - at)
            return std::nullopt;
        std::size_t end = at + size;
        if (id == 0) {
            std::size_t nameAt = at;
            std::uint64_t length = 0;
            if (!readLeb(bytes, nameAt, length) || length > end - nameAt)
                return std::nullopt;
            std::string name = bytes.substr(nameAt, length);
            if (startsWith(name, debugRelocationPrefix)) {
                at = end;
                continue;
            }
            if (startsWith(name, debugPrefix)) {
                std::string body = leb(name.size()) + name;
                out += '\0' + leb(body.size()) + body;
                at = end;
                continue;
            }
        }
        out.append(bytes, start, end - start);
        at = end;
    }
    return out;
}

std::uint32_t bigEndianAt(const std::string &bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; i++)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void putBigEndian(std::string &bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; i++)
        bytes[at + i] = static_cast<char>(value >> (8 * (3 - i)) & 0xff);
}

struct Member {
    std::size_t offset;   // of its header in the archive
    std::string header;
    std::string contents;
};

std::optional<std::vector<Member>> membersOf(const std::string &bytes) {
    std::vector<Member> members;
    std::size_t at = archiveMagic.size();
    while (at < bytes.size()) {
        if (bytes.size() - at < memberHeaderSize)
            return std::nullopt;
        std::string header = bytes.substr(at, memberHeaderSize);
        std::string sizeText = header.substr(memberSizeField, memberSizeWidth);
        std::size_t size = 0;
        bool digits = false;
        for (char c : sizeText) {
            if (c == ' ')
                break;
            if (c < '0' || c > '9')
                return std::nullopt;
            size = size * 10 + static_cast<std::size_t>(c - '0');
            digits = true;
        }
        if (!digits || size > bytes.size() - at - memberHeaderSize)
            return std::nullopt;
        members.push_back({at, header, bytes.substr(at + memberHeaderSize, size)});
        at += memberHeaderSize + size + (size & 1);
    }
    return members;
}

bool isSymbolTable(const Member &member) { return member.header.compare(0, 2, "/ ") == 0; }
bool isNameTable(const Member &member) { return member.header.compare(0, 3, "// ") == 0; }

// The GNU symbol table names each symbol's member by the offset of its
// header, which changes as the members before it shrink.
bool renumberSymbolTable(std::string &table, const std::map<std::size_t, std::size_t> &moved) {
    if (table.size() < 4)
        return false;
    std::uint32_t count = bigEndianAt(table, 0);
    if (count > (table.size() - 4) / 4)
        return false;
    for (std::uint32_t i = 0; i < count; i++) {
        auto found = moved.find(bigEndianAt(table, 4 + 4 * i));
        if (found == moved.end() || found->second > UINT32_MAX)
            return false;
        putBigEndian(table, 4 + 4 * i, static_cast<std::uint32_t>(found->second));
    }
    return true;
}

std::optional<std::string> archiveWithoutLineTables(const std::string &bytes) {
    std::optional<std::vector<Member>> members = membersOf(bytes);
    if (!members)
        return std::nullopt;
    std::map<std::size_t, std::size_t> moved;
    std::size_t at = archiveMagic.size();
    for (Member &member : *members) {
        // A table of 64-bit offsets would need renumbering of its own.
        if (startsWith(member.header, "/SYM64/"))
            return std::nullopt;
        if (!isSymbolTable(member) && !isNameTable(member) && startsWith(member.contents, wasmMagic)) {
            std::optional<std::string> stripped = objectWithoutLineTables(member.contents);
            if (!stripped)
                return std::nullopt;
            member.contents = *stripped;
        }
        moved[member.offset] = at;
        at += memberHeaderSize + member.contents.size() + (member.contents.size() & 1);
    }
    std::string out = archiveMagic;
    for (Member &member : *members) {
        if (isSymbolTable(member) && !renumberSymbolTable(member.contents, moved))
            return std::nullopt;
        std::string size = std::to_string(member.contents.size());
        size.resize(memberSizeWidth, ' ');
        out += member.header.substr(0, memberSizeField) + size + member.header.substr(memberSizeField + memberSizeWidth);
        out += member.contents;
        if (member.contents.size() & 1)
            out += '\n';
    }
    return out;
}

}  // namespace

std::optional<std::string> withoutLineTables(const std::string &bytes) {
    if (startsWith(bytes, archiveMagic))
        return archiveWithoutLineTables(bytes);
    if (bytes.size() >= wasmHeaderSize && startsWith(bytes, wasmMagic))
        return objectWithoutLineTables(bytes);
    return std::nullopt;
}
