// The symbol tables in-process: the index of large scopes and the limit of
// nested blocks. What sources declare and use is in the translation cases
// (names.txt).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "diagnostics/diagnostics.hpp"
#include "semantics/symbols.hpp"
#include "semantics/types.hpp"
#include "translator/output.hpp"
#include "translation_under_test.hpp"

namespace {

class Symbols : public ::testing::Test {
protected:
    TranslationUnderTest translation;

    void SetUp() override {
        diagnostics.sourceName = "a.vel";
        diagnostics.lineCounter = 7;
        currentSink().errorCount = 0;
    }

    static std::string reportsOf(const std::function<void()> &body) {
        ::testing::internal::CaptureStdout();
        body();
        return ::testing::internal::GetCapturedStdout();
    }

    static Symbol *declareTyped(const std::string &name, int type, unsigned extra = 0) {
        DeclaredAs declared;
        declared.type = type;
        return declare(name, declared, extra);
    }
};

TEST_F(Symbols, BlockDepthStaysWithinItsCapacity) {
    std::string text = reportsOf([] {
        for (int i = 0; i < BLOCK_DEPTH_CAPACITY; i++)
            enterBlock();
    });
    EXPECT_EQ(text, "");
    EXPECT_EQ(scopes().blockDepth, BLOCK_DEPTH_CAPACITY - 1);
    text = reportsOf([] { enterBlock(); });
    EXPECT_EQ(text, "Internal error [0] line 7\na.vel L7: stack overflow in block scope.\n");
    EXPECT_EQ(scopes().blockDepth, BLOCK_DEPTH_CAPACITY - 1);
    const Symbol *deep = declareTyped("deep", T_INTEGER, SYMBOL_ASSIGNED);
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(lookupUse("deep"), deep);
    for (int i = 0; i <= BLOCK_DEPTH_CAPACITY; i++)
        leaveBlock();
    EXPECT_EQ(scopes().blockDepth, -1);
    EXPECT_FALSE(scopes().inBlock);
    text = reportsOf([] { leaveBlock(); });
    EXPECT_EQ(text, "Internal error [0] line 7\na.vel L7: stack underflow in block scope.\n");
    EXPECT_EQ(scopes().blockDepth, -1);
}

TEST_F(Symbols, NameSearches) {
    declareTyped("Alpha", T_INTEGER);
    declareTyped("beta_2", T_INTEGER);
    EXPECT_EQ(findExact(symbolTable().globals, "beta_2"), 1);
    EXPECT_EQ(findExact(symbolTable().globals, "alpha"), -1);
    EXPECT_EQ(findNoCase(symbolTable().globals, "ALPHA"), 0);
    EXPECT_EQ(findNoCase(symbolTable().globals, "BETA_2"), 1);
    EXPECT_EQ(findNoCase(symbolTable().globals, "Alph"), -1);
    EXPECT_EQ(findNoCase(symbolTable().globals, "beta\x7f" "2"), -1);
}

// Scopes large enough to be searched through their index give the same
// answers as an ordered search: first match, exact or without case, and
// nothing left over from a scope that was emptied.
TEST_F(Symbols, LargeScopesSearchAsSmallOnes) {
    for (int i = 0; i < 40; i++)
        declareTyped("Name" + std::to_string(i), T_INTEGER, SYMBOL_ASSIGNED);
    EXPECT_EQ(findExact(symbolTable().globals, "Name37"), 37);
    EXPECT_EQ(findExact(symbolTable().globals, "name37"), -1);
    EXPECT_EQ(findNoCase(symbolTable().globals, "NAME37"), 37);
    EXPECT_EQ(findNoCase(symbolTable().globals, "name_1"), -1);
    EXPECT_EQ(findNoCase(symbolTable().globals, "nAME1"), 1);
    std::string text = reportsOf([] { EXPECT_EQ(declareTyped("NAME20", T_REAL), nullptr); });
    EXPECT_NE(text.find("duplicate name"), std::string::npos) << text;
    EXPECT_EQ(lookupUse("Name39"), symbolTable().globals[39]);
    EXPECT_EQ(lookupUse("name39"), nullptr);
    // A second symbol of one name, appended behind the table's back: the
    // first one is still the one found.
    Symbol twin = *symbolTable().globals[5];
    symbolTable().globals.push_back(&twin);
    EXPECT_EQ(findExact(symbolTable().globals, "Name5"), 5);
    EXPECT_EQ(findExact(symbolTable().globals, twin.name), 5);

    enterBlock();
    for (int i = 0; i < 30; i++)
        declareTyped("inner" + std::to_string(i), T_INTEGER, SYMBOL_ASSIGNED);
    EXPECT_EQ(findNoCase(localScopes().blockScopes[0], "INNER29"), 29);
    leaveBlock();
    enterBlock();
    for (int i = 0; i < 20; i++)
        declareTyped("other" + std::to_string(i), T_INTEGER, SYMBOL_ASSIGNED);
    EXPECT_EQ(findExact(localScopes().blockScopes[0], "inner3"), -1);
    EXPECT_EQ(findExact(localScopes().blockScopes[0], "other19"), 19);
    leaveBlock();

    // Emptied and refilled without the table knowing, at the same size.
    std::vector<Symbol *> saved = symbolTable().globals;
    symbolTable().globals.assign(saved.rbegin(), saved.rend());
    EXPECT_EQ(findExact(symbolTable().globals, "Name0"), static_cast<int>(saved.size()) - 1);
    symbolTable().globals = saved;
}

}  // namespace
