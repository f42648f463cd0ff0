#include "driver/native_build.hpp"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>

#include "diagnostics/diagnostics.hpp"
#include "driver/compile_jobs.hpp"
#include "driver/early_runner.hpp"
#include "driver/lean_libraries.hpp"
#include "driver/module_debug_file.hpp"
#include "driver/precompiled_prologue.hpp"
#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/shell_quote.hpp"
#include "driver/toolchain.hpp"

namespace {

enum ToolchainKind { emscriptenKind = 0, otherCompilerKind = 1, clangKind = 3 };

const char *objectOutputFlag() {
    return driverSettings.toolchainKind == otherCompilerKind ? " /Fo" : " -o";
}

const char *programOutputFlag() {
    return driverSettings.toolchainKind == otherCompilerKind ? "/out:" : " -o ";
}

// Output written so far must come before whatever the tool writes.
int runCommandLine(const std::string &command) {
    std::fflush(stdout);
    return std::system(command.c_str());
}

// Where the program of a command setting begins: after the blanks and the
// NAME=value words that the shell sets for it.
std::string::size_type programStart(const std::string &command) {
    std::string::size_type at = command.find_first_not_of(" \t");
    while (at != std::string::npos) {
        std::string::size_type end = command.find_first_of(" \t", at);
        std::string word = command.substr(at, end == std::string::npos ? std::string::npos : end - at);
        std::string::size_type equals = word.find('=');
        if (equals == std::string::npos || equals == 0 || word.find('/') < equals || end == std::string::npos)
            return at;
        at = command.find_first_not_of(" \t", end);
    }
    return command.size();
}

// ccache caches no compile that loads a precompiled header until it is told
// that the header's macros and time stamps may be trusted. The prologue has
// no __DATE__ or __TIME__, and the precompiled file is itself part of what
// ccache hashes, so velc says so for its own compiles, keeping whatever the
// caller's environment allows already.
void letCacheTrustThePrologue() {
    const char *allowed = std::getenv("CCACHE_SLOPPINESS");
    std::string sloppiness = allowed && *allowed ? std::string(allowed) + "," : "";
    setenv("CCACHE_SLOPPINESS", (sloppiness + "pch_defines,time_macros").c_str(), 1);
}

}  // namespace

std::string objectFileFor(const std::string &cppFile) {
    std::string::size_type dot = cppFile.rfind('.');
    std::string stem = dot != std::string::npos && dot > 0 ? cppFile.substr(0, dot) : cppFile;
    return stem + toolchainSettings.extension;
}

std::string launchedCompiler() {
    const ToolchainSettings &tools = toolchainSettings;
    if (tools.launcher.empty())
        return tools.compiler;
    if (driverSettings.toolchainKind == emscriptenKind)
        return tools.compiler + " --compiler-wrapper=" + shellQuote(tools.launcher);
    std::string::size_type program = programStart(tools.compiler);
    return tools.compiler.substr(0, program) + shellQuote(tools.launcher) + " " + tools.compiler.substr(program);
}

// A compile that writes debug information (the line tables of run-time
// errors' callers, say) names its folder in the object, so a launcher's
// cache (ccache) keys it by the folder too, and a build in a new folder
// would find nothing cached: the folder is mapped to ".", which the cache
// keys instead.
std::string folderMapOption(const ToolchainSettings &tools) {
    if (tools.launcher.empty() || (" " + tools.options).find(" -g") == std::string::npos)
        return "";
    char folder[PATH_MAX];
    if (!getcwd(folder, sizeof folder))
        return "";
    return " " + shellQuote(std::string("-fdebug-prefix-map=") + folder + "=.");
}

std::string compileCommand(const std::string &cppFile, const std::string &prologueOption) {
    const ToolchainSettings &tools = toolchainSettings;
    std::string options = prologueOption.empty() ? tools.options : tools.options + " " + prologueOption;
    options += folderMapOption(tools);
    return launchedCompiler() + " " + options + " " + shellQuote(cppFile) + objectOutputFlag() +
           shellQuote(objectFileFor(cppFile)) + " ";
}

std::string linkCommand() {
    return linkCommandWriting(driverSettings.targetName);
}

std::string linkCommandWriting(const std::string &output) {
    const ToolchainSettings &tools = toolchainSettings;
    std::string objects;
    for (const std::string &object : project.objectNames)
        objects += " " + shellQuote(object);
    std::string lean = driverSettings.toolchainKind == emscriptenKind ? leanLibraryOption() : "";
    return tools.linker + " " + lean + tools.loptions + " " + programOutputFlag() + shellQuote(output) + " " +
           objects + " " + tools.objects;
}

