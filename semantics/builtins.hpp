#pragma once
// The built-in methods and functions of Velmora: one table of rows, written
// once as data, that the translator searches and checks calls against and
// that the library tests call row by row.
//
// Method rows: receiver type, updates-receiver flag, form, argument count,
// argument 1 and 2 types, result type. Function rows: form, argument count,
// argument 1 to 4 types, result type. An argument type carries
// BUILTIN_OPTIONAL when the argument may be left out.
#include <cstdint>
#include <string>

struct BuiltinRow {
    const char *name;
    const char *target;  // the C++ name; "" where the row has none
    std::int32_t field[8];
};

constexpr std::int32_t BUILTIN_SEPARATOR = 65535;
constexpr std::int32_t BUILTIN_OPTIONAL = 128;
constexpr int BUILTIN_MAX_ARGUMENTS = 8;

enum MethodField { M_RECEIVER = 0, M_UPDATES = 1, M_FORM = 2, M_COUNT = 3, M_ARG1 = 4, M_ARG2 = 5, M_RESULT = 6 };
enum FunctionField { F_FORM = 0, F_COUNT = 1, F_ARG1 = 2, F_RESULT = 6 };

// The call forms of method rows (and form 2 of the function "swap").
enum CallForm {
    FORM_TARGET_FIRST = 1,   // T(R, args)
    FORM_TARGET_LAST = 2,    // T(args, R)
    FORM_INSERT = 4,         // R.insert(args)
    FORM_MEMBER = 5,         // R.N(args)
    FORM_ASSIGN = 6,         // R= T(args)
    FORM_SPLIT_TARGET = 8,   // head(R, args tail)
    FORM_RECEIVER = 9,       // R alone
    FORM_RETYPE = 10,        // the receiver variable takes the result type
    FORM_STORE = 11,         // dyn::error.set(R.store(args))
    FORM_MEMBER_TARGET = 12, // R.T(args)
    FORM_MEMBER_STORED = 14  // R.N(stored args)
};

const BuiltinRow &builtinRow(int index);
int builtinRowCount();         // every row, the first and the separators included
int methodRowCount();          // 141
int functionRowCount();        // 63
int firstFunctionRow();        // the row after the method separator

// Names match when they have the same length and equal bytes after each
// byte is ORed with 32.
bool builtinNamesMatch(const std::string &name, const char *rowName);

// The method row for a name on a receiver type, or -1.
int findMethod(const std::string &name, int receiverType);
// Whether a function row has the name; its index in `index`.
bool findFunction(const std::string &name, int &index);

// Whether a call of the row changes nothing another operand could read:
// a method that only reads a text or a number, or a function that computes
// from its arguments alone. Operands around such a call need no ordering.
bool builtinChangesNothing(int row);

// A var may hold a text, an array or a dict: of the rows of its method's
// name, the first whose arguments fit the call's, or `row` when none does
// ("insert" of a text takes a text, that of an array any value).
int varMethodRow(int row, const int *argumentTypes, int count);

// Compare the argument types of a call with the row, reporting errors 88
// and 40; whether the call was accepted.
bool checkMethodArgs(int row, const int *argumentTypes, int count);
bool checkFunctionArgs(int row, const int *argumentTypes, int count);

// The type a method row expects for argument i (0-based): its own types
// for the first two, var for the others, 0 beyond its count.
int methodArgumentType(int row, int i);
int functionArgumentType(int row, int i);
