#pragma once
// The semantic state of one translation, made for its source and gone with
// it, and the tables that live across the sources of one run, which the
// driver makes for the run and hands to every translation. The translator
// extends the source's state with its own (translator/source_translation.hpp);
// while a source is translated, the checks below reach its state through
// sourceSemantics().
#include <set>
#include <string>
#include <vector>

#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/symbol_index.hpp"
#include "semantics/spellings.hpp"
#include "semantics/symbols.hpp"
#include "semantics/types.hpp"

// A type made by "define": a later source may declare variables of it.
struct DefinedType {
    std::string name;
    bool byValue = false;
    int function = -1;  // a function type: the function whose signature it has
};

// What lives from the first source of a run to its last.
struct RunTables {
    std::vector<DefinedType> definedTypes;
    SymbolTable symbolTable;
    ClassTable classes;
    FunctionTable functions;
    EmissionState emission;
    SymbolIndex *index = nullptr;   // kept only when an editor asks for it
};

// The file-level names a source added to the run while it was read for
// its declarations alone (a source of an include cycle, read before the
// first of the cycle is translated): taken back before the source is
// translated, which declares them again.
struct DeclaredNames {
    std::size_t globalsBefore = 0, typesBefore = 0;   // the run's counts before the reading
    std::vector<const Symbol *> globals;
    std::vector<std::string> definedTypes;
};

// Starts a record of what `run` gains from here on.
DeclaredNames startDeclaredNames(const RunTables &run);
// Ends it: the names `run` gained since it started.
void finishDeclaredNames(const RunTables &run, DeclaredNames &names);
void forgetDeclaredNames(RunTables &run, const DeclaredNames &names);

struct SourceSemantics {
    explicit SourceSemantics(RunTables &run) : run(run) {}
    SourceSemantics(const SourceSemantics &) = delete;
    SourceSemantics &operator=(const SourceSemantics &) = delete;
    virtual ~SourceSemantics() = default;

    RunTables &run;
    ScopeState scopes;
    LocalScopes localScopes;
    ReceiverLookup receiverLookup;
    std::set<std::string> nativeDefinitions;   // macros the source's native texts define
};

// The state of the source being translated; there must be one.
SourceSemantics &sourceSemantics();

// Makes `state` the source being translated while it lives, and gives the
// one before back afterwards.
class SourceInProgress {
public:
    explicit SourceInProgress(SourceSemantics &state);
    ~SourceInProgress();
    SourceInProgress(const SourceInProgress &) = delete;
    SourceInProgress &operator=(const SourceInProgress &) = delete;

private:
    SourceSemantics *before;
};
