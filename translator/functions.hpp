#pragma once
// Function definitions, their parameters and return statements, and the
// declarations of extern blocks.
//
// Every function is written at file scope, whatever its place in the
// source: its body goes to a stream of its own that follows main in the
// implementation file, and its prototype (with the default values) goes to
// the header, so that a program may define functions before, between or
// after its statements and call them from anywhere.
#include <string>
#include <vector>
#include "semantics/functions.hpp"
#include "translator/values.hpp"

void resetFunctionState();

// external: the head of an extern block, registered but not written.
void beginFunctionDefinition(bool external);
// After each return type (a typeSpec).
void addReturnType();
// A class name as the return type; with arrayOfClass a typed array of that class.
void addClassReturnType(const std::string &className, bool arrayOfClass = false);
void setFunctionName(const std::string &name);

void beginParameter();
void parameterConst();
void parameterAlias();
void parameterTypeFromDeclaration();  // after a typeSpec
void parameterString();
void parameterNamedType(const std::string &name);
// "Class[] name": a typed array of the class named just before.
void parameterArrayOfClass(const std::string &name);  // after a type name
// A parameter of the function being defined, or null.
const ParameterRecord *functionParameterNamed(const std::string &name);
void parameterPointer();
void parameterName(const std::string &name);
// A parameter of an extern head given without a name.
void parameterUnnamed();
void parameterDefault(const ExprValue &value);
void endParameter();

// Writes the head and the prototype and opens the body.
void endFunctionHead();
void closeFunctionDefinition();
// A call of a program function or method, by its record.
void noteProgramCall(int function);
// The table of the source's functions and their lines that faults read,
// or "" when the source defines none.
std::string functionPlacesTable(const std::string &quotedSource);
bool definingFunction();

// A return statement inside a function; outside one it is reported.
void writeReturn(const std::vector<ExprValue> &values);

// The function the program calls "main" runs as the program when no
// top-level statement opened main: the epilogue writes a C++ main for it.
void writeMainForProgramFunction();
void callProgramMainIfUncalled();
// The C++ name of this source's function main, and a call of it.
std::string programMainName();
void noteMainCalled();
bool isMainName(const std::string &name);

// Extern block: a declared variable is known, and counts as assigned.
void declareExternVariable(const std::string &name);
