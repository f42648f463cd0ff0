#include "translator/classes.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "diagnostics/diagnostics.hpp"
#include "semantics/builtins.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/symbols.hpp"
#include "semantics/types.hpp"
#include "translator/translator.hpp"

namespace {

ClassState &classState() { return translation().classState; }

// The header is written while a class is defined; the definitions of its
// static attributes go where the functions go, at file scope.
void writeAtFileScope(const std::string &line) {
    OutputText *saved = output().currentOutput;
    int indent = output().indentLevel;
    output().currentOutput = output().functionsFile;
    output().indentLevel = 0;
    emit(line + "\n");
    output().currentOutput = saved;
    output().indentLevel = indent;
}

// A class of this name that another source of the program defined: an
// include, or a source the main source includes. C++ would see two
// definitions of one class. Two extern or import blocks may both declare
// the one class of native code.
int classOfAnotherSource(const std::string &name, ClassKind kind) {
    int index = findClass(name);
    if (index < 0 || classRecord(index).source == translatedSource().baseName)
        return -1;
    return kind == CLASS_DEFINED || !classRecord(index).external ? index : -1;
}

void reportClassDefinedTwice(const std::string &name, const ClassRecord &earlier) {
    reportDuplicateName(name);
    if (earlier.file.empty())
        return;
    hintLastReport("the class `" + name + "` is defined in " + earlier.file + " at line " +
                   std::to_string(earlier.line) + ": a program has one class of a name; rename one of the two");
    currentSink().relateLast(SourcePosition{earlier.file, earlier.line, 0});
}

// Objects are pointers: a use through a null one stops the program with a
// message instead of reading memory that is not there.
std::string checkedObject(const std::string &text) { return "_vel_obj(" + text + ")"; }

}  // namespace

int currentClassIndex() { return scopes().inClass ? classState().current : -1; }

bool atClassLevel() { return scopes().inClass && !scopes().inFunction && !scopes().inBlock; }

void beginClass(const std::string &name, ClassKind kind) {
    bool external = kind != CLASS_DEFINED;
    classState().kind = kind;
    classState().switchedToHeader = !output().writingHeader;
    if (classState().switchedToHeader)
        switchToHeader();
    classState().savedIndent = output().indentLevel;
    output().indentLevel = 0;
    classState().silencedOutput = nullptr;
    if (kind == CLASS_EXTERN) {
        // Defined by native code: known to the program, written nowhere.
        classState().silencedOutput = output().currentOutput;
        output().currentOutput = nullptr;
    }
    // A call of the name would reach the built-in, never the constructor.
    int builtin = -1;
    int earlier = classOfAnotherSource(name, kind);
    if (kind == CLASS_DEFINED && findFunction(name, builtin))
        reportRedeclaration(name, W_IN_BUILTINS);
    else if (earlier >= 0)
        reportClassDefinedTwice(name, classRecord(earlier));
    else if (kind == CLASS_DEFINED && (!classState().definedHere.insert(name).second ||
                                  findNoCase(symbolTable().globals, name) >= 0 || findProgramFunction(name) >= 0 ||
                                  isDefinedTypeName(name)))
        reportDuplicateName(name);
    int index = declareClass(name, translatedSource().baseName);
    indexClassDeclared(index);
    classState().current = index;
    classState().constructorSeen = false;
    ClassRecord &record = classRecord(index);
    record.file = diagnostics.sourceName;
    record.line = diagnostics.lineCounter;
    record.isDom = name == "dom";
    record.external = external;
    record.counted = kind == CLASS_DEFINED;
    // A class of native code is known by its own name; the program's own go
    // through the renaming of every declared name.
    record.emittedName = kind == CLASS_EXTERN ? name : emittedNameFor(name);
    classState().headerStart = static_cast<long>(output().headerFile->size());
    emit("\nclass " + record.emittedName);
    localScopes().classMembers = ClassMembers();
    localScopes().classMembers.className = name;
    scopes().inClass = true;
}

