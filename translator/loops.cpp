// Loops: while, do, the for loops over a range or a container, and the
// labels that break and continue jump to.
#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include "translator/look_ahead.hpp"
#include <climits>
#include "semantics/spellings.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/symbols.hpp"
#include "semantics/classes.hpp"
#include "translator/statement_parts.hpp"

namespace {

LoopFrame &currentLoop() {
    return statements().loops.top();
}

void pushLoop(int kind) {
    noteLoopInMain();
    LoopFrame loop;
    loop.kind = kind;
    loop.labelBase = statements().nextLabel;
    statements().loops.push(loop);
    statements().nextLabel += 2;
}

void popLoop() {
    statements().loops.pop();
}

void writeLabelLine(int number) {
    writeIndent();
    emit(labelName(number) + ":;\n");
}

int variableType(const std::string &name, int fallback);

// Declares a loop variable that the program has not declared, so that
// "for i in 1..10" works without a declaration of i. Returns the C++ type
// to write before the variable, empty when it was declared already.
std::string declareLoopVariable(int declaredType, const std::string &name, int impliedType) {
    int type = declaredType ? declaredType : impliedType;
    if (!declaredType && isDeclaredAnywhere(name)) {
        if (!holdsNoObjects(variableType(name, type)))
            noteObjectsMayBeReleased();
        lookupAssign(name);
        return "";
    }
    DeclaredAs declared;
    declared.type = type;
    declare(name, declared, SYMBOL_ASSIGNED);
    return loopVariableSpelling(type);
}

void writeElementAssignment(const std::string &spelling, const std::string &name, int type,
                            const std::string &valueText, int valueType) {
    ExprValue value;
    value.text = valueText;
    value.type = valueType;
    writeIndent();
    emit(spelling + name + "=" + convertValue(type, value) + ";\n");
}

// The variable of a loop over a typed array of a class is an object of
// that class.
void writeObjectLoopVariable(const std::string &name, int classIndex, const std::string &container) {
    DeclaredAs declared;
    declared.type = T_OBJECT;
    declared.classIndex = classIndex;
    declare(name, declared, SYMBOL_ASSIGNED);
    writeIndent();
    emit(objectSpelling(classRecord(classIndex).name) + emittedNameFor(name) + "=" +
         objectOfClass(classIndex, container + ".value()") + ";\n");
}

int variableType(const std::string &name, int fallback) {
    if (!isDeclaredAnywhere(name))
        return fallback;
    scopes().assignmentTarget = true;
    const Symbol *symbol = lookupUse(name);
    scopes().assignmentTarget = false;
    return symbol ? symbol->type() : T_UNKNOWN;
}

// Types a range can count in.
bool countsInRange(int type) {
    switch (type) {
    case T_BYTE: case T_INTEGER: case T_NATURAL: case T_NUMBER: case T_REAL: case T_VAR: case T_UNKNOWN:
        return true;
    default:
        return false;
    }
}

// The body of a loop over a container or a text goes on in the braces that
// hold the element variables: the program cannot declare their names again
// in the body, and a brace of its own would make the C++ nest twice as deep
// as the loops. The body's block indents itself again.
void openBodyAfterElements() {
    output().indentLevel--;
    output().blankLines = 2;
}

// "for c in t" visits the characters of t; "for i, c in t" also counts
// their positions in i.
void writeTextFor(int declaredType, const std::string &first, const std::string &second, const ExprValue &source) {
    const std::string &variable = second.empty() ? first : second;
    std::string textName = source.text;
    // A C string is walked as the text it holds when the loop begins.
    if (!source.plainName || source.type == T_CHARPTR) {
        textName = newTemp();
        emit("text " + textName + "=" + source.text + ";\n");
        writeIndent();
    }
    std::string length = newTemp();
    emit("int " + length + "=" + textName + ".length();\n");
    std::string index = newTemp();
    writeIndent();
    writeControlLine("for(int " + index + " = 0; " + index + " < " + length + "; " + index + "++)");
    output().indentLevel++;
    // t[] in the body is the character this round visits.
    if (source.plainName) {
        statements().walkedContainers.push_back(WalkedContainer{textName, index});
        currentLoop().walksName = true;
    }
    if (!second.empty()) {
        std::string keySpelling = declareLoopVariable(declaredType, first, T_INTEGER);
        int keyType = variableType(first, T_INTEGER);
        writeElementAssignment(keySpelling, emittedNameFor(first), keyType, index, T_INTEGER);
    }
    std::string spelling = declareLoopVariable(second.empty() ? declaredType : 0, variable, T_TEXT);
    int type = variableType(variable, T_TEXT);
    writeElementAssignment(spelling, emittedNameFor(variable), type, textName + "[" + index + "]", T_TEXT);
    openBodyAfterElements();
}

// break and continue belong to a loop: outside one they would leave C++
// that no compiler accepts.
bool insideLoop(const char *word) {
    if (!statements().loops.empty())
        return true;
    // `break` closing each case of a switch, as in C: told once, at the first.
    BranchFrame *inSwitch = statements().branches.empty() || !statements().branches.top().isSwitch
                                ? nullptr
                                : &statements().branches.top();
    if (inSwitch && std::string(word) == "break") {
        if (!inSwitch->breakTold)
            reportNamed(E_CANNOT_BE_USED, word,
                        "a `case` ends where the next `case` begins, and `break` leaves a loop: leave out the "
                        "`break`s of this `switch`");
        inSwitch->breakTold = true;
        return false;
    }
    reportNamed(E_CANNOT_BE_USED, word);
    return false;
}

// The value of an integer literal written in decimal within int.
bool intLiteralValue(const ExprValue &value, long long &number) {
    if (!value.literal || value.type != T_INTEGER || value.text.empty())
        return false;
    const std::string digits = value.text[0] == '-' ? value.text.substr(1) : value.text;
    if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    number = std::stoll(value.text);
    return number >= INT_MIN && number <= INT_MAX;
}

// The step of a range loop when it is a constant other than 0 (1 when none is given).
bool constantIntStep(bool hasStep, const ExprValue &step, long long &value) {
    if (!hasStep) {
        value = 1;
        return true;
    }
    return intLiteralValue(step, value) && value != 0;
}

// A loop over an int that its own comparison can end at every value: the
// variable is the loop's own (nothing sees it after the loop), the step a
// constant and the bound an int that the loop reads once per iteration as
// before (a name or a literal). Stepping then clamps the variable at the
// edge of int (_vel_for_add), where "<" or ">" is false whatever the bound;
// an inclusive bound must not be that edge.
bool stepsInline(const std::string &spelling, int type, const ExprValue &high, bool inclusive,
                 bool hasStep, const ExprValue &step, long long &stepValue) {
    if (spelling.empty() || type != T_INTEGER || !constantIntStep(hasStep, step, stepValue))
        return false;
    if (high.type != T_INTEGER || !(high.plainName || high.literal))
        return false;
    if (!inclusive)
        return true;
    long long bound = 0;
    if (!intLiteralValue(high, bound))
        return false;
    return stepValue > 0 ? bound < INT_MAX : bound > INT_MIN;
}

// Any other loop over an int with a constant step and an int bound read as
// a name or a literal: an inclusive bound that may be the edge of int, or a
// variable declared before the loop (which must keep the last value it was
// given by the loop). It is written as a do-while whose step moves the
// variable only to a value inside the range (_vel_for_within), so neither
// the edge nor the value after the loop needs a flag; "continue" in a
// do-while goes to the step, as in a for.
bool stepsWithin(int type, const ExprValue &high, bool hasStep, const ExprValue &step, long long &stepValue) {
    return type == T_INTEGER && constantIntStep(hasStep, step, stepValue) && high.type == T_INTEGER &&
           (high.plainName || high.literal);
}

// Methods of a variable of these types are libvel's own and never run the
// program's code.
bool methodsStayInLibrary(const std::string &receiver) {
    switch (visibleType(receiver)) {
    case T_TEXT: case T_INTARRAY: case T_NATURALARRAY: case T_REALARRAY: case T_NUMBERARRAY:
        return true;
    default:
        return false;
    }
}

// The symbol of the file-level variable that the loop may count in a local
// copy of, or nullptr: the compiler keeps a local in a register, where it must keep a file-level
// variable in memory around every store through an element's address and
// every call. The copy is written back after the loop, which every way out
// of it passes (break included); nothing else can see the variable while
// the loop runs, since its body calls no code of the program and does not
// return (run-time faults end the program without reading it). A loop
// inside another one counting in a copy of the same variable uses that copy.
const Symbol *copiableVariable(const std::string &variable, LookAhead &ahead) {
    if (!isFileLevelVariable(variable))
        return nullptr;
    const Symbol *counted = symbolTable().globals[findExact(symbolTable().globals, variable)];
    for (const Symbol *copied : statements().copiedVariables)
        if (copied == counted)
            return nullptr;
    return ahead.loopBodyMayReachOut(methodsStayInLibrary) ? nullptr : counted;
}

// Arrays whose elements a loop may reach through a view: the variable
// number arrays of one C++ class form a group, since a by-reference parameter of that
// class may be a variable of any of their types.
int arrayViewKind(const std::string &name) {
    const Symbol *array = visibleSymbol(name);
    // A constant array is never written, under any name.
    if (!array || isConstantKind(array->kind))
        return 0;
    switch (array->type()) {
    case T_INTARRAY: return 1;
    case T_NATURALARRAY: case T_REALARRAY: case T_NUMBERARRAY: return 2;
    default: return 0;
    }
}

// Declares a view for each array that the loop's body uses only by
// element and push, unless an enclosing loop views it already: in the view
// the compiler keeps the block's address and count in registers. The views
// live in a scope of their own around the loop, whose end (or an exception)
// gives the array back its count.
void openArrayViews(LookAhead &ahead) {
    std::vector<std::string> names = ahead.arraysUsedByElement(methodsStayInLibrary, arrayViewKind);
    for (const std::string &name : names) {
        const Symbol *array = visibleSymbol(name);
        if (!array)
            continue;
        std::string emitted = array->emittedName.empty() ? emittedNameFor(name) : array->emittedName;
        if (arrayViewOf(emitted))
            continue;
        if (currentLoop().viewsOpened == 0) {
            if (!extraBracesLeft(1))
                return;
            statements().extraBraces++;
            emit("{\n");
            output().indentLevel++;
            writeIndent();
        }
        std::string view = newTemp();
        emit("auto " + view + "=vel_block_view_of(" + emitted + ");\n");
        writeIndent();
        statements().arrayViews.push_back(ArrayView{emitted, view});
        currentLoop().viewsOpened++;
    }
}

void closeArrayViews() {
    LoopFrame &loop = currentLoop();
    if (loop.viewsOpened == 0)
        return;
    for (int n = 0; n < loop.viewsOpened && !statements().arrayViews.empty(); n++)
        statements().arrayViews.pop_back();
    loop.viewsOpened = 0;
    statements().extraBraces--;
    output().indentLevel--;
    writeClosingBrace();
}

// The bound of a do-while range loop in a constant of the loop when it is
// a variable of the file that nothing in the loop can change: the
// body only reads it and calls none of the program's code, and outside
// functions no by-reference parameter can stand for it. GCC otherwise reads
// it from memory at every test, since the array's out-of-line growth may,
// for all it knows, reach code that changes it.
// A bound that is the loop's own variable (for i in 1..i) is the value it
// had before the loop: read at every test it would be compared with itself.
ExprValue boundOfLoop(const ExprValue &high, const std::string &variable, LookAhead &ahead) {
    bool ownVariable = high.plainName && high.text == emittedNameFor(variable);
    // The bound's text is its emitted name, which is its name unless that is reserved.
    bool fileVariable = high.plainName && high.text != variable && emittedNameFor(high.text) == high.text &&
                        !scopes().inFunction && !scopes().inClass && isFileLevelVariable(high.text);
    bool unchangedByTheLoop = fileVariable && !ahead.loopBodyMayReachOut(methodsStayInLibrary) &&
                              ahead.loopBodyOnlyReads(high.text);
    if (!ownVariable && !unchangedByTheLoop)
        return high;
    ExprValue bound = high;
    bound.text = newTemp();
    emit("const int " + bound.text + "=" + high.text + ";\n");
    writeIndent();
    return bound;
}

void writeSteppedFor(const std::string &spelling, const std::string &name, const ExprValue &low,
                     const ExprValue &high, const std::string &comparison, bool inclusive, long long stepValue,
                     bool inCopy) {
    if (!spelling.empty() || inCopy) {
        // The loop's own variable lives in a scope of its own, as in a for;
        // so does a copy, which hides the file-level variable there.
        emit("{\n");
        output().indentLevel++;
        writeIndent();
        currentLoop().steppedScope = true;
        statements().extraBraces++;
    }
    if (inCopy) {
        currentLoop().copiedVariable = name;
        // A first value other than a literal may be computed from the variable itself.
        if (!low.literal) {
            emit("int " + name + "=::" + name + ";\n");
            writeIndent();
        }
    }
    std::string declared = inCopy && low.literal ? "int " : spelling;
    // A loop that starts from its own variable's value (for j in j..4) has
    // it already: assigning it to itself is what compilers warn of.
    if (!declared.empty() || low.text != name) {
        emit(declared + name + "=" + low.text + ";\n");
        writeIndent();
    }
    if (inCopy) {
        // An exception of the C++ library (memory for a growing array) may
        // leave the loop to a handler that reads the variable.
        emit("try {\n");
        statements().extraBraces++;
        output().indentLevel++;
        writeIndent();
    }
    writeControlLine("if(" + name + comparison + high.text + ") do");
    currentLoop().steppedCondition = "_vel_for_within(" + name + "," + std::to_string(stepValue) + "," +
                                     high.text + "," + (inclusive ? "1" : "0") + ")";
}

// After the body of a range loop written as do-while: its step and, for a
// variable of its own, the end of the variable's scope.
void writeSteppedEnding() {
    const LoopFrame &loop = currentLoop();
    if (loop.steppedCondition.empty())
        return;
    writeIndent();
    emit("while(" + loop.steppedCondition + ");\n");
    if (!loop.copiedVariable.empty()) {
        const std::string writeBack = "::" + loop.copiedVariable + "=" + loop.copiedVariable + ";";
        output().indentLevel--;
        emitIndented("} catch (...) {\n");
        output().indentLevel++;
        emitIndented(writeBack + "\n");
        emitIndented("throw;\n");
        output().indentLevel--;
        emitIndented("}\n");
        emitIndented(writeBack + "\n");
        statements().copiedVariables.pop_back();
        statements().extraBraces--;
    }
    if (loop.steppedScope) {
        statements().extraBraces--;
        output().indentLevel--;
        writeClosingBrace();
    }
}

}  // namespace

