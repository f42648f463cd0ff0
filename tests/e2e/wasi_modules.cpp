#include "wasi_modules.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "emreplay/wasm_object.hpp"

std::string secondRuntimeCommand() {
    return std::string(NODE_PROGRAM) + " " + SECOND_RUNTIME_RUNNER + " " + WASI_SHIM_DIR + " ";
}

std::vector<std::string> importsOutsideWasi(const std::string &modulePath) {
    std::optional<std::vector<std::string>> imports = wasmImports(readWholeFile(modulePath));
    if (!imports)
        return {modulePath + " is not a WebAssembly module this reader understands"};
    std::vector<std::string> foreign;
    for (const std::string &import : *imports)
        if (import.compare(0, 23, "wasi_snapshot_preview1.") != 0)
            foreign.push_back(import);
    return foreign;
}

bool secondRuntimeInstalled() {
    return std::filesystem::exists(std::string(WASI_SHIM_DIR) + "/dist/index.js");
}

CommandOutcome runUnderSecondRuntime(ExampleWorkspace &workspace, const std::string &moduleAndArguments,
                                     const std::string &inputPath) {
    return workspace.run(secondRuntimeCommand() + moduleAndArguments, inputPath);
}

CommandOutcome runUnderBothRuntimes(ExampleWorkspace &workspace, const std::string &moduleAndArguments,
                                    const std::string &inputPath) {
    CommandOutcome ours = workspace.run(std::string(WASMER_COMMAND) + " " + moduleAndArguments, inputPath);
    if (!secondRuntimeInstalled())
        return ours;
    CommandOutcome second = runUnderSecondRuntime(workspace, moduleAndArguments, inputPath);
    EXPECT_EQ(second.status, ours.status) << "second runtime: " << describe(second);
    EXPECT_EQ(second.standardOutput, ours.standardOutput) << "second runtime: " << describe(second);
    return ours;
}
