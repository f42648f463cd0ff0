#include <gtest/gtest.h>

#include "driver/native_build.hpp"
#include "driver/shell_quote.hpp"
#include "driver/velc.hpp"
#include "driver_test_support.hpp"

namespace {

TEST(ShellQuote, PlainWordsStayAndOthersAreQuoted) {
    EXPECT_EQ(shellQuote("dir/prog-1.o"), "dir/prog-1.o");
    EXPECT_EQ(shellQuote("a b"), "'a b'");
    EXPECT_EQ(shellQuote("it's"), "'it'\\''s'");
    EXPECT_EQ(shellQuote("$(rm -rf x);"), "'$(rm -rf x);'");
    EXPECT_EQ(shellQuote("*"), "'*'");
    EXPECT_EQ(shellQuote(""), "''");
}

TEST(MainFlowNames, TargetNameFollowsSourceAndToolchain) {
    EXPECT_EQ(targetNameFor("prog.vel", 0), "prog.wasm");
    EXPECT_EQ(targetNameFor("dir/prog.vel", 3), "dir/prog.wasm");
    EXPECT_EQ(targetNameFor("PROG.VEL", 0), "PROG.wasm");
    EXPECT_EQ(targetNameFor(".hidden.vel", 0), ".hidden.wasm");
    EXPECT_EQ(targetNameFor("prog.vel", 1), "prog.wasm.exe");
}

TEST(MainFlowNames, ExitStatusNeverWrapsToSuccess) {
    EXPECT_EQ(exitStatus(0, 0), 0);
    EXPECT_EQ(exitStatus(2, 5), 2);
    EXPECT_EQ(exitStatus(0, 3), 3);
    EXPECT_EQ(exitStatus(256, 256), 255);
    EXPECT_EQ(exitStatus(0, 1000), 255);
}

class CommandLineTest : public DriverStateTest {
protected:
    void SetUp() override {
        DriverStateTest::SetUp();
        driverSettings.targetName = "prog.wasm";
        addObjectName("prog.o");
        addObjectName("lib.o");
    }
};

TEST_F(CommandLineTest, EmscriptenDefaults) {
    EXPECT_EQ(compileCommand("prog.cpp"), "em++ -c -std=c++17 -fwrapv -I. -I/velmorac/ prog.cpp -oprog.o ");
    EXPECT_EQ(linkCommand(),
              "emcc -I. -I/velmorac/   -o prog.wasm  prog.o lib.o /velmorac/velmora/velmora.a");
    driverSettings.runArgumentList = {"a", "b"};
    EXPECT_EQ(runCommand(), "wasmer prog.wasm  a b");
}

TEST_F(CommandLineTest, PrologueOptionFollowsTheConfiguredOptions) {
    EXPECT_EQ(compileCommand("prog.cpp", "-include /v/prologue.hpp"),
              "em++ -c -std=c++17 -fwrapv -I. -I/velmorac/ -include /v/prologue.hpp prog.cpp -oprog.o ");
    EXPECT_EQ(compileCommand("prog.cpp", ""), compileCommand("prog.cpp"));
}

// em++ puts the launcher in front of the clang it starts, so the launcher
// also runs under velc_emreplay's record; another compiler is started by the
// launcher, with the variables the setting assigns still set for both.
TEST_F(CommandLineTest, LauncherStartsTheCompiler) {
    toolchainSettings.launcher = "ccache";
    toolchainSettings.compiler = "EMSDK_PYTHON=/usr/bin/python3 /bin/velc_emreplay em++";
    EXPECT_EQ(compileCommand("prog.cpp"), "EMSDK_PYTHON=/usr/bin/python3 /bin/velc_emreplay em++ "
                                          "--compiler-wrapper=ccache -c -std=c++17 -fwrapv -I. -I/velmorac/ "
                                          "prog.cpp -oprog.o ");
    EXPECT_EQ(linkCommand(), "emcc -I. -I/velmorac/   -o prog.wasm  prog.o lib.o /velmorac/velmora/velmora.a");
    driverSettings.toolchainKind = 3;
    toolchainSettings.launcher = "/opt/my tools/distcc";
    toolchainSettings.compiler = "  CCACHE_DIR=/c  A=1 g++";
    toolchainSettings.options = "-c";
    EXPECT_EQ(compileCommand("prog.cpp"), "  CCACHE_DIR=/c  A=1 '/opt/my tools/distcc' g++ -c prog.cpp -oprog.o ");
    toolchainSettings.compiler = "/opt/x=y/g++";
    EXPECT_EQ(launchedCompiler(), "'/opt/my tools/distcc' /opt/x=y/g++");
}

TEST_F(CommandLineTest, OtherCompilerUsesItsOwnFlags) {
    driverSettings.toolchainKind = 1;
    driverSettings.targetName = "prog.wasm.exe";
    toolchainSettings.extension = ".obj";
    toolchainSettings.compiler = "cl";
    toolchainSettings.options = "/c";
    toolchainSettings.linker = "link";
    toolchainSettings.loptions = "/nologo";
    toolchainSettings.objects = "vel.lib";
    EXPECT_EQ(compileCommand("prog.cpp"), "cl /c prog.cpp /Foprog.obj ");
    EXPECT_EQ(linkCommand(), "link /nologo /out:prog.wasm.exe  prog.o lib.o vel.lib");
    EXPECT_EQ(runCommand(), "./prog.wasm.exe ");
}

TEST_F(CommandLineTest, ClangRunsTargetDirectly) {
    driverSettings.toolchainKind = 3;
    driverSettings.targetName = "dir/prog.wasm";
    driverSettings.runArgumentList = {"x y", "-b"};
    EXPECT_EQ(runCommand(), "dir/prog.wasm  'x y' -b");
}

TEST_F(CommandLineTest, UnusualFileNamesAreQuoted) {
    driverSettings.targetName = "my prog.wasm";
    addObjectName("my prog.o");
    EXPECT_EQ(compileCommand("my prog.cpp"),
              "em++ -c -std=c++17 -fwrapv -I. -I/velmorac/ 'my prog.cpp' -o'my prog.o' ");
    EXPECT_EQ(linkCommand(), "emcc -I. -I/velmorac/   -o 'my prog.wasm'  prog.o lib.o 'my prog.o' "
                             "/velmorac/velmora/velmora.a");
    EXPECT_EQ(runCommand(), "wasmer 'my prog.wasm' ");
}

TEST_F(CommandLineTest, ObjectNameReplacesLastExtension) {
    EXPECT_EQ(objectFileFor("dir.x/prog.cpp"), "dir.x/prog.o");
    EXPECT_EQ(objectFileFor(".cpp"), ".cpp.o");
}

TEST_F(CommandLineTest, TargetOlderThanAnObjectIsOutOfDate) {
    EXPECT_TRUE(targetOutOfDate());
    writeFile("prog.wasm", "");
    writeFile("prog.o", "");
    setModificationTime("prog.wasm", 5000000);
    setModificationTime("prog.o", 5000000);
    EXPECT_FALSE(targetOutOfDate());
    setModificationTime("prog.o", 5000001);
    EXPECT_TRUE(targetOutOfDate());
}

TEST_F(CommandLineTest, CompileStepWritesProgressAndSkipsWhenNothingTranslated) {
    toolchainSettings.compiler = "true";
    driverSettings.verbose = true;
    testing::internal::CaptureStdout();
    compileCppFiles();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    project.cppFileList = {"prog.cpp"};
    project.translatedCount = 1;
    writeFile("prog.o", "stale");
    testing::internal::CaptureStdout();
    compileCppFiles();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "1 files to compile...\nCompiling prog.cpp\n"
              "true -c -std=c++17 -fwrapv -I. -I/velmorac/ prog.cpp -oprog.o \n");
    EXPECT_FALSE(std::filesystem::exists("prog.o"));
}