bool refusedUnrelatedObject(int expectedClass, const ExprValue &value) {
    if (value.type != T_OBJECT || relatedClasses(expectedClass, value.classIndex))
        return false;
    reportRequiredFound(classRecord(expectedClass).name, classRecord(value.classIndex).name);
    return true;
}

void classBase(const std::string &name) {
    emit(": public " + typeNameSpelling(name));
    ClassRecord &record = classRecord(classState().current);
    record.baseName = name;
    record.base = findClass(name);
    if (record.base < 0 || !classRecord(record.base).counted)
        record.counted = false;
    if (record.base >= 0)
        indexClassUsed(record.base, name);
    if (record.base < 0 || record.base == classState().current) {
        record.base = -1;
        record.baseRefused = true;
        reportNamed(E_CLASS_NOT_DEFINED, name);
        return;
    }
    int above = basesAbove(record.base, classState().current);
    if (above < 0 || above + 1 > CLASS_BASES_LIMIT) {
        // Only a class defined twice can come back to itself.
        if (above < 0 && basesAbove(record.base, -1) >= 0)
            reportNamed(E_CANNOT_BE_USED, name);
        else
            reportLimit("bases above a class", CLASS_BASES_LIMIT, above < 0 ? CLASS_BASES_LIMIT + 1 : above + 1);
        record.base = -1;
        record.baseRefused = true;
        return;
    }
    localScopes().classMembers.parentName = name;
    localScopes().classMembers.parent = &classRecord(record.base).members;
}

void classFurtherBase(const std::string &name) {
    emit(", public " + typeNameSpelling(name));
    reportError(E_MULTIPLE_INHERITANCE);
}

void openClassBody() {
    const ClassRecord &record = classRecord(classState().current);
    if (record.counted && record.baseName.empty())
        emit(" : public vel_object");
    emit("\n{\n");
    output().indentLevel++;
    emitIndented("public:\n");
    output().blankLines = 0;
}

namespace {

// A constructor without arguments that sets the initial values.
void writeDefaultConstructor(const ClassRecord &record) {
    newlineOnce();
    emitIndented(record.emittedName + "()\n");
    emitIndented("{\n");
    output().indentLevel++;
    for (const AttributeInitializer &initializer : record.attributeInitializers)
        emitIndentedAt(initializer.sourceLine, initializer.statement + "\n");
    output().indentLevel--;
    emitIndented("}\n");
}

// The class's record follows the members declared so far, attribute by
// attribute: only those added since the last time are copied, so that a
// class costs in proportion to its attributes.
void followClassMembers(ClassMembers &record) {
    const ClassMembers &own = localScopes().classMembers;
    std::vector<Symbol *> &members = record.members;
    const std::size_t known = members.size();
    bool extends = known <= own.members.size() && (known == 0 || members.back() == own.members[known - 1]);
    if (!extends) {
        record = own;
        return;
    }
    members.insert(members.end(), own.members.begin() + static_cast<std::ptrdiff_t>(known), own.members.end());
    record.lastMatch = own.lastMatch;
    record.className = own.className;
    record.parentName = own.parentName;
    record.parent = own.parent;
}

// The references an object's attributes hold, which collections of cycles
// follow; the base's come first.
void writeTraceMethod(const ClassRecord &record) {
    std::vector<std::string> attributes;
    for (const Symbol *member : record.members.members)
        if (std::find(record.staticAttributes.begin(), record.staticAttributes.end(), member->name) ==
            record.staticAttributes.end())
            attributes.push_back(member->emittedName);
    if (!record.counted || attributes.empty())
        return;
    newlineOnce();
    emitIndented("void vel_trace(vel_tracer &_vel_tracer) override\n");
    emitIndented("{\n");
    output().indentLevel++;
    if (record.base >= 0)
        emitIndented(classRecord(record.base).emittedName + "::vel_trace(_vel_tracer);\n");
    for (const std::string &attribute : attributes)
        emitIndented("vel_trace_field(_vel_tracer, " + attribute + ");\n");
    output().indentLevel--;
    emitIndented("}\n");
}

// The class's name as the program wrote it, which a printed dynamic value
// holding one of its objects shows.
void writeClassNameMethod(const ClassRecord &record) {
    if (!record.counted)
        return;
    newlineOnce();
    emitIndented("const char *vel_class_name() const override { return \"" + record.name + "\"; }\n");
}

// Where the class stands among the file's globals, unless statements of
// main or a header are being written there: then after everything else.
void writeStaticDefinitions() {
    bool inPlace = classState().switchedToHeader && !output().mainOpened && !output().writingHeader;
    for (const std::string &definition : classState().staticDefinitions) {
        if (inPlace)
            emit(definition + "\n");
        else
            writeAtFileScope(definition);
    }
    classState().staticDefinitions.clear();
}

}  // namespace

