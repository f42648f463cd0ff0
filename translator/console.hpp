#pragma once
// print, echo and input.
#include <string>
#include "translator/values.hpp"

constexpr int PRINT_LIST_CAPACITY = 128;

void beginList();
void recordItem(const ExprValue &item);
// The line of a print (withSeparators) or an echo.
void writePrintLine(bool isPrint);
void writeInput(const AssignTarget &target, const std::string &prompt);
