// A value converted to the type that receives it, and a value as a condition.
#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include <cerrno>
#include <cstdlib>
#include "semantics/spellings.hpp"
#include "translator/known_integers.hpp"
#include "translator/expression_parts.hpp"

namespace {

// Whether the opening parenthesis at the start of text closes at its end,
// literals skipped.
bool wrappedInParentheses(const std::string &text) {
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

// A byte holds 0 to 255: a literal outside is refused, any other number is
// cut to its low eight bits, which the explicit cast says to the C++
// compilers (an implicit narrowing of a constant is a warning).
std::string byteOf(const ExprValue &value) {
    if (value.literal && !value.stringLiteral && value.type == T_INTEGER) {
        errno = 0;
        long long number = strtoll(value.text.c_str(), nullptr, 0);
        if (errno == ERANGE || number < 0 || number > 255) {
            reportRequiredFound("a byte from 0 to 255", value.text);
            return "0";
        }
        return value.text;
    }
    // A real is cut to an integer first: a real past the byte's edge has no
    // byte of its own in C++, and the two compilers give different ones.
    if (isFloating(value.type))
        return "(unsigned char)intval(" + value.text + ")";
    return "(unsigned char)(" + value.text + ")";
}

}  // namespace

std::string conditionText(const ExprValue &value) {
    checkHasValue(T_BOOLEAN, value.type);
    // A product or a shift taken as a truth value is one the C++ compilers
    // suspect of a slip for "&&" and warn of: it is compared with 0.
    bool number = (isIntegerLike(value.type) || isFloating(value.type)) && value.type != T_BOOLEAN;
    if (number && !value.plainName && !value.literal &&
        (value.text.find('*') != std::string::npos || value.text.find("<<") != std::string::npos))
        return "((" + value.text + ")!=0)";
    if (isIntegerLike(value.type) || isFloating(value.type) || value.type == T_CHAR ||
        value.type == T_CHARPTR || value.type == T_UNKNOWN || value.type == T_OBJECT)
        return value.text;
    return "dyn::toBoolean(" + value.text + ")";
}

std::string controlConditionText(const ExprValue &value) {
    std::string text = conditionText(value);
    return wrappedInParentheses(text) ? text.substr(1, text.size() - 2) : text;
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
        // nil is a dynamic value in C++: as a handle it is the null one.
        if (targetType == T_FUNCTION)
            return "function(nullptr)";
        if (targetType == T_FILE)
            return "(FILE *)nullptr";
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

bool isObjectless(int type) {
    switch (type) {
    case T_BYTE: case T_NUMBER: case T_INTEGER: case T_LONG: case T_REAL: case T_NATURAL:
    case T_SMALLREAL: case T_TEXT: case T_CHARPTR: case T_CHAR: case T_FILE: case T_DIR:
        return true;
    default:
        return false;
    }
}

bool refusedObjectValue(int targetType, const ExprValue &value) {
    if (value.type != T_OBJECT || value.classIndex < 0 || value.text == "NULL" || !isObjectless(targetType))
        return false;
    reportAssignment(targetType, value.type);
    return true;
}