bool extraBracesLeft(int count) {
    return statements().extraBraces + count <= EXTRA_BRACES_LIMIT;
}

void writeBreak() {
    if (!insideLoop("break"))
        return;
    LoopFrame &loop = currentLoop();
    if (loop.kind == LOOP_WHILE) {
        emit("goto " + labelName(loop.labelBase + 1));
        loop.labelsUsed |= 2;
    } else {
        emit("break");
    }
}

void writeContinue() {
    if (!insideLoop("continue"))
        return;
    LoopFrame &loop = currentLoop();
    if (loop.kind == LOOP_WHILE) {
        if (!(loop.labelsUsed & 1) && loop.bodyDepth >= 0 && loop.bodyDepth < BLOCK_DEPTH_CAPACITY) {
            loop.continuedFrom = loop.statementStart;
            loop.namesBeforeContinue = localScopes().blockScopes[loop.bodyDepth].size();
        }
        emit("goto " + labelName(loop.labelBase));
        loop.labelsUsed |= 1;
    } else {
        emit("continue");
    }
}

void beginWhile() {
    pushLoop(LOOP_WHILE);
}

void writeWhileHeader(const std::string &condition) {
    LoopFrame &loop = currentLoop();
    loop.bodyOutput = output().currentOutput;
    loop.condition = condition;
    loop.headerStart = loop.bodyOutput ? loop.bodyOutput->size() : 0;
    writeControlLine("while(" + (condition.empty() ? std::string("true") : condition) + ")");
    loop.bodyStart = loop.bodyOutput ? loop.bodyOutput->size() : 0;
    loop.bodyDirective = presentLineDirective();
}

