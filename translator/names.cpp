#include "translator/translator.hpp"
#include <algorithm>
#include <limits>
#include "translator/known_integers.hpp"
#include "translator/member_dispatch.hpp"
#include "semantics/classes.hpp"
#include "semantics/indexing.hpp"
#include "semantics/spellings.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/symbols.hpp"

namespace {

bool inScope(const std::vector<Symbol *> &scope, const std::string &name) {
    return findExact(scope, name) >= 0;
}

}  // namespace

bool isDeclaredAnywhere(const std::string &name) {
    for (int depth = 0; depth <= scopes().blockDepth && depth < BLOCK_DEPTH_CAPACITY; depth++)
        if (inScope(localScopes().blockScopes[depth], name) || inScope(localScopes().blockCaptures[depth], name))
            return true;
    if (scopes().inFunction && (inScope(localScopes().functionLocals, name) || inScope(localScopes().functionImports, name)))
        return true;
    if (scopes().inClass && inScope(localScopes().classMembers.members, name))
        return true;
    return inScope(symbolTable().globals, name);
}

const Symbol *visibleSymbol(const std::string &name) {
    const int innermost = std::min(scopes().blockDepth, BLOCK_DEPTH_CAPACITY - 1);
    for (int depth = innermost; depth >= 0; depth--) {
        for (const std::vector<Symbol *> *scope : {&localScopes().blockScopes[depth], &localScopes().blockCaptures[depth]}) {
            int at = findExact(*scope, name);
            if (at >= 0)
                return (*scope)[at];
        }
    }
    std::vector<const std::vector<Symbol *> *> scopesToSearch;
    if (scopes().inFunction) {
        scopesToSearch.push_back(&localScopes().functionLocals);
        scopesToSearch.push_back(&localScopes().functionImports);
    }
    if (scopes().inClass)
        scopesToSearch.push_back(&localScopes().classMembers.members);
    scopesToSearch.push_back(&symbolTable().globals);
    for (const std::vector<Symbol *> *scope : scopesToSearch) {
        int at = findExact(*scope, name);
        if (at >= 0)
            return (*scope)[at];
    }
    return nullptr;
}

int visibleType(const std::string &name) {
    const Symbol *symbol = visibleSymbol(name);
    return symbol ? symbol->type() : T_UNKNOWN;
}

bool isFileLevelVariable(const std::string &name) {
    for (int depth = 0; depth <= scopes().blockDepth && depth < BLOCK_DEPTH_CAPACITY; depth++)
        if (inScope(localScopes().blockScopes[depth], name))
            return false;
    if (scopes().inClass || (scopes().inFunction && inScope(localScopes().functionLocals, name)))
        return false;
    int global = findExact(symbolTable().globals, name);
    return global >= 0 && !isConstantKind(symbolTable().globals[global]->kind);
}

ExprValue beginName(const std::string &name, bool methodReceiver) {
    ExprValue value;
    // A class name leads to its static members.
    int classIndex = findClass(name);
    if (classIndex >= 0) {
        indexClassUsed(classIndex, name);
        value.text = classRecord(classIndex).emittedName;
        value.type = T_CLASS;
        value.classIndex = classIndex;
        return value;
    }
    value.plainName = true;
    if (Symbol *symbol = methodReceiver ? lookupReceiver(name, value.unassigned) : lookupUse(name)) {
        value.text = symbol->emittedName.empty() ? emittedNameFor(name) : symbol->emittedName;
        if (const std::string *view = arrayViewOf(value.text))
            value.text = *view;
        if (definingStaticMethod() && symbol == findClassAttribute(currentClassIndex(), name) &&
            !isStaticAttribute(currentClassIndex(), name))
            reportNamed(E_NOT_STATIC, name);
        value.type = symbol->type();
        value.root = symbol;
        value.classIndex = symbol->classIndex;
        value.literal = symbol->kind == KIND_LITERAL_CONSTANT;
        knowConstant(value);
        if (value.literal && value.type == T_TEXT) {
            value.stringLiteral = true;
            value.plainName = false;
        }
    } else {
        value.text = emittedNameFor(name);
        value.type = T_UNKNOWN;
    }
    return value;
}

