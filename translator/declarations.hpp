#pragma once
// Declarations of variables, constants, typed arrays and class-typed
// variables; enumerations and "define".
#include <string>
#include <utility>
#include <vector>
#include "translator/values.hpp"


void beginDeclaration();
void addModifier(const std::string &text);
void addAccessModifier(const std::string &text);
// Around a type used as a value ("int()"), which must not change the type
// of the declaration it stands in.
void beginTypeValue();
void endTypeValue();
void addStaticModifier();
void addConstModifier();
void setDeclaredType(int type, const std::string &cppSpelling);
void applyArraySuffix();
int currentDeclaredType();
// The C++ spelling of the declared type, and the modifiers written so far.
const std::string &currentCppType();
const std::string &currentModifiers();
bool currentIsStatic();
// Declares a name of the given type in the current scope.
// classIndex: the class of an object, or the one of the declaration being read.
constexpr int CLASS_OF_DECLARATION = -100;
Symbol *declareName(const std::string &name, int type, bool assigned, int classIndex = CLASS_OF_DECLARATION);
void writeHeaderLine(const std::string &line);

void writeDeclarator(const std::string &name, bool hasValue, const ExprValue &value);
// `int n = input()`: a value whose first token was a syntax error. The name
// is still declared, with its type and as given a value, so that its uses
// say nothing more of that one fault.
void declareAfterBrokenValue(const std::string &name);
void betweenDeclarators();
void betweenObjectDeclarators();
void endDeclarationList();

void beginObjectDeclaration(const std::string &className);
void applyObjectArraySuffix();
// form 0: no value, 1: "= null", 2: "=" expression.
void writeObjectDeclarator(const std::string &name, int form, const ExprValue &value);

void beginEnumeration();
void enumItemCounted(const std::string &name);
void enumItemNumbered(const std::string &name, const std::string &number);
void enumItemValued(const std::string &name, const std::string &literal, int type);

void defineType(const std::string &name, bool byValue);
void defineFunctionType(const std::string &name, const std::string &literal);
// The function whose signature a type made by define has, or -1.
int definedFunctionType(const std::string &name);
bool isDefinedType(const std::string &name, bool &byValue);
// Whether define made a type of this name, in any letter case.
bool isDefinedTypeName(const std::string &name);
// The C++ name of a class or of a "define" type: a native class keeps its
// own, every other name is renamed as declared names are.
std::string typeNameSpelling(const std::string &name);
// The C++ type of a variable, attribute, parameter or result of a class:
// "vel_ref<Name> " for the program's own classes (counted, freed when
// unreachable), "Name *" for classes of native code.
std::string objectSpelling(const std::string &className);
// "new Name(...)" as the program's objects are made: held by the result.
std::string newObject(int classIndex, const std::string &construction);

// The value a variable of this type starts with, written after its name.
std::string defaultInitializer(int type);

// File-level variables declared once main is open are defined after main;
// the epilogue writes their definitions.
void writeLateGlobals();
void addLateGlobal(const std::string &definition);

// Declares the variable of an XML literal: a dict that has its value.
void declareXmlVariable(const std::string &name);

// Part of the state of one translation (translator/source_translation.hpp).
// The declaration being translated and what declarations leave for later.
struct DeclarationState {
    std::string modifierPrefix;
    int staticFlag = 0;
    int storageKind = 1;
    int declaredType = 0;
    std::string cppType;
    int classIndex = -3;
    std::string arrayPrefix;
    std::string className;
    int enumCounter = 0;
    std::vector<std::string> lateGlobals;
    // Of a source that includes others (translator/source_inits.hpp): the
    // init functions of the sources its include lines name, and the values
    // its file-level variables wait for, with their lines.
    std::vector<std::string> includedInits;
    std::vector<std::pair<int, std::string>> waitingValues;
};

// "int()" inside a declaration: the declaration's own type, kept around it.
struct DeclaredTypeSnapshot {
    int declaredType = 0;
    std::string cppType;
    int classIndex = -3;
    std::string arrayPrefix;
};
