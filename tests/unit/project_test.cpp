#include <gtest/gtest.h>
#include <antlr/ANTLRException.hpp>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include "driver/stripped_source.hpp"
#include "driver_test_support.hpp"
#include "translator/frame.hpp"

namespace {

class SourceNamingTest : public DriverStateTest {
protected:
    // Names the source as the driver does; gives its spelling, base name,
    // file name, directory, C++ file, object, header and header include.
    static std::string namesOf(const std::string &spelling, bool isMain) {
        ProgramSource n = describeSource(spelling, isMain);
        if (isMain)
            project.baseDirectory = n.baseDirectory;
        return n.path + " " + n.baseName + " " + n.fileName + " [" + n.baseDirectory +
               "] " + n.cppName + " " + n.objectName + " " + n.headerPath + " " + n.headerInclude;
    }
};

// An included source lives in the main source's directory unless its path is
// absolute, and the directory stays the main source's; the extension is
// found whatever its case, after the last dot.
TEST_F(SourceNamingTest, SourcesGetTheirExtensionAndTheNamesOfTheirOutputs) {
    for (const char *file : {"dir/prog.vel", "dir/lib.vel", "abs/lib.vel", "PROG.VEL", ".hidden.vel", "prog.txt.vel"})
        writeFile(file, "");
    EXPECT_EQ(namesOf("dir/prog", true), "dir/prog.vel dir/prog prog [dir] dir/prog.cpp dir/prog.o dir/prog.hpp prog.hpp");
    toolchainSettings.extension = ".obj";
    EXPECT_EQ(namesOf("lib.vel", false), "dir/lib.vel lib lib [dir] dir/lib.cpp dir/lib.obj dir/lib.hpp lib.hpp");
    std::string absolute = directory + "/abs/lib";
    EXPECT_EQ(namesOf(absolute + ".vel", false), absolute + ".vel " + absolute + " lib [dir] " +
                                                     absolute + ".cpp " + absolute + ".obj " + absolute + ".hpp " +
                                                     absolute + ".hpp");
    EXPECT_EQ(namesOf("PROG.VEL", true), "PROG.VEL PROG PROG [] PROG.cpp PROG.obj PROG.hpp PROG.hpp");
    EXPECT_EQ(namesOf(".hidden", true), ".hidden.vel .hidden .hidden [] .hidden.cpp .hidden.obj .hidden.hpp .hidden.hpp");
    EXPECT_EQ(namesOf("prog.txt", true), "prog.txt.vel prog.txt prog.txt [] prog.txt.cpp prog.txt.obj prog.txt.hpp prog.txt.hpp");
}

TEST_F(SourceNamingTest, MissingSourceAbortsWithStatusOne) {
    EXPECT_EXIT(describeSource("nothere", true), testing::ExitedWithCode(1), "");
}

TEST(IncludeSyntax, VelmoraExtensionAllowsOneClosingQuote) {
    EXPECT_TRUE(hasVelmoraExtension("a.vel"));
    EXPECT_TRUE(hasVelmoraExtension(" \"lib.VEL\""));
    EXPECT_TRUE(hasVelmoraExtension("'x.Vel'"));
    EXPECT_FALSE(hasVelmoraExtension(".vel"));
    EXPECT_FALSE(hasVelmoraExtension(".vel'"));
    EXPECT_FALSE(hasVelmoraExtension(" lib"));
    EXPECT_FALSE(hasVelmoraExtension(" lib.vel;"));
    EXPECT_FALSE(hasVelmoraExtension(" lib.vel\"\""));
}

using IncludeNameTest = DriverStateTest;

// A bare name ends at a blank, a quote or a semicolon; a quoted one at its
// closing quote, so that it may hold blanks and the other quote.
TEST_F(IncludeNameTest, NameIsCutAtBlankQuoteOrSemicolonUnlessQuoted) {
    writeFile("lib.vel", "");
    writeFile("my lib.vel", "");
    writeFile("it's.vel", "");
    EXPECT_EQ(includeName("include lib.vel", 7), "lib.vel");
    EXPECT_EQ(includeName("include \"lib.vel\"", 7), "lib.vel");
    EXPECT_EQ(includeName("include  'lib.vel'", 7), "lib.vel");
    EXPECT_EQ(includeName("include \"my lib.vel\"", 7), "my lib.vel");
    EXPECT_EQ(includeName("include 'my lib.vel'", 7), "my lib.vel");
    EXPECT_EQ(includeName("include \"it's.vel\"", 7), "it's.vel");
    // A tab after the word is a blank like a space.
    EXPECT_EQ(includeName("include\tlib.vel", 7), "lib.vel");
    EXPECT_EQ(includeName("include \t\"lib.vel\"", 7), "lib.vel");
}

// The C++ includes a header by a quoted name: a double quote in a source's
// name is refused with the reason before anything is written.
TEST_F(IncludeNameTest, ASourceNameWithADoubleQuoteIsRefused) {
    writeFile("q\"uote.vel", "");
    EXPECT_EXIT(describeSource("q\"uote.vel", true), testing::ExitedWithCode(1), "");
}

TEST_F(IncludeNameTest, NonIncludesGiveEmptyName) {
    writeFile("lib.vel", "");
    EXPECT_EQ(includeName("include lib.vel;", 7), "");
    EXPECT_EQ(includeName("include (lib.vel)", 7), "");
    EXPECT_EQ(includeName("include _lib.vel", 7), "");
    // A text that only mentions the word must not be taken for an include.
    EXPECT_EQ(includeName("print \"include; see lib.vel\"", 14), "");
    EXPECT_EQ(includeName("include", 7), "");
}

// Only a line whose first word is include names a source.
TEST_F(IncludeNameTest, IncludeIsTheFirstWordOfItsLine) {
    EXPECT_EQ(afterIncludeWord("include lib.vel"), 7u);
    EXPECT_EQ(afterIncludeWord("  \tinclude \"lib.vel\""), 10u);
    EXPECT_EQ(afterIncludeWord("text t = \"include lib.vel\""), std::string::npos);
    EXPECT_EQ(afterIncludeWord("print \"see\" # include lib.vel"), std::string::npos);
    EXPECT_EQ(afterIncludeWord("included lib.vel"), std::string::npos);
    EXPECT_EQ(afterIncludeWord("include_all lib.vel"), std::string::npos);
}

TEST_F(IncludeNameTest, NonVelmoraIncludeIsReportedWhenVerbose) {
    driverSettings.verbose = true;
    testing::internal::CaptureStdout();
    EXPECT_EQ(includeName("include lib", 7), "");
    EXPECT_EQ(includeName("included stuff", 7), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " lib not velmora, skipped\nd stuff not velmora, skipped\n");
}

TEST_F(IncludeNameTest, MissingIncludedFileAbortsRun) {
    writeFile("dir/prog.vel", "");
    project.baseDirectory = describeSource("dir/prog.vel", true).baseDirectory;
    EXPECT_EQ(resolveIncludePath("lib.vel"), "dir/lib.vel");
    EXPECT_EQ(resolveIncludePath("/x/lib.vel"), "/x/lib.vel");
    EXPECT_EXIT(includeName("include lib.vel", 7), testing::ExitedWithCode(1), "");
}

// Builds a list from "entry includes these" pairs; names double as identities.
class PendingOrderTest : public DriverStateTest {
protected:
    int source(const std::string &name) { return findOrAddSource(name, name); }