namespace {

// The element itself, for a method that changes it: arrays, typed arrays,
// dicts and var values give a reference to their element through "[]".
std::shared_ptr<const WritePath> writableElement(const ExprValue &container, const ExprValue &index) {
    if (!container.plainName && !container.writePath)
        return nullptr;
    switch (container.type) {
    case T_ARRAY: case T_DICT: case T_VAR: case T_LIST:
        break;
    default:
        if (!isTypedArray(container.type))
            return nullptr;
    }
    std::string subscript = "[" + index.text + "]";
    if (container.plainName)
        return std::make_shared<const WritePath>(std::make_shared<const WritePath>(nullptr, container.text),
                                                 std::move(subscript));
    return std::make_shared<const WritePath>(container.writePath, std::move(subscript));
}

// Elements of typed arrays are read through the cast that gives them their
// element type in C++ as well.
// In place: a chain of subscripts must not copy its text at every step.
void wrapElementRead(int containerType, std::string &text) {
    if (containerType < T_INTARRAY || containerType > T_NUMBERARRAY)
        return;
    text.insert(0, castElement(containerType));
    text += ")";
}

// A C string has no members: its elements are read and written through
// the library, which keeps inside the string and never writes into the
// bytes of a literal.
std::string cStringElement(const std::string &path, const std::string &index) {
    return "_vel_cstring_at(" + path + "," + index + ")";
}

bool isArrayOfClass(const ExprValue &value) {
    return value.type == T_OBJECTARRAY && value.classIndex >= 0;
}

// Texts, containers and dynamic values have elements, and so has a variable
// declared "object", an array in C++. A subscript of anything else (a
// number, an object of a class, an element of a typed array of numbers or
// objects) would reach the C++ compiler as an index of a scalar or a pointer.
bool hasElements(const ExprValue &value) {
    switch (value.type) {
    case T_TEXT: case T_CHARPTR: case T_VAR: case T_UNKNOWN:
        return true;
    case T_OBJECT:
        return value.classIndex < 0 && value.plainName;
    default:
        return isContainer(value.type);
    }
}

// A subscript of a value without elements is reported, and the value
// becomes of unknown type so that what follows reports nothing more.
bool refusedSubscript(ExprValue &value) {
    // The results of a call taken as one value are the array that holds
    // them in order.
    if (value.type == T_TUPLE) {
        value.type = T_ARRAY;
        value.resultsOf = -1;
    }
    if (hasElements(value))
        return false;
    reportRequiredFound("a text, an array or a dict", typeName(value.type));
    value.type = T_UNKNOWN;
    markComputed(value);
    return true;
}

// Arrays and texts take an int index. A known 64-bit index past int's range
// is the nearest int, which lies past every element too (a read gives
// nothing, a write runs out of memory), where C++ would wrap it onto an
// element, with a warning. A real or a natural index is converted as intval
// converts it, to the nearest int past the range: C++ would leave a real
// past it undefined.
ExprValue intIndex(int containerType, ExprValue index) {
    const long long highest = std::numeric_limits<int>::max(), lowest = std::numeric_limits<int>::min();
    if (containerType == T_DICT || containerType == T_VAR)
        return index;
    if (isFloating(index.type) || index.type == T_NATURAL) {
        index.text = "intval(" + index.text + ")";
        index.type = T_INTEGER;
        markComputed(index);
        return index;
    }
    if (!index.known || !index.wide || (index.knownValue >= lowest && index.knownValue <= highest))
        return index;
    index.knownValue = index.knownValue > highest ? highest : lowest;
    index.text = index.knownValue > 0 ? "2147483647" : "(-2147483647-1)";
    index.wide = false;
    return index;
}

}  // namespace

