#include "translator/foreign_words.hpp"

#include <antlr/CommonToken.hpp>

#include <string>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "semantics/classes.hpp"
#include "translator/hints.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"
#include "translator/word_guesses.hpp"

namespace {

using T = VLTokenTypes;

struct DeclarationWord {
    const char *written;
    int type;           // the word's token type: IDENT, or a keyword of the language
    int meant;          // the type keyword read in its place
    const char *hint;
};

const char *const anyValue = "a variable is declared with its type, or `var` for a value of any type: int n = 1";
const char *const textType = "a text is declared `text`: text s = \"abc\"";
const char *const truthType = "a truth value is declared `bool`: bool b = true";
const char *const realType = "a number with a fraction is declared `real`: real r = 1.5";
const char *const integerType = "an integer is declared `int`: int n = 5";

const DeclarationWord words[] = {
    {"let", T::LITERAL_let, T::LITERAL_var, anyValue},     {"local", T::IDENT, T::LITERAL_var, anyValue},
    {"auto", T::IDENT, T::LITERAL_var, anyValue},          {"string", T::LITERAL_string, T::LITERAL_text, textType},
    {"String", T::IDENT, T::LITERAL_text, textType},       {"str", T::IDENT, T::LITERAL_text, textType},
    {"boolean", T::IDENT, T::LITERAL_bool, truthType},     {"Boolean", T::IDENT, T::LITERAL_bool, truthType},
    {"float", T::IDENT, T::LITERAL_real, realType},        {"double", T::IDENT, T::LITERAL_real, realType},
    {"Float", T::IDENT, T::LITERAL_real, realType},        {"Double", T::IDENT, T::LITERAL_real, realType},
    {"long", T::IDENT, T::LITERAL_int, integerType},       {"short", T::IDENT, T::LITERAL_int, integerType},
};

std::string textOf(int type) {
    switch (type) {
    case T::LITERAL_var: return "var";
    case T::LITERAL_text: return "text";
    case T::LITERAL_bool: return "bool";
    case T::LITERAL_real: return "real";
    default: return "int";
    }
}

// A name and what a declaration has after it: a value, or the line's end.
bool declares(const antlr::RefToken &second, const antlr::RefToken &third) {
    if (!second || !third || second->getType() != T::IDENT)
        return false;
    int after = third->getType();
    return after == T::EQUAL || after == T::EOL || after == T::SEMI || after == antlr::Token::EOF_TYPE;
}

antlr::RefToken tokenAt(int type, const std::string &text, const antlr::RefToken &place) {
    antlr::RefToken token(new antlr::CommonToken(type, text));
    token->setLine(place->getLine());
    token->setColumn(place->getColumn());
    return token;
}

void reportWord(const antlr::RefToken &word, const std::string &hint) {
    const TokenPositions *positions = translation().positions;
    int column = positions ? byteColumn(positions->line(word->getLine()), word->getColumn()) : 0;
    reportSyntax(word->getLine(), column, column + static_cast<int>(word->getText().size()) - 1,
                 "unexpected `" + word->getText() + "`", hint);
}

bool isTypeWord(int type) {
    static const int types[] = {T::LITERAL_int, T::LITERAL_integer, T::LITERAL_natural, T::LITERAL_real,
                                T::LITERAL_number, T::LITERAL_var, T::LITERAL_text, T::LITERAL_byte, T::LITERAL_char};
    for (int candidate : types)
        if (candidate == type)
            return true;
    return false;
}

// The place of the `to` or `,` that ends the first bound of `for i = 1 to 3`
// on the line, or 0.
unsigned int boundsSeparator(TokenQueue &tokens, unsigned int first) {
    int depth = 0;
    for (unsigned int at = first; tokens.LA(at) != T::EOL && tokens.LA(at) != antlr::Token::EOF_TYPE &&
                                  tokens.LA(at) != T::Q_COMMENT;
         at++) {
        int type = tokens.LA(at);
        if (type == T::LEFTPAR || type == T::LEFTSQUARE)
            depth++;
        else if (type == T::RIGHTPAR || type == T::RIGHTSQUARE)
            depth--;
        else if (depth == 0 && (type == T::COMMA || (type == T::IDENT && tokens.LT(at)->getText() == "to")))
            return at > first ? at : 0;
    }
    return 0;
}

}  // namespace

void readForeignLoop(TokenQueue &tokens) {
    if (tokens.LA(1) != T::LITERAL_for || !firstOnItsLine(tokens.LT(1)))
        return;
    unsigned int variable = isTypeWord(tokens.LA(2)) ? 3 : 2;
    if (tokens.LA(variable) != T::IDENT)
        return;
    antlr::RefToken word = tokens.LT(variable + 1);   // a copy: reading further may move the queue
    if (word->getType() == T::IDENT && word->getText() == "of") {
        reportWord(word, "a loop over the elements of an array is written with `in`: for x in a");
        tokens.replaceAt(variable + 1, tokenAt(T::LITERAL_in, "in", word));
        return;
    }
    if (word->getType() != T::EQUAL)
        return;
    unsigned int separator = boundsSeparator(tokens, variable + 2);
    if (separator == 0)
        return;
    reportWord(word, "a loop over numbers names its range: for i in 1..3 (both ends counted) or for i in 1--4 "
                     "(the end left out)");
    tokens.replaceAt(separator, tokenAt(T::DOTDOT, "..", tokens.LT(separator)));
    tokens.replaceAt(variable + 1, tokenAt(T::LITERAL_in, "in", word));
}

antlr::RefToken declarationWordInPlaceOf(const antlr::RefToken &word, const antlr::RefToken &second,
                                         const antlr::RefToken &third) {
    if (!word || !firstOnItsLine(word) || !declares(second, third))
        return antlr::RefToken();
    // A `let` after the statements of a `while` is its clause.
    const std::vector<OpenBlock> &open = translation().openBlocks;
    if (word->getType() == T::LITERAL_let && !open.empty() && open.back().closer == T::SLASHWHILE)
        return antlr::RefToken();
    for (const DeclarationWord &candidate : words) {
        if (word->getType() != candidate.type || word->getText() != candidate.written)
            continue;
        // A class of the program may have the name.
        if (candidate.type == T::IDENT && isDeclaredName(candidate.written))
            return antlr::RefToken();
        const TokenPositions *positions = translation().positions;
        int column = positions ? byteColumn(positions->line(word->getLine()), word->getColumn()) : 0;
        int end = column + static_cast<int>(word->getText().size()) - 1;
        // Read as written, a name is a class of none; a word of the
        // language cannot begin a statement.
        if (candidate.type == T::IDENT) {
            reportNamed(E_CLASS_NOT_DEFINED, word->getText(), candidate.hint);
            currentSink().placeLast(column, end);
        } else {
            reportSyntax(word->getLine(), column, end, "unexpected `" + word->getText() + "`", candidate.hint);
        }
        antlr::RefToken meant(new antlr::CommonToken(candidate.meant, textOf(candidate.meant)));
        meant->setLine(word->getLine());
        meant->setColumn(word->getColumn());
        return meant;
    }
    return antlr::RefToken();
}
