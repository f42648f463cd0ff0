#pragma once
// What the translation knows of a program's names, for editors: every
// declaration with its kind, type and place, every use of a name with the
// declaration or built-in it resolves to, and where local names stop being
// visible. A run fills it only when asked (RunTables::index); it lives
// across the sources of the run, as the names do.
#include <string>
#include <unordered_map>
#include <vector>

struct Symbol;

enum class DeclarationKind { variable, constant, parameter, function, classType, attribute, method, enumItem, define };

const char *declarationKindName(DeclarationKind kind);

// A place in a source: a line from 1 and byte columns from 1, the end
// column one past the name's last byte.
struct IndexPlace {
    int source = -1;   // into SymbolIndex::sources
    int line = 0;
    int column = 0;
    int endColumn = 0;
};

struct IndexedDeclaration {
    std::string name;
    DeclarationKind kind = DeclarationKind::variable;
    int type = 0;              // type code
    int classIndex = -1;       // objects: their class; attributes and methods: the owner
    int function = -1;         // functions and methods: the function record
    int like = -1;             // a define of a function type: the function record it names
    int container = -1;        // the declaration of the class or function it belongs to
    IndexPlace place;
    int scopeEndLine = 0;      // locals: the last line they are visible on; 0: the rest of the program
};

struct IndexedUse {
    IndexPlace place;
    int declaration = -1;      // into declarations, or
    int builtin = -1;          // a row of the built-in table; both -1: a use
                               // ahead of a definition that never came
};

struct SymbolIndex {
    std::vector<std::string> sources;                // as the run names them
    std::vector<std::string> sourceTexts;            // as the lexer read them
    std::vector<IndexedDeclaration> declarations;
    std::vector<IndexedUse> uses;
    std::unordered_map<const Symbol *, int> symbolDeclarations;
    std::unordered_map<int, int> functionDeclarations;   // function record -> declaration
    std::unordered_map<int, int> classDeclarations;      // class record -> declaration
    // Uses of a function or class named above its definition, which wait
    // for its declaration: record -> places in uses.
    std::unordered_map<int, std::vector<std::size_t>> functionUsesAhead;
    std::unordered_map<int, std::vector<std::size_t>> classUsesAhead;
    // Calls of a function not known at all where they stand (its
    // parameters name a class defined later): name -> places in uses.
    std::unordered_map<std::string, std::vector<std::size_t>> callsByNameAhead;

    // The name tokens the parser consumed last in the current source: a
    // name being declared or resolved is the latest of them with its text
    // that no declaration or use has taken yet.
    struct NameToken {
        std::string text;
        IndexPlace place;
        bool taken = false;
    };
    std::vector<NameToken> recentNames;              // a ring
    std::vector<std::size_t> lineStarts;             // of the current source's lines
    std::size_t nextName = 0;
    int currentSource = -1;
    int openFunction = -1;                           // declaration of the function being read
    int openClass = -1;
    bool nextKindSet = false;                        // the next declaration's kind is told
    DeclarationKind nextKind = DeclarationKind::variable;
};

// The index of the run being translated, or null when it keeps none.
SymbolIndex *symbolIndex();

// A source begins; its text gives the byte columns of the parser's.
void indexSourceBegins(const std::string &sourceName, const std::string &text);
// The parser consumed a name token at a line and a column that counts a
// tab to the next multiple of 8.
void noteNameToken(const std::string &text, int line, int scannerColumn);

// Declarations: the place is the latest untaken token of the name.
void indexSymbolDeclared(const Symbol *symbol, bool inClassBody);
// A copy of a symbol that stands for it in a block.
void indexSymbolAlias(const Symbol *copy, const Symbol *original);
// The kind of the next declared symbol, where its flags do not tell it
// (a parameter, an enumeration's item).
void indexNextDeclarationAs(DeclarationKind kind);
void indexFunctionDeclared(int functionRecord, int ownerClass);
void indexClassDeclared(int classRecord);
void indexDefineDeclared(const std::string &name, int likeFunction = -1);
// The end of a class body or function body.
void indexClassEnds();
void indexFunctionEnds(int lastLine);
// Locals leave their scope on the current line, or on the line given.
void indexScopeEnds(const std::vector<Symbol *> &scope);
void indexScopeEnds(const std::vector<Symbol *> &scope, int lastLine);

// Uses.
void indexSymbolUsed(const Symbol *symbol, const std::string &name);
void indexFunctionUsed(int functionRecord, const std::string &name);
// A call of a name no function answers yet: the function of that name
// declared later in the source is its declaration.
void indexForwardCall(const std::string &name);
void indexClassUsed(int classRecord, const std::string &name);
// A type of define named (a parameter's, an object's).
void indexDefineUsed(const std::string &name);
void indexBuiltinUsed(int row, const std::string &name);
