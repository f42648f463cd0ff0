#include "translator/translator.hpp"
#include "translator/known_integers.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"
#include "semantics/spellings.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/symbols.hpp"
#include "semantics/functions.hpp"
#include "semantics/classes.hpp"
#include "translator/classes.hpp"
#include "translator/names.hpp"
#include "translator/source_inits.hpp"

namespace {

DeclarationState &declarations() { return translation().declarations; }
std::vector<DefinedType> &definedTypes() { return translation().run.definedTypes; }

std::string withoutConst(std::string prefix) {
    std::string::size_type at = prefix.find("const ");
    if (at != std::string::npos)
        prefix.erase(at, 6);
    return prefix;
}

}  // namespace

void writeHeaderLine(const std::string &line) {
    OutputText *saved = output().currentOutput;
    output().currentOutput = output().headerFile;
    emit(line + "\n");
    output().currentOutput = saved;
}

Symbol *declareName(const std::string &name, int type, bool assigned, int classIndex) {
    DeclaredAs declared;
    declared.type = type;
    declared.kind = declarations().storageKind;
    declared.classIndex = classIndex == CLASS_OF_DECLARATION ? declarations().classIndex : classIndex;
    // A name that is a class's stands for the class wherever it is used; at
    // file level a function's or a defined type's name is taken too.
    if (findClass(name) >= 0 ||
        (scopes().atFileLevel() && (findProgramFunctionNoCase(name) >= 0 || isDefinedTypeName(name))))
        reportDuplicateName(name);
    return declare(name, declared, assigned ? SYMBOL_ASSIGNED : 0);
}

namespace {

// The file-level variables of a main source that no other source includes
// are seen by its own translation unit only. Giving them internal linkage
// tells the C++ compiler so: it may then keep one in a register across
// stores through pointers, such as array element writes in a loop, which it
// must otherwise assume could change it.
// A main split into pieces shares its variables with the pieces' units.
std::string ownFileLevel(const std::string &declaration) {
    if (declarations().staticFlag != 0)
        keepMainInOneFile();
    if (translatedSource().role != SourceRole::program || declarations().staticFlag != 0 || output().splitMain)
        return declaration;
    return "namespace { " + declaration + " }";
}

// The header's declaration of a file-level variable; a static variable
// belongs to its own file, and the header declares nothing for it.
void writeExternLine(const std::string &declaration) {
    if (declarations().staticFlag == 0)
        writeHeaderLine(ownFileLevel("extern " + declaration + ";"));
}

// A file-level variable met after main has opened stays a file-level
// variable, defined after main with its default value, and receives its
// value at that point of main. The definition cannot be const, since main
// assigns it; the symbol table keeps it constant for the program. A static
// variable has no extern line in the header, so its definition goes there,
// ahead of main.
void placeLateDefinition(const std::string &initializer, const std::string &name) {
    std::string definition = withoutConst(declarations().modifierPrefix) + declarations().cppType + name + initializer + ";";
    if (declarations().staticFlag != 0) {
        // Every unit including the header would have a copy of its own.
        keepMainInOneFile();
        writeHeaderLine(definition);
    }
    else
        addLateGlobal(ownFileLevel(definition));
}

void declareEnumItem(const std::string &name, const std::string &valueText, int type) {
    DeclaredAs declared;
    declared.type = type;
    declared.kind = KIND_LITERAL_CONSTANT;
    indexNextDeclarationAs(DeclarationKind::enumItem);
    Symbol *symbol = declare(name, declared, SYMBOL_ASSIGNED);
    if (symbol)
        symbol->emittedName = valueText;
}

}  // namespace

bool isDefinedType(const std::string &name, bool &byValue) {
    for (const DefinedType &defined : definedTypes())
        if (defined.name == name) {
            byValue = defined.byValue;
            return true;
        }
    return false;
}

