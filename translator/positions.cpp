#include "translator/positions.hpp"

#include <cctype>
#include <cstring>
#include <utility>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/quoted_texts.hpp"

namespace {

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where `name` stands as a whole word on the line (byte index), the last
// one starting before `before`, or the first when `before` is npos.
std::string::size_type findWord(const std::string &line, const std::string &name, std::string::size_type before) {
    std::string::size_type found = std::string::npos;
    for (std::string::size_type at = line.find(name); at != std::string::npos; at = line.find(name, at + 1)) {
        if (before != std::string::npos && at >= before)
            break;
        bool startsWord = at == 0 || !isNameCharacter(line[at - 1]) || !isNameCharacter(name.front());
        std::string::size_type end = at + name.size();
        bool endsWord = end >= line.size() || !isNameCharacter(line[end]) || !isNameCharacter(name.back());
        if (startsWord && endsWord) {
            found = at;
            if (before == std::string::npos)
                break;
        }
    }
    return found;
}

// The operators a kind of expression of the "can't solve" message is
// written with.
struct OperatorsOfKind {
    const char *kind;
    std::vector<std::string> operators;
};

const std::vector<OperatorsOfKind> &operatorKinds() {
    static const std::vector<OperatorsOfKind> kinds = {
        {"add or substract", {"+", "-"}},
        {"multiply", {"*"}},
        {"divide", {"/"}},
        {"modulo", {"mod", "%"}},
        {"boolean", {"and", "or", "xor", "&&", "||"}},
        {"binary", {"&", "|", "^"}},
        {"shift", {"<<", ">>"}},
        {"relational", {"<=", ">=", "<>", "!=", "<", ">", "="}},
        {"in", {"in"}},
    };
    return kinds;
}

// The byte index and length of the last of `operators` on the line that
// starts before `before`, outside quoted texts; npos when there is none.
std::pair<std::string::size_type, std::string::size_type> lastOperator(const std::string &line,
                                                                     const std::vector<std::string> &operators,
                                                                     std::string::size_type before) {
    std::pair<std::string::size_type, std::string::size_type> found{std::string::npos, 0};
    QuotedTexts texts;
    for (std::string::size_type at = 0; at < line.size() && at < before; at++) {
        if (texts.holds(line, at))
            continue;
        for (const std::string &op : operators) {
            if (line.compare(at, op.size(), op) != 0)
                continue;
            bool word = isNameCharacter(op.front());
            if (word && ((at > 0 && isNameCharacter(line[at - 1])) ||
                         (at + op.size() < line.size() && isNameCharacter(line[at + op.size()]))))
                continue;
            found = {at, op.size()};
            at += op.size() - 1;
            break;
        }
    }
    return found;
}

// The first "=" of the line that is no comparison ("<=", "==" ...), outside
// quoted texts.
std::string::size_type assignmentSign(const std::string &line, std::string::size_type before) {
    QuotedTexts texts;
    for (std::string::size_type at = 0; at < line.size() && at < before; at++) {
        if (texts.holds(line, at))
            continue;
        if (line[at] == '=') {
            bool joined = (at > 0 && std::strchr("<>!=", line[at - 1])) ||
                          (at + 1 < line.size() && line[at + 1] == '=');
            if (!joined)
                return at;
        }
    }
    return std::string::npos;
}

// The name a message quotes in its text ("\"twice\" requires ..."), or empty.
std::string quotedName(const std::string &message) {
    std::string::size_type open = message.find('"');
    std::string::size_type close = open == std::string::npos ? open : message.find('"', open + 1);
    return close == std::string::npos ? "" : message.substr(open + 1, close - open - 1);
}

// A call's extent on its line: from the function's name at `at` to the
// ")" that closes its arguments (the name alone when none follows).
std::string::size_type callLength(const std::string &line, std::string::size_type at, std::string::size_type nameLength) {
    std::string::size_type open = line.find_first_not_of(" \t", at + nameLength);
    if (open == std::string::npos || line[open] != '(')
        return nameLength;
    int depth = 0;
    QuotedTexts texts;
    for (std::string::size_type i = open; i < line.size(); i++) {
        char c = line[i];
        if (texts.holds(line, i))
            continue;
        if (c == '(') {
            depth++;
        } else if (c == ')' && --depth == 0) {
            return i + 1 - at;
        }
    }
    return nameLength;
}

// The subscript that ends before `end` ("[0]" of "a[1..3][0]"): its first
// byte and its length, or npos.
std::pair<std::string::size_type, std::string::size_type> lastSubscript(const std::string &line,
                                                                        std::string::size_type end) {
    std::string::size_type close = end == 0 ? std::string::npos : line.find_last_not_of(" \t", end - 1);
    if (close == std::string::npos || line[close] != ']')
        return {std::string::npos, 0};
    int depth = 0;
    for (std::string::size_type i = close + 1; i-- > 0;) {
        if (line[i] == ']')
            depth++;
        else if (line[i] == '[' && --depth == 0)
            return {i, close + 1 - i};
    }
    return {std::string::npos, 0};
}

// The part of a nameless message's line that its code tells: the word it
// speaks of, the operator of the expression it cannot solve, the value it
// cannot assign. False when the code tells nothing or the line lacks it.
bool locateByCode(Diagnostic &diagnostic, const std::string &text, std::string::size_type reached) {
    std::string::size_type end = reached == std::string::npos ? text.size() : reached;
    std::pair<std::string::size_type, std::string::size_type> span{std::string::npos, 0};
    switch (diagnostic.code) {
    case E_RETURN_MISPLACED: span = lastOperator(text, {"return"}, end); break;
    case E_LET_TWICE: span = lastOperator(text, {"let"}, end); break;
    case E_INDEX_ON_RANGE: case E_KEYS_TEXTS: span = lastSubscript(text, end); break;
    case TPL_CANT_SOLVE:
        for (const OperatorsOfKind &kind : operatorKinds())
            if (diagnostic.message.compare(0, 12 + std::strlen(kind.kind), std::string("can't solve ") + kind.kind) == 0)
                span = lastOperator(text, kind.operators, end);
        break;
    case TPL_CALL: case TPL_ARGUMENT_COUNT: {
        std::string name = quotedName(diagnostic.message);
        if (name.empty())
            return false;
        span = lastOperator(text, {name}, end);
        if (span.first != std::string::npos)
            span.second = callLength(text, span.first, name.size());
        break;
    }
    case TPL_REQUIRED_FOUND: {
        // What was found, where the line holds it: the word quoted ("the
        // reserved word \"void\"", "the type \"int\" called"), else the
        // value named after "found" (a byte of 300).
        std::string found = quotedName(diagnostic.message);
        std::string::size_type after = diagnostic.message.rfind("found ");
        if (found.empty() && after != std::string::npos) {
            found = diagnostic.message.substr(after + 6);
            while (!found.empty() && (found.back() == '.' || found.back() == ' '))
                found.pop_back();
        }
        if (found.empty())
            return false;
        std::string::size_type at = findWord(text, found, reached == std::string::npos ? reached : reached + 1);
        if (at == std::string::npos)
            at = findWord(text, found, std::string::npos);
        span = {at, found.size()};
        if (at != std::string::npos)
            break;
        // What was found is not written on the line (an object's class):
        // the value assigned, when the line assigns one.
        [[fallthrough]];
    }
    case TPL_CANT_ASSIGN: {
        std::string::size_type sign = assignmentSign(text, end);
        if (sign == std::string::npos)
            return false;
        std::string::size_type value = text.find_first_not_of(" \t", sign + 1);
        std::string::size_type last = text.find_last_not_of(" \t\f\r", end == 0 ? 0 : end - 1);
        if (value == std::string::npos || last == std::string::npos || last < value)
            return false;
        span = {value, last + 1 - value};
        break;
    }
    default: return false;
    }
    if (span.first == std::string::npos)
        return false;
    diagnostic.column = static_cast<int>(span.first) + 1;
    diagnostic.endColumn = static_cast<int>(span.first + span.second);
    return true;
}

}  // namespace