void beginWhileBody() {
    LoopFrame &loop = currentLoop();
    loop.bodyDepth = scopes().blockOverflow > 0 ? -1 : scopes().blockDepth;
    loop.statementStart = output().currentOutput ? output().currentOutput->size() : 0;
}

void noteStatementStart() {
    if (statements().loops.empty())
        return;
    LoopFrame &loop = currentLoop();
    if (loop.kind == LOOP_WHILE && loop.bodyDepth == scopes().blockDepth && scopes().blockOverflow == 0 &&
        loop.bodyOutput && loop.bodyOutput == output().currentOutput)
        loop.statementStart = loop.bodyOutput->size();
}

namespace {

// The let clause stays in the body's scope, where it sees the names the
// body declared, and a continue jumps to the label before it. A goto may
// not jump over a declaration into its scope, so the statements from the
// one holding the first continue on go into a block of their own, which
// ends before the label: the names they declare are not the let clause's,
// since a continue may have skipped them.
bool continueToLetLabel(LoopFrame &loop) {
    std::string *text = loop.bodyOutput;
    if (!text || text != output().currentOutput || loop.continuedFrom == std::string::npos ||
        loop.continuedFrom < loop.bodyStart || loop.continuedFrom > text->size() || loop.bodyDepth != scopes().blockDepth)
        return false;
    std::string indent(4 * output().indentLevel, ' ');
    text->insert(loop.continuedFrom, indent + "{\n");
    forgetPresentLine();
    emit(indent + "}\n");
    writeLabelLine(loop.labelBase);
    hideNamesFrom(loop.bodyDepth, loop.namesBeforeContinue);
    return true;
}

void continueInsteadOfGoto(std::string &text, std::size_t from, int label) {
    const std::string jump = "goto " + labelName(label) + ";";
    for (std::size_t at = text.find(jump, from); at != std::string::npos; at = text.find(jump, at + 1))
        text.replace(at, jump.size(), "continue;");
}

}  // namespace

