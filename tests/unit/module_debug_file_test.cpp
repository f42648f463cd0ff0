#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "driver/module_debug_file.hpp"
#include "wasm_sections.hpp"

namespace {

namespace fs = std::filesystem;

using wasm_sections::custom;
using wasm_sections::header;
using wasm_sections::section;

const std::string typeSection = section(1, std::string("\1\x60\0\0", 4));
const std::string codeSection = section(10, std::string("\1\2\0\x0b", 4));
const std::string nameSection = custom("name", std::string("\1\4\1\0\1f", 6));
const std::string debugInfo = custom(".debug_info", "info bytes");
const std::string debugLine = custom(".debug_line", "line bytes");

// A linked module as the linker writes it with -g: the code, the tables, the
// function names after them.
const std::string linked = header + typeSection + codeSection + debugInfo + debugLine + nameSection;

// What names the debug file and tells it by its CRC-32.
std::string debugFileSections(const std::string &file, const std::string &crc) {
    return custom("external_debug_info", static_cast<char>(file.size()) + file) + custom("velmora_debug_crc32", crc);
}

std::string littleEndian(std::uint32_t value) {
    std::string out;
    for (int i = 0; i < 4; i++)
        out += static_cast<char>(value >> (8 * i) & 0xff);
    return out;
}

TEST(ModuleDebugFile, ChecksumIsTheStandardCrc32) {
    EXPECT_EQ(crc32Of("123456789"), 0xcbf43926u);
    EXPECT_EQ(crc32Of(""), 0u);
}

std::string contentsOf(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void write(const fs::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ModuleDebugFile, NamedBesideTheModule) {
    EXPECT_EQ(debugFileFor("prog.wasm"), "prog.debug.wasm");
    EXPECT_EQ(debugFileFor("dir.wasm/prog.wasm"), "dir.wasm/prog.debug.wasm");
    EXPECT_EQ(debugFileFor("dir/.wasm"), "dir/.wasm.debug.wasm");
    EXPECT_EQ(debugFileFor("prog.wasm.exe"), "prog.wasm.exe.debug.wasm");
}

TEST(ModuleDebugFile, TablesLeaveTheModuleWhichNamesTheirFile) {
    std::optional<std::string> module = withoutDebugSections(linked, "prog.debug.wasm");
    ASSERT_TRUE(module);
    EXPECT_EQ(*module, header + typeSection + codeSection + nameSection +
                           debugFileSections("prog.debug.wasm", littleEndian(crc32Of(linked))));
    EXPECT_EQ(externalDebugFileName(*module), "prog.debug.wasm");
    EXPECT_FALSE(externalDebugFileName(linked));
    // Split again (a module copied back over its link), it names one file.
    std::string relinked = *module + debugInfo;
    EXPECT_EQ(withoutDebugSections(relinked, "other.wasm"),
              header + typeSection + codeSection + nameSection +
                  debugFileSections("other.wasm", littleEndian(crc32Of(relinked))));
}

TEST(ModuleDebugFile, OnlyAModuleWithTablesIsSplit) {
    EXPECT_FALSE(withoutDebugSections(header + typeSection + codeSection + nameSection, "x.wasm"));
    EXPECT_FALSE(withoutDebugSections("\x7f" "ELF\2\1\1\0 a native program", "x.wasm"));
    EXPECT_FALSE(withoutDebugSections(header, "x.wasm"));
    // A section that says it is longer than the file.
    std::string truncated = linked.substr(0, linked.size() - 3);
    EXPECT_FALSE(withoutDebugSections(truncated, "x.wasm"));
    EXPECT_FALSE(externalDebugFileName(truncated));
}

class PlacedModule : public testing::Test {
protected:
    fs::path folder = fs::temp_directory_path() / ("velc_module_debug_file_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(folder); }
    void TearDown() override { fs::remove_all(folder); }
    std::string path(const std::string &name) const { return (folder / name).string(); }
};

TEST_F(PlacedModule, TheLinkBecomesTheDebugFileAndTheModuleLosesItsTables) {
    write(path("prog.part.wasm"), linked);
    std::string error;
    ASSERT_TRUE(placeLinkedModule(path("prog.part.wasm"), path("prog.wasm"), error)) << error;
    EXPECT_EQ(contentsOf(path("prog.debug.wasm")), linked);
    EXPECT_EQ(contentsOf(path("prog.wasm")), *withoutDebugSections(linked, "prog.debug.wasm"));
    EXPECT_FALSE(fs::exists(path("prog.part.wasm")));
}

TEST_F(PlacedModule, AModuleWithoutTablesTakesTheOldDebugFileAway) {
    write(path("prog.debug.wasm"), linked);
    std::string plain = header + typeSection + codeSection;
    write(path("prog.part.wasm"), plain);
    std::string error;
    ASSERT_TRUE(placeLinkedModule(path("prog.part.wasm"), path("prog.wasm"), error)) << error;
    EXPECT_EQ(contentsOf(path("prog.wasm")), plain);
    EXPECT_FALSE(fs::exists(path("prog.debug.wasm")));
}

TEST_F(PlacedModule, ANativeProgramIsRenamedAsItIs) {
    std::string native = "\x7f" "ELF a native program that happens to be called prog.wasm";
    write(path("prog.part.wasm"), native);
    write(path("prog.debug.wasm"), "not velc's");
    std::string error;
    ASSERT_TRUE(placeLinkedModule(path("prog.part.wasm"), path("prog.wasm"), error)) << error;
    EXPECT_EQ(contentsOf(path("prog.wasm")), native);
    EXPECT_EQ(contentsOf(path("prog.debug.wasm")), "not velc's");
}

TEST_F(PlacedModule, AFailedRenameNamesTheFileAndLeavesNoPartialModule) {
    write(path("prog.part.wasm"), linked);
    fs::create_directories(path("prog.wasm/occupied"));
    std::string error;
    EXPECT_FALSE(placeLinkedModule(path("prog.part.wasm"), path("prog.wasm"), error));
    EXPECT_NE(error.find("prog.wasm: "), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(path("prog.part.wasm")));
}

}  // namespace
