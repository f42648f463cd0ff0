// The operators: each takes the values of its operands, runs the operand
// checks and gives the C++ text and type of the result.
#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include <cmath>
#include <stdexcept>
#include "semantics/spellings.hpp"
#include "translator/brackets.hpp"
#include "translator/evaluation_order.hpp"
#include "translator/in_place_append.hpp"
#include "translator/known_integers.hpp"
#include "VLTokenTypes.hpp"
#include "translator/expression_parts.hpp"

namespace {

// Operand types that "+" joins as texts: at least one text or C string,
// the other one of those or a byte or char.
bool joinsTexts(int left, int right) {
    auto textual = [](int type) { return type == T_TEXT || type == T_CHARPTR; };
    auto character = [&](int type) { return textual(type) || type == T_BYTE || type == T_CHAR; };
    return (textual(left) || textual(right)) && character(left) && character(right);
}

// The types that hold a plain number: byte to small real.
bool isNumberType(int type) { return type >= T_BYTE && type <= T_SMALLREAL; }

// "not x" is written "!x", a C++ bool, which the compilers warn of when it
// is compared with a number other than 0 or 1: libvel hands it over as the
// int it is.
bool isWrittenNot(const std::string &text) { return !text.empty() && text[0] == '!'; }

std::string asInt(const std::string &text) { return "_vel_number(" + text + ")"; }

// left op right, with a blank where C++ would read two signs as "--" or "++".
// The left text is taken over and appended to, so that a long chain of
// operators is translated in linear time.
std::string joined(std::string left, const std::string &op, const std::string &right) {
    bool signs = !op.empty() && (op.back() == '-' || op.back() == '+') && !right.empty() &&
                 (right[0] == '-' || right[0] == '+');
    left += op;
    if (signs)
        left += ' ';
    left += right;
    return left;
}

void countOperator() {
    if (++expressions().operators == EXPRESSION_OPERATOR_LIMIT + 1) {
        reportLimit("operators in an expression", EXPRESSION_OPERATOR_LIMIT, EXPRESSION_OPERATOR_LIMIT + 1);
        throw NestingTooDeep("expression too long");
    }
}

// An operand of unknown type has had its error reported already; checking
// it again would only repeat that error in other words.
bool eitherUnknown(int left, int right) {
    return left == T_UNKNOWN || right == T_UNKNOWN;
}

// An operation with a dynamic operand gives a dynamic value in C++ even
// where Velmora knows its type (var plus text is a text): the value is
// converted to that type so that it can stand where the type is expected.
ExprValue typedFromDynamic(ExprValue value, int leftType, int rightType) {
    // nil is written as an empty dyn, so it computes as a var does.
    auto computesAsVar = [](int type) { return type == T_VAR || type == T_NIL; };
    // A container on the left gives a container in C++ already.
    bool dynamicResult = isContainer(value.type) ? computesAsVar(leftType)
                                                 : computesAsVar(leftType) || computesAsVar(rightType);
    if (dynamicResult && value.type != T_VAR && value.type != T_UNKNOWN) {
        ExprValue dynamic = value;
        dynamic.type = T_VAR;
        value.text = convertValue(value.type, dynamic);
    }
    return value;
}

// The text without the parentheses put around it, at any depth.
std::string withoutOuterParentheses(std::string text) {
    while (enclosedInParentheses(text))
        text = text.substr(1, text.size() - 2);
    return text;
}

// A real divided by an integer is a real division in C++ too; an integer
// literal divisor (in parentheses or not) is written as a real so that a zero gives infinity
// without the compilers' warning of an integer division by zero.
std::string realDivisor(const ExprValue &divisor) {
    const std::string &text = divisor.text;
    if (divisor.stringLiteral || !isIntegerLike(divisor.type))
        return text;
    size_t open = text.find_first_not_of('('), close = text.find_last_not_of(')');
    if (divisor.type == T_INTEGER && open != std::string::npos && close != std::string::npos &&
        open == text.size() - 1 - close) {
        const std::string digits = text.substr(open, close + 1 - open);
        if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos)
            return digits + ".0";
    }
    // g++ folds "k - k" to an integer zero and warns of the division; a
    // real zero divides as Velmora says, to an infinity.
    return divisor.plainName ? "(double)" + text : "(double)(" + text + ")";
}

// A comparison of a scalar with itself is what the program says (x = x is
// false for a NaN), but clang warns of it; the unary plus makes the right
// side another expression of the same value.
std::string besideItself(const std::string &left, const std::string &right, int type, int classIndex) {
    // An object of a program's class is a counted reference, which C++
    // compares through a function of libvel, without a warning, and which
    // has no unary plus of its own.
    bool pointer = type == T_OBJECT && classIndex >= 0 && !classRecord(classIndex).counted;
    bool scalar = isIntegerLike(type) || isFloating(type) || type == T_CHAR || pointer;
    bool same = withoutOuterParentheses(left) == withoutOuterParentheses(right);
    return scalar && same ? "+(" + right + ")" : right;
}

