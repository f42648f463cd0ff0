#include "lexer/token_listing.hpp"

#include <sstream>

#include "VLLexer.hpp"
#include "VLParser.hpp"

namespace {

// The display names live in the generated parser, reachable only through an
// instance. One parser on an empty source serves every query; it never reads.
struct TokenNameSource {
    std::istringstream emptySource;
    VLLexer lexer{emptySource};
    VLParser parser{lexer};
};

const VLParser &nameParser() {
    static TokenNameSource source;
    return source.parser;
}

}  // namespace

ListedToken toListedToken(const antlr::RefToken &token) {
    return {token->getType(), token->getText(), token->getLine(), token->getColumn()};
}

int tokenTypeCount() {
    return nameParser().getNumTokens();
}

const char *tokenDisplayName(int type) {
    // The generated getTokenName lets type == count through and reads past
    // the table; the range is checked here instead.
    if (type < 0 || type >= tokenTypeCount())
        return nullptr;
    return nameParser().getTokenNames()[type];
}

bool isKeywordType(int type) {
    // The vocabulary shows a keyword, and only a keyword, in double quotes.
    const char *shown = tokenDisplayName(type);
    return shown != nullptr && shown[0] == '"';
}

std::vector<ListedToken> listTokens(std::istream &input, const std::string &fileName) {
    VLLexer lexer(input);
    lexer.setFilename(fileName);
    std::vector<ListedToken> tokens;
    for (;;) {
        antlr::RefToken token = lexer.nextToken();
        tokens.push_back(toListedToken(token));
        if (token->getType() == antlr::Token::EOF_TYPE)
            return tokens;
    }
}

std::string printableTokenText(const std::string &text) {
    std::string printable;
    printable.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': printable += "\\\\"; break;
        case '\n': printable += "\\n"; break;
        case '\r': printable += "\\r"; break;
        case '\t': printable += "\\t"; break;
        default: printable += c; break;
        }
    }
    return printable;
}

std::string formatTokenLine(const ListedToken &token) {
    const char *name = tokenDisplayName(token.type);
    std::ostringstream line;
    line << token.type << '\t' << (name ? name : "?") << '\t' << printableTokenText(token.text)
         << '\t' << token.line << '\t' << token.column;
    return line.str();
}

std::string describeLexicalError(const antlr::TokenStreamRecognitionException &error) {
    std::ostringstream text;
    text << error.getFilename() << ':' << error.getLine() << ':' << error.getColumn() << ": "
         << error.getMessage();
    return text.str();
}
