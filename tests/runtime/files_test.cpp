// What the table of files cannot hold, since WebAssembly has neither: the
// commands a program runs, and a device among the kinds of names. Every test
// runs in a fresh directory of its own, removed afterwards.
#include <gtest/gtest.h>

#include <velmora/libvel.hpp>

#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        home = fs::current_path();
        char pattern[] = "/tmp/vel_files_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        scratch = pattern;
        fs::current_path(scratch);
    }
    void TearDown() override {
        fs::current_path(home);
        fs::remove_all(scratch);
    }
    fs::path home, scratch;
};

TEST_F(Commands, ADeviceIsOfAnUnknownKind) { EXPECT_EQ(filetype("/dev/null").data, "unknown"); }

TEST_F(Commands, AsAnIntegerACommandGivesItsExitStatus) {
    int status = system(text("exit 3"));
    EXPECT_EQ(status, 3);
    int success = system(text("true"));
    EXPECT_EQ(success, 0);
    int empty = system(text(""));
    EXPECT_EQ(empty, -1);
}

TEST_F(Commands, AsATextACommandGivesItsOutput) {
    text output = system(text("printf 'one\\ntwo'"));
    EXPECT_EQ(output.data, "one\ntwo");
    dyn held = system(text("echo held"));
    EXPECT_EQ(dyn::toText(held).data, "held\n");
    std::ostringstream printed;
    printed << system(text("echo printed"));
    EXPECT_EQ(printed.str(), "printed\n");
    text nothing = system(text(""));
    EXPECT_EQ(nothing.data, "");
}

TEST_F(Commands, TextMethodsWorkOnTheOutput) {
    EXPECT_EQ(system(text("echo hi")).output().trim().data, "hi");
}

TEST_F(Commands, ACommandRunsOnceEvenWhenItsResultIsDropped) {
    system(text("echo x >> ran.txt"));
    EXPECT_EQ(_vel_ftostr("ran.txt").data, "x\n");
    {
        vel_command command = system(text("echo y >> ran.txt"));
        int first = command, second = command;
        EXPECT_EQ(first, 0);
        EXPECT_EQ(second, 0);
    }
    EXPECT_EQ(_vel_ftostr("ran.txt").data, "x\ny\n");
}

}  // namespace
