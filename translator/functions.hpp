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
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include "semantics/functions.hpp"
#include "translator/output.hpp"
#include "translator/values.hpp"


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
// The closing return of a definition is read: the function ends on its line.
void noteClosingReturn();
void closeFunctionDefinition();
// A call of a program function or method, by its record.
void noteProgramCall(int function);
// The table of the source's functions and their lines that faults read,
// or "" when the source defines none.
std::string functionPlacesTable(const std::string &quotedSource);
bool definingFunction();
// A static method is being defined: it has no object, so neither the
// class's instance members nor `this`.
bool definingStaticMethod();
// The body being read writes a place that may hold an object, or calls
// what may: the function may let go of the object whose method it is.
void noteObjectsMayBeReleased();
// A value of this type holds no object, nor a container that may.
bool holdsNoObjects(int type);
// Whether a call of the method may let go of the object it is called on:
// unknown until the method's body has been read.
bool callMayReleaseReceiver(int function);
// Whether the record is of the definition being read.
bool isFunctionBeingDefined(int function);

// A return statement inside a function; outside one it is reported.
void writeReturn(const std::vector<ExprValue> &values);

// The function the program calls "main" runs as the program when no
// top-level statement opened main: the epilogue writes a C++ main for it.
void writeMainForProgramFunction();
// At the end of the statements of main: the call of the function main
// that nothing called. True when main returns its result as the status.
bool callProgramMainIfUncalled();
// The C++ name of this source's function main, and a call of it.
std::string programMainName();
void noteMainCalled();
bool isMainName(const std::string &name);

// Extern block: a declared variable is known, and counts as assigned.
void declareExternVariable(const std::string &name);

// Part of the state of one translation (translator/source_translation.hpp).
// The definition being translated, from its head to its closing return.
struct FunctionState {
    bool defining = false;
    bool external = false;
    FunctionRecord record;
    std::string modifiers;
    std::string returnSpelling;      // the C++ return type
    std::vector<std::string> resultSpellings;  // the C++ type of each result
    std::string parameters;          // as the definition writes them
    std::string prototypeParameters; // with the default values
    std::string argumentVector;      // main's array parameter, held as a C argument vector
    // The parameter being read.
    ParameterRecord parameter;
    std::string parameterSpelling;
    std::string defaultText;
    int unnamedParameters = 0;
    // Where the output went before the body.
    OutputText *savedOutput = nullptr;
    int savedIndent = 0;
    int savedBlankLines = 0;
    int recordIndex = -1;     // its function record, once the head is read
    int headLine = 0;
    int recursionLine = 0;    // the first line where it calls itself, or 0
    std::vector<std::string> callees;  // the symbols of the other program functions it calls
    std::unordered_set<std::string> calleesSeen;
    int returnLine = 0;       // the line of its closing return, once read
    bool mayReleaseObjects = false;  // what its body has shown so far
    // What the head was written as, and where, so that its object
    // parameters can be respelt once the body has shown it lets go of no
    // object (borrowed_parameters.hpp).
    std::vector<std::string> parameterTexts;     // each as the definition writes it
    std::vector<std::string> parameterDefaults;  // "=value", or ""
    std::vector<std::string> keptParameters;     // given on as alias arguments
    OutputText *headOutput = nullptr;
    std::size_t headFrom = 0;
    std::string writtenHead;
    OutputText *prototypeOutput = nullptr;
    std::size_t prototypeFrom = 0;
    std::string writtenPrototype;
};

// Where a defined function starts and recurses, named as its C++ symbol is.
struct FunctionPlace {
    std::string symbol;
    int headLine = 0;
    int recursionLine = 0;
    std::string callees;  // their symbols, one blank between each
};

// A function's prototype line in the header, and the same without its
// default values, which a second declaration may not repeat.
struct HeaderPrototype {
    std::string withDefaults;
    std::string withoutDefaults;
};

// What the source being translated has defined so far.
struct SourceFunctions {
    std::unordered_set<std::string> names;  // in lower case
    int mainRecord = -1;                    // its function main, when it is the main source
    bool mainCalled = false;                // a statement of the source calls main
    std::vector<FunctionPlace> places;      // of the functions and methods with a body
    std::unordered_map<int, HeaderPrototype> headerPrototypes;  // by function record
};