int byteColumn(const std::string &line, int scannerColumn) {
    int column = 1;
    for (std::string::size_type i = 0; i < line.size(); i++) {
        if (column >= scannerColumn)
            return static_cast<int>(i) + 1;
        column = line[i] == '\t' ? ((column - 1) / 8 + 1) * 8 + 1 : column + 1;
    }
    return static_cast<int>(line.size()) + 1 + (scannerColumn - column);
}

TokenPositions::TokenPositions(const std::string &sourceText, const TokenQueue &tokens) : tokens_(tokens) {
    std::string::size_type start = 0;
    while (start <= sourceText.size()) {
        std::string::size_type end = sourceText.find('\n', start);
        if (end == std::string::npos)
            end = sourceText.size();
        lines_.push_back(sourceText.substr(start, end - start));
        start = end + 1;
    }
}

const std::string &TokenPositions::line(int number) const {
    static const std::string none;
    if (number < 1 || static_cast<std::size_t>(number) > lines_.size())
        return none;
    return lines_[static_cast<std::size_t>(number - 1)];
}

void TokenPositions::locate(Diagnostic &diagnostic, const std::string &name) const {
    const std::string &text = line(diagnostic.line);
    std::string::size_type firstWord = text.find_first_not_of(" \t\f\r");
    if (firstWord == std::string::npos)
        return;
    // The end of the last token read on this line, when the parse is on it.
    std::string::size_type reached = std::string::npos;
    antlr::RefToken last = tokens_.lastConsumed();
    if (last && last->getLine() == diagnostic.line && last->getType() != VLTokenTypes::EOL) {
        int start = byteColumn(text, last->getColumn());
        reached = static_cast<std::string::size_type>(start - 1) + last->getText().size();
    }
    if (!name.empty()) {
        std::string::size_type at = findWord(text, name, reached == std::string::npos ? reached : reached + 1);
        if (at == std::string::npos && reached != std::string::npos)
            at = findWord(text, name, std::string::npos);
        if (at != std::string::npos) {
            diagnostic.column = static_cast<int>(at) + 1;
            diagnostic.endColumn = static_cast<int>(at + name.size());
            return;
        }
    }
    if (name.empty() && locateByCode(diagnostic, text, reached))
        return;
    std::string::size_type lastByte = text.find_last_not_of(" \t\f\r");
    if (reached != std::string::npos && reached > firstWord)
        lastByte = reached - 1;
    diagnostic.column = static_cast<int>(firstWord) + 1;
    diagnostic.endColumn = static_cast<int>(lastByte) + 1;
}
