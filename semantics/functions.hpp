#pragma once
// The functions the program defines or declares: one record each, kept for
// the whole run so that a source calls what the sources it includes define.
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

struct ParameterRecord {
    std::string name;
    int type = 0;
    bool byReference = false;
    bool constant = false;
    bool hasDefault = false;
    bool functionType = false;  // a function passed by name
    int signature = -1;         // for a function type made by define: the function it was made from
    std::string functionTypeName;  // and the name define gave that type
    std::string className;      // for a parameter of a class type
    std::string defaultValue;   // the C++ of its default value, where it has one
};

struct FunctionRecord {
    std::string name;           // as the program writes it
    std::string emittedName;    // as the C++ calls it
    std::vector<int> returnTypes;
    std::vector<ParameterRecord> parameters;
    bool isStatic = false;
    bool external = false;      // declared in an extern block, defined elsewhere
    std::string resultSpelling; // the C++ type of its result, "void" for none
    int mode = 0;               // 0 ordinary, 1 main, 3 and 4 main with an argument vector
    std::string source;         // the source that defines it
    std::string file;           // that source's file name, and the line and text of its head,
    int line = 0;               // which a message about a call's arguments shows
    std::string head;
    int ownerClass = -1;        // a method: its class record
    int returnClass = -1;       // a function that returns an object: its class record
    std::vector<int> returnClasses;  // beside returnTypes: each result's class record, or -1
    bool isConstructor = false;
    // Whether running the function may let go of an object: it writes a
    // place that can hold one, or calls what may. Until its body has been
    // read, assumed.
    bool mayReleaseObjects = true;

    int requiredCount() const;
    // The type a call of the function has: its one return type, 0 when it
    // declares none, tuple for several.
    int callType() const;
};

// Adds a record, or replaces the one of the same name and source (a source
// read again); its index, which stays valid for the run. Methods are added
// for their class, which finds them; the name searches skip them.
int registerFunction(const FunctionRecord &record);
// The index of the function with exactly this name, or -1.
int findProgramFunction(const std::string &name);
// The index of a function whose name differs from this one at most in
// letter case, or -1.
int findProgramFunctionNoCase(const std::string &name);
FunctionRecord &functionRecord(int index);
// Whether two functions take the same parameter types and return the same types.
bool sameSignature(const FunctionRecord &a, const FunctionRecord &b);

// Every function and method of the run.
struct FunctionTable {
    std::deque<FunctionRecord> records;  // a deque keeps references valid
    std::unordered_map<std::string, int> byName;
    std::unordered_map<std::string, int> byLoweredName;  // the first of each spelling
};
