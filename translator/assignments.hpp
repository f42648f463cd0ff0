#pragma once
// The assignment writer: one or more targets receive one or more values.
#include <vector>
#include "translator/values.hpp"

void beginAssignment();
void addAssignTarget(const AssignTarget &target);
void addAssignValue(const ExprValue &value);
// op is '=' or the operator of a compound assignment ('+', '<' for a left shift...).
void writeAssignment(char op);
// swap(a, b): the two variables, elements or attributes exchange their values.
void writeSwap(const AssignTarget &first, const AssignTarget &second);

// Part of the state of one translation (translator/source_translation.hpp).
// The targets and values of the assignment being translated, as many as
// the statement has.
struct AssignmentState {
    std::vector<AssignTarget> targets;
    int targetCount = 0;
    std::vector<ExprValue> values;
    int valueCount = 0;
};
