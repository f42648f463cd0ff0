// A long main source compiled in pieces, seen from the command line with
// stand-in tools: which C++ files each run compiles, what it links, and what
// is left of the pieces of an earlier, longer program.
#include <algorithm>
#include <sstream>

#include "translator/frame.hpp"
#include "velc_command_line.hpp"

namespace {

using namespace cli_test;

// Two pieces, full with the statements of main; `last` is a statement of
// the last piece.
std::string threeParts(const std::string &last) {
    std::string text = "int n = 0\n";
    for (int i = 0; i < 2 * MAIN_PIECE_STATEMENTS - 2; i++)
        text += "n = n + 1\n";
    return text + last + "\nprint n\n";
}

class MainPieces : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        writeFile("velc.ini", "pieces=1\njobs=2\n");
        writeFile("prog.vel", threeParts("n = n + 1"));
    }

    std::vector<std::string> compiledFiles() {
        std::vector<std::string> files;
        std::istringstream lines(stdoutText);
        for (std::string line; std::getline(lines, line);)
            if (line.compare(0, 10, "Compiling ") == 0)
                files.push_back(line.substr(10));
        return files;
    }

    bool hasFile(const std::string &name) { return fs::exists(directory + "/" + name); }

    int recordedPieces() {
        std::string header = readFile("prog.hpp");
        std::string::size_type at = header.rfind("// velc pieces: ");
        return at == std::string::npos ? 0 : std::stoi(header.substr(at + 16));
    }
};

TEST_F(MainPieces, FirstBuildCompilesAndLinksEveryPiece) {
    ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.cpp", "prog.1.cpp", "prog.2.cpp"})) << stdoutText;
    EXPECT_NE(stdoutText.find("objlist= prog.o prog.1.o prog.2.o\n"), std::string::npos) << stdoutText;
    EXPECT_NE(readFile("prog.hpp").find("\n// velc pieces: 2\n"), std::string::npos);
    EXPECT_NE(readFile("prog.2.cpp").find("#include \"prog.hpp\""), std::string::npos);

    // Nothing changed: nothing is translated, compiled or linked.
    takeToolLog();
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    EXPECT_EQ(compiledFiles(), std::vector<std::string>{}) << stdoutText;
    std::string log = takeToolLog();
    EXPECT_EQ(log.find("em++"), std::string::npos) << log;
    EXPECT_EQ(log.find("emcc"), std::string::npos) << log;
}

TEST_F(MainPieces, AnEditCompilesThePieceItChangedAlone) {
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    writeFile("prog.vel", threeParts("n = n + 2"));
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.2.cpp"})) << stdoutText;
    EXPECT_NE(stdoutText.find("objlist= prog.o prog.1.o prog.2.o\n"), std::string::npos) << stdoutText;

    // The same text again, translated with -b: every piece is compiled.
    ASSERT_EQ(run("-b -e prog"), 0) << stdoutText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.cpp", "prog.1.cpp", "prog.2.cpp"})) << stdoutText;
}

TEST_F(MainPieces, APieceWithoutItsObjectIsCompiledAgain) {
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    fs::remove(directory + "/prog.1.o");
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.1.cpp"})) << stdoutText;

    // Pieces written by a run with -c have no object yet.
    writeFile("prog.vel", threeParts("n = n + 3"));
    ASSERT_EQ(run("-c prog"), 0) << stdoutText;
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.2.cpp"})) << stdoutText;
}

// Statements of distinct texts, so that the parts end where the texts say;
// `inserted` goes before statement `at`.
std::string distinctStatements(int count, int at = -1, const std::string &inserted = "") {
    std::string text = "int n = 0\n";
    for (int i = 0; i < count; i++)
        text += (i == at ? inserted + "\n" : "") + "n = n + " + std::to_string(i) + "\n";
    return text + "print n\n";
}

