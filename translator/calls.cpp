// Calls of built-in functions, of methods of built-in values and of the
// program's functions: begun by the name, closed with the arguments
// converted to what each parameter receives.
#include <unordered_set>

#include "semantics/symbol_index.hpp"
#include "translator/calls.hpp"
#include "translator/call_parts.hpp"
#include "translator/borrowed_parameters.hpp"
#include "translator/source_translation.hpp"

#include "diagnostics/diagnostics.hpp"
#include "diagnostics/sink.hpp"
#include "semantics/builtins.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/spellings.hpp"
#include "semantics/symbols.hpp"
#include "semantics/types.hpp"
#include "translator/classes.hpp"
#include "translator/declarations.hpp"
#include "translator/evaluation_order.hpp"
#include "translator/names.hpp"
#include "translator/expressions.hpp"
#include "translator/functions.hpp"
#include "translator/member_dispatch.hpp"
#include "translator/output.hpp"

namespace {

bool isIntegral(int type) {
    return type == T_INTEGER || type == T_BYTE || type == T_BOOLEAN || type == T_LONG || type == T_CHAR;
}

// A text as a std::string, for the library's C-string parameters; a plain
// literal stays a C string.
std::string textData(const ExprValue &argument) {
    if (argument.stringLiteral)
        return argument.text;
    if (argument.interpolated)
        return "text(" + argument.text + ").data";
    if (argument.plainName)
        return argument.text + ".data";
    return "(" + argument.text + ").data";
}

// The argument converted to the type a table row expects, so that the
// library receives the C++ type it declares whatever the argument's type.
std::string builtinArgument(int expected, const ExprValue &argument) {
    int type = expected & ~BUILTIN_OPTIONAL;
    switch (type) {
    case 0:
        return argument.text;
    case T_VAR:
        return argument.type == T_VAR ? argument.text : "dyn(" + argument.text + ")";
    case T_CHARPTR:
    case T_TEXT:
        if (argument.type == T_TEXT)
            return type == T_CHARPTR ? textData(argument) : argument.text;
        if (argument.stringLiteral || argument.type == T_CHARPTR)
            return argument.text;
        if (argument.type == T_CHAR)
            return "text(std::string(1," + argument.text + "))";
        return "dyn::toText(dyn(" + argument.text + "))";
    case T_INTEGER:
        // A 64-bit integer is clamped into int as intval clamps it, where
        // C++ would wrap it (with a warning for a literal). nil is 0, as a
        // program function's int parameter takes it.
        if (argument.wide)
            return "intval(" + argument.text + ")";
        if (argument.type == T_NIL)
            return "0";
        return isIntegral(argument.type) ? argument.text : "intval(dyn(" + argument.text + "))";
    case T_NUMBER:
    case T_REAL:
        if (isIntegral(argument.type) || argument.type == T_NATURAL || argument.type == T_NUMBER ||
            argument.type == T_REAL)
            return argument.text;
        return "doubleval(dyn(" + argument.text + "))";
    case T_BOOLEAN:
        return argument.type == T_BOOLEAN ? argument.text : "dyn::toBoolean(dyn(" + argument.text + "))";
    case T_DICT:
        return argument.type == T_DICT ? argument.text : "dyn::toDict(dyn(" + argument.text + "))";
    case T_DIR:
        return argument.type == T_VAR ? argument.text : "dyn(" + argument.text + ")";
    case T_FUNCTION:
        return mappedFunction(argument);
    default:
        return convertValue(type, argument);
    }
}

// An object has no number or text of its own: a built-in whose parameter
// is one refuses an object as a program function's parameter does, where
// the conversion would quietly give 0 or "". Null stays the empty value.
void refuseObjectArguments(int row, const ArgumentLevel &level, int (*parameterType)(int, int)) {
    for (int i = 0; i < level.count; i++) {
        const ExprValue &argument = level.arguments[static_cast<std::size_t>(i)];
        int expected = parameterType(row, i) & ~BUILTIN_OPTIONAL;
        if (argument.type != T_OBJECT || argument.classIndex < 0 || argument.text == "NULL" || !isObjectless(expected))
            continue;
        // The library takes a C string where the program gives any text.
        reportCall(E_BAD_ARGUMENT_IN, builtinRow(row).name, expected == T_CHARPTR ? T_TEXT : expected, argument.type);
    }
}

// A typed array converts a number it is given to its element type itself,
// the same way as the number's dyn: a var parameter takes the number as it
// stands, not boxed into a dyn on every call.
std::string methodArgument(int receiverType, int expected, const ExprValue &argument) {
    bool number = isIntegral(argument.type) || argument.type == T_NATURAL || argument.type == T_NUMBER ||
                  argument.type == T_REAL;
    if (isTypedArray(receiverType) && (expected & ~BUILTIN_OPTIONAL) == T_VAR && number)
        return argument.text;
    // A dict finds a text or integer key as it stands, without a dyn made
    // for each look-up.
    if (receiverType == T_DICT && (expected & ~BUILTIN_OPTIONAL) == T_VAR &&
        (argument.type == T_TEXT || argument.type == T_INTEGER))
        return argument.text;
    return builtinArgument(expected, argument);
}

std::string receiverAsFirstArgument(const ExprValue &receiver) {
    if (receiver.type == T_TEXT && !receiver.literal)
        return receiver.plainName ? receiver.text + ".data" : "(" + receiver.text + ").data";
    return receiver.text;
}

// A receiver that C++ reaches members of: a text literal is a C string
// there and becomes a text object first.
std::string memberReceiver(const ExprValue &receiver) {
    if (receiver.stringLiteral)
        return "text(" + receiver.text + ")";
    if (receiver.plainName || receiver.loose == LOOSE_NONE)
        return receiver.text;
    return "(" + receiver.text + ")";
}

// memberReceiver for a receiver whose text the call consumes: when the text
// stands as it is, it is taken rather than copied, so that each link of a
// method chain appends to one text.
std::string takeMemberReceiver(ExprValue &receiver) {
    if (receiver.stringLiteral || !(receiver.plainName || receiver.loose == LOOSE_NONE))
        return memberReceiver(receiver);
    return std::move(receiver.text);
}

// The text methods that libvel's dyn answers with a text of its own, made
// of the text of what it holds.
bool givesTextOfVar(int row) {
    static const std::unordered_set<std::string> textMethods{"capitalize", "dup",     "lower", "upper",
                                                             "lTrim",      "rTrim",   "trim",  "replace",
                                                             "wrap",       "join",    "toXML"};
    return textMethods.count(builtinRow(row).target) != 0;
}

int resultTypeOf(int row, int receiverType) {
    int result = builtinRow(row).field[M_RESULT];
    // A typed array's own methods keep its element type; its single
    // elements stay dynamic values.
    if (isTypedArray(receiverType) && result == T_ARRAY)
        return receiverType;
    // A var may hold a text, an array or a dict: what a method gives back
    // from it is known only when the program runs, except for the text
    // methods, which give a text whatever the var holds.
    if (receiverType == T_VAR && (isTextLike(result) || isContainer(result)) && !givesTextOfVar(row))
        return T_VAR;
    return result;
}

// Methods are looked up for these receivers; a list is an array there.
bool hasBuiltinMethods(int type) {
    switch (type) {
    case T_BOOLEAN: case T_NUMBER: case T_INTEGER: case T_REAL: case T_NATURAL: case T_TEXT:
    case T_ARRAY: case T_DICT: case T_FILE: case T_DIR: case T_VAR: case T_FUNCTION: case T_CHARPTR:
    case T_LIST:
        return true;
    default:
        return isTypedArray(type);
    }
}

bool isObjectReceiver(int type) { return type == T_OBJECT || type == T_JAVA || type == T_CLASS; }

// The receiver of a method that changes it, written so that the change
// reaches the variable or element itself.
std::string updatedReceiver(ExprValue &receiver) {
    if (!receiver.plainName && receiver.writePath)
        return receiver.writePath->text();
    // A value no variable holds (an entry of a dict a call gives) may be
    // read-only in C++: the method changes a copy of it, which is all the
    // program can see of it anyway.
    if (!receiver.plainName && receiver.type == T_VAR)
        return "dyn(" + takeMemberReceiver(receiver) + ")";
    return takeMemberReceiver(receiver);
}

bool movesCursor(const BuiltinRow &row) {
    for (const char *name : {"begin", "end", "inc", "dec"})
        if (std::string(row.name) == name)
            return true;
    return false;
}

// A method that changes its receiver assigns the variable it reaches. One
// that moves the cursor leaves the elements alone, so a constant is told
// what it lacks in those words rather than as an assignment.
void noteReceiverAssigned(const CallDescriptor &call) {
    if (call.receiver.root == nullptr)
        return;
    const std::string &name = call.receiver.root->name;
    const bool cursor = movesCursor(builtinRow(call.row));
    const Symbol *symbol = lookupAssign(name, !cursor);
    if (!cursor || symbol == nullptr || !isConstantKind(symbol->kind))
        return;
    const char *kind = call.receiver.type == T_DICT ? "dict" : "array";
    reportRequiredFound("a variable for the cursor method \"" + call.method + "\"",
                        std::string("the constant ") + kind + " \"" + name + "\"");
    hintLastReport("a constant keeps its cursor still: copy it into a variable (`" + std::string(kind) + " copy = " +
                   name + "`) to walk it with begin and inc, or go over it with `for`");
}

// Consumes the receiver's text: the caller reads only its other fields after.
std::string methodCallText(CallDescriptor &call, const std::string *arguments, int count) {
    const BuiltinRow &row = builtinRow(call.row);
    const int form = row.field[M_FORM];
    const bool updates = row.field[M_UPDATES] != 0;
    if (updates)
        noteReceiverAssigned(call);
    auto receiver = [&call, updates] {
        return updates ? updatedReceiver(call.receiver) : takeMemberReceiver(call.receiver);
    };
    const std::string list = joinTexts(arguments, count);
    switch (form) {
    case FORM_TARGET_FIRST:
        return std::string(row.target) + "(" + receiverAsFirstArgument(call.receiver) + (count > 0 ? "," + list : "") + ")";
    case FORM_TARGET_LAST:
        return std::string(row.target) + "(" + list + (count > 0 ? "," : "") + receiverAsFirstArgument(call.receiver) + ")";
    case FORM_INSERT:
        return receiver() + ".insert(" + list + ")";
    case FORM_MEMBER:
    case FORM_MEMBER_STORED:
        return receiver() + "." + row.name + "(" + list + ")";
    case FORM_ASSIGN:
        // As a value the call tells whether the file opened.
        return "_vel_opened(" + receiver() + "= " + row.target + "(" + list + "))";
    case FORM_SPLIT_TARGET: {
        std::string target = row.target;
        std::string::size_type comma = target.find(',');
        if (comma == std::string::npos) {
            reportInternal(5004);
            return receiver();
        }
        return target.substr(0, comma) + "(" + receiverAsFirstArgument(call.receiver) + (count > 0 ? "," + list : "") +
               target.substr(comma + 1) + ")";
    }
    case FORM_RECEIVER:
        // A text stands for itself; as a function it is looked up by name.
        if (row.field[M_RESULT] == T_FUNCTION)
            return memberReceiver(call.receiver) + "." + row.target + "()";
        return call.receiver.text;
    case FORM_RETYPE:
        return call.receiver.text;
    case FORM_STORE:
        return "dyn::error.set(" + receiver() + ".store(" + list + "))";
    case FORM_MEMBER_TARGET:
        return receiver() + "." + row.target + "(" + list + ")";
    default:
        reportUnknownAction(call.receiver.text + "." + call.method, form);
        return call.receiver.text;
    }
}

}  // namespace

