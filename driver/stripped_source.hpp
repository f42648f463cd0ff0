#pragma once
// The copy of a source without its comments, which the translator reads,
// and the way back from its columns to the source as written: a block
// comment cut out of a line moves what follows it to the left.
#include <string>
#include <vector>

#include "diagnostics/diagnostic.hpp"
#include "semantics/symbol_index.hpp"

// Where a stripping cut bytes out of a line: at `at` of what was left,
// `length` bytes, in the order made.
struct CommentCut {
    std::string::size_type at;
    std::string::size_type length;
};
using LineCuts = std::vector<CommentCut>;

struct StrippedSource {
    std::string text;              // one line for each line of the source
    std::string original;          // the source as read, lines ended by "\n"
    std::vector<LineCuts> cuts;    // of each line, from line 1

    // The column (from 1) of the source line that a column of the copy
    // stands at; 0 stays 0.
    int columnInSource(int line, int column) const;
};

// One line without its comments, with the block-comment state of the
// project carried from the line before.
std::string stripComments(const std::string &line);

// Reads a source (an unsaved editor text in its place when there is one)
// and strips its comments; keeps the copy when the user asked for it.
// Throws std::runtime_error when it cannot be read.
StrippedSource strippedSource(const std::string &path);

// The messages of `path` point at the source as written.
void placeInSource(std::vector<Diagnostic> &diagnostics, const std::string &path, const StrippedSource &source);
// So do the places that the index keeps of the latest reading of `path`,
// and its text becomes the source as written. Nothing without an index.
void placeIndexInSource(SymbolIndex *index, const std::string &path, const StrippedSource &source);
