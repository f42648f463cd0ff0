#pragma once
// Scans of a source line for comments, brackets or operators must pass over
// the quoted texts in it ("..." or '...', where a backslash before the quote
// keeps the text open). One scanner tells which characters those are.
#include <string>

class QuotedTexts {
public:
    // Whether the character at `at` belongs to a quoted text, its quotes
    // included. Ask for every character of the line in order.
    bool holds(const std::string &line, std::string::size_type at) {
        char c = line[at];
        if (quote_ != 0) {
            if (c == quote_ && line[at - 1] != '\\')
                quote_ = 0;
            return true;
        }
        if (c == '"' || c == '\'') {
            quote_ = c;
            return true;
        }
        return false;
    }

private:
    char quote_ = 0;
};
