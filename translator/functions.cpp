#include "translator/functions.hpp"
#include "translator/borrowed_parameters.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"
#include "translator/source_inits.hpp"

#include <cctype>
#include <unordered_set>

#include "semantics/builtins.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/spellings.hpp"
#include "semantics/symbols.hpp"
#include "translator/translator.hpp"
#include "translator/classes.hpp"
#include "translator/line_code.hpp"

namespace {

// Where the head stands and what it says, for the messages about a call's
// arguments: the line of the function's name (a head may go on over lines).
void noteHeadPlace(FunctionRecord &record) {
    record.file = diagnostics.sourceName;
    record.line = diagnostics.lineCounter;
    const TokenPositions *positions = translation().positions;
    if (!positions)
        return;
    for (int line = record.line; line >= 1 && line > record.line - 8; line--) {
        std::string text = positions->line(line);
        text = text.substr(0, walkLineCode(text, [](std::string::size_type, char) { return true; }));
        std::string::size_type at = text.find(record.name);
        if (at == std::string::npos || text.find('(', at) == std::string::npos)
            continue;
        std::string::size_type first = text.find_first_not_of(" \t");
        std::string::size_type last = text.find_last_not_of(" \t\r");
        record.line = line;
        record.head = text.substr(first, last - first + 1);
        return;
    }
}

FunctionState &functionState() { return translation().functionState; }
SourceFunctions &sourceFunctions() { return translation().sourceFunctions; }

std::string identifierFrom(const std::string &text) {
    std::string name;
    for (char c : text)
        name += (std::isalnum(static_cast<unsigned char>(c)) || c == '_') ? c : '_';
    return name;
}

// The value a function of this type gives for nil or a missing value.
std::string defaultValueOf(int type) {
    // A var gives nil itself, which the caller can tell from 0.
    if (type == T_VAR)
        return "dyn()";
    std::string initializer = defaultInitializer(type);
    std::string::size_type start = initializer.find('=');
    if (start == std::string::npos)
        return "0";
    initializer = initializer.substr(start + 1);
    while (!initializer.empty() && initializer[0] == ' ')
        initializer.erase(0, 1);
    return initializer.empty() ? "0" : initializer;
}

// A function that gives an object gives it as a pointer to its class, and
// its null as the null pointer; a typed array of a class gives an empty one.
std::string defaultReturnOf(int type, int classIndex) {
    if (type == T_OBJECT && classIndex >= 0)
        return "NULL";
    if (type == T_OBJECTARRAY)
        return "_arr32()";
    return defaultValueOf(type);
}

std::string returnedValue(int type, int classIndex, const ExprValue &value) {
    if (value.type == T_NIL || ((type == T_OBJECT || type == T_OBJECTARRAY) && value.text == "NULL"))
        return defaultReturnOf(type, classIndex);
    // A dynamic value (a var, an element of an array or a dict) gives the
    // object it holds, as it does to a declaration or a parameter.
    if (type == T_OBJECT && value.type == T_VAR && classIndex >= 0)
        return objectHeldBy(value, classIndex).text;
    if (type == T_OBJECT)
        return convertValue(type, downcastTo(classIndex, value));
    return convertValue(type, value);
}

void checkReturnedType(int declared, int classIndex, const ExprValue &value) {
    if (value.type == T_UNKNOWN || value.type == T_NIL || declared == T_UNKNOWN)
        return;
    if (declared == T_OBJECT && classIndex >= 0 && refusedUnrelatedObject(classIndex, value))
        return;
    if (resultOf(declared, value.type) == 0 || (value.type == T_OBJECT && value.classIndex >= 0 && value.text != "NULL" && isObjectless(declared)))
        reportCall(E_BAD_RETURN_TYPE_IN, functionState().record.name, declared, value.type);
}

// What a function gives back when its return names no value.
std::string defaultResults() {
    const FunctionRecord &record = functionState().record;
    if (record.returnTypes.size() == 1)
        return defaultReturnOf(record.returnTypes[0], record.returnClasses[0]);
    return functionState().returnSpelling + "()";
}

// "return g(x)" in a function of several results: g gives results of
// the same types, which are handed on as they are.
bool givesSameResults(const ExprValue &value) {
    if (value.type != T_TUPLE || value.resultsOf < 0)
        return false;
    const FunctionRecord &given = functionRecord(value.resultsOf);
    const FunctionRecord &record = functionState().record;
    return given.returnTypes == record.returnTypes && given.returnClasses == record.returnClasses;
}

}  // namespace

