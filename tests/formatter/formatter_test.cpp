// velc --format. The layouts of cases/*.txt; then every example, end-to-end
// program and guide program: formatting again changes nothing, every comment
// is kept, and velc translates the formatted sources to the same C++ as the
// originals (compared without empty lines and the digest of the source's
// text; line directives are off).
#include <unistd.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "driver/format_tokens.hpp"
#include "driver/formatter.hpp"

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void writeFile(const fs::path &path, const std::string &text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

struct LayoutCase {
    std::string name, source, expected;
};

void PrintTo(const LayoutCase &one, std::ostream *out) { *out << one.name; }

// "== Name", the source, "--", the expected source, "==".
std::vector<LayoutCase> layoutCases() {
    std::vector<LayoutCase> cases;
    for (const auto &entry : fs::directory_iterator(CASES_DIR)) {
        std::istringstream lines(readFile(entry.path()));
        enum { outside, source, expected } place = outside;
        for (std::string line; std::getline(lines, line);) {
            if (place == outside && line.compare(0, 3, "== ") == 0) {
                cases.push_back({line.substr(3), "", ""});
                place = source;
            } else if (place == source && line == "--") {
                place = expected;
            } else if (place != outside && line == "==") {
                place = outside;
            } else if (place != outside) {
                (place == source ? cases.back().source : cases.back().expected) += line + "\n";
            }
        }
    }
    return cases;
}

class Layout : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, IsCanonicalAndStaysSo) {
    const LayoutCase &one = GetParam();
    std::string formatted = formatSource(one.source);
    EXPECT_EQ(formatted, one.expected);
    EXPECT_EQ(formatSource(formatted), formatted) << "not idempotent";
}

INSTANTIATE_TEST_SUITE_P(Cases, Layout, testing::ValuesIn(layoutCases()),
                         [](const testing::TestParamInfo<LayoutCase> &info) { return info.param.name; });

TEST(FormatWidth, IndentsByTheWidthGiven) {
    EXPECT_EQ(formatSource("if x\ny=1\n/if\n", 2), "if x\n  y = 1\n/if\n");
}

// ---------------------------------------------------------------------------
// Every program of the repository.

// A group of sources that belong together: translated in one directory.
struct SourceGroup {
    std::string name;
    std::map<std::string, std::string> sources;   // file name, text
    std::vector<std::string> mains;               // the ones to translate
};

void PrintTo(const SourceGroup &group, std::ostream *out) { *out << group.name; }

SourceGroup directoryGroup(const std::string &name, const fs::path &directory) {
    SourceGroup group{name, {}, {}};
    for (const auto &entry : fs::directory_iterator(directory)) {
        if (entry.path().extension() != ".vel")
            continue;
        std::string file = entry.path().filename().string();
        group.sources[file] = readFile(entry.path());
        group.mains.push_back(file);
    }
    std::sort(group.mains.begin(), group.mains.end());
    return group;
}

// The guide's programs: a block "vel name.vel" is a further source of the
// program in the next plain "vel" block.
std::vector<SourceGroup> guideGroups() {
    std::vector<SourceGroup> groups;
    std::istringstream lines(readFile(fs::path(SOURCE_DIR) / "docs" / "guide.md"));
    std::string line, file, text;
    bool inBlock = false;
    SourceGroup current;
    while (std::getline(lines, line)) {
        if (!inBlock && line.compare(0, 6, "```vel") == 0) {
            inBlock = true;
            file = line.size() > 7 ? line.substr(7) : "prog.vel";
            text.clear();
        } else if (inBlock && line == "```") {
            inBlock = false;
            current.sources[file] = text;
            if (file == "prog.vel") {
                current.name = "guide_" + std::to_string(groups.size() + 1);
                current.mains = {"prog.vel"};
                groups.push_back(current);
                current = SourceGroup();
            }
        } else if (inBlock) {
            text += line + "\n";
        }
    }
    return groups;
}

std::vector<SourceGroup> allGroups() {
    std::vector<SourceGroup> groups = {
        directoryGroup("examples", fs::path(SOURCE_DIR) / "examples"),
        directoryGroup("e2e_programs", fs::path(SOURCE_DIR) / "tests" / "e2e" / "programs")};
    for (SourceGroup &group : guideGroups())
        groups.push_back(group);
    return groups;
}

std::vector<std::string> commentsOf(const std::string &text) {
    std::vector<std::string> comments;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::string comment = tokenizeLine(line).comment;
        comment.erase(comment.find_last_not_of(" \t\r") + 1);
        if (!comment.empty())
            comments.push_back(comment);
    }
    std::sort(comments.begin(), comments.end());
    return comments;
}

// The generated files of a directory, without their empty lines and the
// digest of the source's text, which records the text itself.
std::map<std::string, std::string> translations(const fs::path &directory) {
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::directory_iterator(directory)) {
        std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".hpp")
            continue;
        std::istringstream lines(readFile(entry.path()));
        std::string kept;
        for (std::string line; std::getline(lines, line);)
            if (line.find_first_not_of(" \t") != std::string::npos && line.compare(0, 22, "// velc source digest:") != 0)
                kept += line + "\n";
        files[entry.path().filename().string()] = kept;
    }
    return files;
}

class Programs : public testing::TestWithParam<SourceGroup> {
protected:
    // velc with a velc.ini of its own: translations without line directives.
    // Each test process has a folder of its own: ctest -j runs the
    // programs of this suite side by side.
    static fs::path scratch() { return fs::path(SCRATCH_DIR) / std::to_string(getpid()); }

    static void SetUpTestSuite() {
        fs::remove_all(scratch());
        fs::create_directories(scratch());
        fs::copy_file(VELC_PROGRAM, scratch() / "velc");
        writeFile(scratch() / "velc.ini", "lines=0\n");
    }

    static void TearDownTestSuite() { fs::remove_all(scratch()); }

    static void translateAll(const fs::path &directory, const SourceGroup &group) {
        for (const std::string &main : group.mains) {
            std::string command = "cd '" + directory.string() + "' && timeout 60 '" + scratch().string() +
                                  "/velc' -q -c '" + main + "' >/dev/null 2>&1";
            (void)std::system(command.c_str());
        }
    }
};

TEST_P(Programs, FormatOnceKeepCommentsAndTranslateTheSame) {
    const SourceGroup &group = GetParam();
    fs::path original = scratch() / group.name / "original";
    fs::path formatted = scratch() / group.name / "formatted";
    for (const auto &[file, text] : group.sources) {
        std::string once = formatSource(text);
        EXPECT_EQ(formatSource(once), once) << file << " changes when formatted again";
        EXPECT_EQ(commentsOf(once), commentsOf(text)) << file << " lost or changed a comment";
        writeFile(original / file, text);
        writeFile(formatted / file, once);
    }
    translateAll(original, group);
    translateAll(formatted, group);
    std::map<std::string, std::string> before = translations(original), after = translations(formatted);
    EXPECT_FALSE(before.empty()) << "nothing was translated";
    for (const auto &[file, text] : before) {
        ASSERT_TRUE(after.count(file)) << file << " was not written for the formatted sources";
        EXPECT_EQ(after[file], text) << file << " differs after formatting";
    }
}

INSTANTIATE_TEST_SUITE_P(Repository, Programs, testing::ValuesIn(allGroups()),
                         [](const testing::TestParamInfo<SourceGroup> &info) { return info.param.name; });

}  // namespace