ExprValue closeMethodCall(CallDescriptor &call, const ArgumentLevel &level) {
    std::vector<int> types(level.arguments.size() + 1);
    std::vector<std::string> arguments(level.arguments.size() + 1);
    for (int i = 0; i < level.count; i++)
        types[i] = level.arguments[i].type;
    if (call.kind == CALL_METHOD_NOT_FOUND) {
        for (int i = 0; i < level.count; i++)
            arguments[i] = level.arguments[i].text;
        ExprValue value = valueOf("(" + joinTexts(arguments.data(), level.count) + ")", T_VAR);
        return value;
    }
    if (call.kind == CALL_UNTYPED_METHOD) {
        for (int i = 0; i < level.count; i++)
            arguments[i] = level.arguments[i].text;
        ExprValue value = valueOf(takeMemberReceiver(call.receiver) + "." + call.method + "(" +
                                      joinTexts(arguments.data(), level.count) + ")",
                                  T_UNKNOWN);
        return value;
    }
    if (call.receiver.type == T_VAR) {
        call.row = varMethodRow(call.row, types.data(), level.count);
        // toText with a separator is an array's join; a var's own toText
        // is the conversion, which takes none.
        if (level.count == 1 && std::string(builtinRow(call.row).target) == "toText")
            call.row = findMethod("join", T_ARRAY);
    }
    if (checkMethodArgs(call.row, types.data(), level.count))
        refuseObjectArguments(call.row, level, methodArgumentType);
    // A typed array of a class holds objects of that class and its kin.
    if (call.receiver.type == T_OBJECTARRAY && call.receiver.classIndex >= 0)
        for (int i = 0; i < level.count; i++)
            refusedUnrelatedObject(call.receiver.classIndex, level.arguments[i]);
    for (int i = 0; i < level.count; i++)
        arguments[i] = methodArgument(call.receiver.type, methodArgumentType(call.row, i), level.arguments[i]);
    const int receiverType = call.receiver.type;
    ExprValue value = valueOf(methodCallText(call, arguments.data(), level.count), resultTypeOf(call.row, receiverType));
    // The library gives the container (or the part) such a method makes of
    // what the var holds; the program computes with it as the var it is
    // typed, so it becomes one.
    if (receiverType == T_VAR && value.type == T_VAR && builtinRow(call.row).field[M_RESULT] != T_VAR)
        value.text = "dyn(" + value.text + ")";
    if (builtinRow(call.row).field[M_FORM] == FORM_RETYPE && call.receiver.root != nullptr) {
        // The variable itself takes the row's type; its flags stay.
        Symbol *symbol = call.receiver.root;
        symbol->flags = (symbol->flags & ~SYMBOL_TYPE_MASK) | static_cast<unsigned>(value.type);
    }
    return value;
}

