#pragma once
// Hints for the first guesses of programmers who come from other languages
// (`len(t)`, `a.append(x)`, `def f`, `whle`) and "did you mean" for a name
// close to one the program or the built-in table declares.
#include <string>
#include <unordered_set>
#include <vector>

#include "diagnostics/sink.hpp"
#include "translator/line_spans.hpp"

// Edit distance (insertions, deletions, substitutions, swaps of two
// neighbours), compared without letter case; stops counting past `limit`.
int editDistance(const std::string &a, const std::string &b, int limit);
// The candidate closest to `name`, within a distance that grows with its
// length; empty when none is close or the closest is the name itself.
std::string closestName(const std::string &name, const std::vector<std::string> &candidates);

// A function written as another language writes it (`def f(x)`,
// `function f(x) {`): its lines and the name it would have defined.
struct ForeignFunction {
    int firstLine = 0;
    int lastLine = 0;
    std::string name;
};
// Those told so far: the lines they hold and the names they meant to define.
struct ForeignFunctions {
    LineSpans lines;
    std::unordered_set<std::string> names;
    bool empty() const { return lines.empty(); }
    void add(const ForeignFunction &function) {
        lines.add(function.firstLine, function.lastLine);
        if (!function.name.empty())
            names.insert(function.name);
    }
};

class FirstGuessHints : public HintSource {
public:
    std::string hintFor(const Diagnostic &diagnostic, const std::string &name) const override;
    void noteReported(const Diagnostic &diagnostic) const override;
    bool followsExplainedGuess(const Diagnostic &diagnostic, const std::string &name) const override;
};

// Whether a word begins a function in another language (`def`, `func`,
// `function`, or one of them misspelt).
bool isForeignFunctionWord(const std::string &word);

// A block of another language begun at `firstLine` (`when (x) {`), once
// told: what the parser makes of its lines, to its closing line, is no news.
void explainForeignBlock(int firstLine);

// What a function written as another language writes it is told.
extern const char *const foreignFunctionHint;

// The words that begin a statement, for a misspelt first word.
const std::vector<std::string> &statementKeywords();

// Whether the program declares `name` where the translation stands (a
// variable, in any letter case), or as a class or a function.
bool isDeclaredName(const std::string &name);