// Line directives in pieces count from the piece's first line: a line
// inserted or removed before a piece leaves its text alone, and only the
// table of first lines, which the last piece keeps, changes.
TEST_F(MainPieces, AnInsertedLineCompilesItsOwnPieceAndTheLineTable) {
    writeFile("velc.ini", "pieces=1\njobs=2\nlines=1\n");
    writeFile("prog.vel", distinctStatements(3000));
    ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
    int pieces = recordedPieces();
    ASSERT_GE(pieces, 6) << readFile("prog.hpp");
    std::string last = "prog." + std::to_string(pieces) + ".cpp";
    EXPECT_NE(readFile(last).find("_vel_piece_lines_prog[] = {"), std::string::npos);
    std::string later = "prog." + std::to_string(pieces - 1) + ".cpp";
    std::string laterText = readFile(later);
    EXPECT_NE(laterText.find("#line 1 \"prog.vel+\""), std::string::npos) << laterText;

    for (const char *inserted : {"print \"inserted\"", "", "# a comment\nn = n - 1"}) {
        writeFile("prog.vel", distinctStatements(3000));
        ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
        writeFile("prog.vel", distinctStatements(3000, 1500, inserted));
        ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
        std::vector<std::string> compiled = compiledFiles();
        // The piece the line went to (and the next one when it moved a
        // cut), and the last one.
        EXPECT_TRUE(compiled.size() == 2 || compiled.size() == 3) << stdoutText;
        EXPECT_EQ(std::count(compiled.begin(), compiled.end(), "prog.cpp"), 0) << stdoutText;
        EXPECT_EQ(std::count(compiled.begin(), compiled.end(), last), 1) << stdoutText;
        EXPECT_EQ(recordedPieces(), pieces) << inserted;
        EXPECT_EQ(readFile(later), laterText) << inserted;
    }
    // Without line directives prog.cpp does not change either.
    writeFile("velc.ini", "pieces=1\njobs=2\nlines=0\n");
    writeFile("prog.vel", distinctStatements(3000));
    ASSERT_EQ(run("-b -e prog"), 0) << stdoutText;
    writeFile("prog.vel", distinctStatements(3000, 1500, "print \"inserted\""));
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    std::vector<std::string> compiled = compiledFiles();
    EXPECT_TRUE(compiled.size() == 1 || compiled.size() == 2) << stdoutText;
    for (const std::string &file : compiled)
        EXPECT_NE(file, "prog.cpp");
}

// `count` functions of distinct texts after a split main; `edit` changes
// the body of function `edited`.
std::string withFunctions(int count, int edited = -1, const std::string &edit = "") {
    std::string text = threeParts("n = n + f0(1)");
    for (int i = 0; i < count; i++)
        text += "\nint f" + std::to_string(i) + "(int v)\n    v = v + " +
                (i == edited ? edit : std::to_string(i)) + "\nreturn v * 2\n";
    return text;
}

// The function definitions of a split main go to pieces after the main
// parts', a few each, cut where their texts say: an edit in one function
// compiles its piece alone, and one that adds a line (lines=1) the pieces
// from it on, and no main part.
TEST_F(MainPieces, AnEditInAFunctionCompilesItsPieceAlone) {
    writeFile("velc.ini", "pieces=1\njobs=2\nlines=1\n");
    writeFile("prog.vel", withFunctions(60));
    ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
    int pieces = recordedPieces();
    ASSERT_GE(pieces, 2 + 60 / FUNCTION_PIECE_FUNCTIONS) << readFile("prog.hpp");
    EXPECT_EQ(readFile("prog.cpp").find("int f30(int v)\n{"), std::string::npos);
    int holding = 0;
    for (int number = 3; number <= pieces; number++) {
        std::string piece = readFile("prog." + std::to_string(number) + ".cpp");
        EXPECT_EQ(piece.find("_vel_main_prog"), std::string::npos) << number;
        // Each piece starts its functions with a line directive of its own.
        EXPECT_NE(piece.find("\n\n#line "), std::string::npos) << piece;
        if (piece.find("int f30(int v)\n{") != std::string::npos)
            holding = number;
    }
    ASSERT_NE(holding, 0);

    writeFile("prog.vel", withFunctions(60, 30, "1000"));
    ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
    EXPECT_EQ(compiledFiles(), std::vector<std::string>{"prog." + std::to_string(holding) + ".cpp"}) << stdoutText;
    EXPECT_EQ(recordedPieces(), pieces);

    writeFile("prog.vel", withFunctions(60, 30, "1000\n    v = v - 1"));
    ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
    std::vector<std::string> compiled = compiledFiles();
    EXPECT_EQ(std::count(compiled.begin(), compiled.end(), "prog.1.cpp"), 0) << stdoutText;
    EXPECT_EQ(std::count(compiled.begin(), compiled.end(), "prog.2.cpp"), 0) << stdoutText;
    EXPECT_EQ(std::count(compiled.begin(), compiled.end(), "prog." + std::to_string(holding - 1) + ".cpp"), 0)
        << stdoutText;
}