// Two C strings compare as pointers in C++; Velmora compares their texts.
bool bothCStrings(const ExprValue &left, int leftType, const ExprValue &right) {
    auto cString = [](const ExprValue &side, int type) {
        return type == T_CHARPTR || (type == T_TEXT && side.stringLiteral);
    };
    return cString(left, leftType) && cString(right, right.type);
}

// nil, and null beside a number or a text: the empty value of the other
// side's type rather than a null pointer, which C++ would compare with a
// number as 0 and with a warning. A var holding null holds 0.
bool standsForNil(const ExprValue &side, int sideType, int otherType) {
    if (sideType == T_NIL)
        return true;
    bool valueType = isNumberType(otherType) || otherType == T_TEXT ||
                     otherType == T_CHARPTR || otherType == T_CHAR;
    return side.text == "NULL" && valueType;
}

std::string nilOperandFor(int type, int classIndex) {
    switch (type) {
    case T_OBJECT: return nullObject(classIndex);
    case T_NATURAL: return "0";
    case T_CHAR: return "'\\0'";
    // A var holds nil itself: it equals nil, not false or 0.
    case T_VAR: return "dyn()";
    default: return nilFor(type);
    }
}

// A natural beside a signed integer that may be negative: C++ would compare
// the two as naturals, so -1 would be above every natural. libvel compares
// their values.
bool signednessDiffers(const ExprValue &left, int leftType, const ExprValue &right) {
    auto maySignedNegative = [](const ExprValue &side, int type) {
        bool nonNegativeLiteral = side.literal && !side.stringLiteral && side.text[0] != '-';
        return (type == T_INTEGER || type == T_LONG) && !nonNegativeLiteral;
    };
    return (leftType == T_NATURAL && maySignedNegative(right, right.type)) ||
           (maySignedNegative(left, leftType) && right.type == T_NATURAL);
}

bool comparedAsText(int characterType, int otherType) {
    return (characterType == T_BYTE && isTextLike(otherType)) || (characterType == T_CHAR && otherType == T_CHARPTR);
}

bool narrowBesideWideLiteral(const ExprValue &narrow, int narrowType, const ExprValue &other) {
    if (narrow.known || !other.known)
        return false;
    // A byte (an unsigned char) and a char hold less than an int: the
    // literal is past their range sooner.
    if (narrowType == T_BYTE)
        return other.wide || other.knownValue < 0 || other.knownValue > 255;
    if (narrowType == T_CHAR)
        return other.wide || other.knownValue < -128 || other.knownValue > 127;
    return narrowType == T_INTEGER && !narrow.wide && other.wide;
}

// A text compared with a char: a one-character literal as the char it
// holds, any other text as a text (C++ would compare a char with a pointer).
std::string textBesideChar(const ExprValue &text) {
    return text.stringLiteral && text.text.size() == 3 ? convertValue(T_CHAR, text) : "text(" + text.text + ")";
}

// An object of a class takes part in no arithmetic: C++ would refuse a
// pointer or a reference beside a number. null is the empty value of the
// other side (nullsBesideNumbers).
bool refusedObjectOperand(const ExprValue &left, const ExprValue &right, int classWord) {
    auto object = [](const ExprValue &side) {
        return side.type == T_OBJECT && side.classIndex >= 0 && side.text != "NULL";
    };
    if (!object(left) && !object(right))
        return false;
    reportOperands(classWord, left.type, right.type);
    return true;
}

bool isClassObject(const ExprValue &side) {
    return side.type == T_OBJECT && side.classIndex >= 0 && side.text != "NULL";
}

// What an object of a class may be compared with: an object that may be
// the same one (of its class, a base or a derived class, or of a class not
// known), null or nil, or a var that may hold it.
bool mayBeTheSameObject(const ExprValue &object, const ExprValue &other) {
    if (other.type == T_VAR || other.type == T_NIL || other.type == T_UNKNOWN || other.text == "NULL")
        return true;
    if (other.type != T_OBJECT)
        return false;
    return other.classIndex < 0 || relatedClasses(object.classIndex, other.classIndex);
}

