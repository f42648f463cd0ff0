#pragma once
// Decisions the grammar takes by looking at the tokens ahead without
// consuming them: whether a declaration, a class or a function definition
// starts here, and whether an if goes on with a comparison on the next
// line. Looked at token by token rather than tried, which would throw for
// every other statement.
#include "translator/token_queue.hpp"
#include <string>

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
    // After the header of a loop: whether its body may run code other than
    // its own statements (a call of a function, of a method whose receiver
    // `staysInLibrary` does not vouch for by its name, a conversion, a
    // print, which may call an object's toString) or leave other than by its
    // end, break or continue (return, native code and the like). Every
    // token of the body must be one known to do neither; a body longer than
    // LOOP_BODY_TOKENS tokens counts as one that may.
    bool loopBodyMayReachOut(bool (*staysInLibrary)(const std::string &receiver));

    static constexpr unsigned LOOP_BODY_TOKENS = 4096;

private:
    int LA(unsigned int i) { return tokens_.LA(i); }
    // Steps over one type; false when none starts at i.
    bool skipTypeAhead(unsigned &i);
    // Whether the "(" at i calls something.
    bool callAt(unsigned i, bool (*staysInLibrary)(const std::string &receiver));
    static bool isKeptInBodyToken(int type);
    static bool isModifierToken(int type);
    static bool isTypeKeywordToken(int type);

    TokenQueue &tokens_;
};
