#pragma once
// Numbered diagnostics: the message catalogue, the report operations and
// the position every located line names. Each report goes to the current
// sink (sink.hpp), which counts it.
#include <string>

#include "diagnostics/sink.hpp"

struct DiagnosticsState {
    std::string messageBuffer;   // the template being filled
    std::string sourceName;      // the source being translated, as lines name it
    int lineCounter = 1;         // its line: 1 at the start, plus 1 per line end read
};

extern DiagnosticsState diagnostics;

// A new source: its name and line 1.
void beginSourceReports(const std::string &sourceName);
// One line end of the source has been read.
void countLineEnd();
// The line ends inside a text that spans lines: "\n", "\r\n" or a lone "\r".
void countLinesIn(const std::string &text);

// Catalogue codes that the translator names: E_ a message, W_ a word that
// fills a template's "$" place, TPL_ a template (type codes are T_).
enum ErrorCode {
    E_SYNTAX = 1, E_SEMANTIC = 2, E_LET_TWICE = 6, E_CASE_EXPECTED = 7,
    E_CASE_BLOCK_EXPECTED = 8, E_ALWAYS_BLOCK_EXPECTED = 9, E_LITERAL_NOT_ALLOWED = 10,
    E_ILLEGAL_INTERVAL = 12, E_RETURN_MISPLACED = 13, E_STATEMENT_OUTSIDE_FUNCTION = 15,
    E_INDEX_ON_RANGE = 17,
    E_STATIC_DYNAMIC = 18, E_ONLY_EQUAL = 19, E_MULTIPLE_INHERITANCE = 20,
    E_KEYS_TEXTS = 21, E_CONSTRUCTOR_VOID = 22, E_DECLARATION_BEFORE_CONSTRUCTOR = 24,
    E_FUNCTION_NAME_LITERAL = 25, E_NOT_ACCESSIBLE = 28, E_CLASS_NOT_DEFINED = 29,
    E_FUNCTION_NOT_DEFINED = 30, E_NOT_STATIC = 31, E_NOT_INSTANCE = 32,
    E_METHOD_NOT_FOUND = 33, E_ATTRIBUTE_NOT_FOUND = 34, E_ALREADY_DECLARED = 35, E_USED_BEFORE_ASSIGNMENT = 36,
    E_UNKNOWN_SCOPE = 37, E_IN_MISMATCH = 38, E_CONSTANT_ASSIGNED = 39,
    E_BAD_ARGUMENTS = 40, E_NO_METHOD = 41, E_DUPLICATE_NAME = 42, E_AMBIGUOUS = 43,
    E_BAD_ARGUMENT_IN = 44, E_BAD_RETURN_TYPE_IN = 45, E_NOT_DECLARED = 46,
    E_INCOMPATIBLE_FUNCTION = 47, E_CANNOT_BE_USED = 49, E_UNEXPECTED = 50,
    E_DIFFERENT_CASE = 52,
    W_BOOLEAN = 53, W_BINARY = 54, W_RELATIONAL = 55, W_ARRAY = 56, W_SHIFT = 57,
    W_ADD = 58, W_MULTIPLY = 59, W_DIVIDE = 60, W_MODULO = 61, W_SUCH = 62,
    W_MATCH = 63, W_IN = 64, W_IF = 65, W_DO_WHILE = 66, W_CALL = 67, W_DECLARATION = 68,
    W_SCOPE_NONE = 69, W_AS_GLOBAL = 70, W_IN_CLASS = 71, W_IN_BLOCK = 72,
    W_IN_FUNCTION = 73, W_IN_BUILTINS = 74,
    W_KIND_NONE = 75, W_DYNAMIC_LIST = 76, W_SEQUENCE = 77, W_KIND_INTEGER = 78,
    TPL_NOT_DECLARED_OR_METHOD = 79, TPL_CANT_SOLVE = 80, TPL_REQUIRED_FOUND = 81,
    TPL_ALREADY_DECLARED_IN = 82, TPL_CANT_ASSIGN = 83, TPL_ASSIGN_COUNT = 84,
    TPL_BAD_SYNTAX = 85, TPL_INSTANCE_REQUIRED = 86, TPL_CALL = 87, TPL_ARGUMENT_COUNT = 88,
    TPL_RETURN_COUNT = 89, E_UNBALANCED_XML = 90
};

