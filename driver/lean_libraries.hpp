#pragma once
// The system libraries of a link, without their line tables.
//
// velc_prologue, which runs once for a configuration (at build and install
// time), asks the configured linker which libraries of Emscripten's a link
// takes, and writes copies of them without their DWARF (library_lines.hpp)
// into a folder beside the precompiled prologue, with a stamp that records
// the linker, its options and the size and time of every library copied.
// velc puts "-L<folder>" in front of the link's options only while that
// stamp still holds: the link then finds the copies before the originals,
// and makes the same code, data and names in a fraction of the time. After
// an update of Emscripten (or with other link options) the stamp no longer
// holds and the links take the originals, as they would without the copies.
#include <string>
#include <vector>

// The folder of the copies for a precompiled prologue's path.
std::string leanLibraryFolderFor(const std::string &pchPath);

// What the link adds in front of its options: "-L<folder> " while the
// copies of the configuration match, empty otherwise. Decided once per run.
std::string leanLibraryOption();

// The reason the copies cannot be used, or empty when they can. Reads the
// stamp and the libraries afresh.
std::string leanLibraryMismatch();

// Writes the copies and their stamp for the configuration's linker and
// options; empty on success, otherwise what went wrong (the links then
// take the originals).
std::string buildLeanLibraries();

// The libraries a link command takes: each "-l name" resolved in its "-L"
// folders, in their order, to the first "lib<name>.a" that exists.
std::vector<std::string> linkedLibraries(const std::string &linkCommand);
