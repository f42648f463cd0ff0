#include "translator/look_ahead.hpp"

#include "VLTokenTypes.hpp"

namespace {
using Token = VLTokenTypes;
}  // namespace

// Whether a declaration starts here: modifiers, then a type and a name
// (at top level also several types, or "class"). Looked at token by
// token rather than tried, which would throw for every other statement.
bool LookAhead::declarationAhead(bool topLevel) {
    unsigned i = 1;
    while (isModifierToken(LA(i)))
        i++;
    if (topLevel && LA(i) == Token::LITERAL_class)
        return LA(i + 1) == Token::IDENT;
    if (!skipTypeAhead(i))
        return false;
    while (topLevel && LA(i) == Token::COMMA) {
        i++;
        if (!skipTypeAhead(i))
            return false;
    }
    return LA(i) == Token::IDENT;
}

// Whether a class definition starts here: modifiers, "class", a name.
bool LookAhead::classAhead() {
    unsigned i = 1;
    while (isModifierToken(LA(i)))
        i++;
    return LA(i) == Token::LITERAL_class && LA(i + 1) == Token::IDENT;
}

// Whether a function definition starts here: modifiers, one or more
// result types separated by commas (keyword types, class names, either
// with "[]"), a name and "(".
bool LookAhead::functionDefinitionAhead() {
    unsigned i = 1;
    while (isModifierToken(LA(i)))
        i++;
    if (!skipResultTypeAhead(i))
        return false;
    while (LA(i) == Token::COMMA) {
        i++;
        while (LA(i) == Token::EOL)
            i++;
        if (!skipResultTypeAhead(i))
            return false;
    }
    return LA(i) == Token::IDENT && LA(i + 1) == Token::LEFTPAR;
}

// Steps over a keyword type with its "[]" pairs, or a class name with at
// most one.
bool LookAhead::skipResultTypeAhead(unsigned &i) {
    if (isTypeKeywordToken(LA(i)))
        return skipTypeAhead(i);
    if (LA(i) != Token::IDENT)
        return false;
    i++;
    if (LA(i) == Token::LEFTSQUARE && LA(i + 1) == Token::RIGHTSQUARE)
        i += 2;
    return true;
}

// Steps over one type; false when none starts at i.
bool LookAhead::skipTypeAhead(unsigned &i) {
    if (isTypeKeywordToken(LA(i))) {
        i++;
    } else if (LA(i) == Token::IDENT) {
        i++;
        while (LA(i) == Token::DOT && LA(i + 1) == Token::IDENT)
            i += 2;
    } else {
        return false;
    }
    while (LA(i) == Token::LEFTSQUARE && LA(i + 1) == Token::RIGHTSQUARE)
        i += 2;
    return true;
}

bool LookAhead::isModifierToken(int type) {
    return type == Token::LITERAL_private || type == Token::LITERAL_protected || type == Token::LITERAL_static ||
           type == Token::LITERAL_volatile || type == Token::LITERAL_inline || type == Token::LITERAL_const;
}

bool LookAhead::isTypeKeywordToken(int type) {
    switch (type) {
    case Token::LITERAL_void: case Token::LITERAL_bool: case Token::LITERAL_byte: case Token::LITERAL_number: case Token::LITERAL_int:
    case Token::LITERAL_real: case Token::LITERAL_integer: case Token::LITERAL_natural: case Token::LITERAL_var: case Token::LITERAL_array:
    case Token::LITERAL_dict: case Token::LITERAL_file: case Token::LITERAL_text: case Token::LITERAL_cstring: case Token::LITERAL_function:
    case Token::LITERAL_char: case Token::LITERAL_object:
        return true;
    default:
        return false;
    }
}

// After the subject of an if: a line end, then a line that starts with
// a comparison or "in", makes it a composite if.
bool LookAhead::compositeIfAhead() {
    if (LA(1) != Token::EOL && LA(1) != Token::COLON)
        return false;
    unsigned i = 2;
    while (LA(i) == Token::EOL)
        i++;
    switch (LA(i)) {
    case Token::LESSER: case Token::GREATER: case Token::EQUAL: case Token::LESS_EQUAL: case Token::GREAT_EQUAL:
    case Token::NOT_EQUAL: case Token::PASDIFF: case Token::LITERAL_in:
        return true;
    default:
        return false;
    }
}