// An object equals only itself. Beside a number, a text, a list or an
// object of an unrelated class the answer could only be false, as it could
// for a number beside a text, which is refused: so is this.
bool refusedObjectComparison(const ExprValue &left, const ExprValue &right) {
    const ExprValue *object = isClassObject(left) ? &left : isClassObject(right) ? &right : nullptr;
    if (object == nullptr)
        return false;
    const ExprValue &other = object == &left ? right : left;
    if (mayBeTheSameObject(*object, other))
        return false;
    if (other.type != T_OBJECT) {
        reportOperands(W_RELATIONAL, left.type, right.type);
        hintLastReport("an object is compared with an object of its class, a base or a derived class, null or a var; "
                       "compare one of its attributes with the value");
        return true;
    }
    const std::string &objectClass = classRecord(object->classIndex).name;
    const std::string &otherClass = classRecord(other.classIndex).name;
    reportOperands(W_RELATIONAL, classRecord(left.classIndex).name, classRecord(right.classIndex).name);
    hintLastReport("objects compare by identity, and an object of class " + objectClass + " is never one of class " +
                   otherClass + ": neither is the other or derives from it");
    return true;
}

ExprValue comparisonText(ExprValue left, int comparisonToken, const ExprValue &right) {
    countOperator();
    const int leftType = left.type;
    // Before the texts change: whether each side is an object, null or nil.
    const bool refusedObjects = refusedObjectComparison(left, right);
    std::string rightText = right.text;
    // nil or null on either side stands for the null of the other side.
    bool rightNil = standsForNil(right, right.type, leftType);
    bool leftNil = standsForNil(left, leftType, right.type);
    if (rightNil)
        rightText = nilOperandFor(leftType, left.classIndex);
    else if (leftType == T_OBJECT && rightText == "NULL")
        rightText = nullObject(left.classIndex);
    if (leftNil)
        left.text = nilOperandFor(right.type, right.classIndex);
    else if (right.type == T_OBJECT && left.text == "NULL")
        left.text = nullObject(right.classIndex);
    // A C string compared with nil is compared as a text with "".
    if (rightNil && leftType == T_CHARPTR)
        left.text = "text(" + left.text + ")";
    if (leftNil && right.type == T_CHARPTR)
        rightText = "text(" + rightText + ")";
    // A char is compared with a one-character literal as a char, and with
    // any other text as a text.
    if (leftType == T_CHAR && right.type == T_TEXT)
        rightText = textBesideChar(right);
    else if (right.type == T_CHAR && leftType == T_TEXT)
        left.text = textBesideChar(left);
    // A byte beside a text, or a char beside a C string, is compared as the
    // text "+" would join it as: C++ would compare a number with a pointer.
    else if (comparedAsText(leftType, right.type))
        left.text = "text(" + left.text + ")";
    else if (comparedAsText(right.type, leftType))
        rightText = "text(" + rightText + ")";
    const bool ordering = comparisonToken == VLTokenTypes::LESSER || comparisonToken == VLTokenTypes::GREATER ||
                          comparisonToken == VLTokenTypes::LESS_EQUAL || comparisonToken == VLTokenTypes::GREAT_EQUAL;
    // Two calls without a result have no values to compare; objects are
    // the same or not, and have no order.
    if (refusedObjects)
        return result(std::move(left.text) + "==" + rightText, T_BOOLEAN);
    if (leftType == T_VOID && right.type == T_VOID)
        reportOperands(W_RELATIONAL, leftType, right.type);
    else if (ordering && refusedObjectOperand(left, right, W_RELATIONAL))
        return result(std::move(left.text) + "<" + rightText, T_BOOLEAN);
    else if (!eitherUnknown(leftType, right.type))
        checkRelational(leftType, right.type);
    if (bothCStrings(left, leftType, right))
        left.text = "text(" + left.text + ")";
    static const char *const texts[] = {"<", ">", "==", "<=", ">=", "!="};
    int index = comparisonToken == VLTokenTypes::LESSER ? 0 : comparisonToken == VLTokenTypes::GREATER ? 1 : comparisonToken == VLTokenTypes::EQUAL ? 2
              : comparisonToken == VLTokenTypes::LESS_EQUAL ? 3 : comparisonToken == VLTokenTypes::GREAT_EQUAL ? 4 : 5;
    if (signednessDiffers(left, leftType, right))
        return result("_vel_order(" + left.text + "," + rightText + ")" + texts[index] + "0", T_BOOLEAN, LOOSE_RELATION);
    rightText = besideItself(left.text, rightText, leftType, left.classIndex);
    for (std::string *side : {&left.text, &rightText})
        if (isWrittenNot(*side))
            *side = asInt(*side);
    // clang warns that a narrow integer compared with a literal past its
    // range always gives one answer: the answer stays, compared in 64 bits.
    if (narrowBesideWideLiteral(left, leftType, right))
        left.text = "(long long)(" + left.text + ")";
    else if (narrowBesideWideLiteral(right, right.type, left))
        rightText = "(long long)(" + rightText + ")";
    return result(std::move(left.text) + texts[index] + rightText, T_BOOLEAN, LOOSE_RELATION);
}