ExprValue indexOfName(ExprValue name, const ExprValue &givenIndex, bool anotherFollows) {
    const ExprValue index = intIndex(name.type, givenIndex);
    if (refusedSubscript(name) || refusedVoid(index, T_INTEGER))
        return name;
    SubscriptText subscript = readIndex(name.type, index.text, anotherFollows);
    const bool objectElement = isArrayOfClass(name) && !anotherFollows;
    ExprValue value = std::move(name);
    value.writePath = writableElement(value, index);
    if (value.type == T_CHARPTR)
        value.text = cStringElement(value.text, index.text);
    else if (objectElement)
        value.text = objectOfClass(value.classIndex, value.text + subscript.text);
    else
        value.text += subscript.text;
    // A text read from a typed array is subscripted as a text of its own.
    if (!objectElement)
        wrapElementRead(value.type, value.text);
    value.effects = value.effects || index.effects;
    value.type = objectElement ? T_OBJECT : subscript.type;
    value.plainName = false;
    value.literal = false;
    value.stringLiteral = false;
    return value;
}

namespace {

// A value that is no variable (a call's result, a literal) as the
// container of a subscript. A text literal is a C string in C++ and becomes
// a text first.
ExprValue subscriptedValue(ExprValue owner) {
    ExprValue container = std::move(owner);
    if (container.stringLiteral || container.interpolated)
        container.text = "text(" + container.text + ")";
    else if (container.loose != LOOSE_NONE)
        container.text = "(" + container.text + ")";
    container.writePath.reset();
    container.root = nullptr;
    container.plainName = false;
    return container;
}

}  // namespace

ExprValue indexOfValue(ExprValue owner, const ExprValue &index, bool anotherFollows) {
    return indexOfName(subscriptedValue(std::move(owner)), index, anotherFollows);
}

ExprValue sliceOfValue(ExprValue owner, bool hasLow, const ExprValue &low, bool hasHigh,
                       const ExprValue &high, bool inclusive) {
    return sliceOfName(subscriptedValue(std::move(owner)), hasLow, low, hasHigh, high, inclusive);
}

ExprValue sliceOfName(ExprValue name, bool hasLow, const ExprValue &low, bool hasHigh,
                      const ExprValue &high, bool inclusive) {
    if (refusedSubscript(name))
        return name;
    const ExprValue from = intIndex(name.type, low), to = intIndex(name.type, high);
    IntervalBounds bounds = makeInterval(hasLow, from.text, from.type, hasHigh, to.text, to.type, inclusive);
    ExprValue value = std::move(name);
    value.writePath.reset();
    // A C string has no members: its slice is that of the text it holds.
    if (value.type == T_CHARPTR) {
        value.text = "text(" + value.text + ")";
        value.type = T_TEXT;
    }
    value.text += sliceText(bounds);
    value.plainName = false;
    value.literal = false;
    value.stringLiteral = false;
    return value;
}

ExprValue keyRangeOfName(ExprValue name, const ExprValue &low, const ExprValue &high) {
    // Keys name the entries of a dict, or of what a var holds.
    if (checkKeyRange(low.type, high.type) && name.type != T_DICT && name.type != T_VAR && name.type != T_UNKNOWN)
        reportRequiredFound("a dict", typeName(name.type));
    ExprValue value = std::move(name);
    value.writePath.reset();
    value.text += ".slice(" + low.text + "," + high.text + ",1)";
    value.plainName = false;
    return value;
}

ExprValue currentElementOfName(ExprValue name, bool afterSlice) {
    if (refusedSubscript(name))
        return name;
    EmptySubscript subscript = readEmptySubscript(name.type, afterSlice);
    ExprValue value = std::move(name);
    value.writePath.reset();
    if (const std::string *position = value.plainName ? walkedPositionOf(value.text) : nullptr) {
        // A method that changes the element reaches it in its container,
        // as an assignment to c[][i] does.
        if (!afterSlice && (value.type == T_ARRAY || value.type == T_DICT || value.type == T_VAR))
            value.writePath = std::make_shared<const WritePath>(
                nullptr, "(*" + value.text + ".to(vel_walked(" + value.text + "," + *position + ").key()))");
        value.text = "vel_walked(" + value.text + "," + *position + ")";
    }
    value.text += subscript.text;
    wrapElementRead(value.type, value.text);
    value.type = subscript.type;
    value.plainName = false;
    return value;
}

