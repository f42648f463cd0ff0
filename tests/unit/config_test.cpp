#include <gtest/gtest.h>

#include "driver_test_support.hpp"

namespace {

using ConfigurationTest = DriverStateTest;

TEST_F(ConfigurationTest, MissingFileKeepsEmscriptenDefaults) {
    readConfiguration("no-such-dir/velc.ini");
    const ToolchainSettings &s = toolchainSettings;
    EXPECT_EQ(s.id, "emcc");
    EXPECT_EQ(s.compiler, "em++");
    EXPECT_EQ(s.options, "-c -std=c++17 -I. -I/velmorac/");
    EXPECT_EQ(s.linker, "emcc");
    EXPECT_EQ(s.loptions, "-I. -I/velmorac/ ");
    EXPECT_EQ(s.objects, "/velmorac/velmora/velmora.a");
    EXPECT_EQ(s.extension, ".o");
    EXPECT_TRUE(s.headers.empty());
    EXPECT_EQ(s.pch, "");
    EXPECT_EQ(s.jobs, 1);
}

TEST_F(ConfigurationTest, ValueIsTrimmedAtEndsOnly) {
    applyConfigurationLine("compiler = clang++\r\n");
    applyConfigurationLine("options=-c -O2 -I. \"a b\" ");
    EXPECT_EQ(toolchainSettings.compiler, "clang++");
    EXPECT_EQ(toolchainSettings.options, "-c -O2 -I. \"a b\"");
}

TEST_F(ConfigurationTest, LineIsSplitAtFirstEqualsSign) {
    applyConfigurationLine("id=a=b");
    applyConfigurationLine("x=linker=ld");
    EXPECT_EQ(toolchainSettings.id, "a=b");
    EXPECT_EQ(toolchainSettings.linker, "emcc");
}

TEST_F(ConfigurationTest, KeysMatchExactlyWithCase) {
    applyConfigurationLine("ID=cl");
    applyConfigurationLine("com piler=g++");
    applyConfigurationLine("linkerx=ld");
    applyConfigurationLine("linker");
    EXPECT_EQ(toolchainSettings.id, "emcc");
    EXPECT_EQ(toolchainSettings.compiler, "em++");
    EXPECT_EQ(toolchainSettings.linker, "emcc");
}

TEST_F(ConfigurationTest, HighAndControlBytesAreTrimmedAtBothEnds) {
    applyConfigurationLine("\xEF\xBB\xBFid\t=\xC2\xA0" "clang-17\xC2\xA0\x01");
    EXPECT_EQ(toolchainSettings.id, "clang-17");
    applyConfigurationLine("objects=a\xC3\xA9" "b");
    EXPECT_EQ(toolchainSettings.objects, "a\xC3\xA9" "b");
}

TEST_F(ConfigurationTest, CommentOnlyWhenHashIsFirst) {
    applyConfigurationLine("#compiler=g++");
    EXPECT_EQ(toolchainSettings.compiler, "em++");
    applyConfigurationLine(" #x=1");   // not a comment: an unknown key, ignored
    applyConfigurationLine(" linker = ld #not a comment");
    EXPECT_EQ(toolchainSettings.linker, "ld #not a comment");
}

TEST_F(ConfigurationTest, EmptyValueIsStored) {
    applyConfigurationLine("objects=");
    EXPECT_EQ(toolchainSettings.objects, "");
}

TEST_F(ConfigurationTest, FileGivesHeadersInOrderAndLaterValuesWin) {
    writeFile("velc.ini",
              "# tool chain\r\n"
              "\r\n"
              "header=one.h\r\n"
              "compiler=g++\r\n"
              "header = two.h\r\n"
              "compiler=clang++\n"
              "extension=.obj");
    readConfiguration("velc.ini");
    ASSERT_EQ(toolchainSettings.headers.size(), 2u);
    EXPECT_EQ(toolchainSettings.headers[0], "one.h");
    EXPECT_EQ(toolchainSettings.headers[1], "two.h");
    EXPECT_EQ(toolchainSettings.compiler, "clang++");
    EXPECT_EQ(toolchainSettings.extension, ".obj");
}

TEST_F(ConfigurationTest, VeryLongLineStaysOneSetting) {
    std::string longValue(70000, 'x');
    writeFile("velc.ini", "options=" + longValue + "linker=ld\n");
    readConfiguration("velc.ini");
    EXPECT_EQ(toolchainSettings.options, longValue + "linker=ld");
    EXPECT_EQ(toolchainSettings.linker, "emcc");
}

TEST_F(ConfigurationTest, JobsTakesWholeNumbersFromOneAndCapsLargeOnes) {
    applyConfigurationLine("jobs = 4");
    EXPECT_EQ(toolchainSettings.jobs, 4);
    applyConfigurationLine("jobs=007");
    EXPECT_EQ(toolchainSettings.jobs, 7);
    applyConfigurationLine("jobs=64");
    EXPECT_EQ(toolchainSettings.jobs, 64);
    applyConfigurationLine("jobs=65");
    EXPECT_EQ(toolchainSettings.jobs, maximumJobs);
    applyConfigurationLine("jobs=1");
    applyConfigurationLine("jobs=123456789012345678901234567890");
    EXPECT_EQ(toolchainSettings.jobs, maximumJobs);
}

TEST_F(ConfigurationTest, JobsValueThatIsNoCountLeavesTheSettingAlone) {
    applyConfigurationLine("jobs=3");
    for (const char *line : {"jobs=0", "jobs=000", "jobs=-2", "jobs=+2", "jobs=2x", "jobs=two",
                             "jobs=", "jobs=1 2", "jobs=2.5"}) {
        applyConfigurationLine(line);
        EXPECT_EQ(toolchainSettings.jobs, 3) << line;
    }
    int jobs = 9;
    EXPECT_FALSE(parseJobCount("0", jobs));
    EXPECT_TRUE(parseJobCount("12", jobs));
    EXPECT_EQ(jobs, 12);
}

TEST_F(ConfigurationTest, PiecesTakesLineCountsFromZeroAndCapsLargeOnes) {
    EXPECT_EQ(toolchainSettings.pieceLines, 2000);
    applyConfigurationLine("pieces = 0");
    EXPECT_EQ(toolchainSettings.pieceLines, 0);
    applyConfigurationLine("pieces=1000000000");
    EXPECT_EQ(toolchainSettings.pieceLines, maximumPieceLines);
    applyConfigurationLine("pieces=1");
    applyConfigurationLine("pieces=1000000001");
    EXPECT_EQ(toolchainSettings.pieceLines, maximumPieceLines);
    applyConfigurationLine("pieces=50");
    for (const char *line : {"pieces=-1", "pieces=", "pieces=5 0", "pieces=many"}) {
        applyConfigurationLine(line);
        EXPECT_EQ(toolchainSettings.pieceLines, 50) << line;
    }
}

TEST_F(ConfigurationTest, PrecompiledPrologueIsStoredAsWritten) {
    applyConfigurationLine("pch = /velmorac/velmora/prologue.hpp.pch ");
    EXPECT_EQ(toolchainSettings.pch, "/velmorac/velmora/prologue.hpp.pch");
    applyConfigurationLine("pch=");
    EXPECT_EQ(toolchainSettings.pch, "");
}

}  // namespace
