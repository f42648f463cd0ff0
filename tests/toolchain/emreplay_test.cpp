// velc_emreplay with the real em++ and emcc: what the recorded commands make
// is, byte for byte, what em++ and emcc make, and a program that needs other
// run-time exports is linked by emcc again rather than by an old recipe.
#include <gtest/gtest.h>

#include <string>

#include "test_support.hpp"

namespace {

const char *plainProgram = R"(#include <cstdio>
int main() { std::printf("plain\n"); return 0; }
)";

// localtime makes emcc export malloc from the module, which the plain
// program's module does not.
const char *clockProgram = R"(#include <cstdio>
#include <ctime>
int main() {
    std::time_t now = std::time(nullptr);
    std::printf("%s\n", std::localtime(&now)->tm_year > 100 ? "clock" : "no clock");
    return 0;
}
)";

class EmReplayWithEmscripten : public testing::Test {
protected:
    void SetUp() override { directory = makeScratchDirectory("emreplay_toolchain"); }

    void build(const std::string &prefix, const std::string &stem) {
        CommandResult compile = runCommand(directory, prefix + "em++ -c -O2 prog.cpp -o" + stem + ".o");
        ASSERT_EQ(compile.status, 0) << compile.standardError;
        CommandResult link =
            runCommand(directory, prefix + "emcc -O1 -sALLOW_MEMORY_GROWTH=1 -o " + stem + ".wasm " + stem + ".o");
        ASSERT_EQ(link.status, 0) << link.standardError;
    }

    std::string file(const std::string &name) { return readWholeFile(directory + "/" + name); }
    bool sameFiles(const std::string &made, const std::string &expected) {
        return file(made) == file(expected);
    }
    std::string run(const std::string &module) {
        return runCommand(directory, shellQuote(WASMER_COMMAND) + " " + module).standardOutput;
    }

    std::string directory;
    const std::string replay = shellQuote(EMREPLAY_PROGRAM) + " ";
};

TEST_F(EmReplayWithEmscripten, RecordedAndReplayedBuildsAreEmccsOwn) {
    writeWholeFile(directory + "/prog.cpp", plainProgram);
    build("", "direct");
    build(replay, "prog");   // recorded
    ASSERT_TRUE(fileExists(directory + "/prog.o.emreplay"));
    ASSERT_TRUE(fileExists(directory + "/prog.wasm.emreplay"));
    EXPECT_TRUE(sameFiles("prog.o", "direct.o"));
    EXPECT_TRUE(sameFiles("prog.wasm", "direct.wasm"));
    writeWholeFile(directory + "/prog.o", "");
    writeWholeFile(directory + "/prog.wasm", "");
    build(replay, "prog");   // replayed
    EXPECT_TRUE(sameFiles("prog.o", "direct.o"));
    EXPECT_TRUE(sameFiles("prog.wasm", "direct.wasm"));
    EXPECT_EQ(run("prog.wasm"), "plain\n");

    writeWholeFile(directory + "/prog.cpp", clockProgram);
    build("", "direct");
    build(replay, "prog");
    EXPECT_TRUE(sameFiles("prog.o", "direct.o"));
    EXPECT_TRUE(sameFiles("prog.wasm", "direct.wasm"));
    EXPECT_EQ(run("prog.wasm"), "clock\n");
}

}  // namespace
