// A few examples built for real: em++/emcc with the WebAssembly libvel, run
// by the repository's wasmer runner.
#include <gtest/gtest.h>

#include "example_runner.hpp"

namespace {

class WasmExample : public testing::TestWithParam<std::string> {};

TEST_P(WasmExample, PrintsExpectedOutput) {
    const std::string name = GetParam();
    ExampleWorkspace workspace("wasm_" + name, WASM_INI);
    workspace.addSource(name, exampleSource(name));

    CommandOutcome build = workspace.build(name);
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_TRUE(workspace.hasFile(name + ".wasm")) << describe(build);

    CommandOutcome program = workspace.run(std::string(WASMER_COMMAND) + " " + name + ".wasm",
                                           exampleInputPath(name));
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_EQ(program.standardOutput, expectedOutput(name));
}

INSTANTIATE_TEST_SUITE_P(Examples, WasmExample,
                         testing::Values("hello", "fizzbuzz", "sieve", "dict", "operators",
                                         "declarations", "input", "switch", "doloop", "nested"),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

}  // namespace
