#pragma once
// Decisions the grammar takes by looking at the tokens ahead without
// consuming them: whether a declaration, a class or a function definition
// starts here, and whether an if goes on with a comparison on the next
// line. Looked at token by token rather than tried, which would throw for
// every other statement.
#include "translator/token_queue.hpp"
#include <string>
#include <vector>

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

    // After the header of a loop whose body does not reach out (above):
    // the arrays that the body uses only by element ("a[i]", neither a slice
    // nor "a[]") and by "push". `viewKind` gives a name's group of arrays
    // that may be one object (a by-reference parameter and the variable it
    // was given), 0 for names of no such group; an array sharing its group
    // with another name in the body is left out, since writing through one
    // name could grow or move the other.
    std::vector<std::string> arraysUsedByElement(bool (*staysInLibrary)(const std::string &receiver),
                                                 int (*viewKind)(const std::string &name));

    // Whether the loop body ahead only reads the name: every use follows an
    // operator, a comparison, "(", "[" or a keyword of a condition, none is
    // a statement of its own (an assignment, a step, a loop variable).
    bool loopBodyOnlyReads(const std::string &name);

    static constexpr unsigned LOOP_BODY_TOKENS = 4096;

private:
    int LA(unsigned int i) { return tokens_.LA(i); }
    // Steps over one type; false when none starts at i.
    bool skipTypeAhead(unsigned &i);
    bool skipResultTypeAhead(unsigned &i);
    // Whether the "(" at i calls something.
    bool callAt(unsigned i, bool (*staysInLibrary)(const std::string &receiver));
    // The place of the token that ends the loop body ahead; 0 when it is
    // not within LOOP_BODY_TOKENS.
    unsigned loopBodyEnd();
    // Whether the name at i is followed by one element subscript or ".push(".
    bool usedByElementAt(unsigned i);
    // Whether every "." of the body follows a name whose methods stay in the library.
    bool membersStayInLibrary(unsigned end, bool (*staysInLibrary)(const std::string &receiver));
    static bool isKeptInBodyToken(int type);
    static bool isReadingContextToken(int type);
    static bool isModifierToken(int type);
    static bool isTypeKeywordToken(int type);

    TokenQueue &tokens_;
};

// Whether a token can begin the branch after the `else` of a one-line if:
// a one-line statement, or an assignment or a call.
bool beginsOneLineBranch(int type);
