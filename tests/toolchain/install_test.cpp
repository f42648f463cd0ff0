// The install rules, run into a staging directory: velc with its velc.ini on
// the PATH, and a wasmer that finds its module runner from where it is
// installed or linked.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "test_support.hpp"

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::map<std::string, std::string> readSettings(const std::string& path) {
    std::map<std::string, std::string> settings;
    for (const std::string& line : splitLines(readWholeFile(path))) {
        const auto equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        settings[trimmed(line.substr(0, equals))] = trimmed(line.substr(equals + 1));
    }
    return settings;
}

class InstallRules : public testing::Test {
protected:
    static void SetUpTestSuite() {
        stagingDirectory = new std::string(makeScratchDirectory("install-staging"));
        const std::string command = "DESTDIR=" + shellQuote(*stagingDirectory) + " " +
                                    shellQuote(CMAKE_COMMAND_PATH) + " --install " + shellQuote(VELC_BINARY_DIR);
        installResult = new CommandResult(runCommand(*stagingDirectory, command));
    }

    static void TearDownTestSuite() {
        delete stagingDirectory;
        delete installResult;
    }

    void SetUp() override {
        ASSERT_EQ(installResult->status, 0) << installResult->standardOutput << installResult->standardError;
    }

    static std::string installed(const std::string& relative) {
        return *stagingDirectory + INSTALL_PREFIX + "/" + relative;
    }

    static std::string* stagingDirectory;
    static CommandResult* installResult;
};

std::string* InstallRules::stagingDirectory = nullptr;
CommandResult* InstallRules::installResult = nullptr;

TEST_F(InstallRules, VelcIsInstalledWithEmscriptenSettingsBesideIt) {
    EXPECT_EQ(access(installed("bin/velc").c_str(), X_OK), 0);
    const auto settings = readSettings(installed("bin/velc.ini"));
    EXPECT_EQ(settings.at("id"), "emcc");
    // Debian's wrapper is told which python3 to run, and the tools are started
    // through the installed velc_emreplay; nothing else comes before them.
    const std::string compiler = settings.at("compiler");
    const std::string replay = std::string(INSTALL_PREFIX) + "/bin/velc_emreplay ";
    EXPECT_EQ(access(installed("bin/velc_emreplay").c_str(), X_OK), 0);
    const std::string python = compiler.substr(0, compiler.size() - std::string(replay + "em++").size());
    EXPECT_TRUE(python.empty() || python == "EMSDK_PYTHON=/usr/bin/python3 ") << compiler;
    EXPECT_EQ(compiler, python + replay + "em++");
    // Optimised builds by default; velc's compiled-in defaults have no -O.
    EXPECT_EQ(settings.at("options"), "-c -std=c++17 -O2 -fwrapv -I. -I/velmorac/");
    EXPECT_EQ(settings.at("linker"), python + replay + "emcc");
    EXPECT_EQ(settings.at("loptions"), "-O1 -I. -I/velmorac/ -sALLOW_MEMORY_GROWTH=1 "
                                       "-sAUTO_JS_LIBRARIES=0 -sAUTO_NATIVE_LIBRARIES=0 -sFILESYSTEM=0 --profiling-funcs");
    // Line directives, so that messages and debuggers name Velmora lines.
    EXPECT_EQ(settings.at("lines"), "1");
    EXPECT_EQ(settings.at("objects"), "/velmorac/velmora/velmora.a");
    EXPECT_EQ(settings.at("extension"), ".o");
    EXPECT_EQ(settings.at("pch"), "/velmorac/velmora/prologue.hpp.pch");
    EXPECT_EQ(settings.at("jobs"), std::to_string(std::thread::hardware_concurrency()));
}

// The precompiled prologue names the paths it was made from: a staged
// install must not leave one that would only fit the staging directory.
TEST_F(InstallRules, StagedInstallHasNoPrecompiledPrologue) {
    EXPECT_NE(installResult->standardOutput.find("prologue of generated files is not precompiled"),
              std::string::npos)
        << installResult->standardOutput;
    EXPECT_FALSE(fileExists(*stagingDirectory + "/velmorac/velmora/prologue.hpp.pch.stamp"));
}

// Where the machine has a wasmer of another origin, ours is not installed.
TEST_F(InstallRules, InstalledWasmerRunsModulesFromAnyDirectory) {
    if (!fileExists(installed("bin/wasmer"))) {
        EXPECT_NE(installResult->standardOutput.find("Keeping the wasmer"), std::string::npos)
            << installResult->standardOutput;
        GTEST_SKIP() << "a wasmer of another origin is on the PATH";
    }
    const std::string elsewhere = makeScratchDirectory("install-run");
    const std::string path = *stagingDirectory + INSTALL_PREFIX + "/bin:" + std::getenv("PATH");
    const CommandResult result = runCommand(
        elsewhere, "PATH=" + shellQuote(path) + " wasmer " + shellQuote(std::string(WASM_DIR) + "/io.wasm"));
    EXPECT_EQ(result.status, 3) << result.standardError;
    EXPECT_NE(result.standardOutput.find("file: first line"), std::string::npos) << result.standardOutput;
}

TEST(WasmerCommand, RunsThroughASymbolicLink) {
    const std::string directory = makeScratchDirectory("symlinked");
    std::filesystem::create_symlink(WASMER_COMMAND, directory + "/wasmer-link");
    const CommandResult result =
        runCommand(directory, "./wasmer-link " + shellQuote(std::string(WASM_DIR) + "/grow.wasm"));
    EXPECT_EQ(result.status, 0) << result.standardError;
    EXPECT_EQ(result.standardOutput, "allocated 200 MB, checksum 210\n");
}

}  // namespace
