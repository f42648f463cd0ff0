// A member of a dynamic value that several classes define: a pets array
// holding a Cat and a Dog calls each one's own sound(). The value goes to a
// lambda that tries the classes in turn, the most derived first, and uses
// the member of the first one the held object is an instance of:
//
//   [&](const dyn &_vel_r) { if (Dog *_vel_c = (Dog *)(_vel_r)) return ...;
//                            Cat *_vel_c = (Cat *)(_vel_r); return ...; }(p)
//
// The cast of a dyn gives the object only when it is of that class or one
// derived from it, and null otherwise; the last class is taken without a
// test, so that a value holding none of them (or no object) stops the
// program with "member of a null object" as a single class's cast does.
#include "translator/member_dispatch.hpp"

#include <algorithm>
#include <vector>

#include "diagnostics/diagnostics.hpp"
#include "diagnostics/sink.hpp"
#include "semantics/builtins.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/symbols.hpp"
#include "semantics/types.hpp"
#include "translator/call_parts.hpp"
#include "translator/classes.hpp"
#include "translator/evaluation_order.hpp"
#include "translator/expressions.hpp"

namespace {

// The classes to choose among, most derived first: an object is an
// instance of every class on its chain of bases, and the one nearest to
// its own class is the one whose member it uses. Empty when fewer than two
// classes define the member, or when one is a class of native code, whose
// pointers a dyn gives back unchecked.
void mostDerivedFirst(std::vector<int> &classes) {
    std::stable_sort(classes.begin(), classes.end(),
                     [](int a, int b) { return basesAbove(a, -1) > basesAbove(b, -1); });
}

std::vector<int> candidates(std::vector<int> classes) {
    if (classes.size() < 2)
        return {};
    for (int index : classes)
        if (!classRecord(index).counted)
            return {};
    mostDerivedFirst(classes);
    return classes;
}

// The object under the name each branch gives it, as the class tried.
ExprValue triedObject(int classIndex) {
    ExprValue object;
    object.text = "_vel_c";
    object.type = T_OBJECT;
    object.classIndex = classIndex;
    object.plainName = true;
    return object;
}

// The lambda, called with the dynamic value; `branches` holds what each
// class's branch gives back, and `result` the lambda's declared result
// (" -> dyn") or "" when it is deduced.
// The receiver as the lambda takes it.
enum ReceiverPassing { RECEIVER_READ, RECEIVER_KEPT, RECEIVER_CHANGED };

// A class of -1 is the built-in method of var, taken when no class is.
std::string dispatchText(const std::vector<int> &classes, const std::vector<std::string> &branches,
                         const std::string &result, const std::string &receiver,
                         ReceiverPassing passing = RECEIVER_READ) {
    std::string body;
    for (std::size_t i = 0; i < classes.size(); i++) {
        if (classes[i] < 0) {
            body += "return " + branches[i] + ";";
            continue;
        }
        const std::string &name = classRecord(classes[i]).emittedName;
        const std::string object = name + " *_vel_c = (" + name + " *)(_vel_r)";
        if (i + 1 < classes.size())
            body += "if (" + object + ") return " + branches[i] + "; ";
        else
            body += object + "; return " + branches[i] + ";";
    }
    // A copy of the value keeps the object while arguments that call
    // something may drop every other hold of it; a built-in method that
    // changes the value changes the variable itself.
    const char *parameter = passing == RECEIVER_KEPT      ? "(dyn _vel_r)"
                            : passing == RECEIVER_CHANGED ? "(dyn &_vel_r)"
                                                          : "(const dyn &_vel_r)";
    return lambdaCapture() + parameter + result + " { " + body + " }(" + receiver + ")";
}

// A value of each class's member has the same type in all of them.
bool sameType(const std::vector<ExprValue> &values) {
    for (const ExprValue &value : values)
        if (value.type != values[0].type || value.classIndex != values[0].classIndex || value.type == T_TUPLE)
            return false;
    return true;
}

// Whether a var can hold the value, so that members of different types
// still give one value.
bool fitsInVar(int type) {
    switch (type) {
    case T_VOID: case T_BYTE: case T_BOOLEAN: case T_NUMBER: case T_INTEGER: case T_LONG: case T_REAL:
    case T_NATURAL: case T_TEXT: case T_ARRAY: case T_DICT: case T_FILE: case T_OBJECT: case T_VAR:
    case T_TUPLE: case T_CHARPTR: case T_CHAR: case T_NIL:
        return true;
    default:
        return isTypedArray(type);
    }
}

// The member's types differ and cannot be one var (or are assigned): the
// program names the class it means.
void reportAmbiguous(const std::vector<int> &classes, const std::vector<ExprValue> &values,
                     const std::string &member) {
    reportNamed(E_AMBIGUOUS, member);
    std::string kinds;
    for (std::size_t i = 0; i < classes.size() && i < values.size(); i++)
        kinds += (i == 0 ? "" : ", ") + std::string(typeName(values[i].type)) + " in " + classRecord(classes[i]).name;
    hintLastReport("the classes give `" + member + "` different types (" + kinds + "): give the value a class first (`" +
                   classRecord(classes.front()).name + " one = value`) and use `one." + member + "`");
}

// The reports that a later class's branch repeats of an earlier one (the
// same argument refused by both methods) are told once.
void dropRepeatedReports(std::size_t first, std::size_t branchStart) {
    DiagnosticSink &sink = currentSink();
    for (std::size_t i = sink.all().size(); i-- > branchStart;) {
        for (std::size_t earlier = first; earlier < branchStart; earlier++) {
            if (sink.all()[earlier].text == sink.all()[i].text) {
                sink.withdraw(i);
                break;
            }
        }
    }
}

// The classes whose method takes the call's arguments: a program that
// passes a number where one class's method takes a text calls it only on
// the objects of the others, and one whose arguments no method takes is
// told what the methods expect.
std::vector<int> classesTaking(const CallDescriptor &call, const ArgumentLevel &level) {
    std::vector<int> types;
    for (int i = 0; i < level.count; i++)
        types.push_back(level.arguments[static_cast<std::size_t>(i)].type);
    std::vector<int> taking;
    DiagnosticSink &sink = currentSink();
    for (int classIndex : call.classes) {
        const std::size_t before = sink.all().size();
        if (checkProgramArguments(functionRecord(findOwnMethod(classIndex, call.method)), types.data(), level.count))
            taking.push_back(classIndex);
        while (sink.all().size() > before)
            sink.withdraw(sink.all().size() - 1);
    }
    return taking.empty() ? call.classes : taking;
}

bool builtinChangesReceiver(int row) { return builtinRow(row).field[M_UPDATES] != 0; }

}  // namespace

