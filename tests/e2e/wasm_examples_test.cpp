// Every example built for real: em++/emcc with the WebAssembly libvel, run
// by the repository's wasmer runner and by a second, independent WASI
// implementation. Each module must import nothing but WASI.
#include <gtest/gtest.h>

#include <cstdio>

#include "builtin_rows.hpp"
#include "example_runner.hpp"
#include "fault_runner.hpp"
#include "guide_examples.hpp"
#include "wasi_modules.hpp"

namespace {

std::string joined(const std::vector<std::string> &names) {
    std::string text;
    for (const std::string &name : names)
        text += name + "\n";
    return text;
}

void expectOnlyWasiImports(const ExampleWorkspace &workspace, const std::string &module) {
    EXPECT_EQ(joined(importsOutsideWasi(workspace.directory() + "/" + module)), "");
}

TEST(SecondWasiRuntime, IsInstalled) {
    if (!secondRuntimeInstalled())
        GTEST_SKIP() << "the second WASI runtime is not installed under " << WASI_SHIM_DIR
                     << " (setup.sh installs it); modules run under wasmer only";
    SUCCEED();
}

class WasmExample : public testing::TestWithParam<std::string> {};

TEST_P(WasmExample, PrintsExpectedOutput) {
    const std::string name = GetParam();
    ExampleWorkspace workspace("wasm_" + name, WASM_INI);
    workspace.addSource(name, exampleSource(name));

    CommandOutcome build = workspace.build(name);
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_TRUE(workspace.hasFile(name + ".wasm")) << describe(build);

    expectOnlyWasiImports(workspace, name + ".wasm");

    CommandOutcome program = runUnderBothRuntimes(workspace, name + ".wasm", exampleInputPath(name));
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_EQ(program.standardOutput, expectedOutput(name));
}

INSTANTIATE_TEST_SUITE_P(Examples, WasmExample, testing::ValuesIn(exampleNames()),
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
    expectOnlyWasiImports(workspace, "long.wasm");
    CommandOutcome program = runUnderBothRuntimes(workspace, "long.wasm x");
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
    expectOnlyWasiImports(workspace, "rows.wasm");
    CommandOutcome program = workspace.run(std::string(WASMER_COMMAND) + " rows.wasm");
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_NE(program.standardOutput.find("done\n"), std::string::npos) << describe(program);
    // The rows print the clock, the directory and file times, which differ
    // from run to run and between hosts: the second runtime must only get
    // through every row.
    if (secondRuntimeInstalled()) {
        CommandOutcome second = runUnderSecondRuntime(workspace, "rows.wasm");
        EXPECT_EQ(second.status, 0) << describe(second);
        EXPECT_NE(second.standardOutput.find("done\n"), std::string::npos) << describe(second);
    }
}

// The line tables go to prog.debug.wasm beside the module, which a runtime
// reads after a failure only when it is the module's own: a build that only
// moved lines has the same code, and its tables would name other lines.
TEST(WasmProgram, LineTablesBesideTheModuleAreReadOnlyWithTheirOwnModule) {
    ExampleWorkspace workspace("wasm_debug_file", WASM_INI);
    const std::string program = "int ratio(int a, int b)\n    int c = a / b\nreturn c\n\nprint ratio(4, 2)\nprint ratio(1, 0)\n";
    workspace.addSource("prog", program);
    CommandOutcome build = workspace.build("prog");
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_TRUE(workspace.hasFile("prog.debug.wasm")) << describe(build);
    EXPECT_EQ(readWholeFile(workspace.directory() + "/prog.wasm").find(".debug_line"), std::string::npos);
    const std::string told = "prog.vel L2: Run-time error: division by zero (in ratio)\n";
    CommandOutcome run = runUnderBothRuntimes(workspace, "prog.wasm");
    EXPECT_EQ(run.standardError, told + "  called from prog.vel L6\n");

    ASSERT_EQ(workspace.run("mv prog.debug.wasm earlier.debug.wasm").status, 0);
    workspace.addSource("prog", "\n" + program);
    build = workspace.build("prog");
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_EQ(workspace.run("mv earlier.debug.wasm prog.debug.wasm").status, 0);
    run = workspace.run(std::string(WASMER_COMMAND) + " prog.wasm");
    EXPECT_EQ(run.status, 1) << describe(run);
    EXPECT_EQ(run.standardError, "prog.vel L3: Run-time error: division by zero (in ratio)\n");
    ASSERT_EQ(workspace.run("rm prog.debug.wasm").status, 0);
    run = workspace.run(std::string(WASMER_COMMAND) + " prog.wasm");
    EXPECT_EQ(run.standardError, "prog.vel L3: Run-time error: division by zero (in ratio)\n");
}

// Under wasmer as natively: the error line names the source line, and
// the second runtime tells the failure in the same words.
class WasmFault : public testing::TestWithParam<std::string> {};

TEST_P(WasmFault, NamesTheSourceLine) {
    std::vector<std::string> runners{WASMER_COMMAND};
    if (secondRuntimeInstalled())
        runners.push_back(secondRuntimeCommand());
    checkFault(GetParam(), WASM_INI, runners, "", true);
}

INSTANTIATE_TEST_SUITE_P(Faults, WasmFault, testing::ValuesIn(faultNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

}  // namespace

namespace {

// One folder, built in turn for WebAssembly and natively without -b: the
// outputs of the other tool chain are never reused.
TEST(WasmProgram, SwitchingToolChainsInOneFolderRebuilds) {
    ExampleWorkspace workspace("wasm_switch_toolchain", NATIVE_INI);
    workspace.addSource("lib", "int base = 40\n");
    workspace.addSource("prog", "include lib.vel\nprint base + 2\n");
    const std::string build = "./velc -q -e prog.vel";
    const std::string wasmConfiguration = readWholeFile(WASM_INI);
    const std::string nativeConfiguration = readWholeFile(NATIVE_INI);
    auto useConfiguration = [&](const std::string &text) {
        std::FILE *file = std::fopen((workspace.directory() + "/velc.ini").c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fputs(text.c_str(), file);
        ASSERT_EQ(std::fclose(file), 0);
    };

    CommandOutcome native = workspace.run(build);
    ASSERT_EQ(native.status, 0) << describe(native);
    EXPECT_EQ(workspace.run("./prog.wasm").standardOutput, "42\n");

    useConfiguration(wasmConfiguration);
    CommandOutcome wasm = workspace.run(build);
    ASSERT_EQ(wasm.status, 0) << describe(wasm);
    EXPECT_EQ(joined(importsOutsideWasi(workspace.directory() + "/prog.wasm")), "");
    CommandOutcome module = runUnderBothRuntimes(workspace, "prog.wasm");
    EXPECT_EQ(module.status, 0) << describe(module);
    EXPECT_EQ(module.standardOutput, "42\n");

    useConfiguration(nativeConfiguration);
    native = workspace.run(build);
    ASSERT_EQ(native.status, 0) << describe(native);
    EXPECT_EQ(workspace.run("./prog.wasm").standardOutput, "42\n");
}

}  // namespace

namespace {

// A sample of the user guide's programs, one in every fifteen, under wasmer:
// the guide's outputs hold for the WebAssembly build as well.
std::vector<GuideExample> guideSample() {
    std::vector<GuideExample> all = guideExamples(), sample;
    for (std::size_t i = 0; i < all.size(); i += 15)
        sample.push_back(all[i]);
    return sample;
}

class WasmGuideProgram : public testing::TestWithParam<GuideExample> {};

TEST_P(WasmGuideProgram, PrintsWhatTheGuideShows) {
    const GuideExample &example = GetParam();
    ExampleWorkspace workspace("wasm_" + example.label, WASM_INI);
    for (const auto &other : example.otherSources)
        workspace.addSource(other.first.substr(0, other.first.rfind(".vel")), other.second);
    workspace.addSource("prog", example.source);
    CommandOutcome build = workspace.build("prog");
    ASSERT_EQ(build.status, 0) << example.source << describe(build);
    CommandOutcome program =
        workspace.run(std::string(WASMER_COMMAND) + " prog.wasm", guideInputPath(example, workspace.directory()));
    EXPECT_EQ(program.status, example.status) << example.source << describe(program);
    EXPECT_EQ(program.standardOutput, example.output) << example.source;
}

INSTANTIATE_TEST_SUITE_P(Guide, WasmGuideProgram, testing::ValuesIn(guideSample()),
                         [](const testing::TestParamInfo<GuideExample> &info) { return info.param.label; });

}  // namespace
