#pragma once
// Compiling the generated C++, linking the program and running it with the
// configured external tools.
#include <string>

// A word as the shell reads it back unchanged: plain words stay as they are,
// anything else is put between single quotes.
std::string shellQuote(const std::string &word);

// The object file that the compile step writes for a C++ file.
std::string objectFileFor(const std::string &cppFile);

// The precompiled prologue's option, when given, follows the configured options.
std::string compileCommand(const std::string &cppFile, const std::string &prologueOption = "");
std::string linkCommand();
std::string runCommand();

// Compiles the C++ files of the run, as many at once as the jobs setting
// allows, with the precompiled prologue while it matches.
void compileCppFiles();
void linkProgram();
void runProgram();

// True when the target is missing or older than one of the program's objects.
bool targetOutOfDate();
