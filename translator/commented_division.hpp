#pragma once
// `x // 2`, Python's integer division: here `//` begins a comment, so the
// line is read as `x` and the divisor is lost without a word. Found in the
// source as written, since the translator never sees the comment.
#include <string>

struct CommentedDivision {
    int column = 0;      // of the `//`, from 1
    int endColumn = 0;   // the last byte of the divisor's expression
    std::string left;    // the value before `//`
    std::string right;   // the first value after it
};

// Whether `line` ends in a `//` comment that reads as a division: it
// follows a value and holds nothing but an arithmetic expression that
// starts with a number or a bracket, or uses an operator.
bool commentedDivision(const std::string &line, CommentedDivision &found);

// The message of a line that has no other one, and what to write.
std::string commentedDivisionMessage(const CommentedDivision &found);
std::string commentedDivisionHint(const CommentedDivision &found);
