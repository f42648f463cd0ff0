#pragma once
// Names in expressions and as assignment targets, with their subscripts
// and members.
#include <string>
#include "translator/values.hpp"

// Kind of a constant whose value the translator writes in its place
// (enumeration items).
constexpr int KIND_LITERAL_CONSTANT = 3;

// True when a lookup of name would find it (no report is made).
bool isDeclaredAnywhere(const std::string &name);
// True when name, where it is used now, is a variable of the file: no
// block, function or class declares it.
bool isFileLevelVariable(const std::string &name);
// The symbol a name stands for here, or nullptr, found without a lookup's
// effects (no report, no assigned mark, no import): for decisions taken on
// the tokens ahead. visibleType gives its type, T_UNKNOWN for none.
const Symbol *visibleSymbol(const std::string &name);
int visibleType(const std::string &name);

// A receiver of a method call is not reported as read before assignment
// until the method is known: some assign it.
ExprValue beginName(const std::string &name, bool methodReceiver = false);
ExprValue indexOfName(ExprValue name, const ExprValue &index, bool anotherFollows);
// An element of a call's result or of a literal.
ExprValue indexOfValue(ExprValue owner, const ExprValue &index, bool anotherFollows);
ExprValue sliceOfValue(ExprValue owner, bool hasLow, const ExprValue &low, bool hasHigh,
                       const ExprValue &high, bool inclusive);
ExprValue sliceOfName(ExprValue name, bool hasLow, const ExprValue &low, bool hasHigh,
                      const ExprValue &high, bool inclusive);
ExprValue keyRangeOfName(ExprValue name, const ExprValue &low, const ExprValue &high);
// afterSlice: an interval was taken earlier in the same name (reported).
ExprValue currentElementOfName(ExprValue name, bool afterSlice);
ExprValue memberOfName(ExprValue name, const std::string &member);

AssignTarget beginTarget(const std::string &name);
void indexTarget(AssignTarget &target, const ExprValue &index, bool anotherFollows);
void sliceTarget(AssignTarget &target, bool hasLow, const ExprValue &low, bool hasHigh,
                 const ExprValue &high, bool inclusive);
void currentElementTarget(AssignTarget &target, bool anotherFollows);
void memberTarget(AssignTarget &target, const std::string &member);
