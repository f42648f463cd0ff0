// velc_emreplay from the command line, with a stand-in emcc that runs its
// sub-commands as the real one does (printing them when EMCC_VERBOSE is
// set): the recorded commands stand in for emcc only while they make what
// emcc made and say what it said.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Links its inputs with "ld" and finishes the output with "finalize",
// passing the JavaScript compiler a file of its own on the way. Switches
// (files in DIR): emcc.fails, emcc.warns (a message of its own) and
// emcc.postprocess (changes the output itself after the sub-commands).
const char *standInEmcc = R"SCRIPT(#!/bin/sh
echo "emcc $*" >> DIR/emcc.log
stage() {
  if [ -n "$EMCC_VERBOSE" ]; then
    printf ' "%s"' "$1" >&2; shift
    for a in "$@"; do printf " '%s'" "$a" >&2; done
    echo >&2
  fi
}
out= prev= inputs=
for a in "$@"; do
  if [ "$prev" = "-o" ]; then out="$a"; else case "$a" in -*) ;; *) inputs="$inputs $a" ;; esac; fi
  prev="$a"
done
if [ -f DIR/emcc.fails ]; then echo "emcc: error: refused" >&2; exit 1; fi
[ -f DIR/emcc.warns ] && echo "emcc: warning: a warning of its own" >&2
stage DIR/bin/ld -o "$out" $inputs
DIR/bin/ld -o "$out" $inputs || exit 1
stage node DIR/src/compiler.js /tmp/glue.json
node DIR/src/compiler.js /tmp/glue.json
stage finalize "$out"
finalize "$out"
[ -f DIR/emcc.postprocess ] && echo python >> "$out"
exit 0
)SCRIPT";

const char *standInLinker = R"SCRIPT(#!/bin/sh
echo "ld $*" >> DIR/tools.log
out="$2"; shift 2
if [ -f DIR/ld.fails ]; then echo "ld: cannot link" >&2; exit 1; fi
[ -f DIR/ld.warns ] && echo "ld: a note from the linker" >&2
cat "$@" > "$out"
)SCRIPT";

const char *standInFinalize = R"SCRIPT(#!/bin/sh
echo "finalize $*" >> DIR/tools.log
echo finalized >> "$1"
)SCRIPT";

const char *standInNode = R"SCRIPT(#!/bin/sh
echo "node $*" >> DIR/tools.log
)SCRIPT";

class EmReplay : public testing::Test {
protected:
    void SetUp() override {
        char path[] = "/tmp/velc_emreplay_XXXXXX";
        ASSERT_NE(mkdtemp(path), nullptr);
        directory = path;
        fs::create_directories(directory + "/bin");
        writeScript("bin/emcc", standInEmcc);
        writeScript("bin/ld", standInLinker);
        writeScript("bin/finalize", standInFinalize);
        writeScript("bin/node", standInNode);
        writeFile("one.dat", "one\n");
        writeFile("two.dat", "two\n");
    }

    void TearDown() override { fs::remove_all(directory); }

    void writeScript(const std::string &name, std::string script) {
        for (std::string::size_type at; (at = script.find("DIR")) != std::string::npos;)
            script.replace(at, 3, directory);
        writeFile(name, script);
        fs::permissions(directory + "/" + name, fs::perms::owner_all);
    }

    void writeFile(const std::string &name, const std::string &text) {
        std::ofstream(directory + "/" + name) << text;
    }

