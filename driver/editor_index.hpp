#pragma once
// velc --index [--stdin] prog.vel: translates the program as a build
// would, writes no file, and prints one JSON document for editors: the
// diagnostics of every source with their places, and the index of its
// names (declarations, uses, the built-in methods and functions). With
// --stdin, standard input holds a JSON object of unsaved source texts by
// path, read in place of those files.

#include <vector>

#include "diagnostics/diagnostic.hpp"

// Whether the command line asks for the index.
bool asksForIndex(int argc, char **argv);
// The run; its status is 0 when the document was printed.
int runEditorIndex(int argc, char **argv);
// The messages of a source translated for the index, which go into the
// document instead of to the console.
void keepCheckedDiagnostics(const std::vector<Diagnostic> &diagnostics);
