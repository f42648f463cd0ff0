#pragma once
// The frame of one source's translation: output files, prologue, the
// generated main function and its epilogue, header section items.
#include <string>

void beginSourceFile();
// Writes the epilogue when main is open and closes both files; safe to call twice.
void endSourceFile();
void writeOwnHeaderInclude();

// A line end consumed at statement level: counted, and at most one blank line kept.
void lineEnd();
void writeComment(const std::string &tokenText);
// Adds the line ends inside a token that spans lines (native blocks, templates).
void countLinesIn(const std::string &tokenText);

void beginInclude();
void includeQuoted(const std::string &literal);
void includeAngle(const std::string &path);
void beginImport();
void endImport();

// Opens "int main(" before the first executable top-level statement of the main source.
void openMainIfNeeded();
// A top-level call opens main too, unless it calls main itself.
void openMainForCall(const std::string &name);
