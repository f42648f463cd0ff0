#pragma once
// The tokens of one source line as the formatter sees them: cut where the
// lexer cuts, with whether blanks stood before each, so that the formatter
// can change the blanks between tokens and nothing else.
#include <string>
#include <vector>

enum class FormatTokenKind {
    word,          // a name or keyword
    number,
    text,          // a quoted text, kept as written
    symbol,        // an operator or punctuation
    terminator,    // "/if", "/for" ...: the end of a block
    markup,        // an XML tag's start or end ("<book", "</book>", "<!", "<?elmora>")
    embedded,      // a template or native text, or a block comment, that ends on the line
    other,         // "$name", "@name" and anything the formatter leaves alone
};

struct FormatToken {
    FormatTokenKind kind;
    std::string text;
    bool blankBefore = false;
};

// What follows the code of a line.
enum class LineOpening {
    none,
    blockComment,  // "/*" without its "*/"
    native,        // "~~" without the closing "~~"
    templateText,  // "`" without the closing "`"
};

struct FormatLine {
    std::vector<FormatToken> tokens;
    std::string comment;          // "# ..." or "// ..." to the end of the line, as written
    std::string commentGap;       // the blanks between the code and the comment, as written
    LineOpening opening = LineOpening::none;
    std::string openingText;      // from the unclosed opening to the end of the line, as written
    bool closedText = true;       // false when a quoted text runs to the end of the line
};

// Cuts a line (without its line end) into tokens.
FormatLine tokenizeLine(const std::string &line);

// Whether a word is one of the language's words that a value cannot
// follow directly ("return -1", "print -x"): a sign after it is a sign.
bool isWordBeforeOperand(const std::string &word);
