#pragma once
// The stamp of what makes a program's outputs: velc itself, the tool-chain
// settings, the programs they start, the libraries they link and libvel's
// headers. Every header velc writes records the stamp of its run; outputs
// with another stamp were made by another velc, libvel or tool chain and are
// made again, as those of a changed source would be.
#include <string>

#include "driver/toolchain.hpp"

// What the stamp is made from, one line per item; the files by their
// signature (size and time), so that an upgrade or rebuild changes it.
std::string buildDescription(const ToolchainSettings &tools, const std::string &velcProgram);

// A short fixed-width digest of the description.
std::string buildStamp(const ToolchainSettings &tools, const std::string &velcProgram);

// The stamp an existing header records, empty when it records none.
std::string recordedStamp(const std::string &headerPath);

// The digest of the contents an existing header was translated from (the
// source and what it includes), empty when it records none.
std::string recordedSourceDigest(const std::string &headerPath);
