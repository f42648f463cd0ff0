#include "translator/brackets.hpp"

#include <cctype>

#include "diagnostics/diagnostics.hpp"
#include "translator/evaluation_order.hpp"
#include "translator/expression_parts.hpp"
#include "translator/expressions.hpp"

namespace {

// Walks the text, calling `bracket` with +1 or -1 for each bracket outside
// the quoted literals (velc writes no raw strings); stops when it returns
// false.
template <typename Visit>
void walkBrackets(const std::string &text, Visit bracket) {
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (quote != 0) {
            if (c == '\\')
                i++;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        int step = c == '(' || c == '[' || c == '{' ? 1 : c == ')' || c == ']' || c == '}' ? -1 : 0;
        if (step != 0 && !bracket(i, step))
            return;
    }
}

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':';
}

// A name followed by the one pair of parentheses that ends the text: "f(a,b)".
bool isCall(const std::string &text) {
    std::size_t open = 0;
    while (open < text.size() && isNameCharacter(text[open]))
        open++;
    if (open == 0 || std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    return enclosedInParentheses(text.substr(open));
}

}  // namespace

bool enclosedInParentheses(const std::string &text) {
    if (text.size() < 2 || text.front() != '(' || text.back() != ')')
        return false;
    bool enclosed = true;
    int depth = 0;
    walkBrackets(text, [&](std::size_t at, int step) {
        depth += step;
        if (depth == 0 && at + 1 < text.size())
            enclosed = false;
        return enclosed;
    });
    return enclosed && depth == 0;
}

int bracketDepth(const std::string &text) {
    int depth = 0, deepest = 0;
    walkBrackets(text, [&](std::size_t, int step) {
        depth += step;
        deepest = depth > deepest ? depth : deepest;
        return true;
    });
    return deepest;
}

bool bindsTightly(const ExprValue &value) {
    if (value.flatChain != FLAT_NONE && value.flatLength == value.text.size())
        return true;
    if (nestingOf(value) > 0)
        return true;
    return enclosedInParentheses(value.text) || isCall(value.text);
}

void checkBracketDepth(const ExprValue &value) {
    // The statement's own expression holds those nested in it.
    if (expressions().depth != 1)
        return;
    int depth = bracketDepth(value.text);
    if (depth <= CPP_BRACKET_LIMIT)
        return;
    reportLimit("levels of brackets in the C++ of an expression", CPP_BRACKET_LIMIT, depth);
    throw NestingTooDeep("expression's C++ nested too deeply");
}