std::string programMainName() {
    return "_main_" + identifierFrom(translatedSource().fileName);
}

void noteMainCalled() {
    sourceFunctions().mainCalled = true;
}

bool isMainName(const std::string &name) {
    return name.size() == 4 && std::tolower(static_cast<unsigned char>(name[0])) == 'm' &&
           std::tolower(static_cast<unsigned char>(name[1])) == 'a' &&
           std::tolower(static_cast<unsigned char>(name[2])) == 'i' &&
           std::tolower(static_cast<unsigned char>(name[3])) == 'n';
}

bool definingFunction() { return functionState().defining; }

bool definingStaticMethod() {
    return scopes().inClass && functionState().defining && functionState().record.isStatic;
}

void noteObjectsMayBeReleased() { functionState().mayReleaseObjects = true; }

bool holdsNoObjects(int type) {
    switch (type) {
    case T_BYTE: case T_BOOLEAN: case T_NUMBER: case T_INTEGER: case T_LONG: case T_REAL: case T_NATURAL:
    case T_SMALLREAL: case T_TEXT: case T_CHAR: case T_CHARPTR: case T_INTARRAY: case T_NATURALARRAY:
    case T_REALARRAY: case T_NUMBERARRAY:
        return true;
    default:
        return false;
    }
}

bool isFunctionBeingDefined(int function) {
    const FunctionState &state = functionState();
    return state.defining && function == state.recordIndex;
}

bool callMayReleaseReceiver(int function) {
    const FunctionState &state = functionState();
    if (state.defining && function == state.recordIndex)
        return true;
    return functionRecord(function).mayReleaseObjects;
}

void beginFunctionDefinition(bool external) {
    functionState() = FunctionState();
    functionState().external = external;
    functionState().record.external = external;
    beginDeclaration();
    scopes().inFunction = true;
    beginFunctionScope();
}

namespace {

// The C++ type of a function's results: its one result's type, or for
// several one value of each declared type.
void spellResults(const std::string &spelling) {
    FunctionState &state = functionState();
    std::string trimmed = spelling;
    while (!trimmed.empty() && trimmed.back() == ' ')
        trimmed.pop_back();
    state.resultSpellings.push_back(trimmed);
    if (state.resultSpellings.size() == 1) {
        state.returnSpelling = spelling;
        return;
    }
    std::string joined;
    for (const std::string &one : state.resultSpellings)
        joined += (joined.empty() ? "" : ",") + one;
    state.returnSpelling = "vel_results<" + joined + "> ";
}

// The first result type brings the modifiers written before it.
void takeModifiersAtFirstResult() {
    FunctionState &state = functionState();
    if (!state.resultSpellings.empty())
        return;
    state.modifiers = currentModifiers();
    state.record.isStatic = currentIsStatic();
}

}  // namespace

void addReturnType() {
    int type = currentDeclaredType();
    takeModifiersAtFirstResult();
    spellResults(currentCppType());
    // A function "void f()" gives nothing back.
    if (type != T_VOID || !functionState().record.returnTypes.empty()) {
        functionState().record.returnTypes.push_back(type);
        functionState().record.returnClasses.push_back(-1);
    }
}

// A result that is an object of a class, or a typed array of them.
void addClassReturnType(const std::string &className, bool arrayOfClass) {
    FunctionState &state = functionState();
    takeModifiersAtFirstResult();
    spellResults(arrayOfClass ? "_arr32 " : objectSpelling(className));
    int classIndex = findClass(className);
    state.record.returnTypes.push_back(arrayOfClass ? T_OBJECTARRAY : T_OBJECT);
    state.record.returnClasses.push_back(classIndex);
    if (state.record.returnTypes.size() == 1)
        state.record.returnClass = classIndex;
    if (classIndex < 0)
        reportNamed(E_CLASS_NOT_DEFINED, className);
    else
        indexClassUsed(classIndex, className);
}

