#pragma once
// The symbol table: every name the Velmora source declares, in the global
// scope, the class being translated, the function being translated and its
// nested blocks. A lookup returns the symbol it found; a declaration is told
// what it declares.
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Bits of Symbol::flags.
enum SymbolFlag : unsigned {
    SYMBOL_TYPE_MASK = 63,     // bits 0-5: the type code
    SYMBOL_ASSIGNED = 64,      // the symbol has received a value
    SYMBOL_ATTRIBUTE = 128,    // declaration attribute passed by the declaring rule
    SYMBOL_OBJECT_TEXT = 256,  // relaxes the object assignment check to texts
    SYMBOL_ASSIGNED_IN_BLOCK = 512,  // a block gave it a value, which counted only there
};

// Declaration kinds that may not be assigned.
constexpr int KIND_CONSTANT = 4;   // "const "
bool isConstantKind(int kind);     // 3, 4 and 5

// Control statements (if, while, for ...) nest at most this deep in a
// source: a limit of the language, reported where the one past it begins.
constexpr int BLOCK_NESTING_LIMIT = 128;
// A control statement opens at most two block scopes (a for loop: its
// variable's and its body's), so the scopes never run out first.
constexpr int BLOCK_DEPTH_CAPACITY = 2 * BLOCK_NESTING_LIMIT + 2;
// A class has at most this many bases above it (its base, the base's base
// ...): a limit of the language, reported where a class names its base,
// which also keeps chains free of cycles.
constexpr int CLASS_BASES_LIMIT = 256;

struct Symbol {
    std::string name;
    std::string emittedName;   // how the generated C++ refers to it
    unsigned flags = 0;
    int kind = 0;
    int classIndex = -1;       // class number for objects, else a negative marker

    int type() const { return static_cast<int>(flags & SYMBOL_TYPE_MASK); }
    bool assigned() const { return (flags & SYMBOL_ASSIGNED) != 0; }
};

// A hash index over one scope of the table, so that a search costs the same
// whatever the number of names in the scope. It follows its vector: the
// symbols appended since the last search are added at the next one; the
// table empties it wherever it empties the vector, and a vector found
// shorter, or changed at its last indexed place, is indexed again.
struct ScopeIndex {
    std::unordered_map<std::string, int> exact;    // first place of each name
    std::unordered_map<std::string, int> folded;   // first place, ASCII letters folded
    std::size_t indexed = 0;                       // places of the vector indexed so far
    const Symbol *lastIndexed = nullptr;           // the symbol at place indexed - 1

    void clear() {
        if (indexed > 0)
            *this = ScopeIndex();
    }
};

// The members of one class. The class rules own these tables; the symbol
// table holds the one of the class being translated and reaches the base
// classes through `parent`.
struct ClassMembers {
    std::vector<Symbol *> members;
    int lastMatch = -1;
    std::string className;
    std::string parentName;
    const ClassMembers *parent = nullptr;
    mutable ScopeIndex index;   // over members; kept up by the searches
};

// What the symbols of a run share from its first source to its last: the
// global scope, the names already reported as not declared (each is
// reported once per run), and the storage of every symbol, which the scopes
// of later sources and the class records still point into.
struct SymbolTable {
    std::vector<Symbol *> globals;
    ScopeIndex globalsIndex;   // over globals; kept up by the searches
    std::unordered_set<std::string> undeclaredInClass;
    std::unordered_set<std::string> undeclaredElsewhere;
    std::deque<Symbol> storage;  // never shrinks while the run lasts
};

// The scopes below the globals, made with their source: a source starts with
// no class, function or block open whatever the one before it left open.
struct LocalScopes {
    std::vector<Symbol *> functionLocals;
    std::vector<Symbol *> functionImports;   // globals the current function used
    std::vector<Symbol *> blockScopes[BLOCK_DEPTH_CAPACITY];
    std::vector<Symbol *> blockCaptures[BLOCK_DEPTH_CAPACITY];
    ClassMembers classMembers;
    int matchIndex = -1;
    // Indexes of the scopes above that the table itself fills and empties;
    // the class members carry their own.
    ScopeIndex functionLocalsIndex;
    ScopeIndex functionImportsIndex;
    ScopeIndex blockScopeIndex[BLOCK_DEPTH_CAPACITY];
    ScopeIndex blockCaptureIndex[BLOCK_DEPTH_CAPACITY];
};

// Where the translator stands; set by the statement, function and class rules.
struct ScopeState {
    bool inClass = false;
    bool inFunction = false;
    bool inBlock = false;
    int blockDepth = -1;          // -1 outside any block
    int blockOverflow = 0;        // blocks entered beyond the capacity (reported)
    bool assignmentTarget = false; // a read lookup then resolves an assignment target

    // Outside any class, function and block: where file-level variables are.
    bool atFileLevel() const { return !inClass && !inFunction && !inBlock; }
};

// What a declaring rule tells of the name it declares.
struct DeclaredAs {
    int type = 0;
    int kind = 1;
    int classIndex = -1;
    bool attribute = false;    // becomes SYMBOL_ATTRIBUTE
    bool objectText = false;   // becomes SYMBOL_OBJECT_TEXT
};

SymbolTable &symbolTable();   // of the run (semantics/source_semantics.hpp)
LocalScopes &localScopes();   // of the source being translated
// Set while a method's receiver is looked up: a read before assignment is
// noted here instead of reported.
struct ReceiverLookup {
    bool active = false;
    bool unassigned = false;
};

// These parts of the source being translated (semantics/source_semantics.hpp).
ScopeState &scopes();
ReceiverLookup &receiverLookup();

// Declares name in the current scope. Pass SYMBOL_ASSIGNED in extraFlags for
// anything that has a value from its declaration on: a variable declared
// with a value, a parameter, a loop variable, an enumeration item, a
// constant. Returns the new symbol, or nullptr when the name was a duplicate
// (reported).
Symbol *declare(const std::string &name, const DeclaredAs &declared, unsigned extraFlags = 0);

// Class rules add members through this path: a duplicate is reported as
// "already declared" and the member is added all the same.
Symbol *addClassMember(const Symbol &member);

// Resolves name for reading / as an assignment target. Returns the symbol
// found, or nullptr when there is none (reported).
Symbol *lookupUse(const std::string &name);
// lookupUse that leaves a read before assignment to the caller: `unassigned`
// tells whether the variable had no value yet.
Symbol *lookupReceiver(const std::string &name, bool &unassigned);
Symbol *lookupAssign(const std::string &name, bool reportConstant = true);
// "used before assignment", with a hint that says how to give the variable
// a value that lasts.
void reportUsedBeforeAssignment(const Symbol *symbol);

// Index of the first symbol named name (byte for byte / ignoring ASCII case), or -1.
int findExact(const std::vector<Symbol *> &scope, const std::string &name);
int findNoCase(const std::vector<Symbol *> &scope, const std::string &name);
// findExact over the members of a class, through the class's own index.
int findMember(const ClassMembers &members, const std::string &name);

void enterBlock();
void leaveBlock();
// Ends the scope of the names of the block at `depth` past the first `kept`
// ones, while the block goes on.
void hideNamesFrom(int depth, std::size_t kept);

// Start of a function or method body: its locals and imports start empty.
void beginFunctionScope();

// True when name is the current class's name; a name that differs only in
// case is reported and gives false.
bool checkClassNameCase(const std::string &name);
