#pragma once
// The runner of a WebAssembly program started while velc still compiles and
// links it: Node's start-up (most of what a small program's run costs)
// then takes the other processor instead of following the link. The runner
// waits for one byte on a pipe (the descriptor it is given in the variable
// VELMORA_WASMER_READY_FD) before it reads the module: "1" when the build
// succeeded, nothing (the pipe closed) when there is nothing to run. Only
// our wasmer knows the variable, and names it in its first lines: only
// such a one is started early; any other runner (an older wasmer of ours
// included) is started when the module is there, as before.
#include <string>

// Starts `command` through the shell with a pipe to wait on, when the first
// word of the command is a wasmer that waits for the build. Does nothing when a runner
// already waits or the command is another.
void startRunnerEarly(const std::string &command);

// Whether a runner waits for the build.
bool runnerWaiting();

// The build succeeded: the waiting runner runs the module, and its wait
// status (as system's) is returned when it ends.
int releaseRunner();

// There is nothing to run: the waiting runner ends without running.
void dismissRunner();

// Whether the program at `path` is a wasmer that waits for the build: its
// first lines name the variable.
bool waitsForTheBuild(const std::string &path);