// The catalogue text of a code 0..90 (an empty text outside).
const char *catalogueText(int code);

void reportError(int code);                              // "F LL: text."
void reportNamed(int code, const std::string &name);     // "F LL: \"name\" text"
// The same line with a hint the caller knows better than the usual ones.
void reportNamed(int code, const std::string &name, const std::string &hint);
void reportAlreadyDeclared(const std::string &name);     // code 35
void reportDuplicateName(const std::string &name);       // code 42
void reportSyntaxError();                                // code 1
void reportSemanticError();                              // code 2
void reportInternal(int number);
[[noreturn]] void fatalInternal(int number);
[[noreturn]] void fatalMessage(const std::string &text);
void reportStackUnderflow(const std::string &stackName);
void reportUnknownAction(const std::string &text, int number);

// Formatted reports: each fills a template and writes one located line.
void reportOperands(int classWord, int leftType, int rightType);   // 80
// 80 with the operands' kinds written out (the classes of objects).
void reportOperands(int classWord, const std::string &left, const std::string &right);
void reportRequiredKind(int kind, int foundType);                  // 81
void reportRequiredFound(const std::string &required, const std::string &found);  // 81
// 81 on the line of a keyword written where a name belongs: "a name required,
// found the reserved word "step"". The reader of the word is ahead of the
// parser's line count, so the line is the word's own.
void reportReservedWord(int line, const std::string &word);
// A type written like a conversion function (`int(2.5)`), with the method
// that converts to it.
void reportTypeCalled(int line, const std::string &type, const std::string &conversion);
void reportRedeclaration(const std::string &name, int scopeWord);  // 82
void reportAssignment(int targetType, int sourceType);             // 83
void reportAssignmentCount(int required, int given);               // 84
void reportConstructSyntax(int constructWord);                     // 85
void reportInstance(const std::string &a, const std::string &b);   // 86
void reportCall(int word, const std::string &function, int expectedType, int foundType); // 87
// 87 with the expected and found kinds written out (the classes of objects).
void reportCall(int word, const std::string &function, const std::string &expected, const std::string &found);
// A program function's count takes the plural from 2 on; a built-in's
// whenever it is not one ("0 arguments").
enum ArgumentPlural { ARGUMENT_PLURAL_FROM_TWO, ARGUMENT_PLURAL_UNLESS_ONE };
void reportArgumentCount(const std::string &function, int expected, int found,
                         ArgumentPlural plural = ARGUMENT_PLURAL_FROM_TWO);                  // 88
void reportReturn(int templateCode, const std::string &function, int typeA, int typeB); // 89
void reportReturnCount(const std::string &function, int declared, int given);           // 89

// Replaces the first "$" of messageBuffer with text.
void fillPlaceholder(const std::string &text);

// A fixed stack of the translator pushed past its capacity: an internal
// error followed by a located "stack overflow in <name>." line.
void reportStackOverflow(const std::string &stackName);
// A limit of the language that the source passes (81): "at most 128
// nested blocks required, found 129."
void reportLimit(const std::string &construct, int limit, int found);
// The one warning: "super" in a method body is ignored (not counted).
void warnSuperIgnored();

// A syntax error of the parser or the lexer, in the language's words:
// "F Lline:column: message" (no column when it is 0), on standard error,
// counted.
void reportSyntax(int line, int column, int endColumn, const std::string &message,
                  const std::string &hint = "");
// What to write instead, for the message just reported.
void hintLastReport(const std::string &hint);

// The line printed after each translated source; with quiet, only for a
// source with errors.
void printSummary(int count, bool quiet);
