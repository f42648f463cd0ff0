// The wasmer command running em++ modules with V8's tiers chosen for them
// (what else it does is in runs/wasmer.txt).
#include <gtest/gtest.h>

#include <string>

#include "driver/wasm_leb.hpp"
#include "test_support.hpp"

namespace {

std::string wasmPath(const std::string& name) { return std::string(WASM_DIR) + "/" + name + ".wasm"; }

class WasmerRun : public testing::Test {
protected:
    void SetUp() override {
        directory = makeScratchDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    std::string directory;
};

// The module with a compilationHints section of its own before its code,
// leaving every function to V8's own choice of tier.
std::string withOwnHints(const std::string &module) {
    const int functionSection = 3, codeSection = 10;
    std::uint64_t functions = 0;
    for (size_t at = 8; at < module.size();) {
        size_t start = at;
        int id = static_cast<unsigned char>(module[at++]);
        std::uint64_t size = 0;
        if (!readLeb(module, at, size))
            break;
        if (id == functionSection) {
            size_t count = at;
            readLeb(module, count, functions);
        }
        if (id == codeSection) {
            const std::string name = "compilationHints";
            std::string contents = leb(name.size()) + name + leb(functions) +
                                   std::string(functions, '\0');
            return module.substr(0, start) + '\0' + leb(contents.size()) + contents + module.substr(start);
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

}  // namespace
