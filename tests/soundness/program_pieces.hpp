#pragma once

// Pieces of whole-language programs for the soundness test: functions
// (defaults, several results, alias parameters, bounded recursion), classes
// with constructors, methods and a base class, objects in arrays and linked
// lists walked up to null, results of built-in methods used as values,
// define function types, nested subscripts and text elements in sums. Each
// piece is top-level Velmora text with exactly what it prints; the writer
// works the values out itself while it writes them.
//
// Besides, programs that use a void result as a value, with the message
// velc must give for them.

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace soundness {

// Names the C and C++ compilers or libvel know already, for variables.
const std::vector<std::string> &namesKnownToCpp();

struct Piece {
    std::string text;
    std::string expected;
};

// Writes `count` pieces; every name they declare is new to `taken` (the
// names the rest of the program declares, in any letter case). With
// `trickyNames` some names are C and C++ keywords, C library and libvel
// names, for every kind of name a piece declares.
Piece writePieces(std::mt19937_64 &rng, const std::set<std::string> &taken, bool trickyNames, int count);

struct DiagnosticCase {
    std::string source;
    std::string message;  // a line velc must print, as "prog.vel L<line>: <text>"
};

DiagnosticCase voidValueCase(std::uint64_t seed);

}  // namespace soundness
