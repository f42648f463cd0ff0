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
    {"auto", T::IDENT, T::LITERAL_var, anyValue},          {"val", T::IDENT, T::LITERAL_var, anyValue},          {"string", T::LITERAL_string, T::LITERAL_text, textType},
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

}  // namespace

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
