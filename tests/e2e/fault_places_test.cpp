// Run-time errors of native programs name the Velmora source line of the
// fault, and the function it is in; without line directives they name none.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "example_runner.hpp"
#include "fault_runner.hpp"

namespace {

class NativeFault : public testing::TestWithParam<std::string> {};

TEST_P(NativeFault, NamesTheSourceLine) { checkFault(GetParam(), NATIVE_INI, "", "", true); }

TEST_P(NativeFault, NamesNoPlaceWithoutLineDirectives) { checkFault(GetParam(), NATIVE_INI, "", "lines=0", false); }

INSTANTIATE_TEST_SUITE_P(Faults, NativeFault, testing::ValuesIn(faultNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

// An edit that only moves the lines of an included source: the rebuild
// without -b names the new line of a method that the header holds.
TEST(FaultPlaces, IncrementalRebuildFollowsMovedLines) {
    ExampleWorkspace workspace("fault_moved_lines", NATIVE_INI);
    const std::string library = "class Cell\n    int v = 0\n    int part(int d)\n    return v / d\n/class\n";
    workspace.addSource("lib", library);
    workspace.addSource("prog", "include \"lib.vel\"\nCell c = Cell()\nprint c.part(0)\n");
    ASSERT_TRUE(workspace.build("prog").status == 1);
    EXPECT_EQ(workspace.run("./prog.wasm").standardError, "lib.vel L4: Run-time error: division by zero (in part)\n");

    workspace.addSource("lib", "\n\n" + library);
    std::filesystem::path edited = workspace.directory() + "/lib.vel";
    std::filesystem::last_write_time(edited, std::filesystem::last_write_time(edited) + std::chrono::seconds(2));
    CommandOutcome rebuild = workspace.run("./velc -q -e prog.vel");
    EXPECT_TRUE(workspace.hasFile("prog.wasm")) << describe(rebuild);
    EXPECT_EQ(workspace.run("./prog.wasm").standardError, "lib.vel L6: Run-time error: division by zero (in part)\n");
}

// Two sources of one name in two folders link side by side, each with its
// own table of function places, and a fault names the right one.
TEST(FaultPlaces, SourcesOfOneNameInTwoFolders) {
    ExampleWorkspace workspace("fault_two_folders", NATIVE_INI);
    std::filesystem::create_directories(workspace.directory() + "/lib");
    workspace.addSource("lib/util", "int down(int n)\n    if n < 0\n        return 0\n    /if\n"
                                    "return down(n + 1) + down(n + 2)\n");
    workspace.addSource("util", "int twice(int n)\nreturn n * 2\n");
    workspace.addSource("prog", "include \"lib/util.vel\"\ninclude \"util.vel\"\nprint twice(2)\nprint down(1)\n");
    CommandOutcome build = workspace.build("prog");
    ASSERT_TRUE(workspace.hasFile("prog.wasm")) << describe(build);
    CommandOutcome program = workspace.run("./prog.wasm");
    EXPECT_EQ(program.status, 1) << describe(program);
    EXPECT_EQ(program.standardOutput, "4\n");
    EXPECT_EQ(program.standardError,
              "lib/util.vel L5: Run-time error: recursion too deep, the stack is exhausted (in down)\n");
}

}  // namespace