bool beginDispatchedCall(const std::string &method) {
    std::vector<int> classes = candidates(classesDefiningMethod(method));
    if (classes.empty())
        return false;
    CallDescriptor call;
    call.kind = CALL_DISPATCHED;
    call.name = method;
    call.method = method;
    call.classes = std::move(classes);
    calls().pending = std::move(call);
    return true;
}

bool beginDispatchedCallOrBuiltin(const std::string &method, int builtinRow, bool receiverIsVariable) {
    if (builtinRow < 0 || (builtinChangesReceiver(builtinRow) && !receiverIsVariable))
        return false;
    std::vector<int> classes;
    for (int index : classesDefiningMethod(method))
        if (classRecord(index).counted)
            classes.push_back(index);
    if (classes.empty())
        return false;
    mostDerivedFirst(classes);
    CallDescriptor call;
    call.kind = CALL_DISPATCHED;
    call.name = method;
    call.method = method;
    call.classes = std::move(classes);
    call.builtinFallback = builtinRow;
    calls().pending = std::move(call);
    return true;
}

ExprValue closeDispatchedCall(const CallDescriptor &call, const ArgumentLevel &level) {
    std::vector<int> classes = classesTaking(call, level);
    std::vector<ExprValue> results;
    const std::size_t firstReport = currentSink().all().size();
    for (int classIndex : classes) {
        CallDescriptor each;
        int function = -1;
        beginObjectMethod(triedObject(classIndex), call.method, function, each.emitted);
        each.kind = CALL_PROGRAM_FUNCTION;
        each.row = function;
        each.name = call.method;
        const std::size_t branchStart = currentSink().all().size();
        results.push_back(closeProgramCall(each, level));
        dropRepeatedReports(firstReport, branchStart);
    }
    if (call.builtinFallback >= 0) {
        CallDescriptor builtin;
        builtin.kind = CALL_METHOD;
        builtin.row = call.builtinFallback;
        builtin.method = call.method;
        builtin.receiver.text = "_vel_r";
        builtin.receiver.type = T_VAR;
        builtin.receiver.plainName = true;
        builtin.receiver.root = call.receiver.root;
        results.push_back(closeMethodCall(builtin, level));
        classes.push_back(-1);
    }
    std::vector<std::string> branches;
    ExprValue value = results[0];
    std::string result;
    if (sameType(results)) {
        for (const ExprValue &each : results)
            branches.push_back(each.text);
    } else {
        // A method that gives nothing gives nil among those that give a value.
        for (const ExprValue &each : results) {
            if (!fitsInVar(each.type)) {
                reportAmbiguous(classes, results, call.method);
                break;
            }
            branches.push_back(each.type == T_VOID ? "(" + each.text + ", dyn())" : convertValue(T_VAR, each));
        }
        branches.resize(results.size(), "dyn()");
        result = " -> dyn";
        value = ExprValue();
        value.type = T_VAR;
    }
    ReceiverPassing passing = argumentsCallSomething(level) ? RECEIVER_KEPT : RECEIVER_READ;
    if (call.builtinFallback >= 0 && builtinChangesReceiver(call.builtinFallback))
        passing = RECEIVER_CHANGED;
    value.text = dispatchText(classes, branches, result, call.receiver.text, passing);
    value.resultsOf = -1;
    value.results.clear();
    return value;
}