namespace {

// A method: the constructor has the class's name and no return type.
// A method of this name in the class being defined itself (a base's
// method of the name is overridden, not repeated).
bool classDefinesMethod(const std::string &name) {
    int owner = currentClassIndex();
    return owner >= 0 && findOwnMethod(owner, name) >= 0 && !methodAwaitsDefinition(owner, name);
}

}  // namespace

void setMethodName(const std::string &name) {
    FunctionRecord &record = functionState().record;
    record.ownerClass = currentClassIndex();
    record.emittedName = record.external ? name : emittedNameFor(name);
    if (record.ownerClass < 0 || !checkClassNameCase(name))
        return;
    record.isConstructor = true;
    record.emittedName = typeNameSpelling(name);
    // The return statements are still checked against the declared type.
    if (!record.returnTypes.empty())
        reportError(E_CONSTRUCTOR_VOID);
}

void setFunctionName(const std::string &name) {
    FunctionRecord &record = functionState().record;
    record.name = name;
    record.source = translatedSource().baseName;
    if (scopes().inClass) {
        bool otherClass = findClass(name) >= 0 && findClass(name) != currentClassIndex();
        // An attribute of a base is a member of this class too: C++ would
        // refuse a method of its name.
        if (findExact(localScopes().classMembers.members, name) >= 0 || classDefinesMethod(name) || otherClass ||
            findClassAttribute(currentClassIndex(), name) != nullptr)
            reportDuplicateName(name);
        setMethodName(name);
        return;
    }
    int builtin = -1;
    int known = findProgramFunctionNoCase(name);
    std::string lower = name;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool again = !sourceFunctions().names.insert(lower).second;
    if (findFunction(name, builtin))
        reportRedeclaration(name, W_IN_BUILTINS);
    else if (again || (known >= 0 && functionRecord(known).source != record.source))
        reportDuplicateName(name);
    else if (findNoCase(symbolTable().globals, name) >= 0 || findClass(name) >= 0 || isDefinedTypeName(name))
        reportDuplicateName(name);
    if (isMainName(name) && !scopes().inClass) {
        // Every source's main has a name of its own; the C++ main is
        // written by the frame.
        record.mode = 1;
        record.emittedName = programMainName();
    } else {
        // What an extern block declares is called by its own name.
        record.emittedName = record.external ? name : emittedNameFor(name);
    }
}

void beginParameter() {
    functionState().parameter = ParameterRecord();
    functionState().parameterSpelling.clear();
    functionState().defaultText.clear();
}

void parameterConst() {
    functionState().parameter.constant = true;
    functionState().parameterSpelling = "const " + functionState().parameterSpelling;
}

void parameterAlias() { functionState().parameter.byReference = true; }

void parameterTypeFromDeclaration() {
    functionState().parameter.type = currentDeclaredType();
    functionState().parameterSpelling += currentCppType();
}

// The access words mean nothing in a class whose members are all public.
std::string withoutAccess(const std::string &modifiers) {
    std::string text = modifiers;
    for (const char *word : {"private ", "protected "}) {
        std::string::size_type at;
        while ((at = text.find(word)) != std::string::npos)
            text.erase(at, std::string(word).size());
    }
    return text;
}

