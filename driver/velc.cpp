// The order of one velc run: options, the main source, configuration, scan,
// translation, link and run.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "diagnostics/diagnostics.hpp"
#include "driver/build_stamp.hpp"
#include "driver/native_build.hpp"
#include "driver/playground.hpp"
#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/toolchain.hpp"
#include "driver/velc.hpp"
#include "driver/web_page.hpp"

DriverSettings driverSettings;

namespace {

constexpr int highestExitStatus = 255;

// The directory of the running program, separator included; from the
// kernel when the program was found through PATH and argv[0] has no directory.
std::string programDirectory(const char *programPath) {
    std::string path = programPath ? programPath : "";
    std::string::size_type separator = path.find_last_of("/\\");
    if (separator != std::string::npos)
        return path.substr(0, separator + 1);
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return "";
    std::string executable(buffer, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/') + 1);
}

void handleOptionLetter(char letter, bool &eOrR) {
    DriverSettings &settings = driverSettings;
    switch (letter) {
    case 'b': settings.rebuildAll = true; break;
    case 'c': settings.cppOnly = true; break;
    case 'q': settings.quiet = true; break;
    case 'v': settings.verbose = true; break;
    case '~': settings.keepTemporary = true; break;
    case 'e':
    case 'r': eOrR = true; break;
    default:
        std::printf("Invalid option -%c\n", letter);
        printUsage();
    }
}

bool isPortNumber(const char *text) {
    std::string word = text;
    return !word.empty() && word.size() <= 5 && word.find_first_not_of("0123456789") == std::string::npos &&
           std::stoi(word) >= 1 && std::stoi(word) <= 65535;
}

// A word option ("--html"); returns the number of arguments it took.
int handleLongOption(int argc, char **argv, int at) {
    DriverSettings &settings = driverSettings;
    std::string option = argv[at];
    if (option == "--html") {
        settings.webPage = true;
        return 1;
    }
    if (option == "--playground") {
        settings.playground = true;
        if (at + 1 < argc && isPortNumber(argv[at + 1])) {
            settings.playgroundPort = std::stoi(argv[at + 1]);
            return 2;
        }
        return 1;
    }
    std::printf("Invalid option %s\n", option.c_str());
    printUsage();
    return 1;
}

// Returns the number of option arguments.
int readOptions(int argc, char **argv, bool &eOrR) {
    int optionCount = 0;
    for (int i = 1; i < argc && argv[i][0] == '-';) {
        if (argv[i][1] == '-' && argv[i][2] != '\0') {
            int taken = handleLongOption(argc, argv, i);
            optionCount += taken;
            i += taken;
            continue;
        }
        optionCount++;
        for (const char *letter = argv[i] + 1; *letter; letter++)
            handleOptionLetter(*letter, eOrR);
        i++;
    }
    return optionCount;
}

int toolchainKindOf(const std::string &id) {
    if (id.compare(0, 3, "emc") == 0)
        return 0;
    if (id.compare(0, 5, "clang") == 0)
        return 3;
    return 1;
}

// The files of the program's sources, as opened.
std::vector<std::string> projectSourceNames() {
    std::vector<std::string> names;
    for (std::size_t i = 1; i < project.entries.size(); i++)
        names.push_back(project.entries[i].identity);
    return names;
}

// The page target: the program's page is written in place of its run.
void writePage() {
    const DriverSettings &settings = driverSettings;
    if (settings.toolchainKind != 0) {
        std::printf("A page runs a WebAssembly module: velc.ini names no Emscripten tool chain\n");
        project.programStatus = 1;
    } else if (!writeWebPage(settings.targetName, projectSourceNames(), settings.executableDirectory)) {
        project.programStatus = 1;
    } else if (!settings.quiet) {
        std::string stem = settings.targetName.substr(0, settings.targetName.size() - std::string(".wasm").size());
        std::printf("Page: %s.html (open it in a browser)\n", stem.c_str());
    }
}

// Translates what must be translated, links when needed and runs the program.
void buildProgram() {
    DriverSettings &settings = driverSettings;
    markRelatedSourcesPending();
    if (settings.incremental && !settings.buildAndRun) {
        if (!settings.quiet) {
            printBanner();
            std::fputs("All done (use -b to rebuild)...\n", stdout);
        }
        return;
    }
    if (!settings.incremental) {
        if (!settings.quiet)
            printBanner();
        compileAll();
        if (settings.buildAndRun)
            settings.linkNeeded = true;
    } else if (settings.buildAndRun && targetOutOfDate()) {
        settings.linkNeeded = true;
    }
    // A program whose sources have errors, or whose C++ did not compile,
    // is neither linked nor run.
    if (project.runErrorTotal > 0)
        return;
    if (project.compileFailures > 0) {
        std::puts("Not build");
        return;
    }
    bool linked = false;
    if (settings.linkNeeded && !settings.cppOnly) {
        if (settings.verbose)
            std::printf("Building %s\n", settings.targetName.c_str());
        linkProgram();
        linked = true;
    }
    if (settings.webPage && settings.buildAndRun && (linked || !settings.linkNeeded)) {
        writePage();
        return;
    }
    if (settings.buildAndRun && (linked || !settings.linkNeeded)) {
        if (settings.verbose)
            std::printf("Running %s%s\n", settings.targetName.c_str(),
                        settings.runArguments.c_str());
        runProgram();
    }
}

int runVelc(int argc, char **argv) {
    DriverSettings &settings = driverSettings;
    bool eOrR = false;
    int optionCount = readOptions(argc, argv, eOrR);
    if (settings.playground)
        return runPlayground(settings.executableDirectory, settings.playgroundPort);
    if (argc - optionCount <= 1)
        printUsage();
    if (!settings.quiet && (settings.verbose || settings.rebuildAll))
        printBanner();
    int sourceIndex = optionCount + 1;
    settings.currentSourceName = argv[sourceIndex];
    for (int i = sourceIndex + 1; i < argc; i++) {
        settings.runArguments += std::string(" ") + argv[i];
        settings.runArgumentList.push_back(argv[i]);
    }
    settings.buildAndRun = (settings.rebuildAll || settings.cppOnly) ? eOrR : true;
    nameSource(true);
    readConfiguration(settings.configPath);
    project.buildStamp = buildStamp(toolchainSettings, "/proc/self/exe");
    settings.toolchainKind = toolchainKindOf(toolchainSettings.id);
    if (settings.toolchainKind == 1)
        settings.integerSuffix = "ui64";
    settings.mainSourceName = settings.currentSourceName;
    settings.incremental = !settings.rebuildAll;
    settings.targetName = targetNameFor(settings.currentSourceName, settings.toolchainKind);
    if (toolchainSettings.target == "html" && settings.toolchainKind == 0)
        settings.webPage = true;
    scanSource(true);
    buildProgram();
    int status = exitStatus(diagnostics.errorCount, project.runErrorTotal);
    // A failed compilation is never reported as success.
    if (status == 0 && project.compileFailures > 0)
        return exitStatus(project.compileFailures, 0);
    return status == 0 && project.programStatus != 0 ? exitStatus(project.programStatus, 0) : status;
}

}  // namespace

void printBanner() {
    if (driverSettings.bannerShown)
        return;
    driverSettings.bannerShown = true;
    std::fputs("\nVelmora to WebAssembly Compiler - V. 21.7\n", stdout);
}

void printUsage() {
    printBanner();
    std::fputs("Usage:  velc [options] file\n"
               "Options:\n"
               " -r   run, rebuild from Velmora sources if necessary\n"
               " -b   rebuild all\n"
               " -c   compile Velmora sources to C++ files only\n"
               " -e   compile C++ files and build a wasm file\n"
               " -v   verbose mode\n"
               " -q   quiet mode\n"
               " --html          build a page that runs the program in a browser\n"
               " --playground [port]  serve a playground on 127.0.0.1 to try the language\n"
               "Example: velc -rbe mysource\n",
               stdout);
    std::fflush(stdout);
    std::exit(0);
}

std::string targetNameFor(const std::string &sourceName, int toolchainKind) {
    std::string target = sourceName;
    std::string::size_type dot = target.rfind('.');
    if (dot != std::string::npos && dot > 0)
        target.resize(dot);
    target += ".wasm";
    if (toolchainKind == 1)
        target += ".exe";
    return target;
}

int exitStatus(int lastSourceErrors, int runErrors) {
    int status = lastSourceErrors != 0 ? lastSourceErrors : runErrors;
    if (status < 0)
        return 0;
    return status > highestExitStatus ? highestExitStatus : status;
}

int velcMain(int argc, char **argv) {
    DriverSettings &settings = driverSettings;
    settings.executableDirectory = programDirectory(argc > 0 ? argv[0] : nullptr);
    settings.configPath = settings.executableDirectory + "/velc.ini";
    if (argc < 2)
        printUsage();
    resetProject();
    try {
        return runVelc(argc, argv);
    } catch (const std::exception &e) {
        std::printf("Exception in main: %s\n", e.what());
        return 1;
    }
}
