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
#include "driver/command_line.hpp"
#include "driver/early_runner.hpp"
#include "driver/editor_index.hpp"
#include "driver/formatter.hpp"
#include "driver/watch.hpp"
#include "driver/version_report.hpp"
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
// An option velc does not know: nothing was done.
constexpr int invalidOptionStatus = 2;

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
    } else if (!writeWebPage(settings.targetName, projectSourceNames(), settings.pageFiles,
                             settings.executableDirectory)) {
        project.programStatus = 1;
    } else if (!settings.quiet) {
        std::string stem = settings.targetName.substr(0, settings.targetName.size() - std::string(".wasm").size());
        std::printf("Page: %s.html (open it in a browser)\n", stem.c_str());
    }
}

// A port number, 1 to 65535, as typed after --playground.
bool isPortNumber(const std::string &word) {
    return !word.empty() && word.size() <= 5 && word.find_first_not_of("0123456789") == std::string::npos &&
           std::stoi(word) >= 1 && std::stoi(word) <= 65535;
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
    if (project.runErrorTotal > 0) {
        dismissRunner();
        return;
    }
    if (project.compileFailures > 0) {
        dismissRunner();
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
    dismissRunner();
}

// The command line of each build of a watch: this one without --watch.
std::vector<std::string> withoutWatchOption(int argc, char **argv, int optionCount) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; i++)
        if (i == 0 || i > optionCount || std::string(argv[i]) != "--watch")
            arguments.push_back(argv[i]);
    return arguments;
}

// The configuration read and the names it decides: the tool-chain kind and
// what follows from it.
void readToolchain() {
    DriverSettings &settings = driverSettings;
    readConfiguration(settings.configPath);
    settings.toolchainKind = toolchainKindOf(toolchainSettings.id);
    if (settings.toolchainKind == 1)
        settings.integerSuffix = "ui64";
}

// Without a source the usage is the answer (status 0), unless a long
// option asked for work on one: then nothing was done that was asked.
bool asksForSourceWork(const DriverSettings &settings) {
    return settings.watch || settings.formatSources || settings.webPage;
}

int runVelc(int argc, char **argv) {
    DriverSettings &settings = driverSettings;
    OptionReading options = readOptions(argc, argv, settings);
    bool eOrR = options.eOrR;
    int optionCount = options.optionCount;
    if (!options.invalid.empty()) {
        std::printf("Invalid option %s\n", options.invalid.c_str());
        printUsage(invalidOptionStatus);
    }
    if (settings.showHelp) {
        printUsageLines();
        std::fputs(longOptionHelp().c_str(), stdout);
        return 0;
    }
    if (settings.showVersion) {
        readToolchain();
        std::fputs(versionReport(settings.configPath).c_str(), stdout);
        return 0;
    }
    if (settings.playground) {
        // A word after the option that is no port would otherwise be
        // ignored, and the playground served where the user did not ask.
        bool portGiven = argc > optionCount + 1;
        if (portGiven && !isPortNumber(argv[optionCount + 1])) {
            std::printf("%s is not a port number (1 to 65535)\n", argv[optionCount + 1]);
            return 2;
        }
        return runPlayground(settings.executableDirectory, portGiven ? std::stoi(argv[optionCount + 1]) : 0);
    }
    if (argc - optionCount <= 1)
        printUsage(asksForSourceWork(settings) ? invalidOptionStatus : 0);
    int sourceIndex = optionCount + 1;
    if (settings.formatSources) {
        readConfiguration(settings.configPath);
        return formatSourceFiles(std::vector<std::string>(argv + sourceIndex, argv + argc),
                                 settings.formatCheckOnly, toolchainSettings.indentWidth);
    }
    if (settings.watch)
        return watchProgram(withoutWatchOption(argc, argv, optionCount), argv[sourceIndex]);
    if (!settings.quiet && (settings.verbose || settings.rebuildAll))
        printBanner();
    for (int i = sourceIndex + 1; i < argc; i++) {
        settings.runArguments += std::string(" ") + argv[i];
        settings.runArgumentList.push_back(argv[i]);
    }
    settings.buildAndRun = (settings.rebuildAll || settings.cppOnly) ? eOrR : true;
    settings.mainSourceName = describeSource(argv[sourceIndex], true).path;
    readToolchain();
    project.buildStamp = buildStamp(toolchainSettings, "/proc/self/exe");
    settings.incremental = !settings.rebuildAll;
    settings.targetName = targetNameFor(settings.mainSourceName, settings.toolchainKind);
    if (toolchainSettings.target == "html")
        settings.webPage = true;
    scanSource(settings.mainSourceName, true);
    buildProgram();
    int status = exitStatus(project.sourceErrorCount, project.runErrorTotal);
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

void printUsageLines() {
    printBanner();
    std::fputs("Usage:  velc [options] file\n"
               "Options:\n"
               " -r   run, rebuild from Velmora sources if necessary\n"
               " -b   rebuild all\n"
               " -c   compile Velmora sources to C++ files only\n"
               " -e   compile C++ files and build a wasm file\n"
               " -v   verbose mode\n"
               " -q   quiet mode\n"
               "Example: velc -rbe mysource\n",
               stdout);
}

void printUsage(int status) {
    printUsageLines();
    std::fflush(stdout);
    std::exit(status);
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
        if (asksForIndex(argc, argv))
            return runEditorIndex(argc, argv);
        return runVelc(argc, argv);
    } catch (const std::exception &e) {
        std::printf("Exception in main: %s\n", e.what());
        return 1;
    }
}
