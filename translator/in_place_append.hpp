#pragma once
// "t = t + x" appends x to t where it stands: the sum of a variable and
// further operands is followed through its "+" steps (AppendChain), and an
// assignment of such a sum back to the variable becomes "t += ...".
#include <cstddef>
#include <memory>
#include <string>
#include "translator/values.hpp"

// The chain that a "+" after left continues or starts, or none when left is
// neither a variable that can be appended to nor such a sum. Takes left's
// chain over when no other value shares it.
std::shared_ptr<AppendChain> chainBefore(ExprValue &left);

// What a "+" step appended: the C++ text after the "+" that follows left's
// text of leftLength characters in stepText; empty when no "+" follows.
std::string pieceAfter(const std::string &stepText, std::size_t leftLength);

// The chain of sum = left + right, whose step appended piece; none when
// this step keeps the sum from being an append to the variable.
std::shared_ptr<AppendChain> chainAfter(std::shared_ptr<AppendChain> chain, std::string piece,
                                         const ExprValue &right, const ExprValue &sum);

// What follows "target += " when assigning value to target appends in
// place with the result of the plain assignment; empty when it cannot.
std::string inPlaceAppend(const AssignTarget &target, const ExprValue &value);

// What follows "target += " for "d[k] = d[k] + n", n a number literal, on an
// element of a var array or dict reached by a plain key; empty otherwise.
std::string inPlaceElementSum(const AssignTarget &target, const ExprValue &value);
