// The wasmer command running em++ modules: arguments, standard streams,
// files in the current directory, exit status, traps and large memories.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.hpp"

namespace {

std::string wasmPath(const std::string& name) { return std::string(WASM_DIR) + "/" + name + ".wasm"; }

std::string wasmer() { return shellQuote(WASMER_COMMAND); }

class WasmerRun : public testing::Test {
protected:
    void SetUp() override {
        directory = makeScratchDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    // The module is copied in so that argv[0] is the plain name, as velc
    // passes it.
    CommandResult runProgram(const std::string& name, const std::string& arguments,
                             const std::string& input = "") {
        writeWholeFile(directory + "/" + name + ".wasm", readWholeFile(wasmPath(name)));
        return runCommand(directory, wasmer() + " " + name + ".wasm" + arguments, input);
    }

    std::string directory;
};

TEST_F(WasmerRun, PassesArgumentsAndStandardStreamsAndExitStatus) {
    const CommandResult result = runProgram("io", " first 'two words'", "line one\nline two\n");
    const std::vector<std::string> lines = splitLines(result.standardOutput);
    ASSERT_GE(lines.size(), 5u) << result.standardOutput << result.standardError;
    EXPECT_EQ(lines[0], "arg 0: io.wasm");
    EXPECT_EQ(lines[1], "arg 1: first");
    EXPECT_EQ(lines[2], "arg 2: two words");
    EXPECT_EQ(lines[3], "stdin: line one");
    EXPECT_EQ(lines[4], "stdin: line two");
    EXPECT_EQ(result.standardError.rfind("message on stderr\n", 0), 0u) << result.standardError;
    EXPECT_EQ(result.standardOutput.find("message on stderr"), std::string::npos);
    EXPECT_EQ(result.status, 3);
}

TEST_F(WasmerRun, ProgramWritesReadsRenamesAndRemovesFilesInCurrentDirectory) {
    writeWholeFile(directory + "/gone.txt", "to be removed\n");
    const CommandResult result = runProgram("io", "");
    EXPECT_EQ(result.standardError, "message on stderr\n");
    EXPECT_NE(result.standardOutput.find("file: first line\nfile: appended line\n"), std::string::npos)
        << result.standardOutput << result.standardError;
    EXPECT_NE(result.standardOutput.find("size: 25 regular: 1\n"), std::string::npos) << result.standardOutput;
    EXPECT_EQ(readWholeFile(directory + "/kept.txt"), "first line\nappended line\n");
    EXPECT_FALSE(fileExists(directory + "/data.txt"));
    EXPECT_FALSE(fileExists(directory + "/gone.txt"));
    EXPECT_EQ(result.status, 3);
}

TEST_F(WasmerRun, LeadingRunSubcommandIsIgnored) {
    const CommandResult result = runCommand(directory, wasmer() + " run " + shellQuote(wasmPath("io")) + " run");
    const std::vector<std::string> lines = splitLines(result.standardOutput);
    ASSERT_GE(lines.size(), 2u) << result.standardError;
    EXPECT_EQ(lines[1], "arg 1: run");
    EXPECT_EQ(result.status, 3);
}

TEST_F(WasmerRun, TrapEndsRunWithFailureStatusAndMessage) {
    const CommandResult result = runProgram("trap", "");
    EXPECT_EQ(result.standardOutput, "before\n");
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.standardError.find("trap"), std::string::npos) << result.standardError;
}

TEST_F(WasmerRun, CallOfUnprovidedHostFunctionFailsOnlyWhenCalled) {
    const CommandResult result = runProgram("trap", " call");
    EXPECT_EQ(result.standardOutput, "before\n");
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.standardError.find("velmora_host_function_nobody_provides"), std::string::npos)
        << result.standardError;
}

TEST_F(WasmerRun, MissingOrInvalidModuleIsReportedWithFailureStatus) {
    writeWholeFile(directory + "/text.wasm", "not a module\n");
    const CommandResult missing = runCommand(directory, wasmer() + " absent.wasm");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.standardError.find("absent.wasm"), std::string::npos) << missing.standardError;
    const CommandResult invalid = runCommand(directory, wasmer() + " text.wasm");
    EXPECT_NE(invalid.status, 0);
    EXPECT_NE(invalid.standardError.find("text.wasm"), std::string::npos) << invalid.standardError;
}

TEST_F(WasmerRun, NoModuleGivesUsageAndFailureStatus) {
    const CommandResult result = runCommand(directory, wasmer());
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.standardError.find("Usage"), std::string::npos) << result.standardError;
}

// V8 optimises a function only when it is called again after a while, so
// code that runs once would stay baseline code. The runner asks for the
// optimising compiler at the first call of the program's own functions:
// main, em++'s __original_main that calls it, and the function main calls
// once, none of which V8's own tiering would optimise in so short a run;
// and for nothing else of the module (the C library's functions).
TEST_F(WasmerRun, ProgramsOwnFunctionsAreOptimisedAtTheirFirstCall) {
    writeWholeFile(directory + "/tiers.wasm", readWholeFile(wasmPath("tiers")));
    const std::string runner = std::string(WASMER_COMMAND) + ".mjs";
    const CommandResult result =
        runCommand(directory, shellQuote(NODE_COMMAND) + " --no-warnings --experimental-wasm-compilation-hints" +
                                  " --trace-wasm-compilation-times " + shellQuote(runner) + " tiers.wasm");
    ASSERT_EQ(result.status, 0) << result.standardError;
    const std::vector<std::string> lines = splitLines(result.standardOutput);
    size_t optimised = 0;
    bool printed = false;
    for (const std::string &line : lines) {
        if (line.find("using TurboFan") != std::string::npos)
            optimised++;
        printed = printed || line == "2997";
    }
    EXPECT_EQ(optimised, 3u) << result.standardOutput;
    EXPECT_TRUE(printed) << result.standardOutput;
}

// Node used to crash at exit after such a run; every one of ten must pass.
TEST_F(WasmerRun, ModuleGrownTo200MegabytesExitsCleanlyTenTimesInARow) {
    for (int run = 1; run <= 10; ++run) {
        const CommandResult result = runProgram("grow", "");
        ASSERT_EQ(result.status, 0) << "run " << run << ": " << result.standardError;
        ASSERT_EQ(result.standardOutput, "allocated 200 MB, checksum 210\n") << "run " << run;
    }
}

}  // namespace
