// velc_prologue velc.ini: precompiles the prologue of generated C++ files for
// the compiler and options of that configuration, into the file its "pch"
// key names, and writes the stamp that tells velc the file matches; for an
// Emscripten configuration, also the copies of the system libraries its
// links take, without their line tables (driver/lean_libraries.hpp). The
// build runs it for the build tree's configurations and the install for the
// installed one. Status 1, with the reason, when nothing usable was built.
#include <fstream>
#include <iostream>

#include "driver/lean_libraries.hpp"
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
    // Without the copies the links take the original libraries: slower, the
    // same code.
    if (toolchainSettings.id.compare(0, 3, "emc") == 0) {
        problem = buildLeanLibraries();
        if (!problem.empty())
            std::cerr << "velc_prologue: the libraries are linked with their line tables: " << problem << "\n";
    }
    return 0;
}
