#pragma once
// Functions and methods a source calls before it defines them. A first reading of the
// source learns their heads; when it made such calls, the source is read
// again knowing them, so that a call before the definition has the type,
// the argument checks and the conversions that a call after it has: the
// order of the definitions changes nothing the program does.
#include <string>
#include <unordered_map>
#include <vector>

#include "semantics/functions.hpp"

// A function's head as the first reading found it, with its classes by
// name: the second reading declares them anew.
struct FunctionAhead {
    std::string key;                          // the name; "Class.name" for a method
    FunctionRecord record;
    std::string ownerClass;                   // a method's class, "" for a function
    std::vector<std::string> resultClasses;   // beside record.returnTypes; "" for no class
};

// Part of the state of one translation (translator/source_translation.hpp).
struct FunctionsAhead {
    std::unordered_map<std::string, FunctionAhead> known;   // given to this reading, by key
    std::vector<FunctionAhead> found;                       // what this reading learnt
    std::vector<int> methodsBeforeDefinition;               // registered for a call, not defined yet
};

// At the end of a reading: a call made before the definition of this
// function of the source.
void noteFunctionCalledAhead(int function);
// A name no function has yet: the record of the function of that name that
// the source defines further on, registered for the call, or -1.
int functionDefinedAhead(const std::string &name);
// The same for a method (or the constructor, named like its class) of the
// class whose body is being read.
int methodDefinedAhead(int classIndex, const std::string &name);
// Whether a call registered this method of the class and its definition
// has not come yet.
bool methodAwaitsDefinition(int classIndex, const std::string &name);
// The definition of a method that a call registered before it: the index
// of that record, which the definition takes over, or -1.
int methodRegisteredAhead(int classIndex, const std::string &name);
// A call of a function of the source, made in a class body before the
// function is defined: its prototype must come before the class.
void noteCallBeforeDefinition(int function);
