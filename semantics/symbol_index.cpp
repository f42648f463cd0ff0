#include "semantics/symbol_index.hpp"

#include "diagnostics/diagnostics.hpp"
#include "semantics/source_semantics.hpp"
#include "semantics/symbols.hpp"

namespace {

constexpr std::size_t RECENT_NAMES = 64;
constexpr int SCANNER_TAB = 8;

const std::string &sourceText(const SymbolIndex &index) { return index.sourceTexts[index.currentSource]; }

// The byte column of the scanner's column on a line of the source.
int byteColumn(const SymbolIndex &index, int line, int scannerColumn) {
    const std::string &text = sourceText(index);
    if (line < 1 || static_cast<std::size_t>(line) > index.lineStarts.size())
        return scannerColumn;
    std::size_t start = index.lineStarts[line - 1];
    int column = 1;
    for (std::size_t i = start; i < text.size() && text[i] != '\n'; i++) {
        if (column >= scannerColumn)
            return static_cast<int>(i - start) + 1;
        column = text[i] == '\t' ? ((column - 1) / SCANNER_TAB + 1) * SCANNER_TAB + 1 : column + 1;
    }
    return scannerColumn;
}

// The latest name token of this text not yet taken; when every one is, the
// latest (a name resolved twice is one use).
IndexPlace takeName(SymbolIndex &index, const std::string &name) {
    std::vector<SymbolIndex::NameToken> &ring = index.recentNames;
    SymbolIndex::NameToken *taken = nullptr;
    for (std::size_t back = 1; back <= ring.size(); back++) {
        SymbolIndex::NameToken &token = ring[(index.nextName + ring.size() - back) % ring.size()];
        if (token.text != name)
            continue;
        if (!token.taken) {
            token.taken = true;
            return token.place;
        }
        if (!taken)
            taken = &token;
    }
    return taken ? taken->place : IndexPlace{index.currentSource, diagnostics.lineCounter, 0, 0};
}

int addDeclaration(SymbolIndex &index, IndexedDeclaration declaration, const std::string &name) {
    declaration.name = name;
    declaration.place = takeName(index, name);
    index.declarations.push_back(declaration);
    return static_cast<int>(index.declarations.size()) - 1;
}

// A use of a function or class whose declaration is not read yet: it is
// kept without one, and given it when the declaration comes.
void addUseAhead(SymbolIndex &index, const std::string &name, int record,
                 std::unordered_map<int, std::vector<std::size_t>> &waiting);

void addUse(SymbolIndex &index, const std::string &name, int declaration, int builtin) {
    IndexedUse use;
    use.place = takeName(index, name);
    use.declaration = declaration;
    use.builtin = builtin;
    // A declaration is not a use of itself.
    if (declaration >= 0) {
        const IndexPlace &own = index.declarations[declaration].place;
        if (own.source == use.place.source && own.line == use.place.line && own.column == use.place.column)
            return;
    }
    for (auto it = index.uses.rbegin(); it != index.uses.rend() && it - index.uses.rbegin() < 8; ++it)
        if (it->place.source == use.place.source && it->place.line == use.place.line &&
            it->place.column == use.place.column)
            return;
    index.uses.push_back(use);
}

void addUseAhead(SymbolIndex &index, const std::string &name, int record,
                 std::unordered_map<int, std::vector<std::size_t>> &waiting) {
    std::size_t before = index.uses.size();
    addUse(index, name, -1, -1);
    if (index.uses.size() > before)
        waiting[record].push_back(before);
}

void resolveUsesAhead(SymbolIndex &index, int record, int declaration,
                      std::unordered_map<int, std::vector<std::size_t>> &waiting) {
    auto found = waiting.find(record);
    if (found == waiting.end())
        return;
    for (std::size_t use : found->second)
        index.uses[use].declaration = declaration;
    waiting.erase(found);
}

}  // namespace