bool isDefinedTypeName(const std::string &name) {
    for (const DefinedType &defined : definedTypes())
        if (defined.name.size() == name.size() &&
            std::equal(name.begin(), name.end(), defined.name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return true;
    return false;
}

namespace {

// A name that define, a class, a function or a file-level variable has
// taken already: C++ knows all of them in one scope.
bool namesFileLevelEntity(const std::string &name) {
    return isDefinedTypeName(name) || findClass(name) >= 0 || findProgramFunctionNoCase(name) >= 0 ||
           findNoCase(symbolTable().globals, name) >= 0;
}

}  // namespace

void beginDeclaration() {
    declarations().modifierPrefix.clear();
    declarations().staticFlag = 0;
    declarations().storageKind = 1;
    declarations().arrayPrefix.clear();
    declarations().classIndex = -3;
}

void addModifier(const std::string &text) {
    declarations().modifierPrefix += text;
}

// private and protected are access rights of class members; elsewhere
// they mean nothing and C++ has no such words outside a class.
void addAccessModifier(const std::string &text) {
    if (scopes().inClass && !scopes().inFunction && !scopes().inBlock)
        declarations().modifierPrefix += text;
}

void addStaticModifier() {
    if (!output().inImport || output().importSeen)
        declarations().modifierPrefix += "static ";
    declarations().staticFlag = 128;
}

void addConstModifier() {
    declarations().modifierPrefix += "const ";
    declarations().storageKind = KIND_CONSTANT;
}

void setDeclaredType(int type, const std::string &cppSpelling) {
    declarations().declaredType = type;
    declarations().cppType = cppSpelling;
    declarations().classIndex = -3;
}

namespace {

// A type as the program writes it, for the message on a [] it cannot take.
std::string writtenType(int type) {
    switch (type) {
    case T_BOOLEAN: return "bool";
    case T_BYTE: return "byte";
    case T_INTEGER: return "int";
    case T_REAL: return "real";
    case T_NUMBER: return "number";
    case T_NATURAL: return "natural";
    case T_TEXT: return "text";
    case T_FILE: return "file";
    case T_VAR: return "var";
    case T_CHAR: return "char";
    case T_CHARPTR: return "cstring";
    case T_ARRAY: return "array";
    case T_DICT: return "dict";
    case T_FUNCTION: return "function";
    case T_OBJECT: return "object";
    case T_VOID: return "void";
    default: return isTypedArray(type) ? writtenType(elementType(type)) + "[]" : typeName(type);
    }
}

const char *const typedArrays = "int[], real[], number[], natural[], text[], file[] or an array of a class";

}  // namespace

void applyArraySuffix() {
    int declared = declarations().declaredType;
    int arrayType = arrayOfElement(declared);
    // A [] that names no typed array (bool[], var[], int[][]) would leave
    // the type as it was and the values given to it lost: lists of
    // anything, and lists of lists, are arrays.
    if (!isTypedArray(arrayType) || isTypedArray(declared)) {
        reportRequiredFound(typedArrays, writtenType(declared) + "[]");
        // Taken as the array it can be, so that its uses say nothing more.
        declarations().declaredType = T_ARRAY;
        declarations().arrayPrefix = declarations().cppType = "velarray ";
        return;
    }
    declarations().declaredType = arrayType;
    if (arrayType == T_INTARRAY)
        declarations().arrayPrefix = "_intArr ";
    else
        declarations().arrayPrefix = cppTypeSpelling(arrayType);
    declarations().cppType = declarations().arrayPrefix;
}

int currentDeclaredType() {
    return declarations().declaredType;
}

const std::string &currentCppType() { return declarations().cppType; }
const std::string &currentModifiers() { return declarations().modifierPrefix; }
bool currentIsStatic() { return declarations().staticFlag != 0; }

namespace {

// "int()" inside a declaration names a type without declaring one: the
// declaration's own type is kept around it.
DeclaredTypeSnapshot &typeValueSnapshot() { return translation().typeValueSnapshot; }

}  // namespace

void beginTypeValue() {
    typeValueSnapshot() = {declarations().declaredType, declarations().cppType, declarations().classIndex,
                         declarations().arrayPrefix};
}

void endTypeValue() {
    declarations().declaredType = typeValueSnapshot().declaredType;
    declarations().cppType = typeValueSnapshot().cppType;
    declarations().classIndex = typeValueSnapshot().classIndex;
    declarations().arrayPrefix = typeValueSnapshot().arrayPrefix;
}

std::string defaultInitializer(int type) {
    switch (type) {
    case T_TEXT: return "=\"\"";
    case T_ARRAY: return "=velarray()";
    case T_DICT: return "=dict()";
    // A var given no value holds nil, as an element past the end does.
    case T_VAR: return "=dyn()";
    case T_OBJECT: return "=velarray()";
    case T_FILE:
    case T_DIR: return "=NULL";
    case T_INTARRAY: return "= _intArr()";
    case T_TEXTARRAY:
    case T_OBJECTARRAY:
    case T_FILEARRAY: return "= _arr32()";
    case T_NATURALARRAY:
    case T_REALARRAY:
    case T_NUMBERARRAY: return "= " + numberArrayOf(elementType(type)) + "(" + typeTag(elementType(type)) + ", 16)";
    default: return "=0";
    }
}

namespace {

// A typed array may start from an array of another kind ("text[] parts =
// s.split(",")", "int[] r = range(1, 3)"): each element is converted the
// way libvel converts values to the element type.
bool initializesFromOtherArray(int target, int source) {
    if (!isTypedArray(target) || source == target)
        return false;
    return source == T_ARRAY || source == T_LIST || isTypedArray(source);
}

std::string arrayConvertedTo(int target, const ExprValue &value) {
    if (!isTypedArray(value.type))
        return convertValue(target, value);
    // Through a dynamic value, the way a dict is converted.
    ExprValue dynamic = value;
    dynamic.type = T_DICT;
    return convertValue(target, dynamic);
}

}  // namespace

void declareAfterBrokenValue(const std::string &name) {
    if (isDeclaredAnywhere(name) || findClass(name) >= 0 || findProgramFunctionNoCase(name) >= 0 ||
        isDefinedTypeName(name))
        return;
    declareName(name, declarations().declaredType, true);
}

void writeDeclarator(const std::string &name, bool hasValue, const ExprValue &value) {
    int type = declarations().declaredType;
    std::string valueText;
    if (hasValue) {
        if (initializesFromOtherArray(type, value.type))
            valueText = "=" + arrayConvertedTo(type, value);
        else {
            if (refusedObjectValue(type, value))
                valueText = defaultInitializer(type);
            else {
                if (value.type != T_UNKNOWN)
                    checkAssign(type, value.type);
                valueText = "=" + convertValue(type, value);
            }
        }
    } else {
        valueText = defaultInitializer(type);
    }
    if (atClassLevel()) {
        if (findClassMethod(currentClassIndex(), name) >= 0)
            reportDuplicateName(name);
        // An attribute has a value from the object's construction on.
        declareName(name, type, true);
        writeAttribute(emittedNameFor(name), declarations().cppType, valueText, declarations().staticFlag != 0,
                       declarations().storageKind == KIND_CONSTANT);
        return;
    }
    // A container declared without a value is an empty one, ready for use.
    Symbol *symbol = declareName(name, type, hasValue || isContainer(type));
    const std::string emitted = emittedNameFor(name);
    bool fileLevel = scopes().atFileLevel() && !output().writingHeader;
    bool late = fileLevel && output().mainOpened;
    // A late definition is assigned in main: not a constant to C++.
    if (hasValue && !late && declarations().storageKind == KIND_CONSTANT && type == T_INTEGER)
        rememberKnownConstant(symbol, value);
    if (fileLevel && !late)
        valueText = defineFileLevelValue(symbol, type, hasValue, value, valueText);
    // A value that may read another source's variables is given once that
    // source has given them theirs.
    bool waits = fileLevel && !late && hasValue && !isConstantValue(value) && waitsForIncludedSources();
    if (late) {
        placeLateDefinition(defaultInitializer(declarations().declaredType), emitted);
        emit(emitted + valueText + ";");
    } else if (waits) {
        addWaitingValue(emitted + valueText + ";");
        emit(ownFileLevel(withoutConst(declarations().modifierPrefix) + declarations().cppType + emitted +
                          defaultInitializer(type) + ";"));
    } else {
        std::string definition = declarations().modifierPrefix + declarations().cppType + emitted + valueText + ";";
        emit(fileLevel ? ownFileLevel(definition) : definition);
    }
    if (fileLevel)
        writeExternLine((late || waits ? withoutConst(declarations().modifierPrefix) : declarations().modifierPrefix) +
                        declarations().cppType + emitted);
}

void betweenDeclarators() {
    emit("\n");
    writeIndent();
}

// Each object of a list is a definition of its own, ended with its line.
void betweenObjectDeclarators() {
    writeIndent();
}

void endDeclarationList() {
    emit("\n");
}

void beginObjectDeclaration(const std::string &className) {
    declarations().className = className;
    declarations().declaredType = T_OBJECT;
    bool byValue = false;
    if (isDefinedType(className, byValue)) {
        declarations().classIndex = -5;
        declarations().cppType = typeNameSpelling(className) + (byValue ? " " : " *");
        indexDefineUsed(className);
        return;
    }
    declarations().cppType = objectSpelling(className);
    declarations().classIndex = findClass(className);
    if (declarations().classIndex < 0)
        reportNamed(E_CLASS_NOT_DEFINED, className);
    else
        indexClassUsed(declarations().classIndex, className);
}

// A typed array of a class holds pointers to its objects; the elements
// read from it are objects of that class again.
void applyObjectArraySuffix() {
    if (declarations().declaredType == T_OBJECTARRAY)
        reportRequiredFound(typedArrays, declarations().className + "[][]");
    declarations().declaredType = T_OBJECTARRAY;
    declarations().cppType = "_arr32 ";
}

namespace {

// Whether "new Class()" compiles: the class's constructor needs no argument.
bool constructsWithoutArguments(int classIndex) {
    if (classIndex < 0)
        return true;
    int constructor = classRecord(classIndex).constructor;
    return constructor < 0 || functionRecord(constructor).requiredCount() == 0;
}

// An attribute of its own class's type (the next node of a list, the
// children of a tree) starts as null: making it would make another of its
// kind, and so on without end.
bool ownClassAttribute(int classIndex) {
    return scopes().inClass && !scopes().inFunction && classIndex >= 0 && classIndex == currentClassIndex();
}

std::string objectArrayValue(int form, const ExprValue &value) {
    if (form != 2)
        return "= _arr32()";
    if (value.type != T_UNKNOWN)
        checkAssign(T_OBJECTARRAY, value.type);
    return "=" + convertValue(T_OBJECTARRAY, value);
}

}  // namespace

void writeObjectDeclarator(const std::string &name, int form, const ExprValue &value) {
    const std::string className = typeNameSpelling(declarations().className);
    std::string valueText;
    if (declarations().declaredType == T_OBJECTARRAY)
        valueText = objectArrayValue(form, value);
    else if (form == 1)
        valueText = "=NULL";
    else if (form == 2 && declarations().classIndex >= 0 && refusedUnrelatedObject(declarations().classIndex, value))
        valueText = "=NULL";
    else if (form == 2 && value.type == T_OBJECT && declarations().classIndex >= 0 &&
             classRecord(declarations().classIndex).counted)
        // A counted object as it is (a cast to a pointer would let it go and
        // keep it again), unless it is known only as a base of the class.
        valueText = "=" + downcastTo(declarations().classIndex, value).text;
    else if (form == 2)
        valueText = declarations().classIndex == -5 ? "=" + value.text : "=(" + className + " *) " + value.text;
    else if (declarations().classIndex != -5)
        valueText = constructsWithoutArguments(declarations().classIndex) && !ownClassAttribute(declarations().classIndex)
                        ? "=" + newObject(declarations().classIndex, "new " + className + "()")
                        : "=NULL";
    declareName(name, declarations().declaredType, true);
    if (atClassLevel())
        followCurrentClassMembers();
    const std::string emitted = emittedNameFor(name);
    // A static attribute is the class's, not its objects': it is defined
    // after the class, where its class (maybe the one being defined) is
    // complete, since C++ initialises no static member of a class type in
    // the class.
    if (atClassLevel() && declarations().staticFlag != 0) {
        writeAttribute(emitted, declarations().cppType, valueText, true, declarations().storageKind == KIND_CONSTANT);
        emit("\n");
        return;
    }
    bool fileLevel = scopes().atFileLevel() && !output().writingHeader;
    if (fileLevel)
        forgetKnownFileValues();
    const std::string emptyValue = declarations().declaredType == T_OBJECTARRAY ? "= _arr32()" : "=NULL";
    const bool late = fileLevel && output().mainOpened;
    const bool waiting = !late && fileLevel && !valueText.empty() && valueText != emptyValue && waitsForIncludedSources();
    if (late) {
        placeLateDefinition(emptyValue, emitted);
        emit(emitted + (valueText.empty() ? "=NULL" : valueText) + ";\n");
    } else if (waiting) {
        // Made by a constructor or computed: it may read another source's
        // variables, and waits as other values do.
        addWaitingValue(emitted + valueText + ";");
        emit(ownFileLevel(withoutConst(declarations().modifierPrefix) + declarations().cppType + emitted + emptyValue +
                          ";") +
             "\n");
    } else {
        std::string definition = declarations().modifierPrefix + declarations().cppType + emitted + valueText + ";";
        emit((fileLevel ? ownFileLevel(definition) : definition) + "\n");
    }
    // The header declares the variable as it is defined, const included.
    if (fileLevel)
        writeExternLine((late || waiting ? withoutConst(declarations().modifierPrefix) : declarations().modifierPrefix) +
                        declarations().cppType + emitted);
}

void beginEnumeration() {
    declarations().enumCounter = 0;
}

void enumItemCounted(const std::string &name) {
    declareEnumItem(name, std::to_string(declarations().enumCounter), T_INTEGER);
    declarations().enumCounter++;
}

void enumItemNumbered(const std::string &name, const std::string &number) {
    declarations().enumCounter = (int)strtol(number.c_str(), nullptr, 0);
    declareEnumItem(name, number, T_INTEGER);
    declarations().enumCounter++;
}

void enumItemValued(const std::string &name, const std::string &literal, int type) {
    ExprValue value = type == T_TEXT ? stringLiteral(literal)
                      : type == T_REAL ? realLiteral(literal) : integerLiteral(literal);
    declareEnumItem(name, value.text, type);
    declarations().enumCounter++;
}

void defineType(const std::string &name, bool byValue) {
    if (namesFileLevelEntity(name)) {
        reportDuplicateName(name);
        return;
    }
    definedTypes().push_back({name, byValue});
    indexDefineDeclared(name);
}

void defineFunctionType(const std::string &name, const std::string &literal) {
    if (namesFileLevelEntity(name)) {
        reportDuplicateName(name);
        return;
    }
    std::string functionName = literal.size() >= 2 ? literal.substr(1, literal.size() - 2) : literal;
    int index = findProgramFunction(functionName);
    if (index < 0) {
        reportNamed(E_FUNCTION_NOT_DEFINED, functionName);
        return;
    }
    indexDefineDeclared(name, index);
    DefinedType defined;
    defined.name = name;
    defined.function = index;
    definedTypes().push_back(defined);
    // The type of the function itself: a pointer to it has the C++ types its
    // head was written with, whatever its parameters and results are.
    writeHeaderLine("typedef decltype(&" + functionRecord(index).emittedName + ") " + typeNameSpelling(name) + ";");
}

std::string objectSpelling(const std::string &className) {
    int classIndex = findClass(className);
    if (classIndex >= 0 && classRecord(classIndex).counted)
        return "vel_ref<" + classRecord(classIndex).emittedName + "> ";
    return typeNameSpelling(className) + " *";
}

std::string newObject(int classIndex, const std::string &construction) {
    if (classIndex >= 0 && classRecord(classIndex).counted)
        return "vel_new(" + construction + ")";
    return construction;
}

std::string typeNameSpelling(const std::string &name) {
    int classIndex = findClass(name);
    if (classIndex >= 0)
        return classRecord(classIndex).emittedName;
    return emittedNameFor(name);
}

int definedFunctionType(const std::string &name) {
    for (const DefinedType &defined : definedTypes())
        if (defined.name == name)
            return defined.function;
    return -1;
}

void writeLateGlobals() {
    for (const std::string &definition : declarations().lateGlobals)
        emit(definition + "\n");
    declarations().lateGlobals.clear();
}

void addLateGlobal(const std::string &definition) {
    if (!output().mainPieces.empty())
        output().pieceLoops.back().definitions += definition + "\n";
    else
        declarations().lateGlobals.push_back(definition);
}

void declareXmlVariable(const std::string &name) {
    beginDeclaration();
    forgetKnownFileValues();
    declareName(name, T_DICT, true);
}
