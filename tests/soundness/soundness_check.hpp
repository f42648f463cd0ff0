#pragma once

// The checking half of the soundness test: translates generated programs
// with velc, compiles the C++ with g++ and, for a sample, links, runs and
// compares what the program prints with what the generator expects.

#include "program_generator.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace soundness {

struct CheckSettings {
    std::string velc;        // the velc under test
    std::string includeDir;  // directory holding velmora/libvel.hpp
    std::string library;     // native libvel archive
    std::string compiler = "g++";
    std::string secondCompiler;  // clang++, which every translated program must also pass; empty: none
    std::string scratch;     // work directories go below this one
    int jobs = 2;
    int runEvery = 3;  // every n-th program is linked and run (1: all, 0: none)
    int translateSeconds = 10;
    int compileSeconds = 120;
    int runSeconds = 5;
    // "-include <header>" of the precompiled prologue (precompilePrologue), or empty.
    std::string prologueInclude;

    // The velc, libvel and scratch directory of the build tree this test was built in.
    static CheckSettings fromBuildTree();
};

struct Failure {
    std::uint64_t seed = 0;
    std::string kind;    // "velc crash", "g++ refused", "wrong output", ...
    std::string detail;  // the tool's messages or the two outputs
    std::string source;  // the Velmora program
};

struct CheckSummary {
    int programs = 0, accepted = 0, compiled = 0, ran = 0, outputsCompared = 0;
    std::vector<Failure> failures;
};

// Checks one program in `workDir` (created, and removed again when all is
// well). With `build` the program is linked and run, else only compiled.
std::optional<Failure> checkProgram(const CheckSettings &settings, const GeneratedProgram &program, bool build,
                                    const std::string &workDir, CheckSummary *tally = nullptr);

// Generates and checks `count` programs from `firstSeed` on, `settings.jobs` at a time.
// Compiles the includes every generated file starts with once, for g++ and
// for clang, below the scratch directory, and has the checks use them: the
// headers are most of the compile of a small program. Leaves the settings as
// they are when either compiler cannot build them.
void precompilePrologue(CheckSettings &settings);

CheckSummary checkRange(const CheckSettings &settings, std::uint64_t firstSeed, int count,
                        const GeneratorOptions &options = {});

// A report: the counts, then each failure with its program (the first
// `fullListings` of them in full, the others by seed and kind).
std::string describe(const CheckSummary &summary, int fullListings = 8);

}  // namespace soundness