const char *declarationKindName(DeclarationKind kind) {
    switch (kind) {
    case DeclarationKind::variable: return "variable";
    case DeclarationKind::constant: return "constant";
    case DeclarationKind::parameter: return "parameter";
    case DeclarationKind::function: return "function";
    case DeclarationKind::classType: return "class";
    case DeclarationKind::attribute: return "attribute";
    case DeclarationKind::method: return "method";
    case DeclarationKind::enumItem: return "enum item";
    case DeclarationKind::define: return "define";
    }
    return "variable";
}

SymbolIndex *symbolIndex() { return sourceSemantics().run.index; }

void indexSourceBegins(const std::string &sourceName, const std::string &text) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    index->sources.push_back(sourceName);
    index->sourceTexts.push_back(text);
    index->currentSource = static_cast<int>(index->sources.size()) - 1;
    index->lineStarts.assign(1, 0);
    for (std::size_t i = 0; i < text.size(); i++)
        if (text[i] == '\n')
            index->lineStarts.push_back(i + 1);
    index->recentNames.clear();
    index->nextName = 0;
    index->openFunction = index->openClass = -1;
    index->nextKindSet = false;
}

void noteNameToken(const std::string &text, int line, int scannerColumn) {
    SymbolIndex *index = symbolIndex();
    if (!index || index->currentSource < 0)
        return;
    int column = byteColumn(*index, line, scannerColumn);
    SymbolIndex::NameToken token{text, {index->currentSource, line, column, column + static_cast<int>(text.size())}, false};
    if (index->recentNames.size() < RECENT_NAMES)
        index->recentNames.push_back(token);
    else
        index->recentNames[index->nextName] = token;
    index->nextName = (index->nextName + 1) % RECENT_NAMES;
}

void indexSymbolDeclared(const Symbol *symbol, bool inClassBody) {
    SymbolIndex *index = symbolIndex();
    if (!index || !symbol)
        return;
    IndexedDeclaration declaration;
    if (index->nextKindSet)
        declaration.kind = index->nextKind;
    else if (inClassBody)
        declaration.kind = DeclarationKind::attribute;
    else if (isConstantKind(symbol->kind))
        declaration.kind = DeclarationKind::constant;
    index->nextKindSet = false;
    declaration.type = symbol->type();
    declaration.classIndex = symbol->classIndex;
    declaration.container = inClassBody ? index->openClass : index->openFunction;
    index->symbolDeclarations[symbol] = addDeclaration(*index, declaration, symbol->name);
}

void indexSymbolAlias(const Symbol *copy, const Symbol *original) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    auto found = index->symbolDeclarations.find(original);
    if (found != index->symbolDeclarations.end())
        index->symbolDeclarations[copy] = found->second;
}

void indexNextDeclarationAs(DeclarationKind kind) {
    if (SymbolIndex *index = symbolIndex()) {
        index->nextKindSet = true;
        index->nextKind = kind;
    }
}

void indexFunctionDeclared(int functionRecord, int ownerClass) {
    SymbolIndex *index = symbolIndex();
    if (!index || index->functionDeclarations.count(functionRecord))
        return;
    const FunctionRecord &record = ::functionRecord(functionRecord);
    IndexedDeclaration declaration;
    declaration.kind = ownerClass >= 0 ? DeclarationKind::method : DeclarationKind::function;
    declaration.type = record.callType();
    declaration.classIndex = ownerClass >= 0 ? ownerClass : record.returnClass;
    declaration.function = functionRecord;
    declaration.container = ownerClass >= 0 ? index->openClass : -1;
    int at = addDeclaration(*index, declaration, record.name);
    index->functionDeclarations[functionRecord] = at;
    resolveUsesAhead(*index, functionRecord, at, index->functionUsesAhead);
    if (ownerClass < 0) {
        auto waiting = index->callsByNameAhead.find(record.name);
        if (waiting != index->callsByNameAhead.end()) {
            for (std::size_t use : waiting->second)
                index->uses[use].declaration = at;
            index->callsByNameAhead.erase(waiting);
        }
    }
    // Its parameters were declared just before it.
    for (int i = at - 1; i >= 0 && index->declarations[i].kind == DeclarationKind::parameter &&
                         index->declarations[i].container != at; i--)
        index->declarations[i].container = at;
    index->openFunction = at;
}

