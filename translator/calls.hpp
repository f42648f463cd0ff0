#pragma once
// Calls: of built-in functions, of methods of built-in values, and of the
// functions the included headers declare. A call is begun by its name (and
// receiver), its arguments are collected at their own argument level, and
// closing the level writes the call in the form its table row gives.
#include <string>
#include "translator/values.hpp"

constexpr int ARGUMENT_LEVEL_CAPACITY = 128;
constexpr int ARGUMENTS_PER_CALL = 8;

// Fresh call state at the start of a statement or a source.
void resetCallState();
// Calls of names that no function had when they were translated: at the
// end of the source each must name a function, and its arguments must need
// no conversion, since none was written.
void resetForwardCalls();
void checkForwardCalls();

ExprValue beginCall(const std::string &name);
ExprValue beginExternalCall(const std::string &tokenText);
ExprValue endCall(ExprValue call);

ExprValue beginMethodCall(ExprValue receiver, const std::string &method);
ExprValue endMethodCall(ExprValue call);

void openArguments();
void addArgument(const ExprValue &argument);
// Writes the call begun last with the arguments collected since.
ExprValue closeArguments(ExprValue call);
// Drops the arguments of a call whose syntax failed (reported): nothing is
// checked, and the value has no type that could cause further reports.
ExprValue abandonArguments(const ExprValue &call);
