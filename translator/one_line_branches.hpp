#pragma once
// A one-line if may hold a second statement on its line:
//     if a > 1 ? print "big" else print "small"
//     if a > 1 ? print "big" : print "small"
// The statement before "else" or ":" has no terminator of its own; this
// filter between the lexer and the parser gives it one (a ";" token), so
// that every statement rule keeps ending at its terminator.
//
// An "else" gets one whenever it does not start its line. A ":" gets one
// only on a line that starts with "if" and has had a "?" outside brackets,
// and only outside brackets itself, since ":" also opens blocks and
// separates keys from values.
#include <antlr/TokenStream.hpp>

class OneLineBranchFilter : public antlr::TokenStream {
public:
    explicit OneLineBranchFilter(antlr::TokenStream &source) : source_(source) {}
    antlr::RefToken nextToken() override;

private:
    antlr::RefToken terminatorBefore(const antlr::RefToken &token);
    void track(const antlr::RefToken &token);

    antlr::TokenStream &source_;
    antlr::RefToken pending_;
    bool atLineStart_ = true;
    bool ifLine_ = false;
    bool questionSeen_ = false;
    int brackets_ = 0;
};
