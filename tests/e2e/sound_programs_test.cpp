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