// A debugger reads the lines from the objects, so that a debug build's
// pieces name the source's own lines.
TEST_F(MainPieces, ADebugBuildsPiecesCountTheSourcesLines) {
    writeFile("velc.ini", "pieces=1\nlines=1\noptions=-c -g -O0\n");
    ASSERT_EQ(run("-c prog"), 0) << stdoutText;
    std::string piece = readFile("prog.2.cpp");
    EXPECT_EQ(piece.find("prog.vel+"), std::string::npos) << piece;
    EXPECT_NE(piece.find("\"prog.vel\""), std::string::npos) << piece;
    EXPECT_EQ(readFile("prog.cpp").find("_vel_piece_lines_prog"), std::string::npos);
}

TEST_F(MainPieces, AShorterProgramLeavesNoPiecesBehind) {
    writeFile("velc.ini", "pieces=100\njobs=2\n");
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    ASSERT_TRUE(hasFile("prog.2.cpp"));
    writeFile("prog.vel", "int n = 0\nprint n\n");
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    EXPECT_NE(stdoutText.find("objlist= prog.o\n"), std::string::npos) << stdoutText;
    for (const char *name : {"prog.1.cpp", "prog.1.o", "prog.2.cpp", "prog.2.o"})
        EXPECT_FALSE(hasFile(name)) << name;
    EXPECT_EQ(readFile("prog.hpp").find("velc pieces"), std::string::npos);
}

TEST_F(MainPieces, ProgramsShorterThanTheSettingStayInOneFile) {
    writeFile("velc.ini", "pieces=" + std::to_string(2 * MAIN_PIECE_STATEMENTS + 2) + "\n");
    ASSERT_EQ(run("-e prog"), 0) << stdoutText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.cpp"})) << stdoutText;
    EXPECT_FALSE(hasFile("prog.1.cpp"));

    // At the setting: split.
    writeFile("velc.ini", "pieces=" + std::to_string(2 * MAIN_PIECE_STATEMENTS + 1) + "\n");
    ASSERT_EQ(run("-b -e prog"), 0) << stdoutText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.cpp", "prog.1.cpp", "prog.2.cpp"})) << stdoutText;
}

TEST_F(MainPieces, AnIncludedSourceNamedLikeAPieceKeepsTheProgramWhole) {
    // Split first, so that the next run has pieces of that name to remove.
    ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
    ASSERT_TRUE(hasFile("prog.1.cpp"));
    writeFile("prog.1.vel", "int twice(int x)\nreturn x * 2\n");
    writeFile("prog.vel", "include \"prog.1.vel\"\n" + threeParts("n = twice(n)"));
    ASSERT_EQ(run("-e prog"), 0) << stdoutText << stderrText;
    EXPECT_EQ(compiledFiles(), (std::vector<std::string>{"prog.1.cpp", "prog.cpp"})) << stdoutText;
    EXPECT_NE(stdoutText.find("objlist= prog.o prog.1.o\n"), std::string::npos) << stdoutText;
    EXPECT_NE(readFile("prog.1.cpp").find("twice"), std::string::npos);
    EXPECT_EQ(readFile("prog.hpp").find("// velc pieces:"), std::string::npos);

    // Named otherwise, the same program is split.
    fs::rename(directory + "/prog.1.vel", directory + "/prog.lib.vel");
    writeFile("prog.vel", "include \"prog.lib.vel\"\n" + threeParts("n = twice(n)"));
    ASSERT_EQ(run("-b -e prog"), 0) << stdoutText << stderrText;
    EXPECT_NE(stdoutText.find("prog.2.cpp"), std::string::npos) << stdoutText;
}

}  // namespace
