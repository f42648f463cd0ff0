// When velc trusts the outputs of an earlier run: only when they were made
// by this velc with the same libvel and tool chain, from the source as it
// is now (to the nanosecond), and were written completely.
#include <fcntl.h>
#include <sys/stat.h>

#include "velc_command_line.hpp"

namespace cli_test {
namespace {

class OutputsTrust : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        writeFile("prog.vel", "include lib.vel\nprint 1\n");
        writeFile("lib.vel", "int shared = 2\n");
        writeFile("libvel.a", "first build of the library");
        writeConfiguration("");
        ASSERT_EQ(run("-q prog"), 0) << stdoutText;
        takeToolLog();
        ASSERT_EQ(run("-q prog"), 0) << stdoutText;
        ASSERT_EQ(takeToolLog(), "wasmer [prog.wasm]\n") << "a second run must rebuild nothing";
    }

    void writeConfiguration(const std::string &extraOptions) {
        writeFile("velc.ini", "options=-c -I. " + extraOptions + "\nobjects=libvel.a\n");
    }

    void setNanosecondTime(const std::string &name, time_t seconds, long nanoseconds) {
        struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(utimensat(AT_FDCWD, (directory + "/" + name).c_str(), times, 0), 0);
    }

    const std::string fullRebuild = "em++ [-c] [-I.] [lib.cpp] [-olib.o]\n"
                                    "em++ [-c] [-I.] [prog.cpp] [-oprog.o]\n"
                                    "emcc [-I.] [-I/velmorac/] [-o] [prog.part.wasm] [prog.o] [lib.o] [libvel.a]\n"
                                    "wasmer [prog.wasm]\n";
};

TEST_F(OutputsTrust, RebuiltLibraryRebuildsEverySource) {
    writeFile("libvel.a", "second build, with another layout of its values");
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), fullRebuild);
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), "wasmer [prog.wasm]\n");
}

TEST_F(OutputsTrust, ChangedCompilerOptionsRebuildEverySource) {
    writeConfiguration("-DFAST");
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), "em++ [-c] [-I.] [-DFAST] [lib.cpp] [-olib.o]\n"
                             "em++ [-c] [-I.] [-DFAST] [prog.cpp] [-oprog.o]\n"
                             "emcc [-I.] [-I/velmorac/] [-o] [prog.part.wasm] [prog.o] [lib.o] [libvel.a]\n"
                             "wasmer [prog.wasm]\n");
}

TEST_F(OutputsTrust, AnotherVelcRebuildsEverySource) {
    // The same velc, installed again: a new file where the old one was.
    fs::copy_file(directory + "/velc", directory + "/velc.new");
    fs::rename(directory + "/velc.new", directory + "/velc");
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), fullRebuild);
}

TEST_F(OutputsTrust, HeadersRecordTheStampOfTheirRun) {
    std::string header = readFile("lib.hpp");
    std::string::size_type line = header.find("// velc build stamp: ");
    ASSERT_NE(line, std::string::npos) << header;
    // Outputs of an older velc, which recorded no stamp, are not trusted.
    writeFile("lib.hpp", header.substr(0, line));
    setModificationTime("lib.hpp", time(nullptr) + 60);
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), fullRebuild);
}

TEST_F(OutputsTrust, TwoEditsWithinOneSecondAreBothSeen) {
    time_t second = time(nullptr) + 100;
    for (const char *output : {"lib.cpp", "lib.hpp", "lib.o", "prog.cpp", "prog.hpp", "prog.o", "prog.wasm"})
        setNanosecondTime(output, second, 500000000);
    setNanosecondTime("prog.vel", second, 100000000);
    setNanosecondTime("lib.vel", second, 100000000);
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), "wasmer [prog.wasm]\n");
    // A later edit in the same second as the outputs.
    setNanosecondTime("lib.vel", second, 900000000);
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_EQ(takeToolLog(), fullRebuild);
}

TEST_F(OutputsTrust, ObjectsOlderThanTheirCppFilesAreCompiledAgain) {
    // velc -c translated lib.vel again; its object is from before.
    setModificationTime("lib.vel", time(nullptr) + 10);
    EXPECT_EQ(run("-c -q prog"), 0) << stdoutText;
    takeToolLog();
    setModificationTime("lib.o", time(nullptr) + 5);
    setModificationTime("lib.cpp", time(nullptr) + 20);
    setModificationTime("lib.hpp", time(nullptr) + 20);
    EXPECT_EQ(run("-q prog"), 0) << stdoutText;
    EXPECT_NE(takeToolLog().find("[-olib.o]"), std::string::npos);
}

}  // namespace
}  // namespace cli_test
