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
    // The same for a binary operator of a chain: when its left operand
    // nests its own first operand CHAIN_START deep already, the operation
    // becomes the next step of a _vel_chain, so that the chain's brackets
    // do not grow with its length.
    static OperandOrder ofChain(ExprValue &left, ExprValue &right);
    // The operation built from the operands: handed the operands in order
    // when needed, and marked as calling something when an operand does.
    ExprValue finish(ExprValue operation) const;

private:
    std::vector<std::string> handedOver_;  // the C++ texts of the replaced operands
    std::vector<std::string> received_;    // how the operation receives each of them
    bool effects_ = false;
    std::string chain_;     // the _vel_chain this operation continues, or ""
    int leftNesting_ = 0;   // how deep the left operand nested its own first operand
};

// How deep a chain nests before it goes on as a _vel_chain: short chains
// keep the plain nested form.
constexpr int CHAIN_START = 8;

// How deep `value` holds its first operand (0 when its text changed since).
int nestingOf(const ExprValue &value);
// Records that `value` holds `first` as its first operand, one level deeper.
void nestAround(ExprValue &value, const ExprValue &first);

// The capture of a lambda written here: none outside any function (the
// initial value of a file-level variable, a parameter default), where
// everything it names besides its parameters is file-level anyway.
std::string lambdaCapture();

// Parameter defaults are written where a lambda may capture nothing.
void beginParameterDefault();
void endParameterDefault();

// Part of the state of one translation (translator/source_translation.hpp).
struct OrderState {
    bool inParameterDefault = false;
};