bool isDecimalLiteral(const ExprValue &value) {
    return value.literal && !value.stringLiteral && value.type == T_INTEGER && !value.text.empty() &&
           value.text.size() < 18 && value.text.find_first_not_of("0123456789") == std::string::npos;
}

int bitLevelOf(const std::string &op) { return op == "|" ? FLAT_BIT_OR : op == "^" ? FLAT_BIT_XOR : FLAT_BIT_AND; }

// The text of the left operand of a bit operator without the parentheses
// of its chain when that chain is of the same operator's level: C++ groups
// it from the left as Velmora does, and "((a|b)|c)" would nest as deep as
// the chain is long, past what compilers take. A chain of a tighter level
// keeps its parentheses, which the compilers would otherwise ask for.
std::string bitOperandText(ExprValue &left, int level) {
    bool chain = left.flatChain == level && left.text.size() == left.flatLength && left.text.size() >= 2;
    if (!chain)
        return std::move(left.text);
    left.text.pop_back();
    left.text.erase(0, 1);
    return std::move(left.text);
}

// Velmora binds the bit operators tighter than comparisons and C++ does
// not: the parentheses keep "x & 1 = 0" a test of (x & 1).
ExprValue bitChain(ExprValue left, const std::string &op, const ExprValue &right, int type) {
    int level = bitLevelOf(op);
    ExprValue value = result("(" + joined(bitOperandText(left, level), op, right.text) + ")", type);
    value.flatChain = level;
    value.flatLength = value.text.size();
    return value;
}

ExprValue bitOperatorText(ExprValue left, const std::string &op, const ExprValue &right) {
    countOperator();
    if (eitherUnknown(left.type, right.type))
        return bitChain(std::move(left), op, right, T_UNKNOWN);
    // Bits belong to integers: a real operand is refused rather than cut.
    if (isFloating(left.type) || isFloating(right.type)) {
        reportOperands(W_BINARY, left.type, right.type);
        return bitChain(std::move(left), op, right, T_UNKNOWN);
    }
    int type = checkBitOperator(left.type, right.type);
    // 2^5 is an exclusive or in Velmora as in C++; clang takes two decimal
    // literals (10^+14 too) for a power written by mistake, so the value of
    // known operands is written.
    if (op == "^" && type == T_INTEGER && left.known && right.known)
        return knownExclusiveOr(left, right);
    ExprValue knownLeft;
    knownLeft.known = left.known;
    knownLeft.wide = left.wide;
    knownLeft.knownValue = left.knownValue;
    ExprValue value = bitChain(std::move(left), op, right, type);
    foldKnownBits(value, knownLeft, op[0], right);
    return value;
}

bool refusedNonNumbers(int left, int right, int classWord) {
    if (!holdsNoNumber(left) && !holdsNoNumber(right))
        return false;
    reportOperands(classWord, left, right);
    return true;
}

// null beside a number computes as the 0 that a var holding null holds;
// C++ would warn of NULL in arithmetic.
void nullsBesideNumbers(ExprValue &left, ExprValue &right) {
    auto number = [](const ExprValue &side) { return isNumberType(side.type) || side.type == T_VAR; };
    if (left.text == "NULL" && number(right))
        left.text = "0";
    if (right.text == "NULL" && number(left))
        right.text = "0";
}

// An integer with a natural computes as an integer: C++ would make the
// integer a natural, so that 3 - 10n were 2^64 - 7. The natural is taken
// as a 64-bit signed integer, which keeps a large natural's digits too.
ExprValue signedBesideInteger(int leftType, ExprValue right) {
    if (leftType == T_INTEGER && right.type == T_NATURAL) {
        right.text = "(long long)(" + right.text + ")";
        markComputed(right);
    }
    return right;
}

