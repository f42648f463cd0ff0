#pragma once
// Velmora type codes, their names, the operator result table and the checks
// the parser runs after each operator, assignment and "in" test.
#include <string>
#include <vector>

#include "semantics/type_codes.hpp"


// Type state of the translation: the type of the expression parsed last and
// the stack of left-operand types. Owned by the type model.
struct TypeState {
    int currentType = 0;
    std::vector<int> stack;   // grows with the expression; depth entries are in use
    int depth = 0;
    char pendingAssignOp = '=';   // '=' or the operator of a compound assignment
    bool objectText = false;      // object-text flag of the symbol looked up last
};

// Of the source being translated (semantics/source_semantics.hpp).
TypeState &typeState();

// Result of a binary operation on (left, right); 0 when not allowed or when
// either code lies outside the table.
int resultOf(int left, int right);

// Type groups.
bool isTypedArray(int type);
int elementType(int type);               // element of a typed array, else the code itself
bool isContainer(int type);              // array, dict, list, typed arrays
bool isPlainContainer(int type);         // array, dict, list
bool isBitOperandType(int type);
bool isFloating(int type);               // number, real, small real
bool isIntegerConvertible(int type);
bool convertsToBoolean(int type);
bool usableAsSequence(int type);
bool isTextLike(int type);               // text or "char *"
// A natural divided by a natural or an integer gives a natural quotient.
bool dividesAsNaturals(int dividend, int divisor);
void arrayOfElement(int element);        // sets currentType to the typed array of element

void pushType(int type);
int popType();


// The checks. Each reports through the diagnostics module and returns
// whether the operands were accepted; the operand checks also leave their
// result (or its fallback) in typeState.currentType.
bool checkArith(int left, int right, int classWord);
bool checkBoolean(int left, int right);
bool checkBinary(int left, int right);
bool checkRelational(int left, int right);
bool checkBitOperator();                 // pops the left type, right is currentType
bool checkArrayOp(int left, int right);
bool checkSameArray(int left, int right);
bool checkElement(int arrayType, int valueType);       // currentType untouched
// A value that is used as `usedAs` (printed as a text, tested as a boolean)
// must not come from a call that returns nothing.
bool checkHasValue(int usedAs, int source);           // currentType untouched
bool checkAssignSimple(int target, int source);        // currentType untouched
bool checkAssign(int target, int source);              // currentType untouched
bool checkIn(int item, int container);
// Prefix operators. "not x" is a C++ bool: a number keeps its type (the
// bool converts to it wherever the number may stand), any other operand
// gives a boolean. "-x" and "~x" need a number (texts and containers count
// as libvel converts them); "~x" of a floating value is refused too, C++
// has no complement of it. `integral` is whether the operand is a C++
// integer or bool whatever its type says ("~ not r").
int typeOfNot(int operand);
// "-x", "+x" and "~x" of a text or a container: libvel counts it as a number
// and gives a var.
int typeOfSign(int operand);
bool checkSignOperand(char op, int operand, bool integral);  // currentType untouched
bool checkSequence();                                  // tests currentType
