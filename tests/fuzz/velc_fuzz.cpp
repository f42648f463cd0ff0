// The fuzzer's command line: runs velc on generated and mutated programs
// for a number of inputs or of minutes and reports what it found; or writes
// the input of one seed into a folder, to reproduce a finding.
#include "fuzz_campaign.hpp"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>

namespace {

int usage() {
    std::cerr << "usage: velc_fuzz run [--seed S] [--count N | --minutes M] [--jobs J] [--findings DIR]\n"
                 "                     [--scratch DIR]"
                 " [--corpus DIR]... [--no-compile] [--clang] [--velc PATH]\n"
                 "       velc_fuzz show SEED DIR      write the input of SEED into DIR\n";
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) return usage();
    fuzz::CampaignSettings settings = fuzz::CampaignSettings::fromBuildTree();
    std::string command = argv[1];
    if (command == "show") {
        if (argc != 4) return usage();
        fuzz::Mutator mutator(fuzz::loadCorpus(settings.corpus));
        fuzz::FuzzCase input = mutator.make(std::strtoull(argv[2], nullptr, 10));
        std::string dir = argv[3];
        std::system(("mkdir -p '" + dir + "'").c_str());
        for (const auto &file : input.files) std::ofstream(dir + "/" + file.first, std::ios::binary) << file.second;
        std::cout << input.origin << "\n";
        return 0;
    }
    if (command != "run") return usage();
    bool corpusGiven = false;
    settings.firstSeed = std::uint64_t(std::time(nullptr)) * 1000;
    for (int a = 2; a < argc; ++a) {
        std::string option = argv[a];
        bool hasValue = a + 1 < argc;
        if (option == "--seed" && hasValue) settings.firstSeed = std::strtoull(argv[++a], nullptr, 10);
        else if (option == "--count" && hasValue) settings.count = std::atoi(argv[++a]);
        else if (option == "--minutes" && hasValue) settings.seconds = std::atof(argv[++a]) * 60;
        else if (option == "--jobs" && hasValue) settings.jobs = std::atoi(argv[++a]);
        else if (option == "--findings" && hasValue) settings.findings = argv[++a];
        else if (option == "--scratch" && hasValue) settings.scratch = argv[++a];
        else if (option == "--velc" && hasValue) settings.check.velc = argv[++a];
        else if (option == "--corpus" && hasValue) {
            if (!corpusGiven) settings.corpus.clear();
            corpusGiven = true;
            settings.corpus.push_back(argv[++a]);
        }
        else if (option == "--no-compile") settings.check.compile = false;
        else if (option == "--clang") settings.useClang = true;
        else return usage();
    }
    if (settings.findings.empty()) settings.findings = settings.scratch + "/findings";
    fuzz::CampaignResult result = fuzz::runCampaign(settings, std::cout);
    std::cout << fuzz::summary(result);
    return result.findings == 0 ? 0 : 1;
}