void endClass() {
    indexClassEnds();
    ClassRecord &record = classRecord(classState().current);
    followClassMembers(record.members);
    writeTraceMethod(record);
    writeClassNameMethod(record);
    // A derived class's constructor starts with its base's constructor
    // without arguments (super is not passed on): a class whose own
    // constructor needs arguments has that one too.
    if (record.hasConstructor && record.constructor >= 0 && functionRecord(record.constructor).requiredCount() > 0 &&
        !record.external)
        writeDefaultConstructor(record);
    if (!record.hasConstructor) {
        if (!record.attributeInitializers.empty())
            writeDefaultConstructor(record);
        // The constructor that C++ supplies takes no arguments.
        FunctionRecord constructor;
        constructor.name = record.name;
        constructor.emittedName = record.emittedName;
        constructor.ownerClass = classState().current;
        constructor.isConstructor = true;
        constructor.source = record.source;
        constructor.returnTypes.push_back(T_OBJECT);
        constructor.returnClasses.push_back(-1);
        record.constructor = registerFunction(constructor);
    }
    output().indentLevel = 0;
    emit("};\n");
    scopes().inClass = false;
    localScopes().classMembers = ClassMembers();
    classState().current = -1;
    if (classState().silencedOutput)
        output().currentOutput = classState().silencedOutput;
    classState().silencedOutput = nullptr;
    output().indentLevel = classState().savedIndent;
    if (classState().switchedToHeader)
        switchToImplementation();
    writeStaticDefinitions();
    output().blankLines = 0;
}

void followCurrentClassMembers() {
    if (classState().current >= 0)
        followClassMembers(classRecord(classState().current).members);
}

void writeAttribute(const std::string &emitted, const std::string &cppType, const std::string &valueText,
                    bool isStatic, bool isConstant) {
    ClassRecord &record = classRecord(classState().current);
    if (classState().constructorSeen)
        reportError(E_DECLARATION_BEFORE_CONSTRUCTOR);
    followClassMembers(record.members);
    if (isStatic || isConstant) {
        std::string constant = isConstant ? "const " : "";
        emit("static " + constant + cppType + emitted + ";");
        record.staticAttributes.push_back(localScopes().classMembers.members.empty()
                                              ? emitted
                                              : localScopes().classMembers.members.back()->name);
        if (!translatedSource().declarationsOnly && output().currentOutput)
            classState().staticDefinitions.push_back(constant + cppType + record.emittedName + "::" + emitted +
                                                     valueText + ";");
        return;
    }
    emit(cppType + emitted + ";");
    record.attributeInitializers.push_back({emitted + valueText + ";", diagnostics.lineCounter});
}

void noteConstructor() {
    classState().constructorSeen = true;
    classRecord(classState().current).hasConstructor = true;
}

void writeAttributeInitializers() {
    for (const AttributeInitializer &initializer : classRecord(classState().current).attributeInitializers)
        emitIndentedAt(initializer.sourceLine, initializer.statement + "\n");
}

namespace {

bool superAllowed() { return scopes().inClass && scopes().inFunction && !scopes().inBlock; }

}  // namespace

void beginSuperCall() {
    if (!superAllowed())
        reportNamed(E_CANNOT_BE_USED, ": super");
}

