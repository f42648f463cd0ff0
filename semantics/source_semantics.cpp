#include "semantics/source_semantics.hpp"

#include <cstdio>
#include <cstdlib>

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
TypeState &typeState() { return sourceSemantics().typeState; }
LocalScopes &localScopes() { return sourceSemantics().localScopes; }
ScopeState &scopes() { return sourceSemantics().scopes; }
CurrentSymbol &current() { return sourceSemantics().current; }
PendingDeclaration &pendingDeclaration() { return sourceSemantics().pendingDeclaration; }
ReceiverLookup &receiverLookup() { return sourceSemantics().receiverLookup; }