namespace {

ExprValue closeFunctionCall(const CallDescriptor &call, const ArgumentLevel &level) {
    std::vector<int> types(level.arguments.size() + 1);
    std::vector<std::string> arguments(level.arguments.size() + 1);
    for (int i = 0; i < level.count; i++)
        types[i] = level.arguments[i].type;
    if (checkFunctionArgs(call.row, types.data(), level.count))
        refuseObjectArguments(call.row, level, functionArgumentType);
    for (int i = 0; i < level.count; i++)
        arguments[i] = builtinArgument(functionArgumentType(call.row, i), level.arguments[i]);
    const BuiltinRow &row = builtinRow(call.row);
    // A command given as a literal also goes to libvel's system, not to C's,
    // so that exec and system give the same results whatever the argument.
    if (std::string(row.target) == "system" && level.count == 1 && level.arguments[0].stringLiteral)
        arguments[0] = "text(" + arguments[0] + ")";
    // str writes a value as print does: a var (an element of an array or a
    // dict) keeps its text, or its nothing, rather than being read as a number.
    if (std::string(row.target) == "str" && level.count == 1 && level.arguments[0].type == T_VAR)
        arguments[0] = level.arguments[0].text;
    ExprValue value = valueOf(std::string(row.target) + "(" + joinTexts(arguments.data(), level.count) + ")", row.field[F_RESULT]);
    return value;
}

// What a call evaluates in the order written: its arguments, after a
// receiver that is itself computed by a call (a member call's receiver is
// evaluated first in C++, but the library's functions take it as their
// first argument). An alias argument is the caller's variable itself and a
// function argument a name: neither is a value to hand over.
std::vector<ExprValue *> orderedOperands(ArgumentLevel &level) {
    std::vector<ExprValue *> operands;
    const CallDescriptor &call = level.call;
    if (call.kind == CALL_SWAP)
        return operands;
    if ((call.kind == CALL_METHOD || call.kind == CALL_DISPATCHED) && call.receiver.effects)
        operands.push_back(&level.call.receiver);
    const FunctionRecord *function = call.kind == CALL_PROGRAM_FUNCTION ? &functionRecord(call.row) : nullptr;
    for (int i = 0; i < level.count; i++) {
        if (function != nullptr && i < static_cast<int>(function->parameters.size())) {
            const ParameterRecord &parameter = function->parameters[static_cast<size_t>(i)];
            if (parameter.byReference || parameter.functionType)
                continue;
        }
        operands.push_back(&level.arguments[i]);
    }
    return operands;
}

// A built-in that only computes may stand beside other operands unordered;
// a program function, an external call or a changing built-in may not.
bool callChangesNothing(const CallDescriptor &call) {
    if (call.kind != CALL_BUILTIN_FUNCTION && call.kind != CALL_METHOD)
        return false;
    return builtinChangesNothing(call.row);
}

// A call of a function or method of the program whose body lets go of no
// object (the function being defined counts as one: if the rest of its
// body lets go of none, neither do its calls of itself). A constructor
// also runs the attribute initialisations, read outside its body, and a
// function parameter may hold any function.
bool callReleasesNothing(const CallDescriptor &call) {
    if (call.kind != CALL_PROGRAM_FUNCTION || call.constructs >= 0 || call.throughParameter || call.row < 0)
        return false;
    const FunctionRecord &function = functionRecord(call.row);
    if (function.isConstructor || function.external)
        return false;
    return isFunctionBeingDefined(call.row) || !function.mayReleaseObjects;
}

// A call of a function or method of the program, by its record.
ExprValue beginProgramCall(int function, const std::string &name) {
    noteProgramCall(function);
    noteCallBeforeDefinition(function);
    CallDescriptor call;
    call.kind = CALL_PROGRAM_FUNCTION;
    call.row = function;
    call.name = name;
    calls().pending = call;
    return valueOf(functionRecord(function).emittedName, functionRecord(function).callType());
}

}  // namespace

