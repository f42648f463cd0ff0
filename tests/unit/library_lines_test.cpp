#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "driver/lean_libraries.hpp"
#include "driver/library_lines.hpp"
#include "wasm_sections.hpp"

namespace {

namespace fs = std::filesystem;

using wasm_sections::custom;
using wasm_sections::header;
using wasm_sections::section;

const std::string code = section(10, std::string("\1\2\0\x0b", 4));
const std::string linking = custom("linking", std::string("\2\x08\3\1\3\0", 6));
const std::string codeRelocations = custom("reloc.CODE", std::string("\1\1\0\1\0", 5));

// An object as the compiler writes it with line tables: its code, the DWARF,
// the symbols and the relocations of the code and of the DWARF.
const std::string object = header + code + custom(".debug_info", "info bytes") + custom(".debug_line", "lines") +
                           linking + codeRelocations + custom("reloc..debug_info", std::string("\3\1\4\0\0", 5));
const std::string lean = header + code + custom(".debug_info", "") + custom(".debug_line", "") + linking +
                         codeRelocations;

TEST(LibraryLines, AnObjectKeepsEverySectionButTheContentsOfItsTablesAndTheirRelocations) {
    EXPECT_EQ(withoutLineTables(object), lean);
    EXPECT_EQ(withoutLineTables(lean), lean);
}

std::string member(const std::string &name, const std::string &contents) {
    std::string head = name;
    head.resize(16, ' ');
    head += "0           0     0     644     ";
    std::string size = std::to_string(contents.size());
    size.resize(10, ' ');
    return head + size + "`\n" + contents + (contents.size() % 2 ? "\n" : "");
}

std::string bigEndian(std::uint32_t value) {
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>(value >> shift & 0xff);
    return out;
}

// A GNU archive: the symbol table names the header offset of the member
// that defines each symbol, and a member that is no object stays as it is.
std::string archive(const std::string &first, const std::string &second) {
    const std::string magic = "!<arch>\n";
    std::string names = std::string("f\0g\0", 4);
    std::size_t tableSize = 4 + 2 * 4 + names.size();
    std::size_t firstAt = magic.size() + 60 + tableSize;
    std::size_t secondAt = firstAt + 60 + first.size() + first.size() % 2;
    std::string table = bigEndian(2) + bigEndian(static_cast<std::uint32_t>(firstAt)) +
                        bigEndian(static_cast<std::uint32_t>(secondAt)) + names;
    return magic + member("/", table) + member("a.o/", first) + member("notes.txt/", second);
}

TEST(LibraryLines, AnArchiveHasItsObjectsLeanAndItsSymbolTableFollowingThem) {
    EXPECT_EQ(withoutLineTables(archive(object, "odd")), archive(lean, "odd"));
}

TEST(LibraryLines, WhatIsNeitherAnObjectNorAWholeArchiveGivesNothing) {
    EXPECT_FALSE(withoutLineTables("not a library"));
    EXPECT_FALSE(withoutLineTables(object.substr(0, object.size() - 3)));
    std::string cut = archive(object, "odd");
    EXPECT_FALSE(withoutLineTables(cut.substr(0, cut.size() - 5)));
    std::string wide = archive(object, "odd");
    wide.replace(8, 7, "/SYM64/");
    EXPECT_FALSE(withoutLineTables(wide));
}

TEST(LeanLibraries, EachLibraryOfALinkIsFoundInItsFoldersInTheirOrder) {
    fs::path folder = fs::temp_directory_path() / ("velc-lean-" + std::to_string(getpid()));
    fs::create_directories(folder / "first");
    fs::create_directories(folder / "second dir");
    for (const char *file : {"first/libc.a", "second dir/libc.a", "second dir/libm.a"})
        std::ofstream(folder / file) << "!<arch>\n";
    std::string first = (folder / "first").string(), second = (folder / "second dir").string();
    std::string line = " \"/usr/bin/wasm-ld\" -o prog.wasm prog.o -L" + first + " '-L" + second +
                       "' crt1.o -lc -lm -lnone -mllvm -x";
    EXPECT_EQ(linkedLibraries(line), (std::vector<std::string>{first + "/libc.a", second + "/libm.a"}));
    fs::remove_all(folder);
}

}  // namespace