std::string partialTargetFor(const std::string &target) {
    std::string::size_type separator = target.find_last_of("/\\");
    std::string::size_type nameStart = separator == std::string::npos ? 0 : separator + 1;
    std::string::size_type dot = target.rfind('.');
    if (dot == std::string::npos || dot <= nameStart)
        return target + ".part";
    return target.substr(0, dot) + ".part" + target.substr(dot);
}

std::string runCommand() {
    const std::string &target = driverSettings.targetName;
    std::string program;
    if (driverSettings.toolchainKind == emscriptenKind) {
        program = "wasmer ";
        for (const std::string &folder : toolchainSettings.folders)
            program += "--dir " + shellQuote(folder) + " ";
        program += shellQuote(target);
    }
    else if (target.find('/') == std::string::npos)
        program = shellQuote("./" + target);   // the shell looks a bare name up in PATH
    else
        program = shellQuote(target);
    std::string arguments;
    for (const std::string &argument : driverSettings.runArgumentList)
        arguments += " " + shellQuote(argument);
    return program + " " + arguments;
}

// A program that will run under our wasmer has its runner started now,
// to start up while the module is compiled and linked.
void startRunnerWhileBuilding() {
    const DriverSettings &settings = driverSettings;
    if (settings.buildAndRun && !settings.webPage && !settings.cppOnly && settings.toolchainKind == emscriptenKind)
        startRunnerEarly(runCommand());
}

void compileCppFiles() {
    if (project.translatedCount == 0)
        return;
    startRunnerWhileBuilding();
    if (driverSettings.verbose)
        std::printf("%zu files to compile...\n", project.cppFileList.size());
    // A target linked from the objects these replace must not pass for one
    // linked from them: with file times of whole seconds it could look as
    // new as they are.
    std::remove(driverSettings.targetName.c_str());
    std::string prologue = precompiledPrologueOption();
    if (!prologue.empty() && !toolchainSettings.launcher.empty())
        letCacheTrustThePrologue();
    std::vector<CompileJob> jobs;
    for (const std::string &cppFile : project.cppFileList) {
        CompileJob job{cppFile, objectFileFor(cppFile), compileCommand(cppFile, prologue), ""};
        if (!prologue.empty())
            job.fallbackCommand = compileCommand(cppFile);
        jobs.push_back(job);
    }
    project.compileFailures += runCompileJobs(jobs, toolchainSettings.jobs);
}

void linkProgram() {
    const std::string &target = driverSettings.targetName;
    std::string partial = partialTargetFor(target);
    std::string command = linkCommandWriting(partial);
    startRunnerWhileBuilding();
    std::printf("objlist=%s\n", project.objectList.c_str());
    if (!driverSettings.quiet)
        std::printf("Linking %s...\n", project.lastDescribedBaseName.c_str());
    if (driverSettings.verbose)
        std::printf("%s\n", command.c_str());
    std::remove(partial.c_str());
    if (runCommandLine(command) != 0) {
        std::remove(partial.c_str());
        dismissRunner();
        fatalMessage("Not build");
    }
    std::string error;
    if (!placeLinkedModule(partial, target, error)) {
        std::printf("Cannot replace %s\n", error.c_str());
        dismissRunner();
        fatalMessage("Not build");
    }
}

// A program that fails must not look like a successful run: its status,
// or the signal that stopped it, is reported and becomes velc's status.
void runProgram() {
    int status = runnerWaiting() ? releaseRunner() : -2;
    if (status == -2)
        status = runCommandLine(runCommand());
    if (status == 0)
        return;
    std::fflush(stdout);
    if (status == -1) {
        std::printf("%s could not be run\n", driverSettings.targetName.c_str());
        project.programStatus = 1;
    } else if (WIFSIGNALED(status)) {
        std::printf("%s was stopped by signal %d\n", driverSettings.targetName.c_str(), WTERMSIG(status));
        project.programStatus = 128 + WTERMSIG(status);
    } else {
        int code = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
        std::printf("%s ended with status %d\n", driverSettings.targetName.c_str(), code);
        project.programStatus = code != 0 ? code : 1;
    }
}

bool targetOutOfDate() {
    FileTime targetTime = 0;
    if (!fileTime(driverSettings.targetName, targetTime))
        return true;
    for (const std::string &object : project.objectNames) {
        FileTime objectTime = 0;
        if (fileTime(object, objectTime) && objectTime > targetTime)
            return true;
    }
    return false;
}
