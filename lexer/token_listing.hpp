#pragma once
// Reading a source as a plain list of tokens, and the words that tools and
// messages use for token types: what the lexer produces, seen from outside
// the parser.
#include <istream>
#include <string>
#include <vector>

// The run-time header does not include its base; it has to come first.
#include <antlr/RecognitionException.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>
#include <antlr/Token.hpp>

// One delivered token, detached from the ANTLR run-time's reference counting.
struct ListedToken {
    int type = 0;
    std::string text;
    int line = 0;
    int column = 0;
};

ListedToken toListedToken(const antlr::RefToken &token);

// Number of token types shared by lexer and parser (types 0 to count-1).
int tokenTypeCount();

// The parser's display name of a token type ("an identifier", "\"if\"",
// "SEMI", "<0>"); nullptr for a type outside the vocabulary.
const char *tokenDisplayName(int type);

// Whether a type is one of the keywords of the lexer's table.
bool isKeywordType(int type);

// Lexes the whole stream, the final EOF token included. A lexical error
// propagates as the run-time's TokenStreamRecognitionException.
std::vector<ListedToken> listTokens(std::istream &input, const std::string &fileName);

// The text with backslashes, tabs and line ends escaped so that any token
// fits on one output line and the listing stays unambiguous.
std::string printableTokenText(const std::string &text);

// "type<TAB>name<TAB>text<TAB>line<TAB>column" for the token listing tool.
std::string formatTokenLine(const ListedToken &token);

// "file:line:column: message" of a lexical error.
std::string describeLexicalError(const antlr::TokenStreamRecognitionException &error);