// The body of a while shares the braces of the loop, so that the C++ nests
// as deep as the loops do. A continue goes to the label before the let
// clause; with no let clause, the loop's own continue does the same, and the
// label goes. With one, a label would have to stand outside the scope of the
// body's declarations, which a goto may not jump into: the let clause moves
// before the body instead, run at the start of every round but the first,
// and continue is the loop's own again.
void endWhileBody(bool letFollows) {
    LoopFrame &loop = currentLoop();
    std::string *text = loop.bodyOutput;
    if (!(loop.labelsUsed & 1) || !text || text != output().currentOutput || loop.bodyStart > text->size())
        return;
    loop.labelsUsed &= ~1;
    if (letFollows) {
        if (continueToLetLabel(loop))
            return;
        loop.letStart = text->size();
        forgetPresentLine();
    } else {
        continueInsteadOfGoto(*text, loop.bodyStart, loop.labelBase);
    }
}

void endWhileBlock() {
    LoopFrame &loop = currentLoop();
    std::string *text = loop.bodyOutput;
    if (loop.letStart && text == output().currentOutput && loop.letStart <= text->size()) {
        std::string body = text->substr(loop.bodyStart, loop.letStart - loop.bodyStart);
        continueInsteadOfGoto(body, 0, loop.labelBase);
        std::string indent(4 * output().indentLevel, ' '), inner = indent + "    ";
        std::string first = newTemp();
        std::string moved = "for(bool " + first + "=true;;" + first + "=false)\n" + indent + "{\n" + inner + "if(!" +
                            first + ")\n" + inner + "{\n" + text->substr(loop.letStart) + inner + "}\n";
        if (!loop.condition.empty())
            moved += inner + "if(!(" + loop.condition + ")) break;\n";
        text->replace(loop.headerStart, std::string::npos, moved + loop.bodyDirective + body);
        forgetPresentLine();
    }
    writeClosingBrace();
}