ExprValue additiveOperatorText(ExprValue left, bool plus, const ExprValue &givenRight) {
    const ExprValue right = signedBesideInteger(left.type, givenRight);
    if (refusedObjectOperand(left, right, W_ADD)) {
        countOperator();
        return result(std::move(left.text) + (plus ? "+" : "-") + right.text, T_UNKNOWN);
    }
    countOperator();
    const int leftType = left.type;
    std::shared_ptr<AppendChain> chain = plus ? chainBefore(left) : nullptr;
    std::size_t leftLength = left.text.size();
    int key = leftType == T_VAR ? right.type : leftType;
    std::string op = plus ? "+" : "-";
    ExprValue value;
    if (eitherUnknown(leftType, right.type)) {
        value = result(joined(std::move(left.text), op, right.text), T_UNKNOWN);
    } else if (key > T_FILEARRAY) {
        value = result(joined(std::move(left.text), op, right.text), checkArith(leftType, right.type, W_ADD));
    } else if (isTypedArray(key)) {
        if (isTypedArray(right.type))
            checkSameArray(key, right.type);
        else
            checkElement(key, right.type);
        value = result(joined(std::move(left.text), op, right.text), leftType);
    } else if ((key == T_TEXT || key == T_CHARPTR) && left.literal && (plus || !joinsTexts(leftType, right.type))) {
        // Two string literals are joined by the C++ compiler; a literal
        // followed by anything else becomes a text so that "+" concatenates.
        if (plus && left.stringLiteral && right.stringLiteral) {
            value = result(std::move(left.text) + " " + right.text, checkArith(leftType, right.type, W_ADD));
            value.literal = true;
            value.stringLiteral = true;
        } else {
            int sum = checkArith(leftType, right.type, W_ADD);
            // A literal joined with a byte or a char is a text, as any text is.
            int type = plus && joinsTexts(leftType, right.type) ? T_TEXT : sum;
            value = result(joined("text(" + left.text + ")", op, right.text), type);
        }
    } else if (key != T_ARRAY && key != T_DICT && key != T_LIST && joinsTexts(leftType, right.type)) {
        // A text with a byte, char or C string is joined as texts: in C++
        // "+" on a char pointer would be pointer arithmetic. Texts cannot
        // be subtracted.
        if (!plus) {
            reportOperands(W_ADD, leftType, right.type);
            value = result(joined(std::move(left.text), op, right.text), T_UNKNOWN);
        } else {
            // An element of a text is a text of its own kind in C++, which a
            // number joins as well as it joins a text.
            bool element = !left.plainName && (right.type == T_BYTE || right.type == T_CHAR);
            if (leftType != T_TEXT || left.literal || element)
                left.text = "text(" + left.text + ")";
            value = result(joined(std::move(left.text), op, right.text), T_TEXT);
        }
    } else if (plus && leftType == T_CHAR && right.type == T_CHAR) {
        // Two characters join as a text of two; in C++ they would add as
        // their codes.
        value = result(joined("text(" + left.text + ")", op, right.text), T_TEXT);
    } else if (key != T_ARRAY && key != T_DICT && key != T_LIST) {
        value = result(joined(std::move(left.text), op, right.text), checkArith(leftType, right.type, W_ADD));
        foldKnownIntegers(value, left, plus ? '+' : '-', right);
    } else if (right.type == T_ARRAY || right.type == T_DICT || right.type == T_LIST) {
        value = result(joined(std::move(left.text), op, right.text), checkArrayOp(leftType, right.type));
    } else if (right.type == T_VAR) {
        value = result(joined(std::move(left.text), op, right.text), leftType);
    } else {
        value = result(std::move(left.text) + op + "dyn(" + right.text + ")", leftType);
    }
    std::string piece = chain ? pieceAfter(value.text, leftLength) : std::string();
    value = typedFromDynamic(std::move(value), leftType, right.type);
    value.append = chainAfter(std::move(chain), std::move(piece), right, value);
    return value;
}

