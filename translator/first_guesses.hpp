#pragma once
// The first guesses of programmers from other languages that a line shows
// where the parse of it failed: `==`, `+=`, `x++`, `k<d` read as an XML
// tag, a C cast. Each is told as one syntax message with what to write.
#include <antlr/Token.hpp>

#include <string>

struct Guess {
    int line = 0, column = 0, end = 0;
    std::string message, hint;
    bool absorbsBlockStart = false;   // its hint rewrites the whole line, braces included
};

// Whether the line of `token` shows a first guess; `guess` is then its message.
bool guessAt(const antlr::RefToken &token, Guess &guess);

// The line's C cast to `type` (`(double) x`) as the conversion it means, or empty.
std::string castHint(int line, const std::string &type);

// `#t` of Lua, the length of `t`, where a message stands at the end of a
// line (`line` as written, comments included): `#` began a comment there.
// The hint, or empty.
std::string commentCutHint(const std::string &line, int column);
