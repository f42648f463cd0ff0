// Long main sources compiled in pieces (prog.1.cpp, prog.2.cpp, ...): every
// example, moved behind enough statements that its own code lands in the
// later pieces, prints what it prints in one file; and the pieces of a
// program that is edited, shortened or holds what pieces cannot share.
#include <gtest/gtest.h>

#include <fstream>

#include "example_runner.hpp"
#include "translator/frame.hpp"

namespace {

// Statements enough for two main parts ahead of the program's own.
std::string padded(const std::string &source) {
    std::string text = "int splitPadding = 0\n";
    for (int i = 0; i < 2 * MAIN_PIECE_STATEMENTS; i++)
        text += "splitPadding = splitPadding + 1\n";
    return text + source;
}

// A workspace whose velc.ini splits every main source that has parts.
class SplitWorkspace : public ExampleWorkspace {
public:
    explicit SplitWorkspace(const std::string &label) : ExampleWorkspace(label, NATIVE_INI) {
        std::ofstream(directory() + "/velc.ini", std::ios::app) << "\npieces=1\n";
    }
    std::string buildAndRun(const std::string &source) {
        addSource("prog", source);
        CommandOutcome build = run("./velc -q -e prog");
        if (build.status != 0 || !hasFile("prog.wasm") ||
            (build.standardOutput + build.standardError).find("warning:") != std::string::npos) {
            ADD_FAILURE() << describe(build);
            return "";
        }
        return run("./prog.wasm").standardOutput;
    }
};

class SplitExample : public testing::TestWithParam<std::string> {};

TEST_P(SplitExample, PrintsWhatItPrintsInOneFile) {
    const std::string name = GetParam();
    SplitWorkspace workspace("split_" + name);
    workspace.addSource(name, padded(exampleSource(name)));
    CommandOutcome build = workspace.build(name);
    ASSERT_EQ(build.status, 0) << describe(build);
    EXPECT_TRUE(workspace.hasFile(name + ".2.cpp")) << describe(build);
    CommandOutcome program = workspace.run("./" + name + ".wasm", exampleInputPath(name));
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_EQ(program.standardOutput, expectedOutput(name));
}

INSTANTIATE_TEST_SUITE_P(Examples, SplitExample, testing::ValuesIn(exampleNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

const std::string tail = "print \"last\", splitPadding\n";

TEST(SplitProgram, ArgumentsReachTheLaterPieces) {
    SplitWorkspace workspace("split_arguments");
    workspace.addSource("prog", "array argv = []\n" + padded("print argv.size(), argv[1]\n"));
    CommandOutcome build = workspace.build("prog");
    ASSERT_EQ(build.status, 0) << describe(build);
    EXPECT_TRUE(workspace.hasFile("prog.2.cpp"));
    EXPECT_EQ(workspace.run("./prog.wasm one two").standardOutput, "3 one\n");
}

// A static variable would be copied into every piece including the header.
TEST(SplitProgram, StaticVariablesKeepMainInOneFile) {
    SplitWorkspace workspace("split_static");
    EXPECT_EQ(workspace.buildAndRun("static int early = 5\n" + padded("static int late = 7\nlate = late + early\n") +
                                    "print late, early\n" + tail),
              "12 5\nlast 600\n");
    EXPECT_FALSE(workspace.hasFile("prog.1.cpp"));
    EXPECT_TRUE(workspace.hasFile("prog.cpp"));
}

// A variable declared in a later piece is defined in that piece, with its
// default value, and still seen by the functions, which prog.cpp holds.
TEST(SplitProgram, VariablesOfLaterPiecesAreDefinedInTheirPiece) {
    SplitWorkspace workspace("split_late_variables");
    std::string later = "text late = \"x\"\ndict d = {\"k\": 1}\nint[] xs = [1, 2]\nreal[] rs = [1.5]\n"
                        "array list = [3]\nprint show(), list[0]\n";
    std::string function = "text show()\nreturn late + d[\"k\"] + \", \" + xs[1].toText() + \", \" + rs[0].toText()\n";
    EXPECT_EQ(workspace.buildAndRun(padded(later) + tail + function), "x1, 2, 1.5 3\nlast 600\n");
    std::string main = readWholeFile(workspace.directory() + "/prog.cpp");
    EXPECT_EQ(main.find("text late="), std::string::npos) << main;
    EXPECT_EQ(main.find("_intArr xs="), std::string::npos) << main;
    std::string piece = readWholeFile(workspace.directory() + "/prog.3.cpp");
    EXPECT_NE(piece.find("\ntext late=\"\";\n"), std::string::npos) << piece;
    EXPECT_NE(piece.find("\n_intArr xs= _intArr();\n"), std::string::npos) << piece;
}

// The pieces would see its prototype alone.
TEST(SplitProgram, StaticFunctionsKeepMainInOneFile) {
    SplitWorkspace workspace("split_static_function");
    EXPECT_EQ(workspace.buildAndRun(padded("print twice(4)\n") + tail + "static int twice(int v)\nreturn v * 2\n"),
              "8\nlast 600\n");
    EXPECT_FALSE(workspace.hasFile("prog.1.cpp"));
}

// Each run builds on what the one before left: reused pieces must hold the
// program as it now is.
TEST(SplitProgram, EditedAndShortenedProgramsPrintTheirNewOutput) {
    SplitWorkspace workspace("split_edits");
    std::string program = padded("int late = 1\n") + "print \"late\", late\n" + tail;
    EXPECT_EQ(workspace.buildAndRun(program), "late 1\nlast 600\n");
    std::string edited = program;
    edited.replace(edited.find("int late = 1"), 12, "int late = 2");
    EXPECT_EQ(workspace.buildAndRun(edited), "late 2\nlast 600\n");
    EXPECT_EQ(workspace.buildAndRun("# a line more\n" + edited), "late 2\nlast 600\n");
    EXPECT_EQ(workspace.buildAndRun("int splitPadding = 3\n" + tail), "last 3\n");
    // Its statements are one piece now: the later ones are gone.
    EXPECT_TRUE(workspace.hasFile("prog.1.cpp"));
    EXPECT_FALSE(workspace.hasFile("prog.2.cpp"));
    EXPECT_FALSE(workspace.hasFile("prog.3.o"));
    EXPECT_EQ(workspace.buildAndRun(program), "late 1\nlast 600\n");
}

// A piece counts its line directives from its first line; the program
// still names the source's own line, in a loop of a piece too, and a line
// inserted above leaves the piece as it was.
TEST(SplitProgram, RunTimeErrorsInLaterPiecesNameTheSourcesLine) {
    SplitWorkspace workspace("split_error_lines");
    // velc runs what it built: the failing run is the test's own.
    auto failure = [&](const std::string &source) {
        workspace.addSource("prog", source);
        workspace.run("./velc -q -e prog");
        CommandOutcome program = workspace.run("./prog.wasm");
        return program.standardOutput + program.standardError;
    };
    std::string failing = padded("int divisor = 5\ndivisor = divisor - 5\nprint \"before\"\nfor i in 1..2\n"
                                 "    splitPadding = splitPadding / divisor\n/for\n");
    EXPECT_EQ(failure(failing), "before\nprog.vel L606: Run-time error: division by zero\n");
    // The last piece, which also keeps the table of the pieces' first lines.
    auto pieceCode = [&] {
        std::string text = readWholeFile(workspace.directory() + "/prog.3.cpp");
        return text.substr(0, text.find("// Where each piece of main starts"));
    };
    std::string piece = pieceCode();
    EXPECT_NE(piece.find("\"prog.vel+\""), std::string::npos) << piece;

    EXPECT_EQ(failure("# two lines\n# more\n" + failing), "before\nprog.vel L608: Run-time error: division by zero\n");
    EXPECT_EQ(pieceCode(), piece);

    EXPECT_EQ(failure(padded("int divisor = 5\ndivisor = divisor - 5\nsplitPadding = 1 / divisor\n")),
              "prog.vel L604: Run-time error: division by zero\n");
}

}  // namespace