void resetCallState() {
    calls().levels.clear();
    calls().pending = CallDescriptor();
}

ExprValue beginCall(const std::string &name) {
    int row = -1;
    if (findFunction(name, row)) {
        indexBuiltinUsed(row, name);
        CallDescriptor call;
        call.kind = builtinRow(row).field[F_FORM] == FORM_TARGET_LAST ? CALL_SWAP : CALL_BUILTIN_FUNCTION;
        call.row = row;
        calls().pending = call;
        return valueOf(builtinRow(row).target, builtinRow(row).field[F_RESULT]);
    }
    // A class name makes an object through the class's constructor.
    int classIndex = findClass(name);
    if (classIndex >= 0) {
        indexClassUsed(classIndex, name);
        CallDescriptor call;
        call.name = name;
        call.emitted = "new " + classRecord(classIndex).emittedName;
        call.constructs = classIndex;
        call.row = classRecord(classIndex).constructor;
        if (call.row < 0)
            call.row = methodDefinedAhead(currentClassIndex() == classIndex ? classIndex : -1, name);
        call.kind = call.row >= 0 ? CALL_PROGRAM_FUNCTION : CALL_PLAIN;
        calls().pending = call;
        ExprValue value = valueOf(call.emitted, T_OBJECT);
        value.classIndex = classIndex;
        return value;
    }
    // In a method, the class's own methods and those of its bases.
    int method = findClassMethod(currentClassIndex(), name);
    if (method < 0)
        method = methodDefinedAhead(currentClassIndex(), name);
    if (method >= 0) {
        if (definingStaticMethod() && !functionRecord(method).isStatic)
            reportError(E_STATIC_DYNAMIC);
        indexFunctionUsed(method, name);
        return beginProgramCall(method, name);
    }
    if (isMainName(name))
        noteMainCalled();
    int function = findProgramFunction(name);
    if (function < 0)
        function = functionDefinedAhead(name);
    if (function >= 0) {
        if (currentClassIndex() >= 0)
            calls().functionsCalledInClasses.push_back({currentClassIndex(), name});
        indexFunctionUsed(function, name);
        ExprValue head = beginProgramCall(function, name);
        if (hiddenByLocalName(name))
            head.text = calls().pending.emitted = functionReachedBy(function, name);
        return head;
    }
    // A function passed as an argument is called by its parameter's name.
    const ParameterRecord *parameter = functionParameterNamed(name);
    if (parameter != nullptr && parameter->functionType && parameter->signature >= 0) {
        indexSymbolUsed(visibleSymbol(name), name);
        CallDescriptor call;
        call.kind = CALL_PROGRAM_FUNCTION;
        call.row = parameter->signature;
        call.name = name;
        call.emitted = emittedNameFor(name);
        call.throughParameter = true;
        calls().pending = call;
        return valueOf(call.emitted, functionRecord(call.row).callType());
    }
    calls().pending = CallDescriptor();
    calls().pending.name = name;
    // Every name must be a function that the rest of the source defines;
    // a name of the headers every implementation file includes is written
    // as it stands and checked apart, since a later definition of it and
    // the headers' own function would both answer it.
    if (isMainName(name) && !scopes().inClass) {
        calls().pending.kind = CALL_FORWARD;
        return valueOf(programMainName(), T_VAR);
    }
    if (isReservedName(name)) {
        calls().pending.kind = CALL_HEADER_FUNCTION;
        return valueOf(name, T_VAR);
    }
    calls().pending.kind = CALL_FORWARD;
    indexForwardCall(name);
    return valueOf(emittedNameFor(name), T_VAR);
}

