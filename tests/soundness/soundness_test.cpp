#include "program_generator.hpp"
#include "soundness_check.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;
using namespace soundness;

namespace {

// Fixed, so that a failure seen once is seen again.
constexpr std::uint64_t kFirstSeed = 1000;
constexpr int kPrograms = 16;

std::string writeScript(const std::string &name, const std::string &body) {
    std::string dir = CheckSettings::fromBuildTree().scratch + "/fakes";
    fs::create_directories(dir);
    std::string path = dir + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
    return path;
}

GeneratedProgram handWritten(const std::string &source, const std::string &expected) {
    GeneratedProgram p;
    p.seed = 0;
    p.source = source;
    p.expected = expected;
    p.outputKnown = true;
    return p;
}

std::string scratch(const std::string &name) { return CheckSettings::fromBuildTree().scratch + "/" + name; }

}  // namespace

// The test itself: random programs over every construct the translator
// handles today must translate without a message, compile, and (for the
// sample that is run) print exactly what the generator predicted.
TEST(SoundnessTest, RandomProgramsTranslateCompileAndRunCorrectly) {
    CheckSettings settings = CheckSettings::fromBuildTree();
    settings.scratch += "/random";
    precompilePrologue(settings);
    CheckSummary summary = checkRange(settings, kFirstSeed, kPrograms);
    EXPECT_EQ(summary.programs, kPrograms);
    EXPECT_TRUE(summary.failures.empty()) << describe(summary);
}

TEST(GeneratorTest, SameSeedSameProgramAndOutput) {
    GeneratedProgram a = generateProgram(42), b = generateProgram(42);
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.expected, b.expected);
    EXPECT_EQ(a.outputKnown, b.outputKnown);
}

TEST(GeneratorTest, SeedsGiveDifferentProgramsMostlyWithKnownOutput) {
    std::set<std::string> sources;
    int known = 0;
    for (std::uint64_t s = 0; s < 50; ++s) {
        GeneratedProgram p = generateProgram(s);
        sources.insert(p.source);
        known += p.outputKnown;
        EXPECT_FALSE(p.source.empty());
    }
    EXPECT_GE(sources.size(), 48u);
    EXPECT_GE(known, 45);
}

TEST(GeneratorTest, WithoutTrickyNamesNoKeywordIsUsed) {
    GeneratorOptions options;
    options.trickyNames = false;
    for (std::uint64_t s = 0; s < 30; ++s) {
        std::string text = generateProgram(s, options).source;
        EXPECT_EQ(text.find(" new "), std::string::npos) << text;
        EXPECT_EQ(text.find("sizeof"), std::string::npos) << text;
    }
}

// The driver must notice each kind of fault. These plant one on purpose.
TEST(DriverSelfCheck, OutputsAreCompared) {
    CheckSettings settings = CheckSettings::fromBuildTree();
    auto f = checkProgram(settings, handWritten("int v1 = 2\nprint v1 + 3\n", "6\n"), true, scratch("wrong"));
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->kind, "wrong output") << f->detail;
    EXPECT_NE(f->detail.find("expected: 6"), std::string::npos) << f->detail;
    EXPECT_NE(f->detail.find("actual:   5"), std::string::npos) << f->detail;
    f = checkProgram(settings, handWritten("int v1 = 2\nprint v1 + 3\n", "5\n"), true, scratch("right"));
    EXPECT_FALSE(f.has_value()) << f->kind << "\n" << f->detail;
}

TEST(DriverSelfCheck, PlantedGeneratorFaultIsReported) {
    // Whatever else may be wrong with the program, the planted line can never be printed.
    GeneratorOptions options;
    options.plantWrongOutput = true;
    CheckSettings settings = CheckSettings::fromBuildTree();
    settings.scratch += "/planted";
    settings.runEvery = 1;
    CheckSummary summary = checkRange(settings, 7, 2, options);
    EXPECT_EQ(summary.failures.size(), 2u) << describe(summary);
}

TEST(DriverSelfCheck, ExpectedMessageMustBeGiven) {
    CheckSettings settings = CheckSettings::fromBuildTree();
    GeneratedProgram accepted = handWritten("print 1\n", "");
    accepted.expectedMessage = "prog.vel L1: can't assign to text, from void.";
    auto missed = checkProgram(settings, accepted, false, scratch("missed"));
    ASSERT_TRUE(missed.has_value());
    EXPECT_EQ(missed->kind, "velc missed the message") << missed->detail;

    GeneratedProgram refused = handWritten("print 1\nint[] a = [1]\nprint a.push(3)\n", "");
    refused.expectedMessage = "prog.vel L2: can't assign to text, from void.";  // the wrong line
    auto other = checkProgram(settings, refused, false, scratch("other"));
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(other->kind, "velc gave another message") << other->detail;
    refused.expectedMessage = "prog.vel L3: can't assign to text, from void.";
    EXPECT_FALSE(checkProgram(settings, refused, false, scratch("given")).has_value());
}

TEST(GeneratorTest, SomeSeedsAreVoidValueCases) {
    int cases = 0;
    for (std::uint64_t s = 0; s < 64; ++s) {
        GeneratedProgram p = generateProgram(s);
        if (p.expectedMessage.empty()) continue;
        ++cases;
        EXPECT_NE(p.expectedMessage.find("void"), std::string::npos) << p.expectedMessage;
    }
    EXPECT_EQ(cases, 4);
}

// A stand-in velc (a shell script) plants each fault of the tools; the
// check must name it, and show what the tool said.
TEST(DriverSelfCheck, EachFaultOfTheToolsIsReportedByKind) {
    static const struct {
        const char *script, *body;
        bool build;
        const char *kinds, *detail;  // the kinds it may be reported as, separated by '|'
    } faults[] = {
        {"crashing-velc", "kill -SEGV $$\n", false, "velc crash", "signal 11"},
        {"rejecting-velc", "echo 'prog.vel L1: \"v1\" not declared'\nexit 1\n", false, "velc rejected", "not declared"},
        // Where clang++ is installed its check comes first.
        {"bad-cpp-velc", "echo 'int main() { return undeclared_thing; }' > prog.cpp\n", false,
         "g++ refused|clang++ refused", "undeclared_thing"},
        {"abort-velc", "echo '#include <cstdlib>\nint main() { std::abort(); }' > prog.cpp\n", true, "run crash",
         "signal 6"},
    };
    for (const auto &fault : faults) {
        SCOPED_TRACE(fault.script);
        CheckSettings settings = CheckSettings::fromBuildTree();
        settings.velc = writeScript(fault.script, fault.body);
        auto f = checkProgram(settings, handWritten("print 1\n", "1\n"), fault.build, scratch(fault.script));
        ASSERT_TRUE(f.has_value());
        EXPECT_NE(("|" + std::string(fault.kinds) + "|").find("|" + f->kind + "|"), std::string::npos) << f->kind;
        EXPECT_NE(f->detail.find(fault.detail), std::string::npos) << f->detail;
    }
}
