#pragma once
// The name by which a generated file includes the header of another source.
// An include line names a source from the main source's folder, and so does
// the project; C++ looks for a quoted name first beside the file that
// includes it. A source in a folder of its own therefore names the header
// from its own folder: "lib/util.vel" including "helper.vel" writes
// "../helper.hpp", which the compilers find whatever folder they run in and
// whatever "-I" options they get, and never a "lib/helper.hpp" beside it.
#include <string>

// `header` as named from the main source's folder, seen from the folder of
// the source `baseName` (its path without ".vel", from the main source's
// folder). Absolute names, names starting with "." and sources whose path
// climbs out with ".." stay as they are.
std::string headerSeenFrom(const std::string &baseName, const std::string &header);
