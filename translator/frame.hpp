#pragma once
// The frame of one source's translation: output files, prologue, the
// generated main function and its epilogue, header section items.
#include <string>

// Top-level statements of main per generated function: past this many, main
// goes on in a further function that it calls last. One function for a long
// program would pass the WebAssembly engines' limit of locals, and compile
// times grow faster than the size of a function.
constexpr int MAIN_PART_STATEMENTS = 200;
// A main compiled in pieces ends its parts where the text says instead
// (main_pieces.hpp), so that a statement inserted or removed moves no cut
// but the one of its own part: after a statement that marks a cut, one in
// about MAIN_PIECE_MARK_SPACING by its text alone, when at least as many
// statements stand between it and the last mark before it; at the latest
// after MAIN_PIECE_STATEMENTS.
constexpr int MAIN_PIECE_MARK_SPACING = 64;
constexpr int MAIN_PIECE_STATEMENTS = 300;
// The function definitions of a split source go to pieces the same way,
// of about FUNCTION_PIECE_LINES lines of C++ whatever the size of the
// functions: after a function whose text marks a cut (a function of n lines
// marks one with the chance n / FUNCTION_PIECE_LINES), when at least a
// quarter of that stands between it and the last mark; at the latest after
// four times as many lines.
constexpr int FUNCTION_PIECE_LINES = 400;

// The includes every implementation file starts with, before the configured
// headers: what a precompiled prologue must hold.
std::string prologueText();

// Outputs are written under this name and renamed when complete, so that a
// run that is killed never leaves a truncated file under the real name for
// the next run to trust. The process number keeps two runs in one directory
// from writing into one file.
std::string partialOutputName(const std::string &path);

// The header's line that records the stamp of the run that wrote it; the
// driver reads it back to decide whether the outputs are its own.
std::string stampLine(const std::string &stamp);
// The line after it: the digest of the source's contents and of every
// source it includes, which tells an edit from the build when the file
// times tie. Pieces leave it out of what they depend on.
std::string sourceDigestLine(const std::string &digest);
// A short fixed-width digest of a text (64-bit FNV-1a in 16 hex digits): the
// build stamp and the dependencies a piece records are written with it.
std::string textDigest(const std::string &text);

void beginSourceFile();
// Writes the epilogue when main is open and hands the complete texts to the
// translation's result; safe to call twice.
void endSourceFile();
// endSourceFile after the parse ended in an exception: the texts are
// complete, or dropped when that fails too.
void endSourceFileAfterFailure();
void writeOwnHeaderInclude();

// A line end consumed at statement level: counted, and at most one blank line kept.
void lineEnd();
void writeComment(const std::string &tokenText);

void beginInclude();
void includeQuoted(const std::string &literal);
void includeAngle(const std::string &path);
void beginImport();
void endImport();

// Opens "int main(" before the first executable top-level statement of the main source.
void openMainIfNeeded();
// A top-level call opens main too, unless it calls main itself.
void openMainForCall(const std::string &name);
// Counts the top-level statements of main; before the next one, main goes
// on in a new function once the current one holds MAIN_PART_STATEMENTS.
void endTopLevelStatement();
void continueMainIfLong();
// Ends the current main part and opens the next one.
void continueMain();