void countLetClause() {
    if (++currentLoop().letCount == 2)
        reportError(E_LET_TWICE);
}

void endWhile() {
    // A one-line body's continue.
    endWhileBody(false);
    if (currentLoop().labelsUsed & 2)
        writeLabelLine(currentLoop().labelBase + 1);
    popLoop();
}

void abandonWhile() { popLoop(); }

void beginDo() {
    emit("do\n");
    writeIndent();
    emit("{\n");
    output().blankLines = 2;
    enterControlBlock();
    pushLoop(LOOP_DO);
    pushBranches();
}

void endDoBody() {
    leaveControlBlock();
    writeClosingBrace();
}

namespace {

void writeDoEnding(const std::string &text) {
    writeIndent();
    emit(text);
}

}  // namespace

void writeDoUntil(const ExprValue &condition) { writeDoEnding("while(!(" + conditionText(condition) + "))"); }

void writeDoWhile(const ExprValue &condition) { writeDoEnding("while (" + controlConditionText(condition) + ")"); }

void writeDoForever() { writeDoEnding("while(true)"); }

void writeDoWhileForever() { writeDoEnding("while (true)"); }

void writeDoOnce() { writeDoEnding("while(false)"); }

void endDo() {
    popBranches();
    popLoop();
}

void beginFor() {
    pushLoop(LOOP_FOR);
    enterNestedBlock();
}

