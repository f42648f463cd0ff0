#pragma once
// Checks that a module velc linked is a plain WASI module: what it imports,
// and how it runs on a second, independent WASI implementation.
#include <string>
#include <vector>

#include "example_runner.hpp"

// "module.name" of every import outside wasi_snapshot_preview1; a file that
// is no readable module gives one entry that says why.
std::vector<std::string> importsOutsideWasi(const std::string &modulePath);

// True when the second runtime is installed (setup.sh puts it in the build tree).
bool secondRuntimeInstalled();

// The command that runs a module under the second runtime, its name and
// arguments to follow.
std::string secondRuntimeCommand();

// Runs the module under the second runtime.
CommandOutcome runUnderSecondRuntime(ExampleWorkspace &workspace, const std::string &moduleAndArguments,
                                     const std::string &inputPath = "/dev/null");

// Runs the module under our wasmer and, when installed, under the second
// runtime, failing the test unless both print the same and end alike.
// Returns wasmer's outcome.
CommandOutcome runUnderBothRuntimes(ExampleWorkspace &workspace, const std::string &moduleAndArguments,
                                    const std::string &inputPath = "/dev/null");