ExprValue multiplicativeOperatorText(ExprValue left, int operatorToken, const ExprValue &givenRight) {
    countOperator();
    // Division keeps its own rule: an integer divided by a natural is a real.
    const ExprValue right = operatorToken == VLTokenTypes::DIV ? givenRight : signedBesideInteger(left.type, givenRight);
    const int leftType = left.type;
    int classWord = operatorToken == VLTokenTypes::MUL ? W_MULTIPLY : operatorToken == VLTokenTypes::DIV ? W_DIVIDE : W_MODULO;
    if (eitherUnknown(leftType, right.type) || refusedNonNumbers(leftType, right.type, classWord) ||
        refusedObjectOperand(left, right, classWord)) {
        static const char *const texts[] = {"*", "/", "%"};
        int index = operatorToken == VLTokenTypes::MUL ? 0 : operatorToken == VLTokenTypes::DIV ? 1 : 2;
        return result(std::move(left.text) + texts[index] + right.text, T_UNKNOWN);
    }
    ExprValue value;
    if (operatorToken == VLTokenTypes::MUL) {
        value = result(joined(std::move(left.text), "*", right.text), checkArith(leftType, right.type, W_MULTIPLY));
        foldKnownIntegers(value, left, '*', right);
    } else if (operatorToken == VLTokenTypes::DIV) {
        int type = checkArith(leftType, right.type, W_DIVIDE);
        // An integer divided by an integer is a number in Velmora; C++
        // would truncate.
        // C++ would truncate, and trap on a zero divisor.
        if (dividesAsNaturals(leftType, right.type))
            value = result("_vel_natural_div(" + left.text + "," + right.text + ")", type);
        else if (isIntegerLike(leftType) && isIntegerLike(right.type))
            value = result("_vel_div(" + left.text + "," + right.text + ")", type);
        else if (leftType == T_VAR && (isIntegerLike(right.type) || right.type == T_NATURAL))
            // The var decides: holding no real, its division by a zero
            // integer is the run-time error, as between two vars.
            value = result(std::move(left.text) + "/dyn(" + right.text + ")", type);
        else
            value = result(std::move(left.text) + "/" + realDivisor(right), type);
    } else {
        int type = checkArith(leftType, right.type, W_MODULO);
        if (isFloating(leftType) || isFloating(right.type))
            value = result("fmod(" + left.text + "," + right.text + ")", type);
        else if (isIntegerLike(leftType) && isIntegerLike(right.type))
            value = result("_vel_mod(" + left.text + "," + right.text + ")", type);
        else
            value = result(std::move(left.text) + "%" + right.text, type);
    }
    // The calls hold the left operand: a chain of them nests.
    if (value.text.compare(0, 4, "_vel") == 0 || value.text.compare(0, 5, "fmod(") == 0)
        nestAround(value, left);
    return typedFromDynamic(std::move(value), leftType, right.type);
}

// The operators apply from the last one, next to the operand, outwards.
int typeAfterPrefix(const std::string &prefix, int type) {
    bool integral = false;  // the C++ value is a bool or an integer promoted from one
    for (auto op = prefix.rbegin(); op != prefix.rend(); ++op) {
        if (*op == '!') {
            type = typeOfNot(type);
            integral = true;
        } else {
            if (*op != '+')
                checkSignOperand(*op, type, integral);
            type = typeOfSign(type);
            integral = integral || *op == '~';
        }
    }
    return type;
}

// The tested value of a range test stands before two comparisons, so an
// expression goes in parentheses. A boolean, like "not x", is compared as
// an int.
std::string rangeItem(const ExprValue &item) {
    if (item.type == T_BOOLEAN || isWrittenNot(item.text))
        return asInt(item.text);
    if (item.literal || item.plainName)
        return item.text;
    return "(" + item.text + ")";
}

// The container's text is followed by a member call: anything but a plain
// name or a call goes in parentheses, or "a + c" would become "a + c.in(x)".
std::string asReceiver(const ExprValue &container) {
    if (container.plainName)
        return container.text;
    return "(" + container.text + ")";
}

}  // namespace

NestingGuard::NestingGuard() {
    // The statement's own expression is the first level; those nested in it count.
    if (++expressions().depth > EXPRESSION_NESTING_LIMIT + 1) {
        int found = expressions().depth-- - 1;
        reportLimit("nested expressions", EXPRESSION_NESTING_LIMIT, found);
        throw NestingTooDeep("expressions nested too deeply");
    }
}

NestingGuard::~NestingGuard() {
    // The operator count belongs to the outermost expression.
    if (--expressions().depth == 0)
        expressions().operators = 0;
}

void resetExpressionState() {
    resetCallState();
}

ExprValue logicalOperator(ExprValue left, const std::string &op, const ExprValue &right) {
    countOperator();
    if (!eitherUnknown(left.type, right.type))
        checkBoolean(left.type, right.type);
    ExprValue value = result(conditionText(left) + op + conditionText(right), T_BOOLEAN, LOOSE_LOGICAL);
    value.effects = left.effects || right.effects;
    return value;
}

// Multiplication, division, modulo and shifts compute with numbers. The
// operand table lets texts and containers through, which C++ would take for
// pointer arithmetic or compute as dynamic values that hold no number:
// they are refused, as "-" refuses texts.
bool holdsNoNumber(int type) {
    return isTextLike(type) || isContainer(type);
}