// A refused super has had its error; the warning is for a method's own.
void endSuperCall() {
    if (superAllowed())
        warnSuperIgnored();
}

ExprValue memberOfObject(const ExprValue &owner, const std::string &member) {
    ExprValue value = owner;
    value.writePath.reset();
    value.plainName = false;
    value.literal = false;
    value.root = nullptr;
    Symbol *attribute = findClassAttribute(owner.classIndex, member);
    indexSymbolUsed(attribute, member);
    if (owner.type == T_CLASS) {
        if (attribute && !isStaticAttribute(owner.classIndex, member))
            reportNamed(E_NOT_STATIC, member);
        value.text = owner.text + "::" + (attribute ? attribute->emittedName : emittedNameFor(member));
    } else {
        value.text = checkedObject(owner.text) + "->" + (attribute ? attribute->emittedName : emittedNameFor(member));
    }
    if (!attribute) {
        if (!lacksRefusedBase(owner.classIndex))
            reportNamed(E_ATTRIBUTE_NOT_FOUND, member);
        value.type = T_VAR;
        value.classIndex = -1;
    } else {
        value.type = attribute->type();
        value.classIndex = attribute->classIndex;
        // The attribute is a place of its own in C++: a method that changes
        // an element of it reaches the element there, not in a copy.
        value.writePath = std::make_shared<const WritePath>(nullptr, value.text);
    }
    return value;
}

// A dynamic value (an element of an array or a dict, a var) whose member
// is used holds an object of the class that has the member.
ExprValue objectHeldBy(const ExprValue &value, int classIndex) {
    ExprValue object = value;
    object.text = "((" + classRecord(classIndex).emittedName + " *)(" + value.text + "))";
    object.type = T_OBJECT;
    object.classIndex = classIndex;
    markComputed(object);
    return object;
}

// "objs[i].x = 5": the element is read, and the object it holds is the
// target's owner.
void elementAsObjectTarget(AssignTarget &target, int classIndex) {
    target.path = "((" + classRecord(classIndex).emittedName + " *)(" + target.readPath + "))";
    target.readPath = target.path;
    target.type = target.valueType = T_OBJECT;
    target.classIndex = classIndex;
    target.setter.clear();
    target.setterIsCall = false;
    target.pathIsPointer = false;
    target.nesting = 0;
    target.plainSubscript = false;
}

void memberOfObjectTarget(AssignTarget &target, const std::string &member) {
    Symbol *attribute = findClassAttribute(target.classIndex, member);
    indexSymbolUsed(attribute, member);
    std::string emitted = attribute ? attribute->emittedName : emittedNameFor(member);
    if (target.type == T_CLASS) {
        if (attribute && !isStaticAttribute(target.classIndex, member))
            reportNamed(E_NOT_STATIC, member);
        target.path += "::" + emitted;
    } else {
        target.path = checkedObject(target.path) + "->" + emitted;
    }
    target.readPath = target.path;
    if (!attribute) {
        if (!lacksRefusedBase(target.classIndex))
            reportNamed(E_ATTRIBUTE_NOT_FOUND, member);
        target.type = target.valueType = T_VAR;
        target.classIndex = -1;
        return;
    }
    if (isConstantKind(attribute->kind))
        reportNamed(E_CONSTANT_ASSIGNED, member);
    target.type = target.valueType = attribute->type();
    target.classIndex = attribute->classIndex;
}

std::string objectOfClass(int classIndex, const std::string &element) {
    return "((" + classRecord(classIndex).emittedName + " *)(" + element + "))";
}

ExprValue downcastTo(int classIndex, const ExprValue &value) {
    if (value.type != T_OBJECT || classIndex < 0 || value.classIndex < 0 || value.classIndex == classIndex ||
        !inheritsFrom(classIndex, value.classIndex))
        return value;
    ExprValue cast = value;
    // Held as its base, the object may be of another class derived from it:
    // the conversion checks, and gives null for an object of another shape.
    cast.text = "vel_downcast<" + classRecord(classIndex).emittedName + ">(" + value.text + ")";
    cast.classIndex = classIndex;
    markComputed(cast);
    return cast;
}

