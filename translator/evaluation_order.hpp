#pragma once
// One evaluation order: the operands of an operator and the arguments of a
// call are evaluated from left to right on every tool chain. C++ fixes the
// order of "<<", "&&", "||" and assignments but leaves that of the other
// operators' operands and of a call's arguments open, and g++ and em++
// choose differently. Where the order could show (one operand calls
// something, and another one is more than a constant), the operands go to
// libvel's _vel_inOrder in a braced list, which C++ evaluates in order, and
// the operation is written as a lambda that receives their values. Pure
// expressions are written as they stand.
#include <string>
#include <vector>
#include "translator/values.hpp"

class OperandOrder {
public:
    // The operands in the order written; a null entry is no operand. When
    // the order could show, each operand that is more than a constant is
    // replaced by the name under which the operation receives it, so that
    // the operation's text is built from those names.
    // An operand the operation reads more than once (the tested value of a
    // range test) is handed over whenever it calls something, so that it is
    // evaluated once.
    explicit OperandOrder(const std::vector<ExprValue *> &operands, const ExprValue *readTwice = nullptr);
    // The operation built from the operands: handed the operands in order
    // when needed, and marked as calling something when an operand does.
    ExprValue finish(ExprValue operation) const;

private:
    std::vector<std::string> handedOver_;  // the C++ texts of the replaced operands
    bool effects_ = false;
};

// Parameter defaults are written where a lambda may capture nothing.
void beginParameterDefault();
void endParameterDefault();

// Part of the state of one translation (translator/source_translation.hpp).
struct OrderState {
    bool inParameterDefault = false;
};