ExprValue shiftOperator(ExprValue left, bool shiftLeft, ExprValue right) {
    // null beside a number shifts as the int 0 it is written as, its count
    // taken modulo an int's width: C++ warns of a constant count past it.
    auto number = [](const ExprValue &side) { return isNumberType(side.type) || side.type == T_VAR; };
    bool leftZero = left.text == "NULL" && number(right), rightZero = right.text == "NULL" && number(left);
    for (ExprValue *zero : {leftZero ? &left : nullptr, rightZero ? &right : nullptr})
        if (zero) {
            zero->text = "0";
            zero->type = T_INTEGER;
            zero->literal = true;
        }
    countOperator();
    const int leftType = left.type;
    int resultType = T_UNKNOWN;
    if (eitherUnknown(leftType, right.type) || refusedNonNumbers(leftType, right.type, W_SHIFT))
        resultType = T_UNKNOWN;
    else if (isFloating(leftType) || isFloating(right.type))
        reportOperands(W_SHIFT, leftType, right.type);
    else
        resultType = checkArith(leftType, right.type, W_SHIFT);
    // The operators bind as in C++, but clang warns of a sum beside a shift.
    // A shift needs no parentheses as the left operand of the next one: C++
    // groups them from the left as Velmora does, and a long chain would nest
    // them past what compilers take.
    // A shift of unsigned bits cast back, "(int)((unsigned)a<<b)", is a cast
    // and binds tighter than "<<" and "&": as a count it takes no pair, which
    // a right-nested chain would otherwise add at each of its levels.
    auto operand = [](const ExprValue &side) {
        bool castForm = (side.flatChain == FLAT_SHIFT_INT || side.flatChain == FLAT_SHIFT_LONG) &&
                        side.flatLength == side.text.size();
        bool bare = side.plainName || side.literal || castForm || enclosedInParentheses(side.text);
        return bare ? side.text : "(" + side.text + ")";
    };
    bool wideResult = left.wide || resultType == T_NATURAL || resultType == T_LONG;
    std::string count = resultType == T_INTEGER || wideResult ? shiftCountText(wideResult ? 64 : 32, right, operand(right))
                                                             : operand(right);
    std::string leftText = left.loose == LOOSE_SHIFT ? left.text : operand(left);
    std::string shifted = leftText + (shiftLeft ? "<<" : ">>") + count;
    // A negative integer shifted left is undefined in C++17 (and clang warns
    // of a negative literal), as is a literal shifted past its bits: the
    // bits are shifted as unsigned ones. Such a shift of the unsigned bits
    // shifts them further in place of casting them back and forth.
    int flat = FLAT_NONE;
    if (shiftLeft && leftType == T_INTEGER && resultType == T_INTEGER &&
        (!isDecimalLiteral(left) || knownShiftOverflows(left, right))) {
        flat = left.wide ? FLAT_SHIFT_LONG : FLAT_SHIFT_INT;
        if (left.flatChain == flat && left.flatLength == left.text.size()) {
            left.text.pop_back();
            shifted = std::move(left.text) + "<<" + count + ")";
        } else {
            shifted = (left.wide ? "(long long)((unsigned long long)" : "(int)((unsigned)") + leftText + "<<" + count + ")";
        }
    }
    ExprValue value = result(shifted, resultType, LOOSE_SHIFT);
    value.flatChain = flat;
    value.flatLength = value.text.size();
    value.effects = left.effects || right.effects;
    foldKnownShift(value, left, shiftLeft, right);
    return typedFromDynamic(std::move(value), leftType, right.type);
}

std::string appendPrefix(std::string prefix, const std::string &op) {
    countOperator();
    if (!prefix.empty() && (prefix.back() == '-' || prefix.back() == '+') && (op == "-" || op == "+"))
        prefix += ' ';
    prefix += op;
    return prefix;
}

// The complement of a truth value is that of the int it stands for: C++
// takes it so but warns of "~" on a bool ("~!x", "~true"), so the int is
// written out.
std::string complementsOfInts(const std::string &prefix, bool boolean) {
    std::string written;
    for (auto op = prefix.rbegin(); op != prefix.rend(); ++op) {
        if (*op == '~' && boolean)
            written.insert(0, "(int)");
        written.insert(written.begin(), *op);
        if (*op == '!')
            boolean = true;
        else if (*op != ' ')
            boolean = false;
    }
    return written;
}

ExprValue prefixed(const std::string &written, const ExprValue &operand) {
    if (written.empty())
        return operand;
    if (written == "-" && operand.lowestIntegerDigits)
        return integerLiteral("-9223372036854775808");
    std::string prefix = complementsOfInts(written, operand.type == T_BOOLEAN);
    std::string text = prefix.back() == '!' ? conditionText(operand) : operand.text;
    // "not" of an object tests that it is null: a counted reference is made
    // a truth value first, since libvel's "!" of a dyn would take it too.
    if (prefix.back() == '!' && operand.type == T_OBJECT && operand.classIndex >= 0 && operand.text != "NULL")
        text = "static_cast<bool>(" + operand.text + ")";
    // A quoted literal is a C++ array of chars, whose sign is none or a
    // pointer's: it gets them as a text variable would.
    if (operand.stringLiteral && prefix.back() != '!')
        text = "text(" + text + ")";
    ExprValue value = result(prefix + text, typeAfterPrefix(written, operand.type));
    value.literal = operand.literal && !operand.stringLiteral;
    foldKnownSigns(value, written, operand);
    value.effects = operand.effects;
    return value;
}

