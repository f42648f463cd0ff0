#pragma once
// Settings of one velc run: option flags, the names the whole run shares and
// the tool-chain kind. Owned by the driver; read by the other modules.
#include <string>
#include <vector>

struct DriverSettings {
    bool rebuildAll = false;     // -b
    bool cppOnly = false;        // -c
    bool quiet = false;          // -q
    bool verbose = false;        // -v
    bool keepTemporary = false;  // -~
    bool checkOnly = false;      // translate and report, write nothing (--index)
    // Long options (driver/command_line.cpp).
    bool showHelp = false;        // --help
    bool showVersion = false;     // --version
    bool formatSources = false;   // --format
    bool formatCheckOnly = false; // --check
    bool watch = false;           // --watch
    bool buildAndRun = false;
    bool bannerShown = false;
    bool incremental = false;
    bool linkNeeded = false;
    std::string executableDirectory;
    std::string configPath;
    std::string mainSourceName;
    std::string runArguments;
    std::vector<std::string> runArgumentList;   // the same arguments, one word each
    std::string targetName;
    bool webPage = false;         // --html: write a page beside the module instead of running it
    std::vector<std::string> pageFiles;   // --html-file: files put into the page's folder
    bool playground = false;      // --playground: serve the playground instead of building
    int toolchainKind = 0;       // 0 Emscripten, 1 another compiler, 3 clang
    std::string integerSuffix = "ULL";
};

extern DriverSettings driverSettings;
