#pragma once
// The helpers that the readers of first lines written as another language
// writes them share (foreign_heads.cpp, foreign_loops.cpp): the text of a
// line around its tokens, the message of a word, the brackets of a line.
#include <antlr/Token.hpp>

#include <string>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/positions.hpp"
#include "translator/token_places.hpp"
#include "translator/token_queue.hpp"

namespace foreign_head_parts {

inline std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The source text between two tokens of a line, both left out.
inline std::string textBetween(const antlr::RefToken &after, const antlr::RefToken &before) {
    const std::string &line = lineOf(after);
    int from = afterOf(after) - 1, to = columnOf(before) - 1;
    if (before->getLine() != after->getLine() || to > static_cast<int>(line.size()))
        to = static_cast<int>(line.size());
    return from < to ? trimmed(line.substr(static_cast<std::string::size_type>(from),
                                           static_cast<std::string::size_type>(to - from)))
                     : "";
}

// The rest of the token's line after it.
inline std::string textAfter(const antlr::RefToken &token) {
    const std::string &line = lineOf(token);
    std::string::size_type from = static_cast<std::string::size_type>(afterOf(token) - 1);
    return from < line.size() ? line.substr(from) : "";
}

inline void reportWord(const antlr::RefToken &word, const std::string &hint) {
    int column = columnOf(word);
    reportSyntax(word->getLine(), column, afterOf(word) - 1, "unexpected `" + word->getText() + "`", hint);
}

inline bool endsTheLine(int type) { return type == VLTokenTypes::EOL || type == VLTokenTypes::Q_COMMENT || type == antlr::Token::EOF_TYPE; }

inline bool isTypeWord(int type) {
    static const int types[] = {VLTokenTypes::LITERAL_int, VLTokenTypes::LITERAL_integer, VLTokenTypes::LITERAL_natural, VLTokenTypes::LITERAL_real,
                                VLTokenTypes::LITERAL_number, VLTokenTypes::LITERAL_var, VLTokenTypes::LITERAL_text, VLTokenTypes::LITERAL_byte,
                                VLTokenTypes::LITERAL_char, VLTokenTypes::LITERAL_bool};
    for (int candidate : types)
        if (candidate == type)
            return true;
    return false;
}

// The place of the bracket that closes the one at `open` on its line, or 0.
inline unsigned int closingBracket(TokenQueue &tokens, unsigned int open) {
    int opening = tokens.LA(open);
    int closing = opening == VLTokenTypes::LEFTPAR ? VLTokenTypes::RIGHTPAR : opening == VLTokenTypes::LEFTSQUARE ? VLTokenTypes::RIGHTSQUARE : VLTokenTypes::RIGHTCURLY;
    int depth = 0;
    for (unsigned int at = open; !endsTheLine(tokens.LA(at)); at++) {
        if (tokens.LA(at) == opening)
            depth++;
        else if (tokens.LA(at) == closing && --depth == 0)
            return at;
    }
    return 0;
}

// How the block of the line of `token` is closed, told after its hint.
inline std::string blockClosing(const antlr::RefToken &token) { return foreignBlockClosing(lineOf(token)); }

}  // namespace foreign_head_parts
