// Runs velc as a user would and checks what it prints, its status and the
// command lines it hands to the tools.
#include "velc_command_line.hpp"

namespace {

using namespace cli_test;
namespace fs = std::filesystem;

TEST_F(VelcCommandLine, NoArgumentsOrNoSourcePrintUsage) {
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(stdoutText, banner + usage);
    EXPECT_EQ(run("-v"), 0);
    EXPECT_EQ(stdoutText, banner + usage);
    EXPECT_EQ(run("-"), 0);
    EXPECT_EQ(stdoutText, banner + usage);
}

TEST_F(VelcCommandLine, InvalidOptionPrintsUsageEvenWhenQuiet) {
    EXPECT_EQ(run("-x prog"), 0);
    EXPECT_EQ(stdoutText, "Invalid option -x\n" + banner + usage);
    EXPECT_EQ(run("-q -x prog"), 0);
    EXPECT_EQ(stdoutText, "Invalid option -x\n" + banner + usage);
    EXPECT_EQ(run("-vz prog"), 0);
    EXPECT_EQ(stdoutText, "Invalid option -z\n" + banner + usage);
}

TEST_F(VelcCommandLine, MissingSourceAbortsWithStatusOne) {
    EXPECT_EQ(run("nothere"), 1);
    EXPECT_EQ(stdoutText, "nothere.vel not found. Compilation aborted.\n");
    writeFile("prog.vel", "include lib.vel\n");
    EXPECT_EQ(run("-q prog"), 1);
    EXPECT_EQ(stdoutText, "lib.vel not found. Compilation aborted.\n");
}

TEST_F(VelcCommandLine, DefaultToolchainWithoutConfiguration) {
    writeFile("prog.vel", "");
    EXPECT_EQ(run("-v prog a 'b c'"), 0);
    EXPECT_EQ(stdoutText, banner +
                              "Analyzing prog.vel\n"
                              "Compiling source prog.vel\n"
                              "prog.vel, compiled 0 lines\n"
                              "1 files to compile...\n"
                              "Compiling prog.cpp\n"
                              "em++ -c -std=c++17 -I. -I/velmorac/ prog.cpp -oprog.o \n"
                              "1/1 compiled\n"
                              "Building prog.wasm\n"
                              "objlist= prog.o\n"
                              "Linking prog...\n"
                              "emcc -I. -I/velmorac/   -o prog.part.wasm  prog.o "
                              "/velmorac/velmora/velmora.a\n"
                              "Running prog.wasm a b c\n");
    EXPECT_EQ(takeToolLog(),
              "em++ [-c] [-std=c++17] [-I.] [-I/velmorac/] [prog.cpp] [-oprog.o]\n"
              "emcc [-I.] [-I/velmorac/] [-o] [prog.part.wasm] [prog.o] [/velmorac/velmora/velmora.a]\n"
              "wasmer [prog.wasm] [a] [b c]\n");
}

TEST_F(VelcCommandLine, OtherCompilerKindThroughPath) {
    writeFile("velc.ini",
              "id=msvc\ncompiler=compiler\noptions=/c\nlinker=linker\n"
              "loptions=/nologo\nobjects=vel.lib\nextension=.obj\n");
    writeFile("prog.vel", "");
    EXPECT_EQ(run("-v prog x", "velc"), 0);
    EXPECT_NE(stdoutText.find("\ncompiler /c prog.cpp /Foprog.obj \n"), std::string::npos)
        << stdoutText;
    EXPECT_NE(stdoutText.find("\nlinker /nologo /out:prog.wasm.part.exe  prog.obj vel.lib\n"),
              std::string::npos)
        << stdoutText;
    EXPECT_EQ(takeToolLog(),
              "compiler [/c] [prog.cpp] [/Foprog.obj]\n"
              "linker [/nologo] [/out:prog.wasm.part.exe] [prog.obj] [vel.lib]\n"
              "prog.wasm.exe [x]\n");
}

TEST_F(VelcCommandLine, ClangKindRunsTargetItself) {
    writeFile("velc.ini", "id=clang-18\ncompiler=compiler\nlinker=linker\n");
    writeFile("prog.vel", "");
    EXPECT_EQ(run("-q prog 1"), 0);
    EXPECT_EQ(stdoutText, "objlist= prog.o\n");
    EXPECT_EQ(takeToolLog(),
              "compiler [-c] [-std=c++17] [-I.] [-I/velmorac/] [prog.cpp] [-oprog.o]\n"
              "linker [-I.] [-I/velmorac/] [-o] [prog.part.wasm] [prog.o] [/velmorac/velmora/velmora.a]\n"
              "prog.wasm [1]\n");
}

TEST_F(VelcCommandLine, FailingLinkIsNotBuild) {
    writeFile("velc.ini", "linker=failing-linker\n");
    writeFile("prog.vel", "");
    EXPECT_EQ(run("-q prog"), 1);
    EXPECT_EQ(stdoutText, "objlist= prog.o\nNot build\n");
    std::string log = takeToolLog();
    EXPECT_EQ(log.find("wasmer"), std::string::npos) << log;
}

TEST_F(VelcCommandLine, FailingCompileIsNeitherLinkedNorRunAndFails) {
    writeFile("velc.ini", "compiler=failing-compiler\n");
    writeFile("prog.vel", "print 1\n");
    EXPECT_EQ(run("-q prog"), 1);
    EXPECT_EQ(stdoutText, "Compilation of prog.cpp failed\nNot build\n");
    std::string log = takeToolLog();
    EXPECT_NE(log.find("failing-compiler"), std::string::npos) << log;
    EXPECT_EQ(log.find("emcc"), std::string::npos) << log;
    EXPECT_EQ(log.find("wasmer"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(directory + "/prog.o"));
    // Without its object the source is not up to date: the next run tries again.
    EXPECT_EQ(run("-q prog"), 1);
    EXPECT_NE(takeToolLog().find("failing-compiler"), std::string::npos);
}

// Killed while it writes a large translation, velc must leave nothing that
// the next run takes for a complete translation.
TEST_F(VelcCommandLine, KilledTranslationIsNotTrustedByTheNextRun) {
    std::string big;
    for (int i = 0; i < 200000; i++)
        big += "print " + std::to_string(i) + "\n";
    writeFile("prog.vel", big);
    // In one file, so that its end is the end of the program.
    writeFile("velc.ini", "pieces=0\n");
    std::string command = "cd '" + directory + "' && (./velc -c -q prog > /dev/null 2>&1 & pid=$!; "
                          "sleep 0.2; kill -9 $pid; wait $pid) 2>/dev/null";
    std::system(command.c_str());
    EXPECT_EQ(run("-c -q prog"), 0);
    std::string cpp = readFile("prog.cpp");
    // Complete: the last statement is there and its function is closed.
    std::string last = "std::cout << 199999<< \"\\n\";\n}\n";
    ASSERT_GT(cpp.size(), last.size());
    EXPECT_EQ(cpp.find(last), cpp.size() - last.size()) << cpp.substr(cpp.size() - 80);
}

// The program's own failure is velc's: a line says how it ended and the
// status is not 0; a program that ends normally changes nothing.
TEST_F(VelcCommandLine, FailedRunIsReportedAndFailsTheStatus) {
    writeFile("prog.vel", "print 1\n");
    writeTool("wasmer", 3);
    EXPECT_EQ(run("-q prog"), 3);
    EXPECT_EQ(stdoutText, "objlist= prog.o\nprog.wasm ended with status 3\n");

    std::ofstream(directory + "/bin/wasmer") << "#!/bin/sh\nkill -SEGV $$\n";
    int status = run("-q prog");
    EXPECT_NE(status, 0);
    EXPECT_TRUE(stdoutText.find("prog.wasm was stopped by signal 11\n") != std::string::npos ||
                stdoutText.find("prog.wasm ended with status 139\n") != std::string::npos)
        << stdoutText;

    writeTool("wasmer", 0);
    EXPECT_EQ(run("-q prog"), 0);
    EXPECT_EQ(stdoutText, "");
}

TEST_F(VelcCommandLine, CppOnlyStopsBeforeCompilingAndThenHasNothingToDo) {
    writeFile("prog.vel", "");
    EXPECT_EQ(run("-c prog"), 0);
    EXPECT_EQ(stdoutText, banner + "prog.vel, compiled 0 lines\n");
    EXPECT_TRUE(fs::exists(directory + "/prog.cpp"));
    EXPECT_EQ(run("-c prog"), 0);
    EXPECT_EQ(stdoutText, banner + "All done (use -b to rebuild)...\n");
    EXPECT_EQ(run("-cq prog"), 0);
    EXPECT_EQ(stdoutText, "");
    EXPECT_EQ(takeToolLog(), "");
}

TEST_F(VelcCommandLine, RebuildAllCompilesButNeitherLinksNorRuns) {
    writeFile("prog.vel", "");
    EXPECT_EQ(run("-b prog"), 0);
    EXPECT_EQ(stdoutText, banner + "prog.vel, compiled 0 lines\nCompiling prog.cpp\n");
    EXPECT_EQ(takeToolLog(), "em++ [-c] [-std=c++17] [-I.] [-I/velmorac/] [prog.cpp] [-oprog.o]\n");
}

TEST_F(VelcCommandLine, IncrementalRunTranslatesOnlyWhatChanged) {
    writeFile("prog.vel", "include lib.vel\n");
    writeFile("lib.vel", "");
    writeFile("other.vel", "");
    EXPECT_EQ(run("-q prog"), 0);
    takeToolLog();

    EXPECT_EQ(run("-v prog"), 0);
    EXPECT_EQ(stdoutText, banner +
                              "Analyzing prog.vel\n"
                              "included: lib.vel\n"
                              "Analyzing lib.vel\n"
                              "Running prog.wasm\n");
    EXPECT_EQ(takeToolLog(), "wasmer [prog.wasm]\n");

    setModificationTime("lib.vel", time(nullptr) + 5);
    EXPECT_EQ(run("-q prog"), 0);
    EXPECT_EQ(takeToolLog(),
              "em++ [-c] [-std=c++17] [-I.] [-I/velmorac/] [lib.cpp] [-olib.o]\n"
              "em++ [-c] [-std=c++17] [-I.] [-I/velmorac/] [prog.cpp] [-oprog.o]\n"
              "emcc [-I.] [-I/velmorac/] [-o] [prog.part.wasm] [prog.o] [lib.o] "
              "[/velmorac/velmora/velmora.a]\n"
              "wasmer [prog.wasm]\n");
}

// A chain of three sources, each using what the sources it includes declare.
class IncrementalChain : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        writeFile("leaf.vel", "int deep = 1\n");
        writeFile("mid.vel", "include leaf.vel\nint middle = deep + 1\n");
        writeFile("side.vel", "int aside = 3\n");
        writeFile("prog.vel", "include mid.vel\ninclude side.vel\nprint middle, deep, aside\n");
        ASSERT_EQ(run("-q prog"), 0) << stdoutText;
        takeToolLog();
        ageBuild({"prog", "mid", "leaf", "side"});
    }

