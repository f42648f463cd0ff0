#pragma once
// The brackets of the C++ text of an expression: whether a pair already
// encloses it, and how deep they nest. The C++ compilers refuse brackets
// nested past a few hundred levels (clang: 256), so an expression's text
// must not double the pairs its parts already have, and one whose text
// still nests too deep is a limit of the language.
#include <string>

#include "translator/values.hpp"

// C++ brackets ("(", "[" and "{") an expression's text may nest, below
// what the compilers take with room for the statement around it.
constexpr int CPP_BRACKET_LIMIT = 224;

// Whether the '(' at the front of `text` is closed by its last character.
// Brackets inside quoted C++ literals do not count.
bool enclosedInParentheses(const std::string &text);

// How deep the brackets of `text` nest, those of quoted literals left out.
int bracketDepth(const std::string &text);

// Whether the value's text binds as tightly as a pair of parentheses
// around it would: enclosed in one already, a call (a name and its
// arguments), or a chain of one operator that the next of its kind goes
// on in place.
bool bindsTightly(const ExprValue &value);

// Reports the limit and ends the source's translation (NestingTooDeep)
// when the text of a statement's own expression (not one nested in it)
// nests past CPP_BRACKET_LIMIT.
void checkBracketDepth(const ExprValue &value);
