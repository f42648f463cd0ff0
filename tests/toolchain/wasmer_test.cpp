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

// An unsigned LEB128 number of a module at `at`, which it moves past it.
unsigned readNumber(const std::string &bytes, size_t &at) {
    unsigned value = 0;
    for (int shift = 0; at < bytes.size(); shift += 7) {
        unsigned char b = static_cast<unsigned char>(bytes[at++]);
        value |= static_cast<unsigned>(b & 0x7f) << shift;
        if ((b & 0x80) == 0)
            break;
    }
    return value;
}

std::string numberBytes(unsigned value) {
    std::string out;
    do {
        unsigned char b = value & 0x7f;
        value >>= 7;
        out += static_cast<char>(value ? b | 0x80 : b);
    } while (value);
    return out;
}

// The module with a compilationHints section of its own before its code,
// leaving every function to V8's own choice of tier.
std::string withOwnHints(const std::string &module) {
    const int functionSection = 3, codeSection = 10;
    unsigned functions = 0;
    for (size_t at = 8; at < module.size();) {
        size_t start = at;
        int id = static_cast<unsigned char>(module[at++]);
        unsigned size = readNumber(module, at);
        if (id == functionSection) {
            size_t count = at;
            functions = readNumber(module, count);
        }
        if (id == codeSection) {
            const std::string name = "compilationHints";
            std::string contents = numberBytes(name.size()) + name + numberBytes(functions) +
                                   std::string(functions, '\0');
            return module.substr(0, start) + '\0' + numberBytes(contents.size()) + contents + module.substr(start);
        }
        at += size;
    }
    return module;
}

// Runs a module of the test directory under the runner with V8 telling,
// on standard output too, which functions it compiled with its optimising
// compiler. V8 writes its lines in blocks, so the program's output may
// stand in the middle of one of them.
struct TieredRun {
    CommandResult result;
    size_t optimised = 0;
    bool printed(const std::string &line) const {
        return result.standardOutput.find(line + "\n") != std::string::npos;
    }
};

TieredRun runTraced(const std::string &directory, const std::string &module) {
    const std::string runner = std::string(WASMER_COMMAND) + ".mjs";
    TieredRun run;
    run.result =
        runCommand(directory, shellQuote(NODE_COMMAND) + " --no-warnings --experimental-wasm-compilation-hints" +
                                  " --trace-wasm-compilation-times " + shellQuote(runner) + " " + module);
    const std::string optimised = "using TurboFan";
    for (size_t at = run.result.standardOutput.find(optimised); at != std::string::npos;
         at = run.result.standardOutput.find(optimised, at + 1))
        run.optimised++;
    return run;
}

// V8 optimises a function only when it is called again after a while, so
// code that runs once would stay baseline code. The runner asks for the
// optimising compiler at the first call of the program's own functions:
// main, em++'s __original_main that calls it, and the function main calls
// once, none of which V8's own tiering would optimise in so short a run;
// and for nothing else of the module (the C library's functions).
TEST_F(WasmerRun, ProgramsOwnFunctionsAreOptimisedAtTheirFirstCall) {
    writeWholeFile(directory + "/tiers.wasm", readWholeFile(wasmPath("tiers")));
    const TieredRun run = runTraced(directory, "tiers.wasm");
    ASSERT_EQ(run.result.status, 0) << run.result.standardError;
    EXPECT_EQ(run.optimised, 3u) << run.result.standardOutput;
    EXPECT_TRUE(run.printed("2997")) << run.result.standardOutput;
}

// Optimising costs some time per function: of a module with more of the
// program's functions than the runner marks, only main (and em++'s
// __original_main around it) starts optimised.
TEST_F(WasmerRun, ManyFunctionsAreLeftToTheEnginesTiering) {
    writeWholeFile(directory + "/many.wasm", readWholeFile(wasmPath("many_functions")));
    const TieredRun run = runTraced(directory, "many.wasm");
    ASSERT_EQ(run.result.status, 0) << run.result.standardError;
    EXPECT_EQ(run.optimised, 2u) << run.result.standardOutput;
    EXPECT_TRUE(run.printed("3961")) << run.result.standardOutput;
}

// A module that brings hints of its own keeps them: these leave every
// function to V8, so nothing of so short a run is optimised.
TEST_F(WasmerRun, ModuleWithHintsOfItsOwnKeepsThem) {
    writeWholeFile(directory + "/hinted.wasm", withOwnHints(readWholeFile(wasmPath("tiers"))));
    const TieredRun run = runTraced(directory, "hinted.wasm");
    ASSERT_EQ(run.result.status, 0) << run.result.standardError;
    EXPECT_EQ(run.optimised, 0u) << run.result.standardOutput;
    EXPECT_TRUE(run.printed("2997")) << run.result.standardOutput;
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