    std::string readFile(const std::string &name) {
        std::ifstream file(directory + "/" + name);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    bool exists(const std::string &name) { return fs::exists(directory + "/" + name); }

    // How many times emcc itself has run so far.
    int emccRuns() {
        std::string log = readFile("emcc.log");
        int lines = 0;
        for (char c : log)
            lines += c == '\n';
        return lines;
    }

    // Moves a file's time back by a minute, content unchanged.
    void age(const std::string &name) {
        struct stat status;
        ASSERT_EQ(stat((directory + "/" + name).c_str(), &status), 0);
        struct utimbuf times = {status.st_atime, status.st_mtime - 60};
        ASSERT_EQ(utime((directory + "/" + name).c_str(), &times), 0);
    }

    int link(const std::string &options = "-O1", const std::string &environment = "") {
        std::string command = "cd '" + directory + "' && " + environment + " PATH='" + directory +
                              "/bin:/usr/bin:/bin' " EMREPLAY_PROGRAM " emcc " + options +
                              " -o out.wasm one.dat two.dat > stdout.txt 2> stderr.txt";
        int status = std::system(command.c_str());
        stdoutText = readFile("stdout.txt");
        stderrText = readFile("stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int compile(const std::string &source, const std::string &object, const std::string &options = "-O2") {
        std::string command = "cd '" + directory + "' && PATH='" + directory + "/bin:/usr/bin:/bin' " EMREPLAY_PROGRAM
                              " emcc -c " + options + " " + source + " -o " + object + " > stdout.txt 2> stderr.txt";
        int status = std::system(command.c_str());
        stdoutText = readFile("stdout.txt");
        stderrText = readFile("stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string directory;
    std::string stdoutText;
    std::string stderrText;
};

TEST_F(EmReplay, RecordedCommandsStandInForEmccAndSayWhatTheToolsSay) {
    writeFile("ld.warns", "");
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(emccRuns(), 1);
    EXPECT_EQ(readFile("out.wasm"), "one\ntwo\nfinalized\n");
    // The sub-command lines are the recording's, not the user's.
    EXPECT_EQ(stderrText, "ld: a note from the linker\n");
    EXPECT_EQ(stdoutText, "");
    EXPECT_TRUE(exists("out.wasm.emreplay"));
    EXPECT_FALSE(exists("out.wasm.emreplay-check"));

    fs::remove(directory + "/out.wasm");
    fs::remove(directory + "/tools.log");
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(emccRuns(), 1);
    EXPECT_EQ(readFile("out.wasm"), "one\ntwo\nfinalized\n");
    EXPECT_EQ(stderrText, "ld: a note from the linker\n");
    // The JavaScript compiler makes only the glue that a .wasm target drops.
    EXPECT_EQ(readFile("tools.log"), "ld -o out.wasm one.dat two.dat\nfinalize out.wasm\n");
}

TEST_F(EmReplay, AnythingThatDecidedTheCommandsSendsThemToEmccAgain) {
    ASSERT_EQ(link(), 0);
    ASSERT_EQ(link(), 0);
    ASSERT_EQ(emccRuns(), 1);
    writeFile("two.dat", "second\n");   // an input named without an object's symbols
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(emccRuns(), 2);
    EXPECT_EQ(readFile("out.wasm"), "one\nsecond\nfinalized\n");
    ASSERT_EQ(link("-O2"), 0);
    EXPECT_EQ(emccRuns(), 3);
    ASSERT_EQ(link("-O2", "EMCC_CFLAGS=-g"), 0);
    EXPECT_EQ(emccRuns(), 4);
    ASSERT_EQ(link("-O2", "EMCC_CFLAGS=-g"), 0);
    EXPECT_EQ(emccRuns(), 4);
    age("bin/ld");   // another linker program
    ASSERT_EQ(link("-O2", "EMCC_CFLAGS=-g"), 0);
    EXPECT_EQ(emccRuns(), 5);
    age("bin/emcc");   // another emcc
    ASSERT_EQ(link("-O2", "EMCC_CFLAGS=-g"), 0);
    EXPECT_EQ(emccRuns(), 6);
    writeFile("out.wasm.emreplay", "velc_emreplay recipe 1\nk cut short\n");
    ASSERT_EQ(link("-O2", "EMCC_CFLAGS=-g"), 0);
    EXPECT_EQ(emccRuns(), 7);
    EXPECT_EQ(readFile("out.wasm"), "one\nsecond\nfinalized\n");
}

TEST_F(EmReplay, FailuresEndWithEmccsOwnStatusAndMessagesOnce) {
    ASSERT_EQ(link(), 0);
    // The recorded linker now fails: emcc runs instead and says why, once.
    writeFile("ld.fails", "");
    EXPECT_EQ(link(), 1);
    EXPECT_EQ(emccRuns(), 2);
    EXPECT_EQ(stderrText, "ld: cannot link\n");
    EXPECT_FALSE(exists("out.wasm.emreplay"));
    fs::remove(directory + "/ld.fails");
    writeFile("emcc.fails", "");
    EXPECT_EQ(link(), 1);
    EXPECT_EQ(stderrText, "emcc: error: refused\n");
    EXPECT_FALSE(exists("out.wasm.emreplay"));
    fs::remove(directory + "/emcc.fails");
    ASSERT_EQ(link(), 0);
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(emccRuns(), 4);
}

// What the commands alone would not reproduce is never recorded: emcc's own
// change to the output, a message of its own.
TEST_F(EmReplay, RunsTheCommandsCannotReproduceAreNotRecorded) {
    writeFile("emcc.postprocess", "");
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(readFile("out.wasm"), "one\ntwo\nfinalized\npython\n");
    EXPECT_FALSE(exists("out.wasm.emreplay"));
    EXPECT_FALSE(exists("out.wasm.emreplay-check"));
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(emccRuns(), 2);
    EXPECT_EQ(readFile("out.wasm"), "one\ntwo\nfinalized\npython\n");
    fs::remove(directory + "/emcc.postprocess");

    writeFile("emcc.warns", "");
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(stderrText, "emcc: warning: a warning of its own\n");
    ASSERT_EQ(link(), 0);
    EXPECT_EQ(stderrText, "emcc: warning: a warning of its own\n");
    EXPECT_EQ(emccRuns(), 4);
    EXPECT_FALSE(exists("out.wasm.emreplay"));
}

// A recording is kept once its commands made the output again; a compile
// that differs from a recorded one only in the source and the object runs
// those commands, renamed, once, and emcc not at all.
TEST_F(EmReplay, ACompileOfARecordedShapeRunsItsCommandsOnce) {
    writeFile("a.cpp", "a\n");
    writeFile("b.cpp", "b\n");
    writeFile("c.c", "c\n");
    ASSERT_EQ(compile("a.cpp", "a.o"), 0);
    EXPECT_EQ(emccRuns(), 1);
    fs::remove(directory + "/tools.log");
    ASSERT_EQ(compile("b.cpp", "b.o"), 0);
    EXPECT_EQ(emccRuns(), 1);
    EXPECT_EQ(readFile("b.o"), "b\nfinalized\n");
    EXPECT_EQ(readFile("tools.log"), "ld -o b.o b.cpp\nfinalize b.o\n");
    EXPECT_TRUE(exists("b.o.emreplay"));
    writeFile("b.cpp", "b again\n");
    ASSERT_EQ(compile("b.cpp", "b.o"), 0);
    EXPECT_EQ(emccRuns(), 1);
    EXPECT_EQ(readFile("b.o"), "b again\nfinalized\n");

    // Another extension or other options: emcc decides.
    ASSERT_EQ(compile("c.c", "c.o"), 0);
    EXPECT_EQ(emccRuns(), 2);
    ASSERT_EQ(compile("b.cpp", "d.o", "-O1"), 0);
    EXPECT_EQ(emccRuns(), 3);

    // Commands that fail for the new source leave it to emcc, which says why once.
    writeFile("e.cpp", "e\n");
    writeFile("ld.fails", "");
    EXPECT_EQ(compile("e.cpp", "e.o"), 1);
    EXPECT_EQ(emccRuns(), 4);
    EXPECT_EQ(stderrText, "ld: cannot link\n");
    EXPECT_FALSE(exists("e.o.emreplay"));
}

TEST_F(EmReplay, EmccsOwnDiagnosticsAndUnseenInputsLeaveItToEmcc) {
    ASSERT_EQ(link("-O1", "EMCC_DEBUG=1"), 0);
    ASSERT_EQ(link("-O1", "EMCC_DEBUG=1"), 0);
    EXPECT_EQ(emccRuns(), 2);
    EXPECT_FALSE(exists("out.wasm.emreplay"));
    ASSERT_EQ(link("-v"), 0);
    ASSERT_EQ(link("-v"), 0);
    EXPECT_EQ(emccRuns(), 4);
    EXPECT_FALSE(exists("out.wasm.emreplay"));
}

}  // namespace
