// Calls of the program's own functions and of those an extern line
// declares: the arguments checked against the parameters and passed as
// each parameter receives them.
#include <string>
#include <vector>

#include "diagnostics/diagnostics.hpp"
#include "diagnostics/sink.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/spellings.hpp"
#include "semantics/symbols.hpp"
#include "semantics/types.hpp"
#include "translator/borrowed_parameters.hpp"
#include "translator/call_parts.hpp"
#include "translator/calls.hpp"
#include "translator/classes.hpp"
#include "translator/declarations.hpp"
#include "translator/functions_ahead.hpp"
#include "translator/expressions.hpp"
#include "translator/names.hpp"
#include "translator/source_translation.hpp"

// Whether a variable, parameter or attribute of this name is visible where
// the call stands: in C++ it hides the function of the name.
bool hiddenByLocalName(const std::string &name) {
    const ScopeState &where = scopes();
    if (where.inFunction && findExact(localScopes().functionLocals, name) >= 0)
        return true;
    for (int depth = 0; where.inBlock && depth <= where.blockDepth && depth < BLOCK_DEPTH_CAPACITY; depth++)
        if (findExact(localScopes().blockScopes[depth], name) >= 0)
            return true;
    return where.inClass && findClassAttribute(currentClassIndex(), name) != nullptr;
}

// The C++ name a call or a reference reaches a program function by: the
// global one where a local name hides it.
std::string functionReachedBy(int function, const std::string &name) {
    return (hiddenByLocalName(name) ? "::" : "") + functionRecord(function).emittedName;
}

