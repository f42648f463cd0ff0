// Builds every example with g++ and the host libvel and checks what the
// program prints, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "example_runner.hpp"

namespace {

class NativeExample : public testing::TestWithParam<std::string> {};

TEST_P(NativeExample, PrintsExpectedOutput) {
    const std::string name = GetParam();
    ExampleWorkspace workspace("native_" + name, NATIVE_INI);
    workspace.addSource(name, exampleSource(name));

    CommandOutcome build = workspace.build(name);
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_TRUE(workspace.hasFile(name + ".wasm")) << describe(build);

    CommandOutcome program = workspace.run("./" + name + ".wasm", exampleInputPath(name));
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_EQ(program.standardOutput, expectedOutput(name));
}

INSTANTIATE_TEST_SUITE_P(Examples, NativeExample, testing::ValuesIn(exampleNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

// Small programs for faults found while writing the examples. Each builds and
// runs a program and checks its output.
class NativeProgram : public testing::Test {
protected:
    std::string buildAndRun(const std::string &source) { return buildAndRunNative("program", source); }
};

// A source in a directory of its own defines functions with defaults, a
// global and a main of its own; the program calls them with every count.
TEST_F(NativeProgram, FunctionsOfAnIncludedSourceKeepTheirDefaults) {
    ExampleWorkspace workspace("program_included_functions", NATIVE_INI);
    std::filesystem::create_directories(workspace.directory() + "/lib");
    workspace.addSource("lib/util", "int counter = 0\n"
                                    "text label(int n, text prefix = \"item\", text suffix = \".\")\n"
                                    "    counter = counter + 1\n"
                                    "return prefix + \" \" + n.toText() + suffix\n"
                                    "void main()\n"
                                    "    print \"never\"\n"
                                    "return\n");
    workspace.addSource("prog", "include lib/util.vel\n"
                                "print label(1)\n"
                                "print label(2, \"row\")\n"
                                "print label(3, \"row\", \"!\")\n"
                                "print counter\n");
    CommandOutcome build = workspace.build("prog");
    ASSERT_EQ(build.status, 0) << describe(build);
    EXPECT_EQ(workspace.run("./prog.wasm").standardOutput, "item 1.\nrow 2.\nrow 3!\n3\n");
}

// A member of a null object is a run-time error, not a crash.
TEST_F(NativeProgram, MemberOfANullObjectStopsTheProgram) {
    ExampleWorkspace workspace("program_null_object", NATIVE_INI);
    workspace.addSource("prog", "class P\n    int x = 1\n/class\nP none = null\nprint \"before\"\nprint none.x\n");
    workspace.build("prog");
    ASSERT_TRUE(workspace.hasFile("prog.wasm"));
    CommandOutcome program = workspace.run("./prog.wasm");
    EXPECT_EQ(program.status, 1) << describe(program);
    EXPECT_EQ(program.standardOutput, "before\n");
    EXPECT_NE(program.standardError.find("Run-time error: member of a null object"), std::string::npos)
        << describe(program);
}

}  // namespace