bool stepIsNegative(const ExprValue &step) {
    if (step.known)
        return step.knownValue < 0;
    return step.literal && !step.text.empty() && step.text[0] == '-';
}

void writeRangeFor(int declaredType, const std::string &variable, const ExprValue &low,
                   const ExprValue &high, bool inclusive, bool descending, bool hasStep,
                   const ExprValue &step, LookAhead &ahead) {
    int implied = (resultOf(low.type, high.type) == T_INTEGER || (low.type == T_INTEGER && high.type == T_INTEGER))
                      ? T_INTEGER : T_NUMBER;
    // A real step makes the variable a real too, which 0..1 step 0.25 needs.
    if (hasStep && isFloating(step.type))
        implied = T_NUMBER;
    std::string spelling = declareLoopVariable(declaredType, variable, implied);
    int type = variableType(variable, implied);
    // The variable starts at the first bound, is compared with the last and
    // stepped by the step: each must be a number it can take (a boolean and
    // a char count as the numbers C++ makes of them).
    if (!countsInRange(type))
        reportAssignment(type, implied);
    else if (type != T_UNKNOWN)
        for (const ExprValue *part : {&low, &high, &step}) {
            // Two bounds of one type are one fault, told once.
            bool toldAlready = part == &high && low.type == high.type;
            if ((part != &step || hasStep) && !toldAlready && !countsInRange(part->type) &&
                part->type != T_BOOLEAN && part->type != T_CHAR)
                reportOperands(part == &step ? W_ADD : W_RELATIONAL, type, part->type);
        }
    // An int variable is given the bounds and the step: C++ would cut a
    // literal past its range.
    if (type == T_INTEGER && integerLiteralFits(low) && integerLiteralFits(high) && hasStep)
        integerLiteralFits(step);
    std::string name = emittedNameFor(variable);
    // A real first value of an integer variable is converted as intval
    // converts it: C++ would leave a value past the range undefined.
    ExprValue first = low;
    if (isFloating(low.type) && !isFloating(type) && type != T_VAR)
        first.text = convertValue(type, low);
    // A var first value is converted too: C++ has no conversion of its own.
    else if (low.type == T_VAR && type != T_VAR)
        first.text = convertValue(type, low);
    // The library steps the variable only while the next value is inside
    // the range, so that a range ending at the type's largest value ends;
    // the flag is 0 once the last value has been visited.
    std::string comparison = descending ? (inclusive ? ">=" : ">") : (inclusive ? "<=" : "<");
    std::string stepText = hasStep ? step.text : "1";
    long long stepValue = 0;
    if (stepsInline(spelling, type, high, inclusive, hasStep, step, stepValue)) {
        openArrayViews(ahead);
        writeControlLine("for(" + spelling + name + "=" + first.text + ";" + name + comparison + high.text + ";" +
                         name + "=_vel_for_add(" + name + "," + std::to_string(stepValue) + "))");
        return;
    }
    // The loop's own variable, or a copy, lives in a scope of its own (a
    // copy also in a try).
    if (stepsWithin(type, high, hasStep, step, stepValue) && extraBracesLeft(spelling.empty() ? 0 : 1)) {
        openArrayViews(ahead);
        ExprValue bound = boundOfLoop(high, variable, ahead);
        const Symbol *copied = spelling.empty() && extraBracesLeft(2) ? copiableVariable(variable, ahead) : nullptr;
        writeSteppedFor(spelling, name, first, bound, comparison, inclusive, stepValue, copied != nullptr);
        if (copied)
            statements().copiedVariables.push_back(copied);
        return;
    }
    std::string going = newTemp();
    emit("int " + going + "=_vel_for_step(" + stepText + ");\n");
    writeIndent();
    // A step that is no literal counts up or down by the sign it has when
    // the loop runs.
    bool signAtRunTime = hasStep && !step.literal && !step.known;
    std::string inclusion = inclusive ? "1" : "0";
    // The first test compares as a comparison would: a natural beside an
    // int that may be negative by their values.
    ExprValue current;
    current.text = name;
    current.type = type;
    std::string firstTest = signAtRunTime
                                ? "_vel_for_first(" + name + "," + stepText + "," + high.text + "," + inclusion + ")"
                                : boundTest(current, comparison, high, false);
    writeControlLine("for(" + spelling + name + "=" + first.text + ";" + going + " && " + firstTest + ";" + going +
                     "=_vel_for_next(" + name + "," + stepText + "," + high.text + "," + inclusion + "))");
}