    const std::string link =
        "emcc [-I.] [-I/velmorac/] [-o] [prog.part.wasm] [prog.o] [mid.o] [leaf.o] [side.o] "
        "[/velmorac/velmora/velmora.a]\n"
        "wasmer [prog.wasm]\n";
};

TEST_F(IncrementalChain, TouchedMainSourceAloneIsRebuiltAndIncludedNamesStayDeclared) {
    std::string fullTranslation = readFile("prog.cpp");
    setModificationTime("prog.vel", time(nullptr));
    EXPECT_EQ(run("-v prog"), 0) << stdoutText;
    EXPECT_EQ(stdoutText.find("not declared"), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("Compiling source prog.vel\n"), std::string::npos) << stdoutText;
    EXPECT_EQ(stdoutText.find("Compiling source mid.vel"), std::string::npos) << stdoutText;
    EXPECT_EQ(stdoutText.find("Compiling source leaf.vel"), std::string::npos) << stdoutText;
    EXPECT_EQ(stdoutText.find("Compiling source side.vel"), std::string::npos) << stdoutText;
    EXPECT_EQ(stdoutText.find("mid.vel, compiled"), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("\n1/1 compiled\n"), std::string::npos) << stdoutText;
    EXPECT_EQ(takeToolLog(), compileLine("prog") + link);
    EXPECT_EQ(readFile("prog.cpp"), fullTranslation);
    for (const char *source : {"mid", "leaf", "side"})
        expectOutputsUntouched(source);
    EXPECT_NE(modificationTime("prog.cpp"), past);
}