// The body runs from the line end or ":" after the header to the "/for"
// that closes it; a one-line body ends with its line. Every "for" is
// counted as opening a block: one that does not (a one-line loop inside)
// only makes the look reach further, past the body's end, which errs on
// the safe side.
unsigned LookAhead::loopBodyEnd() {
    bool block = LA(1) == Token::EOL || LA(1) == Token::COLON;
    int depth = 0;
    for (unsigned i = 1; i <= LOOP_BODY_TOKENS; i++) {
        int type = LA(i);
        if (type == Token::EOL && !block)
            return i;
        if (type == Token::SLASHFOR && block && depth-- == 0)
            return i;
        if (type == Token::LITERAL_for)
            depth++;
        if (type == Token::EOF_)
            return 0;
    }
    return 0;
}

bool LookAhead::loopBodyMayReachOut(bool (*staysInLibrary)(const std::string &receiver)) {
    unsigned end = loopBodyEnd();
    if (end == 0)
        return true;
    for (unsigned i = 1; i < end; i++) {
        int type = LA(i);
        if (type == Token::LEFTPAR && callAt(i, staysInLibrary))
            return true;
        if (!isKeptInBodyToken(type))
            return true;
    }
    return false;
}

std::vector<std::string> LookAhead::arraysUsedByElement(bool (*staysInLibrary)(const std::string &receiver),
                                                        int (*viewKind)(const std::string &name)) {
    std::vector<std::string> names;
    unsigned end = loopBodyEnd();
    if (end == 0 || loopBodyMayReachOut(staysInLibrary) || !membersStayInLibrary(end, staysInLibrary))
        return names;
    std::vector<std::string> seen;
    std::vector<int> kinds;
    std::vector<bool> usable;
    for (unsigned i = 2; i < end; i++) {
        if (LA(i) != Token::IDENT || LA(i - 1) == Token::DOT)
            continue;
        std::string name = tokens_.LT(i)->getText();
        int kind = viewKind(name);
        if (kind == 0)
            continue;
        std::size_t at = 0;
        while (at < seen.size() && seen[at] != name)
            at++;
        if (at == seen.size()) {
            seen.push_back(name);
            kinds.push_back(kind);
            usable.push_back(true);
        }
        if (!usedByElementAt(i))
            usable[at] = false;
    }
    for (std::size_t n = 0; n < seen.size(); n++) {
        int sharing = 0;
        for (int kind : kinds)
            sharing += kind == kinds[n];
        if (usable[n] && sharing == 1)
            names.push_back(seen[n]);
    }
    return names;
}

bool LookAhead::usedByElementAt(unsigned i) {
    if (LA(i + 1) == Token::DOT)
        return LA(i + 2) == Token::IDENT && tokens_.LT(i + 2)->getText() == "push" && LA(i + 3) == Token::LEFTPAR;
    if (LA(i + 1) != Token::LEFTSQUARE || LA(i + 2) == Token::RIGHTSQUARE)
        return false;
    int depth = 0;
    for (unsigned j = i + 1; j <= i + LOOP_BODY_TOKENS; j++) {
        int type = LA(j);
        if (type == Token::LEFTSQUARE || type == Token::LEFTPAR) {
            depth++;
        } else if (type == Token::RIGHTSQUARE || type == Token::RIGHTPAR) {
            if (--depth == 0)
                return type == Token::RIGHTSQUARE && LA(j + 1) != Token::LEFTSQUARE && LA(j + 1) != Token::DOT;
        } else if (type == Token::EOL || type == Token::SEMI || type == Token::EOF_ ||
                   (depth == 1 && (type == Token::DOTDOT || type == Token::MINMIN || type == Token::COLON))) {
            return false;
        }
    }
    return false;
}

bool LookAhead::loopBodyOnlyReads(const std::string &name) {
    unsigned end = loopBodyEnd();
    if (end == 0)
        return false;
    for (unsigned i = 1; i < end; i++)
        if (LA(i) == Token::IDENT && tokens_.LT(i)->getText() == name && (i < 2 || !isReadingContextToken(LA(i - 1))))
            return false;
    return true;
}

bool LookAhead::isReadingContextToken(int type) {
    switch (type) {
    case Token::PLUS: case Token::MINUS: case Token::MUL: case Token::DIV: case Token::LITERAL_mod:
    case Token::EQUAL: case Token::LESSER: case Token::GREATER: case Token::LESS_EQUAL: case Token::GREAT_EQUAL:
    case Token::NOT_EQUAL: case Token::LEFTPAR: case Token::LEFTSQUARE: case Token::DOTDOT: case Token::MINMIN:
    case Token::LITERAL_while: case Token::LITERAL_until: case Token::LITERAL_if:
    case Token::LITERAL_and: case Token::LITERAL_or: case Token::LITERAL_not:
        return true;
    default:
        return false;
    }
}

