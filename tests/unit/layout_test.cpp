// The layers of the compiler include only what lies below them: the
// translator, the semantic model and the diagnostics never reach up into
// the driver, the semantic model never into the translator, and the
// diagnostics know of nothing above them but the type codes they name.
// State is handed over, not left behind: a type travels in the value that
// carries it and a lookup returns its symbol, and the driver gives each
// source its own description.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Inclusion {
    std::string file;
    std::string header;
};

// Every project header (a quoted include) that the files of one directory include.
std::vector<Inclusion> inclusionsOf(const std::string &directory) {
    std::vector<Inclusion> found;
    const std::regex quotedInclude("^\\s*#\\s*include\\s+\"([^\"]+)\"");
    for (const auto &entry : fs::directory_iterator(fs::path(VELC_SOURCE_DIR) / directory)) {
        std::ifstream file(entry.path());
        std::smatch match;
        for (std::string line; std::getline(file, line);)
            if (std::regex_search(line, match, quotedInclude))
                found.push_back({entry.path().filename().string(), match[1]});
    }
    return found;
}

// The places in the files of the directories where a word of `words` stands.
std::vector<std::string> placesNaming(const std::vector<std::string> &directories, const std::string &words) {
    std::vector<std::string> places;
    const std::regex word("\\b(" + words + ")\\b");
    for (const std::string &directory : directories)
        for (const auto &entry : fs::directory_iterator(fs::path(VELC_SOURCE_DIR) / directory)) {
            std::ifstream file(entry.path());
            int number = 1;
            for (std::string line; std::getline(file, line); number++)
                if (std::regex_search(line, word))
                    places.push_back(directory + "/" + entry.path().filename().string() + ":" +
                                     std::to_string(number) + ": " + line);
        }
    return places;
}

bool startsWith(const std::string &text, const std::string &start) { return text.compare(0, start.size(), start) == 0; }

TEST(Layout, NoLayerBelowTheDriverIncludesADriverHeader) {
    for (const char *directory : {"diagnostics", "semantics", "translator", "lexer"}) {
        std::vector<Inclusion> inclusions = inclusionsOf(directory);
        EXPECT_FALSE(inclusions.empty()) << directory;
        for (const Inclusion &inclusion : inclusions)
            EXPECT_FALSE(startsWith(inclusion.header, "driver/")) << directory << "/" << inclusion.file;
    }
}

TEST(Layout, TheSemanticModelIncludesNothingOfTheTranslator) {
    for (const Inclusion &inclusion : inclusionsOf("semantics"))
        EXPECT_FALSE(startsWith(inclusion.header, "translator/")) << inclusion.file << ": " << inclusion.header;
}

TEST(Layout, DiagnosticsIncludeOnlyThemselvesAndTheTypeCodes) {
    for (const Inclusion &inclusion : inclusionsOf("diagnostics"))
        EXPECT_TRUE(startsWith(inclusion.header, "diagnostics/") || inclusion.header == "semantics/type_codes.hpp")
            << inclusion.file << ": " << inclusion.header;
}

// No register holds the type of the expression parsed last, and no stack
// the left operand's type: each rule returns its type with its text.
// Lookups return their symbol, and declarations are told what they declare.
TEST(Layout, NoTranslatorOrSemanticsFileNamesATypeRegister) {
    EXPECT_EQ(placesNaming({"translator", "semantics"},
                           "currentType|typeState|TypeState|pushType|popType|CurrentSymbol|pendingDeclaration"),
              std::vector<std::string>());
}

TEST(Layout, NoDriverGlobalDescribesTheSourceInProgress) {
    EXPECT_EQ(placesNaming({"driver"}, "currentSourceName|isMainTranslation|translationRole|sourceNames|SourceNames"),
              std::vector<std::string>());
}

}  // namespace
