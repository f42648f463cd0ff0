// The lexer: the tokens of the sources in cases/tokens.txt, and what a
// table cannot say.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "VLLexer.hpp"
#include "lexer/token_listing.hpp"

namespace {

using T = VLLexerTokenTypes;

// The names of the language's token types, from the lexer's vocabulary file:
// NAME=n, NAME("paraphrase")=n, NAME="literal"=n.
std::map<std::string, int> tokenTypesByName() {
    std::map<std::string, int> types{{"EOF", antlr::Token::EOF_TYPE}};
    std::ifstream file(VELC_SOURCE_DIR "/lexer/VLBaseTokenTypes.txt");
    for (std::string line; std::getline(file, line);) {
        std::size_t value = line.rfind('=');
        if (value != std::string::npos)
            types[line.substr(0, line.find_first_of("=("))] = std::stoi(line.substr(value + 1));
    }
    return types;
}

std::string unescaped(const std::string &text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            result += text[i];
            continue;
        }
        char next = text[++i];
        if (next == 'x') {
            result += char(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            result += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next == 'f' ? '\f' : next;
        }
    }
    return result;
}

struct TokenCase {
    int line;  // of its "==" line in the file
    std::string source;
    std::vector<std::string> expected;  // the lines under it, in the form the lexer's tokens are shown
};

std::vector<TokenCase> readTokenCases() {
    std::vector<TokenCase> cases;
    std::ifstream file(VELC_SOURCE_DIR "/tests/unit/cases/tokens.txt");
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (line.compare(0, 3, "== ") == 0)
            cases.push_back({number, unescaped(line.substr(3)), {}});
        else if (!cases.empty() && !line.empty() && line[0] != '#' && line != "nothing")
            cases.back().expected.push_back(line);
    }
    return cases;
}

// The inverse of unescaped: line ends, tabs, form feeds, backslashes, other
// control and non-ASCII bytes, and blanks at either end escaped.
std::string escaped(const std::string &text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = text[i];
        const char *named = c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : c == '\f' ? "\\f" : nullptr;
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        if (named)
            result += named;
        else if (c < 0x20 || c >= 0x7f || (c == ' ' && (i == 0 || i + 1 == text.size())))
            result += hex;
        else
            result += char(c);
    }
    return result;
}

// A delivered token as the table writes it, with its position when the
// table gives one.
std::string shown(const std::string &type, const antlr::RefToken &token, const std::string &expected) {
    std::string position = std::to_string(token->getLine()) + ":" + std::to_string(token->getColumn()) + " ";
    std::string line = (expected.compare(0, position.size(), position) == 0 ? position : "") + type;
    return token->getText().empty() ? line : line + " " + escaped(token->getText());
}

// What the lexer makes of the source, line by line as the table expects it.
std::vector<std::string> lexed(const TokenCase &c, const std::map<int, std::string> &names) {
    std::istringstream input(c.source);
    VLLexer lexer(input);
    lexer.setFilename("test.vel");
    std::vector<std::string> lines;
    const std::string last = c.expected.empty() ? "" : c.expected.back();
    bool endListed = last.compare(0, 6, "error ") != 0 && last.size() >= 3 && last.compare(last.size() - 3, 3, "EOF") == 0;
    try {
        for (;;) {
            antlr::RefToken token = lexer.nextToken();
            if (token->getType() == antlr::Token::EOF_TYPE && !endListed)
                return lines;
            const std::string &expected = lines.size() < c.expected.size() ? c.expected[lines.size()] : "";
            lines.push_back(shown(names.at(token->getType()), token, expected));
            if (token->getType() == antlr::Token::EOF_TYPE)
                return lines;
        }
    } catch (const antlr::TokenStreamRecognitionException &error) {
        std::string where = std::to_string(error.getLine()) + ":" + std::to_string(error.getColumn());
        std::string description = describeLexicalError(error);
        std::string part = last.substr(last.find(' ') + 1);
        part = part.substr(part.find(' ') + 1);
        // The description leads with the file and position, then the message.
        bool holds = description.compare(0, 10 + where.size(), "test.vel:" + where + ":") == 0 &&
                     description.find(part) != std::string::npos;
        lines.push_back("error " + where + " " + (holds ? part : description));
    }
    return lines;
}

TEST(LexerCases, EachSourceGivesItsTokens) {
    std::map<int, std::string> names;
    for (const auto &[name, type] : tokenTypesByName())
        names[type] = name;
    std::vector<TokenCase> cases = readTokenCases();
    ASSERT_GT(cases.size(), 100u);
    for (const TokenCase &c : cases)
        EXPECT_EQ(lexed(c, names), c.expected) << "tokens.txt:" << c.line;
}

TEST(LexerPositions, EndOfInputRepeatsWithItsPosition) {
    std::istringstream input("a\nb");
    VLLexer lexer(input);
    for (int i = 0; i < 3; ++i)
        lexer.nextToken();
    for (int i = 0; i < 3; ++i) {
        antlr::RefToken end = lexer.nextToken();
        EXPECT_EQ(end->getType(), antlr::Token::EOF_TYPE);
        EXPECT_EQ(end->getLine(), 2);
        EXPECT_EQ(end->getColumn(), 2);
    }
}

// The listing that vltokens prints.
TEST(TokenListing, EveryTokenFitsOnOneUnambiguousLine) {
    std::istringstream input("# x\n");
    EXPECT_EQ(formatTokenLine(listTokens(input, "a.vel").front()), "23\tQ_COMMENT\t# x\\n\t1\t1");
    EXPECT_EQ(printableTokenText("a\\n\n\r\tb"), "a\\\\n\\n\\r\\tb");
    EXPECT_EQ(formatTokenLine({T::IDENT, "abc", 1, 1}), "5\tan identifier\tabc\t1\t1");
    EXPECT_EQ(formatTokenLine({T::LITERAL_if, "if", 2, 4}), "37\t\"if\"\tif\t2\t4");
    EXPECT_EQ(formatTokenLine({1, "", 9, 1}), "1\tEOF\t\t9\t1");
}

}  // namespace
