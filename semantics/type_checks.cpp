// Type groups and the operand, assignment and "in" checks. A failed operand
// check reports and gives a fallback type, so that the parse can go on.
#include "semantics/types.hpp"

#include <cstdio>

#include "diagnostics/diagnostics.hpp"


// ---------------------------------------------------------------------------
// Groups

bool isTypedArray(int type) { return type >= T_INTARRAY && type <= T_FILEARRAY; }

int elementType(int type) {
    switch (type) {
    case T_INTARRAY: return T_INTEGER;
    case T_TEXTARRAY: return T_TEXT;
    case T_NATURALARRAY: return T_NATURAL;
    case T_REALARRAY: return T_REAL;
    case T_NUMBERARRAY: return T_NUMBER;
    case T_OBJECTARRAY: return T_OBJECT;
    case T_FILEARRAY: return T_FILE;
    default: return type;
    }
}

bool isPlainContainer(int type) { return type == T_ARRAY || type == T_DICT || type == T_LIST; }

bool isContainer(int type) { return isPlainContainer(type) || isTypedArray(type); }

bool isBitOperandType(int type) {
    switch (type) {
    case T_BYTE: case T_BOOLEAN: case T_NUMBER: case T_INTEGER:
    case T_REAL: case T_NATURAL: case T_VAR:
        return true;
    default:
        return false;
    }
}

bool isFloating(int type) { return type == T_NUMBER || type == T_REAL || type == T_SMALLREAL; }

bool isIntegerConvertible(int type) {
    switch (type) {
    case T_NUMBER: case T_INTEGER: case T_REAL: case T_NATURAL: case T_VAR:
        return true;
    default:
        return false;
    }
}

// The table's text row has no boolean column, yet a text is a valid operand
// of "and" / "or" (empty text is false), so texts are accepted explicitly.
bool convertsToBoolean(int type) { return resultOf(type, T_BOOLEAN) != 0 || type == T_TEXT; }

bool usableAsSequence(int type) { return resultOf(T_SEQUENCE, type) != 0; }

bool isTextLike(int type) { return type == T_TEXT || type == T_CHARPTR; }

bool dividesAsNaturals(int dividend, int divisor) {
    return dividend == T_NATURAL && (divisor == T_NATURAL || divisor == T_INTEGER);
}

int arrayOfElement(int element) {
    switch (element) {
    case T_NUMBER: return T_NUMBERARRAY;
    case T_INTEGER: return T_INTARRAY;
    case T_REAL: return T_REALARRAY;
    case T_NATURAL: return T_NATURALARRAY;
    case T_TEXT: return T_TEXTARRAY;
    case T_FILE: return T_FILEARRAY;
    case T_DIR: case T_OBJECT: return T_OBJECTARRAY;
    default: return element;
    }
}

// ---------------------------------------------------------------------------
// Operand checks

int checkArith(int left, int right, int classWord) {
    int result = resultOf(left, right);
    // A call of a function that returns nothing has no value to compute with.
    if (result == 0 || result == T_VOID) {
        reportOperands(classWord, left, right);
        return T_UNKNOWN;
    }
    // Integer division yields a floating value whatever the divisor.
    if (left == T_INTEGER && classWord == W_DIVIDE)
        return T_NUMBER;
    return result;
}

int checkBoolean(int left, int right) {
    if (!convertsToBoolean(left) || !convertsToBoolean(right))
        reportOperands(W_BOOLEAN, left, right);
    return T_BOOLEAN;
}

int checkBinary(int left, int right) {
    if (isBitOperandType(left) && isBitOperandType(right))
        return left;
    reportOperands(W_BINARY, left, right);
    return T_BOOLEAN;
}

int checkRelational(int left, int right) {
    if (resultOf(left, right) == 0)
        reportOperands(W_RELATIONAL, left, right);
    return T_BOOLEAN;
}

int checkArrayOp(int left, int right) {
    if (left == right && (isContainer(left) || left == T_VAR))
        return left == T_VAR ? T_ARRAY : left;
    if (left == T_VAR && isPlainContainer(right))
        return right;
    if (right == T_VAR && isPlainContainer(left))
        return left;
    // A list literal is an array written out: a + [4, 5] joins two arrays.
    if ((left == T_ARRAY && right == T_LIST) || (left == T_LIST && right == T_ARRAY))
        return T_ARRAY;
    reportOperands(W_ARRAY, left, right);
    return T_LIST;
}

int checkSameArray(int left, int right) {
    if (left == right)
        return left;
    reportOperands(W_ARRAY, left, right);
    return T_LIST;
}

