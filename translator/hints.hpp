#pragma once
// Hints for the first guesses of programmers who come from other languages
// (`len(t)`, `a.append(x)`, `def f`, `whle`) and "did you mean" for a name
// close to one the program or the built-in table declares.
#include <string>
#include <vector>

#include "diagnostics/sink.hpp"

// Edit distance (insertions, deletions, substitutions, swaps of two
// neighbours), compared without letter case; stops counting past `limit`.
int editDistance(const std::string &a, const std::string &b, int limit);
// The candidate closest to `name`, within a distance that grows with its
// length; empty when none is close or the closest is the name itself.
std::string closestName(const std::string &name, const std::vector<std::string> &candidates);

class FirstGuessHints : public HintSource {
public:
    std::string hintFor(const Diagnostic &diagnostic, const std::string &name) const override;
};

// The words that begin a statement, for a misspelt first word.
const std::vector<std::string> &statementKeywords();