// A type named by the program: a function type made by define, a type made
// by define, or a class.
void parameterNamedType(const std::string &name) {
    ParameterRecord &parameter = functionState().parameter;
    int signature = definedFunctionType(name);
    if (signature >= 0) {
        parameter.type = T_FUNCTION;
        parameter.signature = signature;
        parameter.functionTypeName = name;
        functionState().parameterSpelling += typeNameSpelling(name) + " ";
        indexDefineUsed(name);
        return;
    }
    bool byValue = false;
    parameter.type = T_OBJECT;
    parameter.className = name;
    if (isDefinedType(name, byValue)) {
        functionState().parameterSpelling += typeNameSpelling(name) + (byValue ? " " : " *");
        indexDefineUsed(name);
        return;
    }
    functionState().parameterSpelling += objectSpelling(name);
    if (findClass(name) < 0)
        reportNamed(E_CLASS_NOT_DEFINED, name);
    else
        indexClassUsed(findClass(name), name);
}

void parameterArrayOfClass(const std::string &name) {
    ParameterRecord &parameter = functionState().parameter;
    const std::string pointer = objectSpelling(name);
    std::string &spelling = functionState().parameterSpelling;
    if (parameter.type != T_OBJECT || spelling.size() < pointer.size() ||
        spelling.compare(spelling.size() - pointer.size(), pointer.size(), pointer) != 0) {
        reportNamed(E_CANNOT_BE_USED, name + "[]");
        return;
    }
    parameter.type = T_OBJECTARRAY;
    spelling.replace(spelling.size() - pointer.size(), pointer.size(), "_arr32 ");
}

const ParameterRecord *functionParameterNamed(const std::string &name) {
    if (!functionState().defining)
        return nullptr;
    for (const ParameterRecord &parameter : functionState().record.parameters)
        if (parameter.name == name)
            return &parameter;
    if (functionState().parameter.name == name)
        return &functionState().parameter;
    return nullptr;
}

void parameterString() {
    functionState().parameter.type = T_CHARPTR;
    functionState().parameterSpelling += "const char *";
}

void parameterPointer() {
    ParameterRecord &parameter = functionState().parameter;
    if (parameter.type == T_BYTE) {
        parameter.type = T_BYTEPTR;
        functionState().parameterSpelling = (parameter.constant ? "const " : "") + std::string("unsigned char *");
    } else if (parameter.type == T_CHAR) {
        parameter.type = T_CHARPTR;
        functionState().parameterSpelling = (parameter.constant ? "const " : "") + std::string("char *");
    } else {
        functionState().parameterSpelling += "*";
    }
}

void parameterName(const std::string &name) {
    ParameterRecord &parameter = functionState().parameter;
    parameter.name = name;
    parameter.functionType = parameter.type == T_FUNCTION;
    // Parameters are known in the body and have their values from the call;
    // a const one may not be assigned there.
    int &storageKind = translation().declarations.storageKind;
    int storage = storageKind;
    storageKind = parameter.constant ? KIND_CONSTANT : 1;
    indexNextDeclarationAs(DeclarationKind::parameter);
    declareName(name, parameter.type, true, parameter.className.empty() ? -3 : findClass(parameter.className));
    storageKind = storage;
}

void parameterUnnamed() {
    parameterName("v" + std::to_string(++functionState().unnamedParameters));
}

