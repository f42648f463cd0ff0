#include "translator/reserved_words.hpp"

#include <antlr/CommonToken.hpp>
#include "diagnostics/diagnostics.hpp"
#include "lexer/token_listing.hpp"
#include "VLTokenTypes.hpp"

namespace {

// Words that open a declaration whose name comes next.
bool opensDeclaration(int type) {
    switch (type) {
    case VLTokenTypes::LITERAL_void: case VLTokenTypes::LITERAL_bool: case VLTokenTypes::LITERAL_byte:
    case VLTokenTypes::LITERAL_number: case VLTokenTypes::LITERAL_int: case VLTokenTypes::LITERAL_real:
    case VLTokenTypes::LITERAL_integer: case VLTokenTypes::LITERAL_natural: case VLTokenTypes::LITERAL_var:
    case VLTokenTypes::LITERAL_array: case VLTokenTypes::LITERAL_dict: case VLTokenTypes::LITERAL_file:
    case VLTokenTypes::LITERAL_text: case VLTokenTypes::LITERAL_string: case VLTokenTypes::LITERAL_cstring:
    case VLTokenTypes::LITERAL_char: case VLTokenTypes::LITERAL_object: case VLTokenTypes::LITERAL_function:
    case VLTokenTypes::LITERAL_class: case VLTokenTypes::LITERAL_define:
        return true;
    default:
        return false;
    }
}

// What may follow the name of a declaration: its parameters, its value,
// the end of the statement, the next name or parameter, a base class.
bool followsDeclaredName(int type) {
    switch (type) {
    case VLTokenTypes::LEFTPAR: case VLTokenTypes::EQUAL: case VLTokenTypes::EOL: case VLTokenTypes::SEMI:
    case VLTokenTypes::COMMA: case VLTokenTypes::RIGHTPAR: case VLTokenTypes::LITERAL_is:
    case antlr::Token::EOF_TYPE:
        return true;
    default:
        return false;
    }
}

// What may follow a variable's name where the keyword itself could not
// stand: an assignment, an element, a member, an operator, a separator.
bool followsVariableUse(int type) {
    switch (type) {
    case VLTokenTypes::EQUAL: case VLTokenTypes::LEFTSQUARE: case VLTokenTypes::DOT:
    case VLTokenTypes::COMMA: case VLTokenTypes::RIGHTPAR: case VLTokenTypes::RIGHTSQUARE:
    case VLTokenTypes::PLUS: case VLTokenTypes::MINUS: case VLTokenTypes::MUL: case VLTokenTypes::DIV:
    case VLTokenTypes::EOL: case VLTokenTypes::SEMI:
        return true;
    default:
        return false;
    }
}

// Keywords that complete a statement on their own or start one with an
// expression after them: their ordinary use looks like a variable's, so
// they are never taken for a reported name.
bool standsAlone(int type) {
    switch (type) {
    case VLTokenTypes::LITERAL_return: case VLTokenTypes::LITERAL_else: case VLTokenTypes::LITERAL_default:
    case VLTokenTypes::LITERAL_break: case VLTokenTypes::LITERAL_continue: case VLTokenTypes::LITERAL_forever:
    case VLTokenTypes::LITERAL_do: case VLTokenTypes::LITERAL_try: case VLTokenTypes::LITERAL_always:
    case VLTokenTypes::LITERAL_print: case VLTokenTypes::LITERAL_echo: case VLTokenTypes::LITERAL_input:
    case VLTokenTypes::LITERAL_this: case VLTokenTypes::LITERAL_super: case VLTokenTypes::LITERAL_null:
    case VLTokenTypes::LITERAL_nil: case VLTokenTypes::LITERAL_true: case VLTokenTypes::LITERAL_false:
    case VLTokenTypes::LITERAL_zero: case VLTokenTypes::LITERAL_not:
        return true;
    default:
        return false;
    }
}

// The method that converts a value to a type users write as a conversion
// function, or nullptr for the other words.
const char *conversionTo(int type) {
    switch (type) {
    case VLTokenTypes::LITERAL_int: case VLTokenTypes::LITERAL_integer: return "toInt";
    case VLTokenTypes::LITERAL_real: case VLTokenTypes::LITERAL_number: return "toReal";
    case VLTokenTypes::LITERAL_natural: return "toNatural";
    case VLTokenTypes::LITERAL_text: case VLTokenTypes::LITERAL_string: return "toText";
    default: return nullptr;
    }
}

}  // namespace

const antlr::RefToken &ReservedWordFilter::peek(std::size_t ahead) {
    while (ahead_.size() <= ahead)
        ahead_.push_back(source_.nextToken());
    return ahead_[ahead];
}

bool ReservedWordFilter::declaresName(const antlr::RefToken &word, const antlr::RefToken &next) const {
    return afterType_ && isKeywordType(word->getType()) && followsDeclaredName(next->getType());
}

bool ReservedWordFilter::usesReportedName(const antlr::RefToken &word, const antlr::RefToken &next) const {
    auto found = reported_.find(word->getText());
    if (found == reported_.end() || standsAlone(word->getType()))
        return false;
    if (found->second == NameKind::FUNCTION)
        return next->getType() == VLTokenTypes::LEFTPAR;
    return followsVariableUse(next->getType());
}

antlr::RefToken ReservedWordFilter::asIdentifier(const antlr::RefToken &word) {
    antlr::RefToken name(new antlr::CommonToken(VLTokenTypes::IDENT, word->getText()));
    name->setLine(word->getLine());
    name->setColumn(word->getColumn());
    return name;
}

void ReservedWordFilter::track(int type) {
    // `int[] name`: the brackets of a typed array keep the declaration open.
    bool bracketOfType = (type == VLTokenTypes::LEFTSQUARE && afterType_) ||
                         (type == VLTokenTypes::RIGHTSQUARE && afterType_);
    afterType_ = opensDeclaration(type) || bracketOfType;
}

antlr::RefToken ReservedWordFilter::nextToken() {
    antlr::RefToken token = peek(0);
    ahead_.pop_front();
    if (token->getType() != antlr::Token::EOF_TYPE && isKeywordType(token->getType())) {
        const antlr::RefToken &next = peek(0);
        const char *conversion = conversionTo(token->getType());
        // int() alone is an empty value of the type, and stays.
        if (conversion && !afterType_ && next->getType() == VLTokenTypes::LEFTPAR &&
            peek(1)->getType() != VLTokenTypes::RIGHTPAR) {
            // Reported once; the parser reads the parenthesised value alone.
            reportTypeCalled(token->getLine(), token->getText(), conversion);
            token = peek(0);
            ahead_.pop_front();
        } else if (declaresName(token, next)) {
            reportReservedWord(token->getLine(), token->getText());
            reported_[token->getText()] =
                next->getType() == VLTokenTypes::LEFTPAR ? NameKind::FUNCTION : NameKind::VARIABLE;
            token = asIdentifier(token);
        } else if (usesReportedName(token, next)) {
            token = asIdentifier(token);
        }
    }
    track(token->getType());
    return token;
}
