#pragma once
// What the files of the expression rules share (operators.cpp, literals.cpp
// and conversions.cpp): the expression state and the making of a value.
#include <string>

#include "translator/expressions.hpp"
#include "translator/source_translation.hpp"

inline ExpressionState &expressions() { return translation().expressions; }

// Integer types: C++ computes with them as with ints.
inline bool isIntegerLike(int type) {
    return type == T_INTEGER || type == T_BYTE || type == T_NATURAL || type == T_BOOLEAN || type == T_LONG;
}

inline ExprValue result(std::string text, int type, int loose = LOOSE_NONE) {
    ExprValue value;
    value.text = std::move(text);
    value.type = type;
    value.loose = loose;
    return value;
}
