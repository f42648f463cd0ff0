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

}  // namespace