// `@name(...)` is the program's explicit way to reach C or C++ as it
// stands, as a native text is: the name and the arguments go through
// unchecked and unconverted, and the C++ compiler is the judge of them.
ExprValue beginExternalCall(const std::string &tokenText) {
    calls().pending = CallDescriptor();
    return valueOf(tokenText.substr(1) + " ", T_VAR);
}

// The receiver travels on as the call's value until its arguments are
// closed; the descriptor takes it only then.
ExprValue beginMethodCall(ExprValue receiver, const std::string &method) {
    // system() gives a command that runs at its first use; a text method
    // works on the command's output.
    if (receiver.type == T_TEXT && receiver.text.compare(0, 7, "system(") == 0)
        receiver.text = receiver.text + ".output()";
    if (refusedConstructorAsMethod(receiver, method)) {
        calls().pending = CallDescriptor();
        calls().pending.kind = CALL_METHOD_NOT_FOUND;
        calls().pending.method = method;
        return receiver;
    }
    // A dynamic value without such a built-in method holds an object: of
    // the class that has the method, or of one chosen among those that do.
    if (receiver.type == T_VAR && findMethod(method, T_VAR) < 0) {
        if (beginDispatchedCall(method))
            return receiver;
        int holder = classWithMember(method);
        if (holder >= 0)
            receiver = objectHeldBy(receiver, holder);
    } else if (receiver.type == T_VAR &&
               beginDispatchedCallOrBuiltin(method, findMethod(method, T_VAR), receiver.plainName)) {
        return receiver;
    }
    CallDescriptor call;
    call.method = method;
    int type = receiver.type;
    int function = -1;
    std::string head;
    if (beginObjectMethod(receiver, method, function, head, &call.keepingHead)) {
        call.kind = function >= 0 ? CALL_PROGRAM_FUNCTION : CALL_METHOD_NOT_FOUND;
        if (function < 0 && methodMayFollow(receiver))
            call.kind = CALL_FORWARD;
        call.row = function;
        call.name = method;
        call.emitted = head;
        calls().pending = std::move(call);
        return receiver;
    }
    if (type == T_UNKNOWN) {
        call.kind = CALL_UNTYPED_METHOD;
    } else if (isObjectReceiver(type) || type > T_FILEARRAY || !hasBuiltinMethods(type)) {
        // Objects answer the methods of their classes, which this
        // translator does not model yet: none can be found.
        if (isObjectReceiver(type))
            reportNamed(E_METHOD_NOT_FOUND, method);
        else
            reportNamed(E_NO_METHOD, receiver.text);
        call.kind = CALL_METHOD_NOT_FOUND;
    } else {
        call.row = findMethod(method, type == T_LIST ? T_ARRAY : type);
        if (call.row < 0) {
            reportNamed(E_METHOD_NOT_FOUND, method);
            call.kind = CALL_METHOD_NOT_FOUND;
        } else {
            indexBuiltinUsed(call.row, method);
            call.kind = CALL_METHOD;
            if (builtinRow(call.row).field[M_COUNT] >= BUILTIN_MAX_ARGUMENTS + 1)
                reportInternal(5003);
            if (builtinRow(call.row).field[M_UPDATES] && receiver.literal)
                reportError(E_LITERAL_NOT_ALLOWED);
        }
    }
    // Only a method that assigns its receiver may be its first use.
    bool assigns = call.kind == CALL_METHOD && builtinRow(call.row).field[M_UPDATES];
    if (receiver.unassigned && !assigns && receiver.root != nullptr)
        reportUsedBeforeAssignment(receiver.root);
    calls().pending = std::move(call);
    return receiver;
}

