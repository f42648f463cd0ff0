#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include "semantics/spellings.hpp"
#include "translator/in_place_append.hpp"

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

// Integer division and modulo check their divisor in the library.
bool checkedDivision(const AssignTarget &target, char op, const ExprValue &value) {
    return (op == '/' || op == '%') && isIntegerTarget(target.valueType) &&
           (isIntegerTarget(value.type) || value.type == T_BOOLEAN);
}

// "t + 1" adds 1 to t: the value the target receives.
std::string combinedValue(const AssignTarget &target, char op, const ExprValue &value) {
    if (op == '%' && (target.valueType == T_REAL || target.valueType == T_NUMBER))
        return "fmod(" + target.readPath + "," + value.text + ")";
    if (checkedDivision(target, op, value)) {
        ExprValue combined;
        combined.text = (op == '/' ? "_vel_div(" : "_vel_mod(") + target.readPath + "," + value.text + ")";
        combined.type = op == '/' ? T_NUMBER : target.valueType;
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

void writeOne(const AssignTarget &target, char op, const ExprValue &given) {
    ExprValue value = nullForObject(target, given);
    if (refusedCompound(target, op, value))
        return;
    typeState().pendingAssignOp = op;
    if (target.valueType == T_OBJECT && target.classIndex >= 0 && refusedUnrelatedObject(target.classIndex, value))
        return;
    if (value.type != T_UNKNOWN && target.valueType != T_UNKNOWN)
        checkAssign(target.valueType, value.type);
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
    else if (op == '+' && target.valueType == T_CHARPTR)
        emit(destination + " = _vel_cstring(text(" + target.readPath + ")+" + compoundOperand(target, value) + ");\n");
    else if (op == '=')
        emit(destination + " = " + convertValue(target.valueType, value) + ";\n");
    else if ((op == '%' && (target.valueType == T_REAL || target.valueType == T_NUMBER)) ||
             checkedDivision(target, op, value))
        emit(destination + " = " + combinedValue(target, op, value) + ";\n");
    else
        emit(destination + " " + compoundOperator(op) + "= " + compoundOperand(target, value) + ";\n");
}

// Several targets from one value: the parts of a value holding several results.
void writeUnpacking(char op) {
    std::string temporary = newTemp();
    emit("dyn " + temporary + "=" + assignment().values[0].text + ";\n");
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
    assignment().targetCount = 0;
    assignment().valueCount = 0;
}

void addAssignTarget(const AssignTarget &target) {
    if (assignment().targetCount >= ASSIGNMENT_CAPACITY) {
        reportStackOverflow("assignment targets");
        return;
    }
    assignment().targets[assignment().targetCount++] = target;
}

void addAssignValue(const ExprValue &value) {
    if (assignment().valueCount >= ASSIGNMENT_CAPACITY) {
        reportStackOverflow("assignment values");
        return;
    }
    assignment().values[assignment().valueCount++] = value;
}

// Several targets with as many values: every value is computed before
// any target changes, so that "x, y = y, x" exchanges the two.
static void writeParallel(char op) {
    ExprValue held[ASSIGNMENT_CAPACITY];
    for (int i = 0; i < assignment().targetCount; i++) {
        const AssignTarget &target = assignment().targets[i];
        const ExprValue &value = assignment().values[i];
        ExprValue &temporary = held[i];
        temporary.text = newTemp();
        if (op == '=') {
            typeState().pendingAssignOp = op;
            if (value.type != T_UNKNOWN && target.valueType != T_UNKNOWN)
                checkAssign(target.valueType, value.type);
            temporary.type = target.valueType;
            emit("auto " + temporary.text + "=" + convertValue(target.valueType, value) + ";\n");
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
    typeState().pendingAssignOp = '=';
}
