#include "fault_runner.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "example_runner.hpp"

namespace fs = std::filesystem;

std::vector<std::string> faultNames() {
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(FAULTS_DIR)) {
        if (entry.path().extension() == ".vel")
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::string faultFile(const std::string &name, const std::string &extension) {
    return readWholeFile(std::string(FAULTS_DIR) + "/" + name + extension);
}

// "prog.vel L4: Run-time error: x (in f)" without its place: "Run-time error: x",
// and without the callers that follow it (no line names a Velmora source).
// A stack that ran out still names its function, which the program's
// symbols tell.
std::string withoutPlace(const std::string &report) {
    std::string line = report.substr(0, report.find('\n') + 1);
    std::string bare = line.substr(line.find("Run-time error: "));
    std::string::size_type function = bare.rfind(" (in ");
    bool namedBySymbols = bare.find("the stack is exhausted") != std::string::npos;
    if (function != std::string::npos && !namedBySymbols)
        bare = bare.substr(0, function) + "\n";
    return bare;
}

// While it lives, this process and what it starts have at most 2 GB of
// address space: a native program that asks for more fails as it would on
// a machine without that memory, instead of having it.
class AddressSpaceLimit {
public:
    AddressSpaceLimit() {
        getrlimit(RLIMIT_AS, &saved);
        rlimit limit = saved;
        limit.rlim_cur = std::min<rlim_t>(saved.rlim_max, rlim_t(2) << 30);
        setrlimit(RLIMIT_AS, &limit);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &saved); }
    AddressSpaceLimit(const AddressSpaceLimit &) = delete;
    AddressSpaceLimit &operator=(const AddressSpaceLimit &) = delete;

private:
    rlimit saved{};
};

}  // namespace

void checkFault(const std::string &name, const std::string &configuration, const std::vector<std::string> &runners,
                const std::string &extraSetting, bool placed) {
    bool native = runners.size() == 1 && runners[0].empty();
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    std::string label = std::string("fault_") + test->test_suite_name() + "_" + test->name();
    for (char &c : label)
        if (c == '/')
            c = '_';
    std::optional<AddressSpaceLimit> limit;
    if (native)
        limit.emplace();
    ExampleWorkspace workspace(label, configuration);
    if (!extraSetting.empty())
        std::ofstream(workspace.directory() + "/velc.ini", std::ios::app) << extraSetting << "\n";
    workspace.addSource(name, faultFile(name, ".vel"));
    CommandOutcome build = workspace.build(name);
    ASSERT_TRUE(workspace.hasFile(name + ".wasm")) << describe(build);
    // A native build runs the program too: velc reports how it ended and fails.
    if (native) {
        EXPECT_EQ(build.status, 1) << describe(build);
        EXPECT_NE(build.standardOutput.find(name + ".wasm ended with status 1\n"), std::string::npos) << describe(build);
    }

    std::string module = name + ".wasm";
    std::string expectedError = faultFile(name, ".err");
    for (const std::string &runner : runners) {
        CommandOutcome run = workspace.run(runner.empty() ? "./" + module : runner + " " + module);
        EXPECT_EQ(run.status, 1) << runner << "\n" << describe(run);
        EXPECT_EQ(run.standardOutput, faultFile(name, ".out")) << runner;
        EXPECT_EQ(run.standardError, placed ? expectedError : withoutPlace(expectedError)) << runner;
    }
}
