#pragma once
// Integer arithmetic whose operands are all literals is folded by the C++
// compilers, which then warn when the result passes the edge of its type
// (2147483647 + 1) or a shift count passes the width (1 << 32). velc keeps
// the value of such expressions beside their text and, where the compilers
// would warn, writes what they compute without it: the wrapped result.
#include "translator/values.hpp"
#include <string>

// Gives an integer literal its value (the text as C++ reads it).
void knowIntegerLiteral(ExprValue &value, const std::string &tokenText);

// A constant of type int declared with a known value, and a use of one.
// Before main opens, a file-level int variable counts as known too while
// the initializers of other file-level variables read it.
void rememberKnownConstant(const Symbol *symbol, const ExprValue &initializer);
void knowConstant(ExprValue &use);

// A file-level variable defined before main opens, of `type`, with
// `valueText` ("=..."): returns the text to define it with. An int whose
// value is known is written as that value and remembered, so that C++
// initializes it statically and, if nothing writes it again, the optimizer
// takes it for the constant it is (a loop bound read from it is then one).
// A definition that might run code (any other) forgets every value known.
std::string defineFileLevelValue(const Symbol *symbol, int type, bool hasValue, const ExprValue &value,
                                 const std::string &valueText);
// Forgets the values of file-level variables, before a definition that
// constructs an object.
void forgetKnownFileValues();

// `sum` is left op right (op one of '+', '-', '*'), both integers; when both
// are known, it becomes known, and its text the wrapped value if the C++
// arithmetic would overflow.
void foldKnownIntegers(ExprValue &sum, const ExprValue &left, char op, const ExprValue &right);

// `signed_` is `prefix` applied to `operand`: a prefix of signs keeps the
// value known (and wraps the lowest integer negated).
void foldKnownSigns(ExprValue &signed_, const std::string &prefix, const ExprValue &operand);

// The text of a shift count of a value of `width` bits: taken modulo the
// width, as libvel's var shifts and both targets' instructions do (a count
// past the width is undefined in C++, and a known one a warning).
std::string shiftCountText(int width, const ExprValue &count, const std::string &countText);

// `value` is `left` shifted by `count`, an integer: when both are known it
// becomes known too (left shifts keep the bits of the type, right shifts
// the sign), so that arithmetic around it folds as well.
void foldKnownShift(ExprValue &value, const ExprValue &left, bool shiftLeft, const ExprValue &count);

// Whether shifting the known `shifted` left by the known `count` leaves the
// bits of its type (the shift is then written on unsigned bits).
bool knownShiftOverflows(const ExprValue &shifted, const ExprValue &count);

// The exclusive or of two known integers, written as its value.
ExprValue knownExclusiveOr(const ExprValue &left, const ExprValue &right);

// `value` is left op right (op '&' or '|'): when both are known it becomes
// known too, so that arithmetic on a constant defined by it folds as well.
void foldKnownBits(ExprValue &value, const ExprValue &left, char op, const ExprValue &right);
