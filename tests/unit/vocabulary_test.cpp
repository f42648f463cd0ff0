#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "VLLexer.hpp"
#include "lexer/token_listing.hpp"

namespace {

// Gives the tests a look at the keyword table that the lexer fills.
class KeywordTableProbe : public VLLexer {
public:
    explicit KeywordTableProbe(std::istream &in) : VLLexer(in) {}
    std::map<std::string, int> keywords() const {
        return {literals.begin(), literals.end()};
    }
};

std::map<std::string, int> lexerKeywords() {
    std::istringstream empty;
    return KeywordTableProbe(empty).keywords();
}

struct VocabularyEntry {
    std::string name;
    std::string displayName;
    int type;
};

// Reads an ANTLR vocabulary file: NAME=n, NAME("paraphrase")=n, NAME="literal"=n.
std::vector<VocabularyEntry> readVocabulary(const std::string &path) {
    std::ifstream file(path);
    EXPECT_TRUE(file) << path;
    static const std::regex entry(R"(^(\w+)(?:\(("[^"]*")\)|=("[^"]*"))?=(\d+)\s*$)");
    std::vector<VocabularyEntry> entries;
    std::string line;
    while (std::getline(file, line)) {
        std::smatch m;
        if (!std::regex_match(line, m, entry))
            continue;
        std::string display = m[1].str();
        if (m[2].matched)
            display = m[2].str().substr(1, m[2].length() - 2);
        else if (m[3].matched)
            display = m[3].str();
        entries.push_back({m[1].str(), display, std::stoi(m[4].str())});
    }
    return entries;
}

// The last index of the table and one past it: the generated table ends
// with a null entry, so one past the end reads as no name either way.
TEST(Vocabulary, DisplayNamesOfTheFixedTypesAndNoneOutside) {
    EXPECT_EQ(tokenTypeCount(), 145);
    const std::map<int, std::string> expected = {
        {0, "<0>"},           {1, "EOF"},          {2, "<2>"},
        {3, "NULL_TREE_LOOKAHEAD"}, {4, "SLASHIMPORT"}, {5, "an identifier"},
        {23, "Q_COMMENT"},    {37, "\"if\""},      {98, "\"string\""},
        {130, "\"const\""},   {136, "a terminator"}, {137, "SHIFTL"},
        {142, "OPENVELMORA"}, {144, "REAL_SUFFIX"},
    };
    for (const auto &[type, name] : expected) {
        ASSERT_NE(tokenDisplayName(type), nullptr) << type;
        EXPECT_EQ(tokenDisplayName(type), name) << type;
    }
    for (int outside : {145, 146, 1000, -1})
        EXPECT_EQ(tokenDisplayName(outside), nullptr) << outside;
}

TEST(Vocabulary, BaseFileNumbersEveryLanguageTypeOnce) {
    std::vector<VocabularyEntry> entries =
        readVocabulary(VELC_SOURCE_DIR "/lexer/VLBaseTokenTypes.txt");
    ASSERT_EQ(entries.size(), 141u);
    std::set<int> types;
    std::set<std::string> names;
    for (const VocabularyEntry &e : entries) {
        types.insert(e.type);
        names.insert(e.name);
        const char *shown = tokenDisplayName(e.type);
        ASSERT_NE(shown, nullptr) << e.name;
        EXPECT_EQ(shown, e.displayName) << e.name;
    }
    EXPECT_EQ(names.size(), 141u);
    ASSERT_EQ(types.size(), 141u);
    EXPECT_EQ(*types.begin(), 4);
    EXPECT_EQ(*types.rbegin(), 144);
}

TEST(Vocabulary, ParserExportsNoTypesBeyondTheBase) {
    // A literal or token the parser grammar invents gets a new number here,
    // which the lexer would never deliver.
    std::vector<VocabularyEntry> base = readVocabulary(VELC_SOURCE_DIR "/lexer/VLBaseTokenTypes.txt");
    std::vector<VocabularyEntry> exported =
        readVocabulary(VELC_BINARY_DIR "/generated/VLTokenTypes.txt");
    ASSERT_EQ(exported.size(), base.size());
    for (size_t i = 0; i < base.size(); ++i) {
        EXPECT_EQ(exported[i].name, base[i].name);
        EXPECT_EQ(exported[i].type, base[i].type);
    }
}

TEST(Vocabulary, KeywordTableHoldsExactlyTheQuotedTypes) {
    std::map<std::string, int> keywords = lexerKeywords();
    EXPECT_EQ(keywords.size(), 68u);
    int quotedTypes = 0;
    for (int type = 0; type < tokenTypeCount(); ++type) {
        std::string shown = tokenDisplayName(type);
        if (shown.size() < 2 || shown.front() != '"')
            continue;
        ++quotedTypes;
        std::string word = shown.substr(1, shown.size() - 2);
        auto it = keywords.find(word);
        ASSERT_NE(it, keywords.end()) << word;
        EXPECT_EQ(it->second, type) << word;
    }
    EXPECT_EQ(quotedTypes, 68);
}

TEST(Vocabulary, KeywordsLexCaseSensitively) {
    for (const auto &[word, type] : lexerKeywords()) {
        std::string capitalised = word;
        capitalised[0] = char(capitalised[0] - 'a' + 'A');
        std::string upper;
        for (char c : word)
            upper += char(c - 'a' + 'A');
        std::istringstream input(word + " " + capitalised + " " + upper + " " + word + "_");
        std::vector<ListedToken> tokens = listTokens(input, "k.vel");
        ASSERT_EQ(tokens.size(), 5u) << word;
        EXPECT_EQ(tokens[0].type, type) << word;
        EXPECT_EQ(tokens[1].type, VLLexerTokenTypes::IDENT) << capitalised;
        EXPECT_EQ(tokens[2].type, VLLexerTokenTypes::IDENT) << upper;
        EXPECT_EQ(tokens[3].type, VLLexerTokenTypes::IDENT) << word << "_";
    }
}

}  // namespace