namespace {

// Attributes belong to the objects of classes, which this translator does
// not model yet: no value has an attribute it could reach.
void reportAttribute(int ownerType, const std::string &member) {
    if (ownerType != T_UNKNOWN)
        reportNamed(E_ATTRIBUTE_NOT_FOUND, member);
}

}  // namespace

ExprValue memberOfName(ExprValue name, const std::string &member) {
    if ((name.type == T_OBJECT || name.type == T_CLASS) && name.classIndex >= 0)
        return memberOfObject(name, member);
    ExprValue dispatched;
    if (name.type == T_VAR && dispatchedAttribute(name, member, dispatched))
        return dispatched;
    int holder = name.type == T_VAR || name.type == T_OBJECT ? classWithMember(member) : -1;
    if (holder >= 0)
        return memberOfObject(objectHeldBy(name, holder), member);
    reportAttribute(name.type, member);
    ExprValue value = std::move(name);
    value.writePath.reset();
    value.text += "->" + member;
    value.type = T_VAR;
    value.plainName = false;
    return value;
}

AssignTarget beginTarget(const std::string &name) {
    AssignTarget target;
    int classIndex = findClass(name);
    if (classIndex >= 0) {
        indexClassUsed(classIndex, name);
        target.path = target.readPath = classRecord(classIndex).emittedName;
        target.type = target.valueType = T_CLASS;
        target.classIndex = classIndex;
        return target;
    }
    const Symbol *symbol = lookupAssign(name);
    target.path = symbol && !symbol->emittedName.empty() ? symbol->emittedName : emittedNameFor(name);
    if (const std::string *view = symbol ? arrayViewOf(target.path) : nullptr)
        target.path = *view;
    target.readPath = target.path;
    target.type = symbol ? symbol->type() : T_UNKNOWN;
    target.valueType = target.type;
    target.classIndex = symbol ? symbol->classIndex : -1;
    target.objectText = symbol && (symbol->flags & SYMBOL_OBJECT_TEXT) != 0;
    return target;
}

namespace {

// A target subscripted where its value has no elements (see hasElements):
// reported once, and the target takes any value without a further report.
bool refusedTargetSubscript(AssignTarget &target) {
    ExprValue reached;
    reached.type = target.nesting == 0 ? target.type : target.valueType;
    reached.classIndex = target.classIndex;
    reached.plainName = target.nesting == 0;
    if (reached.type == T_UNKNOWN || !refusedSubscript(reached))
        return false;
    target.type = target.valueType = T_UNKNOWN;
    target.nesting++;
    return true;
}

// A slice is written into its container by one call that takes its bounds,
// so nothing can be reached inside it: `a[1..3][0] = x` and `a[1..3][..] = x`
// are refused once, and the target takes any value without a further report.
bool refusedAfterSlice(AssignTarget &target) {
    if (!target.isSlice)
        return false;
    reportError(E_INDEX_ON_RANGE);
    target.valueType = T_UNKNOWN;
    target.nesting++;
    return true;
}

}  // namespace