bool methodMayFollow(const ExprValue &receiver) {
    return (receiver.type == T_OBJECT || receiver.type == T_CLASS) && receiver.classIndex >= 0 &&
           receiver.classIndex == currentClassIndex();
}

namespace {

// Whether `method` names a constructor when called on the receiver: that
// of the object's class or of a base (written above the method or not),
// or, on a var without a built-in method of the name, that of any class,
// since no method of a class takes a class's name.
bool namesConstructor(const ExprValue &receiver, const std::string &method) {
    int named = findClass(method);
    if (named < 0)
        return false;
    if (receiver.type == T_VAR)
        return findMethod(method, T_VAR) < 0;
    return (receiver.type == T_OBJECT || receiver.type == T_CLASS) && receiver.classIndex >= 0 &&
           inheritsFrom(receiver.classIndex, named);
}

}  // namespace

bool refusedConstructorAsMethod(const ExprValue &receiver, const std::string &method) {
    if (!namesConstructor(receiver, method))
        return false;
    reportNamed(E_CANNOT_BE_USED, method,
                "`" + method + "` is the constructor: `" + method + "(...)` makes a new object and is not run again "
                "on one that is there; to set its attributes again, give the class a method that does it");
    return true;
}

std::string countedReferenceType(int type, int classIndex) {
    if (type != T_OBJECT || classIndex < 0 || !classRecord(classIndex).counted)
        return "";
    return "vel_ref<" + classRecord(classIndex).emittedName + ">";
}

bool beginObjectMethod(const ExprValue &receiver, const std::string &method, int &function, std::string &head,
                       std::string *keepingHead) {
    if ((receiver.type != T_OBJECT && receiver.type != T_CLASS) || receiver.classIndex < 0)
        return false;
    function = findClassMethod(receiver.classIndex, method);
    if (function < 0 && receiver.classIndex == currentClassIndex())
        function = methodDefinedAhead(receiver.classIndex, method);
    if (function >= 0)
        indexFunctionUsed(function, method);
    if (function < 0) {
        if (!methodMayFollow(receiver) && !lacksRefusedBase(receiver.classIndex))
            reportNamed(E_METHOD_NOT_FOUND, method);
        head = receiver.text + "->" + emittedNameFor(method);
        return true;
    }
    const FunctionRecord &record = functionRecord(function);
    if (receiver.type == T_CLASS) {
        if (!record.isStatic)
            reportError(E_STATIC_DYNAMIC);
        head = receiver.text + "::" + record.emittedName;
    } else if (receiver.text == "this" || !classRecord(receiver.classIndex).counted) {
        head = checkedObject(receiver.text) + "->" + record.emittedName;
    } else if (!callMayReleaseReceiver(function)) {
        head = checkedObject(receiver.text) + "->" + record.emittedName;
        if (keepingHead != nullptr)
            *keepingHead = "_vel_receiver(" + receiver.text + ")->" + record.emittedName;
    } else {
        // Whoever called the method that runs keeps `this`; any other
        // receiver is kept by the call itself.
        head = "_vel_receiver(" + receiver.text + ")->" + record.emittedName;
    }
    return true;
}

AssignTarget thisTarget() {
    AssignTarget target;
    if (!scopes().inClass || definingStaticMethod())
        reportNamed(E_CANNOT_BE_USED, "this");
    target.path = target.readPath = "this";
    target.type = target.valueType = T_OBJECT;
    target.classIndex = currentClassIndex();
    return target;
}

void declareExternalMethod(int index) {
    addClassMethod(classState().current, index);
    ClassRecord &owner = classRecord(classState().current);
    const FunctionRecord &method = functionRecord(index);
    if (method.isConstructor) {
        owner.constructor = index;
        owner.hasConstructor = true;
    }
}

bool declaringImportedClass() { return scopes().inClass && classState().kind == CLASS_IMPORTED; }
