#pragma once
// The headers each include of a source writes into its implementation:
// everything the included source reaches, flat, so that the compiler's
// include nesting stays the same however long a chain of includes grows.
#include <string>
#include <unordered_map>

#include "translator/translation_job.hpp"

// For entry k of the project, by the names its include lines give. Reads
// the include graph as scanned and the cycles as found.
std::unordered_map<std::string, IncludedHeaders> includedHeadersOf(int k);
