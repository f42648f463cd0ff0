#pragma once
// Calls: of built-in functions, of methods of built-in values, and of the
// functions the included headers declare. A call is begun by its name (and
// receiver), its arguments are collected at their own argument level, and
// closing the level writes the call in the form its table row gives.
#include <string>
#include <utility>
#include <vector>
#include "translator/checked_stack.hpp"
#include "translator/values.hpp"

struct SyntaxContext;

// Fresh call state at the start of a statement.
void resetCallState();
// Calls of names that no function had when they were translated: at the
// end of the source each must name a function, and its arguments must need
// no conversion, since none was written.
void checkForwardCalls();
bool needsEarlyPrototypes();
// The header text with the prototypes that a class body needs ahead of the
// class (the same text when it needs none).
std::string headerWithEarlyPrototypes(const std::string &header);

ExprValue beginCall(const std::string &name);
ExprValue beginExternalCall(const std::string &tokenText);

ExprValue beginMethodCall(ExprValue receiver, const std::string &method);

void openArguments();
void addArgument(const ExprValue &argument);
// Writes the call begun last with the arguments collected since.
ExprValue closeArguments(ExprValue call);
// Drops the arguments of a call whose syntax failed (reported): nothing is
// checked, and the value has no type that could cause further reports.
ExprValue abandonArguments(const ExprValue &call);
// After the ")" of a call: closed, or abandoned when its arguments had a
// syntax error; the syntax context of the arguments gives way to `outer`.
ExprValue endArguments(ExprValue call, const SyntaxContext &outer);

// Part of the state of one translation (translator/source_translation.hpp).
enum CallKind {
    CALL_PLAIN,             // a function of the headers, or an external call
    CALL_SWAP,
    CALL_BUILTIN_FUNCTION,
    CALL_PROGRAM_FUNCTION,
    CALL_FORWARD,           // a name no function has yet: checked at the end of the source
    CALL_HEADER_FUNCTION,   // a name of the headers no function has yet: called as it stands
    CALL_METHOD,            // a method row was found
    CALL_METHOD_NOT_FOUND,  // reported; the arguments are written alone
    CALL_UNTYPED_METHOD,    // receiver of unknown type: written as it stands
    CALL_DISPATCHED         // a method of a dynamic value that several classes define
};

struct CallDescriptor {
    CallKind kind = CALL_PLAIN;
    int row = -1;           // table row, or program function record
    std::string name;       // as written
    ExprValue receiver;
    std::string method;     // as written
    std::string emitted;    // a call through a function parameter: the parameter
    int constructs = -1;    // a call of a class's name: the class
    bool throughParameter = false;  // of whatever function a function parameter holds
    std::vector<int> classes;  // dispatched: the classes to choose among, most derived first
    // A method of a counted object whose call itself lets go of no object:
    // the head that keeps the receiver for the call all the same, for
    // arguments that call something (which may drop the receiver).
    std::string keepingHead;
    // Dispatched: the built-in method of var called when the value holds
    // no object of the classes (-1: none, the last class is taken).
    int builtinFallback = -1;
};

struct ArgumentLevel {
    CallDescriptor call;
    std::vector<ExprValue> arguments;
    int count = 0;   // of arguments
};

// A call of a name that no function had when it was translated.
struct ForwardCall {
    std::string name;
    int line = 0;
    std::vector<int> argumentTypes;
    int ownerClass = -1;   // made in a method: the class whose methods come first
    // Called as a function of the headers: a later definition of the name
    // in the program would not be the function called.
    bool ofHeaders = false;
    long classHeaderStart = -1;   // made in a class body: where the class starts in the header
    bool ofMethod = false;        // a method called on an object of the class being read
    bool constructs = false;      // its constructor, called before it is defined
    bool mapped = false;          // named for map before its definition
};

// Functions that a class body calls before they are defined: the class's
// inline methods need their prototypes ahead of the class in the header.
struct EarlyPrototypes {
    long at = -1;                     // where the first such class starts in the header
    std::vector<int> functions;       // function records, without repeats
};

// The call being begun, until its argument level opens, the levels of the
// calls whose arguments are being parsed, and the calls of names that the
// rest of the source may still define.
struct CallState {
    CallDescriptor pending;
    CheckedStack<ArgumentLevel> levels{"arguments"};
    std::vector<ForwardCall> forwardCalls;
    // Functions called by name in a method: a method of that name that the
    // class defines further on is the one called.
    std::vector<std::pair<int, std::string>> functionsCalledInClasses;
    EarlyPrototypes earlyPrototypes;
};
