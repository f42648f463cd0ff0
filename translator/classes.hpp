#pragma once
// Classes: the class definition (written into the header), its attributes,
// its constructor, and what objects and class names do in expressions.
#include "translator/output.hpp"
#include <set>
#include <string>
#include <vector>

#include "translator/values.hpp"


// "class" Name ["is" Base {, Base}] ... "/class".
// A class of the program; of an import block, written with stub methods;
// of an extern block, written nowhere (native code defines it).
enum ClassKind { CLASS_DEFINED, CLASS_IMPORTED, CLASS_EXTERN };
void beginClass(const std::string &name, ClassKind kind = CLASS_DEFINED);
bool declaringImportedClass();
void classBase(const std::string &name);
void classFurtherBase(const std::string &name);
void openClassBody();
void endClass();
// The class being defined, or -1.
int currentClassIndex();
// At the level of the class body: outside its methods and blocks.
bool atClassLevel();

// The attributes declared so far in the class body are its record's: a
// method reaches them through another object of the class as well.
void followCurrentClassMembers();
// An attribute declarator of the class body; valueText starts with "=".
void writeAttribute(const std::string &emitted, const std::string &cppType, const std::string &valueText,
                    bool isStatic, bool isConstant);
// A method head has been read: the constructor is marked, and its body
// starts with the attribute initialisations.
void noteConstructor();
void writeAttributeInitializers();
// A method head of an import or extern class.
void declareExternalMethod(int index);

// An object of a class unrelated to the one its place holds would be read
// as the other class: reported with both names. True when reported.
bool refusedUnrelatedObject(int expectedClass, const ExprValue &value);

// "super(...)" inside a method.
void beginSuperCall();
void endSuperCall();

// Member chains: "object.attribute" and "Class.staticAttribute".
ExprValue memberOfObject(const ExprValue &owner, const std::string &member);
void memberOfObjectTarget(AssignTarget &target, const std::string &member);
// A dynamic value, or an element target, as the object of a class it holds.
ExprValue objectHeldBy(const ExprValue &value, int classIndex);
void elementAsObjectTarget(AssignTarget &target, int classIndex);
// "this" as the start of an assignment target.
AssignTarget thisTarget();
// An element of a typed array of a class: the pointer it holds, as an
// object of that class.
std::string objectOfClass(int classIndex, const std::string &element);
// An object of a base class given where one of a class derived from it is
// wanted: as that class, which C++ does not do by itself. Any other value
// as it is.
ExprValue downcastTo(int classIndex, const ExprValue &value);
// Whether a method the receiver's class lacks may still come: the class
// is the one whose body is being read.
bool methodMayFollow(const ExprValue &receiver);
// A constructor called on an object (`p.P(5)`, `this.P(5)`, `v.P(5)` on a
// var): reported, since a constructor makes a new object and is never run
// again on one that is there.
bool refusedConstructorAsMethod(const ExprValue &receiver, const std::string &method);
// A method of an object or a class; fills the call's function record and
// C++ head, or gives false when the receiver is no object or class.
// The C++ type that keeps an object of the class counted ("vel_ref<P>"),
// or "" when the value is no counted object.
std::string countedReferenceType(int type, int classIndex);
bool beginObjectMethod(const ExprValue &receiver, const std::string &method, int &function, std::string &head,
                       std::string *keepingHead = nullptr);

// Part of the state of one translation (translator/source_translation.hpp).
struct ClassState {
    std::set<std::string> definedHere;  // the classes this source defines
    int current = -1;            // the class being defined
    bool constructorSeen = false;
    int savedIndent = 0;
    bool switchedToHeader = false;  // the class switched the output, and switches it back
    OutputText *silencedOutput = nullptr; // an extern class writes nothing: the output it had
    ClassKind kind = CLASS_DEFINED;
    long headerStart = -1;       // where the class being defined starts in the header
    // The definitions of the class's static attributes, written once the
    // class is: C++ initialises a file's variables in the order written,
    // and a global after the class may read or (through a constructor)
    // write them.
    std::vector<std::string> staticDefinitions;
};
