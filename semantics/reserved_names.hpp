#pragma once
// Names that a Velmora program may declare but that the generated C++ cannot
// use as they are written: C++ keywords and alternative tokens, `main`,
// `std`, and every macro or global-scope name of the headers that each
// generated implementation file includes (the C and C++ libraries of the
// host compiler and of em++, and libvel), and every name with libvel's
// prefix "vel_", which its object base's members have. A Velmora identifier is
// [A-Za-z][A-Za-z0-9_]*, and the translator's own names all start with '_'.
#include <cstddef>
#include <string>
#include <vector>

// Whether name may not appear as written in the generated C++.
bool isReservedName(const std::string &name);

// The C++ spelling of a name the Velmora program declares: name + "_" when
// name is reserved or ends with '_', otherwise name itself. Distinct names
// keep distinct spellings: a renamed spelling ends with '_', and every name
// that ends with '_' is itself renamed, so no spelling can be both.
std::string emittedNameFor(const std::string &name);

// Every reserved name, sorted, without duplicates.
std::vector<std::string> reservedNameList();

// How many of them come from the headers rather than from the fixed list.
std::size_t headerReservedNameTotal();
