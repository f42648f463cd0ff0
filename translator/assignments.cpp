#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include "semantics/spellings.hpp"
#include "translator/in_place_append.hpp"
#include "VLTokenTypes.hpp"

namespace {

AssignmentState &assignment() { return translation().assignment; }

std::string compoundOperator(char op) {
    switch (op) {
    case '<': return "<<";
    case '>': return ">>";
    default: return std::string(1, op);
    }
}

// A dynamic value combined into a typed target is converted first: C++
// has no "int += dyn".
std::string compoundOperand(const AssignTarget &target, const ExprValue &value) {
    if (value.type == T_VAR && target.valueType != T_VAR && !isContainer(target.valueType))
        return convertValue(target.valueType, value);
    return value.text;
}

bool isIntegerTarget(int type) {
    return type == T_INTEGER || type == T_BYTE || type == T_NATURAL;
}

// Integer division and modulo check their divisor in the library, a var
// divisor too (it may hold 0 or a text that reads as 0).
bool checkedDivision(const AssignTarget &target, char op, const ExprValue &value) {
    return (op == '/' || op == '%') && isIntegerTarget(target.valueType) &&
           (isIntegerTarget(value.type) || value.type == T_BOOLEAN || value.type == T_VAR);
}

// A real combined into an integer target: C++ would cut the real to the
// integer type itself, which is undefined past the type's edge (and gives
// different numbers under g++ and em++); the library's conversion takes
// the nearest value instead, as an assignment of the real does.
bool realIntoInteger(const AssignTarget &target, const ExprValue &value) {
    return isIntegerTarget(target.valueType) && isFloating(value.type);
}

// "t + 1" adds 1 to t: the value the target receives.
std::string combinedValue(const AssignTarget &target, char op, const ExprValue &value) {
    if (op == '%' && (target.valueType == T_REAL || target.valueType == T_NUMBER))
        return "fmod(" + target.readPath + "," + value.text + ")";
    if (op == '/' && dividesAsNaturals(target.valueType, value.type))
        return "_vel_natural_div(" + target.readPath + "," + value.text + ")";
    if (checkedDivision(target, op, value)) {
        ExprValue combined;
        combined.text = (op == '/' ? "_vel_div(" : "_vel_mod(") + target.readPath + "," + value.text + ")";
        combined.type = value.type == T_VAR ? T_VAR : op == '/' ? T_NUMBER : target.valueType;
        return convertValue(target.valueType, combined);
    }
    if (realIntoInteger(target, value)) {
        ExprValue combined;
        combined.text = op == '%' ? "fmod(" + target.readPath + "," + value.text + ")"
                                  : target.readPath + compoundOperator(op) + "(" + value.text + ")";
        combined.type = T_REAL;
        return convertValue(target.valueType, combined);
    }
    return target.readPath + compoundOperator(op) + "(" + compoundOperand(target, value) + ")";
}

// Compound forms that C++ has no operator for: texts only append, and bits
// belong to integers.
bool refusedCompound(const AssignTarget &target, char op, const ExprValue &value) {
    bool textual = target.valueType == T_TEXT || target.valueType == T_CHARPTR;
    bool bits = op == '&' || op == '|' || op == '^' || op == '<' || op == '>';
    bool floating = target.valueType == T_REAL || target.valueType == T_NUMBER || value.type == T_REAL ||
                    value.type == T_NUMBER;
    if (op == '=' || target.isSlice || !((textual && op != '+') || (bits && floating)))
        return false;
    int word = bits ? (op == '<' || op == '>' ? W_SHIFT : W_BINARY)
               : op == '*' ? W_MULTIPLY : op == '/' ? W_DIVIDE : op == '%' ? W_MODULO : W_ADD;
    reportOperands(word, target.valueType, value.type);
    emit(";\n");
    return true;
}

// "b + t" on a byte or a char with a text joins the two as texts, as the
// sum b + t does, and the target takes what the joined text converts to.
bool joinsAsTexts(const AssignTarget &target, char op, const ExprValue &value) {
    bool byteOrChar = target.valueType == T_BYTE || target.valueType == T_CHAR;
    return op == '+' && byteOrChar && isTextLike(value.type);
}

ExprValue textJoin(const AssignTarget &target, const ExprValue &value) {
    ExprValue joined;
    joined.text = "text(" + target.readPath + ")+(" + value.text + ")";
    joined.type = T_TEXT;
    return joined;
}

// Compound forms that C++ has no operator for on the target's type ("a * 2"
// on an array, "i mod 2.5", "b * t" on a byte and a text): written as the
// target assigned the sum, product ... of the expression, whose operator
// checks the operands as it would anywhere else.
bool needsExpressionForm(const AssignTarget &target, char op, const ExprValue &value) {
    int type = target.valueType;
    if (op == '=' || target.isSlice || joinsAsTexts(target, op, value))
        return false;
    if (isContainer(type))
        return op != '+' || (isContainer(value.type) && value.type != type) || (type == T_DICT && value.type != T_DICT);
    if (type == T_VAR || type == T_TEXT || type == T_CHARPTR || type == T_OBJECT || type == T_UNKNOWN)
        return false;
    // A shift count is taken modulo the width, as in an expression.
    if (op == '<' || op == '>')
        return true;
    if (value.type == T_VAR)
        return false;
    bool floatingValue = value.type == T_REAL || value.type == T_NUMBER;
    bool floatingTarget = type == T_REAL || type == T_NUMBER || type == T_SMALLREAL;
    return holdsNoNumber(value.type) || (op == '%' && !floatingTarget && floatingValue);
}

ExprValue expressionOf(const AssignTarget &target, char op, const ExprValue &value) {
    ExprValue left;
    left.text = target.readPath;
    left.type = target.valueType;
    left.classIndex = target.classIndex;
    switch (op) {
    case '+': case '-': return additiveOperator(left, op == '+', value);
    case '*': return multiplicativeOperator(left, VLTokenTypes::MUL, value);
    case '/': return multiplicativeOperator(left, VLTokenTypes::DIV, value);
    case '%': return multiplicativeOperator(left, VLTokenTypes::LITERAL_mod, value);
    case '<': case '>': return shiftOperator(left, op == '<', value);
    default: return bitOperator(left, std::string(1, op), value);
    }
}

void writeExpressionForm(const AssignTarget &target, char op, const ExprValue &value) {
    ExprValue combined = expressionOf(target, op, value);
    if (combined.type != T_UNKNOWN)
        checkAssign(target.valueType, combined.type, '=', target.objectText);
    // Containers combined with other values are dynamic values in C++.
    if (isContainer(target.valueType) && combined.type != T_UNKNOWN) {
        combined.text = "dyn(" + combined.text + ")";
        combined.type = T_VAR;
    }
    std::string converted = convertValue(target.valueType, combined);
    if (target.setterIsCall)
        emit(target.path + target.setter + converted + ");\n");
    else
        emit(target.path + target.setter + " = " + converted + ";\n");
}

// nil or null given to an object is that object's null.
ExprValue nullForObject(const AssignTarget &target, const ExprValue &value) {
    if (target.valueType != T_OBJECT || (value.type != T_NIL && value.text != "NULL"))
        return value;
    ExprValue null = value;
    null.text = nullObject(target.classIndex);
    null.type = T_OBJECT;
    null.classIndex = target.classIndex;
    return null;
}

// The text without the parentheses that enclose all of it.
std::string withoutEnclosingParentheses(std::string text) {
    while (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
        int depth = 0;
        std::size_t closing = 0;
        for (std::size_t i = 0; i < text.size() && !closing; i++) {
            if (text[i] == '(')
                depth++;
            else if (text[i] == ')' && --depth == 0)
                closing = i;
        }
        if (closing != text.size() - 1)
            break;
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

// A variable given its own value keeps it: the assignment is written as a
// use of the variable, since C++ compilers warn of one to itself.
void writePlainAssignment(const std::string &destination, const std::string &value) {
    if (withoutEnclosingParentheses(value) == withoutEnclosingParentheses(destination))
        emit("(void)" + destination + ";\n");
    else
        emit(destination + " = " + value + ";\n");
}

void writeOne(const AssignTarget &target, char op, const ExprValue &given) {
    if (!holdsNoObjects(target.type) || !holdsNoObjects(target.valueType))
        noteObjectsMayBeReleased();
    ExprValue value = nullForObject(target, given);
    // A dynamic value gives the object it holds, as it does to a
    // declaration, a parameter or a result.
    if (target.valueType == T_OBJECT && value.type == T_VAR && target.classIndex >= 0)
        value = objectHeldBy(value, target.classIndex);
    if (target.valueType == T_OBJECT)
        value = downcastTo(target.classIndex, value);
    if (refusedCompound(target, op, value))
        return;
    if (needsExpressionForm(target, op, value)) {
        writeExpressionForm(target, op, value);
        return;
    }
    if (target.valueType == T_OBJECT && target.classIndex >= 0 && refusedUnrelatedObject(target.classIndex, value))
        return;
    if (refusedObjectValue(target.valueType, value))
        return;
    if (value.type != T_UNKNOWN && target.valueType != T_UNKNOWN)
        checkAssign(target.valueType, value.type, op, target.objectText);
    if (target.isSlice) {
        std::string newValue = op == '=' ? value.text : combinedValue(target, op, value);
        emit(target.path + (target.pathIsPointer ? "->" : ".") + "setSlice(" + target.low + "," +
             target.high + "," + std::to_string(target.inclusive) + "," + newValue + ");\n");
        return;
    }
    if (target.setterIsCall) {
        std::string newValue = op == '=' ? convertValue(target.valueType, value) : combinedValue(target, op, value);
        emit(target.path + target.setter + newValue + ");\n");
        return;
    }
    std::string destination = target.path + target.setter;
    std::string appended = op == '=' ? inPlaceAppend(target, value) : std::string();
    if (appended.empty() && op == '=')
        appended = inPlaceElementSum(target, value);
    if (!appended.empty())
        emit(destination + " += " + appended + ";\n");
    else if (joinsAsTexts(target, op, value))
        emit(destination + " = " + convertValue(target.valueType, textJoin(target, value)) + ";\n");
    else if (op == '+' && target.valueType == T_CHARPTR)
        emit(destination + " = _vel_cstring(text(" + target.readPath + ")+" + compoundOperand(target, value) + ");\n");
    else if (op == '=')
        writePlainAssignment(destination, convertValue(target.valueType, value));
    else if ((op == '%' && (target.valueType == T_REAL || target.valueType == T_NUMBER)) ||
             checkedDivision(target, op, value) || realIntoInteger(target, value))
        emit(destination + " = " + combinedValue(target, op, value) + ";\n");
    else if ((op == '&' || op == '|') && withoutEnclosingParentheses(compoundOperand(target, value)) ==
                                             withoutEnclosingParentheses(destination))
        emit("(void)" + destination + ";\n");  // x & x and x | x are x
    else
        emit(destination + " " + compoundOperator(op) + "= " + compoundOperand(target, value) + ";\n");
}

// Several targets from the results of one call: each part keeps the type
// its function declares for it. What is moved out of the held results is
// read once.
void writeResultsUnpacking(char op, const ExprValue &value) {
    const FunctionRecord &function = functionRecord(value.resultsOf);
    int count = static_cast<int>(function.returnTypes.size());
    if (assignment().targetCount != count) {
        reportAssignmentCount(assignment().targetCount, count);
        emit(";\n");
        return;
    }
    std::string temporary = newTemp();
    emit("auto " + temporary + "=" + value.results + ";\n");
    for (int i = 0; i < count; i++) {
        std::string index = std::to_string(i);
        ExprValue part;
        part.text = op == '=' ? "std::get<" + index + ">(std::move(" + temporary + "))"
                              : "std::get<" + index + ">(" + temporary + ")";
        part.type = function.returnTypes[static_cast<size_t>(i)];
        part.classIndex = function.returnClasses[static_cast<size_t>(i)];
        writeIndent();
        writeOne(assignment().targets[i], op, part);
    }
}

// Several targets from one value: the parts of a value holding several results.
void writeUnpacking(char op) {
    const ExprValue &value = assignment().values[0];
    if (value.type == T_TUPLE && value.resultsOf >= 0) {
        writeResultsUnpacking(op, value);
        return;
    }
    std::string temporary = newTemp();
    emit("dyn " + temporary + "(" + value.text + ");\n");
    for (int i = 0; i < assignment().targetCount; i++) {
        ExprValue part;
        part.text = fromDyn(assignment().targets[i].valueType, temporary + ".at(" + std::to_string(i) + ")");
        part.type = assignment().targets[i].valueType;
        writeIndent();
        writeOne(assignment().targets[i], op, part);
    }
}

}  // namespace

void beginAssignment() {
    assignment().targets.clear();
    assignment().values.clear();
    assignment().targetCount = 0;
    assignment().valueCount = 0;
}

void addAssignTarget(const AssignTarget &target) {
    assignment().targets.push_back(target);
    assignment().targetCount++;
}

void addAssignValue(const ExprValue &value) {
    assignment().values.push_back(value);
    assignment().valueCount++;
}

namespace {

// A temporary that holds an object keeps it counted: writing one target may
// drop the last other hold of the object that the next target receives.
std::string temporarySpelling(int type, int classIndex) {
    std::string counted = countedReferenceType(type, classIndex);
    return counted.empty() ? "auto " : counted + " ";
}

// Several targets with as many values: every value is computed before
// any target changes, so that "x, y = y, x" exchanges the two.
void writeParallel(char op) {
    std::vector<ExprValue> held(assignment().targets.size());
    for (int i = 0; i < assignment().targetCount; i++) {
        const AssignTarget &target = assignment().targets[i];
        const ExprValue &value = assignment().values[i];
        ExprValue &temporary = held[i];
        temporary.text = newTemp();
        if (op == '=') {
            if (value.type != T_UNKNOWN && target.valueType != T_UNKNOWN && !refusedObjectValue(target.valueType, value))
                checkAssign(target.valueType, value.type, op, target.objectText);
            temporary.type = target.valueType;
            temporary.classIndex = target.classIndex;
            emit(temporarySpelling(target.valueType, target.classIndex) + temporary.text + "=" +
                 convertValue(target.valueType, value) + ";\n");
        } else {
            temporary.type = value.type;
            emit("auto " + temporary.text + "=" + value.text + ";\n");
        }
        writeIndent();
    }
    for (int i = 0; i < assignment().targetCount; i++) {
        if (i > 0)
            writeIndent();
        writeOne(assignment().targets[i], op, held[i]);
    }
}

}  // namespace

// Both values are read before either place is written, as in "x, y = y, x".
void writeSwap(const AssignTarget &first, const AssignTarget &second) {
    int one = first.valueType, other = second.valueType;
    if (one != other && one != T_VAR && other != T_VAR && one != T_UNKNOWN && other != T_UNKNOWN) {
        // Without the swap the program would run wrong, so the source must
        // not be compiled.
        reportAssignment(one, other);
        emit(";\n");
        return;
    }
    ExprValue held[2];
    const AssignTarget *places[2] = {&first, &second};
    emit("{\n");
    output().indentLevel++;
    for (int i = 0; i < 2; i++) {
        held[i].text = newTemp();
        held[i].type = places[i]->valueType;
        held[i].classIndex = places[i]->classIndex;
        emitIndented("auto " + held[i].text + "=" + places[i]->readPath + ";\n");
    }
    writeIndent();
    writeOne(first, '=', held[1]);
    writeIndent();
    writeOne(second, '=', held[0]);
    output().indentLevel--;
    emitIndented("}\n");
}

void writeAssignment(char op) {
    if (assignment().targetCount == assignment().valueCount && assignment().targetCount > 1) {
        writeParallel(op);
    } else if (assignment().targetCount == assignment().valueCount) {
        for (int i = 0; i < assignment().targetCount; i++) {
            if (i > 0)
                writeIndent();
            writeOne(assignment().targets[i], op, assignment().values[i]);
        }
    } else if (assignment().valueCount == 1) {
        writeUnpacking(op);
    } else {
        reportAssignmentCount(assignment().targetCount, assignment().valueCount);
        emit(";\n");
    }
}