bool dispatchedAttribute(const ExprValue &owner, const std::string &member, ExprValue &value) {
    std::vector<int> classes = candidates(classesDefiningAttribute(member));
    if (classes.empty())
        return false;
    std::vector<ExprValue> reads;
    bool constant = false;
    for (int classIndex : classes) {
        reads.push_back(memberOfObject(triedObject(classIndex), member));
        const Symbol *attribute = findClassAttribute(classIndex, member);
        constant = constant || (attribute != nullptr && isConstantKind(attribute->kind));
    }
    std::vector<std::string> branches;
    value = owner;
    value.writePath.reset();
    value.root = nullptr;
    value.resultsOf = -1;
    value.results.clear();
    const bool same = sameType(reads);
    for (const ExprValue &read : reads)
        branches.push_back(same ? read.text : convertValue(T_VAR, read));
    if (!same && !std::all_of(reads.begin(), reads.end(), [](const ExprValue &read) { return fitsInVar(read.type); }))
        reportAmbiguous(classes, reads, member);
    // Of one type, the attribute itself is reached, as a place: a method
    // that changes it (an array's push) changes the object's.
    value.text = dispatchText(classes, branches, same ? (constant ? " -> const auto &" : " -> auto &") : " -> dyn",
                              owner.text);
    markComputed(value);
    value.type = same ? reads[0].type : T_VAR;
    value.classIndex = same ? reads[0].classIndex : -1;
    if (same && !constant)
        value.writePath = std::make_shared<const WritePath>(nullptr, value.text);
    return true;
}

bool dispatchedAttributeTarget(AssignTarget &target, const std::string &member) {
    std::vector<int> classes = candidates(classesDefiningAttribute(member));
    if (classes.empty())
        return false;
    std::vector<ExprValue> reads;
    std::vector<std::string> branches;
    for (int classIndex : classes) {
        reads.push_back(memberOfObject(triedObject(classIndex), member));
        branches.push_back(reads.back().text);
        const Symbol *attribute = findClassAttribute(classIndex, member);
        if (attribute != nullptr && isConstantKind(attribute->kind)) {
            reportNamed(E_CONSTANT_ASSIGNED, member);
            break;
        }
    }
    target.setter.clear();
    target.setterIsCall = false;
    target.pathIsPointer = false;
    target.nesting = 0;
    target.plainSubscript = false;
    target.classIndex = -1;
    if (reads.size() < classes.size() || !sameType(reads)) {
        // A value of one class's type would be written into another's.
        if (reads.size() == classes.size())
            reportAmbiguous(classes, reads, member);
        target.type = target.valueType = T_UNKNOWN;
        return true;
    }
    target.path = target.readPath = dispatchText(classes, branches, " -> auto &", target.readPath);
    target.type = target.valueType = reads[0].type;
    target.classIndex = reads[0].classIndex;
    return true;
}
