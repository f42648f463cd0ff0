#pragma once
// The assignment writer: one or more targets receive one or more values.
#include "translator/values.hpp"

void beginAssignment();
void addAssignTarget(const AssignTarget &target);
void addAssignValue(const ExprValue &value);
// op is '=' or the operator of a compound assignment ('+', '<' for a left shift...).
void writeAssignment(char op);
