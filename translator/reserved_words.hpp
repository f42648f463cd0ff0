#pragma once
// A keyword where a declaration puts its name (`void step(int n)`,
// `int for = 1`, `class print`) would otherwise derail the parser into a
// message on every following line. This filter between the lexer and the
// parser reports the word once, as a reserved word, and hands the parser an
// identifier in its place, so that the rest of the source is read as the
// user meant it.
//
// Later uses of a word reported this way are identifiers too when they read
// like a use of that name: a call when it was declared as a function, or a
// word followed by an operator, a bracket or the end of the statement when
// it was declared as a variable. Elsewhere the word stays a keyword.
#include <antlr/TokenStream.hpp>
#include <deque>
#include <map>
#include <string>

class ReservedWordFilter : public antlr::TokenStream {
public:
    explicit ReservedWordFilter(antlr::TokenStream &source) : source_(source) {}
    antlr::RefToken nextToken() override;

private:
    enum class NameKind { FUNCTION, VARIABLE };

    const antlr::RefToken &peek(std::size_t ahead);
    bool declaresName(const antlr::RefToken &word, const antlr::RefToken &next) const;
    bool usesReportedName(const antlr::RefToken &word, const antlr::RefToken &next) const;
    static antlr::RefToken asIdentifier(const antlr::RefToken &word);
    void track(int type);

    antlr::TokenStream &source_;
    std::deque<antlr::RefToken> ahead_;
    bool afterType_ = false;   // the last token opened a declaration
    std::map<std::string, NameKind> reported_;
};

// Whether a token type is one of the language's keywords.
bool isKeywordType(int type);
