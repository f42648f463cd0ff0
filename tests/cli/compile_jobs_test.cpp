// Several compiles at once and the precompiled prologue, seen from the
// command line: whatever runs concurrently or falls back, velc prints what
// one compile at a time prints and ends with the same status.
#include <sstream>

#include "velc_command_line.hpp"

namespace {

using namespace cli_test;

// Compiles X.cpp into its -o object, writing a note on each stream; when
// X.after names a file, waits for that file first (20 s at most), so that a
// test decides the order in which compiles finish. Logs when it finishes;
// fails for the files listed in failing.txt.
const char *orderedCompiler = R"SCRIPT(#!/bin/sh
cpp= obj=
for a in "$@"; do
  case "$a" in
    -o*) obj="${a#-o}" ;;
    *.cpp) cpp="$a" ;;
  esac
done
stem="${cpp%.cpp}"
echo "$cpp: a note on standard output"
echo "$cpp: a note on standard error" >&2
if [ -f "$stem.after" ]; then
  i=0
  while [ ! -f "$(cat "$stem.after")" ]; do
    i=$((i+1))
    if [ $i -gt 400 ]; then echo "$cpp: waited in vain" >&2; exit 1; fi
    sleep 0.05
  done
fi
echo "finished $cpp" >> LOG
if grep -qx "$cpp" failing.txt 2>/dev/null; then echo "$cpp: refused" >&2; exit 1; fi
: > "$obj"
: > "$stem.done"
)SCRIPT";

// Precompiles like a compiler (-x c++-header ... -o file -MF rule) but
// refuses every compile that includes the result: a precompiled file that
// the stamp accepts and the compiler does not.
const char *refusingCompiler = R"SCRIPT(#!/bin/sh
{ printf 'pch-cc'; for a in "$@"; do printf ' [%s]' "$a"; done; echo; } >> "LOG"
out= deps= header= obj= prev= included=
for a in "$@"; do
  case "$prev" in
    -o) out="$a" ;;
    -MF) deps="$a" ;;
    c++-header) header="$a" ;;
    -include) included=yes ;;
  esac
  case "$a" in -o?*) obj="${a#-o}" ;; esac
  prev="$a"
done
if [ -n "$header" ]; then echo precompiled > "$out"; echo "$out: $header" > "$deps"; exit 0; fi
if [ -n "$included" ]; then echo "precompiled header does not fit" >&2; exit 1; fi
: > "$obj"
)SCRIPT";

class CompileJobs : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        writeScript("ordered-cc", orderedCompiler);
        writeScript("pch-cc", refusingCompiler);
        writeFile("a.vel", "int first = 1\n");
        writeFile("b.vel", "int second = 2\n");
        writeFile("prog.vel", "include a.vel\ninclude b.vel\nprint first, second\n");
    }

    void writeScript(const std::string &name, std::string script) {
        std::string::size_type log = script.find("LOG");
        if (log != std::string::npos)
            script.replace(log, 3, directory + "/tools.log");
        std::string path = directory + "/bin/" + name;
        std::ofstream(path) << script;
        fs::permissions(path, fs::perms::owner_all);
    }

    // The C++ files in the order velc reports them.
    std::vector<std::string> compiledFiles() {
        std::vector<std::string> files;
        std::istringstream lines(stdoutText);
        for (std::string line; std::getline(lines, line);)
            if (line.compare(0, 10, "Compiling ") == 0 && line.find(".cpp") != std::string::npos)
                files.push_back(line.substr(10));
        return files;
    }

    void removeMarks() {
        for (const char *stem : {"a", "b", "prog"}) {
            fs::remove(directory + "/" + stem + ".done");
            fs::remove(directory + "/" + stem + ".after");
        }
    }

    struct Outcome {
        int status;
        std::string out;
        std::string err;
    };

    Outcome build(const std::string &jobs) {
        writeFile("velc.ini", "compiler=ordered-cc\njobs=" + jobs + "\n");
        int status = run("-v -br prog");
        return {status, stdoutText, stderrText};
    }
};

