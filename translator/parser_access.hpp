#pragma once
// What the classes that act for the parser (its recovery after a syntax
// error, the words read as meant) see of it: the tokens ahead, whether it
// is only trying an alternative, and the names of its tokens in messages.
#include <antlr/Parser.hpp>
#include "translator/syntax_errors.hpp"

class ParserAccess {
protected:
    explicit ParserAccess(antlr::Parser &parser) : parser_(parser) {}

    // While the parser tries an alternative, nothing is reported or changed.
    bool guessing() const;
    int LA(unsigned int i) { return parser_.LA(i); }
    antlr::RefToken LT(unsigned int i) { return parser_.LT(i); }
    TokenNamer tokenNamer() const;
    // A line end, or the comment that runs to it.
    static bool endsLine(int type);

    antlr::Parser &parser_;
};
