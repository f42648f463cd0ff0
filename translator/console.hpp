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

// Part of the state of one translation (translator/source_translation.hpp).
// The items of the print or echo statement being translated.
struct PrintList {
    ExprValue items[PRINT_LIST_CAPACITY];
    int count = 0;
};
