// The stamp of the precompiled prologue: built with a stand-in compiler
// that writes the precompiled file and the list of headers it "read", then
// every way in which the run can stop matching it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "driver/precompiled_prologue.hpp"
#include "driver_test_support.hpp"
#include "translator/frame.hpp"

namespace {

TEST(PrologueNames, HeaderIsThePrecompiledNameWithoutItsExtension) {
    EXPECT_EQ(prologueHeaderFor("/v/velmora/prologue.hpp.pch"), "/v/velmora/prologue.hpp");
    EXPECT_EQ(prologueHeaderFor("/v/velmora/prologue.hpp.gch"), "/v/velmora/prologue.hpp");
    EXPECT_EQ(prologueHeaderFor("/v.d/prologue"), "/v.d/prologue.hpp");
    EXPECT_EQ(prologueStampFor("/v/p.hpp.pch"), "/v/p.hpp.pch.stamp");
}

TEST(PrologueDependencies, MakefileRulesGiveOneNameEach) {
    EXPECT_EQ(parseDependencyList("out.pch: /a/b.h \\\n  /c/d.h\n"),
              (std::vector<std::string>{"/a/b.h", "/c/d.h"}));
    EXPECT_EQ(parseDependencyList("out.pch: /my\\ dir/x.h /a$$b.h \\\r\n /e.h"),
              (std::vector<std::string>{"/my dir/x.h", "/a$b.h", "/e.h"}));
    EXPECT_TRUE(parseDependencyList("no rule here").empty());
}

// The stand-in writes the file named after -o and, after -MF, a rule naming
// the header and every file listed in inputs.txt.
const char *standInCompiler = R"SCRIPT(#!/bin/sh
out= deps= header= prev=
for a in "$@"; do
  case "$prev" in
    -o) out="$a" ;;
    -MF) deps="$a" ;;
    c++-header) header="$a" ;;
  esac
  prev="$a"
done
echo "recipe" > "$out.emreplay"
[ -f DIR/fail ] && exit 1
echo "precompiled $(cat DIR/inputs.txt)" > "$out"
{ printf '%s: %s' "$out" "$header"; for f in $(cat DIR/inputs.txt); do printf ' \\\n  %s' "$f"; done; echo; } > "$deps"
)SCRIPT";

class PrecompiledPrologue : public DriverStateTest {
protected:
    void SetUp() override {
        DriverStateTest::SetUp();
        unsetenv("EMCC_CFLAGS");
        std::string script = standInCompiler;
        for (std::string::size_type at; (at = script.find("DIR")) != std::string::npos;)
            script.replace(at, 3, directory);
        writeFile("tools/stand-in-cc", script);
        std::filesystem::permissions("tools/stand-in-cc", std::filesystem::perms::owner_all);
        writeFile("include/velmora/libvel.hpp", "// libvel\n");
        writeFile("include/bits/config.h", "// config\n");
        writeFile("inputs.txt", directory + "/include/velmora/libvel.hpp " + directory +
                                    "/include/bits/config.h\n");
        toolchainSettings.compiler = directory + "/tools/stand-in-cc";
        toolchainSettings.options = "-c -I. -I" + directory + "/include/";
        toolchainSettings.pch = directory + "/include/velmora/prologue.hpp.pch";
        ASSERT_EQ(buildPrecompiledPrologue(), "");
        ASSERT_EQ(precompiledPrologueMismatch(), "");
    }

    void TearDown() override {
        unsetenv("EMCC_CFLAGS");
        DriverStateTest::TearDown();
    }

    // Moves a file's time without touching its content.
    void shiftTime(const std::string &path) {
        setModificationTime(path, modificationTime(path) - 100);
    }
};

TEST_F(PrecompiledPrologue, MatchingBuildIsIncludedByItsHeader) {
    EXPECT_EQ(readFile(directory + "/include/velmora/prologue.hpp"), prologueText());
    EXPECT_EQ(precompiledPrologueOption(),
              "-include " + directory + "/include/velmora/prologue.hpp");
    forgetPrecompiledPrologue();
    EXPECT_EQ(precompiledPrologueOption(), "");
}

TEST_F(PrecompiledPrologue, ChangedOrDeletedHeaderIsNoLongerTrusted) {
    writeFile("include/velmora/libvel.hpp", "// libvel, edited\n");
    EXPECT_NE(precompiledPrologueMismatch().find("libvel.hpp changed"), std::string::npos);
    ASSERT_EQ(buildPrecompiledPrologue(), "");
    shiftTime("include/bits/config.h");
    EXPECT_NE(precompiledPrologueMismatch().find("config.h changed"), std::string::npos);
    ASSERT_EQ(buildPrecompiledPrologue(), "");
    std::filesystem::remove("include/velmora/libvel.hpp");
    EXPECT_NE(precompiledPrologueMismatch(), "");
    EXPECT_EQ(precompiledPrologueOption(), "");
}

