// Statements and the control structures other than loops: blocks, the
// branch chains of switch, composite if and do-case, try and catch, and
// the contexts that give a syntax error a message of its own.
#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"
#include <cctype>
#include "semantics/spellings.hpp"
#include "semantics/native_constants.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/symbols.hpp"
#include "semantics/classes.hpp"
#include "VLTokenTypes.hpp"
#include "translator/statement_parts.hpp"

namespace {

SyntaxContext &syntaxContext() { return translation().syntaxContext; }

BranchFrame &currentBranches() {
    return statements().branches.top();
}

ExprValue subjectValue() {
    ExprValue subject;
    subject.text = currentBranches().subject;
    subject.type = currentBranches().subjectType;
    subject.classIndex = currentBranches().subjectClass;
    subject.plainName = true;
    return subject;
}

}  // namespace

// The nesting guard keeps blocks within the symbol table's block scopes;
// past them the translation would be wrong, and ends.
void enterNestedBlock() {
    if (scopes().blockDepth + 1 >= BLOCK_DEPTH_CAPACITY) {
        reportStackOverflow("block scope");
        throw NestingTooDeep("blocks nested too deeply");
    }
    enterBlock();
}

std::string labelName(int number) {
    std::string name = "_lab_";
    for (char c : translatedSource().fileName)
        name += (isalnum((unsigned char)c) || c == '_') ? c : '_';
    return name + std::to_string(number);
}

SyntaxContext enterSyntaxContext(int kind) {
    SyntaxContext previous = syntaxContext();
    syntaxContext() = SyntaxContext();
    syntaxContext().kind = kind;
    return previous;
}

SyntaxContext suspendSyntaxContext() {
    return enterSyntaxContext(SYNTAX_PLAIN);
}

void restoreSyntaxContext(const SyntaxContext &previous) {
    syntaxContext() = previous;
}

bool reportInSyntaxContext() {
    if (syntaxContext().kind == SYNTAX_PLAIN)
        return false;
    if (!syntaxContext().reported) {
        syntaxContext().reported = true;
        if (syntaxContext().kind == SYNTAX_IF)
            reportConstructSyntax(W_IF);
        else if (syntaxContext().kind == SYNTAX_CALL)
            reportConstructSyntax(W_CALL);
        else
            reportError(syntaxContext().kind == SYNTAX_FIRST_CASE ? E_CASE_EXPECTED : E_CASE_BLOCK_EXPECTED);
    }
    return true;
}

int currentSyntaxContext() { return syntaxContext().kind; }

bool syntaxContextFailed() { return syntaxContext().reported; }

void reportSyntaxFailure(int kind) {
    if (syntaxContext().kind == kind && syntaxContext().reported)
        return;
    enterSyntaxContext(kind);
    reportInSyntaxContext();
}

void beginStatement() {
    writeIndent();
    resetExpressionState();
}

void writeStatementComment(const std::string &tokenText) {
    emit("//" + tokenText.substr(1));
    countLineEnd();
}

void writeNative(const std::string &tokenText) {
    noteObjectsMayBeReleased();
    std::string inner = tokenText.size() >= 4 ? tokenText.substr(2, tokenText.size() - 4) : "";
    // The C++ is the user's: what its compiler says of it is placed on the
    // user's own lines, which the text keeps one for one.
    mapSourceLineOnNewLine();
    emit(inner);
    noteNativeDefinitions(inner);
    countLinesIn(inner);
}

namespace {

int blocksOpen() { return scopes().blockDepth + scopes().blockOverflow; }

}  // namespace

BlockNestingGuard::BlockNestingGuard()
    : depth_(blocksOpen()), indent_(output().indentLevel), loops_(statements().loops.size()),
      branches_(statements().branches.size()) {
    if (++statements().nesting > BLOCK_NESTING_LIMIT) {
        int found = statements().nesting--;
        reportLimit("nested blocks", BLOCK_NESTING_LIMIT, found);
        throw NestingTooDeep("blocks nested too deeply");
    }
}

BlockNestingGuard::~BlockNestingGuard() {
    statements().nesting--;
    while (blocksOpen() > depth_)
        leaveBlock();
    output().indentLevel = indent_;
    statements().loops.keep(loops_);
    statements().branches.keep(branches_);
}

void writeExpressionStatement(const ExprValue &value) {
    // A value that calls nothing is computed for nothing, which clang warns of.
    if (value.effects)
        emit(value.text);
    else
        emit("(void)(" + value.text + ")");
}

void writeStatementEnd() { emit(";\n"); }

void writeAtWord(const std::string &tokenText) {
    noteObjectsMayBeReleased();
    emit(tokenText.substr(1) + " ");
}

