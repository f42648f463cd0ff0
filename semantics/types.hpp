#pragma once
// Velmora type codes, their names, the operator result table and the checks
// the parser runs after each operator, assignment and "in" test.
#include <string>

#include "semantics/type_codes.hpp"


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
// The typed array whose elements have the given type; the code itself when
// no typed array holds it.
int arrayOfElement(int element);

// The operand checks of the operators. Each takes the operand types,
// reports a refusal through the diagnostics module and returns the type of
// the result, or the fallback type that the rest of the expression goes on
// with.
int checkArith(int left, int right, int classWord);
int checkBoolean(int left, int right);
int checkBinary(int left, int right);
int checkRelational(int left, int right);
// "|", "^" and "&": on numbers bits, on arrays a join, on a typed array
// and one of its elements an append.
int checkBitOperator(int left, int right);
int checkArrayOp(int left, int right);
int checkSameArray(int left, int right);
int checkIn(int item, int container);

// The checks of what is stored or used; each returns whether it accepted.
bool checkElement(int arrayType, int valueType);
// A value that is used as `usedAs` (printed as a text, tested as a boolean)
// must not come from a call that returns nothing.
bool checkHasValue(int usedAs, int source);
bool checkAssignSimple(int target, int source);
// `op` is '=' or the operator of a compound assignment; a target with the
// object-text attribute takes texts as well as objects.
bool checkAssign(int target, int source, char op = '=', bool objectText = false);
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
bool checkSignOperand(char op, int operand, bool integral);
// The subject of a loop over a sequence.
bool checkSequence(int type);