void writeContainerFor(int declaredType, const std::string &first, const std::string &second,
                       const ExprValue &container) {
    currentLoop().forForm = FOR_CONTAINER;
    if (container.type == T_TEXT || container.type == T_CHARPTR) {
        writeTextFor(declaredType, first, second, container);
        return;
    }
    // An object of a class has attributes, not elements to go over; a
    // char is one character, as a number is one value.
    if (container.type == T_OBJECT && container.classIndex >= 0)
        reportRequiredFound("a text, an array or a dict", typeName(container.type));
    else if (container.type == T_CHAR)
        reportRequiredKind(1, container.type);
    else
        checkSequence(container.type);
    std::string name = container.text;
    if (!container.plainName) {
        name = newTemp();
        emit(loopVariableSpelling(container.type) + name + "=" + container.text + ";\n");
        writeIndent();
    }
    // The loop keeps its own position, so that a loop over the same
    // container in its body, or in a function it calls, does not move it;
    // each round puts the container's cursor there, for c[] and c.key().
    std::string position = newTemp();
    if (container.plainName) {
        statements().walkedContainers.push_back(WalkedContainer{name, position});
        currentLoop().walksName = true;
    }
    emit("for(std::size_t " + position + "=0; " + name + ".walkAt(" + position + "); " + position + "++) {\n");
    output().indentLevel++;
    int element = isTypedArray(container.type) ? elementType(container.type) : T_VAR;
    std::string valueName = second.empty() ? first : second;
    // The type written before the names is the first name's: the key's in
    // "for int i, v in c", the value's in "for int v in c".
    const int valueDeclared = second.empty() ? declaredType : 0;
    if (!second.empty()) {
        int keyImplied = container.type == T_DICT || container.type == T_VAR ? T_VAR : T_INTEGER;
        std::string spelling = declareLoopVariable(declaredType, first, keyImplied);
        int keyType = variableType(first, keyImplied);
        // A var key keeps the key as the dict stores it: an integer key
        // computes as an integer.
        std::string key = keyType == T_VAR && (container.type == T_DICT || container.type == T_VAR) ? ".heldKey()" : ".key()";
        writeElementAssignment(spelling, emittedNameFor(first), keyType, name + key, T_VAR);
    }
    if (container.type == T_OBJECTARRAY && container.classIndex >= 0 && !valueDeclared &&
        !isDeclaredAnywhere(valueName)) {
        writeObjectLoopVariable(valueName, container.classIndex, name);
    } else {
        std::string spelling = declareLoopVariable(valueDeclared, valueName, element);
        int valueType = variableType(valueName, element);
        // The value comes from the library's iteration as a dynamic value.
        writeElementAssignment(spelling, emittedNameFor(valueName), valueType, name + ".value()", T_VAR);
    }
    openBodyAfterElements();
}

namespace {

// What a for loop leaves behind, closed normally or abandoned: the
// container it walked, its array views, its block and its loop record.
void closeFor(bool writeEnding) {
    if (currentLoop().walksName && !statements().walkedContainers.empty())
        statements().walkedContainers.pop_back();
    if (writeEnding)
        writeSteppedEnding();
    closeArrayViews();
    leaveBlock();
    popLoop();
}

}  // namespace

void endFor() { closeFor(true); }

void abandonFor() { closeFor(false); }

void declareVariablesOfBrokenFor(int declaredType, const std::string &first, const std::string &second) {
    for (const std::string *name : {&first, &second})
        if (!name->empty() && !isDeclaredAnywhere(*name))
            declareLoopVariable(name == &first ? declaredType : 0, *name, T_VAR);
}

const std::string *walkedPositionOf(const std::string &container) {
    const std::vector<WalkedContainer> &walked = statements().walkedContainers;
    for (auto loop = walked.rbegin(); loop != walked.rend(); ++loop)
        if (loop->container == container)
            return &loop->position;
    return nullptr;
}

const std::string *arrayViewOf(const std::string &array) {
    for (const ArrayView &viewed : statements().arrayViews)
        if (viewed.array == array)
            return &viewed.view;
    return nullptr;
}