std::string boundTest(const ExprValue &item, const std::string &op, const ExprValue &bound, bool checked) {
    // A bound is compared with the item as a comparison would compare them;
    // a boolean counts as the 0 or 1 it is.
    if (checked && !eitherUnknown(item.type, bound.type) && item.type != T_BOOLEAN && bound.type != T_BOOLEAN)
        checkRelational(item.type, bound.type);
    if (signednessDiffers(item, item.type, bound))
        return "_vel_order(" + item.text + "," + bound.text + ")" + op + "0";
    return item.text + op + besideItself(item.text, bound.text, item.type, item.classIndex);
}

// A range of texts compares texts: a literal item would be compared as the
// address C++ gives it. A char item is compared with each text bound as a
// comparison compares them.
void comparedAsTexts(ExprValue &item, ExprValue &low, ExprValue &high) {
    auto textual = [](const ExprValue &bound) { return bound.type == T_TEXT || bound.type == T_CHARPTR; };
    if (item.stringLiteral && (textual(low) || textual(high)))
        item.text = "text(" + item.text + ")";
    else if (item.type == T_CHAR)
        for (ExprValue *bound : {&low, &high})
            if (textual(*bound))
                bound->text = textBesideChar(*bound);
}

ExprValue inRange(ExprValue item, ExprValue low, ExprValue high, bool inclusive, bool negated) {
    countOperator();
    OperandOrder order({&item, &low, &high}, &item);
    comparedAsTexts(item, low, high);
    item.text = rangeItem(item);
    std::string text = "(" + boundTest(item, ">=", low) + "&&" + boundTest(item, inclusive ? "<=" : "<", high, high.type != low.type) + ")";
    return order.finish(result((negated ? "!" : "") + text, checkIn(item.type, T_VAR)));
}

ExprValue inTested(const ExprValue &item, const RangeOrValue &tested, bool negated) {
    return tested.isRange ? inRange(item, tested.low, tested.high, tested.inclusive, negated)
                          : inContainer(item, tested.value, negated);
}

ExprValue inContainer(ExprValue item, ExprValue container, bool negated) {
    countOperator();
    refusedVoid(item, T_VAR);
    // The container's member call would otherwise evaluate it before the item.
    OperandOrder order({&item, &container});
    std::string text = negated ? "!" : "";
    int type = container.type;
    if (type == T_ARRAY || type == T_DICT || type == T_VAR || type == T_LIST) {
        std::string itemText = item.type == T_VAR ? item.text : "dyn(" + item.text + ")";
        text += asReceiver(container) + ".in(" + itemText + ")";
    } else if (isTypedArray(type)) {
        std::string itemText = item.text;
        // ".data" belongs to the whole item, "a + b" as much as a name.
        if (item.type == T_TEXT && !item.literal)
            itemText = (item.plainName ? itemText : "(" + itemText + ")") + ".data";
        text += asReceiver(container) + ".in(" + convertInItem(elementType(type), itemText) + ")";
    } else {
        // A text is looked for in a text; a char as itself.
        std::string itemText = item.type == T_CHAR ? item.text
                               : item.type == T_VAR ? "dyn::toText(" + item.text + ")"
                               : "text(" + item.text + ")";
        text += "in_sequence(" + itemText + ",text(" + container.text + "))";
    }
    return order.finish(result(text, checkIn(item.type, type)));
}

ExprValue comparison(ExprValue left, int comparisonToken, ExprValue right) {
    OperandOrder order = OperandOrder::ofChain(left, right);
    return order.finish(comparisonText(std::move(left), comparisonToken, right));
}

ExprValue bitOperator(ExprValue left, const std::string &op, ExprValue right) {
    OperandOrder order = OperandOrder::ofChain(left, right);
    return order.finish(bitOperatorText(std::move(left), op, right));
}

ExprValue additiveOperator(ExprValue left, bool plus, ExprValue right) {
    nullsBesideNumbers(left, right);
    OperandOrder order = OperandOrder::ofChain(left, right);
    return order.finish(additiveOperatorText(std::move(left), plus, right));
}

ExprValue multiplicativeOperator(ExprValue left, int operatorToken, ExprValue right) {
    nullsBesideNumbers(left, right);
    OperandOrder order = OperandOrder::ofChain(left, right);
    return order.finish(multiplicativeOperatorText(std::move(left), operatorToken, right));
}
