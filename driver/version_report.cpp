#include "driver/version_report.hpp"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "driver/native_build.hpp"
#include "driver/settings.hpp"
#include "driver/toolchain.hpp"
#include "velc_version.hpp"

namespace {

bool isFile(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The first line a command prints for --version, standard error included;
// a note instead when it prints nothing or cannot be started.
std::string toolVersion(const std::string &command) {
    std::fflush(stdout);
    std::FILE *pipe = popen((command + " --version 2>&1 </dev/null").c_str(), "r");
    if (!pipe)
        return "(cannot be started)";
    char buffer[512];
    std::string line;
    if (std::fgets(buffer, sizeof buffer, pipe))
        line = buffer;
    while (std::fgets(buffer, sizeof buffer, pipe)) {
    }
    int status = pclose(pipe);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (status != 0 || line.empty())
        return "(no version: \"" + command + " --version\" failed)";
    return line;
}

// The compile options' include directories, in their order.
std::vector<std::string> includeDirectories(const std::string &options) {
    std::vector<std::string> directories;
    std::istringstream words(options);
    std::string word;
    while (words >> word)
        if (word.size() > 2 && word.compare(0, 2, "-I") == 0)
            directories.push_back(word.substr(2));
    return directories;
}

std::string runnerLine() {
    if (driverSettings.toolchainKind != 0)
        return "runner:   none, the program runs itself\n";
    return "runner:   wasmer: " + toolVersion("wasmer") + "\n";
}

}  // namespace

std::string libvelVersion(const std::string &compileOptions) {
    for (const std::string &directory : includeDirectories(compileOptions)) {
        std::ifstream header(directory + "/velmora/version.hpp");
        std::string line;
        const std::string mark = "#define VELMORA_LIBVEL_VERSION \"";
        while (std::getline(header, line))
            if (line.compare(0, mark.size(), mark) == 0 && line.size() > mark.size())
                return line.substr(mark.size(), line.find('"', mark.size()) - mark.size());
    }
    return "";
}

std::string versionReport(const std::string &givenPath) {
    // The path is the program's directory, which ends in a separator, and
    // "/velc.ini": shown with one separator.
    std::string configPath = givenPath;
    std::string::size_type doubled = configPath.rfind("//velc.ini");
    if (doubled != std::string::npos && doubled > 0)
        configPath.erase(doubled, 1);
    const ToolchainSettings &tools = toolchainSettings;
    std::string libvel = libvelVersion(tools.options);
    std::string report = std::string("velc ") + velcVersion + "\n";
    report += "libvel " + (libvel.empty() ? std::string("(no velmora/version.hpp in the -I directories)") : libvel) +
              ", archive " + tools.objects + "\n";
    report += "configuration: " + (isFile(configPath) ? configPath : configPath + " (missing: built-in defaults)") + "\n";
    report += "compiler: " + tools.compiler + ": " + toolVersion(tools.compiler) + "\n";
    report += "linker:   " + tools.linker + ": " + toolVersion(tools.linker) + "\n";
    return report + runnerLine();
}
