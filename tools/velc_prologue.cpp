// velc_prologue velc.ini: precompiles the prologue of generated C++ files for
// the compiler and options of that configuration, into the file its "pch"
// key names, and writes the stamp that tells velc the file matches. The
// build runs it for the build tree's configurations and the install for the
// installed one. Status 1, with the reason, when nothing usable was built.
#include <fstream>
#include <iostream>

#include "driver/precompiled_prologue.hpp"
#include "driver/toolchain.hpp"

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: velc_prologue velc.ini\n";
        return 2;
    }
    std::ifstream probe(argv[1]);
    if (!probe) {
        std::cerr << argv[1] << ": cannot be opened\n";
        return 1;
    }
    readConfiguration(argv[1]);
    std::string problem = buildPrecompiledPrologue();
    if (!problem.empty()) {
        std::cerr << "velc_prologue: " << problem << "\n";
        return 1;
    }
    return 0;
}