void openArguments() {
    ArgumentLevel level;
    level.call = std::move(calls().pending);
    calls().pending = CallDescriptor();
    calls().levels.push(std::move(level));
}

void addArgument(const ExprValue &argument) {
    if (calls().levels.empty())
        return;
    ArgumentLevel &level = calls().levels.top();
    level.arguments.push_back(argument);
    level.count++;
}

ExprValue abandonArguments(const ExprValue &call) {
    calls().levels.pop();
    ExprValue value;
    value.text = call.text + "()";
    value.type = T_UNKNOWN;
    return value;
}

ExprValue endArguments(ExprValue call, const SyntaxContext &outer) {
    bool failed = syntaxContextFailed();
    restoreSyntaxContext(outer);
    return failed ? abandonArguments(call) : closeArguments(std::move(call));
}

ExprValue closeArguments(ExprValue call) {
    ExprValue value = std::move(call);
    ArgumentLevel level = std::move(calls().levels.top());
    if (!calls().levels.pop())
        return value;
    const bool method = level.call.kind == CALL_METHOD || level.call.kind == CALL_METHOD_NOT_FOUND ||
                        level.call.kind == CALL_UNTYPED_METHOD || level.call.kind == CALL_DISPATCHED;
    // The receiver is the method call's first operand: what it calls is
    // ordered with the arguments and counts as the call's own.
    if (method)
        level.call.receiver = std::move(value);
    OperandOrder order(orderedOperands(level));
    const bool changesNothing = callChangesNothing(level.call);
    if (!changesNothing && !callReleasesNothing(level.call))
        noteObjectsMayBeReleased();
    switch (level.call.kind) {
    case CALL_SWAP:
        if (level.count == 2 && !(level.arguments[0].plainName && level.arguments[1].plainName)) {
            // A statement swap of places is written by writeSwap; here an
            // argument is a value (a literal, a call's result), which
            // nothing can be given. The message names that value, not the
            // place beside it.
            const bool firstIsPlace = level.arguments[0].plainName || level.arguments[0].root != nullptr;
            reportNamed(E_CANNOT_BE_USED, level.arguments[firstIsPlace ? 1 : 0].text);
            value = valueOf("", T_VOID);
        } else if (level.count == 2) {
            // The built-in swap exchanges two variables in place.
            value = valueOf(swapText(level.arguments[0].text, level.arguments[0].type, level.arguments[1].text,
                                     level.arguments[1].type),
                            T_VOID);
        } else {
            reportArgumentCount("swap", 2, level.count, ARGUMENT_PLURAL_UNLESS_ONE);
            value = valueOf("", T_VOID);
        }
        break;
    case CALL_BUILTIN_FUNCTION:
        value = closeFunctionCall(level.call, level);
        break;
    case CALL_PROGRAM_FUNCTION:
        value = closeProgramCall(level.call, level);
        break;
    case CALL_FORWARD:
        value = closeForwardCall(level.call, level, value);
        break;
    case CALL_HEADER_FUNCTION:
        value = closeHeaderCall(level.call, level, value);
        break;
    case CALL_METHOD:
    case CALL_METHOD_NOT_FOUND:
    case CALL_UNTYPED_METHOD:
        value = closeMethodCall(level.call, level);
        break;
    case CALL_DISPATCHED:
        value = closeDispatchedCall(level.call, level);
        break;
    case CALL_PLAIN: {
        std::vector<std::string> texts(level.arguments.size() + 1);
        for (int i = 0; i < level.count; i++)
            texts[i] = level.arguments[i].text;
        value.text += "(" + joinTexts(texts.data(), level.count) + ")";
        if (level.call.constructs >= 0 && level.call.constructs == currentClassIndex())
            noteConstructionAhead(level.call, level);
        break;
    }
    }
    if (level.call.constructs >= 0)
        value.text = newObject(level.call.constructs, value.text);
    markComputed(value);
    value.effects = !changesNothing;
    return order.finish(std::move(value));
}
