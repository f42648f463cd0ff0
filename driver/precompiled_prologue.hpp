#pragma once
// The precompiled prologue: the includes that every generated implementation
// file starts with, compiled once into the form the compiler loads instead of
// parsing them again for each file.
//
// The velc.ini key "pch" names the precompiled file; the header it is made
// from has the same name without its last extension (prologue.hpp.pch for
// clang and em++, prologue.hpp.gch for g++). Beside it a stamp records what
// it was built with: the compiler and its options, the programs it starts,
// the environment that changes what the compiler reads, and the size and
// time of every file the compiler read. Neither g++ (which would take a stale
// file silently) nor clang (which would refuse it and fail the build) can be
// left to judge a mismatch, so velc uses the file only while the stamp still
// describes this run exactly.
#include <string>
#include <vector>

// The header a precompiled file is made from.
std::string prologueHeaderFor(const std::string &pchPath);
std::string prologueStampFor(const std::string &pchPath);

// What the compile step adds to its options: "-include <header>" while the
// configured precompiled prologue matches, empty otherwise. Decided once per
// run; forgetPrecompiledPrologue makes the rest of the run go without it.
std::string precompiledPrologueOption();
void forgetPrecompiledPrologue();

// The reason the configured precompiled prologue cannot be used, or empty
// when it can. Reads the stamp and the files afresh.
std::string precompiledPrologueMismatch();

// Writes the header and builds the precompiled prologue named by the
// configuration with its compiler and options, then its stamp. Returns an
// empty text on success, otherwise what went wrong; the files of an earlier
// build are then no longer trusted.
std::string buildPrecompiledPrologue();

// Makefile dependency text as compilers write it ("target: a b \\\n c"),
// escaped blanks kept in the names.
std::vector<std::string> parseDependencyList(const std::string &text);
