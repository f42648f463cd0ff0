// Every program of the user guide, built with g++ and the host libvel,
// prints what the guide shows under it; the guide's list of reserved words
// is the lexer's keyword table.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>

#include "example_runner.hpp"
#include "guide_examples.hpp"
#include "lexer/token_listing.hpp"

namespace {

class GuideProgram : public testing::TestWithParam<GuideExample> {};

TEST_P(GuideProgram, PrintsWhatTheGuideShows) {
    const GuideExample &example = GetParam();
    ExampleWorkspace workspace(example.label, NATIVE_INI);
    for (const auto &other : example.otherSources)
        workspace.addSource(other.first.substr(0, other.first.rfind(".vel")), other.second);
    workspace.addSource("prog", example.source);

    // The native build runs the program too, so its status is the program's.
    CommandOutcome build = workspace.build("prog");
    ASSERT_TRUE(workspace.hasFile("prog.wasm")) << example.source << describe(build);
    ASSERT_EQ(build.status, example.status) << example.source << describe(build);

    CommandOutcome program = workspace.run("./prog.wasm", guideInputPath(example, workspace.directory()));
    EXPECT_EQ(program.status, example.status) << example.source << describe(program);
    EXPECT_EQ(program.standardOutput, example.output) << example.source;
    EXPECT_EQ(program.standardError, example.errorOutput) << example.source;
}

INSTANTIATE_TEST_SUITE_P(Guide, GuideProgram, testing::ValuesIn(guideExamples()),
                         [](const testing::TestParamInfo<GuideExample> &info) { return info.param.label; });

// Each message the guide shows for a faulty program is what velc prints
// for it, whole on one of its two streams.
class GuideFaultyProgram : public testing::TestWithParam<GuideFault> {};

TEST_P(GuideFaultyProgram, GetsTheMessagesTheGuideShows) {
    const GuideFault &fault = GetParam();
    ASSERT_FALSE(fault.messages.empty()) << "a faulty program of the guide shows no messages";
    for (std::size_t i = 0; i < fault.messages.size(); i++) {
        const std::string &shown = fault.messages[i];
        bool excerpts = std::regex_search(shown, std::regex("(^|\n) +[0-9]+ \\| "));
        ExampleWorkspace workspace(fault.label + "_" + std::to_string(i + 1), NATIVE_INI);
        std::ofstream(workspace.directory() + "/velc.ini", std::ios::app)
            << (excerpts ? "excerpts=always\n" : "excerpts=never\n");
        workspace.addSource("prog", fault.source);
        CommandOutcome translation = workspace.run("./velc -q -c prog.vel");
        EXPECT_NE(translation.status, 0) << fault.source << describe(translation);
        bool printed = translation.standardOutput.find(shown) != std::string::npos ||
                       translation.standardError.find(shown) != std::string::npos;
        EXPECT_TRUE(printed) << "the guide shows:\n" << shown << "velc printed:\n" << describe(translation);
    }
}

INSTANTIATE_TEST_SUITE_P(Guide, GuideFaultyProgram, testing::ValuesIn(guideFaults()),
                         [](const testing::TestParamInfo<GuideFault> &info) { return info.param.label; });

class GuideFormatting : public testing::TestWithParam<GuideLayout> {};

// velc --format makes of the guide's source what the guide shows, and then
// finds nothing more to change.
TEST_P(GuideFormatting, GivesTheLayoutTheGuideShows) {
    const GuideLayout &layout = GetParam();
    ExampleWorkspace workspace(layout.label, NATIVE_INI);
    workspace.addSource("prog", layout.written);
    CommandOutcome format = workspace.run("./velc --format prog.vel");
    EXPECT_EQ(format.status, 0) << describe(format);
    EXPECT_EQ(format.standardOutput, layout.written == layout.formatted ? "" : "Formatted prog.vel\n");
    EXPECT_EQ(readWholeFile(workspace.directory() + "/prog.vel"), layout.formatted);
    CommandOutcome check = workspace.run("./velc --format --check prog.vel");
    EXPECT_EQ(check.status, 0) << describe(check);
}

INSTANTIATE_TEST_SUITE_P(Guide, GuideFormatting, testing::ValuesIn(guideLayouts()),
                         [](const testing::TestParamInfo<GuideLayout> &info) { return info.param.label; });

TEST(GuideReservedWords, AreTheKeywordsSortedAndComplete) {
    std::vector<std::string> listed = guideReservedWords();
    EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
    std::set<std::string> keywords;
    for (int type = 0; type < tokenTypeCount(); type++) {
        if (!isKeywordType(type))
            continue;
        std::string shown = tokenDisplayName(type);
        keywords.insert(shown.substr(1, shown.size() - 2));
    }
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), keywords);
    EXPECT_EQ(listed.size(), keywords.size()) << "a word is listed twice";
}

}  // namespace