TEST_F(PrecompiledPrologue, OtherOptionsCompilerOrEnvironmentDoNotMatch) {
    toolchainSettings.options += " -O2";
    EXPECT_NE(precompiledPrologueMismatch().find("options"), std::string::npos);
    toolchainSettings.options.resize(toolchainSettings.options.size() - 4);
    EXPECT_EQ(precompiledPrologueMismatch(), "");
    setenv("EMCC_CFLAGS", "-O3", 1);
    EXPECT_NE(precompiledPrologueMismatch().find("EMCC_CFLAGS"), std::string::npos);
    unsetenv("EMCC_CFLAGS");
    shiftTime("tools/stand-in-cc");
    EXPECT_NE(precompiledPrologueMismatch().find("tool"), std::string::npos);
    // The program is found behind the variables set for it.
    toolchainSettings.compiler = "CC_MODE=a/b " + directory + "/tools/stand-in-cc";
    ASSERT_EQ(buildPrecompiledPrologue(), "");
    shiftTime("tools/stand-in-cc");
    EXPECT_NE(precompiledPrologueMismatch().find("tool\t"), std::string::npos);
    EXPECT_NE(precompiledPrologueMismatch().find("/tools/stand-in-cc)"), std::string::npos);
}

// Started through a launcher (velc_emreplay em++), the compiler is the
// launched program as much as the launcher: a new version of either
// counts.
TEST_F(PrecompiledPrologue, LauncherAndLaunchedProgramBothCount) {
    writeFile("tools/launcher", "#!/bin/sh\nexec \"$@\"\n");
    std::filesystem::permissions("tools/launcher", std::filesystem::perms::owner_all);
    toolchainSettings.compiler = directory + "/tools/launcher " + directory + "/tools/stand-in-cc";
    ASSERT_EQ(buildPrecompiledPrologue(), "");
    ASSERT_EQ(precompiledPrologueMismatch(), "");
    shiftTime("tools/stand-in-cc");
    EXPECT_NE(precompiledPrologueMismatch().find("/tools/stand-in-cc"), std::string::npos);
    ASSERT_EQ(buildPrecompiledPrologue(), "");
    shiftTime("tools/launcher");
    EXPECT_NE(precompiledPrologueMismatch().find("/tools/launcher"), std::string::npos);
}

TEST_F(PrecompiledPrologue, ReplacedPrecompiledFileOrHeaderDoesNotMatch) {
    shiftTime("include/velmora/prologue.hpp.pch");
    EXPECT_NE(precompiledPrologueMismatch(), "");
    ASSERT_EQ(buildPrecompiledPrologue(), "");
    writeFile("include/velmora/prologue.hpp", "#include <cstdio>\n");
    EXPECT_NE(precompiledPrologueMismatch(), "");
    std::filesystem::remove("include/velmora/prologue.hpp.pch.stamp");
    ASSERT_EQ(buildPrecompiledPrologue(), "");
    EXPECT_EQ(precompiledPrologueMismatch(), "");
}

TEST_F(PrecompiledPrologue, FileOfTheWorkingDirectoryThatAnIncludeWouldFindDisablesIt) {
    writeFile("bits/config.h", "// the user's own\n");
    EXPECT_NE(precompiledPrologueMismatch().find("./bits/config.h"), std::string::npos);
    std::filesystem::remove_all("bits");
    writeFile("velmora/libvel.hpp", "");
    EXPECT_NE(precompiledPrologueMismatch().find("./velmora/libvel.hpp"), std::string::npos);
    std::filesystem::remove_all("velmora");
    // A header beside the prologue is found by its bare name there first:
    // the user's own libvel.hpp cannot stand in for it.
    writeFile("libvel.hpp", "");
    EXPECT_EQ(precompiledPrologueMismatch(), "");
    std::filesystem::remove("libvel.hpp");
    // The prologue header itself is included by its full name.
    writeFile("prologue.hpp", "");
    EXPECT_EQ(precompiledPrologueMismatch(), "");
}

// What a launcher records beside the partial output (the stand-in writes
// such a recipe) goes with it, whether the build succeeds or fails.
std::vector<std::string> partialFilesIn(const std::string &directory) {
    std::vector<std::string> found;
    for (const auto &entry : std::filesystem::directory_iterator(directory))
        if (entry.path().filename().string().find(".part") != std::string::npos)
            found.push_back(entry.path().filename().string());
    return found;
}

TEST_F(PrecompiledPrologue, BuildLeavesNothingBesideItsFiles) {
    EXPECT_EQ(partialFilesIn(directory + "/include/velmora"), std::vector<std::string>());
    writeFile("fail", "");
    EXPECT_NE(buildPrecompiledPrologue(), "");
    EXPECT_EQ(partialFilesIn(directory + "/include/velmora"), std::vector<std::string>());
}

TEST_F(PrecompiledPrologue, FailedBuildLeavesNothingTrusted) {
    writeFile("fail", "");
    EXPECT_NE(buildPrecompiledPrologue(), "");
    EXPECT_NE(precompiledPrologueMismatch(), "");
    EXPECT_FALSE(std::filesystem::exists(partialOutputName(directory + "/include/velmora/prologue.hpp.pch")));
    toolchainSettings.pch = "relative/prologue.hpp.pch";
    EXPECT_NE(buildPrecompiledPrologue().find("absolute"), std::string::npos);
}

}  // namespace
