#include "semantics/source_semantics.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_set>

namespace {

// The one state the checks and the translating rules reach without being
// handed it: the ANTLR rules call them from generated code.
SourceSemantics *sourceInProgress = nullptr;

}  // namespace

SourceSemantics &sourceSemantics() {
    if (!sourceInProgress) {
        std::fputs("velc: no source is being translated\n", stderr);
        std::abort();
    }
    return *sourceInProgress;
}

SourceInProgress::SourceInProgress(SourceSemantics &state) : before(sourceInProgress) { sourceInProgress = &state; }

SourceInProgress::~SourceInProgress() { sourceInProgress = before; }

SymbolTable &symbolTable() { return sourceSemantics().run.symbolTable; }
LocalScopes &localScopes() { return sourceSemantics().localScopes; }
ScopeState &scopes() { return sourceSemantics().scopes; }
ReceiverLookup &receiverLookup() { return sourceSemantics().receiverLookup; }

DeclaredNames startDeclaredNames(const RunTables &run) {
    DeclaredNames names;
    names.globalsBefore = run.symbolTable.globals.size();
    names.typesBefore = run.definedTypes.size();
    return names;
}

void finishDeclaredNames(const RunTables &run, DeclaredNames &names) {
    const std::vector<Symbol *> &globals = run.symbolTable.globals;
    for (std::size_t i = names.globalsBefore; i < globals.size(); i++)
        names.globals.push_back(globals[i]);
    for (std::size_t i = names.typesBefore; i < run.definedTypes.size(); i++)
        names.definedTypes.push_back(run.definedTypes[i].name);
}

void forgetDeclaredNames(RunTables &run, const DeclaredNames &names) {
    std::unordered_set<const Symbol *> symbols(names.globals.begin(), names.globals.end());
    std::vector<Symbol *> &globals = run.symbolTable.globals;
    globals.erase(std::remove_if(globals.begin(), globals.end(), [&](const Symbol *s) { return symbols.count(s) > 0; }),
                  globals.end());
    std::vector<DefinedType> &types = run.definedTypes;
    for (const std::string &name : names.definedTypes) {
        auto found = std::find_if(types.begin(), types.end(), [&](const DefinedType &t) { return t.name == name; });
        if (found != types.end())
            types.erase(found);
    }
}
