#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"
#include "translator/checked_stack.hpp"
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include "semantics/native_constants.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/spellings.hpp"
#include "translator/evaluation_order.hpp"
#include "translator/in_place_append.hpp"
#include "translator/known_integers.hpp"
#include "semantics/symbols.hpp"
#include "VLTokenTypes.hpp"

namespace {

ExpressionState &expressions() { return translation().expressions; }

bool isIntegerLike(int type) {
    return type == T_INTEGER || type == T_BYTE || type == T_NATURAL || type == T_BOOLEAN || type == T_LONG;
}

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

ExprValue result(std::string text, int type, int loose = LOOSE_NONE) {
    ExprValue value;
    value.text = std::move(text);
    value.type = type;
    value.loose = loose;
    return value;
}

// A double-quoted literal with "$" followed by at least two more characters
// holds references to variables. The closing quote counts among the two, so
// that a one-letter name at the end ("n$i") interpolates as users expect.
bool isInterpolated(const std::string &literal) {
    for (size_t i = 1; i + 1 < literal.size(); i++)
        if (literal[i] == '$' && literal.size() - (i + 1) >= 2)
            return true;
    return false;
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

static void countOperator() {
    if (++expressions().operators == EXPRESSION_OPERATOR_LIMIT + 1) {
        reportLimit("operators in an expression", EXPRESSION_OPERATOR_LIMIT, EXPRESSION_OPERATOR_LIMIT + 1);
        throw NestingTooDeep("expression too long");
    }
}

void resetExpressionState() {
    resetCallState();
}

// An operand of unknown type has had its error reported already; checking
// it again would only repeat that error in other words.
bool eitherUnknown(int left, int right) {
    return left == T_UNKNOWN || right == T_UNKNOWN;
}

// An operation with a dynamic operand gives a dynamic value in C++ even
// where Velmora knows its type (var plus text is a text): the value is
// converted to that type so that it can stand where the type is expected.
static ExprValue typedFromDynamic(ExprValue value, int leftType, int rightType) {
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

ExprValue logicalOperator(ExprValue left, const std::string &op, const ExprValue &right) {
    countOperator();
    if (!eitherUnknown(left.type, right.type))
        checkBoolean(left.type, right.type);
    ExprValue value = result(conditionText(left) + op + conditionText(right), T_BOOLEAN, LOOSE_LOGICAL);
    value.effects = left.effects || right.effects;
    return value;
}

// Whether the '(' at the front of `text` is closed by its last character.
static bool enclosedInParentheses(const std::string &text) {
    if (text.size() < 2 || text.front() != '(' || text.back() != ')')
        return false;
    int depth = 0;
    for (std::size_t i = 0; i + 1 < text.size(); i++) {
        depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
        if (depth == 0)
            return false;
    }
    return true;
}

// The text without the parentheses put around it, at any depth.
static std::string withoutOuterParentheses(std::string text) {
    while (enclosedInParentheses(text))
        text = text.substr(1, text.size() - 2);
    return text;
}

// A real divided by an integer is a real division in C++ too; an integer
// literal divisor (in parentheses or not) is written as a real so that a zero gives infinity
// without the compilers' warning of an integer division by zero.
static std::string realDivisor(const ExprValue &divisor) {
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
static std::string besideItself(const std::string &left, const std::string &right, int type) {
    bool scalar = isIntegerLike(type) || isFloating(type) || type == T_CHAR || type == T_OBJECT;
    bool same = withoutOuterParentheses(left) == withoutOuterParentheses(right);
    return scalar && same ? "+(" + right + ")" : right;
}

// Two C strings compare as pointers in C++; Velmora compares their texts.
static bool bothCStrings(const ExprValue &left, int leftType, const ExprValue &right) {
    auto cString = [](const ExprValue &side, int type) {
        return type == T_CHARPTR || (type == T_TEXT && side.stringLiteral);
    };
    return cString(left, leftType) && cString(right, right.type);
}

// nil, and null beside a number or a text: the empty value of the other
// side's type rather than a null pointer, which C++ would compare with a
// number as 0 and with a warning. A var holding null holds 0.
static bool standsForNil(const ExprValue &side, int sideType, int otherType) {
    if (sideType == T_NIL)
        return true;
    bool valueType = isNumberType(otherType) || otherType == T_TEXT ||
                     otherType == T_CHARPTR || otherType == T_CHAR;
    return side.text == "NULL" && valueType;
}

static std::string nilOperandFor(int type, int classIndex) {
    switch (type) {
    case T_OBJECT: return nullObject(classIndex);
    case T_NATURAL: return "0";
    case T_CHAR: return "'\\0'";
    default: return nilFor(type);
    }
}

// A natural beside a signed integer that may be negative: C++ would compare
// the two as naturals, so -1 would be above every natural. libvel compares
// their values.
static bool signednessDiffers(const ExprValue &left, int leftType, const ExprValue &right) {
    auto maySignedNegative = [](const ExprValue &side, int type) {
        bool nonNegativeLiteral = side.literal && !side.stringLiteral && side.text[0] != '-';
        return (type == T_INTEGER || type == T_LONG) && !nonNegativeLiteral;
    };
    return (leftType == T_NATURAL && maySignedNegative(right, right.type)) ||
           (maySignedNegative(left, leftType) && right.type == T_NATURAL);
}

static bool comparedAsText(int characterType, int otherType) {
    return (characterType == T_BYTE && isTextLike(otherType)) || (characterType == T_CHAR && otherType == T_CHARPTR);
}

static bool narrowBesideWideLiteral(const ExprValue &narrow, int narrowType, const ExprValue &other) {
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

static ExprValue comparisonText(ExprValue left, int comparisonToken, const ExprValue &right) {
    countOperator();
    const int leftType = left.type;
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
        rightText = right.stringLiteral && right.text.size() == 3 ? convertValue(T_CHAR, right) : "text(" + rightText + ")";
    else if (right.type == T_CHAR && leftType == T_TEXT)
        left.text = left.stringLiteral && left.text.size() == 3 ? convertValue(T_CHAR, left) : "text(" + left.text + ")";
    // A byte beside a text, or a char beside a C string, is compared as the
    // text "+" would join it as: C++ would compare a number with a pointer.
    else if (comparedAsText(leftType, right.type))
        left.text = "text(" + left.text + ")";
    else if (comparedAsText(right.type, leftType))
        rightText = "text(" + rightText + ")";
    // Two calls without a result have no values to compare.
    if (leftType == T_VOID && right.type == T_VOID)
        reportOperands(W_RELATIONAL, leftType, right.type);
    else if (!eitherUnknown(leftType, right.type))
        checkRelational(leftType, right.type);
    if (bothCStrings(left, leftType, right))
        left.text = "text(" + left.text + ")";
    static const char *const texts[] = {"<", ">", "==", "<=", ">=", "!="};
    int index = comparisonToken == VLTokenTypes::LESSER ? 0 : comparisonToken == VLTokenTypes::GREATER ? 1 : comparisonToken == VLTokenTypes::EQUAL ? 2
              : comparisonToken == VLTokenTypes::LESS_EQUAL ? 3 : comparisonToken == VLTokenTypes::GREAT_EQUAL ? 4 : 5;
    if (signednessDiffers(left, leftType, right))
        return result("_vel_order(" + left.text + "," + rightText + ")" + texts[index] + "0", T_BOOLEAN, LOOSE_RELATION);
    rightText = besideItself(left.text, rightText, leftType);
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

static bool isDecimalLiteral(const ExprValue &value) {
    return value.literal && !value.stringLiteral && value.type == T_INTEGER && !value.text.empty() &&
           value.text.size() < 18 && value.text.find_first_not_of("0123456789") == std::string::npos;
}

// Velmora binds the bit operators tighter than comparisons and C++ does
// not: the parentheses keep "x & 1 = 0" a test of (x & 1).
static ExprValue bitOperatorText(ExprValue left, const std::string &op, const ExprValue &right) {
    countOperator();
    if (eitherUnknown(left.type, right.type))
        return result("(" + joined(std::move(left.text), op, right.text) + ")", T_UNKNOWN);
    // Bits belong to integers: a real operand is refused rather than cut.
    if (isFloating(left.type) || isFloating(right.type)) {
        reportOperands(W_BINARY, left.type, right.type);
        return result("(" + joined(std::move(left.text), op, right.text) + ")", T_UNKNOWN);
    }
    int type = checkBitOperator(left.type, right.type);
    // 2^5 is an exclusive or in Velmora as in C++; clang takes two decimal
    // literals (10^+14 too) for a power written by mistake, so the value of
    // known operands is written.
    if (op == "^" && type == T_INTEGER && left.known && right.known)
        return knownExclusiveOr(left, right);
    return result("(" + joined(std::move(left.text), op, right.text) + ")", type);
}

// Multiplication, division, modulo and shifts compute with numbers. The
// operand table lets texts and containers through, which C++ would take for
// pointer arithmetic or compute as dynamic values that hold no number:
// they are refused, as "-" refuses texts.
bool holdsNoNumber(int type) {
    return isTextLike(type) || isContainer(type);
}

static bool refusedNonNumbers(int left, int right, int classWord) {
    if (!holdsNoNumber(left) && !holdsNoNumber(right))
        return false;
    reportOperands(classWord, left, right);
    return true;
}

// null beside a number computes as the 0 that a var holding null holds;
// C++ would warn of NULL in arithmetic.
static void nullsBesideNumbers(ExprValue &left, ExprValue &right) {
    auto number = [](const ExprValue &side) { return isNumberType(side.type) || side.type == T_VAR; };
    if (left.text == "NULL" && number(right))
        left.text = "0";
    if (right.text == "NULL" && number(left))
        right.text = "0";
}

ExprValue shiftOperator(ExprValue left, bool shiftLeft, ExprValue right) {
    nullsBesideNumbers(left, right);
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
    auto operand = [](const ExprValue &side) {
        return side.plainName || side.literal ? side.text : "(" + side.text + ")";
    };
    bool wideResult = left.wide || resultType == T_NATURAL || resultType == T_LONG;
    std::string count = resultType == T_INTEGER || wideResult ? shiftCountText(wideResult ? 64 : 32, right, operand(right))
                                                             : operand(right);
    std::string shifted = operand(left) + (shiftLeft ? "<<" : ">>") + count;
    // A negative integer shifted left is undefined in C++17 (and clang warns
    // of a negative literal), as is a literal shifted past its bits: the
    // bits are shifted as unsigned ones.
    if (shiftLeft && leftType == T_INTEGER && resultType == T_INTEGER &&
        (!isDecimalLiteral(left) || knownShiftOverflows(left, right)))
        shifted = (left.wide ? "(long long)((unsigned long long)" : "(int)((unsigned)") + operand(left) + "<<" + count + ")";
    ExprValue value = result(shifted, resultType, LOOSE_SHIFT);
    value.effects = left.effects || right.effects;
    foldKnownShift(value, left, shiftLeft, right);
    return typedFromDynamic(std::move(value), leftType, right.type);
}

static ExprValue additiveOperatorText(ExprValue left, bool plus, const ExprValue &right) {
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

static ExprValue multiplicativeOperatorText(ExprValue left, int operatorToken, const ExprValue &right) {
    countOperator();
    const int leftType = left.type;
    int classWord = operatorToken == VLTokenTypes::MUL ? W_MULTIPLY : operatorToken == VLTokenTypes::DIV ? W_DIVIDE : W_MODULO;
    if (eitherUnknown(leftType, right.type) || refusedNonNumbers(leftType, right.type, classWord)) {
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
    return typedFromDynamic(std::move(value), leftType, right.type);
}

std::string appendPrefix(std::string prefix, const std::string &op) {
    countOperator();
    if (!prefix.empty() && (prefix.back() == '-' || prefix.back() == '+') && (op == "-" || op == "+"))
        prefix += ' ';
    prefix += op;
    return prefix;
}

// The operators apply from the last one, next to the operand, outwards.
static int typeAfterPrefix(const std::string &prefix, int type) {
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

ExprValue prefixed(const std::string &prefix, const ExprValue &operand) {
    if (prefix.empty())
        return operand;
    std::string text = prefix.back() == '!' ? conditionText(operand) : operand.text;
    // A quoted literal is a C++ array of chars, whose sign is none or a
    // pointer's: it gets them as a text variable would.
    if (operand.stringLiteral && prefix.back() != '!')
        text = "text(" + text + ")";
    ExprValue value = result(prefix + text, typeAfterPrefix(prefix, operand.type));
    value.literal = operand.literal && !operand.stringLiteral;
    foldKnownSigns(value, prefix, operand);
    value.effects = operand.effects;
    return value;
}

// The tested value of a range test stands before two comparisons, so an
// expression goes in parentheses. A boolean, like "not x", is compared as
// an int.
static std::string rangeItem(const ExprValue &item) {
    if (item.type == T_BOOLEAN || isWrittenNot(item.text))
        return asInt(item.text);
    if (item.literal || item.plainName)
        return item.text;
    return "(" + item.text + ")";
}

ExprValue inRange(ExprValue item, ExprValue low, ExprValue high, bool inclusive, bool negated) {
    countOperator();
    OperandOrder order({&item, &low, &high}, &item);
    item.text = rangeItem(item);
    std::string text = "(" + item.text + ">=" + besideItself(item.text, low.text, item.type) + "&&" + item.text + "<" +
                       (inclusive ? "=" : "") + besideItself(item.text, high.text, item.type) + ")";
    return order.finish(result((negated ? "!" : "") + text, checkIn(item.type, T_VAR)));
}

// The container's text is followed by a member call: anything but a plain
// name or a call goes in parentheses, or "a + c" would become "a + c.in(x)".
static std::string asReceiver(const ExprValue &container) {
    if (container.plainName)
        return container.text;
    return "(" + container.text + ")";
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

// "this" is the object whose method is being translated; anywhere else
// there is no such object.
ExprValue thisValue() {
    if (!scopes().inClass)
        reportNamed(E_CANNOT_BE_USED, "this");
    ExprValue value = result("this", T_OBJECT);
    value.classIndex = currentClassIndex();
    return value;
}

ExprValue constantValue(const std::string &text, int type) {
    // Braces: in parentheses "(dyn())" reads as a cast to a function type
    // when a sign or "&" follows it.
    if (type == T_NIL)
        return result("dyn{}", T_NIL);
    return result(text, type);
}

// Whether a decimal, hexadecimal or octal literal fits in 64 bits.
static bool fitsIn64Bits(const std::string &digits) {
    errno = 0;
    char *end = nullptr;
    strtoull(digits.c_str(), &end, 0);
    return errno != ERANGE;
}

static bool fitsInSigned64Bits(const std::string &digits) {
    errno = 0;
    char *end = nullptr;
    strtoll(digits.c_str(), &end, 0);
    return errno != ERANGE;
}

ExprValue integerLiteral(const std::string &tokenText) {
    ExprValue value;
    std::string digits = tokenText;
    if (!digits.empty() && strchr("nLl", digits.back()))
        digits.pop_back();
    if (!digits.empty() && digits[0] == '-')
        digits.erase(0, 1);
    if (!fitsIn64Bits(digits)) {
        reportRequiredFound("an integer of at most 64 bits", digits);
        value = result("0", T_INTEGER);
        value.literal = true;
        return value;
    }
    if (!tokenText.empty() && tokenText.back() == 'n') {
        value = result(tokenText.substr(0, tokenText.size() - 1) + translatedSource().integerSuffix, T_NATURAL);
    } else if (tokenText[0] != '-' && !fitsInSigned64Bits(digits)) {
        // Only a natural holds the top half of the 64-bit range; left plain,
        // the C++ compilers would each pick a wider type of their own.
        value = result(digits + translatedSource().integerSuffix, T_NATURAL);
    } else {
        value = result(tokenText, T_INTEGER);
        knowIntegerLiteral(value, tokenText);
    }
    value.literal = true;
    return value;
}

// "2r", "2f" and "3.5R" are Velmora reals; C++ knows neither the r suffix
// nor a float suffix on a number without a point, and a float suffix would
// round the value: the suffix goes and a point is added where needed.
// A real literal past the range of a double is the infinity, one too small
// for the smallest one is 0, as the C++ compilers make them, but without
// their warnings.
static std::string outOfRangeReal(const std::string &text) {
    double number = std::strtod(text.c_str(), nullptr);
    if (number == HUGE_VAL)
        return "HUGE_VAL";
    bool nonZeroDigit = text.substr(0, text.find_first_of("eE")).find_first_of("123456789") != std::string::npos;
    return number == 0 && nonZeroDigit ? "0.0" : text;
}

ExprValue realLiteral(const std::string &tokenText) {
    std::string text = tokenText;
    while (!text.empty() && strchr("fFrR", text.back()))
        text.pop_back();
    if (text.find_first_of(".eE") == std::string::npos)
        text += ".0";
    if (text[0] == '.')
        text = "0" + text;
    ExprValue value = result(outOfRangeReal(text), T_REAL);
    value.literal = true;
    return value;
}

// A double-quoted literal as C++ reads it: "\$" is a Velmora escape of the
// dollar, which C++ does not know (it warns, and keeps the dollar).
// Nothing is escaped between single quotes.
static std::string singleQuotedAsCpp(const std::string &tokenText) {
    std::string text = "\"";
    for (size_t i = 1; i + 1 < tokenText.size(); i++) {
        char c = tokenText[i];
        if (c == '\\' || c == '"')
            text += '\\';
        text += c;
    }
    return text + "\"";
}

std::string cppStringLiteral(const std::string &tokenText) {
    if (!tokenText.empty() && tokenText[0] == '\'')
        return singleQuotedAsCpp(tokenText);
    std::string text;
    text.reserve(tokenText.size());
    for (size_t i = 0; i < tokenText.size(); i++) {
        if (tokenText[i] == '\\' && i + 1 < tokenText.size()) {
            if (tokenText[i + 1] != '$')
                text += '\\';
            text += tokenText[++i];
            continue;
        }
        text += tokenText[i];
    }
    return text;
}

ExprValue stringLiteral(const std::string &tokenText) {
    ExprValue value;
    value.type = T_TEXT;
    value.literal = true;
    if (tokenText[0] == '\'') {
        value.text = cppStringLiteral(tokenText);
        value.stringLiteral = true;
    } else if (isInterpolated(tokenText)) {
        value.text = phpString(tokenText, [](const std::string &name) { return beginName(name).text; });
        value.interpolated = true;
    } else {
        value.text = cppStringLiteral(tokenText);
        value.stringLiteral = true;
    }
    return value;
}

ExprValue phpConstant(const std::string &tokenText) {
    std::string name = tokenText.substr(2);
    if (!name.empty() && name.back() == ')')
        name.pop_back();
    if (!isNativeConstant(name)) {
        reportNamed(E_NOT_DECLARED, name);
        return result("0", T_INTEGER);
    }
    return result(name, T_INTEGER);
}

ExprValue parenthesized(const ExprValue &inner) {
    // A quoted literal is a C++ array of chars, which takes no method, no
    // "+" and no subscript of a text: in parentheses it is a text value.
    ExprValue value = inner.stringLiteral ? result("text(" + inner.text + ")", inner.type)
                                          : result("(" + inner.text + ")", inner.type);
    value.literal = inner.literal && !inner.stringLiteral;
    value.known = inner.known;
    value.wide = inner.wide;
    value.knownValue = inner.knownValue;
    value.effects = inner.effects;
    return value;
}

ExprValue emptyContainer(int element) {
    switch (element) {
    case T_NUMBER:
    case T_REAL:
    case T_NATURAL:
        return result(numberArrayOf(element) + "(" + typeTag(element) + ", 16)", arrayOfElement(element));
    case T_INTEGER: return result("_intArr()", T_INTARRAY);
    case T_TEXT: return result("_arr32()", T_TEXTARRAY);
    case T_FILE: return result("_arr32()", T_FILEARRAY);
    case T_OBJECT: return result("_arr32()", T_OBJECTARRAY);
    case T_DICT: return result("dict()", T_DICT);
    default: return result("velarray()", T_ARRAY);
    }
}

static std::string dynItems(const std::vector<ExprValue> &items) {
    std::string text;
    for (size_t i = 0; i < items.size(); i++) {
        if (i > 0)
            text += ",";
        text += items[i].type == T_VAR ? items[i].text : "dyn(" + items[i].text + ")";
    }
    return text;
}

static bool anyCalls(const std::vector<ExprValue> &items) {
    for (const ExprValue &item : items)
        if (item.effects)
            return true;
    return false;
}

bool refusedVoid(const ExprValue &value, int holderType) {
    if (value.type != T_VOID)
        return false;
    reportAssignment(holderType, T_VOID);
    return true;
}

static void refuseVoidItems(const std::vector<ExprValue> &items) {
    for (const ExprValue &item : items)
        refusedVoid(item, T_VAR);
}

// The elements of a braced list are evaluated in order already.
ExprValue makeListLiteral(const std::vector<ExprValue> &items) {
    refuseVoidItems(items);
    ExprValue value = result("velarray{" + dynItems(items) + "}", T_LIST);
    value.effects = anyCalls(items);
    return value;
}

ExprValue makeDictLiteral(const std::vector<ExprValue> &items) {
    refuseVoidItems(items);
    ExprValue value = result("dict{" + dynItems(items) + "}", T_DICT);
    value.effects = anyCalls(items);
    return value;
}

ExprValue dictionaryEntry(ExprValue key, ExprValue value) {
    if (key.type != T_INTEGER && key.type != T_TEXT && key.type != T_CHARPTR)
        reportError(E_KEYS_TEXTS);
    refusedVoid(value, T_VAR);
    OperandOrder order({&key, &value});
    return order.finish(result("dyn(new vel_pair(" + key.text + "," + value.text + "))", T_VAR));
}

std::string conditionText(const ExprValue &value) {
    checkHasValue(T_BOOLEAN, value.type);
    if (isIntegerLike(value.type) || isFloating(value.type) || value.type == T_CHAR ||
        value.type == T_CHARPTR || value.type == T_UNKNOWN || value.type == T_OBJECT)
        return value.text;
    return "dyn::toBoolean(" + value.text + ")";
}

// Whether the opening parenthesis at the start of text closes at its end,
// literals skipped.
static bool wrappedInParentheses(const std::string &text) {
    if (text.size() < 2 || text.front() != '(' || text.back() != ')')
        return false;
    int depth = 0;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '"' || c == '\'') {
            for (i++; i < text.size() && text[i] != c; i++)
                if (text[i] == '\\')
                    i++;
            continue;
        }
        if (c == '(')
            depth++;
        else if (c == ')' && --depth == 0)
            return i == text.size() - 1;
    }
    return false;
}

std::string controlConditionText(const ExprValue &value) {
    std::string text = conditionText(value);
    return wrappedInParentheses(text) ? text.substr(1, text.size() - 2) : text;
}

// A byte holds 0 to 255: a literal outside is refused, any other number is
// cut to its low eight bits, which the explicit cast says to the C++
// compilers (an implicit narrowing of a constant is a warning).
static std::string byteOf(const ExprValue &value) {
    if (value.literal && !value.stringLiteral && value.type == T_INTEGER) {
        errno = 0;
        long long number = strtoll(value.text.c_str(), nullptr, 0);
        if (errno == ERANGE || number < 0 || number > 255) {
            reportRequiredFound("a byte from 0 to 255", value.text);
            return "0";
        }
        return value.text;
    }
    return "(unsigned char)(" + value.text + ")";
}

// An integer holds 32 bits: a literal outside is refused rather than cut.
bool integerLiteralFits(const ExprValue &value) {
    if (!value.literal || value.stringLiteral || !isIntegerLike(value.type))
        return true;
    errno = 0;
    long long number = strtoll(value.text.c_str(), nullptr, 0);
    if (errno == 0 && number >= INT32_MIN && number <= INT32_MAX)
        return true;
    reportRequiredFound("an integer from -2147483648 to 2147483647", value.text);
    return false;
}

std::string convertValue(int targetType, const ExprValue &value) {
    int source = value.type;
    if (targetType == T_INTEGER && !integerLiteralFits(value))
        return "0";
    // A plain object variable is held in an array; null leaves it empty.
    // A null already given a class is that class's null pointer.
    if (targetType == T_OBJECT && value.text == "NULL")
        return nullObject(value.classIndex);
    if (source == targetType || source == T_UNKNOWN || targetType == T_UNKNOWN)
        return value.text;
    // nil or null leaves a typed array or a text empty; a C string points
    // to an empty text rather than nowhere.
    if (source == T_NIL || value.text == "NULL") {
        if (isTypedArray(targetType) || targetType == T_TEXT)
            return nilFor(targetType);
        if (targetType == T_CHARPTR)
            return "(char *)" + nilFor(targetType);
    }
    switch (targetType) {
    case T_BYTE:
        if (isIntegerLike(source) || isFloating(source))
            return byteOf(value);
        return "intval(" + value.text + ")";
    case T_INTEGER:
        if (isIntegerLike(source) && source != T_NATURAL)
            return value.text;
        return "intval(" + value.text + ")";
    case T_NUMBER:
    case T_REAL:
        if (isIntegerLike(source) || isFloating(source))
            return value.text;
        return "doubleval(" + value.text + ")";
    case T_NATURAL:
        if (source == T_INTEGER || source == T_BYTE)
            return value.text;
        return "naturalval(" + value.text + ")";
    case T_BOOLEAN:
        return source == T_VAR ? "dyn::toBoolean(" + value.text + ")" : value.text;
    case T_TEXT:
        if (source == T_CHARPTR || source == T_CHAR || value.stringLiteral)
            return value.text;
        return "text(" + value.text + ")";
    case T_VAR:
        return "dyn(" + value.text + ")";
    case T_CHARPTR:
        // A C string points into the text of a variable; the text of any
        // other expression is kept by the library for the pointer's sake.
        if (value.stringLiteral)
            return "(char *)" + value.text;
        if (source == T_TEXT)
            return value.plainName ? "(char *)" + value.text + ".c_str()" : "_vel_cstring(" + value.text + ")";
        if (source == T_VAR)
            return "_vel_cstring(dyn::toText(" + value.text + "))";
        return value.text;
    case T_FILE:
        return source == T_VAR ? "dyn::toFile(" + value.text + ")" : value.text;
    case T_CHAR:
        // 'c' is a one-character string in Velmora and a char in C++; any
        // other text gives its first character ('\0' when it is empty).
        if (value.stringLiteral && value.text.size() == 3)
            return "'" + std::string(value.text[1] == '\'' ? "\\'" : value.text.substr(1, 1)) + "'";
        if (source == T_TEXT || source == T_CHARPTR)
            return "text(" + value.text + ").c_str()[0]";
        if (source == T_VAR)
            return "dyn::toText(" + value.text + ").c_str()[0]";
        return "(char)(" + value.text + ")";
    // Other containers reach arrays and dicts through a dynamic value, which
    // every container converts to.
    case T_ARRAY:
        if (source == T_VAR)
            return "dyn::toArray(" + value.text + ")";
        return source == T_LIST ? value.text : "dyn::toArray(dyn(" + value.text + "))";
    case T_DICT:
        return source == T_VAR ? "dyn::toDict(" + value.text + ")" : "dyn::toDict(dyn(" + value.text + "))";
    default:
        break;
    }
    if (isTypedArray(targetType) && !isTypedArray(source)) {
        int element = elementType(targetType);
        if (source == T_DICT) {
            if (targetType == T_INTARRAY)
                return "_intArr(dyn(" + value.text + "))";
            if (element == T_NUMBER || element == T_REAL || element == T_NATURAL)
                return numberArrayOf(element) + "(" + typeTag(element) + ",dyn(" + value.text + "))";
            return "_arr32(dyn(" + value.text + "))";
        }
        if (targetType == T_INTARRAY)
            return "_intArr(" + value.text + ")";
        if (element == T_NUMBER || element == T_REAL || element == T_NATURAL) {
            if (isIntegerLike(source) || isFloating(source))
                return numberArrayOf(element) + "(" + typeTag(element) + ",(double)" + value.text + ")";
            return numberArrayOf(element) + "(" + typeTag(element) + "," + value.text + ")";
        }
        return "_arr32(" + value.text + ")";
    }
    return value.text;
}

ExprValue comparison(ExprValue left, int comparisonToken, ExprValue right) {
    OperandOrder order({&left, &right});
    return order.finish(comparisonText(std::move(left), comparisonToken, right));
}

ExprValue bitOperator(ExprValue left, const std::string &op, ExprValue right) {
    OperandOrder order({&left, &right});
    return order.finish(bitOperatorText(std::move(left), op, right));
}

ExprValue additiveOperator(ExprValue left, bool plus, ExprValue right) {
    nullsBesideNumbers(left, right);
    OperandOrder order({&left, &right});
    return order.finish(additiveOperatorText(std::move(left), plus, right));
}

ExprValue multiplicativeOperator(ExprValue left, int operatorToken, ExprValue right) {
    nullsBesideNumbers(left, right);
    OperandOrder order({&left, &right});
    return order.finish(multiplicativeOperatorText(std::move(left), operatorToken, right));
}
