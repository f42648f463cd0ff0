// Declaring and resolving names. Duplicate checks ignore case, lookups do
// not. Blocks keep captured copies of outer symbols so that an assignment
// made inside a block counts as a value only until the block is left.
#include "semantics/symbols.hpp"
#include "semantics/symbol_index.hpp"
#include "semantics/functions.hpp"
#include "semantics/classes.hpp"
#include "semantics/reserved_names.hpp"

#include "diagnostics/diagnostics.hpp"
#include "semantics/types.hpp"

bool isConstantKind(int kind) { return kind == 3 || kind == 4 || kind == 5; }

namespace {

// Kind of a constant that stands for its literal value (an enumeration
// item): classes and functions may read such globals freely.
constexpr int KIND_VALUE_CONSTANT = 3;

}  // namespace

// Guards the walk up the base classes against a class that names itself.

// ---------------------------------------------------------------------------
// Searching

namespace {

unsigned char foldedLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | 32) : c;
}

bool sameIgnoringCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++)
        if (foldedLetter(static_cast<unsigned char>(a[i])) !=
            foldedLetter(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string foldedName(const std::string &name) {
    std::string folded = name;
    for (char &c : folded)
        c = static_cast<char>(foldedLetter(static_cast<unsigned char>(c)));
    return folded;
}

// Below this size a scope is searched in order: building an index costs more.
constexpr size_t INDEXED_SCOPE_SIZE = 16;

// The index of one of the table's own scopes, or nullptr for any other vector.
ScopeIndex *ownIndexOf(const std::vector<Symbol *> &scope) {
    SymbolTable &run = symbolTable();
    if (&scope == &run.globals)
        return &run.globalsIndex;
    LocalScopes &table = localScopes();
    if (&scope == &table.functionLocals)
        return &table.functionLocalsIndex;
    if (&scope == &table.functionImports)
        return &table.functionImportsIndex;
    if (&scope == &table.classMembers.members)
        return &table.classMembers.index;
    const std::vector<Symbol *> *first = table.blockScopes, *end = first + BLOCK_DEPTH_CAPACITY;
    if (&scope >= first && &scope < end)
        return &table.blockScopeIndex[&scope - first];
    first = table.blockCaptures;
    end = first + BLOCK_DEPTH_CAPACITY;
    if (&scope >= first && &scope < end)
        return &table.blockCaptureIndex[&scope - first];
    return nullptr;
}

void catchUp(ScopeIndex &index, const std::vector<Symbol *> &scope) {
    if (scope.size() < index.indexed ||
        (index.indexed > 0 && scope[index.indexed - 1] != index.lastIndexed))
        index.clear();
    for (size_t i = index.indexed; i < scope.size(); i++) {
        // emplace keeps the place already there: searches find the first match.
        index.exact.emplace(scope[i]->name, static_cast<int>(i));
        index.folded.emplace(foldedName(scope[i]->name), static_cast<int>(i));
    }
    index.indexed = scope.size();
    if (!scope.empty())
        index.lastIndexed = scope.back();
}

ScopeIndex *searchIndexFor(const std::vector<Symbol *> &scope) {
    if (scope.size() < INDEXED_SCOPE_SIZE)
        return nullptr;
    ScopeIndex *index = ownIndexOf(scope);
    if (index)
        catchUp(*index, scope);
    return index;
}

int findExactThrough(ScopeIndex *index, const std::vector<Symbol *> &scope, const std::string &name) {
    if (index) {
        auto found = index->exact.find(name);
        return found == index->exact.end() ? -1 : found->second;
    }
    for (size_t i = 0; i < scope.size(); i++)
        if (scope[i]->name == name)
            return static_cast<int>(i);
    return -1;
}

}  // namespace

int findExact(const std::vector<Symbol *> &scope, const std::string &name) {
    return findExactThrough(searchIndexFor(scope), scope, name);
}

int findMember(const ClassMembers &members, const std::string &name) {
    ScopeIndex *index = nullptr;
    if (members.members.size() >= INDEXED_SCOPE_SIZE) {
        index = &members.index;
        catchUp(*index, members.members);
    }
    return findExactThrough(index, members.members, name);
}

int findNoCase(const std::vector<Symbol *> &scope, const std::string &name) {
    if (ScopeIndex *index = searchIndexFor(scope)) {
        auto found = index->folded.find(foldedName(name));
        return found == index->folded.end() ? -1 : found->second;
    }
    for (size_t i = 0; i < scope.size(); i++)
        if (sameIgnoringCase(scope[i]->name, name))
            return static_cast<int>(i);
    return -1;
}

namespace {

Symbol *findIn(const std::vector<Symbol *> &scope, const std::string &name) {
    localScopes().matchIndex = findExact(scope, name);
    return localScopes().matchIndex < 0 ? nullptr : scope[localScopes().matchIndex];
}

bool containsNoCase(const std::vector<Symbol *> &scope, const std::string &name) {
    return findNoCase(scope, name) >= 0;
}

Symbol *newSymbol(const Symbol &model) {
    symbolTable().storage.push_back(model);
    return &symbolTable().storage.back();
}

bool insideBlock() { return scopes().inBlock && scopes().blockDepth >= 0; }

// The class being translated first, then its base classes.
Symbol *findInClass(const std::string &name) {
    ClassMembers &own = localScopes().classMembers;
    own.lastMatch = findMember(own, name);
    if (own.lastMatch >= 0)
        return own.members[own.lastMatch];
    const ClassMembers *base = own.parent;
    for (int level = 0; base && level < CLASS_BASES_LIMIT; level++, base = base->parent) {
        int index = findMember(*base, name);
        if (index >= 0)
            return base->members[index];
    }
    return nullptr;
}

// A class reaches only the globals of the shared kind.
Symbol *findGlobalFromClass(const std::string &name) {
    Symbol *symbol = findIn(symbolTable().globals, name);
    if (symbol && symbol->kind != KIND_VALUE_CONSTANT)
        reportNamed(E_NOT_ACCESSIBLE, name);
    return symbol;
}

void requireAssigned(const Symbol *symbol) {
    if (symbol->assigned())
        return;
    if (receiverLookup().active)
        receiverLookup().unassigned = true;
    else
        reportUsedBeforeAssignment(symbol);
}

Symbol *captureInCurrentBlock(const Symbol *outer, bool assigned) {
    Symbol copy = *outer;
    copy.flags = assigned ? (copy.flags | SYMBOL_ASSIGNED) : (copy.flags & ~SYMBOL_ASSIGNED);
    Symbol *capture = newSymbol(copy);
    indexSymbolAlias(capture, outer);
    localScopes().blockCaptures[scopes().blockDepth].push_back(capture);
    return capture;
}

// An assignment from inside a block to a symbol of an enclosing scope.
Symbol *assignFromBlock(Symbol *outer) {
    if (outer->assigned())
        return outer;
    outer->flags |= SYMBOL_ASSIGNED_IN_BLOCK;
    return captureInCurrentBlock(outer, true);
}

}  // namespace

// A variable given its value in both branches of an if, or in a loop, is
// still without one after the block: users of other languages expect the
// value to last, and are told where to give one that does.
void reportUsedBeforeAssignment(const Symbol *symbol) {
    reportNamed(E_USED_BEFORE_ASSIGNMENT, symbol->name);
    const std::string name = "`" + symbol->name + "`";
    if (symbol->flags & SYMBOL_ASSIGNED_IN_BLOCK)
        hintLastReport("a value given inside a block lasts only to the end of the block: give " + name +
                       " a value where it is declared, then change it in the block");
    else
        hintLastReport("give " + name + " a value before it is read, for instance where it is declared");
}

namespace {

void notDeclared(const std::string &name) {
    std::unordered_set<std::string> &reported =
        scopes().inClass ? symbolTable().undeclaredInClass : symbolTable().undeclaredElsewhere;
    if (reported.insert(name).second)
        reportNamed(E_NOT_DECLARED, name);
}

void addImport(Symbol *global) {
    if (findExact(localScopes().functionImports, global->name) < 0)
        localScopes().functionImports.push_back(global);
}

enum class Access { Read, Assign };

Symbol *resolveAtGlobalLevel(const std::string &name, Access access) {
    Symbol *symbol = findIn(symbolTable().globals, name);
    if (symbol && access == Access::Assign)
        symbol->flags |= SYMBOL_ASSIGNED;
    else if (symbol)
        requireAssigned(symbol);
    return symbol;
}

Symbol *resolveInClassBody(const std::string &name) {
    Symbol *symbol = findInClass(name);
    return symbol ? symbol : findGlobalFromClass(name);
}

Symbol *resolveInFunction(const std::string &name, Access access) {
    if (Symbol *local = findIn(localScopes().functionLocals, name)) {
        if (access == Access::Assign)
            local->flags |= SYMBOL_ASSIGNED;
        else
            requireAssigned(local);
        return local;
    }
    if (Symbol *imported = findIn(localScopes().functionImports, name)) {
        if (access == Access::Assign)
            imported->flags |= SYMBOL_ASSIGNED;
        return imported;
    }
    if (scopes().inClass)
        return resolveInClassBody(name);
    Symbol *global = findIn(symbolTable().globals, name);
    if (global) {
        if (access == Access::Assign)
            global->flags |= SYMBOL_ASSIGNED;
        addImport(global);
    }
    return global;
}

Symbol *resolveInBlock(const std::string &name, Access access) {
    const int depth = scopes().blockDepth;
    if (Symbol *own = findIn(localScopes().blockScopes[depth], name)) {
        if (access == Access::Assign)
            own->flags |= SYMBOL_ASSIGNED;
        else
            requireAssigned(own);
        return own;
    }
    // Innermost capture first: it holds the latest value state.
    for (int level = depth; level >= 0; level--) {
        if (Symbol *capture = findIn(localScopes().blockCaptures[level], name)) {
            if (access == Access::Read)
                return capture;
            if (level == depth) {
                capture->flags |= SYMBOL_ASSIGNED;
                return capture;
            }
            return assignFromBlock(capture);
        }
    }
    for (int level = 0; level < depth; level++) {
        if (Symbol *outer = findIn(localScopes().blockScopes[level], name)) {
            if (access == Access::Assign)
                return assignFromBlock(outer);
            requireAssigned(outer);
            return outer;
        }
    }
    if (scopes().inFunction) {
        if (Symbol *local = findIn(localScopes().functionLocals, name)) {
            if (access == Access::Assign)
                return assignFromBlock(local);
            requireAssigned(local);
            return local;
        }
        if (Symbol *imported = findIn(localScopes().functionImports, name))
            return access == Access::Assign ? assignFromBlock(imported) : imported;
    }
    if (scopes().inClass)
        return resolveInClassBody(name);
    Symbol *global = findIn(symbolTable().globals, name);
    if (!global)
        return nullptr;
    if (access == Access::Assign)
        return assignFromBlock(global);
    if (scopes().inFunction && global->kind != KIND_VALUE_CONSTANT)
        return captureInCurrentBlock(global, global->assigned());
    requireAssigned(global);
    return global;
}

Symbol *resolve(const std::string &name, Access access) {
    if (insideBlock())
        return resolveInBlock(name, access);
    if (scopes().inFunction)
        return resolveInFunction(name, access);
    if (scopes().inClass)
        return resolveInClassBody(name);
    return resolveAtGlobalLevel(name, access);
}

}  // namespace

// ---------------------------------------------------------------------------
// Lookups

Symbol *lookupUse(const std::string &name) {
    if (scopes().assignmentTarget)
        return lookupAssign(name);
    Symbol *symbol = resolve(name, Access::Read);
    if (symbol) {
        indexSymbolUsed(symbol, name);
        return symbol;
    }
    if (scopes().inClass && !scopes().inFunction && !insideBlock()) {
        reportNamed(E_UNKNOWN_SCOPE, name);
        return nullptr;
    }
    notDeclared(name);
    return nullptr;
}

Symbol *lookupReceiver(const std::string &name, bool &unassigned) {
    receiverLookup().active = true;
    receiverLookup().unassigned = false;
    Symbol *found = lookupUse(name);
    unassigned = receiverLookup().unassigned;
    receiverLookup() = ReceiverLookup();
    return found;
}

Symbol *lookupAssign(const std::string &name, bool reportConstant) {
    Symbol *symbol = resolve(name, Access::Assign);
    if (!symbol) {
        notDeclared(name);
        return nullptr;
    }
    indexSymbolUsed(symbol, name);
    if (reportConstant && isConstantKind(symbol->kind))
        reportNamed(E_CONSTANT_ASSIGNED, name);
    return symbol;
}

// ---------------------------------------------------------------------------
// Declaring

namespace {

bool reportIfRedeclared(const std::vector<Symbol *> &scope, const std::string &name,
                        int scopeWord) {
    if (!containsNoCase(scope, name))
        return false;
    reportRedeclaration(name, scopeWord);
    return true;
}

bool redeclaredInBlock(const std::string &name) {
    for (int level = 0; level <= scopes().blockDepth; level++)
        if (reportIfRedeclared(localScopes().blockScopes[level], name, W_IN_BLOCK))
            return true;
    if (scopes().inFunction &&
        reportIfRedeclared(localScopes().functionLocals, name, W_IN_FUNCTION))
        return true;
    if (!scopes().inClass)
        return reportIfRedeclared(symbolTable().globals, name, W_AS_GLOBAL);
    return reportIfRedeclared(localScopes().classMembers.members, name, W_IN_CLASS);
}

bool redeclaredInFunction(const std::string &name) {
    if (reportIfRedeclared(localScopes().functionLocals, name, W_IN_FUNCTION))
        return true;
    if (scopes().inClass)
        return reportIfRedeclared(localScopes().classMembers.members, name, W_IN_CLASS);
    return reportIfRedeclared(symbolTable().globals, name, W_AS_GLOBAL);
}

bool reportIfDuplicate(const std::vector<Symbol *> &scope, const std::string &name) {
    if (!containsNoCase(scope, name))
        return false;
    reportDuplicateName(name);
    return true;
}

}  // namespace

Symbol *declare(const std::string &name, const DeclaredAs &declared, unsigned extraFlags) {
    Symbol model;
    model.name = name;
    model.emittedName = emittedNameFor(name);
    model.flags = extraFlags | (static_cast<unsigned>(declared.type) & SYMBOL_TYPE_MASK);
    if (declared.attribute)
        model.flags |= SYMBOL_ATTRIBUTE;
    if (declared.objectText)
        model.flags |= SYMBOL_OBJECT_TEXT;
    model.kind = declared.kind;
    model.classIndex = declared.classIndex;

    std::vector<Symbol *> *scope = nullptr;
    if (insideBlock()) {
        if (!redeclaredInBlock(name))
            scope = &localScopes().blockScopes[scopes().blockDepth];
    } else if (scopes().inFunction) {
        if (!redeclaredInFunction(name))
            scope = &localScopes().functionLocals;
    } else if (scopes().inClass) {
        if (!reportIfDuplicate(localScopes().classMembers.members, name))
            scope = &localScopes().classMembers.members;
    } else if (!reportIfDuplicate(symbolTable().globals, name)) {
        scope = &symbolTable().globals;
    }
    if (!scope)
        return nullptr;
    Symbol *symbol = newSymbol(model);
    scope->push_back(symbol);
    indexSymbolDeclared(symbol, scope == &localScopes().classMembers.members);
    return symbol;
}

Symbol *addClassMember(const Symbol &member) {
    std::vector<Symbol *> &members = localScopes().classMembers.members;
    if (findExact(members, member.name) >= 0)
        reportAlreadyDeclared(member.name);
    Symbol *symbol = newSymbol(member);
    members.push_back(symbol);
    return symbol;
}

// ---------------------------------------------------------------------------
// Blocks and functions

namespace {

void emptyBlockScopes(int depth) {
    localScopes().blockScopes[depth].clear();
    localScopes().blockCaptures[depth].clear();
    localScopes().blockScopeIndex[depth].clear();
    localScopes().blockCaptureIndex[depth].clear();
}

}  // namespace

void enterBlock() {
    scopes().inBlock = true;
    if (scopes().blockDepth + 1 >= BLOCK_DEPTH_CAPACITY) {
        // The scope of the deepest block is shared; reported once per excess run.
        if (scopes().blockOverflow++ == 0)
            reportStackOverflow("block scope");
        return;
    }
    scopes().blockDepth++;
    emptyBlockScopes(scopes().blockDepth);
}

void leaveBlock() {
    if (scopes().blockOverflow > 0) {
        scopes().blockOverflow--;
        return;
    }
    if (scopes().blockDepth < 0) {
        reportStackUnderflow("block scope");
        scopes().inBlock = false;
        return;
    }
    indexScopeEnds(localScopes().blockScopes[scopes().blockDepth]);
    emptyBlockScopes(scopes().blockDepth);
    scopes().blockDepth--;
    scopes().inBlock = scopes().blockDepth >= 0;
}

void hideNamesFrom(int depth, std::size_t kept) {
    if (depth < 0 || depth >= BLOCK_DEPTH_CAPACITY)
        return;
    std::vector<Symbol *> &scope = localScopes().blockScopes[depth];
    if (kept >= scope.size())
        return;
    std::vector<Symbol *> hidden(scope.begin() + static_cast<std::ptrdiff_t>(kept), scope.end());
    indexScopeEnds(hidden);
    scope.resize(kept);
    localScopes().blockScopeIndex[depth].clear();
}

void beginFunctionScope() {
    indexScopeEnds(localScopes().functionLocals);
    localScopes().functionLocals.clear();
    localScopes().functionImports.clear();
    localScopes().functionLocalsIndex.clear();
    localScopes().functionImportsIndex.clear();
}

bool checkClassNameCase(const std::string &name) {
    const std::string &className = localScopes().classMembers.className;
    if (name == className)
        return true;
    if (sameIgnoringCase(name, className))
        reportNamed(E_DIFFERENT_CASE, name + " and " + className);
    return false;
}
