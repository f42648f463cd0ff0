#include "translator/late_classes.hpp"

#include <algorithm>
#include <cctype>

#include "semantics/classes.hpp"
#include "semantics/symbols.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"

namespace {

const std::string lead = "the class is defined further down";

bool nameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The words of a line up to its first character that is no part of a name.
std::string::size_type wordEnd(const std::string &line, std::string::size_type at) {
    while (at < line.size() && nameCharacter(line[at]))
        at++;
    return at;
}

// Whether the line is the head of a class of that name: `class Name`,
// after modifiers such as `public`.
bool definesClass(const std::string &line, const std::string &name) {
    std::string::size_type at = line.find_first_not_of(" \t");
    while (at != std::string::npos && at < line.size()) {
        std::string::size_type end = wordEnd(line, at);
        if (end == at)
            return false;
        std::string word = line.substr(at, end - at);
        if (word == "class") {
            std::string::size_type start = line.find_first_not_of(" \t", end);
            if (start == std::string::npos || start == end)
                return false;
            return line.compare(start, name.size(), name) == 0 && wordEnd(line, start) == start + name.size();
        }
        at = line.find_first_not_of(" \t", end);
    }
    return false;
}

// The line the class must move above: the head of the class or function
// the use stands in (a class moved inside another would not help), or the
// use's own line at the file level.
int lineToMoveAbove(const TokenPositions &positions, int line) {
    const SourceTranslation &state = translation();
    if (scopes().inClass && state.classState.current >= 0) {
        const std::string &owner = classRecord(state.classState.current).name;
        for (int number = std::min(line, positions.lineCount()); number >= 1; number--)
            if (definesClass(positions.line(number), owner))
                return number;
    }
    int head = state.functionState.headLine;
    if (scopes().inFunction && head > 0 && head <= line)
        return head;
    return line;
}

}  // namespace

std::string lateClassHint(int line, const std::string &name) {
    const TokenPositions *positions = translation().positions;
    if (!positions || name.empty() || line < 1)
        return "";
    for (int number = line + 1; number <= positions->lineCount(); number++)
        if (definesClass(positions->line(number), name))
            return lead + ", at line " + std::to_string(number) + ": a class is known from its definition on; move `class " +
                   name + "` above line " + std::to_string(lineToMoveAbove(*positions, line));
    return "";
}

bool isLateClassHint(const std::string &hint) { return hint.compare(0, lead.size(), lead) == 0; }