    std::vector<std::string> translationOrder() {
        findIncludeCycles();
        std::vector<std::string> order;
        for (int k = nextPending(); k != -1; k = nextPending()) {
            order.push_back(project.entries[k].name);
            project.entries[k].done = true;
            resolveIncluded(k);
        }
        return order;
    }
};

TEST_F(PendingOrderTest, SharedIncludeComesFirstAndIncluderLast) {
    int main = source("main"), a = source("a"), b = source("b"), c = source("c");
    addInclude(main, a);
    addInclude(a, c);
    addInclude(main, b);
    addInclude(b, c);
    EXPECT_EQ(translationOrder(), (std::vector<std::string>{"c", "a", "b", "main"}));
}

TEST_F(PendingOrderTest, CycleIsBrokenAtSourceMetFirst) {
    int main = source("main"), a = source("a"), b = source("b");
    addInclude(main, a);
    addInclude(a, b);
    addInclude(b, a);
    addInclude(main, b);
    EXPECT_EQ(translationOrder(), (std::vector<std::string>{"a", "b", "main"}));
}

// A cycle of three comes before what includes it, after what it includes
// outside itself, and begins at the source of it met first.
TEST_F(PendingOrderTest, ACycleOfAnyLengthIsTranslatedWhole) {
    int main = source("main"), a = source("a"), b = source("b"), c = source("c"), leaf = source("leaf");
    addInclude(main, a);
    addInclude(a, b);
    addInclude(b, c);
    addInclude(c, a);
    addInclude(c, leaf);
    EXPECT_EQ(translationOrder(), (std::vector<std::string>{"leaf", "a", "c", "b", "main"}));
    EXPECT_EQ(project.entries[a].cycle, project.entries[c].cycle);
    EXPECT_NE(project.entries[main].cycle, project.entries[a].cycle);
}

TEST_F(PendingOrderTest, RepeatedIncludeStrikesOneElementPerRound) {
    int main = source("main"), a = source("a");
    addInclude(main, a);
    addInclude(main, a);
    findIncludeCycles();
    project.entries[a].done = true;
    resolveIncluded(a);
    EXPECT_EQ(project.entries[main].pendingCount, 1);
    EXPECT_EQ(project.entries[main].includes, (std::vector<int>{0, a}));
    EXPECT_EQ(nextPending(), main);
}

TEST_F(PendingOrderTest, EmptyListAndAllDoneGiveNoPending) {
    EXPECT_EQ(nextPending(), -1);
    project.entries[source("a")].done = true;
    EXPECT_EQ(nextPending(), -1);
    EXPECT_EQ(findSource("b"), -1);
    EXPECT_EQ(findOrAddSource("x", "a"), 1);
}

TEST_F(PendingOrderTest, UpToDateIncludeDoesNotHoldBackItsIncluder) {
    int top = source("top"), middle = source("middle"), leaf = source("leaf");
    addInclude(top, middle);
    addInclude(middle, leaf);
    addInclude(middle, leaf);
    project.entries[leaf].done = true;
    resolveUpToDateIncludes();
    EXPECT_EQ(translationOrder(), (std::vector<std::string>{"middle", "top"}));
}

TEST_F(PendingOrderTest, IncludersOfStaleSourceBecomePending) {
    int top = source("top"), middle = source("middle"), leaf = source("leaf"),
        other = source("other");
    addInclude(top, middle);
    addInclude(middle, leaf);
    addInclude(top, other);
    project.entries[top].done = true;
    project.entries[middle].done = true;
    project.entries[other].done = true;
    markIncludersPending();
    EXPECT_FALSE(project.entries[top].done);
    EXPECT_FALSE(project.entries[middle].done);
    EXPECT_TRUE(project.entries[other].done);
}

TEST_F(PendingOrderTest, ASourceTranslatedAgainReadsWhatItIncludesForDeclarations) {
    // Only prog changed: lib and base are read for their declarations, in
    // include order, so that their names are known while prog is translated;
    // unrelated stays done.
    int prog = source("prog"), lib = source("lib"), base = source("base"),
        unrelated = source("unrelated");
    addInclude(prog, lib);
    addInclude(lib, base);
    computeSourceDigests();
    for (int entry : {lib, base, unrelated}) {
        project.entries[entry].done = true;
        project.entries[entry].recordedDigest = project.entries[entry].sourceDigest;
    }
    markRelatedSourcesPending();
    EXPECT_FALSE(project.entries[prog].declarationsOnly);
    EXPECT_TRUE(project.entries[lib].declarationsOnly);
    EXPECT_TRUE(project.entries[base].declarationsOnly);
    EXPECT_FALSE(project.entries[unrelated].declarationsOnly);
    EXPECT_TRUE(project.entries[unrelated].done);
    EXPECT_EQ(translationOrder(), (std::vector<std::string>{"base", "lib", "prog"}));
}

TEST_F(PendingOrderTest, OutputsOlderThanAnIncludedSourceAreOutOfDate) {
    int prog = source("prog"), mid = source("mid"), leaf = source("leaf"),
        other = source("other");
    addInclude(prog, mid);
    addInclude(mid, leaf);
    addInclude(leaf, mid);
    for (int entry : {prog, mid, leaf, other}) {
        project.entries[entry].done = true;
        project.entries[entry].sourceTime = 100;
        project.entries[entry].outputTime = 200;
    }
    driverSettings.incremental = true;
    markOlderThanIncludesPending();
    EXPECT_TRUE(driverSettings.incremental);
    project.entries[leaf].sourceTime = 150;
    project.entries[leaf].outputTime = 300;
    project.entries[prog].outputTime = 160;
    markOlderThanIncludesPending();
    EXPECT_TRUE(driverSettings.incremental);
    project.entries[leaf].sourceTime = 250;
    markOlderThanIncludesPending();
    EXPECT_FALSE(driverSettings.incremental);
    EXPECT_FALSE(project.entries[prog].done);
    EXPECT_FALSE(project.entries[mid].done);
    EXPECT_TRUE(project.entries[leaf].done);
    EXPECT_TRUE(project.entries[other].done);
}

// The digest a source's outputs record covers what it includes, directly or
// through a cycle, and nothing beside.
TEST_F(PendingOrderTest, AChangedContentAnywhereBelowASourceMakesItOutOfDate) {
    int prog = source("prog"), mid = source("mid"), leaf = source("leaf"), other = source("other");
    addInclude(prog, mid);
    addInclude(mid, leaf);
    addInclude(leaf, mid);
    for (int entry : {prog, mid, leaf, other})
        project.entries[entry].contentDigest = project.entries[entry].name;
    computeSourceDigests();
    for (int entry : {prog, mid, leaf, other}) {
        project.entries[entry].done = true;
        project.entries[entry].recordedDigest = project.entries[entry].sourceDigest;
    }
    driverSettings.incremental = true;
    markChangedContentPending();
    EXPECT_TRUE(driverSettings.incremental);
    EXPECT_NE(project.entries[prog].sourceDigest, project.entries[mid].sourceDigest);

    project.entries[leaf].contentDigest = "leaf, edited";
    computeSourceDigests();
    markChangedContentPending();
    EXPECT_FALSE(driverSettings.incremental);
    EXPECT_FALSE(project.entries[prog].done);
    EXPECT_FALSE(project.entries[mid].done);
    EXPECT_FALSE(project.entries[leaf].done);
    EXPECT_TRUE(project.entries[other].done);
}

using StripCommentsTest = DriverStateTest;

TEST_F(StripCommentsTest, HashAndSlashesOutsideQuotesEndTheLine) {
    EXPECT_EQ(stripComments("x = 1 # note\n"), "x = 1");
    EXPECT_EQ(stripComments("print \"a # b\" # c\n"), "print \"a # b\"");
    EXPECT_EQ(stripComments("print 'it''s' // c"), "print 'it''s'");
    EXPECT_EQ(stripComments("s = \"a\\\"#\" # c"), "s = \"a\\\"#\"");
    EXPECT_EQ(stripComments("url = \"http://x\"  \r\n"), "url = \"http://x\"");
}

TEST_F(StripCommentsTest, LineStartingWithHashPassesWhole) {
    EXPECT_EQ(stripComments("# a comment  \n"), "# a comment");
    project.inBlockComment = true;
    EXPECT_EQ(stripComments("#x */ y"), "#x */ y");
    EXPECT_TRUE(project.inBlockComment);
}

TEST_F(StripCommentsTest, BlockCommentOnOneLineIsCutOut) {
    EXPECT_EQ(stripComments("a /* b */ c /* d */ e"), "a  c  e");
    EXPECT_EQ(stripComments("a \"/*\" b"), "a \"/*\" b");
    EXPECT_FALSE(project.inBlockComment);
}

TEST_F(StripCommentsTest, BlockCommentOverSeveralLinesEmptiesThem) {
    EXPECT_EQ(stripComments("a = 1 /* start\n"), "a = 1");
    EXPECT_TRUE(project.inBlockComment);
    EXPECT_EQ(stripComments("include x.vel\n"), "");
    EXPECT_EQ(stripComments("\n"), "");
    EXPECT_EQ(stripComments("end */ b = 2 # c\n"), " b = 2");
    EXPECT_FALSE(project.inBlockComment);
    EXPECT_EQ(stripComments("/*/ still open"), "");
    EXPECT_TRUE(project.inBlockComment);
}

// The translator stand-in records what it was given and plays the errors
// and exceptions a test asks for.
struct FakeTranslator {
    static std::vector<std::string> translated;
    static std::vector<std::string> declarationsRead;   // outputs discarded
    static bool noisy;                                  // print as the parser's reports do
    static std::map<std::string, int> errors;
    static std::string lastInput;

