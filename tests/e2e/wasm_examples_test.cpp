// A few examples built for real: em++/emcc with the WebAssembly libvel, run
// by the repository's wasmer runner.
#include <gtest/gtest.h>

#include "builtin_rows.hpp"
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
                                         "declarations", "input", "switch", "doloop", "nested", "functions",
                                         "builtins", "files", "classes", "xml", "range_loops"),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

// A long program is split into several generated functions; as one, its
// main would hold more locals than the WebAssembly engine loads.
TEST(WasmProgram, FiveThousandTopLevelStatementsLoadAndRun) {
    std::string source = "array argv\nint total = 0\ndict d = {}\n";
    long expected = 0;
    for (int i = 0; i < 5000; i++) {
        switch (i % 4) {
        case 0: source += "total + " + std::to_string(i) + "\n"; expected += i; break;
        case 1: source += "d[\"k" + std::to_string(i % 50) + "\"] = " + std::to_string(i) + "\n"; break;
        case 2: source += "text t" + std::to_string(i) + " = \"v\"\n"; break;
        default: source += "for j in 1..2\n    total + 1\n/for\n"; expected += 2; break;
        }
    }
    source += "print total, d[\"k1\"], t2, argv\n";
    ExampleWorkspace workspace("wasm_long_program", WASM_INI);
    workspace.addSource("long", source);
    CommandOutcome build = workspace.build("long");
    ASSERT_EQ(build.status, 0) << describe(build);
    CommandOutcome program = workspace.run(std::string(WASMER_COMMAND) + " long.wasm x");
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_EQ(program.standardOutput, std::to_string(expected) + " 4901 v [\"long.wasm\", \"x\"]\n");
}

// The call of every built-in row, built by em++ against the WebAssembly
// libvel and run by wasmer: the table cannot name what libvel lacks there.
TEST(WasmProgram, EveryBuiltinRowCompilesAndRuns) {
    ExampleWorkspace workspace("wasm_builtin_rows", WASM_INI);
    workspace.addSource("rows", builtinRowsProgram());
    CommandOutcome build = workspace.build("rows");
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_TRUE(workspace.hasFile("rows.wasm")) << describe(build);
    CommandOutcome program = workspace.run(std::string(WASMER_COMMAND) + " rows.wasm");
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_NE(program.standardOutput.find("done\n"), std::string::npos) << describe(program);
}

}  // namespace