int checkBitOperator(int left, int right) {
    int key = left == T_VAR ? right : left;
    if (isTypedArray(key)) {
        if (right == key || arrayOfElement(right) == key)
            return key;
    } else {
        switch (key) {
        case T_BYTE: case T_NUMBER: case T_INTEGER: case T_REAL: case T_NATURAL:
            return checkBinary(key, right);
        case T_ARRAY: case T_DICT: case T_LIST:
            return checkArrayOp(key, right);
        default:
            break;
        }
    }
    reportOperands(W_SUCH, left, right);
    return T_LIST;
}

// ---------------------------------------------------------------------------
// Elements and assignments

namespace {

// Whether a value of type value may be stored in a container whose element
// type is element.
bool elementAccepts(int element, int value) {
    if (element == value || value == T_VAR || element == T_VAR)
        return true;
    if (value == T_INTEGER)
        return element == T_NUMBER || element == T_INTEGER || element == T_REAL ||
               element == T_NATURAL;
    return element == T_NUMBER && (value == T_REAL || value == T_NATURAL);
}

bool reportAssignmentIf(bool rejected, int target, int source) {
    if (rejected)
        reportAssignment(target, source);
    return !rejected;
}

bool checkTypedArrayAssign(int target, int source, char op) {
    if (source == T_LIST || source == T_NIL)
        return true;
    if (isTypedArray(source))
        return reportAssignmentIf(source != target, target, source);
    int element = elementType(target);
    if (op != '=') {
        if (elementAccepts(element, source))
            return true;
        reportOperands(W_ARRAY, target, source);
        return false;
    }
    return reportAssignmentIf(resultOf(element, source) == 0, target, source);
}

}  // namespace

bool checkElement(int arrayType, int valueType) {
    if (elementAccepts(elementType(arrayType), valueType))
        return true;
    reportOperands(W_ARRAY, arrayType, valueType);
    return false;
}

bool checkHasValue(int usedAs, int source) { return reportAssignmentIf(source == T_VOID, usedAs, source); }

bool checkAssignSimple(int target, int source) {
    if (source == T_VOID)
        return checkHasValue(target, source);
    bool accepted = target == T_VAR || source == T_VAR || target == source ||
                    (target == T_NUMBER && (source == T_REAL || source == T_NATURAL)) ||
                    (source == T_INTEGER &&
                     (target == T_NUMBER || target == T_INTEGER || target == T_REAL ||
                      target == T_NATURAL));
    return reportAssignmentIf(!accepted, target, source);
}

bool checkAssign(int target, int source, char op, bool objectText) {
    if (source == T_VOID)
        return checkHasValue(target, source);
    if (target == T_ARRAY || target == T_DICT) {
        bool rejected = op == '=' && resultOf(target, source) == 0;
        return reportAssignmentIf(rejected, target, source);
    }
    if (target == T_OBJECT) {
        bool accepted = source == T_OBJECT || (objectText && isTextLike(source));
        return reportAssignmentIf(!accepted, target, source);
    }
    if (target == T_VAR)
        return true;
    if (isTypedArray(target))
        return checkTypedArrayAssign(target, source, op);
    return reportAssignmentIf(resultOf(target, source) == 0, target, source);
}

// ---------------------------------------------------------------------------
// Prefix operators

int typeOfNot(int operand) { return isBitOperandType(operand) || operand == T_UNKNOWN ? operand : T_BOOLEAN; }

int typeOfSign(int operand) { return operand == T_TEXT || isContainer(operand) ? T_VAR : operand; }

bool checkSignOperand(char op, int operand, bool integral) {
    switch (operand) {
    case T_OBJECT: case T_FILE: case T_DIR: case T_FUNCTION: case T_CHARPTR:
    case T_BYTEPTR: case T_CLASS: case T_XML:
        reportRequiredFound(op == '~' ? "integer" : "number", typeName(operand));
        return false;
    default:
        if (op == '~' && !integral && isFloating(operand)) {
            reportRequiredFound("integer", typeName(operand));
            return false;
        }
        return true;
    }
}

// ---------------------------------------------------------------------------
// "in" and sequences

int checkIn(int item, int container) {
    bool accepted = false;
    switch (container) {
    // A list literal is an array written out: "in [1, 2]" looks in it.
    case T_TEXT: case T_ARRAY: case T_DICT: case T_OBJECT: case T_VAR: case T_CHARPTR: case T_LIST:
        accepted = true;
        break;
    default:
        if (isTypedArray(container)) {
            int element = elementType(container);
            if (item == T_INTEGER)
                accepted = element == T_NUMBER || element == T_INTEGER || element == T_REAL ||
                           element == T_NATURAL;
            else
                accepted = item == T_VAR || item == element ||
                           ((item == T_REAL || item == T_NATURAL) && container == T_NUMBERARRAY);
        }
        break;
    }
    if (!accepted) {
        reportNamed(E_IN_MISMATCH, typeName(container));
        return T_UNKNOWN;
    }
    return T_BOOLEAN;
}

bool checkSequence(int type) {
    if (usableAsSequence(type))
        return true;
    reportRequiredKind(1, type);
    return false;
}
