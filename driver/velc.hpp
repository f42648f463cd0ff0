#pragma once
// Entry of the velc program and the pieces of the run that stand on their own.
#include <string>

int velcMain(int argc, char **argv);

// Writes the banner the first time it is asked for in a run.
void printBanner();
// The banner (when not yet printed) and the usage lines.
void printUsageLines();
// The usage lines, then the process ends with the status given.
[[noreturn]] void printUsage(int status = 0);

// prog.vel gives prog.wasm; tool-chain kind 1 adds ".exe".
std::string targetNameFor(const std::string &sourceName, int toolchainKind);
// The status the run ends with, always within 0..255.
int exitStatus(int lastSourceErrors, int runErrors);
