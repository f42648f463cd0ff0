// Two velc runs in one directory at once, as make -j or an editor's build
// beside a terminal start them: neither may read the other's data, and
// neither may leave outputs that mix the two.
#include "velc_command_line.hpp"

#include <map>

namespace {

using namespace cli_test;

// A source of about 3,000 lines whose every declaration carries its name,
// so that a crossed output shows in any line of it.
std::string largeSource(const std::string &name) {
    std::string text;
    for (int i = 0; i < 1000; i++) {
        std::string n = name + "_" + std::to_string(i);
        text += "int " + n + "(int v)\n    int w = v + " + std::to_string(i) + "\nreturn w\n";
    }
    return text;
}

class ConcurrentRuns : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        for (const char *name : {"alpha", "beta"}) {
            writeFile(std::string(name) + ".vel", largeSource(name));
            ASSERT_EQ(run(std::string("-c -b -q ") + name), 0) << stdoutText;
            alone[name] = {readFile(std::string(name) + ".cpp"), readFile(std::string(name) + ".hpp")};
        }
    }

    // Starts velc on each source at the same moment; returns the statuses.
    std::vector<int> runTogether(const std::vector<std::string> &sources) {
        // The tools of run(): outputs record the tool chain they were made with.
        std::string command = "cd '" + directory + "' || exit 1; export PATH='" + directory + "/bin:" +
                              directory + ":/usr/bin:/bin'; ";
        for (size_t i = 0; i < sources.size(); i++)
            command += "{ ./velc -c -b -q " + sources[i] + " > out" + std::to_string(i) +
                       ".txt; echo $? > status" + std::to_string(i) + ".txt; } & ";
        command += "wait";
        EXPECT_EQ(std::system(command.c_str()), 0);
        std::vector<int> statuses;
        for (size_t i = 0; i < sources.size(); i++)
            statuses.push_back(std::stoi("0" + readFile("status" + std::to_string(i) + ".txt")));
        return statuses;
    }

    void expectOutputsAsAlone(const std::string &name) {
        EXPECT_EQ(readFile(name + ".cpp"), alone[name].first) << name;
        EXPECT_EQ(readFile(name + ".hpp"), alone[name].second) << name;
    }

    void expectNothingLeftOver() {
        for (const auto &entry : fs::directory_iterator(directory)) {
            std::string file = entry.path().filename().string();
            EXPECT_NE(entry.path().extension(), ".part") << file;
            EXPECT_EQ(file.find("EraseMe"), std::string::npos) << file;
        }
    }

    std::map<std::string, std::pair<std::string, std::string>> alone;
};

TEST_F(ConcurrentRuns, DifferentSourcesNeverCross) {
    for (int round = 0; round < 10; round++) {
        EXPECT_EQ(runTogether({"alpha", "beta"}), (std::vector<int>{0, 0})) << "round " << round;
        expectOutputsAsAlone("alpha");
        expectOutputsAsAlone("beta");
    }
    expectNothingLeftOver();
}

TEST_F(ConcurrentRuns, SameSourceLeavesWholeOutputs) {
    for (int round = 0; round < 10; round++) {
        EXPECT_EQ(runTogether({"alpha", "alpha"}), (std::vector<int>{0, 0})) << "round " << round;
        expectOutputsAsAlone("alpha");
    }
    expectNothingLeftOver();
}

TEST_F(ConcurrentRuns, ErrorsOfOneRunAreNotTheOther) {
    writeFile("broken.vel", largeSource("broken") + "return\n");
    for (int round = 0; round < 5; round++) {
        EXPECT_EQ(runTogether({"alpha", "broken"}), (std::vector<int>{0, 1})) << "round " << round;
        expectOutputsAsAlone("alpha");
        EXPECT_NE(readFile("out1.txt").find("error"), std::string::npos);
        EXPECT_EQ(readFile("out0.txt").find("error"), std::string::npos);
    }
}

}  // namespace
