#pragma once

#include <string>
#include <vector>

// What a finished shell command left behind.
struct CommandOutcome {
    int status = -1;
    std::string standardOutput;
    std::string standardError;
};

// A private directory holding a velc, a velc.ini and one program, so that
// parallel tests never share files; it is removed after a passing test. velc's own "run" step is pointed
// at a stand-in wasmer that does nothing: the test runs the program itself,
// once, with the input it chooses.
class ExampleWorkspace {
public:
    ExampleWorkspace(const std::string &label, const std::string &configuration);
    ~ExampleWorkspace();
    ExampleWorkspace(const ExampleWorkspace &) = delete;
    ExampleWorkspace &operator=(const ExampleWorkspace &) = delete;

    // Writes <name>.vel into the workspace.
    void addSource(const std::string &name, const std::string &text);
    // Translates, compiles and links <name>.vel with velc -q -b -e; a
    // warning of the C++ compiler fails the running test.
    CommandOutcome build(const std::string &name);
    // Runs a command line in the workspace, with `inputPath` on standard input.
    CommandOutcome run(const std::string &commandLine, const std::string &inputPath = "/dev/null");
    bool hasFile(const std::string &name) const;
    const std::string &directory() const { return root; }

private:
    std::string root;
};

std::string readWholeFile(const std::string &path);
bool fileExists(const std::string &path);

// Names (without ".vel") of the example programs, sorted.
std::vector<std::string> exampleNames();
std::string exampleSource(const std::string &name);
std::string expectedOutput(const std::string &name);
// The file fed to the example on standard input ("/dev/null" when it has none).
std::string exampleInputPath(const std::string &name);

// A readable account of a failed build for assertion messages.
std::string describe(const CommandOutcome &outcome);
