#include "translator/syntax_errors.hpp"

#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/source_translation.hpp"

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

const std::string &lineText(int line) {
    static const std::string none;
    return translation().positions ? translation().positions->line(line) : none;
}

// The lines that have had their syntax error.
bool lineAlreadyFailed(int line) {
    for (const Diagnostic &diagnostic : currentSink().all())
        if (diagnostic.kind == DiagnosticKind::syntax && diagnostic.line == line)
            return true;
    return false;
}

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
    return "`" + text + "`";
}

void reportSyntaxAt(const antlr::RefToken &token, const std::string &message, const std::string &hint) {
    int line = token->getLine();
    if (lineAlreadyFailed(line))
        return;
    const std::string &text = lineText(line);
    int column = token->getColumn() > 0 ? byteColumn(text, token->getColumn()) : 0;
    int length = static_cast<int>(token->getText().size());
    bool onOneLine = token->getText().find('\n') == std::string::npos;
    int end = column > 0 && length > 0 && onOneLine ? column + length - 1 : column;
    reportSyntax(line, column, end, message, hint);
}

namespace {

std::string unexpected(const antlr::RefToken &token, const TokenNamer &names) {
    std::string found = foundWords(token, names);
    if (found.compare(0, 4, "the ") == 0 && found.compare(0, 8, "the end ") == 0)
        found = found.substr(4);
    return "unexpected " + found;
}

}  // namespace

void reportRecognitionError(const antlr::RecognitionException &error, const TokenNamer &names) {
    if (auto mismatch = dynamic_cast<const antlr::MismatchedTokenException *>(&error)) {
        if (mismatch->token && mismatch->mismatchType == antlr::MismatchedTokenException::TOKEN) {
            reportSyntaxAt(mismatch->token, "expected " + tokenWords(mismatch->expecting, names) + ", found " +
                                                foundWords(mismatch->token, names));
            return;
        }
        if (mismatch->token) {
            reportSyntaxAt(mismatch->token, unexpected(mismatch->token, names));
            return;
        }
    }
    if (auto noViable = dynamic_cast<const antlr::NoViableAltException *>(&error)) {
        if (noViable->token) {
            reportSyntaxAt(noViable->token, unexpected(noViable->token, names));
            return;
        }
    }
    int line = error.getLine();
    if (lineAlreadyFailed(line))
        return;
    int column = error.getColumn() > 0 ? byteColumn(lineText(line), error.getColumn()) : 0;
    reportSyntax(line, column, column, error.getMessage());
}
