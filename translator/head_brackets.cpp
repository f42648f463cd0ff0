#include "translator/head_brackets.hpp"

#include <antlr/CommonToken.hpp>

#include <string>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "semantics/classes.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"
#include "translator/token_places.hpp"
#include "translator/word_guesses.hpp"

namespace {

using T = VLTokenTypes;

bool endsTheHead(int type) {
    return type == T::EOL || type == T::Q_COMMENT || type == T::COLON || type == T::QUESTION ||
           type == T::LEFTCURLY || type == antlr::Token::EOF_TYPE;
}

// A type word, or the name of a class of the program: not the word of
// another language that begins a function (`func f(x: Int)`).
bool isReturnType(const antlr::RefToken &token) {
    static const int types[] = {T::LITERAL_int,  T::LITERAL_integer, T::LITERAL_natural, T::LITERAL_real,
                                T::LITERAL_number, T::LITERAL_var,   T::LITERAL_text,    T::LITERAL_byte,
                                T::LITERAL_char, T::LITERAL_bool};
    if (token->getType() == T::IDENT)
        return findClass(token->getText()) >= 0;
    for (int candidate : types)
        if (candidate == token->getType())
            return true;
    return false;
}

bool endsTheLine(int type) { return type == T::EOL || type == T::Q_COMMENT || type == antlr::Token::EOF_TYPE; }

// The source text of the head from its first token to the one at `last`.
std::string headText(TokenQueue &tokens, unsigned int last) {
    const std::string &line = lineOf(tokens.LT(1));
    int from = columnOf(tokens.LT(1)) - 1, to = afterOf(tokens.LT(last)) - 1;
    if (from < 0 || to > static_cast<int>(line.size()) || to <= from)
        return "";
    return line.substr(static_cast<std::string::size_type>(from), static_cast<std::string::size_type>(to - from));
}

std::string writeHint(const std::string &head) { return head.empty() ? "" : "write `" + head + "`"; }

// The bracket at `at` is one too many: told, and left out.
void dropStray(TokenQueue &tokens, unsigned int at, unsigned int last) {
    antlr::RefToken stray = tokens.LT(at);
    std::string head = headText(tokens, last);
    std::string::size_type place = static_cast<std::string::size_type>(columnOf(stray) - columnOf(tokens.LT(1)));
    if (place < head.size())
        head.erase(place, 1);
    reportSyntaxAt(stray, "unexpected `" + stray->getText() + "`", writeHint(head));
    tokens.drop(at);
}

}  // namespace

void mendHeadBrackets(TokenQueue &tokens) {
    if (!isReturnType(tokens.LT(1)) || tokens.LA(2) != T::IDENT || tokens.LA(3) != T::LEFTPAR ||
        !firstOnItsLine(tokens.LT(1)))
        return;
    int depth = 0;
    unsigned int lastClose = 0, at = 3;
    for (; !endsTheHead(tokens.LA(at)); at++) {
        int type = tokens.LA(at);
        if (type == T::LEFTPAR) {
            depth++;
        } else if (type == T::RIGHTPAR) {
            if (--depth < 0) {
                dropStray(tokens, at, lastClose);
                return;
            }
            lastClose = at;
        }
    }
    if (depth <= 0)
        return;
    // No parameter begins with a bracket: a doubled `(` is the stray one.
    if (tokens.LA(4) == T::LEFTPAR && lastClose != 0) {
        dropStray(tokens, 4, lastClose);
        return;
    }
    // Only a line that ends where its `)` would stand lacks it.
    if (depth != 1 || !endsTheLine(tokens.LA(at)))
        return;
    antlr::RefToken last = tokens.LT(at - 1), end = tokens.LT(at);
    reportSyntax(last->getLine(), afterOf(last), afterOf(last), "expected `)`, found the end of the line",
                 "the `(` of column " + std::to_string(columnOf(tokens.LT(3))) + " is not closed: " +
                     writeHint(headText(tokens, at - 1) + ")"));
    antlr::RefToken close(new antlr::CommonToken(T::RIGHTPAR, ")"));
    close->setLine(last->getLine());
    close->setColumn(last->getColumn() + static_cast<int>(last->getText().size()));
    tokens.replaceRange(at, at, {close, end});
}
