#pragma once
// Decisions the grammar takes by looking at the tokens ahead without
// consuming them: whether a declaration, a class or a function definition
// starts here, and whether an if goes on with a comparison on the next
// line. Looked at token by token rather than tried, which would throw for
// every other statement.
#include "translator/token_queue.hpp"

class LookAhead {
public:
    explicit LookAhead(TokenQueue &tokens) : tokens_(tokens) {}

    // Modifiers, then a type and a name (at top level also several types,
    // or "class").
    bool declarationAhead(bool topLevel);
    // Modifiers, "class", a name.
    bool classAhead();
    // Modifiers, one or more types separated by commas, a name and "(".
    bool functionDefinitionAhead();
    // After the subject of an if: a line end, then a line that starts with
    // a comparison or "in".
    bool compositeIfAhead();

private:
    int LA(unsigned int i) { return tokens_.LA(i); }
    // Steps over one type; false when none starts at i.
    bool skipTypeAhead(unsigned &i);
    static bool isModifierToken(int type);
    static bool isTypeKeywordToken(int type);

    TokenQueue &tokens_;
};
