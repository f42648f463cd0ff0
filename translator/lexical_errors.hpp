#pragma once
// A character the lexer cannot read (`%`, a text without its closing
// quote, a lone `!`) is a syntax error like any other: reported in the
// language's words at its column, and the rest of its line skipped, so that
// the parse goes on at the next line instead of ending the translation.
// A brace that ends the line of a block's first word (`while x < 3 {`), as
// in the languages with braces, is reported the same way and left out, so
// that the block is read as the user meant it; so is a `then` or a `do`
// that ends the line of its condition (`if x = 1 then`).
#include <antlr/CharScanner.hpp>
#include <antlr/TokenStream.hpp>
#include <string>

class LexicalErrorFilter : public antlr::TokenStream {
public:
    explicit LexicalErrorFilter(antlr::CharScanner &lexer) : lexer_(lexer) {}
    antlr::RefToken nextToken() override;

private:
    antlr::RefToken readToken();
    void skipRestOfLine();
    antlr::RefToken foreignFunctionName(const std::string &text, int column, int scannerColumn, int line);
    static antlr::RefToken textClosedAtLineEnd(const std::string &line, std::string::size_type quote, int number);
    bool opensBlockByBrace(const antlr::RefToken &brace, const antlr::RefToken &next) const;
    bool opensFunctionByBrace(const antlr::RefToken &brace, const antlr::RefToken &next) const;
    bool endsACondition(const antlr::RefToken &word) const;
    antlr::RefToken readNilOperator(const antlr::RefToken &question);
    antlr::RefToken readCaseArrow(const antlr::RefToken &sign);
    static bool endsItsLine(const antlr::RefToken &brace, const antlr::RefToken &next);

    antlr::CharScanner &lexer_;
    antlr::RefToken pending_;     // read after a brace that stays
    bool phpTold_ = false;        // a `<?php` was told: its `?>` is no news
    bool caseArrowTold_ = false;  // a `case 1 ->` of the switch being read was told
    int lineStart_ = 0;           // the type of the first token of the line
    bool atLineStart_ = true;
    int previous_ = 0;            // the type of the token before
    int lineStartLine_ = 0;       // the line of the first token of the line
    int lastOfLine_ = 0;          // the type of the last token before the last line end
    int wordLineStart_ = 0;       // the type of the first token of the last line before with one
    bool branchLine_ = false;     // the line starts with `else`, `elseif` or `catch`, or with `}` and one of them
    const char *branchCloser_ = "/if";   // the closing word of the block of that branch
};

// The message and hint for the scanner's own description of an error at
// `column` (a byte, from 1) of `line`.
struct LexicalMessage {
    std::string message;
    std::string hint;
    int column = 0;      // the first byte the message speaks of, when not the scanner's (0)
    int endColumn = 0;   // its last byte (0: the first)
};
LexicalMessage describeLexicalError(const std::string &line, int column, const std::string &scannerMessage);
