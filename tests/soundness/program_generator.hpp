#pragma once

// Random, well-formed Velmora programs for the soundness test. A program is
// built as a small tree, written out as Velmora text and run by a reference
// interpreter, so that the generator knows exactly what the compiled program
// must print. Everything depends only on the seed.

#include <cstdint>
#include <set>
#include <string>

namespace soundness {

struct GeneratorOptions {
    // Use C++ keywords and C library names as Velmora identifiers now and then.
    bool trickyNames = true;
    // Largest number of statements at the top level of a program.
    int topStatements = 9;
    // Deepest nesting of control structures.
    int maxDepth = 3;
    // Constructs left out, by name, to look past failures already known:
    // "one-line-else" (if c ? s else s), "constants-in-text" (an enumeration
    // item or constant in "$name"), "int-max-loops" (for ranges ending at the
    // largest int), "multiple-assignment", "declarations-in-loops".
    std::set<std::string> skip;
    // Add pieces that define and use functions, classes, objects, define
    // types and built-in methods (at most this many per program).
    int pieces = 3;
    // Every n-th seed gives a program velc must refuse with a given message
    // (a void result used as a value); 0: none.
    int diagnosticEvery = 16;
    // Plants a fault: the expected output gets an extra line the program
    // never prints. Only for checking that the driver notices.
    bool plantWrongOutput = false;
};

struct GeneratedProgram {
    std::uint64_t seed = 0;
    std::string source;    // the Velmora program
    std::string expected;  // what it must print on standard output
    // False when no attempt gave a program whose run the reference
    // interpreter could follow to the end (then only translation and the
    // C++ compile are checked).
    bool outputKnown = false;
    // When set, velc must refuse the program and print this line.
    std::string expectedMessage;
};

GeneratedProgram generateProgram(std::uint64_t seed, const GeneratorOptions &options = {});

}  // namespace soundness
