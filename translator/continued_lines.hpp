#pragma once
// A line end inside a statement is read as its continuation after an
// operator, a comma or an open bracket: `x = a +` and `[1, 2` go on at the
// next line. When what stands there cannot continue them, the fault is the
// end of the line before (a missing value or closing bracket), not the
// first word of the next line, which begins a statement of its own.
#include <antlr/RecognitionException.hpp>
#include <antlr/Token.hpp>
#include <string>

// Whether a syntax error at the first token of a line is one that the
// statement of the line before ran into (after its operator, comma or open
// bracket, or after a fault that cut that line short).
bool ranIntoNextLine(const antlr::RecognitionException &error, const antlr::RefToken &lastConsumed);
// Its message, at the unfinished end of the line before (nothing when that
// line has its message already).
void reportContinuedLine(const antlr::RecognitionException &error);

// Whether the parse had read a line end when `error` came (at the first
// token of the next line, or at the line end of a blank one).
bool cameAfterLineEnd(const antlr::RecognitionException &error, const antlr::RefToken &lastConsumed);
// The construct message just reported for such an error ("bad if
// syntax."): the operator that leaves the line before unfinished is named
// beside it, with what to write there. False when that line ends with no
// operator.
bool placeOnUnfinishedLine(const antlr::RecognitionException &error);

// The last line before `line` with code on it (blank lines and comments
// are passed over).
int lineBefore(int line);

// For a message about line `line`, a statement that the line before ran
// into: that line's unfinished end, and what it lacks. Empty otherwise.
std::string continuedLineHint(int line);
