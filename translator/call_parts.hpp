#pragma once
// What the files of the call rules share (calls.cpp, program_calls.cpp,
// forward_calls.cpp and early_prototypes.cpp).
#include <string>

#include "semantics/functions.hpp"
#include "translator/calls.hpp"
#include "translator/source_translation.hpp"

inline CallState &calls() { return translation().calls; }

inline ExprValue valueOf(std::string text, int type) {
    ExprValue value;
    value.text = std::move(text);
    value.type = type;
    return value;
}

// Whether evaluating an argument calls something, which may drop the
// receiver's other holds.
inline bool argumentsCallSomething(const ArgumentLevel &level) {
    for (int i = 0; i < level.count; i++)
        if (level.arguments[static_cast<std::size_t>(i)].effects)
            return true;
    return false;
}

// The texts separated by commas, as the arguments of a call.
inline std::string joinTexts(const std::string *texts, int count) {
    std::string joined;
    for (int i = 0; i < count; i++) {
        if (i > 0)
            joined += ",";
        joined += texts[i];
    }
    return joined;
}

// Checks the count and the types of a call's arguments against the
// function's parameters (reported); true when they are accepted.
bool checkProgramArguments(const FunctionRecord &function, const int *types, int count);

// A call of a built-in method, its arguments converted as the row wants them.
ExprValue closeMethodCall(CallDescriptor &call, const ArgumentLevel &level);

// A call of a function of the program, its arguments passed as the
// parameters receive them.
ExprValue closeProgramCall(const CallDescriptor &call, const ArgumentLevel &level);
// Whether a variable, parameter or attribute of this name is visible where
// the call stands, and the C++ name the function is reached by then.
bool hiddenByLocalName(const std::string &name);
std::string functionReachedBy(int function, const std::string &name);
// The function map calls: a function value, a parameter of a function
// type or the literal name of a program function of one parameter.
std::string mappedFunction(const ExprValue &argument);

// A call of a name that no function has yet, noted for checkForwardCalls;
// `head` is the text before the arguments.
ExprValue closeForwardCall(const CallDescriptor &call, const ArgumentLevel &level, const ExprValue &head);
// A class's constructor called in its own body before the constructor is
// defined: written as it stands, its arguments checked at the end.
void noteConstructionAhead(const CallDescriptor &call, const ArgumentLevel &level);
// The same for a name of the headers: called as it stands.
ExprValue closeHeaderCall(const CallDescriptor &call, const ArgumentLevel &level, const ExprValue &head);

// A class body that starts at `classStart` in the header calls the
// function before it is defined.
void needEarlyPrototype(int function, long classStart);
