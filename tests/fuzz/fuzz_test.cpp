// The fuzzer's own parts: that every kind of fault is noticed (a stand-in
// velc shows each one), that a clean run is not a finding, and that its
// inputs are the same for the same seed and keep the text they change.
#include "fuzz_campaign.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string scratch(const std::string &name) {
    return std::string(FUZZ_TEST_SCRATCH) + "/" + name;
}

// A velc that does what `body` (shell) says, in the folder of prog.vel.
fuzz::CheckSettings standIn(const std::string &name, const std::string &body) {
    fs::create_directories(scratch("stand-ins"));
    std::string path = scratch("stand-ins/" + name);
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms::owner_all);
    fuzz::CheckSettings settings;
    settings.velc = path;
    settings.includeDir = FUZZ_TEST_INCLUDE_DIR;
    settings.translateSeconds = 2;
    return settings;
}

std::string kindFound(const std::string &name, const std::string &body, const std::string &source = "print 1\n") {
    fuzz::FuzzCase input{{{"prog.vel", source}}, "test"};
    auto finding = fuzz::checkCase(standIn(name, body), input, scratch("work-" + name));
    return finding ? finding->kind : "none";
}

TEST(FuzzCheck, EveryKindOfFaultIsAFinding) {
    EXPECT_EQ(kindFound("crash", "kill -SEGV $$"), "velc crash");
    EXPECT_EQ(kindFound("hang", "exec sleep 30"), "velc hang");
    EXPECT_EQ(kindFound("internal", "echo 'prog.vel L1: Internal error [4] line 1'; exit 1"), "internal error");
    EXPECT_EQ(kindFound("underflow", "echo 'stack underflow in type stack.'; exit 1"), "internal error");
    EXPECT_EQ(kindFound("exception", "echo 'Exception in parser: bad'; exit 1"), "internal error");
    EXPECT_EQ(kindFound("sanitizer", "echo '==1==ERROR: AddressSanitizer: heap-use-after-free' >&2; exit 86"),
              "sanitizer report");
    EXPECT_EQ(kindFound("refused", "echo 'int main() { return undeclared; }' > prog.cpp"), "g++ refused");
    EXPECT_EQ(kindFound("warned", "printf '#warning generated\\nint main() { return 0; }\\n' > prog.cpp"), "g++ warned");
    EXPECT_EQ(kindFound("nocpp", "exit 0"), "velc wrote no C++");
    fuzz::CheckSettings missing = standIn("missing", "exit 0");
    missing.velc += "-not-there";
    missing.startWaitSeconds = 0;
    auto finding = fuzz::checkCase(missing, {{{"prog.vel", "print 1\n"}}, "test"}, scratch("work-missing"));
    EXPECT_EQ(finding ? finding->kind : "none", "velc did not start");
}

TEST(FuzzCheck, ProgramErrorsAndCleanTranslationsAreNoFinding) {
    // A status of 200 is an error count, not a signal; syntax messages on
    // standard error may quote the program's text.
    EXPECT_EQ(kindFound("errors", "echo 'prog.vel L1: \"x\" not declared'; "
                                  "echo 'prog.vel L1:1: unexpected `Internal error`' >&2; exit 200"),
              "none");
    // 126 and 127 errors are counts too, whatever a shell means by them.
    EXPECT_EQ(kindFound("errors126", "echo 'prog.vel L1: \"x\" not declared'; exit 126"), "none");
    EXPECT_EQ(kindFound("errors127", "echo 'prog.vel L1: \"x\" not declared'; exit 127"), "none");
    // So are 86, the sanitizers' status, after velc's own summary line; the
    // same status without it is a sanitizer that stopped velc.
    EXPECT_EQ(kindFound("errors86", "echo 'prog.vel L1: \"x\" not declared'; "
                                    "echo 'prog.vel, compiled 9 lines, there are 86 errors'; exit 86"),
              "none");
    EXPECT_EQ(kindFound("stopped86", "echo 'prog.vel L1: \"x\" not declared'; exit 86"), "sanitizer report");
    EXPECT_EQ(kindFound("clean", "echo 'int main() { return 0; }' > prog.cpp"), "none");
}

// A velc that is missing for a moment, as while its tree is rebuilt, is
// waited for rather than counted as one that did not start.
TEST(FuzzCheck, AVelcMissingForAMomentIsWaitedFor) {
    fuzz::CheckSettings late = standIn("late", "echo 'int main() { return 0; }' > prog.cpp");
    std::string path = late.velc;
    late.velc += "-later";
    fs::remove(late.velc);
    late.startWaitSeconds = 30;
    std::thread appears([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        fs::copy_file(path, late.velc + ".part");
        fs::rename(late.velc + ".part", late.velc);
    });
    auto finding = fuzz::checkCase(late, {{{"prog.vel", "print 1\n"}}, "test"}, scratch("work-late"));
    appears.join();
    EXPECT_EQ(finding ? finding->kind : "none", "none");
}

