#pragma once

// The checking half of the fuzzer: runs velc on one input and tells what
// went wrong, if anything. Whatever the input, velc must end by itself
// within its time, without a signal, a sanitizer report or an internal
// error; and the C++ of a program it accepts must compile without an error
// or a warning.

#include "fuzz_inputs.hpp"

#include <optional>
#include <string>

namespace fuzz {

struct CheckSettings {
    std::string velc;          // the velc under test
    std::string includeDir;    // the folder holding velmora/libvel.hpp
    std::string compiler = "g++";
    std::string secondCompiler;  // clang++ (em++ is clang); empty: none
    std::string prologueHeader;  // the prologue of generated files, precompiled beside it; or empty
    int translateSeconds = 10;
    int startWaitSeconds = 60; // how long a velc that did not start is tried again
    int compileSeconds = 120;
    bool compile = true;       // check the C++ of accepted programs
    bool sanitized = false;    // velc has ASan: no address-space limit, which it reserves beyond
};

struct Finding {
    std::string kind;    // "velc crash", "velc hang", "sanitizer report", "internal error", "g++ refused", ...
    std::string detail;  // the messages that show it
};

// Writes the input's sources into `workDir` (emptied first), runs velc on
// prog.vel there and checks the outcome. The folder is left as it is, for
// a finding to be looked at.
std::optional<Finding> checkCase(const CheckSettings &settings, const FuzzCase &input, const std::string &workDir);

// What velc's output says of the translator itself, or "" when nothing:
// an internal error, an underflow of its stacks, an exception it caught.
std::string internalFault(const std::string &output);

// The sanitizer's report within velc's standard error, or "".
std::string sanitizerReport(const std::string &errors);

}  // namespace fuzz