namespace {

// The parameter a default value names, or empty: C++ takes no parameter
// in a default, which the caller evaluates. Texts in quotes are skipped.
std::string parameterNamedIn(const std::string &text) {
    const FunctionState &state = functionState();
    for (std::size_t at = 0; at < text.size();) {
        char c = text[at];
        if (c == '"' || c == '\'') {
            for (at++; at < text.size() && text[at] != c; at++)
                if (text[at] == '\\')
                    at++;
            at++;
            continue;
        }
        if (!std::isalpha(static_cast<unsigned char>(c)) && c != '_') {
            at++;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
            end++;
        bool member = at > 0 && (text[at - 1] == '.' || text[at - 1] == '>' || text[at - 1] == ':');
        std::string word = text.substr(at, end - at);
        if (!member)
            for (const ParameterRecord &parameter : state.record.parameters)
                if (emittedNameFor(parameter.name) == word)
                    return parameter.name;
        if (!member && !state.parameter.name.empty() && emittedNameFor(state.parameter.name) == word)
            return state.parameter.name;
        at = end;
    }
    return "";
}

}  // namespace

void parameterDefault(const ExprValue &value) {
    functionState().parameter.hasDefault = true;
    std::string named = parameterNamedIn(value.text);
    if (!named.empty())
        reportNamed(E_CANNOT_BE_USED, named);
    if (value.type != T_UNKNOWN && value.type != T_NIL)
        checkAssign(functionState().parameter.type, value.type);
    const ParameterRecord &parameter = functionState().parameter;
    bool null = value.type == T_NIL || value.text == "NULL";
    // An object of a class is a pointer: its null is the null pointer.
    if (null && parameter.type == T_OBJECT && !parameter.className.empty())
        functionState().defaultText = "=NULL";
    else if (null && parameter.type == T_OBJECTARRAY)
        functionState().defaultText = "=_arr32()";
    else
        functionState().defaultText =
            "=" + (value.type == T_NIL ? defaultValueOf(parameter.type) : convertValue(parameter.type, value));
}

void endParameter() {
    FunctionState &state = functionState();
    ParameterRecord &parameter = state.parameter;
    std::string emitted = emittedNameFor(parameter.name);
    std::string text;
    if (state.record.mode == 1 && parameter.type == T_ARRAY && state.record.parameters.empty()) {
        // main's arguments come as a C argument vector and are turned
        // into an array at the top of the body.
        state.record.mode = 4;
        state.argumentVector = emitted;
        text = "char *_A_" + emitted + "[]";
    } else {
        text = state.parameterSpelling;
        if (parameter.byReference)
            text += "&";
        if (!text.empty() && text.back() != ' ' && text.back() != '*' && text.back() != '&')
            text += " ";
        text += emitted;
    }
    if (!state.record.parameters.empty()) {
        state.parameters += ", ";
        state.prototypeParameters += ", ";
    }
    state.parameters += text;
    state.prototypeParameters += text + state.defaultText;
    state.parameterTexts.push_back(text);
    state.parameterDefaults.push_back(state.defaultText);
    if (!state.defaultText.empty())
        parameter.defaultValue = state.defaultText.substr(1);
    state.record.parameters.push_back(parameter);
}

// A method's head inside its class, with its default values: the class body
// is its only declaration. A constructor is the bare class name.
std::string methodHead() {
    const FunctionState &state = functionState();
    if (state.record.isConstructor)
        return state.record.emittedName + "(" + state.prototypeParameters + ")";
    std::string returned = state.returnSpelling.empty() ? "void " : state.returnSpelling;
    return withoutAccess(state.modifiers) + returned + state.record.emittedName + "(" + state.prototypeParameters + ")";
}

// `known`: a call before the definition registered the method already.
void writeMethodHead(int index, bool known) {
    FunctionState &state = functionState();
    if (!known)
        addClassMethod(state.record.ownerClass, index);
    state.defining = true;
    state.savedOutput = output().currentOutput;
    state.savedIndent = output().indentLevel;
    state.savedBlankLines = output().blankLines;
    newlineOnce();
    noteHeadWritten(methodHead());
    emitIndented(methodHead() + "\n");
    emitIndented("{\n");
    output().indentLevel++;
    output().blankLines = 1;
    if (state.record.isConstructor) {
        classRecord(state.record.ownerClass).constructor = index;
        noteConstructor();
        writeAttributeInitializers();
    }
}

// A method of an imported class: a body that gives the default value, so
// that the class is complete C++ (an extern class writes nothing).
void writeMethodStub() {
    FunctionState &state = functionState();
    if (!declaringImportedClass())
        return;
    const std::vector<int> &types = state.record.returnTypes;
    std::string body = types.empty() ? "{}" : "{ return " + defaultResults() + "; }";
    if (state.record.isConstructor) {
        // The constructor still gives the attributes their initial values.
        body = "{";
        for (const AttributeInitializer &initializer : classRecord(state.record.ownerClass).attributeInitializers)
            body += " " + initializer.statement;
        body += " }";
    }
    newlineOnce();
    emitIndented(methodHead() + " " + body + "\n");
}

void endFunctionHead() {
    FunctionState &state = functionState();
    state.record.resultSpelling = state.returnSpelling.empty() ? "void" : state.returnSpelling;
    noteHeadPlace(state.record);
    int early = -1;
    if (state.record.ownerClass >= 0 && !state.external)
        early = methodRegisteredAhead(state.record.ownerClass, state.record.name);
    int index = early;
    if (early >= 0)
        functionRecord(early) = state.record;
    else
        index = registerFunction(state.record);
    indexFunctionDeclared(index, state.record.ownerClass);
    state.recordIndex = index;
    state.headLine = diagnostics.lineCounter;
    if (state.record.ownerClass >= 0 && !state.external) {
        writeMethodHead(index, early >= 0);
        return;
    }
    if (state.record.ownerClass >= 0) {
        declareExternalMethod(index);
        writeMethodStub();
    }
    if (state.record.mode != 0 && translatedSource().isMain && !translatedSource().declarationsOnly)
        sourceFunctions().mainRecord = index;
    if (state.external) {
        state.defining = false;
        return;
    }
    // A static function stays in its file; its prototype there is enough.
    // The pieces of a split main would see the prototype alone.
    if (state.modifiers.find("static ") != std::string::npos)
        keepMainInOneFile();
    std::string returned = state.returnSpelling.empty() ? "void " : state.returnSpelling;
    std::string head = state.modifiers + returned + state.record.emittedName + "(";
    notePrototypeWritten(head + state.prototypeParameters + ");");
    writeHeaderLine(head + state.prototypeParameters + ");");
    sourceFunctions().headerPrototypes[index] = {head + state.prototypeParameters + ");", head + state.parameters + ");"};
    state.defining = true;
    state.savedOutput = output().currentOutput;
    state.savedIndent = output().indentLevel;
    state.savedBlankLines = output().blankLines;
    output().currentOutput = output().functionsFile;
    output().indentLevel = 0;
    emit("\n");
    startFunctionMapping();
    mapSourceLine();
    noteHeadWritten(head + state.parameters + ")");
    emit(head + state.parameters + ")\n{\n");
    output().indentLevel = 1;
    output().blankLines = 1;
    if (!state.argumentVector.empty())
        emitIndented("velarray " + state.argumentVector + "(_A_" + state.argumentVector + ");\n");
}

namespace {

// The C++ symbol a trap names the function by: "f", "Cell::part".
std::string symbolOf(const FunctionRecord &record) {
    if (record.ownerClass < 0)
        return record.emittedName;
    return classRecord(record.ownerClass).emittedName + "::" + record.emittedName;
}

}  // namespace

void noteProgramCall(int function) {
    FunctionState &state = functionState();
    if (!state.defining)
        return;
    if (function == state.recordIndex) {
        if (state.recursionLine == 0)
            state.recursionLine = diagnostics.lineCounter;
        return;
    }
    std::string callee = symbolOf(functionRecord(function));
    if (state.calleesSeen.insert(callee).second)
        state.callees.push_back(callee);
}

void noteClosingReturn() {
    functionState().returnLine = diagnostics.lineCounter;
}

void closeFunctionDefinition() {
    FunctionState &state = functionState();
    // The line end after the closing return is read by now: the function,
    // and its parameters and locals, end on the return's line.
    int lastLine = state.returnLine > 0 ? state.returnLine : diagnostics.lineCounter;
    indexFunctionEnds(lastLine);
    indexScopeEnds(localScopes().functionLocals, lastLine);
    if (state.defining && state.recordIndex >= 0) {
        std::string callees;
        for (const std::string &callee : state.callees)
            callees += (callees.empty() ? "" : " ") + callee;
        sourceFunctions().places.push_back({symbolOf(state.record), state.headLine, state.recursionLine, callees});
        functionRecord(state.recordIndex).mayReleaseObjects = state.mayReleaseObjects;
        if (!state.mayReleaseObjects)
            borrowObjectParameters();
    }
    if (state.defining && state.record.ownerClass >= 0) {
        output().indentLevel = state.savedIndent;
        emitIndented("}\n");
        output().blankLines = 0;
    } else if (state.defining) {
        output().indentLevel = 0;
        emit("}\n");
        noteFunctionEnd();
        output().currentOutput = state.savedOutput;
        output().indentLevel = state.savedIndent;
        output().blankLines = state.savedBlankLines;
    }
    state.defining = false;
    scopes().inFunction = false;
    beginFunctionScope();
    output().blankLines = 0;
}

void writeReturn(const std::vector<ExprValue> &values) {
    writeIndent();
    if (!scopes().inFunction || !functionState().defining) {
        std::string text = "return";
        for (size_t i = 0; i < values.size(); i++)
            text += (i == 0 ? " " : ", ") + values[i].text;
        emit(text);
        reportError(E_RETURN_MISPLACED);
        return;
    }
    const std::vector<int> &types = functionState().record.returnTypes;
    const std::vector<int> &classes = functionState().record.returnClasses;
    if (values.empty()) {
        emit(types.empty() ? "return" : "return " + defaultResults());
        return;
    }
    if (values.size() == 1 && givesSameResults(values[0])) {
        emit("return " + values[0].results);
        return;
    }
    if (types.size() != values.size() && !(types.empty() && values.size() == 1)) {
        reportReturnCount(functionState().record.name, static_cast<int>(types.size()), static_cast<int>(values.size()));
        emit(types.empty() ? "return" : "return " + defaultResults());
        return;
    }
    if (types.empty()) {
        // A void function gives no value back.
        reportReturnCount(functionState().record.name, 0, 1);
        emit("return");
        return;
    }
    if (types.size() == 1) {
        checkReturnedType(types[0], classes[0], values[0]);
        emit("return " + returnedValue(types[0], classes[0], values[0]));
        return;
    }
    // Braces: the values are computed in the order written.
    std::string spelling = functionState().returnSpelling;
    spelling.pop_back();  // the blank that separates it from a name
    std::string text = "return " + spelling + "{";
    for (size_t i = 0; i < values.size(); i++) {
        checkReturnedType(types[i], classes[i], values[i]);
        text += (i == 0 ? "" : ",") + returnedValue(types[i], classes[i], values[i]);
    }
    emit(text + "}");
}

void declareExternVariable(const std::string &name) {
    declareName(name, currentDeclaredType(), true);
}

// A string the program keeps although nothing reads it: a trap or a native
// stack fault finds it in the module or the executable, after its marker,
// and names the Velmora line of the function it happened in. Each entry is
// the symbol, the source, the head's line, the line of the first call to
// itself (0 if none; the source empty and the lines 0 without line
// directives) and the symbols of the program's other functions it
// calls, separated by tabs. The calls let a stack that ran out in a cycle
// of functions be told by one name of the cycle whichever of them the
// compiler inlined into the others; the cycle is found only after the
// fault, across the tables of every source, so that a source rebuilt alone
// leaves the others' tables true.
std::string functionPlacesTable(const std::string &quotedSource) {
    if (sourceFunctions().places.empty())
        return "";
    // Of external linkage: the WebAssembly linker drops a file's own data
    // that nothing reads, even when it is marked used. Named after the
    // source with its directory, so that lib/util.vel and util.vel differ.
    std::string name = "_vel_function_places_" + identifierFrom(translatedSource().baseName);
    std::string table = "\n// Where each function starts and recurses and what it calls, for the message of a fault.\n"
                        "extern const char " + name + "[];\n"
                        "__attribute__((used)) const char " + name + "[] = \"\\x7fvelmora functions\\x01\"";
    bool placed = !quotedSource.empty();
    for (const FunctionPlace &place : sourceFunctions().places)
        table += "\n    \"" + place.symbol + "\\t\" " + (placed ? quotedSource : "\"\"") + " \"\\t" +
                 std::to_string(placed ? place.headLine : 0) + "\\t" + std::to_string(placed ? place.recursionLine : 0) +
                 "\\t" + place.callees + "\\n\"";
    return table + ";\n";
}
