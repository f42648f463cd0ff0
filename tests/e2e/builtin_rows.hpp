#pragma once
// A Velmora program that calls every row of the built-in table, on every
// receiver type that reaches the row, so that the table and libvel cannot
// drift apart: the program must translate without a message, compile, and
// run to its end.
#include <string>

std::string builtinRowsProgram();
// How many calls the program makes.
int builtinRowsCallCount();