void enterControlBlock() {
    enterNestedBlock();
    output().indentLevel++;
}

void leaveControlBlock() {
    leaveBlock();
    output().indentLevel--;
}

void writeControlLine(const std::string &text) {
    emit(text + "\n");
    writeIndent();
    emit("{\n");
    output().blankLines = 2;
}

void writeIfLine(const ExprValue &condition) { writeControlLine("if(" + controlConditionText(condition) + ")"); }

void writeErrorLine() { writeControlLine("if(dyn::error==false)"); }

void beginTry() {
    writeControlLine("try");
    enterControlBlock();
}

void writeClosingBrace() {
    writeIndent();
    emit("}\n");
}

void writeElse() {
    writeIndent();
    emit("else\n");
    writeIndent();
    emit("{\n");
    output().blankLines = 2;
}

void beginBranches(const ExprValue &subject, bool isSwitch) {
    pushBranches();
    BranchFrame &frame = currentBranches();
    frame.subjectType = subject.type;
    frame.subjectClass = subject.classIndex;
    frame.isSwitch = isSwitch;
    if (subject.plainName) {
        frame.subject = subject.text;
        return;
    }
    // The subject is held in its own type, which its cases are compared
    // with: held in a var, a case past the range of an int would be cast
    // from the var.
    frame.subject = newTemp();
    emit(loopVariableSpelling(subject.type) + frame.subject + "=" + subject.text + ";\n");
    writeIndent();
}

// A further branch is an "else if" of the one before, not a block nested
// in its else: a long chain would otherwise nest as deep as it has branches,
// past what compilers take. Its condition is an expression alone, with no
// statement of its own to write before it.
void nextBranch() {
    writeIndent();
    emit("else ");
}

void endBranches(bool isSwitch) {
    if (isSwitch)
        emit("\n");
    popBranches();
}

namespace {

std::string branchComparison(int comparisonToken, const ExprValue &value) {
    ExprValue subject = subjectValue();
    return comparison(subject, comparisonToken, value).text;
}

std::string branchRange(const ExprValue &low, const ExprValue &high, bool inclusive) {
    return inRange(subjectValue(), low, high, inclusive, false).text;
}

std::string branchContainer(const ExprValue &container) {
    return inContainer(subjectValue(), container, false).text;
}

std::string caseEquals(const ExprValue &value) {
    return branchComparison(VLTokenTypes::EQUAL, value);
}

std::string caseRange(ExprValue low, ExprValue high, bool inclusive) {
    ExprValue subject = subjectValue();
    OperandOrder order({&subject, &low, &high});
    std::string text = "(" + boundTest(subject, ">=", low) + " && " + boundTest(subject, inclusive ? "<=" : "<", high, high.type != low.type) + ")";
    ExprValue test;
    test.text = std::move(text);
    test.type = T_BOOLEAN;
    return order.finish(std::move(test)).text;
}

}  // namespace

void writeComparisonBranch(int comparisonToken, const ExprValue &value) {
    writeControlLine("if(" + branchComparison(comparisonToken, value) + ")");
}

void writeInBranch(const RangeOrValue &tested) {
    writeControlLine("if(" + (tested.isRange ? branchRange(tested.low, tested.high, tested.inclusive)
                                             : branchContainer(tested.value)) + ")");
}

std::string caseTest(const RangeOrValue &tested) {
    return tested.isRange ? caseRange(tested.low, tested.high, tested.inclusive) : caseEquals(tested.value);
}

void writeCaseLine(const std::vector<std::string> &tests) {
    std::string condition = tests.front();
    for (std::size_t i = 1; i < tests.size(); i++)
        condition += " || " + tests[i];
    writeControlLine("if(" + condition + ")");
}

void beginCatch(const std::string &className, const std::string &variable) {
    // Only instances of the program's classes are thrown and caught.
    int classIndex = findClass(className);
    if (classIndex < 0)
        reportNamed(E_CLASS_NOT_DEFINED, className);
    else
        indexClassUsed(classIndex, className);
    writeIndent();
    emit("catch(" + typeNameSpelling(className) + " *" + emittedNameFor(variable) + ")\n");
    writeIndent();
    emit("{\n");
    output().blankLines = 2;
    enterControlBlock();
    DeclaredAs declared;
    declared.type = T_OBJECT;
    declared.classIndex = classIndex;
    declare(variable, declared, SYMBOL_ASSIGNED);
}

void writeEmptyCatch() {
    writeIndent();
    emit("catch(...)\n");
    writeIndent();
    emit("{\n");
    writeClosingBrace();
}
