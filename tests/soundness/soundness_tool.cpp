// Command line of the soundness test: prints generated programs, or runs the
// whole check over a range of seeds (the long run).
#include "program_generator.hpp"
#include "soundness_check.hpp"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int usage() {
    std::cerr << "usage: soundness_tool program SEED        print the program of SEED\n"
                 "       soundness_tool expected SEED       print what it must print\n"
                 "       soundness_tool check SEED COUNT [JOBS] [RUN_EVERY]\n"
                 "                                          translate, compile and run COUNT programs\n"
                 "options (before the command): --no-tricky-names\n"
                 "  --skip=one-line-else,constants-in-text,int-max-loops,multiple-assignment,declarations-in-loops\n";
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    soundness::GeneratorOptions options;
    int a = 1;
    while (a < argc && std::strncmp(argv[a], "--", 2) == 0) {
        if (std::strcmp(argv[a], "--no-tricky-names") == 0) options.trickyNames = false;
        else if (std::strncmp(argv[a], "--skip=", 7) == 0) {
            std::string list = argv[a] + 7;
            for (size_t at = 0; at <= list.size();) {
                size_t comma = list.find(',', at);
                if (comma == std::string::npos) comma = list.size();
                options.skip.insert(list.substr(at, comma - at));
                at = comma + 1;
            }
        }
        else return usage();
        ++a;
    }
    if (argc - a < 2) return usage();
    std::string command = argv[a];
    std::uint64_t seed = std::strtoull(argv[a + 1], nullptr, 10);
    if (command == "program" || command == "expected") {
        soundness::GeneratedProgram p = soundness::generateProgram(seed, options);
        if (command == "program") std::cout << p.source;
        else if (p.outputKnown) std::cout << p.expected;
        else std::cerr << "(output not predicted for this seed)\n";
        return 0;
    }
    if (command != "check" || argc - a < 3) return usage();
    soundness::CheckSettings settings = soundness::CheckSettings::fromBuildTree();
    settings.scratch = settings.scratch + "/long";
    soundness::precompilePrologue(settings);
    int count = std::atoi(argv[a + 2]);
    if (argc - a > 3) settings.jobs = std::atoi(argv[a + 3]);
    if (argc - a > 4) settings.runEvery = std::atoi(argv[a + 4]);
    soundness::CheckSummary summary = soundness::checkRange(settings, seed, count, options);
    std::cout << soundness::describe(summary, 1000);
    return summary.failures.empty() ? 0 : 1;
}
