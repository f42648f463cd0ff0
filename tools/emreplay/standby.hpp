#pragma once
// Tools on standby. A replayed compile or link is mostly the start of clang
// or wasm-ld: loading and relocating the LLVM libraries before main. After a
// replay, velc_emreplay starts the same program once more with the standby
// gate preloaded (standby_gate.cpp), which loads it and then waits; the
// next replay of the edit loop hands its arguments to that process instead
// of starting the program again.
//
// A standby serves one program, with one environment, in one working
// directory (its name is a digest of them and of the program file's size
// and time), for the user who started it; it ends after its one run, or
// unused after `standbySeconds`; it starts `standbyDelayMilliseconds`
// after the run that leaves it. At most `mostStandbys` wait at once: a new
// one ends another.
// VELC_EMREPLAY_STANDBY=0 in the environment turns them off.
#include <optional>
#include <string>
#include <vector>

constexpr long standbySeconds = 600;
constexpr long standbyDelayMilliseconds = 500;
constexpr int mostStandbys = 8;

// Whether velc_emreplay keeps standbys of the program: the compiler and the
// linker that an edit runs (clang, wasm-ld), which take "--version" as the
// harmless command they are started with.
bool standsBy(const std::string &program);

// Runs the program with the arguments on a standby waiting for it, with
// these standard input, output and error; its wait status, or nothing when
// no standby took the run (the caller then starts the program itself).
std::optional<int> runOnStandby(const std::string &program, const std::vector<std::string> &args,
                                const std::vector<std::string> &environment, const int streams[3]);

// Starts a standby of the program for the next run, unless one already
// waits or standbys are turned off.
void startStandby(const std::string &program, const std::vector<std::string> &environment);

// The socket name of the program's standby (for the tests).
std::string standbyName(const std::string &program, const std::vector<std::string> &environment);
