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

// A recursion that exhausts the stack of a native program ends with one
// line naming the function that recursed, and status 1, not a crash.
struct Recursion {
    const char *name;
    const char *source;
    const char *function;
};
// Two calls in each frame: the compiler cannot turn the recursion into a loop.
const Recursion recursions[] = {
    {"function", "int down(int n)\n    if n < 0\n        return 0\n    /if\nreturn down(n + 1) + down(n + 2)\n\n"
                 "print \"deep\"\nprint down(1)\n", "down"},
    {"method", "class Walker\n    int walk(int n)\n        if n < 0\n            return 0\n        /if\n"
               "    return walk(n + 1) + walk(n + 2)\n/class\nWalker w = Walker()\nprint \"deep\"\nprint w.walk(1)\n",
     "walk"},
};

void PrintTo(const Recursion &recursion, std::ostream *stream) { *stream << recursion.name; }

class NativeRecursion : public testing::TestWithParam<Recursion> {};

TEST_P(NativeRecursion, ExhaustedStackIsOneLine) {
    ExampleWorkspace workspace(std::string("fault_native_recursion_") + GetParam().name, NATIVE_INI);
    workspace.addSource("deep", GetParam().source);
    CommandOutcome build = workspace.build("deep");
    ASSERT_TRUE(workspace.hasFile("deep.wasm")) << describe(build);
    CommandOutcome program = workspace.run("./deep.wasm");
    EXPECT_EQ(program.status, 1) << describe(program);
    EXPECT_EQ(program.standardOutput, "deep\n");
    EXPECT_EQ(program.standardError, std::string("Run-time error: recursion too deep, the stack is exhausted (in ") +
                                         GetParam().function + ")\n");
}

INSTANTIATE_TEST_SUITE_P(Recursions, NativeRecursion, testing::ValuesIn(recursions),
                         [](const testing::TestParamInfo<Recursion> &info) { return info.param.name; });

}  // namespace
