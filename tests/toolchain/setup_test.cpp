// setup.sh with the system's tools replaced by recording stand-ins: it must
// ask apt-get only for missing packages, refresh the package lists only when
// something is missing, and build, install and check in that order.
#include <gtest/gtest.h>

#include <string>

#include "test_support.hpp"

namespace {

const char* const standInScript = R"SH(#!/bin/sh
name=$(basename "$0")
echo "$name $*" >>"$STAND_IN_LOG"
case $name in
dpkg-query)
    package=$(eval echo "\${$#}")
    case " $MISSING_PACKAGES " in
    *" $package "*) exit 1 ;;
    esac
    printf 'install ok installed' ;;
id) echo 0 ;;
em++|emcc) : >"$(eval echo "\${$#}")" ;;
wasmer) echo "toolchain ok" ;;
esac
exit 0
)SH";

class SetupScript : public testing::Test {
protected:
    void SetUp() override {
        directory = makeScratchDirectory(testing::UnitTest::GetInstance()->current_test_info()->name());
        const std::string bin = directory + "/bin";
        runCommand(directory, "mkdir bin");
        writeWholeFile(bin + "/stand-in", standInScript);
        runCommand(directory, "chmod +x bin/stand-in && for tool in dpkg-query apt-get cmake id em++ emcc wasmer velc; "
                              "do ln -s stand-in bin/$tool; done");
    }

    CommandResult runSetup(const std::string& missingPackages) {
        return runCommand(directory, "PATH=" + shellQuote(directory + "/bin") + ":/usr/bin:/bin" +
                                         " STAND_IN_LOG=" + shellQuote(directory + "/log") +
                                         " MISSING_PACKAGES=" + shellQuote(missingPackages) + " sh " +
                                         shellQuote(std::string(VELC_SOURCE_DIR) + "/setup.sh"));
    }

    std::vector<std::string> logLinesStartingWith(const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& line : splitLines(readWholeFile(directory + "/log")))
            if (line.rfind(prefix, 0) == 0) found.push_back(line);
        return found;
    }

    std::string directory;
};

TEST_F(SetupScript, InstallsOnlyMissingPackagesAfterRefreshingLists) {
    const CommandResult result = runSetup("emscripten libantlr-dev");
    ASSERT_EQ(result.status, 0) << result.standardOutput << result.standardError;
    const auto aptCalls = logLinesStartingWith("apt-get");
    ASSERT_EQ(aptCalls.size(), 2u);
    EXPECT_EQ(aptCalls[0], "apt-get update");
    EXPECT_EQ(aptCalls[1], "apt-get install -y --no-install-recommends libantlr-dev emscripten");
}

TEST_F(SetupScript, LeavesAptAloneWhenEverythingIsInstalled) {
    const CommandResult result = runSetup("");
    ASSERT_EQ(result.status, 0) << result.standardOutput << result.standardError;
    EXPECT_TRUE(logLinesStartingWith("apt-get").empty());
}

TEST_F(SetupScript, BuildsThenInstallsThenChecksTheToolChain) {
    const CommandResult result = runSetup("");
    ASSERT_EQ(result.status, 0) << result.standardError;
    const auto cmakeCalls = logLinesStartingWith("cmake");
    ASSERT_EQ(cmakeCalls.size(), 3u);
    EXPECT_EQ(cmakeCalls[0], "cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo");
    EXPECT_EQ(cmakeCalls[1], "cmake --build build -j 2");
    EXPECT_EQ(cmakeCalls[2], "cmake --install build");
    EXPECT_EQ(logLinesStartingWith("wasmer").size(), 1u);
}

TEST_F(SetupScript, FailsWhenTheToolChainCheckPrintsSomethingElse) {
    writeWholeFile(directory + "/bin/wasmer-real", "#!/bin/sh\necho broken\n");
    runCommand(directory, "chmod +x bin/wasmer-real && rm bin/wasmer && mv bin/wasmer-real bin/wasmer");
    const CommandResult result = runSetup("");
    EXPECT_NE(result.status, 0);
}

}  // namespace
