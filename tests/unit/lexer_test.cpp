#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "VLLexer.hpp"
#include "lexer/token_listing.hpp"

namespace {

using T = VLLexerTokenTypes;

struct Tok {
    int type;
    std::string text;
};

bool operator==(const Tok &a, const Tok &b) {
    return a.type == b.type && a.text == b.text;
}

std::ostream &operator<<(std::ostream &out, const Tok &tok) {
    const char *name = tokenDisplayName(tok.type);
    return out << (name ? name : "?") << " '" << printableTokenText(tok.text) << "'";
}

std::vector<ListedToken> lexAll(const std::string &source) {
    std::istringstream input(source);
    return listTokens(input, "test.vel");
}

// The delivered tokens without the final EOF, as (type, text) pairs.
std::vector<Tok> tokensOf(const std::string &source) {
    std::vector<Tok> tokens;
    for (const ListedToken &token : lexAll(source))
        if (token.type != antlr::Token::EOF_TYPE)
            tokens.push_back({token.type, token.text});
    return tokens;
}

struct StreamCase {
    std::string source;
    std::vector<Tok> expected;
};

void expectStreams(const std::vector<StreamCase> &cases) {
    for (const StreamCase &c : cases) {
        SCOPED_TRACE("source: \"" + printableTokenText(c.source) + "\"");
        try {
            EXPECT_EQ(tokensOf(c.source), c.expected);
        } catch (const antlr::TokenStreamRecognitionException &error) {
            ADD_FAILURE() << "lexical error " << describeLexicalError(error);
        }
    }
}

TEST(LexerStream, LessThanStartsTagsAndPairs) {
    expectStreams({
        {"a<b", {{T::IDENT, "a"}, {T::XOPEN, "<b"}}},
        {"a < b", {{T::IDENT, "a"}, {T::LESSER, "<"}, {T::IDENT, "b"}}},
        {"<<", {{T::SHIFT_LEFT, "<<"}}},
        {"<>", {{T::PASDIFF, "<>"}}},
        {"<=", {{T::LESS_EQUAL, "<="}}},
        {"<!", {{T::OPENDOC, "<!"}}},
        {"<?elmora>", {{T::OPENVELMORA, "<?elmora>"}}},
        {"<tag_1 x>", {{T::XOPEN, "<tag_1"}, {T::IDENT, "x"}, {T::GREATER, ">"}}},
        {"</tag>", {{T::XCLOSE, "</tag>"}}},
        {"<1", {{T::LESSER, "<"}, {T::INTEGER, "1"}}},
    });
}

TEST(LexerStream, OperatorsTakeTheLongestFixedPair) {
    expectStreams({
        {"--x", {{T::MINMIN, "--"}, {T::IDENT, "x"}}},
        {"-1", {{T::MINUS, "-"}, {T::INTEGER, "1"}}},
        {"a==b", {{T::IDENT, "a"}, {T::EQUAL, "="}, {T::EQUAL, "="}, {T::IDENT, "b"}}},
        {"!=", {{T::NOT_EQUAL, "!="}}},
        {">>=", {{T::SHIFT_RIGHT, ">>"}, {T::EQUAL, "="}}},
        {">= >", {{T::GREAT_EQUAL, ">="}, {T::GREATER, ">"}}},
        {"~x", {{T::NOT_BIN, "~"}, {T::IDENT, "x"}}},
        {"&|^", {{T::AND_BIN, "&"}, {T::OR_BIN, "|"}, {T::XOR_BIN, "^"}}},
        {"()[]{}", {{T::LEFTPAR, "("}, {T::RIGHTPAR, ")"}, {T::LEFTSQUARE, "["},
                    {T::RIGHTSQUARE, "]"}, {T::LEFTCURLY, "{"}, {T::RIGHTCURLY, "}"}}},
        {"*+,:;?\\", {{T::MUL, "*"}, {T::PLUS, "+"}, {T::COMMA, ","}, {T::COLON, ":"},
                      {T::SEMI, ";"}, {T::QUESTION, "?"}, {T::ANTISLASH, "\\"}}},
    });
}

TEST(LexerStream, NumbersRangesAndDots) {
    expectStreams({
        {"1..10", {{T::INTEGER, "1"}, {T::DOTDOT, ".."}, {T::INTEGER, "10"}}},
        {"1.", {{T::INTEGER, "1"}, {T::DOT, "."}}},
        {".5", {{T::REAL_LITERAL, ".5"}}},
        {"1.5", {{T::REAL_LITERAL, "1.5"}}},
        {"1e5", {{T::REAL_LITERAL, "1e5"}}},
        {"1E+5f", {{T::REAL_LITERAL, "1E+5f"}}},
        {"2r", {{T::REAL_LITERAL, "2r"}}},
        {"3.0F", {{T::REAL_LITERAL, "3.0F"}}},
        {"12.25e-3R", {{T::REAL_LITERAL, "12.25e-3R"}}},
        {"0x1F", {{T::INTEGER, "0x1F"}}},
        {"0X1fn", {{T::INTEGER, "0X1fn"}}},
        {"0b101", {{T::INTEGER, "0b101"}}},
        {"0B11L", {{T::INTEGER, "0B11L"}}},
        {"017", {{T::INTEGER, "017"}}},
        {"10L", {{T::INTEGER, "10L"}}},
        {"7l 8n", {{T::INTEGER, "7l"}, {T::INTEGER, "8n"}}},
        {"08", {{T::INTEGER, "0"}, {T::INTEGER, "8"}}},
        {"0", {{T::INTEGER, "0"}}},
        {"1.e5", {{T::INTEGER, "1"}, {T::DOT, "."}, {T::IDENT, "e5"}}},
        {"1e-", {{T::INTEGER, "1"}, {T::IDENT, "e"}, {T::MINUS, "-"}}},
        {"a.b", {{T::IDENT, "a"}, {T::DOT, "."}, {T::IDENT, "b"}}},
        {"x[..3]", {{T::IDENT, "x"}, {T::LEFTSQUARE, "["}, {T::DOTDOT, ".."},
                    {T::INTEGER, "3"}, {T::RIGHTSQUARE, "]"}}},
    });
}

TEST(LexerStream, SlashWordsNeedALineEndBlankOrSemicolon) {
    expectStreams({
        {"/if\n", {{T::SLASHIF, "/if"}, {T::EOL, "\n"}}},
        {"/if;", {{T::SLASHIF, "/if"}, {T::SEMI, ";"}}},
        {"/if x", {{T::SLASHIF, "/if"}, {T::IDENT, "x"}}},
        {"/if\r\n", {{T::SLASHIF, "/if"}, {T::EOL, "\r\n"}}},
        {"/ifx", {{T::DIV, "/"}, {T::IDENT, "ifx"}}},
        {"/if\t", {{T::DIV, "/"}, {T::LITERAL_if, "if"}}},
        {"/if", {{T::DIV, "/"}, {T::LITERAL_if, "if"}}},
        {"x/y", {{T::IDENT, "x"}, {T::DIV, "/"}, {T::IDENT, "y"}}},
        {"/class;/while;/for;/do;/switch;",
         {{T::SLASHCLASS, "/class"}, {T::SEMI, ";"}, {T::SLASHWHILE, "/while"}, {T::SEMI, ";"},
          {T::SLASHFOR, "/for"}, {T::SEMI, ";"}, {T::SLASHDO, "/do"}, {T::SEMI, ";"},
          {T::SLASHSWITCH, "/switch"}, {T::SEMI, ";"}}},
        {"/error /enum /try /extern /import\n",
         {{T::SLASHERROR, "/error"}, {T::SLASHENUM, "/enum"}, {T::SLASHTRY, "/try"},
          {T::SLASHEXTERN, "/extern"}, {T::SLASHIMPORT, "/import"}, {T::EOL, "\n"}}},
        {"/e", {{T::DIV, "/"}, {T::IDENT, "e"}}},
        {"/enumx;", {{T::DIV, "/"}, {T::IDENT, "enumx"}, {T::SEMI, ";"}}},
    });
}

TEST(LexerStream, CommentsAndLineEnds) {
    expectStreams({
        {"x = 1 // c\ny", {{T::IDENT, "x"}, {T::EQUAL, "="}, {T::INTEGER, "1"}, {T::IDENT, "y"}}},
        {"x = 1 # c\ny",
         {{T::IDENT, "x"}, {T::EQUAL, "="}, {T::INTEGER, "1"}, {T::Q_COMMENT, "# c\n"},
          {T::IDENT, "y"}}},
        {"#x\r\n", {{T::Q_COMMENT, "#x\r\n"}}},
        {"a/* b\n*/c", {{T::IDENT, "a"}, {T::IDENT, "c"}}},
        {"/**/", {}},
        {"a\rb\r\nc\n", {{T::IDENT, "a"}, {T::EOL, "\r"}, {T::IDENT, "b"}, {T::EOL, "\r\n"},
                         {T::IDENT, "c"}, {T::EOL, "\n"}}},
        {"\n\r\r\n", {{T::EOL, "\n"}, {T::EOL, "\r"}, {T::EOL, "\r\n"}}},
        {" \t\f x\x17y", {{T::IDENT, "x"}, {T::IDENT, "y"}}},
    });
}

TEST(LexerStream, WordsKeywordsAndSigils) {
    expectStreams({
        {"If if", {{T::IDENT, "If"}, {T::LITERAL_if, "if"}}},
        {"WHILE True while", {{T::IDENT, "WHILE"}, {T::IDENT, "True"}, {T::LITERAL_while, "while"}}},
        {"string var", {{T::LITERAL_string, "string"}, {T::LITERAL_var, "var"}}},
        {"a_1b", {{T::IDENT, "a_1b"}}},
        {"iff", {{T::IDENT, "iff"}}},
        {"@@x", {{T::ATIDENT, "@@x"}}},
        {"@_x", {{T::ATIDENT, "@_x"}}},
        {"@x1", {{T::ATIDENT, "@x1"}}},
        {"@ ", {{T::ATCHAR, "@"}}},
        {"@9", {{T::ATCHAR, "@"}, {T::INTEGER, "9"}}},
        {"$x", {{T::PHPID, "$x"}}},
        {"$_a1", {{T::PHPID, "$_a1"}}},
        {"$(X)", {{T::PHPCONSTANT, "$(X)"}}},
        {"$(_y2)", {{T::PHPCONSTANT, "$(_y2)"}}},
    });
}

TEST(LexerStream, StringsKeepQuotesAndEscapesAsWritten) {
    expectStreams({
        {"\"a b\"", {{T::STRING_LITERAL, "\"a b\""}}},
        {"'it''s'", {{T::STRING_LITERAL, "'it'"}, {T::STRING_LITERAL, "'s'"}}},
        {"\"it's\" 'say \"hi\"'", {{T::STRING_LITERAL, "\"it's\""},
                                   {T::STRING_LITERAL, "'say \"hi\"'"}}},
        {"\"\\n\\r\\t\\b\\f\\\"\\'\\\\\\$\"", {{T::STRING_LITERAL, "\"\\n\\r\\t\\b\\f\\\"\\'\\\\\\$\""}}},
        {"'\\u0041\\uu00e9'", {{T::STRING_LITERAL, "'\\u0041\\uu00e9'"}}},
        {"'\\0\\37\\377\\4\\49'", {{T::STRING_LITERAL, "'\\0\\37\\377\\4\\49'"}}},
        {"\"\\3777\"", {{T::STRING_LITERAL, "\"\\3777\""}}},
        {"\"\xe9\xff\"", {{T::STRING_LITERAL, "\"\xe9\xff\""}}},
        {"\"\"", {{T::STRING_LITERAL, "\"\""}}},
    });
}

TEST(LexerStream, TemplatesAndNativeBlocksKeepTheirDelimiters) {
    expectStreams({
        {"`a $x\nb`", {{T::TEMPLATE, "`a $x\nb`"}}},
        {"``", {{T::TEMPLATE, "``"}}},
        {"~~int a;~~", {{T::NATIVE, "~~int a;~~"}}},
        {"~~a ~ b~~x", {{T::NATIVE, "~~a ~ b~~"}, {T::IDENT, "x"}}},
        {"~~~~", {{T::NATIVE, "~~~~"}}},
    });
}

// ---------------------------------------------------------------------------
// Positions.

struct Position {
    int line;
    int column;
};

Position positionOfLast(const std::string &source, int type) {
    Position found{0, 0};
    for (const ListedToken &token : lexAll(source))
        if (token.type == type)
            found = {token.line, token.column};
    return found;
}

TEST(LexerPositions, MultiLineTokensAdvanceTheLineCount) {
    struct Case {
        std::string source;
        int line;
        int column;
    };
    const std::vector<Case> cases = {
        {"/* a\n b\r\n c\r */ x", 4, 5},
        {"`a\nb\r\nc\rd` x", 4, 4},
        {"~~a\r\nb\nc~~ x", 3, 5},
        {"# c\nx", 2, 1},
        {"// c\r\nx", 2, 1},
        {"a\n\nb\r\rx", 5, 1},
        {"\t\tx", 1, 17},
        {"ab\tx", 1, 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("source: \"" + printableTokenText(c.source) + "\"");
        Position p = positionOfLast(c.source, T::IDENT);
        EXPECT_EQ(p.line, c.line);
        EXPECT_EQ(p.column, c.column);
    }
}

TEST(LexerPositions, EndOfInputRepeatsWithItsPosition) {
    std::istringstream input("a\nb");
    VLLexer lexer(input);
    EXPECT_EQ(lexer.nextToken()->getType(), T::IDENT);
    EXPECT_EQ(lexer.nextToken()->getType(), T::EOL);
    EXPECT_EQ(lexer.nextToken()->getType(), T::IDENT);
    for (int i = 0; i < 3; ++i) {
        antlr::RefToken end = lexer.nextToken();
        EXPECT_EQ(end->getType(), antlr::Token::EOF_TYPE);
        EXPECT_EQ(end->getLine(), 2);
        EXPECT_EQ(end->getColumn(), 2);
    }
}

TEST(LexerPositions, GuessingDoesNotCountLinesOrConsumeText) {
    // The slash-word and number trials look past a line end; the line must
    // still advance exactly once, through the EOL token.
    std::vector<ListedToken> tokens = lexAll("/if\n1\n/ifx\n");
    ASSERT_EQ(tokens.size(), 8u);
    EXPECT_EQ(tokens[2].type, T::INTEGER);
    EXPECT_EQ(tokens[2].line, 2);
    EXPECT_EQ(tokens[4].type, T::DIV);
    EXPECT_EQ(tokens[4].line, 3);
    EXPECT_EQ(tokens[5].text, "ifx");
    EXPECT_EQ(tokens[7].line, 4);
}

// ---------------------------------------------------------------------------
// Lexical errors.

struct ErrorCase {
    std::string source;
    int line;
    int column;
    std::string message;  // a part of the run-time's text
};

TEST(LexerErrors, ReportFileLineAndColumnOfTheOffendingCharacter) {
    const std::vector<ErrorCase> cases = {
        {"%", 1, 1, "unexpected char: '%'"},
        {"x = _a", 1, 5, "unexpected char: '_'"},
        {"a\n  caf\xe9", 2, 6, "unexpected char: 0xE9"},
        {"\xff", 1, 1, "unexpected char: 0xFF"},
        {std::string("a\0b", 3), 1, 2, "unexpected char"},
        {"1_2", 1, 2, "unexpected char: '_'"},
        {"$9", 1, 1, "unexpected char: '$'"},
        {"a ! b", 1, 4, "expecting"},
        {"\"abc", 1, 5, "EOF"},
        {"'ab\ncd'", 1, 4, "expecting"},
        {"\"\\q\"", 1, 3, "unexpected char: 'q'"},
        {"\"\\u12\"", 1, 6, "unexpected char"},
        {"$(X", 1, 4, "expecting"},
        {"$(X]", 1, 4, "expecting"},
        {"</a b", 1, 4, "expecting"},
        {"<?elm", 1, 6, "expecting"},
        {"<?xml", 1, 3, "expecting"},
        {"0x", 1, 3, "unexpected char"},
        {"0b2", 1, 3, "unexpected char"},
        {"1.5e", 1, 5, "unexpected char"},
        {"# no line end", 1, 14, "unexpected char"},
        {"x\n/* open\n", 3, 1, "expecting"},
        {"`open\n", 2, 1, "expecting"},
        {"~~open\n~", 2, 2, "expecting"},
    };
    for (const ErrorCase &c : cases) {
        SCOPED_TRACE("source: \"" + printableTokenText(c.source) + "\"");
        try {
            tokensOf(c.source);
            ADD_FAILURE() << "no lexical error";
        } catch (const antlr::TokenStreamRecognitionException &error) {
            EXPECT_EQ(error.getFilename(), "test.vel");
            EXPECT_EQ(error.getLine(), c.line);
            EXPECT_EQ(error.getColumn(), c.column);
            EXPECT_NE(error.getMessage().find(c.message), std::string::npos) << error.getMessage();
        }
    }
}

TEST(LexerErrors, DescriptionLeadsWithTheSourcePosition) {
    std::istringstream input("ok\n  %");
    try {
        listTokens(input, "dir/prog.vel");
        FAIL() << "no lexical error";
    } catch (const antlr::TokenStreamRecognitionException &error) {
        EXPECT_EQ(describeLexicalError(error), "dir/prog.vel:2:3: unexpected char: '%'");
    }
}

TEST(LexerErrors, TokensBeforeTheErrorAreDelivered) {
    std::istringstream input("a b %");
    VLLexer lexer(input);
    EXPECT_EQ(lexer.nextToken()->getText(), "a");
    EXPECT_EQ(lexer.nextToken()->getText(), "b");
    EXPECT_THROW(lexer.nextToken(), antlr::TokenStreamRecognitionException);
}

// ---------------------------------------------------------------------------
// The listing that vltokens prints.

TEST(TokenListing, EveryTokenFitsOnOneUnambiguousLine) {
    EXPECT_EQ(printableTokenText("a\\n\n\r\tb"), "a\\\\n\\n\\r\\tb");
    EXPECT_EQ(formatTokenLine({T::Q_COMMENT, "# x\n", 3, 7}), "23\tQ_COMMENT\t# x\\n\t3\t7");
    EXPECT_EQ(formatTokenLine({T::IDENT, "abc", 1, 1}), "5\tan identifier\tabc\t1\t1");
    EXPECT_EQ(formatTokenLine({T::LITERAL_if, "if", 2, 4}), "37\t\"if\"\tif\t2\t4");
    EXPECT_EQ(formatTokenLine({1, "", 9, 1}), "1\tEOF\t\t9\t1");
}

}  // namespace
