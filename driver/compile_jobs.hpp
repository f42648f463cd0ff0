#pragma once
// Running the compile commands of one build: one after another, or several
// at once with their output held back so that everything appears in the
// order of the list, exactly as one at a time would print it.
#include <string>
#include <vector>

struct CompileJob {
    std::string cppFile;
    std::string objectFile;
    std::string command;        // what is run first
    // Run when the first command fails and differs from it: the same
    // compile without the precompiled prologue. Empty when there is none.
    std::string fallbackCommand;
};

// Compiles every job, at most `parallel` at a time, and prints for each, in
// list order: "Compiling " and the file, the command line when verbose, the
// compiler's own output, and "Compilation of ... failed" when it failed.
// An object is removed before its compile and after a failed one. Returns
// the number of failed compiles.
int runCompileJobs(const std::vector<CompileJob> &jobs, int parallel);
