#pragma once
// A long main source's generated main goes on in functions (the main parts,
// see frame.hpp). When the source is split, each part after the first is
// written to an implementation file of its own, "prog.1.cpp", "prog.2.cpp"
// and so on, which starts like the source's own implementation file and
// holds the part alone. A piece whose text did not change is not written
// again, so that its object stays valid: an edit of a long program compiles
// the pieces it touched, and the compiler runs on several pieces at once.
#include <cstdio>
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

// What the translation of a source left for the build.
struct TranslatedPieces {
    bool split = false;
    // The implementation file of a split source is kept, with its object,
    // when its text is the same too.
    bool implementationToCompile = true;
    std::vector<std::string> cppFiles;    // every piece, in order
    std::vector<std::string> toCompile;   // those whose object is not valid
};


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
// Before the outputs are closed: writes the pieces whose text changed, adds
// their count to the header and removes the pieces of an earlier, longer
// split (all of them when this translation made none). The header must be
// complete, since the pieces' objects depend on it.
void writeMainPieces();
// Puts the complete implementation file in place: renamed from its partial
// name, or, for a split source whose file holds the same text, kept with its
// object (the partial file is then removed). False when the rename failed.
bool placeImplementation(const std::string &partial, const std::string &path);
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
// Closes the pieces' temporary files.
void discardMainPieces();