TEST(MainFlowNames, PartialTargetKeepsTheExtensionTheLinkerGoesBy) {
    EXPECT_EQ(partialTargetFor("prog.wasm"), "prog.part.wasm");
    EXPECT_EQ(partialTargetFor("dir.v2/prog.wasm"), "dir.v2/prog.part.wasm");
    EXPECT_EQ(partialTargetFor("dir.v2/prog"), "dir.v2/prog.part");
    EXPECT_EQ(partialTargetFor("prog.wasm.exe"), "prog.wasm.part.exe");
    EXPECT_EQ(partialTargetFor(".hidden"), ".hidden.part");
}

TEST_F(CommandLineTest, QuietLinkStillListsObjects) {
    toolchainSettings.linker = "echo linked > prog.part.wasm; true";
    driverSettings.quiet = true;
    testing::internal::CaptureStdout();
    linkProgram();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "objlist= prog.o lib.o\n");
}

TEST_F(CommandLineTest, TargetAppearsOnlyWhenTheLinkerSucceeded) {
    toolchainSettings.linker = "echo linked > prog.part.wasm; true";
    writeFile("prog.wasm", "old");
    testing::internal::CaptureStdout();
    linkProgram();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile("prog.wasm"), "linked\n");
    EXPECT_FALSE(std::filesystem::exists("prog.part.wasm"));
}

TEST_F(CommandLineTest, KilledLinkLeavesNoTarget) {
    toolchainSettings.linker = "echo half > prog.part.wasm; kill -KILL $$; true";
    EXPECT_EXIT(linkProgram(), testing::ExitedWithCode(1), "");
    EXPECT_FALSE(std::filesystem::exists("prog.wasm"));
    EXPECT_FALSE(std::filesystem::exists("prog.part.wasm"));
}

TEST_F(CommandLineTest, LinkerThatWritesNothingIsAFailure) {
    toolchainSettings.linker = "true";
    EXPECT_EXIT(linkProgram(), testing::ExitedWithCode(1), "");
    EXPECT_FALSE(std::filesystem::exists("prog.wasm"));
}

TEST_F(CommandLineTest, FailingLinkEndsRunWithNotBuild) {
    toolchainSettings.linker = "false";
    EXPECT_EXIT(linkProgram(), testing::ExitedWithCode(1), "");
}

}  // namespace