    static TranslationResult translate(std::istream &input, const SourceToTranslate &source, RunTables &) {
        const std::string &sourceName = source.sourceName;
        (source.declarationsOnly ? declarationsRead : translated).push_back(sourceName);
        if (noisy) {
            std::printf("translating %s\n", sourceName.c_str());
            std::fprintf(stderr, "translating %s\n", sourceName.c_str());
        }
        lastInput.assign(std::istreambuf_iterator<char>(input), {});
        diagnostics.lineCounter = 1 + static_cast<int>(std::count(lastInput.begin(), lastInput.end(), '\n'));
        diagnostics.sourceName = sourceName;
        // Like the translator, a source read for its declarations writes nothing.
        if (!source.declarationsOnly)
            std::ofstream(source.cppPath) << "// " << sourceName << "\n";
        if (sourceName.find("lexfail") != std::string::npos)
            throw antlr::ANTLRException("unexpected char: '@'");
        if (sourceName.find("stdfail") != std::string::npos)
            throw std::runtime_error("out of memory");
        TranslationResult result;
        result.errorCount = errors[sourceName];
        result.lineCount = diagnostics.lineCounter - 1;
        return result;
    }
};
std::vector<std::string> FakeTranslator::translated;
std::vector<std::string> FakeTranslator::declarationsRead;
bool FakeTranslator::noisy = false;
std::map<std::string, int> FakeTranslator::errors;
std::string FakeTranslator::lastInput;

class ProjectRunTest : public DriverStateTest {
protected:
    void SetUp() override {
        DriverStateTest::SetUp();
        FakeTranslator::errors.clear();
        FakeTranslator::noisy = false;
        toolchainSettings.compiler = "true";
        startRun();
    }

