#pragma once
// The output texts of the source being translated and the few operations
// through which every translating rule writes C++. Everything is written in
// memory; the driver writes the files once the translation is complete.
#include <deque>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <vector>

// One generated text while the translation makes it.
using OutputText = std::string;

// What the C++ compiler takes as the source position of the next line of one
// output file: known once a line directive has been written to it.
struct LineMapping {
    const OutputText *file = nullptr;
    int presumedLine = 0;      // 0: no directive yet
    bool atLineStart = true;
    bool countsFromPiece = false;   // presumedLine counts from the piece's first line
};

struct PieceLoops {
    // The file-level variables the piece's part declares, with their default
    // values: each unit then initialises its own few, where one unit
    // initialising them all compiles in time that grows faster than their
    // number.
    std::string definitions;
    std::string prototypes;
    std::string functions;
    bool loopInPart = false;   // a loop the part itself runs (inside an if, ...)
    int count = 0;             // loops made functions so far
};

struct OutputState {
    OutputText implementation;
    OutputText header;
    OutputText functions;            // function definitions, appended after main
    // Where the rules write: one of the texts above, a piece or a loop, or
    // nothing (an extern class writes nowhere).
    OutputText *implementationFile = nullptr;
    OutputText *headerFile = nullptr;
    OutputText *currentOutput = nullptr;
    OutputText *savedImplementation = nullptr;
    OutputText *functionsFile = nullptr;
    bool writingHeader = false;
    int blankLines = 0;        // line ends written since the last text
    int indentLevel = 0;       // four blanks per level
    int savedIndentImplementation = 0;
    int savedIndentHeader = 0;
    bool mainOpened = false;
    bool mainWritten = false;  // the generated main has been opened in this source
    bool topLevelItemsSeen = false;  // a declaration, definition or statement
    bool mainHasArgv = false;  // main holds the program's arguments in a local argv
    int mainParts = 0;         // functions that continue main (see frame.hpp)
    int mainPartStatements = 0;
    // The main parts after the first go to pieces of their own (see
    // main_pieces.hpp), unless the source holds what pieces cannot share.
    bool splitMain = false;
    bool mainKeptWhole = false;
    std::deque<OutputText> mainPieces;   // one per part
    // The loops at the top level of a piece's part are functions of their
    // own, compiled fully optimised; a part with no loop left in it runs once
    // and is compiled without optimisation.
    std::vector<PieceLoops> pieceLoops;   // one per piece
    OutputText loopText;
    OutputText *loopFile = nullptr;       // &loopText while a loop is written
    std::string loopName;
    // Where the parts of a split main end: the line the statement being
    // read began on, and whether the last one marks a cut.
    int statementFirstLine = 1;
    int statementsSinceMark = 0;
    bool cutAfterStatement = false;
    const std::string *sourceText = nullptr;   // the source as the lexer reads it
    std::vector<std::size_t> lineStarts;       // offsets of its lines, once needed
    // The source line each piece's part begins on; its line directives
    // count from there when the source's pieces count their own lines.
    std::vector<int> pieceFirstLines;
    std::size_t preambleSize = 0;     // what every piece starts with
    // Where each function definition of the functions file ends; with the
    // main split, the definitions go to pieces of their own (main_pieces.hpp).
    std::vector<std::size_t> functionEnds;
    std::string functionsText;
    bool inImport = false;
    bool importSeen = false;
    // The headers of included sources the implementation has included.
    std::unordered_set<std::string> includedHeaders;
    // Line directives that give each generated statement its source
    // position, for compiler messages, run-time errors and debuggers.
    bool mapLines = false;
    std::string mappedSourceName;   // as a C++ string literal
    std::string mappedPieceName;    // the same name marked as counted from a piece's start
    bool piecesCountOwnLines = false;
    LineMapping mappings[5];        // implementation, header, functions, current piece, loop
};

// The outputs of the translation in progress.
OutputState &output();

// Outputs that could not be written completely; its text names the file
// and the cause.
struct OutputWriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void emit(const std::string &text);
void emitChar(char c);
void newlineOnce();
void writeIndent();
void emitIndented(const std::string &text);
// The text of a statement of an earlier source line, indented; with line
// directives the compiler counts it on that line.
void emitIndentedAt(int sourceLine, const std::string &text);
void switchToHeader();
void switchToImplementation();
// What a line directive adds to the source's name when its line counts from
// the first line of a piece (libvel knows the mark too).
constexpr const char *pieceLineMark = "+";
// Starts the line directives of a source, which the compiler is to take as
// sourceName; the three outputs must be in place.
void beginLineMapping(const std::string &sourceName, bool piecesCountOwnLines);
// Before text of the diagnostics' current source line at the start of a generated line:
// writes a line directive unless the compiler already counts this line so.
void mapSourceLine();
void mapSourceLine(int sourceLine);
// Ends a line begun, if any, so that the next text is placed on the present
// source line.
void mapSourceLineOnNewLine();
// A piece's or a loop's text starts with its own directive.
void startPieceMapping(const OutputText *piece);
void startLoopMapping(const OutputText *loop);
// A function definition of a split source starts with its own directive,
// since the file it goes to may begin with it.
void startFunctionMapping();
// What follows the current output now continues at the position the other
// text left, as when that text has just been copied into it.
void continueMappingOf(const OutputText *copied);
// The directive that makes the compiler count the next line of the current
// output as it counts it now (empty when it has no count yet), and the step
// that makes the next mapped line write one, for text that is moved.
std::string presentLineDirective();
void forgetPresentLine();
