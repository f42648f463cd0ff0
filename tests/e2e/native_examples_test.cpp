// Builds every example and every program of faults/ with g++ and the host
// libvel and checks what the program prints, byte for byte; every example
// also moved behind enough statements that its own code lands in the later
// pieces of a main compiled in pieces (prog.1.cpp, prog.2.cpp, ...).
#include <gtest/gtest.h>

#include <fstream>

#include "example_runner.hpp"
#include "fault_runner.hpp"
#include "translator/frame.hpp"

namespace {

// Statements enough for two main parts ahead of the program's own.
std::string padded(const std::string &source) {
    std::string text = "int splitPadding = 0\n";
    for (int i = 0; i < 2 * MAIN_PIECE_STATEMENTS; i++)
        text += "splitPadding = splitPadding + 1\n";
    return text + source;
}

class NativeExample : public testing::TestWithParam<std::string> {
protected:
    // Builds `source` as the example with the native velc.ini and the
    // setting `extra`, runs it with the example's input and checks its output.
    void expectExampleOutput(const std::string &label, const std::string &source, const std::string &extra,
                             const std::string &expectedFile) {
        const std::string name = GetParam();
        ExampleWorkspace workspace(label + name, NATIVE_INI);
        std::ofstream(workspace.directory() + "/velc.ini", std::ios::app) << "\n" << extra << "\n";
        workspace.addSource(name, source);
        CommandOutcome build = workspace.build(name);
        ASSERT_EQ(build.status, 0) << describe(build);
        ASSERT_TRUE(workspace.hasFile(expectedFile.empty() ? name + ".wasm" : expectedFile)) << describe(build);
        CommandOutcome program = workspace.run("./" + name + ".wasm", exampleInputPath(name));
        EXPECT_EQ(program.status, 0) << describe(program);
        EXPECT_EQ(program.standardOutput, expectedOutput(name));
    }
};

TEST_P(NativeExample, PrintsExpectedOutput) { expectExampleOutput("native_", exampleSource(GetParam()), "", ""); }

TEST_P(NativeExample, PrintsTheSameWhenMainIsInPieces) {
    expectExampleOutput("split_", padded(exampleSource(GetParam())), "pieces=1", GetParam() + ".2.cpp");
}

INSTANTIATE_TEST_SUITE_P(Examples, NativeExample, testing::ValuesIn(exampleNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

// Run-time errors of native programs name the Velmora source line of the
// fault, and the function it is in; without line directives they name none.
class NativeFault : public testing::TestWithParam<std::string> {};

TEST_P(NativeFault, NamesTheSourceLine) { checkFault(GetParam(), NATIVE_INI, {""}, "", true); }

TEST_P(NativeFault, NamesNoPlaceWithoutLineDirectives) { checkFault(GetParam(), NATIVE_INI, {""}, "lines=0", false); }

INSTANTIATE_TEST_SUITE_P(Faults, NativeFault, testing::ValuesIn(faultNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

}  // namespace
