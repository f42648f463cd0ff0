#include "builtin_rows.hpp"

#include <set>
#include <string>
#include <vector>

#include "semantics/builtins.hpp"
#include "semantics/types.hpp"

namespace {

// Calls that end the program or start processes are compiled but not run.
const std::set<std::string> NOT_RUN = {"die", "exit", "exec", "system"};

std::string keywordOf(int type) {
    switch (type) {
    case T_BOOLEAN: return "bool";
    case T_NUMBER: return "number";
    case T_INTEGER: return "int";
    case T_REAL: return "real";
    case T_NATURAL: return "natural";
    case T_TEXT: return "text";
    case T_ARRAY: case T_LIST: return "array";
    case T_DICT: return "dict";
    case T_FILE: return "file";
    case T_OBJECT: return "object";
    case T_FUNCTION: return "function";
    case T_CHARPTR: return "cstring";
    case T_INTARRAY: return "int[]";
    case T_TEXTARRAY: return "text[]";
    case T_REALARRAY: return "real[]";
    case T_NATURALARRAY: return "natural[]";
    case T_NUMBERARRAY: return "number[]";
    default: return "var";
    }
}

bool printable(int type) {
    return type != T_FILE && type != T_FUNCTION && type != T_OBJECT && type != T_DIR && type != T_VOID;
}

std::string argumentOf(int type) {
    switch (type & ~BUILTIN_OPTIONAL) {
    case T_CHARPTR: return "\",\"";
    case T_TEXT: return "\"k\"";
    case T_INTEGER: return "1";
    case T_FUNCTION: return "fn";
    case T_BOOLEAN: return "true";
    case T_DICT: return "{\"z\": 3}";
    case T_NUMBER: return "2.5";
    case T_REAL: return "1.5";
    case T_NATURAL: return "2n";
    case T_DIR: return "folder";
    default: return "1";
    }
}

// Variables of every numeric kind, declared at the start of the program, so
// that a numeric argument is passed as a literal and as each of them.
const char *const NUMERIC_VARIABLES = "var kv = 1\nint ki = 1\nreal kr = 1.5\nnatural kn = 2n\n";
const char *const NUMERIC_ARGUMENTS[] = {"kv", "ki", "kr", "kn"};

bool numericParameter(int type) {
    type &= ~BUILTIN_OPTIONAL;
    return type == T_INTEGER || type == T_NUMBER || type == T_REAL || type == T_NATURAL || type == T_VAR;
}

std::string joined(const std::vector<std::string> &arguments, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; i++)
        text += (i ? ", " : "") + arguments[i];
    return text;
}

// The argument lists to try: the required arguments, all of them when some
// may be left out, and all of them again with each numeric one passed as a
// variable of each numeric kind.
std::vector<std::string> argumentLists(const std::vector<int> &types) {
    std::vector<std::string> arguments;
    size_t required = 0;
    for (int type : types) {
        if (type == 0)
            break;
        arguments.push_back(argumentOf(type));
        if (!(type & BUILTIN_OPTIONAL))
            required = arguments.size();
    }
    std::vector<std::string> lists{joined(arguments, required)};
    if (required < arguments.size())
        lists.push_back(joined(arguments, arguments.size()));
    for (size_t i = 0; i < arguments.size(); i++) {
        if (!numericParameter(types[i]))
            continue;
        for (const char *variable : NUMERIC_ARGUMENTS) {
            std::vector<std::string> varied = arguments;
            varied[i] = variable;
            lists.push_back(joined(varied, arguments.size()));
        }
    }
    return lists;
}

struct Receiver {
    int type;
    std::string declaration;  // declares `x`
};

// What a var receiver holds for a row found among another type's rows.
std::string varHolding(int rowReceiver) {
    switch (rowReceiver) {
    case T_TEXT: return "var x = \"a,b\"";
    case T_ARRAY: return "var x = [3, 1, 2]";
    case T_DICT: return "var x = {\"k\": 1, \"j\": 2}";
    case T_FILE: return "var x = 0";
    case T_VAR: return "var x = \"12\"";
    default: return "var x = 2.5";
    }
}