namespace {

// A call of a function of C or C++ that an extern line declares. What the
// C++ compiler finds under the name may take or give other types, or be
// missing: the call is made through a generic lambda, which libvel calls
// where it can be called as declared and otherwise turns into a run-time
// error, so that the program compiles whatever the C++ side holds. Left-out
// arguments take the defaults the extern line gives, which the C++ side
// need not have.
std::string nativeCall(const FunctionRecord &function, std::vector<std::string> &arguments, int count) {
    std::string list;
    for (int i = 0; i < static_cast<int>(function.parameters.size()); i++) {
        const std::string &given = i < count ? arguments[static_cast<size_t>(i)]
                                             : function.parameters[static_cast<size_t>(i)].defaultValue;
        if (given.empty())
            break;
        list += ", " + given;
    }
    std::string result = function.resultSpelling;
    while (!result.empty() && result.back() == ' ')
        result.pop_back();
    const std::string &name = function.emittedName;
    const std::string plain = name + "(static_cast<decltype(_v)>(_v)...)";
    return "vel_native_call<" + result + ">(\"" + name + "\", vel_place(), [](auto &&..._v) -> decltype(" + plain +
           ") { return " + plain + "; }" + list + ")";
}

// An argument as the parameter it fills receives it.
std::string programArgument(const ParameterRecord &parameter, const ExprValue &argument, bool external) {
    if (parameter.byReference)
        return argument.text;
    switch (parameter.type) {
    case T_VAR:
        if (external && (isTypedArray(argument.type) || argument.type == T_TEXT))
            return argument.text;
        return argument.type == T_VAR ? argument.text : "dyn(" + argument.text + ")";
    case T_BYTEPTR:
        return "(unsigned char *) " + convertValue(T_CHARPTR, argument);
    case T_FUNCTION:
        return argument.type == T_NIL ? convertValue(T_FUNCTION, argument) : argument.text;
    case T_OBJECT: {
        // An object of another class is passed as the parameter's class.
        int expected = parameter.className.empty() ? -1 : findClass(parameter.className);
        if (argument.type == T_NIL || argument.text == "NULL")
            return nullObject(expected);
        if (expected >= 0 && argument.classIndex >= 0 && argument.classIndex != expected) {
            if (inheritsFrom(expected, argument.classIndex))
                return downcastTo(expected, argument).text;
            return "(" + typeNameSpelling(parameter.className) + " *)(" + argument.text + ")";
        }
        // A dynamic value holds the object as a pointer of its own.
        if (expected >= 0 && argument.type == T_VAR)
            return objectHeldBy(argument, expected).text;
        return argument.text;
    }
    default:
        return convertValue(parameter.type, argument);
    }
}

// A function passed by name must be named by a text literal and have the
// signature of the parameter's type; it is passed as the C++ function.
std::string functionArgument(const ParameterRecord &parameter, const ExprValue &argument) {
    if (argument.type == T_FUNCTION)
        return argument.text;
    if (argument.type == T_NIL)
        return "nullptr";
    if (argument.type == T_TEXT && !argument.literal) {
        reportError(E_FUNCTION_NAME_LITERAL);
        return argument.text;
    }
    if (argument.type != T_TEXT)
        return argument.text;
    std::string name = argument.text.size() >= 2 ? argument.text.substr(1, argument.text.size() - 2) : argument.text;
    int function = findProgramFunction(name);
    if (parameter.signature < 0)
        reportNamed(E_UNEXPECTED, name);
    else if (function < 0)
        reportNamed(E_FUNCTION_NOT_DEFINED, name);
    else if (function == parameter.signature)
        return functionReachedBy(function, name);
    else if (sameSignature(functionRecord(function), functionRecord(parameter.signature)))
        // Of the same signature, but each function's object parameters are
        // spelt as its own body allows: the value passed has the type's head.
        return "_vel_function_as<decltype(&::" + functionRecord(parameter.signature).emittedName + "), &::" +
               functionRecord(function).emittedName + ">::call";
    reportNamed(E_INCOMPATIBLE_FUNCTION, name);
    return argument.text;
}

// An alias parameter is the caller's variable itself: only a variable of
// the parameter's own type can be one.
void checkAliasArgument(const FunctionRecord &function, const ParameterRecord &parameter, const ExprValue &argument) {
    if (!argument.plainName || argument.root == nullptr) {
        reportError(E_LITERAL_NOT_ALLOWED);
        hintLastReport("the alias parameter `" + parameter.name +
                       "` takes a variable: put the value in one, pass that, and read it back after the call");
        return;
    }
    if (argument.type != parameter.type && argument.type != T_UNKNOWN) {
        reportCall(E_BAD_ARGUMENT_IN, function.name, parameter.type, argument.type);
        return;
    }
    lookupAssign(argument.root->name);
    keepParameterReference(argument.root->name);
}

// An object of a class that neither is the parameter's class, nor one of
// its bases, nor derives from it would be read as the parameter's class by
// the cast that passes it: its members would be another class's.
bool unrelatedObjectArgument(const ParameterRecord &parameter, const ExprValue &argument) {
    if (parameter.type != T_OBJECT || argument.type != T_OBJECT || argument.classIndex < 0 ||
        parameter.className.empty())
        return false;
    int expected = findClass(parameter.className);
    return expected >= 0 && !relatedClasses(expected, argument.classIndex);
}

// A call with too few or too many arguments: the head it was counted
// against, which may be far away or in another source.
void hintDeclaration(const FunctionRecord &function) {
    if (function.line < 1 || function.head.empty())
        return;
    hintLastReport("`" + function.name + "` is declared at " + function.file + ":" + std::to_string(function.line) +
                   " as `" + function.head + "`");
    currentSink().relateLast(SourcePosition{function.file, function.line, 0});
}

}  // namespace

bool checkProgramArguments(const FunctionRecord &function, const int *types, int count) {
    int parameters = static_cast<int>(function.parameters.size());
    if (count > parameters || count < function.requiredCount()) {
        reportArgumentCount(function.name, parameters, count);
        hintDeclaration(function);
        return false;
    }
    bool accepted = true;
    for (int i = 0; i < count; i++) {
        const ParameterRecord &parameter = function.parameters[static_cast<size_t>(i)];
        if (parameter.functionType || types[i] == T_UNKNOWN)
            continue;
        if (resultOf(parameter.type, types[i]) == 0 || types[i] == T_VOID) {
            reportCall(E_BAD_ARGUMENT_IN, function.name, parameter.type, types[i]);
            accepted = false;
        }
    }
    return accepted;
}

