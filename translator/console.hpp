#pragma once
// print, echo and input.
#include <string>
#include <vector>
#include "translator/values.hpp"

void beginList();
void recordItem(const ExprValue &item);
// The line of a print (withSeparators) or an echo.
void writePrintLine(bool isPrint);
// A print of nothing: an empty line.
void writeEmptyPrint();
void writeInput(const AssignTarget &target, const std::string &prompt);

// Part of the state of one translation (translator/source_translation.hpp).
// The items of the print or echo statement being translated.
struct PrintList {
    std::vector<ExprValue> items;   // as many as the statement has
    int count = 0;
};
