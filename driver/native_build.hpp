#pragma once
// Compiling the generated C++, linking the program and running it with the
// configured external tools.
#include <string>

// The object file that the compile step writes for a C++ file.
std::string objectFileFor(const std::string &cppFile);

// The compiler part of a compile command. A launcher (ccache, distcc) goes
// in front of the compiler; em++ is told to put it in front of the clang it
// starts instead, which is also what velc_emreplay records and replays.
std::string launchedCompiler();
// The precompiled prologue's option, when given, follows the configured options.
std::string compileCommand(const std::string &cppFile, const std::string &prologueOption = "");
std::string linkCommand();
// The same link, writing `output` instead of the target.
std::string linkCommandWriting(const std::string &output);
// Where the link writes before the target is replaced: the target's name
// with ".part" before its extension, which tells the linker the same kind
// of output ("prog.wasm" gives "prog.part.wasm").
std::string partialTargetFor(const std::string &target);
std::string runCommand();

// Compiles the C++ files of the run, as many at once as the jobs setting
// allows, with the precompiled prologue while it matches.
void compileCppFiles();
// Links into the partial target and renames it to the target only when the
// linker succeeded: a link that fails or is killed never leaves a target
// that a later run would take for complete.
void linkProgram();
void runProgram();

// True when the target is missing or older than one of the program's objects.
bool targetOutOfDate();
