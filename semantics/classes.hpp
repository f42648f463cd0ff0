#pragma once
// The classes the program defines: one record each, kept for the run so
// that a source uses the classes of the sources it includes. A record owns
// the member table that the symbol table searches while the class body is
// translated, and the function records of its methods.
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "semantics/symbols.hpp"

// The initial value of an attribute, given in the constructor: the
// statement and the source line it was declared on, which a run-time error
// of the value names.
struct AttributeInitializer {
    std::string statement;  // "name=value;"
    int sourceLine = 0;
};

struct ClassRecord {
    std::string name;
    std::string emittedName;     // its C++ name
    std::string baseName;        // "" without "is"
    int base = -1;               // the base class's record, -1 when none or unknown
    ClassMembers members;        // attributes, searched by the symbol table
    std::vector<int> methods;    // function records, in definition order
    std::unordered_map<std::string, int> methodByName;  // the first of each name, kept by addClassMethod
    int constructor = -1;        // the function record of the constructor
    std::vector<AttributeInitializer> attributeInitializers;  // in declaration order
    std::vector<std::string> staticAttributes;       // names of the static attributes
    bool hasConstructor = false;
    bool isDom = false;
    bool external = false;       // declared in an import or extern block
    // Defined by the program, on a base that is too: the class derives from
    // libvel's vel_object, its objects are held by counted references
    // (vel_ref) and freed when the last one goes.
    bool counted = false;
    // Its base was refused (unknown, or past the limit of bases): its
    // members may lack what the program expects from that base.
    bool baseRefused = false;
    std::string source;
    std::string file;            // the source file and line of its head, which messages name
    int line = 0;
};

// Adds the class, or empties and returns the record of the same name (a
// source read again); its index stays valid for the run.
int declareClass(const std::string &name, const std::string &source);
// The index of the class with exactly this name, or -1.
int findClass(const std::string &name);
ClassRecord &classRecord(int index);
// Adds a method (its function record) to the class, in definition order.
void addClassMethod(int classIndex, int function);
// A method the class itself defines: its function record, or -1.
int findOwnMethod(int classIndex, const std::string &name);
// A method of the class or of one of its bases: its function record, or -1.
int findClassMethod(int classIndex, const std::string &name);
// Whether a member the class lacks may be one of a base that was refused,
// which has had its message: the member's absence is not reported again.
bool lacksRefusedBase(int classIndex);
// An attribute of the class or of one of its bases, or null; `owner` is the
// class that declares it.
Symbol *findClassAttribute(int classIndex, const std::string &name, int *owner = nullptr);
bool isStaticAttribute(int classIndex, const std::string &name);
// The first class, in definition order, with a method or attribute of this
// name (its own or a base's), or -1: what an element of an array or dict
// whose member is used must be, when no other class defines the member.
int classWithMember(const std::string &name);
// The classes, in definition order, that define a method (or an attribute)
// of this name themselves rather than inherit it: those among which a
// member of a dynamic value is chosen by the object it holds.
std::vector<int> classesDefiningMethod(const std::string &name);
std::vector<int> classesDefiningAttribute(const std::string &name);
// The number of bases above the class; -1 when its chain comes back to
// `avoided` (a class that would be its own base) or is longer than the limit.
int basesAbove(int classIndex, int avoided);
// Whether `derived` is `base` or inherits from it.
bool inheritsFrom(int derived, int base);
// Whether an object of one class may stand for the other: one of them is
// the other or inherits from it. Unknown classes (-1) pass.
bool relatedClasses(int a, int b);

// Every class of the run, in definition order.
struct ClassTable {
    std::deque<ClassRecord> records;  // a deque keeps the member tables in place
    std::unordered_map<std::string, int> byName;
};
