#include "diagnostics/diagnostics.hpp"

#include <cstdio>
#include <cstdlib>

#include "diagnostics/sink.hpp"
#include "semantics/type_codes.hpp"

DiagnosticsState diagnostics;

namespace {

// The template being filled, which its message is reported under.
int templateCode = 0;

const char *const catalogue[] = {
    "unknown error",                                              // 0
    "syntax error",
    "semantic error",
    "not a Velmora statement",
    "not a part of the common language",
    "can't use this feature here",                                // 5
    "bad while, let used twice",
    "case expected",
    "case block expected",
    "always block expected",
    "a literal is not allowed here or this method with a literal",  // 10
    "this range symbol should not be used without right value",
    "illegal interval",
    "return misplaced",
    "bad function used with scan by",
    "statement outside function",                                 // 15
    "arrays required here",
    "can't put index on a range",
    "static method can't use dynamic attribute",
    "only equal works here",
    "multiple inheritance not yet available",                     // 20
    "keys must be texts",
    "constructor must return void",
    "not a velmora type",
    "declaration must precede the constructor",
    "requires a name of function as literal string",              // 25
    "this operator requires either two booleans or two arrays",
    "require Php 5",
    "not accessible from a class",
    "class not defined",
    "function not defined",                                       // 30
    "is not a static attribute",
    "not a declared instance",
    "method not found",
    "attribute not found",
    "already declared",                                           // 35
    "used before assignment",
    "unknow scope",
    "doesn't match in operator",
    "is constant, can't be assigned",
    "called with bad arguments",                                  // 40
    "has no method",
    "duplicate name",
    "is ambiguous",
    "bad argument in",
    "bad return type in",                                         // 45
    "not declared",
    "incompatible function as parameter",
    "not the constructor",
    "cannot be used here",
    "unexpected",                                                 // 50
    "not a valid indice",
    "declared with different case",
    "boolean",
    "binary",
    "relational",                                                 // 55
    "array",
    "shift",
    "add or substract",
    "multiply",
    "divide",                                                     // 60
    "modulo",
    "such",
    "match",
    "in",
    "if",                                                         // 65
    "do while",
    "call",
    "declaration",
    "",
    "as global",                                                  // 70
    "in class",
    "in a block",
    "in function",
    "in builtins",
    "",                                                           // 75
    "dynamic list",
    "sequence",
    "integer",
    "\"$\" not declared, or \"$\" method not defined",
    "can't solve $ expression on $ and $",                        // 80
    "$ required, found $",
    "\"$\" already declared $",
    "can't assign to $, from $",
    "$ required, attempting to assign $ values",
    "bad $ syntax",                                               // 85
    "$ is $, instance required",
    "$ \"$\" call, $ expected, $ found",
    "\"$\" requires $ argument$, $ found",
    "\"$\" must return $ and not $ values",
    "unbalanced XML tag",                                         // 90
    "",                                                           // end slot
};

constexpr int lastCode = 90;
static_assert(sizeof(catalogue) / sizeof(catalogue[0]) == lastCode + 2,
              "the catalogue holds codes 0..90 and an empty end slot");

std::string location(int line) { return diagnostics.sourceName + " L" + std::to_string(line) + ": "; }

// A located message of the catalogue's layout on `line`; `name` is the word
// it quotes, which the columns point at.
void deliver(int code, const std::string &message, int line, const std::string &name = "",
             DiagnosticKind kind = DiagnosticKind::numbered, const std::string &hint = "") {
    Diagnostic diagnostic;
    diagnostic.hint = hint;
    diagnostic.kind = kind;
    diagnostic.code = code;
    diagnostic.file = diagnostics.sourceName;
    diagnostic.line = line;
    diagnostic.message = message;
    diagnostic.text = location(line) + message;
    currentSink().add(std::move(diagnostic), name);
}
void deliver(int code, const std::string &message) { deliver(code, message, diagnostics.lineCounter); }

// A line of the translator's own layout, without the catalogue's place.
void deliverUnlocated(DiagnosticKind kind, int code, const std::string &text) {
    Diagnostic diagnostic;
    diagnostic.kind = kind;
    diagnostic.code = code;
    diagnostic.file = diagnostics.sourceName;
    diagnostic.line = diagnostics.lineCounter;
    diagnostic.message = text;
    diagnostic.text = text;
    currentSink().add(std::move(diagnostic));
}

// Every formatted report ends the same way once its places are filled.
void writeFilledMessage(int line) { deliver(templateCode, diagnostics.messageBuffer + ".", line); }
void writeFilledMessage() { writeFilledMessage(diagnostics.lineCounter); }

void startTemplate(int code) {
    templateCode = code;
    diagnostics.messageBuffer = catalogueText(code);
}

}  // namespace