TEST_F(IncrementalChain, TouchedMidLevelSourceRebuildsItAndItsIncludersOnly) {
    setModificationTime("mid.vel", time(nullptr));
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(stdoutText, "objlist= prog.o mid.o leaf.o side.o\n");
    EXPECT_EQ(takeToolLog(), compileLine("mid") + compileLine("prog") + link);
    for (const char *source : {"leaf", "side"})
        expectOutputsUntouched(source);
    EXPECT_NE(modificationTime("mid.hpp"), past);
}

TEST_F(IncrementalChain, TouchedLeafRebuildsTheWholeChainAndNothingBeside) {
    setModificationTime("leaf.vel", time(nullptr));
    EXPECT_EQ(run("-c -v prog"), 0) << stdoutText;
    std::string::size_type leaf = stdoutText.find("Compiling source leaf.vel\n");
    std::string::size_type mid = stdoutText.find("Compiling source mid.vel\n");
    std::string::size_type prog = stdoutText.find("Compiling source prog.vel\n");
    ASSERT_NE(prog, std::string::npos) << stdoutText;
    EXPECT_LT(leaf, mid);
    EXPECT_LT(mid, prog);
    EXPECT_EQ(stdoutText.find("side.vel, compiled"), std::string::npos) << stdoutText;
    EXPECT_EQ(stdoutText.find("not declared"), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("\n0/3 compiled\n"), std::string::npos) << stdoutText;
    EXPECT_EQ(takeToolLog(), "");
    expectOutputsUntouched("side");
    // With -c only the C++ files count: the rebuilt chain is up to date now.
    EXPECT_EQ(run("-c prog"), 0);
    EXPECT_EQ(stdoutText, banner + "All done (use -b to rebuild)...\n");
}