void indexClassDeclared(int classRecord) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    IndexedDeclaration declaration;
    declaration.kind = DeclarationKind::classType;
    declaration.classIndex = classRecord;
    int at = addDeclaration(*index, declaration, ::classRecord(classRecord).name);
    index->classDeclarations[classRecord] = at;
    resolveUsesAhead(*index, classRecord, at, index->classUsesAhead);
    index->openClass = at;
}

void indexDefineDeclared(const std::string &name, int likeFunction) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    IndexedDeclaration declaration;
    declaration.kind = DeclarationKind::define;
    declaration.like = likeFunction;
    addDeclaration(*index, declaration, name);
}

void indexClassEnds() {
    SymbolIndex *index = symbolIndex();
    if (!index || index->openClass < 0)
        return;
    index->declarations[index->openClass].scopeEndLine = diagnostics.lineCounter;
    index->openClass = -1;
}

void indexFunctionEnds(int lastLine) {
    SymbolIndex *index = symbolIndex();
    if (!index || index->openFunction < 0)
        return;
    index->declarations[index->openFunction].scopeEndLine = lastLine;
    index->openFunction = -1;
}

void indexScopeEnds(const std::vector<Symbol *> &scope) {
    indexScopeEnds(scope, diagnostics.lineCounter);
}

void indexScopeEnds(const std::vector<Symbol *> &scope, int lastLine) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    for (const Symbol *symbol : scope) {
        auto found = index->symbolDeclarations.find(symbol);
        if (found == index->symbolDeclarations.end())
            continue;
        IndexedDeclaration &declaration = index->declarations[found->second];
        if (declaration.scopeEndLine == 0 && declaration.place.source == index->currentSource)
            declaration.scopeEndLine = lastLine;
    }
}

void indexSymbolUsed(const Symbol *symbol, const std::string &name) {
    SymbolIndex *index = symbolIndex();
    if (!index || !symbol)
        return;
    auto found = index->symbolDeclarations.find(symbol);
    if (found != index->symbolDeclarations.end())
        addUse(*index, name, found->second, -1);
}

void indexFunctionUsed(int functionRecord, const std::string &name) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    auto found = index->functionDeclarations.find(functionRecord);
    if (found != index->functionDeclarations.end())
        addUse(*index, name, found->second, -1);
    else if (functionRecord >= 0)
        addUseAhead(*index, name, functionRecord, index->functionUsesAhead);
}

void indexForwardCall(const std::string &name) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    std::size_t before = index->uses.size();
    addUse(*index, name, -1, -1);
    if (index->uses.size() > before)
        index->callsByNameAhead[name].push_back(before);
}

void indexClassUsed(int classRecord, const std::string &name) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    auto found = index->classDeclarations.find(classRecord);
    if (found != index->classDeclarations.end())
        addUse(*index, name, found->second, -1);
    else if (classRecord >= 0)
        addUseAhead(*index, name, classRecord, index->classUsesAhead);
}

void indexDefineUsed(const std::string &name) {
    SymbolIndex *index = symbolIndex();
    if (!index)
        return;
    for (int at = static_cast<int>(index->declarations.size()) - 1; at >= 0; at--)
        if (index->declarations[at].kind == DeclarationKind::define && index->declarations[at].name == name) {
            addUse(*index, name, at, -1);
            return;
        }
}

void indexBuiltinUsed(int row, const std::string &name) {
    if (SymbolIndex *index = symbolIndex())
        addUse(*index, name, -1, row);
}
