#include "example_runner.hpp"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "../velc_beside.hpp"

namespace fs = std::filesystem;

namespace {

std::string shellQuote(const std::string &text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

void writeWholeFile(const std::string &path, const std::string &text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

// Does nothing, so that velc's run step neither hangs on input nor prints.
const char *silentRunner = "#!/bin/sh\nexit 0\n";

}  // namespace

std::string readWholeFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool fileExists(const std::string &path) { return fs::exists(path); }

ExampleWorkspace::ExampleWorkspace(const std::string &label, const std::string &configuration)
    : root(std::string(SCRATCH_ROOT) + "/" + label) {
    fs::remove_all(root);
    fs::create_directories(root + "/bin");
    placeVelcAt(root + "/velc");
    fs::copy_file(configuration, root + "/velc.ini");
    writeWholeFile(root + "/bin/wasmer", silentRunner);
    fs::permissions(root + "/bin/wasmer", fs::perms::owner_all);
}

ExampleWorkspace::~ExampleWorkspace() {
    // What a failed test built stays for a look at it.
    if (!testing::Test::HasFailure())
        fs::remove_all(root);
}

void ExampleWorkspace::addSource(const std::string &name, const std::string &text) {
    writeWholeFile(root + "/" + name + ".vel", text);
}

CommandOutcome ExampleWorkspace::build(const std::string &name) {
    CommandOutcome outcome = run("./velc -q -b -e " + shellQuote(name + ".vel"));
    // A program velc accepts must reach the user without a word from the
    // C++ compiler: each warning has pointed at a fault of the generated code.
    if ((outcome.standardOutput + outcome.standardError).find("warning:") != std::string::npos)
        ADD_FAILURE() << "the C++ compiler warned\n" << describe(outcome);
    return outcome;
}

CommandOutcome ExampleWorkspace::run(const std::string &commandLine, const std::string &inputPath) {
    const char *path = std::getenv("PATH");
    std::string command = "cd " + shellQuote(root) + " && PATH=" +
                          shellQuote(root + "/bin:" + (path ? path : "/usr/bin:/bin")) + " " +
                          commandLine + " < " + shellQuote(inputPath) +
                          " > command.out 2> command.err";
    int status = std::system(command.c_str());
    CommandOutcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.standardOutput = readWholeFile(root + "/command.out");
    outcome.standardError = readWholeFile(root + "/command.err");
    return outcome;
}

bool ExampleWorkspace::hasFile(const std::string &name) const {
    return fs::exists(root + "/" + name);
}

std::vector<std::string> exampleNames() {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(EXAMPLES_DIR)) {
        if (entry.path().extension() == ".vel")
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string exampleSource(const std::string &name) {
    return readWholeFile(std::string(EXAMPLES_DIR) + "/" + name + ".vel");
}

std::string expectedOutput(const std::string &name) {
    std::string path = std::string(EXAMPLES_DIR) + "/expected/" + name + ".out";
    if (!fs::exists(path))
        throw std::runtime_error("no expected output " + path);
    return readWholeFile(path);
}

std::string exampleInputPath(const std::string &name) {
    std::string path = std::string(EXAMPLES_DIR) + "/input/" + name + ".in";
    return fs::exists(path) ? path : "/dev/null";
}

std::string describe(const CommandOutcome &outcome) {
    return "status " + std::to_string(outcome.status) + "\n--- stdout\n" +
           outcome.standardOutput + "--- stderr\n" + outcome.standardError;
}