// C++ written between `~~` is the program's own: velc copies it unchecked.
TEST(FuzzCheck, TheProgramsOwnCppIsNoFinding) {
    const std::string refusedAtLine2 = "printf '#line 2 \"prog.vel\"\\nint main() { return undeclared; }\\n' > prog.cpp";
    EXPECT_EQ(kindFound("own-cpp", refusedAtLine2, "print 1\n~~\nreturn undeclared;\n~~\n"), "none");
    EXPECT_EQ(kindFound("own-cpp-inline", refusedAtLine2, "print 1\n~~ return undeclared; ~~\n"), "none");
    EXPECT_EQ(kindFound("translated", refusedAtLine2, "print 1\nprint 2\n~~\n~~\n"), "g++ refused");
    // A quote left open in the program's C++ makes the compiler misread
    // velc's lines after it: the errors there follow from the first.
    const std::string openQuote = "printf '#line 2 \"prog.vel\"\nconst char *s = \"a;\nint main() { return 0; }\n' > prog.cpp";
    EXPECT_EQ(kindFound("own-cpp-open-quote", openQuote, "~~\nconst char *s = \"a;\n~~\nprint 1\n"), "none");
    const std::string velcFirst = "printf '#line 1 \"prog.vel\"\nint x = undeclared;\nint y = alsoUndeclared;\n' > prog.cpp";
    EXPECT_EQ(kindFound("translated-first", velcFirst, "print 1\n~~\nint y = alsoUndeclared;\n~~\n"), "g++ refused");
}

// An integer constant of the program that a real cannot hold rounds in
// Velmora as in C++: clang's warning of it is no finding.
TEST(FuzzCheck, TheProgramsOwnRoundedConstantIsNoFinding) {
    if (std::system("clang++ --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no clang++ here";
    fuzz::CheckSettings settings =
        standIn("rounded", "printf 'double w = 1;\\nint main() { return w * 9223372036854775807 > 0; }\\n' > prog.cpp");
    settings.secondCompiler = "clang++";
    auto finding = fuzz::checkCase(settings, {{{"prog.vel", "print 1\n"}}, "test"}, scratch("work-rounded"));
    EXPECT_EQ(finding ? finding->kind + ": " + finding->detail : "none", "none");
}

TEST(FuzzInputs, TheSameSeedGivesTheSameInput) {
    fuzz::Mutator mutator(fuzz::loadCorpus({std::string(FUZZ_TEST_SOURCE_DIR) + "/examples"}));
    ASSERT_GT(mutator.corpusSize(), 5u);
    int differentFromNext = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        fuzz::FuzzCase a = mutator.make(seed), b = mutator.make(seed);
        EXPECT_EQ(a.files, b.files) << seed;
        EXPECT_EQ(a.origin, b.origin) << seed;
        differentFromNext += a.files != mutator.make(seed + 1).files;
    }
    EXPECT_GE(differentFromNext, 38);
}

TEST(FuzzInputs, TokensGiveTheTextBack) {
    for (const auto &program : fuzz::loadCorpus({std::string(FUZZ_TEST_SOURCE_DIR) + "/examples"})) {
        std::string joined;
        for (const auto &token : fuzz::tokenize(program.files.at("prog.vel"))) joined += token;
        EXPECT_EQ(joined, program.files.at("prog.vel")) << program.origin;
    }
    EXPECT_EQ(fuzz::tokenize("print \"a b\", x1.y"),
              (std::vector<std::string>{"print", " ", "\"a b\"", ",", " ", "x1", ".", "y"}));
}

TEST(FuzzInputs, CaseFilesGiveTheirSources) {
    auto cases = fuzz::casesOfCaseFile("# comment\n== A.One\ninclude \"lib.vel\"\nprint 1\n-- file lib.vel\n"
                                       "int x = 1\n--\nstatus: 0\n\n== A.Two\n|3* print {i}\nprint 2\n--\n",
                                       "c.txt");
    ASSERT_EQ(cases.size(), 2u);
    EXPECT_EQ(cases[0].files.at("prog.vel"), "include \"lib.vel\"\nprint 1\n");
    EXPECT_EQ(cases[0].files.at("lib.vel"), "int x = 1\n");
    EXPECT_EQ(cases[1].files.at("prog.vel"), "print 2\n");
    EXPECT_EQ(cases[1].origin, "c.txt A.Two");
}

}  // namespace