// A source whose outputs are older than a source it includes is rebuilt even
// when that include's own outputs are newer: an earlier run stopped between.
TEST_F(IncrementalChain, OutputsOlderThanAnIncludedSourceAreRebuilt) {
    setModificationTime("leaf.vel", past + 10);
    setModificationTime("leaf.cpp", past + 20);
    setModificationTime("leaf.hpp", past + 20);
    setModificationTime("leaf.o", past + 20);
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), compileLine("mid") + compileLine("prog") + link);
}

TEST_F(VelcCommandLine, OutOfDateTargetIsLinkedAgain) {
    writeFile("prog.vel", "");
    EXPECT_EQ(run("-q prog"), 0);
    setModificationTime("prog.wasm", time(nullptr) - 100);
    takeToolLog();
    EXPECT_EQ(run("-q prog"), 0);
    EXPECT_EQ(takeToolLog(),
              "emcc [-I.] [-I/velmorac/] [-o] [prog.part.wasm] [prog.o] [/velmorac/velmora/velmora.a]\n"
              "wasmer [prog.wasm]\n");
}

TEST_F(VelcCommandLine, SourceWithErrorsIsNotBuiltAndTranslatedAgain) {
    if (!translatorReportsErrors())
        GTEST_SKIP() << "the translator in this build reports no errors yet";
    writeFile("prog.vel", "include lib.vel\n");
    writeFile("lib.vel", "return\n");
    takeToolLog();
    int status = run("-q prog");
    EXPECT_GE(status, 1);
    EXPECT_NE(stdoutText.find("lib.vel, compiled "), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find(" error"), std::string::npos) << stdoutText;
    std::string log = takeToolLog();
    EXPECT_EQ(log.find("lib.cpp"), std::string::npos) << log;
    EXPECT_EQ(log.find("emcc"), std::string::npos) << log;
    EXPECT_EQ(log.find("wasmer"), std::string::npos) << log;

    EXPECT_EQ(run("-v prog"), status);
    EXPECT_NE(stdoutText.find("Compiling source lib.vel\n"), std::string::npos) << stdoutText;
}

}  // namespace
