// Calls of names that no function had when they were translated: noted
// where they stand and checked at the end of the source.
#include "translator/calls.hpp"
#include "translator/call_parts.hpp"
#include "translator/source_translation.hpp"

#include "diagnostics/diagnostics.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/types.hpp"
#include "translator/classes.hpp"
#include "translator/late_classes.hpp"

namespace {

// Whether C++ passes an argument of this type to a parameter of that type
// as it stands: the call was written before the function's parameters
// were known, without conversions.
bool passesUnconverted(int parameter, int argument) {
    if (parameter == argument || argument == T_UNKNOWN)
        return true;
    auto numeric = [](int type) {
        return type == T_INTEGER || type == T_BYTE || type == T_BOOLEAN || type == T_NUMBER || type == T_REAL ||
               type == T_NATURAL || type == T_LONG || type == T_CHAR;
    };
    if (numeric(parameter) && numeric(argument))
        return true;
    if (parameter == T_VAR)
        return argument != T_FILE && argument != T_FUNCTION;
    if (parameter == T_TEXT)
        return argument == T_CHARPTR;
    return false;
}

}  // namespace

ExprValue closeForwardCall(const CallDescriptor &call, const ArgumentLevel &level, const ExprValue &head) {
    ForwardCall forward;
    forward.name = call.name;
    forward.line = diagnostics.lineCounter;
    forward.ownerClass = currentClassIndex();
    if (forward.ownerClass >= 0)
        forward.classHeaderStart = translation().classState.headerStart;
    std::vector<std::string> arguments(level.arguments.size() + 1);
    for (int i = 0; i < level.count; i++) {
        forward.argumentTypes.push_back(level.arguments[i].type);
        arguments[i] = level.arguments[i].text;
    }
    // A method of an object of the class being read is called on it.
    forward.ofMethod = !call.emitted.empty();
    // A class's constructor called above the class is told at the call,
    // before what the lines after it make of the object.
    if (!forward.ofMethod && !lateClassHint(forward.line, forward.name).empty())
        reportNamed(E_FUNCTION_NOT_DEFINED, forward.name);
    else
        calls().forwardCalls.push_back(forward);
    const std::string &callee = call.emitted.empty() ? head.text : call.emitted;
    return valueOf(callee + "(" + joinTexts(arguments.data(), level.count) + ")", T_VAR);
}

void noteConstructionAhead(const CallDescriptor &call, const ArgumentLevel &level) {
    ForwardCall forward;
    forward.name = call.name;
    forward.line = diagnostics.lineCounter;
    forward.ownerClass = call.constructs;
    forward.constructs = true;
    for (int i = 0; i < level.count; i++)
        forward.argumentTypes.push_back(level.arguments[i].type);
    calls().forwardCalls.push_back(forward);
}

ExprValue closeHeaderCall(const CallDescriptor &call, const ArgumentLevel &level, const ExprValue &head) {
    ForwardCall forward;
    forward.name = call.name;
    forward.line = diagnostics.lineCounter;
    forward.ownerClass = currentClassIndex();
    forward.ofHeaders = true;
    calls().forwardCalls.push_back(forward);
    std::vector<std::string> texts(level.arguments.size() + 1);
    for (int i = 0; i < level.count; i++)
        texts[i] = level.arguments[i].text;
    return valueOf(head.text + "(" + joinTexts(texts.data(), level.count) + ")", head.type);
}

void checkForwardCalls() {
    int line = diagnostics.lineCounter;
    for (const ForwardCall &forward : calls().forwardCalls) {
        diagnostics.lineCounter = forward.line;
        int index = forward.constructs ? classRecord(forward.ownerClass).constructor
                                       : findClassMethod(forward.ownerClass, forward.name);
        if (index < 0 && !forward.ofMethod && !forward.constructs)
            index = findProgramFunction(forward.name);
        if (forward.ofHeaders) {
            // The call went to the headers' function of that name. When the
            // source defines one further on, a second reading knowing its
            // head calls the source's function, as a call after it does;
            // the message stands only where that reading cannot.
            // Nothing tells what the headers' function takes: one the
            // program has not declared in an extern block is refused here
            // rather than by the C++ compiler.
            if (index >= 0) {
                noteFunctionCalledAhead(index);
                reportNamed(E_AMBIGUOUS, forward.name);
            } else {
                reportNamed(E_FUNCTION_NOT_DEFINED, forward.name);
            }
            continue;
        }
        if (forward.mapped) {
            // A second reading knows the function and checks it as map
            // takes it; the message stands only where there is none.
            if (index >= 0)
                noteFunctionCalledAhead(index);
            reportNamed(E_FUNCTION_NOT_DEFINED, forward.name);
            continue;
        }
        if (index < 0) {
            reportNamed(forward.ofMethod ? E_METHOD_NOT_FOUND : E_FUNCTION_NOT_DEFINED, forward.name);
            continue;
        }
        // The constructor C++ supplies to a class that writes none is no
        // definition a second reading could know.
        if (!forward.constructs || classRecord(forward.ownerClass).hasConstructor)
            noteFunctionCalledAhead(index);
        const FunctionRecord &function = functionRecord(index);
        if (function.ownerClass < 0 && forward.classHeaderStart >= 0)
            needEarlyPrototype(index, forward.classHeaderStart);
        int count = static_cast<int>(forward.argumentTypes.size());
        if (!checkProgramArguments(function, forward.argumentTypes.data(), count))
            continue;
        for (int i = 0; i < count; i++) {
            const ParameterRecord &parameter = function.parameters[static_cast<size_t>(i)];
            int type = forward.argumentTypes[static_cast<size_t>(i)];
            if (parameter.byReference || !passesUnconverted(parameter.type, type))
                reportCall(E_BAD_ARGUMENT_IN, forward.name, parameter.type, type);
        }
    }
    calls().forwardCalls.clear();
    for (const auto &call : calls().functionsCalledInClasses) {
        int method = findClassMethod(call.first, call.second);
        if (method >= 0)
            noteFunctionCalledAhead(method);
    }
    calls().functionsCalledInClasses.clear();
    diagnostics.lineCounter = line;
}