TEST_F(CompileJobs, CompilesFinishingInAnyOrderAreReportedInListOrder) {
    Outcome single = build("1");
    ASSERT_EQ(single.status, 0) << single.out << single.err;
    std::vector<std::string> order = compiledFiles();
    ASSERT_EQ(order.size(), 3u) << single.out;
    takeToolLog();
    removeMarks();
    // Each compile waits for the next one in the list to finish: they can
    // only all finish when they run at once, and then finish last first.
    for (std::size_t i = 0; i + 1 < order.size(); i++) {
        std::string stem = order[i].substr(0, order[i].size() - 4);
        std::string nextStem = order[i + 1].substr(0, order[i + 1].size() - 4);
        writeFile(stem + ".after", nextStem + ".done");
    }
    Outcome parallel = build("3");
    EXPECT_EQ(parallel.status, single.status);
    EXPECT_EQ(parallel.out, single.out);
    EXPECT_EQ(parallel.err, single.err);
    std::string log = takeToolLog();
    std::string expectedFinish;
    for (auto file = order.rbegin(); file != order.rend(); ++file)
        expectedFinish += "finished " + *file + "\n";
    EXPECT_EQ(log.substr(0, expectedFinish.size()), expectedFinish) << log;
    EXPECT_NE(log.find("wasmer [prog.wasm]"), std::string::npos) << log;
}

TEST_F(CompileJobs, FailedCompileStopsTheLinkWithTheStatusOfOneJob) {
    writeFile("failing.txt", "a.cpp\n");
    Outcome single = build("1");
    std::string singleLog = takeToolLog();
    Outcome parallel = build("3");
    std::string parallelLog = takeToolLog();
    EXPECT_NE(single.status, 0);
    EXPECT_EQ(parallel.status, single.status);
    EXPECT_EQ(parallel.out, single.out);
    EXPECT_EQ(parallel.err, single.err);
    EXPECT_NE(parallel.out.find("Compilation of a.cpp failed\n"), std::string::npos) << parallel.out;
    EXPECT_NE(parallel.out.find("Not build\n"), std::string::npos) << parallel.out;
    for (const std::string &log : {singleLog, parallelLog}) {
        EXPECT_EQ(log.find("emcc"), std::string::npos) << log;
        EXPECT_EQ(log.find("wasmer"), std::string::npos) << log;
    }
    EXPECT_FALSE(fs::exists(directory + "/a.o"));
    EXPECT_TRUE(fs::exists(directory + "/b.o"));
}

// A refused translation shows the compiler's messages, which name the
// Velmora lines, but not the internal command line em++ adds after them.
TEST_F(CompileJobs, FailedCompileShowsTheMessagesWithoutTheDriversCommandLine) {
    writeScript("echoing-cc", "#!/bin/sh\n"
                              "echo \"prog.vel:3:5: error: use of undeclared identifier 'x'\" >&2\n"
                              "echo \"em++: error: '/usr/bin/clang++ -target wasm32 -c prog.cpp' failed (returned 1)\" >&2\n"
                              "echo \"emcc: error: 'kept' because it is no command echo\" >&2\n"
                              "exit 1\n");
    writeFile("velc.ini", "compiler=echoing-cc\n");
    EXPECT_NE(run("-br prog"), 0);
    EXPECT_NE(stderrText.find("prog.vel:3:5: error: use of undeclared identifier 'x'\n"), std::string::npos)
        << stderrText;
    EXPECT_EQ(stderrText.find("failed (returned 1)"), std::string::npos) << stderrText;
    EXPECT_NE(stderrText.find("emcc: error: 'kept' because it is no command echo\n"), std::string::npos)
        << stderrText;
    EXPECT_NE(stdoutText.find("Compilation of prog.cpp failed\n"), std::string::npos) << stdoutText;
}

TEST_F(CompileJobs, JobsValuesOutsideTheRangeBehaveLikeOneOrTheMost) {
    Outcome single = build("1");
    for (const char *jobs : {"0", "many", "-3", "100000000000000000000"}) {
        Outcome other = build(jobs);
        EXPECT_EQ(other.status, single.status) << jobs;
        EXPECT_EQ(other.out, single.out) << jobs;
    }
}

class PrecompiledPrologueFallback : public CompileJobs {
protected:
    // Precompiles for the configuration with the PATH velc runs with.
    void precompile(const std::string &jobs) {
        writeFile("velc.ini", "compiler=pch-cc\npch=" + directory + "/pch/prologue.hpp.pch\njobs=" +
                                  jobs + "\n");
        fs::create_directories(directory + "/pch");
        std::string command = "cd '" + directory + "' && PATH='" + directory + "/bin:" + directory +
                              ":/usr/bin:/bin' " + VELC_PROLOGUE + " velc.ini";
        ASSERT_EQ(std::system(command.c_str()), 0);
        ASSERT_TRUE(fs::exists(directory + "/pch/prologue.hpp.pch.stamp"));
        takeToolLog();
    }

