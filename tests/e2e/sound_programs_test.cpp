// Programs that velc once accepted but then either left to the C++ compiler
// to refuse or translated into C++ that computed something else. Each is
// built with g++ and the host libvel and must print exactly what its
// Velmora says; the run-time faults must stop the program with a message.
#include <gtest/gtest.h>

#include <cstdio>

#include "example_runner.hpp"

namespace {

class SoundProgram : public testing::Test {
protected:
    CommandOutcome buildAndRunOutcome(const std::string &source) {
        const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
        ExampleWorkspace workspace(std::string("sound_") + test->name(), NATIVE_INI);
        workspace.addSource("prog", source);
        CommandOutcome build = workspace.build("prog");
        if (build.status != 0 || !workspace.hasFile("prog.wasm")) {
            ADD_FAILURE() << describe(build);
            return build;
        }
        return workspace.run("./prog.wasm");
    }

    std::string buildAndRun(const std::string &source) {
        CommandOutcome run = buildAndRunOutcome(source);
        EXPECT_EQ(run.status, 0) << run.standardError;
        return run.standardOutput;
    }
};

TEST_F(SoundProgram, NamesOfCppKeywordsAndLibraryNames) {
    EXPECT_EQ(buildAndRun("int new = 1\n"
                          "int index = 2\n"
                          "real y0 = 3.5\n"
                          "int errno = 4\n"
                          "int EOF = 5\n"
                          "text printf = \"p\"\n"
                          "int abs = 6\n"
                          "int sizeof = 7, delete = 8, union = 9, exit = 10, double = 11, signed = 12, time = 13\n"
                          "int new_ = 14\n"
                          "print new, index, y0, errno, EOF, printf, abs\n"
                          "print sizeof + delete + union + exit + double + signed + time, new_\n"
                          "for int auto in 1..2\n"
                          "    echo auto, \" \"\n"
                          "/for\n"
                          "for register in 3..4\n"
                          "    echo register, \" \"\n"
                          "/for\n"
                          "array main = [1, 2]\n"
                          "for k, std in main\n"
                          "    echo k, std, \" \"\n"
                          "/for\n"
                          "print \"$printf$new\"\n"),
              "1 2 3.5 4 5 p 6\n70 14\n1 2 3 4 01 12 p1\n");
}

TEST_F(SoundProgram, AssignmentsOfSeveralTargetsTakeEveryValueFirst) {
    EXPECT_EQ(buildAndRun("int x = 1\n"
                          "int y = 2\n"
                          "x, y = y, x\n"
                          "text a = \"a\"\n"
                          "text b = \"b\"\n"
                          "text c = \"c\"\n"
                          "a, b, c = c, a, b\n"
                          "int[] v = [5, 6]\n"
                          "v[0], v[1] = v[1], v[0]\n"
                          "x, y + 10, 20\n"
                          "print x, y, a, b, c, v\n"),
              "12 21 c a b [6, 5]\n");
}

TEST_F(SoundProgram, LateConstantsAndStaticsAtFileLevel) {
    EXPECT_EQ(buildAndRun("print \"start\"\n"
                          "const int K = 5\n"
                          "static int S = 6\n"
                          "static text T = \"t\"\n"
                          "private int P = 7\n"
                          "protected int Q = 8\n"
                          "S + K\n"
                          "print K, S, T, P, Q\n"),
              "start\n5 11 t 7 8\n");
}

TEST_F(SoundProgram, MembershipTestsOnExpressionsAndDynamicValues) {
    EXPECT_EQ(buildAndRun("array a = [1, 2]\n"
                          "int c = 3\n"
                          "bool b = 3 in a + c\n"
                          "var vt = \"hello\"\n"
                          "var va = [7, 8]\n"
                          "text t = \"abc\"\n"
                          "print b, \"ell\" in vt, \"x\" in vt, 8 in va, 9 not in va, \"bc\" in t\n"),
              "true true false true true true\n");
}

TEST_F(SoundProgram, CharsFromTextsAndComparedWithLiterals) {
    EXPECT_EQ(buildAndRun("text t = \"abc\"\n"
                          "char ch = t[0]\n"
                          "var v = \"zed\"\n"
                          "char cv = v\n"
                          "for char cc in t\n"
                          "    echo cc, \"-\"\n"
                          "/for\n"
                          "for i, c in t\n"
                          "    echo i, c\n"
                          "/for\n"
                          "print ch, cv, ch = 'a', ch = \"b\", ch != 'a', ch = t\n"),
              "a-b-c-0a1b2ca z true false false false\n");
}

TEST_F(SoundProgram, TextsJoinedWithBytesCharsAndCStrings) {
    EXPECT_EQ(buildAndRun("byte b = 65\n"
                          "cstring cs = \"q\"\n"
                          "char ch = \"z\"\n"
                          "text t = b + \"x\"\n"
                          "text u = cs + \"y\"\n"
                          "text w = ch + \"x\"\n"
                          "cstring c2 = cs + cs\n"
                          "cs + \"r\"\n"
                          "print t, u, w, c2, cs, \"x\" + ch\n"),
              "65x qy zx qq qr xz\n");
}

TEST_F(SoundProgram, TypesNamedAsValuesAndEmptyObjects) {
    EXPECT_EQ(buildAndRun("int[] ia = int()\n"
                          "var v = int()\n"
                          "real[] r = real()\n"
                          "ia = ia + 4\n"
                          "function fn\n"
                          "object o\n"
                          "object p = null\n"
                          "print ia, v, r, p = null\n"),
              "[4] [] [] true\n");
}

TEST_F(SoundProgram, ContainersAssignedToOtherContainers) {
    EXPECT_EQ(buildAndRun("array a = [1, 2]\n"
                          "int[] ia = [3, 4]\n"
                          "dict d = {\"k\": 1}\n"
                          "a = ia\n"
                          "print a\n"
                          "d = a\n"
                          "print d\n"
                          "text[] ta = [\"x\"]\n"
                          "a = ta\n"
                          "print a\n"
                          "var v = [[1, 2], [3, 4]]\n"
                          "v[0][1] = 9\n"
                          "print v\n"),
              "[3, 4]\n{0: 3, 1: 4}\n[\"x\"]\n[[1, 9], [3, 4]]\n");
}

TEST_F(SoundProgram, ValuesOutOfDynamicValues) {
    EXPECT_EQ(buildAndRun("var v = \"abc\"\n"
                          "cstring cs = v\n"
                          "text t = \"xy\"\n"
                          "cstring c2 = t\n"
                          "cstring c3 = t + \"z\"\n"
                          "file f = null\n"
                          "var vf = 0\n"
                          "print cs, c2, c3\n"),
              "abc xy xyz\n");
}

TEST_F(SoundProgram, RangesEndAtTheLargestValueAndSteps) {
    EXPECT_EQ(buildAndRun("for int i in 2147483645..2147483647\n"
                          "    echo i, \" \"\n"
                          "/for\n"
                          "for int j in -2147483646..-2147483648 step -1\n"
                          "    echo j, \" \"\n"
                          "/for\n"
                          "for natural n in 2..0 step -1\n"
                          "    echo n, \" \"\n"
                          "/for\n"
                          "for real x in 0..1 step 0.25\n"
                          "    echo x, \" \"\n"
                          "/for\n"
                          "for k in 1..10 step 4\n"
                          "    if k = 5 ? continue\n"
                          "    echo k, \" \"\n"
                          "/for\n"
                          "print\n"),
              "2147483645 2147483646 2147483647 -2147483646 -2147483647 -2147483648 2 1 0 0 0.25 0.5 0.75 1 1 9 \n");
}

// Loops whose step is a constant stop at the edge of int however the body
// moves the variable or the bound.
TEST_F(SoundProgram, ConstantStepLoopsStopAtTheEdgeOfInt) {
    EXPECT_EQ(buildAndRun("for int i in 2147483645 -- 2147483647\n"
                          "    echo i, \" \"\n"
                          "/for\n"
                          "for int i in 2147483640 -- 2147483647 step 5\n"
                          "    echo i, \" \"\n"
                          "/for\n"
                          "int m = -2147483647 - 1\n"
                          "for int j in -2147483640 -- m step -5\n"
                          "    echo j, \" \"\n"
                          "/for\n"
                          "for int k in 1 -- 10\n"
                          "    echo k, \" \"\n"
                          "    k = 2147483647\n"
                          "/for\n"
                          "int n = 6\n"
                          "for int k in 1..9\n"
                          "    if k = 2 ? continue\n"
                          "    echo k, \" \"\n"
                          "/for\n"
                          "for int k in 1 -- n\n"
                          "    n = n - 1\n"
                          "    echo k, \" \"\n"
                          "/for\n"
                          "print\n"),
              "2147483645 2147483646 2147483640 2147483645 -2147483640 -2147483645 1 1 3 4 5 6 7 8 9 1 2 3 \n");
}

// A library first built and run as a program of its own, then included by
// another program: its outputs of the first run define main() and keep its
// variables to itself, so the second run translates it again.
TEST_F(SoundProgram, ASourceBuiltAloneCanThenBeIncluded) {
    ExampleWorkspace workspace("sound_roles", NATIVE_INI);
    workspace.addSource("lib", "int counter = 4\nint twice(int n)\nreturn n * 2\n");
    workspace.addSource("prog", "include \"lib.vel\"\nint limit = 3\nprint twice(counter) + limit\n");
    CommandOutcome alone = workspace.run("./velc -q lib.vel");
    ASSERT_EQ(alone.status, 0) << describe(alone);
    CommandOutcome included = workspace.run("./velc -q prog.vel");
    ASSERT_EQ(included.status, 0) << describe(included);
    EXPECT_EQ(workspace.run("./prog.wasm").standardOutput, "11\n");
    // And back: prog's outputs are up to date, lib is a program again.
    CommandOutcome again = workspace.run("./velc -q lib.vel");
    ASSERT_EQ(again.status, 0) << describe(again);
    CommandOutcome library = workspace.run("./lib.wasm");
    EXPECT_EQ(library.status, 0) << describe(library);
}

// Objects at file level, static or not, before main opens and after.
TEST_F(SoundProgram, FileLevelObjectsStaticOrNot) {
    EXPECT_EQ(buildAndRun("class P\n"
                          "    int x = 1\n"
                          "/class\n"
                          "static P early = P()\n"
                          "P shared = P()\n"
                          "print early.x\n"
                          "static P late = P()\n"
                          "P lateShared = P()\n"
                          "late.x = 2\n"
                          "print early.x, shared.x, late.x, lateShared.x\n"),
              "1\n1 1 2 1\n");
}

TEST_F(SoundProgram, IntegerDivisionAndModulo) {
    EXPECT_EQ(buildAndRun("int a = 7\n"
                          "int m = -2147483647 - 1\n"
                          "print a mod 2, a / 2, m mod -1\n"
                          "a / 2\n"
                          "print a\n"
                          "a mod 2\n"
                          "print a\n"),
              "1 3.5 0\n3\n1\n");
}

// A fault of the running program ends it with status 1 and one line on
// standard error, never with a trap or a wrong value.
TEST_F(SoundProgram, RunTimeFaultsStopTheProgramWithAMessage) {
    struct Fault {
        const char *source;
        const char *message;
    };
    const Fault faults[] = {
        {"int a = 7\nint z = 0\nprint a mod z\n", "Run-time error: modulo by zero"},
        {"int a = 7\nint z = 0\nprint a / z\n", "Run-time error: division by zero"},
        {"int a = 7\nint z = 0\na mod z\nprint a\n", "Run-time error: modulo by zero"},
        {"int s = 0\nfor i in 1..3 step s\n    print i\n/for\n", "Run-time error: for loop step is 0"},
    };
    for (const Fault &fault : faults) {
        ExampleWorkspace workspace("sound_fault", NATIVE_INI);
        workspace.addSource("prog", fault.source);
        // velc's own run of the program fails, and says so.
        CommandOutcome build = workspace.build("prog");
        EXPECT_EQ(build.status, 1) << describe(build);
        EXPECT_NE(build.standardOutput.find("prog.wasm ended with status 1\n"), std::string::npos);
        CommandOutcome run = workspace.run("./prog.wasm");
        EXPECT_EQ(run.status, 1) << fault.source;
        EXPECT_NE(run.standardError.find(fault.message), std::string::npos) << fault.source << run.standardError;
        EXPECT_EQ(run.standardOutput, "") << fault.source;
    }
}

// Run by velc itself, a failing program is reported and fails velc.
TEST_F(SoundProgram, VelcReportsAProgramThatFails) {
    struct Failing {
        const char *source;
        const char *line;
        int status;
    };
    const Failing programs[] = {
        {"int z = 0\nprint 1 mod z\n", "prog.wasm ended with status 1\n", 1},
        {"print \"bye\"\nexit(3)\n", "prog.wasm ended with status 3\n", 3},
    };
    for (const Failing &failing : programs) {
        ExampleWorkspace workspace("sound_failing_run", NATIVE_INI);
        workspace.addSource("prog", failing.source);
        // With the native tool chain velc runs the program itself after linking it.
        CommandOutcome run = workspace.build("prog");
        EXPECT_EQ(run.status, failing.status) << failing.source << describe(run);
        EXPECT_NE(run.standardOutput.find(failing.line), std::string::npos) << run.standardOutput;
    }
}

TEST_F(SoundProgram, InputIntoAnElement) {
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    ExampleWorkspace workspace(std::string("sound_") + test->name(), NATIVE_INI);
    workspace.addSource("prog", "int[] ia = [1, 2]\ninput ia[1]\nprint ia\n");
    CommandOutcome build = workspace.build("prog");
    ASSERT_EQ(build.status, 0) << describe(build);
    std::string input = workspace.directory() + "/input.txt";
    FILE *file = fopen(input.c_str(), "w");
    ASSERT_NE(file, nullptr);
    fputs("42\n", file);
    fclose(file);
    CommandOutcome run = workspace.run("./prog.wasm", input);
    EXPECT_EQ(run.standardOutput, "[1, 42]\n");
}

}  // namespace