    // A new run of the driver, on the files as they are.
    static void startRun() {
        resetProject();
        project.translate = FakeTranslator::translate;
        FakeTranslator::translated.clear();
        FakeTranslator::declarationsRead.clear();
        driverSettings.incremental = true;
    }

    // Adds to each header the digest that the run which wrote the outputs
    // would have recorded for the sources as they are now; times are kept.
    static void recordDigests(const std::string &mainSource) {
        scanSource(mainSource, true);
        computeSourceDigests();
        for (std::size_t i = 1; i < project.entries.size(); i++) {
            std::string name = project.entries[i].name;
            std::string header = name.substr(0, name.rfind('.')) + ".hpp";
            struct stat before;
            if (stat(header.c_str(), &before) != 0)
                continue;
            std::ofstream(header, std::ios::app) << sourceDigestLine(project.entries[i].sourceDigest) << "\n";
            struct utimbuf times = {before.st_mtime, before.st_mtime};
            utime(header.c_str(), &times);
        }
        startRun();
    }

    // What the driver does from the main source to the end of compileAll.
    std::string scanAndTranslate(const std::string &mainSource) {
        testing::internal::CaptureStdout();
        scanSource(mainSource, true);
        markRelatedSourcesPending();
        compileAll();
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(ProjectRunTest, EachSourceScannedOnceWhateverItsSpelling) {
    writeFile("dir/main.vel", "include lib.vel\ninclude \"./lib.vel\"\ninclude 'other.vel'\n");
    writeFile("dir/lib.vel", "include main.vel\n");
    writeFile("dir/other.vel", "include lib.vel\n");
    scanAndTranslate("dir/main.vel");
    ASSERT_EQ(project.entries.size(), 4u);
    EXPECT_EQ(project.entries[2].name, "lib.vel");
    EXPECT_EQ(project.entries[1].includes, (std::vector<int>{0, 2, 0}));
    EXPECT_EQ(FakeTranslator::translated,
              (std::vector<std::string>{"dir/lib.vel", "dir/other.vel", "dir/main.vel"}));
    EXPECT_EQ(project.objectList, " dir/main.o dir/lib.o dir/other.o");
}

TEST_F(ProjectRunTest, CommentedIncludesAreNotFollowed) {
    writeFile("main.vel",
              "# include hidden.vel\n"
              "// include hidden.vel\n"
              "/* include hidden.vel\n"
              "include hidden.vel */ /* reopened\n"
              "include hidden.vel\n"
              "*/\n"
              "<- include hidden.vel\n"
              "->\n"
              "/* one line */ include hidden.vel\n"
              "include lib.vel\n");
    writeFile("lib.vel", "");
    scanAndTranslate("main.vel");
    ASSERT_EQ(project.entries.size(), 3u);
    EXPECT_EQ(project.entries[2].name, "lib.vel");
}

TEST_F(ProjectRunTest, IncludedSourcesTranslatedFirstAndVerboseTrace) {
    writeFile("main.vel", "include a.vel\ninclude b.vel\n");
    writeFile("a.vel", "include c.vel\n");
    writeFile("b.vel", "include c.vel\ninclude lib\n");
    writeFile("c.vel", "");
    driverSettings.verbose = true;
    driverSettings.cppOnly = true;
    std::string trace = scanAndTranslate("main.vel");
    EXPECT_EQ(FakeTranslator::translated,
              (std::vector<std::string>{"c.vel", "a.vel", "b.vel", "main.vel"}));
    EXPECT_EQ(trace,
              "Analyzing main.vel\nincluded: a.vel\nAnalyzing a.vel\nincluded: c.vel\n"
              "Analyzing c.vel\nincluded: b.vel\nAnalyzing b.vel\nincluded: c.vel\n"
              " lib not velmora, skipped\n"
              "Compiling source c.vel\nc.vel, compiled 0 lines\n"
              "Compiling source a.vel\na.vel, compiled 1 lines\n"
              "Compiling source b.vel\nb.vel, compiled 2 lines\n"
              "Compiling source main.vel\nmain.vel, compiled 2 lines\n"
              "0/4 compiled\n");
}

TEST_F(ProjectRunTest, SourceWithErrorsIsLeftOutAndMarkedStale) {
    writeFile("main.vel", "include bad.vel\ninclude side.vel\n");
    writeFile("bad.vel", "x\n");
    writeFile("side.vel", "y\n");
    writeFile("bad.o", "old object");
    setModificationTime("bad.vel", 2000000);
    setModificationTime("bad.o", 2000100);
    FakeTranslator::errors["bad.vel"] = 2;
    driverSettings.rebuildAll = true;
    std::string trace = scanAndTranslate("main.vel");
    EXPECT_NE(trace.find("bad.vel, compiled 1 lines, there are 2 errors\n"), std::string::npos);
    // main reads bad's header: only the source beside it is compiled.
    EXPECT_EQ(project.cppFileList, (std::vector<std::string>{"side.cpp"}));
    EXPECT_EQ(project.runErrorTotal, 2);
    EXPECT_EQ(modificationTime("bad.cpp"), 2000000 - 2);
    // The object of the text replaced is gone: no later run can trust it.
    EXPECT_FALSE(std::filesystem::exists("bad.o"));
}

TEST_F(ProjectRunTest, FailedTranslationsReportAndRunGoesOn) {
    writeFile("main.vel", "include lexfail.vel\ninclude stdfail.vel\n");
    writeFile("lexfail.vel", "@\n");
    writeFile("stdfail.vel", "");
    driverSettings.rebuildAll = true;
    driverSettings.cppOnly = true;
    std::string trace = scanAndTranslate("main.vel");
    EXPECT_EQ(trace,
              "Exception in parser: unexpected char: '@'\n"
              "Exception in parser: out of memory\n"
              "main.vel, compiled 2 lines\n");
    EXPECT_EQ(FakeTranslator::translated.size(), 3u);
    EXPECT_EQ(project.runErrorTotal, 2);
    EXPECT_EQ(project.sourceErrorCount, 0);
    EXPECT_LT(modificationTime("lexfail.cpp"), modificationTime("lexfail.vel"));
}

TEST_F(ProjectRunTest, TemporaryCopyKeepsLineCountAndIsRemoved) {
    writeFile("main.vel", "a = 1 /* x\ny\nz */ b = 2\n# kept\nc = 3 # cut");
    driverSettings.rebuildAll = true;
    scanAndTranslate("main.vel");
    EXPECT_EQ(FakeTranslator::lastInput, "a = 1\n\n b = 2\n# kept\nc = 3\n");
    EXPECT_FALSE(std::filesystem::exists(temporaryFile));
}

TEST_F(ProjectRunTest, TemporaryCopyKeptOnRequest) {
    writeFile("main.vel", "x = 1 // y\n");
    driverSettings.rebuildAll = true;
    driverSettings.keepTemporary = true;
    scanAndTranslate("main.vel");
    EXPECT_EQ(readFile(temporaryFile), "x = 1\n");
}

// Outputs of every listed source, newer than the sources.
// What writeOutputs puts in an output: a header records the role it was
// translated in, the program's main source for the first source and an
// included source for the others.
std::string oldOutput(const std::string &source, const std::string &kind, bool first) {
    std::string text = "// old " + source + "\n";
    if (kind == ".hpp")
        text += roleLine(first ? SourceRole::program : SourceRole::included) + "\n";
    return text;
}

void writeOutputs(const std::vector<std::string> &sources, const std::vector<std::string> &kinds) {
    for (const std::string &source : sources) {
        for (const std::string &kind : kinds) {
            std::ofstream(source + kind) << oldOutput(source, kind, &source == &sources.front());
            struct utimbuf times = {4000010, 4000010};
            utime((source + kind).c_str(), &times);
        }
        struct utimbuf times = {4000000, 4000000};
        utime((source + ".vel").c_str(), &times);
    }
}

TEST_F(ProjectRunTest, UpToDateSourcesAreNotTranslated) {
    writeFile("main.vel", "include lib.vel\n");
    writeFile("lib.vel", "");
    writeOutputs({"main", "lib"}, {".cpp", ".hpp", ".o"});
    recordDigests("main.vel");
    scanAndTranslate("main.vel");
    EXPECT_TRUE(driverSettings.incremental);
    EXPECT_TRUE(FakeTranslator::translated.empty());
    EXPECT_TRUE(FakeTranslator::declarationsRead.empty());
}

// Outputs are only reused in the role they were translated in: a source
// once built as a program of its own defines main() and keeps its variables
// to itself, which an includer cannot link with.
TEST_F(ProjectRunTest, OutputsOfAnotherRoleAreTranslatedAgain) {
    writeFile("main.vel", "include lib.vel\n");
    writeFile("lib.vel", "");
    writeOutputs({"lib", "main"}, {".cpp", ".hpp", ".o"});
    scanAndTranslate("main.vel");
    EXPECT_FALSE(driverSettings.incremental);
    EXPECT_EQ(FakeTranslator::translated, (std::vector<std::string>{"lib.vel", "main.vel"}));

    // A header that records no role comes from an older velc.
    startRun();
    writeOutputs({"main", "lib"}, {".cpp", ".hpp", ".o"});
    std::ofstream("lib.hpp") << "#pragma once\n";
    scanAndTranslate("main.vel");
    EXPECT_EQ(FakeTranslator::translated, (std::vector<std::string>{"lib.vel", "main.vel"}));
}

TEST_F(PendingOrderTest, TheMainSourceIsAProgramUnlessAnotherIncludesIt) {
    int prog = source("prog"), lib = source("lib");
    project.entries[prog].isMain = true;
    addInclude(prog, lib);
    addInclude(prog, prog);
    EXPECT_EQ(roleOf(prog), SourceRole::program);
    EXPECT_EQ(roleOf(lib), SourceRole::included);
    addInclude(lib, prog);
    EXPECT_EQ(roleOf(prog), SourceRole::includedMain);
}

TEST_F(ProjectRunTest, AnyMissingOutputMakesTheSourceOutOfDate) {
    writeFile("main.vel", "");
    for (const char *missing : {".cpp", ".hpp", ".o"}) {
        startRun();
        writeOutputs({"main"}, {".cpp", ".hpp", ".o"});
        std::filesystem::remove(std::string("main") + missing);
        scanAndTranslate("main.vel");
        EXPECT_FALSE(driverSettings.incremental) << missing;
        EXPECT_EQ(FakeTranslator::translated, (std::vector<std::string>{"main.vel"})) << missing;
    }
    // Without compiling, the object is no output the next run needs.
    startRun();
    driverSettings.cppOnly = true;
    writeOutputs({"main"}, {".cpp", ".hpp"});
    recordDigests("main.vel");
    std::filesystem::remove("main.o");
    scanAndTranslate("main.vel");
    EXPECT_TRUE(driverSettings.incremental);
}

TEST_F(ProjectRunTest, StaleIncludeRetranslatesItsIncluders) {
    writeFile("main.vel", "include mid.vel\ninclude side.vel\n");
    writeFile("mid.vel", "include leaf.vel\n");
    writeFile("leaf.vel", "");
    writeFile("side.vel", "");
    writeOutputs({"main", "mid", "leaf", "side"}, {".cpp", ".hpp"});
    recordDigests("main.vel");
    setModificationTime("leaf.vel", 4000020);
    driverSettings.cppOnly = true;
    scanAndTranslate("main.vel");
    EXPECT_FALSE(driverSettings.incremental);
    EXPECT_EQ(FakeTranslator::translated,
              (std::vector<std::string>{"leaf.vel", "mid.vel", "main.vel"}));
    EXPECT_EQ(FakeTranslator::declarationsRead, (std::vector<std::string>{"side.vel"}));
}

// An up-to-date source read for its declarations: nothing printed, its
// files untouched, its errors neither counted nor the run's status.
TEST_F(ProjectRunTest, SourceReadForDeclarationsLeavesNoTrace) {
    writeFile("main.vel", "include lib.vel\n");
    writeFile("lib.vel", "x\n");
    writeOutputs({"main", "lib"}, {".cpp", ".hpp", ".o"});
    recordDigests("main.vel");
    std::string libHeader = readFile("lib.hpp");
    setModificationTime("main.vel", 4000020);
    FakeTranslator::errors["lib.vel"] = 3;
    FakeTranslator::errors["main.vel"] = 1;
    driverSettings.verbose = true;
    FakeTranslator::noisy = true;
    testing::internal::CaptureStderr();
    std::string trace = scanAndTranslate("main.vel");
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(FakeTranslator::declarationsRead, (std::vector<std::string>{"lib.vel"}));
    EXPECT_EQ(FakeTranslator::translated, (std::vector<std::string>{"main.vel"}));
    EXPECT_EQ(trace.find("translating lib.vel"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("lib.vel, compiled"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("Compiling source lib.vel"), std::string::npos) << trace;
    EXPECT_NE(trace.find("translating main.vel\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("\n0/1 compiled\n"), std::string::npos) << trace;
    EXPECT_EQ(errors, "translating main.vel\n");
    for (const char *kind : {".cpp", ".hpp", ".o"}) {
        EXPECT_EQ(readFile(std::string("lib") + kind), kind[1] == 'h' ? libHeader : oldOutput("lib", kind, false)) << kind;
        EXPECT_EQ(modificationTime(std::string("lib") + kind), 4000010) << kind;
    }
    EXPECT_FALSE(partialOutputLeft());
    EXPECT_EQ(project.runErrorTotal, 1);
    EXPECT_EQ(project.sourceErrorCount, 1);
    EXPECT_FALSE(std::filesystem::exists(temporaryFile));
}

}  // namespace