    int compilesWithPrologue(const std::string &log) {
        int count = 0;
        for (std::string::size_type at = 0; (at = log.find("[-include]", at)) != std::string::npos; at++)
            count++;
        return count;
    }
};

TEST_F(PrecompiledPrologueFallback, RefusedPrologueIsDroppedForTheRestOfTheRun) {
    precompile("1");
    EXPECT_EQ(run("-v prog"), 0) << stdoutText << stderrText;
    std::string include = " -include " + directory + "/pch/prologue.hpp ";
    std::string withPrologue = "pch-cc -c -std=c++17 -I. -I/velmorac/" + include + "a.cpp -oa.o \n";
    std::string without = "pch-cc -c -std=c++17 -I. -I/velmorac/ a.cpp -oa.o \n";
    EXPECT_NE(stdoutText.find("Compiling a.cpp\n" + withPrologue + without), std::string::npos)
        << stdoutText;
    EXPECT_EQ(stderrText.find("does not fit"), std::string::npos) << stderrText;
    std::string log = takeToolLog();
    EXPECT_EQ(compilesWithPrologue(log), 1) << log;
    EXPECT_NE(log.find("wasmer [prog.wasm]"), std::string::npos) << log;
}

TEST_F(PrecompiledPrologueFallback, EveryCompileRunningAtOnceFallsBack) {
    precompile("3");
    EXPECT_EQ(run("-q prog"), 0) << stdoutText << stderrText;
    EXPECT_EQ(stdoutText, "objlist= prog.o a.o b.o\n");
    EXPECT_EQ(stderrText, "");
    std::string log = takeToolLog();
    EXPECT_GE(compilesWithPrologue(log), 1) << log;
    EXPECT_NE(log.find("wasmer [prog.wasm]"), std::string::npos) << log;
}

// The real compiler: g++ takes a stale precompiled file without a word, so
// only velc's stamp stands between an edited libvel.hpp and a module built
// from the old one.
class PrologueWithTheHostCompiler : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        fs::create_directories(directory + "/inc/velmora");
        for (const fs::directory_entry &entry : fs::directory_iterator(VELMORA_HEADERS)) {
            std::string name = entry.path().filename().string();
            if (entry.path().extension() == ".hpp" && name != "prologue.hpp")
                fs::copy_file(entry.path(), directory + "/inc/velmora/" + name);
        }
        include = " -include " + directory + "/inc/velmora/prologue.hpp ";
        original = readFile("inc/velmora/libvel.hpp");
        writeFile("velc.ini", "id=clang\ncompiler=g++\noptions=-c -std=c++17 -I. -I" + directory +
                                  "/inc/\nlinker=g++\nloptions=-I.\nobjects=" + NATIVE_ARCHIVE +
                                  "\nextension=.o\npch=" + directory +
                                  "/inc/velmora/prologue.hpp.gch\n");
        writeFile("prog.vel", "extern\n    int probe()\n~~\ninline int probe() { return VEL_PROBE; }\n"
                              "~~\n/extern\nprint probe()\n");
    }

    void setProbe(int value) {
        writeFile("inc/velmora/libvel.hpp", original + "#define VEL_PROBE " + std::to_string(value) + "\n");
    }

    void precompile() {
        std::string command = "cd '" + directory + "' && " + VELC_PROLOGUE + " velc.ini";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    std::string original;
    std::string include;
};

TEST_F(PrologueWithTheHostCompiler, EditedOrDeletedLibvelHeaderIsNeverTakenFromTheOldBuild) {
    setProbe(1);
    precompile();
    EXPECT_EQ(run("-v prog"), 0) << stdoutText << stderrText;
    EXPECT_NE(stdoutText.find(include), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("Running prog.wasm\n1\n"), std::string::npos) << stdoutText;

    setProbe(2);
    EXPECT_EQ(run("-v -br prog"), 0) << stdoutText << stderrText;
    EXPECT_EQ(stdoutText.find(include), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("Running prog.wasm\n2\n"), std::string::npos) << stdoutText;

    fs::remove(directory + "/inc/velmora/libvel.hpp");
    EXPECT_NE(run("-q -br prog"), 0) << stdoutText;
    EXPECT_NE(stdoutText.find("Compilation of prog.cpp failed\n"), std::string::npos) << stdoutText;

    setProbe(3);
    precompile();
    EXPECT_EQ(run("-v -br prog"), 0) << stdoutText << stderrText;
    EXPECT_NE(stdoutText.find(include), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("Running prog.wasm\n3\n"), std::string::npos) << stdoutText;
}

}  // namespace
