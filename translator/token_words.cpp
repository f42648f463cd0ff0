#include "translator/token_words.hpp"

#include "VLTokenTypes.hpp"

namespace {

using T = VLTokenTypes;

struct TokenText {
    int type;
    const char *words;
};

// The tokens whose generated names are not what the user writes.
const TokenText tokenTexts[] = {
    {T::SLASHIMPORT, "`/import`"}, {T::SLASHEXTERN, "`/extern`"}, {T::SLASHCLASS, "`/class`"},
    {T::SLASHIF, "`/if`"}, {T::SLASHWHILE, "`/while`"}, {T::SLASHFOR, "`/for`"}, {T::SLASHDO, "`/do`"},
    {T::SLASHSWITCH, "`/switch`"}, {T::SLASHERROR, "`/error`"}, {T::SLASHENUM, "`/enum`"},
    {T::SLASHTRY, "`/try`"}, {T::LEFTPAR, "`(`"}, {T::RIGHTPAR, "`)`"}, {T::LEFTSQUARE, "`[`"},
    {T::RIGHTSQUARE, "`]`"}, {T::LEFTCURLY, "`{`"}, {T::RIGHTCURLY, "`}`"}, {T::LESSER, "`<`"},
    {T::GREATER, "`>`"}, {T::DOT, "`.`"}, {T::DOTDOT, "`..`"}, {T::DIV, "`/`"}, {T::ANTISLASH, "`\\`"},
    {T::MINUS, "`-`"}, {T::PLUS, "`+`"}, {T::MUL, "`*`"}, {T::COMMA, "`,`"}, {T::SEMI, "`;`"},
    {T::COLON, "`:`"}, {T::EQUAL, "`=`"}, {T::QUESTION, "`?`"}, {T::AND_BIN, "`&`"}, {T::OR_BIN, "`|`"},
    {T::XOR_BIN, "`^`"}, {T::NOT_BIN, "`~`"}, {T::MINMIN, "`--`"}, {T::LESS_EQUAL, "`<=`"},
    {T::GREAT_EQUAL, "`>=`"}, {T::NOT_EQUAL, "`!=`"}, {T::PASDIFF, "`<>`"}, {T::SHIFT_LEFT, "`<<`"},
    {T::SHIFT_RIGHT, "`>>`"}, {T::EOL, "the end of the line"}, {antlr::Token::EOF_TYPE, "the end of the file"},
    {T::IDENT, "a name"}, {T::INTEGER, "a number"}, {T::REAL_LITERAL, "a number"},
    {T::STRING_LITERAL, "a text"}, {T::XOPEN, "an XML tag"}, {T::XCLOSE, "a closing XML tag"},
    {T::Q_COMMENT, "a comment"}, {T::NATIVE, "native C++"}, {T::TEMPLATE, "a template"},
};

}  // namespace

std::string tokenWords(int type, const TokenNamer &names) {
    for (const TokenText &text : tokenTexts)
        if (text.type == type)
            return text.words;
    std::string name = names(type);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return "`" + name.substr(1, name.size() - 2) + "`";
    return name;
}

std::string foundWords(const antlr::RefToken &token, const TokenNamer &names) {
    int type = token->getType();
    const std::string text = token->getText();
    if (type == T::EOL || type == antlr::Token::EOF_TYPE || type == T::Q_COMMENT || type == T::NATIVE || text.empty())
        return tokenWords(type, names);
    if (type == T::INTEGER || type == T::REAL_LITERAL)
        return "the number `" + text + "`";
    if (type == T::STRING_LITERAL)
        return "the text " + text;
    // Its own backquotes set it off as written; the first line stands for
    // one that runs on.
    if (type == T::TEMPLATE)
        return text.substr(0, text.find('\n'));
    return "`" + text + "`";
}