void beginSourceReports(const std::string &sourceName) {
    diagnostics.sourceName = sourceName;
    diagnostics.lineCounter = 1;
}

void countLineEnd() { diagnostics.lineCounter++; }

void countLinesIn(const std::string &text) {
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            diagnostics.lineCounter++;
    }
}

const char *catalogueText(int code) {
    if (code < 0 || code > lastCode)
        return "";
    return catalogue[code];
}

void fillPlaceholder(const std::string &text) {
    std::string &buffer = diagnostics.messageBuffer;
    std::string::size_type place = buffer.find('$');
    if (place == std::string::npos)
        return;
    buffer = buffer.substr(0, place) + text + buffer.substr(place + 1);
}

void reportError(int code) { deliver(code, std::string(catalogueText(code)) + "."); }

void reportNamed(int code, const std::string &name) {
    deliver(code, "\"" + name + "\" " + catalogueText(code), diagnostics.lineCounter, name);
}

void reportNamed(int code, const std::string &name, const std::string &hint) {
    deliver(code, "\"" + name + "\" " + catalogueText(code), diagnostics.lineCounter, name, DiagnosticKind::numbered,
            hint);
}

void reportAlreadyDeclared(const std::string &name) { reportNamed(E_ALREADY_DECLARED, name); }

void reportDuplicateName(const std::string &name) { reportNamed(E_DUPLICATE_NAME, name); }

void reportSyntaxError() { reportError(E_SYNTAX); }

void reportSemanticError() { reportError(E_SEMANTIC); }

void reportInternal(int number) {
    deliverUnlocated(DiagnosticKind::internal, 0,
                     "Internal error [" + std::to_string(number) + "] line " + std::to_string(diagnostics.lineCounter));
}

void fatalInternal(int number) {
    reportInternal(number);
    std::exit(1);
}

