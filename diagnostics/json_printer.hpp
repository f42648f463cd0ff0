#pragma once
// The messages of a translation as JSON lines, for editors and scripts:
// one object per message, by line as on the console.
//   {"code":46,"file":"prog.vel","line":2,"column":7,"endColumn":7,
//    "message":"\"x\" not declared","hint":"..."}
// "hint" only where there is one; "severity" is "warning" for a message
// that is not counted and "error" otherwise; "related" names another place
// ({"file","line","column"}) where the message has one.
#include <string>
#include <vector>

#include "diagnostics/diagnostic.hpp"

std::string jsonLine(const Diagnostic &diagnostic);
void printJsonDiagnostics(const std::vector<Diagnostic> &diagnostics);
