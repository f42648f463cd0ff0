// The programs of tests/e2e/programs, each a <name>.vel beside what it must
// give: <name>.out is what the built program prints, given <name>.in on its
// standard input where there is one (it must build without
// any message of velc or of the C++ compiler), <name>.msg the lines velc
// must report when it refuses the program (and nothing may be built).
// <name>_lib.vel is a second source the program includes: it is copied
// beside the program and is no program of its own; so is <name>_lib_lib.vel,
// a third one, for a chain of includes.
// Compiled into the native and the wasm test programs alike: a fault of the
// generated C++ may show under one compiler only.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "example_runner.hpp"

#ifdef PROGRAM_FILES_WASM
#define PROGRAM_FILES_INI WASM_INI
#define PROGRAM_FILES_LABEL "wasm_file_"
#else
#define PROGRAM_FILES_INI NATIVE_INI
#define PROGRAM_FILES_LABEL "file_"
#endif

namespace {

namespace fs = std::filesystem;

std::string programPath(const std::string &name, const std::string &extension) {
    return std::string(PROGRAMS_DIR) + "/" + name + extension;
}

bool isLibrary(const std::string &stem) {
    const std::string suffix = "_lib";
    return stem.size() > suffix.size() && stem.compare(stem.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string> programNames() {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(PROGRAMS_DIR))
        if (entry.path().extension() == ".vel" && !isLibrary(entry.path().stem().string()))
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> linesOf(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

class ProgramFile : public testing::TestWithParam<std::string> {};

TEST_P(ProgramFile, GivesWhatItsFileSays) {
    const std::string name = GetParam();
    ExampleWorkspace workspace(PROGRAM_FILES_LABEL + name, PROGRAM_FILES_INI);
    workspace.addSource(name, readWholeFile(programPath(name, ".vel")));
    for (const std::string &library : {name + "_lib", name + "_lib_lib"})
        if (fileExists(programPath(library, ".vel")))
            workspace.addSource(library, readWholeFile(programPath(library, ".vel")));
    CommandOutcome build = workspace.build(name);
    std::string printed = build.standardOutput + build.standardError;

    if (fileExists(programPath(name, ".msg"))) {
        EXPECT_NE(build.status, 0) << describe(build);
        EXPECT_FALSE(workspace.hasFile(name + ".wasm"));
        std::vector<std::string> reported = linesOf(printed);
        for (const std::string &line : linesOf(readWholeFile(programPath(name, ".msg"))))
            EXPECT_NE(std::find(reported.begin(), reported.end(), line), reported.end())
                << "missing: " << line << "\n" << describe(build);
        return;
    }
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_TRUE(workspace.hasFile(name + ".wasm")) << describe(build);
    // <name>.in, where there is one, is what the program reads.
    std::string input = fileExists(programPath(name, ".in")) ? programPath(name, ".in") : "/dev/null";
#ifdef PROGRAM_FILES_WASM
    CommandOutcome program = workspace.run(std::string(WASMER_COMMAND) + " " + name + ".wasm", input);
#else
    CommandOutcome program = workspace.run("./" + name + ".wasm", input);
#endif
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_EQ(program.standardOutput, readWholeFile(programPath(name, ".out")));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramFile, testing::ValuesIn(programNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

}  // namespace