ExprValue closeProgramCall(const CallDescriptor &call, const ArgumentLevel &level) {
    const FunctionRecord &function = functionRecord(call.row);
    std::vector<int> types(level.arguments.size() + 1);
    std::vector<std::string> arguments(level.arguments.size() + 1);
    for (int i = 0; i < level.count; i++)
        types[i] = level.arguments[i].type;
    bool accepted = checkProgramArguments(function, types.data(), level.count);
    for (int i = 0; i < level.count; i++) {
        const ExprValue &argument = level.arguments[i];
        if (!accepted || i >= static_cast<int>(function.parameters.size())) {
            arguments[i] = argument.text;
            continue;
        }
        const ParameterRecord &parameter = function.parameters[static_cast<size_t>(i)];
        if (parameter.functionType) {
            arguments[i] = functionArgument(parameter, argument);
            continue;
        }
        if (parameter.byReference)
            checkAliasArgument(function, parameter, argument);
        if (unrelatedObjectArgument(parameter, argument))
            reportCall(E_BAD_ARGUMENT_IN, function.name, parameter.className,
                       classRecord(argument.classIndex).name);
        else if (argument.type == T_OBJECT && argument.classIndex >= 0 && argument.text != "NULL" &&
                 isObjectless(parameter.type))
            reportCall(E_BAD_ARGUMENT_IN, function.name, parameter.type, argument.type);
        arguments[i] = programArgument(parameter, argument, function.external);
    }
    const std::string &emitted = argumentsCallSomething(level) && !call.keepingHead.empty() ? call.keepingHead
                                 : call.emitted.empty()                     ? function.emittedName
                                                                            : call.emitted;
    ExprValue value = valueOf(emitted + "(" + joinTexts(arguments.data(), level.count) + ")", function.callType());
    if (accepted && function.external && function.ownerClass < 0 && call.emitted.empty())
        value.text = nativeCall(function, arguments, level.count);
    if (function.isConstructor) {
        value.type = T_OBJECT;
        value.classIndex = function.ownerClass;
    } else if (value.type == T_OBJECT || value.type == T_OBJECTARRAY) {
        value.classIndex = function.returnClass;
    } else if (value.type == T_TUPLE) {
        value.resultsOf = call.row;
        value.results = value.text;
        value.text = "velarray(" + value.text + ")";
    }
    return value;
}

namespace {

// map hands each element to the function as its one parameter wants it
// and keeps what it gives as a var: these types convert both ways.
bool mapConverts(int type) {
    switch (type) {
    case T_INTEGER: case T_REAL: case T_NUMBER: case T_NATURAL: case T_BOOLEAN: case T_TEXT: case T_ARRAY:
    case T_DICT: case T_VAR:
        return true;
    default:
        return false;
    }
}

bool mappable(const FunctionRecord &function) {
    if (function.parameters.size() != 1 || function.parameters[0].byReference ||
        !mapConverts(function.parameters[0].type) || function.returnTypes.empty())
        return false;
    return function.returnTypes.size() > 1 || mapConverts(function.returnTypes[0]) || function.returnTypes[0] == T_CHAR;
}

bool reportedUnlessMappable(int function, const std::string &name) {
    if (mappable(functionRecord(function)))
        return false;
    reportNamed(E_INCOMPATIBLE_FUNCTION, name,
                "map calls a function of one parameter (int, real, natural, bool, text, array, dict or var) "
                "that gives a value");
    return true;
}

}  // namespace

std::string mappedFunction(const ExprValue &argument) {
    // A parameter of a function type holds a function of its signature.
    if (argument.type == T_FUNCTION && argument.plainName && argument.root != nullptr) {
        const ParameterRecord *parameter = functionParameterNamed(argument.root->name);
        if (parameter != nullptr && parameter->functionType && parameter->signature >= 0)
            reportedUnlessMappable(parameter->signature, argument.root->name);
        return argument.text;
    }
    if (argument.type != T_TEXT && argument.type != T_CHARPTR)
        return convertValue(T_FUNCTION, argument);
    // A function named by a literal is passed as the C++ function.
    if (!argument.stringLiteral || argument.interpolated) {
        reportError(E_FUNCTION_NAME_LITERAL);
        return "function(nullptr)";
    }
    std::string name = argument.text.substr(1, argument.text.size() - 2);
    int function = findProgramFunction(name);
    if (function < 0)
        function = functionDefinedAhead(name);
    if (function < 0) {
        ForwardCall forward;
        forward.name = name;
        forward.line = diagnostics.lineCounter;
        forward.mapped = true;
        calls().forwardCalls.push_back(forward);
        return "function(nullptr)";
    }
    if (reportedUnlessMappable(function, name))
        return "function(nullptr)";
    return "&" + functionReachedBy(function, name);
}