// An attribute reached through "." may be an array under another name.
bool LookAhead::membersStayInLibrary(unsigned end, bool (*staysInLibrary)(const std::string &receiver)) {
    for (unsigned i = 2; i < end; i++)
        if (LA(i) == Token::DOT && (LA(i - 1) != Token::IDENT || !staysInLibrary(tokens_.LT(i - 1)->getText())))
            return false;
    return true;
}

// A "(" after a name, a type, a closing bracket or parenthesis calls or
// converts; after an operator or a keyword it only groups. A method of a
// plain name is looked at by the receiver's type.
bool LookAhead::callAt(unsigned i, bool (*staysInLibrary)(const std::string &receiver)) {
    if (i < 2)
        return false;
    int before = LA(i - 1);
    if (before == Token::IDENT) {
        bool plainReceiver = i >= 4 && LA(i - 2) == Token::DOT && LA(i - 3) == Token::IDENT &&
                             (i < 5 || LA(i - 4) != Token::DOT);
        return !plainReceiver || !staysInLibrary(tokens_.LT(i - 3)->getText());
    }
    return before == Token::RIGHTPAR || before == Token::RIGHTSQUARE || isTypeKeywordToken(before);
}

// Tokens of names, literals, operators, declarations of plain types and
// the statements that stay within the loop.
bool LookAhead::isKeptInBodyToken(int type) {
    switch (type) {
    case Token::IDENT: case Token::INTEGER: case Token::REAL_LITERAL: case Token::STRING_LITERAL:
    case Token::EOL: case Token::SEMI: case Token::COLON: case Token::QUESTION: case Token::Q_COMMENT:
    case Token::LEFTPAR: case Token::RIGHTPAR: case Token::LEFTSQUARE: case Token::RIGHTSQUARE: case Token::COMMA:
    case Token::DOT: case Token::DOTDOT: case Token::MINMIN:
    case Token::PLUS: case Token::MINUS: case Token::MUL: case Token::DIV: case Token::ANTISLASH: case Token::POWOP:
    case Token::LITERAL_mod: case Token::SHIFT_LEFT: case Token::SHIFT_RIGHT:
    case Token::AND_BIN: case Token::OR_BIN: case Token::XOR_BIN: case Token::NOT_BIN:
    case Token::EQUAL: case Token::LESSER: case Token::GREATER: case Token::LESS_EQUAL: case Token::GREAT_EQUAL:
    case Token::NOT_EQUAL: case Token::DIFF: case Token::PDIFF: case Token::PASDIFF:
    case Token::LITERAL_and: case Token::LITERAL_or: case Token::LITERAL_not: case Token::LITERAL_in:
    case Token::LITERAL_true: case Token::LITERAL_false: case Token::LITERAL_zero:
    case Token::LITERAL_if: case Token::LITERAL_else: case Token::SLASHIF:
    case Token::LITERAL_while: case Token::LITERAL_until: case Token::SLASHWHILE:
    case Token::LITERAL_do: case Token::SLASHDO: case Token::LITERAL_forever:
    case Token::LITERAL_for: case Token::SLASHFOR: case Token::LITERAL_step:
    case Token::LITERAL_break: case Token::LITERAL_continue: case Token::LITERAL_let:
    case Token::LITERAL_bool: case Token::LITERAL_byte: case Token::LITERAL_int: case Token::LITERAL_real:
    case Token::LITERAL_integer: case Token::LITERAL_natural: case Token::LITERAL_number:
        return true;
    default:
        return false;
    }
}

bool beginsOneLineBranch(int type) {
    static const int starts[] = {
        Token::QUESTION, Token::LITERAL_print, Token::LITERAL_return, Token::LITERAL_echo, Token::LITERAL_let, Token::LITERAL_break,
        Token::LITERAL_continue, Token::LITERAL_input, Token::IDENT, Token::LEFTPAR, Token::REAL_LITERAL, Token::INTEGER,
        Token::STRING_LITERAL, Token::LEFTSQUARE, Token::ATIDENT, Token::LEFTCURLY, Token::LITERAL_zero, Token::LITERAL_nil,
        Token::LITERAL_true, Token::LITERAL_false, Token::LITERAL_null, Token::LITERAL_this, Token::PHPID, Token::PHPCONSTANT,
        Token::LITERAL_void, Token::LITERAL_bool, Token::LITERAL_byte, Token::LITERAL_number, Token::LITERAL_int,
        Token::LITERAL_real, Token::LITERAL_integer, Token::LITERAL_natural, Token::LITERAL_var, Token::LITERAL_array,
        Token::LITERAL_dict, Token::LITERAL_file, Token::LITERAL_text, Token::LITERAL_cstring, Token::LITERAL_function,
        Token::LITERAL_char, Token::LITERAL_object};
    for (int start : starts)
        if (start == type)
            return true;
    return false;
}
