#pragma once

// A fuzzing campaign: inputs from consecutive seeds checked a few at a time
// until a count or a time is reached; each kind of finding kept on disk with
// the input that shows it, and counted.

#include "fuzz_check.hpp"
#include "fuzz_inputs.hpp"

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace fuzz {

struct CampaignSettings {
    CheckSettings check;
    std::vector<std::string> corpus;  // folders of programs to mutate
    std::string scratch;              // work folders go below this one
    std::string findings;             // a folder per finding kept goes below this one (empty: scratch/findings)
    std::uint64_t firstSeed = 1;
    int count = 0;        // inputs to check; 0: until the time is up
    double seconds = 0;   // time to run; 0: until the count is reached
    int jobs = 2;
    bool useClang = false;  // also compile accepted programs' C++ with clang++
    int keptPerSignature = 3;

    // The velc, libvel headers, corpus and scratch folders of the build
    // tree this tool was built in.
    static CampaignSettings fromBuildTree();
};

struct CampaignResult {
    int inputs = 0;
    int findings = 0;
    double seconds = 0;
    // A finding's kind and first line, with how often it came and the seed
    // of its first input.
    struct Signature {
        int count = 0;
        std::uint64_t firstSeed = 0;
        std::string keptIn;
    };
    std::map<std::string, Signature> signatures;
};

// Runs the campaign, writing a line for each new signature to `log` as it comes.
CampaignResult runCampaign(CampaignSettings settings, std::ostream &log);

// The counts and each signature, with the command that writes its first input again.
std::string summary(const CampaignResult &result);

}  // namespace fuzz