void indexTarget(AssignTarget &target, const ExprValue &givenIndex, bool anotherFollows) {
    if (refusedAfterSlice(target))
        return;
    const ExprValue index = intIndex(target.nesting == 0 ? target.type : T_VAR, givenIndex);
    if (refusedTargetSubscript(target))
        return;
    if (refusedVoid(index, T_INTEGER)) {
        target.type = target.valueType = T_UNKNOWN;
        target.nesting++;
        return;
    }
    if (target.type == T_CHARPTR && target.nesting == 0) {
        if (anotherFollows)
            reportNamed(E_CANNOT_BE_USED, target.path + "[" + index.text + "][");
        target.readPath = cStringElement(target.readPath, index.text);
        target.path = "vel_cstring_slot(" + target.path + ")";
        target.setter = ".setAt(" + index.text + ",";
        target.setterIsCall = true;
        target.valueType = T_TEXT;
        target.nesting++;
        return;
    }
    TargetSubscript subscript = targetIndex(target.type, index.text, target.nesting, anotherFollows);
    SubscriptText read = readIndex(target.nesting == 0 ? target.type : T_VAR, index.text, anotherFollows);
    if (subscript.selectsInner) {
        target.path += subscript.text;
        target.pathIsPointer = true;
    } else {
        target.setter = subscript.text;
        target.setterIsCall = subscript.isCall;
    }
    target.readPath += read.text;
    target.valueType = subscript.type;
    target.plainSubscript = target.nesting == 0 && (index.plainName || index.literal);
    target.nesting++;
}

void sliceTarget(AssignTarget &target, bool hasLow, const ExprValue &low, bool hasHigh,
                 const ExprValue &high, bool inclusive) {
    if (refusedAfterSlice(target) || refusedTargetSubscript(target))
        return;
    IntervalBounds bounds = makeInterval(hasLow, low.text, low.type, hasHigh, high.text, high.type, inclusive);
    target.isSlice = true;
    // The library writes a slice of a C string as it writes its elements.
    if (target.type == T_CHARPTR && target.nesting == 0) {
        target.readPath = "text(" + target.readPath + ")" + sliceText(bounds);
        target.path = "vel_cstring_slot(" + target.path + ")";
    } else {
        target.readPath = target.path + (target.pathIsPointer ? "->" : ".") + sliceText(bounds).substr(1);
    }
    target.low = bounds.lower;
    target.high = bounds.upper;
    target.inclusive = bounds.inclusive;
    target.valueType = target.type == T_CHARPTR ? T_TEXT : target.type;
    target.nesting++;
}

void currentElementTarget(AssignTarget &target, bool anotherFollows) {
    if (refusedAfterSlice(target) || refusedTargetSubscript(target))
        return;
    std::string container = target.path;
    if (const std::string *position = target.nesting == 0 ? walkedPositionOf(target.path) : nullptr)
        container = "vel_walked(" + target.path + "," + *position + ")";
    TargetSubscript subscript = targetEmptySubscript(container, target.type, target.nesting, anotherFollows);
    if (subscript.selectsInner) {
        target.path += subscript.text;
        target.pathIsPointer = true;
    } else {
        target.setter = subscript.text;
        target.setterIsCall = subscript.isCall;
    }
    target.readPath = (target.nesting == 0 ? container : target.readPath) + ".value()";
    target.valueType = subscript.type;
    target.nesting++;
}

void memberTarget(AssignTarget &target, const std::string &member) {
    // An element, or a var, that holds an object: of the array's class,
    // of the class that has the member, or of one chosen among those that
    // define it when the program runs.
    bool element = target.nesting > 0 && !target.isSlice;
    if ((element && (target.valueType == T_VAR || target.valueType == T_OBJECT)) || (target.nesting == 0 && target.type == T_VAR)) {
        const bool dynamic = element ? target.valueType == T_VAR : target.type == T_VAR;
        if (dynamic && dispatchedAttributeTarget(target, member))
            return;
        int holder = target.valueType == T_OBJECT && target.classIndex >= 0 ? target.classIndex : classWithMember(member);
        if (holder >= 0)
            elementAsObjectTarget(target, holder);
    }
    if ((target.type == T_OBJECT || target.type == T_CLASS) && target.classIndex >= 0) {
        memberOfObjectTarget(target, member);
        return;
    }
    reportAttribute(target.type, member);
    target.path += "->" + member;
    target.readPath = target.path;
    target.type = T_VAR;
    target.valueType = T_VAR;
}
