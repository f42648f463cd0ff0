#pragma once
// The console form of a translation's messages: each numbered or syntax
// line exactly as the catalogue gives it, then, when excerpts are on, the
// source line with a caret under the fault and the hint.
#include <string>
#include <vector>

#include "diagnostics/diagnostic.hpp"

// velc.ini "excerpts": on a terminal only, always or never.
enum class ExcerptChoice { automatic, always, never };
// velc.ini "messages": the console form or one JSON object per line.
enum class MessageForm { text, json };

bool parseExcerptChoice(const std::string &value, ExcerptChoice &choice);
bool parseMessageForm(const std::string &value, MessageForm &form);

// The line of one message, to its stream (standard error for syntax
// errors, standard output for the rest), flushed.
void printDiagnosticLine(const Diagnostic &diagnostic);

// The text of a source's lines, from 1; empty for a line it does not have.
class SourceLines {
public:
    explicit SourceLines(const std::string &text);
    const std::string &line(int number) const;

private:
    std::vector<std::string> lines_;
};

// The numbered source line and the caret line under columns first..last
// (from 1, bytes; a tab before the fault is repeated in the caret line, so
// that the caret stands under it whatever the tab stops).
std::string excerptOf(int lineNumber, const std::string &sourceLine, int first, int last, bool colour);

// The messages of one source by line, those of a line in the order reported.
std::vector<const Diagnostic *> inLineOrder(const std::vector<Diagnostic> &diagnostics);

// A translation's messages in line order (those of one line in the order
// reported), each with its excerpt and hint when `choice` says so.
void printConsoleDiagnostics(const std::vector<Diagnostic> &diagnostics, const SourceLines &source,
                             ExcerptChoice choice);