void fatalMessage(const std::string &text) {
    std::fflush(stderr);
    std::fputs(text.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
    std::exit(1);
}

void reportStackUnderflow(const std::string &stackName) {
    reportInternal(0);
    deliver(0, "stack underflow in " + stackName + ".", diagnostics.lineCounter, "", DiagnosticKind::internal);
}

void reportUnknownAction(const std::string &text, int number) {
    deliver(0, "unknown action #" + std::to_string(number) + " on " + text, diagnostics.lineCounter, "",
            DiagnosticKind::internal);
}

void reportOperands(int classWord, int leftType, int rightType) {
    reportOperands(classWord, std::string(typeName(leftType)), std::string(typeName(rightType)));
}

void reportOperands(int classWord, const std::string &left, const std::string &right) {
    startTemplate(TPL_CANT_SOLVE);
    fillPlaceholder(catalogueText(classWord));
    fillPlaceholder(left);
    fillPlaceholder(right);
    writeFilledMessage();
}

void reportRequiredKind(int kind, int foundType) {
    startTemplate(TPL_REQUIRED_FOUND);
    fillPlaceholder(catalogueText(W_KIND_NONE + kind));
    fillPlaceholder(typeName(foundType));
    writeFilledMessage();
}

void reportRequiredFound(const std::string &required, const std::string &found) {
    startTemplate(TPL_REQUIRED_FOUND);
    fillPlaceholder(required);
    fillPlaceholder(found);
    writeFilledMessage();
}

void reportReservedWord(int line, const std::string &word) {
    startTemplate(TPL_REQUIRED_FOUND);
    fillPlaceholder("a name");
    fillPlaceholder("the reserved word \"" + word + "\"");
    writeFilledMessage(line);
}

void reportTypeCalled(int line, const std::string &type, const std::string &conversion) {
    startTemplate(TPL_REQUIRED_FOUND);
    fillPlaceholder("a conversion such as x." + conversion + "()");
    fillPlaceholder("the type \"" + type + "\" called as a function");
    writeFilledMessage(line);
}

void reportRedeclaration(const std::string &name, int scopeWord) {
    startTemplate(TPL_ALREADY_DECLARED_IN);
    fillPlaceholder(name);
    fillPlaceholder(catalogueText(scopeWord));
    // On the name declared again, not on the whole declaration.
    deliver(templateCode, diagnostics.messageBuffer + ".", diagnostics.lineCounter, name);
}

void reportAssignment(int targetType, int sourceType) {
    startTemplate(TPL_CANT_ASSIGN);
    fillPlaceholder(typeName(targetType));
    fillPlaceholder(typeName(sourceType));
    writeFilledMessage();
}

void reportAssignmentCount(int required, int given) {
    startTemplate(TPL_ASSIGN_COUNT);
    fillPlaceholder(std::to_string(required));
    fillPlaceholder(std::to_string(given));
    writeFilledMessage();
}

void reportConstructSyntax(int constructWord) {
    startTemplate(TPL_BAD_SYNTAX);
    fillPlaceholder(catalogueText(constructWord));
    writeFilledMessage();
}

void reportInstance(const std::string &a, const std::string &b) {
    startTemplate(TPL_INSTANCE_REQUIRED);
    fillPlaceholder(a);
    fillPlaceholder(b);
    writeFilledMessage();
}

void reportCall(int word, const std::string &function, int expectedType, int foundType) {
    reportCall(word, function, std::string(typeName(expectedType)), std::string(typeName(foundType)));
}

void reportCall(int word, const std::string &function, const std::string &expected, const std::string &found) {
    startTemplate(TPL_CALL);
    fillPlaceholder(catalogueText(word));
    fillPlaceholder(function);
    fillPlaceholder(expected);
    fillPlaceholder(found);
    writeFilledMessage();
}

void reportArgumentCount(const std::string &function, int expected, int found, ArgumentPlural plural) {
    startTemplate(TPL_ARGUMENT_COUNT);
    fillPlaceholder(function);
    fillPlaceholder(std::to_string(expected));
    bool many = plural == ARGUMENT_PLURAL_UNLESS_ONE ? expected != 1 : expected >= 2;
    fillPlaceholder(many ? "s" : "");
    fillPlaceholder(std::to_string(found));
    writeFilledMessage();
}

void reportReturn(int templateCode, const std::string &function, int typeA, int typeB) {
    startTemplate(templateCode);
    fillPlaceholder(function);
    fillPlaceholder(typeName(typeA));
    fillPlaceholder(typeName(typeB));
    writeFilledMessage();
}

void reportReturnCount(const std::string &function, int declared, int given) {
    startTemplate(TPL_RETURN_COUNT);
    fillPlaceholder(function);
    fillPlaceholder(std::to_string(declared));
    fillPlaceholder(std::to_string(given));
    writeFilledMessage();
}

void reportStackOverflow(const std::string &stackName) {
    reportInternal(0);
    deliver(0, "stack overflow in " + stackName + ".", diagnostics.lineCounter, "", DiagnosticKind::internal);
}

void reportLimit(const std::string &construct, int limit, int found) {
    reportRequiredFound("at most " + std::to_string(limit) + " " + construct, std::to_string(found));
}

void warnSuperIgnored() {
    deliverUnlocated(DiagnosticKind::warning, 0,
                     "Warning: super ignored in method body line:" + std::to_string(diagnostics.lineCounter));
}

void reportSyntax(int line, int column, int endColumn, const std::string &message, const std::string &hint) {
    Diagnostic diagnostic;
    diagnostic.kind = DiagnosticKind::syntax;
    diagnostic.code = E_SYNTAX;
    diagnostic.file = diagnostics.sourceName;
    diagnostic.line = line;
    diagnostic.column = column;
    diagnostic.endColumn = endColumn;
    diagnostic.message = message;
    diagnostic.text = syntaxLine(diagnostics.sourceName, line, column, message);
    diagnostic.hint = hint;
    currentSink().add(std::move(diagnostic));
}

void hintLastReport(const std::string &hint) { currentSink().hintLast(hint); }

void printSummary(int count, bool quiet) {
    if (count != 0 || !quiet)
        std::printf("%s, compiled %d lines", diagnostics.sourceName.c_str(), diagnostics.lineCounter - 1);
    if (count > 0) {
        if (count == 1)
            std::fputs(", there is 1 error", stdout);
        else
            std::printf(", there are %d errors", count);
    }
    if (!(count == 0 && quiet))
        std::fputs("\n", stdout);
}