class ProgramWriter {
public:
    ProgramWriter() {
        text = std::string("int never = 0\nfunction fn = null\nvar folder = opendir(\".\")\n") + NUMERIC_VARIABLES;
    }

    void call(const std::string &setup, const std::string &callText, int resultType, bool run) {
        int n = calls++;
        text += run ? "if never = 0\n" : "if never = 1\n";
        text += "    " + setup + "\n";
        if (resultType == T_VOID) {
            text += "    " + callText + "\n";
        } else {
            std::string result = "r" + std::to_string(n);
            text += "    " + keywordOf(resultType) + " " + result + " = " + callText + "\n";
            if (printable(resultType))
                text += "    print \"" + std::to_string(n) + " \", " + result + "\n";
        }
        text += "/if\n";
    }

    std::string text;
    int calls = 0;
};

int resultOn(int row, int receiverType) {
    int result = builtinRow(row).field[M_RESULT];
    if (isTypedArray(receiverType) && result == T_ARRAY)
        return receiverType;
    return result;
}

void methodCalls(ProgramWriter &program, const Receiver &receiver) {
    std::set<std::string> seen;
    for (int row = 1; row <= methodRowCount(); row++) {
        const BuiltinRow &candidate = builtinRow(row);
        if (!seen.insert(candidate.name).second)
            continue;
        int found = findMethod(candidate.name, receiver.type);
        if (found < 0)
            continue;
        const BuiltinRow &r = builtinRow(found);
        std::string setup = receiver.type == T_VAR ? varHolding(r.field[M_RECEIVER]) : receiver.declaration;
        if (receiver.type == T_FILE && std::string(r.name) != "open")
            setup += "\n    x.open(\"rows.txt\", \"a+\")";
        std::vector<int> types{r.field[M_ARG1], r.field[M_ARG2]};
        for (const std::string &arguments : argumentLists(types))
            program.call(setup, "x." + std::string(r.name) + "(" + arguments + ")", resultOn(found, receiver.type), true);
    }
}

void functionCalls(ProgramWriter &program) {
    for (int row = firstFunctionRow(); row < builtinRowCount() - 1; row++) {
        const BuiltinRow &r = builtinRow(row);
        std::string name = r.name;
        if (r.field[F_FORM] == FORM_TARGET_LAST) {
            program.call("int x = 1\n    int y = 2", name + "(x, y)", T_VOID, true);
            continue;
        }
        std::vector<int> types{r.field[F_ARG1], r.field[F_ARG1 + 1], r.field[F_ARG1 + 2], r.field[F_ARG1 + 3]};
        for (const std::string &arguments : argumentLists(types))
            program.call("int unused = 0", name + "(" + arguments + ")", r.field[F_RESULT], NOT_RUN.count(name) == 0);
    }
}

ProgramWriter writeProgram() {
    const std::vector<Receiver> receivers = {
        {T_NUMBER, "number x = 2.5"},
        {T_INTEGER, "int x = 7"},
        {T_REAL, "real x = 1.5"},
        {T_NATURAL, "natural x = 3n"},
        {T_TEXT, "text x = \"a,b\""},
        {T_ARRAY, "array x = [3, \"x\", 1.5]"},
        {T_DICT, "dict x = {\"k\": 1, \"j\": 2}"},
        {T_VAR, ""},
        {T_FILE, "file x"},
        {T_INTARRAY, "int[] x = [3, 1, 2]"},
        {T_TEXTARRAY, "text[] x = [\"b\", \"a\"]"},
        {T_REALARRAY, "real[] x = [2.5, 1.5]"},
        {T_NATURALARRAY, "natural[] x = [2, 1]"},
        {T_NUMBERARRAY, "number[] x = [2.5, 1]"},
    };
    ProgramWriter program;
    for (const Receiver &receiver : receivers)
        methodCalls(program, receiver);
    functionCalls(program);
    program.text += "print \"done\"\n";
    return program;
}

}  // namespace

std::string builtinRowsProgram() { return writeProgram().text; }

int builtinRowsCallCount() { return writeProgram().calls; }
