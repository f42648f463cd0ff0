#pragma once
// A long main source's generated main goes on in functions (the main parts,
// see frame.hpp). When the source is split, each part after the first is
// written to an implementation file of its own, "prog.1.cpp", "prog.2.cpp"
// and so on, which starts like the source's own implementation file and
// holds the part alone. The driver does not write a piece whose text did not
// change, so that its object stays valid: an edit of a long program compiles
// the pieces it touched, and the compiler runs on several pieces at once.
#include <string>
#include <vector>

// The implementation file of piece `number` (from 1) of the source whose
// implementation file is cppName.
std::string pieceCppName(const std::string &cppName, int number);

// The header's line that records how many pieces the source was split
// into; the driver reads it back to link and check them.
std::string pieceCountLine(int count);
// The count a header records; 0 when the header records none or cannot be read.
int recordedPieceCount(const std::string &headerPath);
// The whole text of a file an earlier run wrote; found tells whether it
// could be read (an empty text is no proof of a missing file).
std::string readEarlierOutput(const std::string &path, bool &found);
// The line of every piece that records what its object depends on; a file
// without it is no piece.
constexpr const char *dependsPrefix = "// velc depends: ";


// The main part that now begins goes to a piece of its own.
void beginMainPiece();
// What a piece's part does first: when the source's pieces count their own
// lines, it tells libvel the line the piece starts on, from the table that
// the implementation file keeps (written with the pieces).
std::string pieceEntry(int part);
// A top-level statement ended: whether its text marks a place where the
// part may end (frame.hpp).
void noteStatementEnd();
// A file-level text that pieces cannot share (a static variable, which each
// file including the header would get a copy of): the source is not split.
void keepMainInOneFile();
// After main's epilogue: the implementation is the current output again.
// When the source is not to be split after all, the parts written to pieces
// are copied into it where they stand.
void endMainPieces();
// When the source is complete: the texts of its pieces, in order (none when
// main was not split), whose count is added to the header. The header must
// be complete, since the pieces' objects depend on it.
std::vector<std::string> finishMainPieces();
// Before and after a top-level item of main: a loop in a piece's part
// is written as a function of its own, which the part calls.
void beginTopLevelStatement(bool isLoop);
void endTopLevelLoop();
// A loop begins: when the part itself runs it, the part is compiled optimised.
void noteLoopInMain();
// A function definition has been written to the functions file.
void noteFunctionEnd();
// Instead of the implementation file, a split source's function
// definitions go to pieces of their own after the main parts', a few
// functions each, cut where the functions' texts say.
void keepFunctionsForPieces();
// Forgets the pieces' texts.
void discardMainPieces();
