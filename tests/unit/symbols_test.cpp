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
        diagnostics.errorCount = 0;
    }

    static std::string reportsOf(const std::function<void()> &body) {
        ::testing::internal::CaptureStdout();
        body();
        return ::testing::internal::GetCapturedStdout();
    }

    static Symbol *declareTyped(const std::string &name, int type, unsigned extra = 0) {
        typeState().currentType = type;
        return declare(name, extra);
    }

    static void enterFunction() {
        scopes().inFunction = true;
        beginFunctionScope();
    }
};

TEST_F(Symbols, DuplicatesIgnoreCaseButLookupsDoNot) {
    enterFunction();
    declareTyped("count", T_INTEGER, SYMBOL_ASSIGNED);
    std::string text = reportsOf([] { EXPECT_EQ(declareTyped("Count", T_INTEGER), nullptr); });
    EXPECT_EQ(text, "a.vel L7: \"Count\" already declared in function.\n");
    text = reportsOf([] { EXPECT_FALSE(lookupUse("Count")); });
    EXPECT_EQ(text, "a.vel L7: \"Count\" not declared\n");
    EXPECT_TRUE(lookupUse("count"));
}

TEST_F(Symbols, DuplicateWordsByScope) {
    declareTyped("total", T_INTEGER);
    std::string text = reportsOf([] { declareTyped("TOTAL", T_REAL); });
    EXPECT_EQ(text, "a.vel L7: \"TOTAL\" duplicate name\n");

    enterBlock();
    text = reportsOf([] { declareTyped("total", T_INTEGER); });
    EXPECT_EQ(text, "a.vel L7: \"total\" already declared as global.\n");
    declareTyped("inner", T_TEXT);
    enterBlock();
    text = reportsOf([] { declareTyped("Inner", T_TEXT); });
    EXPECT_EQ(text, "a.vel L7: \"Inner\" already declared in a block.\n");
    leaveBlock();
    leaveBlock();

    enterFunction();
    text = reportsOf([] { declareTyped("total", T_INTEGER); });
    EXPECT_EQ(text, "a.vel L7: \"total\" already declared as global.\n");
    declareTyped("local", T_INTEGER);
    enterBlock();
    text = reportsOf([] { declareTyped("local", T_INTEGER); });
    EXPECT_EQ(text, "a.vel L7: \"local\" already declared in function.\n");
    leaveBlock();
    EXPECT_EQ(diagnostics.errorCount, 5);
}

TEST_F(Symbols, ClassScopes) {
    scopes().inClass = true;
    localScopes().classMembers.className = "Point";
    declareTyped("x", T_INTEGER, SYMBOL_ASSIGNED);
    std::string text = reportsOf([] { declareTyped("X", T_INTEGER); });
    EXPECT_EQ(text, "a.vel L7: \"X\" duplicate name\n");

    enterFunction();   // a method
    text = reportsOf([] { declareTyped("x", T_REAL); });
    EXPECT_EQ(text, "a.vel L7: \"x\" already declared in class.\n");
    EXPECT_TRUE(lookupUse("x"));
    EXPECT_EQ(typeState().currentType, T_INTEGER);

    text = reportsOf([] { addClassMember(Symbol{"x", "x", T_TEXT, 1, -1}); });
    EXPECT_EQ(text, "a.vel L7: \"x\" already declared\n");
    EXPECT_EQ(localScopes().classMembers.members.size(), 2u);
}

TEST_F(Symbols, ClassBodyReachesBaseMembersAndSharedGlobals) {
    pendingDeclaration().kind = 3;
    declareTyped("shared", T_INTEGER, SYMBOL_ASSIGNED);
    pendingDeclaration().kind = 1;
    declareTyped("plain", T_INTEGER, SYMBOL_ASSIGNED);

    ClassMembers base;
    Symbol inherited{"size", "size", T_REAL | SYMBOL_ASSIGNED, 1, -1};
    base.members.push_back(&inherited);
    scopes().inClass = true;
    localScopes().classMembers.parent = &base;

    EXPECT_TRUE(lookupUse("size"));
    EXPECT_EQ(typeState().currentType, T_REAL);
    EXPECT_TRUE(lookupUse("shared"));
    std::string text = reportsOf([] { EXPECT_TRUE(lookupUse("plain")); });
    EXPECT_EQ(text, "a.vel L7: \"plain\" not accessible from a class\n");
    text = reportsOf([] { EXPECT_FALSE(lookupUse("nowhere")); });
    EXPECT_EQ(text, "a.vel L7: \"nowhere\" unknow scope\n");
}

TEST_F(Symbols, UsedBeforeAssignment) {
    declareTyped("a", T_INTEGER);
    declareTyped("b", T_INTEGER);
    declareTyped("c", T_INTEGER, SYMBOL_ASSIGNED);
    std::string text = reportsOf([] { EXPECT_TRUE(lookupUse("a")); });
    EXPECT_EQ(text, "a.vel L7: \"a\" used before assignment\n");
    EXPECT_FALSE(current().assigned);
    EXPECT_TRUE(lookupAssign("b"));
    EXPECT_TRUE(lookupUse("b"));
    EXPECT_TRUE(lookupUse("c"));
    scopes().assignmentTarget = true;
    EXPECT_TRUE(lookupUse("a"));   // the target side marks it assigned
    EXPECT_EQ(diagnostics.errorCount, 1);
}

TEST_F(Symbols, ConstantsCannotBeAssigned) {
    pendingDeclaration().kind = KIND_CONSTANT;
    declareTyped("limit", T_INTEGER, SYMBOL_ASSIGNED);
    std::string text = reportsOf([] { EXPECT_TRUE(lookupAssign("limit")); });
    EXPECT_EQ(text, "a.vel L7: \"limit\" is constant, can't be assigned\n");
}

TEST_F(Symbols, UndeclaredNamesAreReportedOncePerList) {
    std::string text = reportsOf([] {
        EXPECT_FALSE(lookupUse("ghost"));
        EXPECT_FALSE(lookupAssign("ghost"));
    });
    EXPECT_EQ(text, "a.vel L7: \"ghost\" not declared\n");
    EXPECT_EQ(typeState().currentType, T_UNKNOWN);
    EXPECT_EQ(current().kind, 0);
    scopes().inClass = true;
    enterFunction();
    text = reportsOf([] { EXPECT_FALSE(lookupUse("ghost")); });
    EXPECT_EQ(text, "a.vel L7: \"ghost\" not declared\n");
}

TEST_F(Symbols, LookupLoadsTheSymbol) {
    pendingDeclaration().objectText = true;
    pendingDeclaration().attribute = true;
    pendingDeclaration().classIndex = 4;
    Symbol *symbol = declareTyped("node", T_OBJECT, SYMBOL_ASSIGNED);
    ASSERT_NE(symbol, nullptr);
    typeState().currentType = T_UNKNOWN;
    EXPECT_TRUE(lookupUse("node"));
    EXPECT_EQ(typeState().currentType, T_OBJECT);
    EXPECT_TRUE(typeState().objectText);
    EXPECT_TRUE(current().attribute);
    EXPECT_EQ(current().classIndex, 4);
    EXPECT_EQ(current().emittedName, "node");
    EXPECT_EQ(current().symbol, symbol);
}

TEST_F(Symbols, BlockNamesVanishWhenTheBlockIsLeft) {
    enterBlock();
    EXPECT_EQ(scopes().blockDepth, 0);
    EXPECT_TRUE(scopes().inBlock);
    declareTyped("i", T_INTEGER, SYMBOL_ASSIGNED);
    EXPECT_TRUE(lookupUse("i"));
    leaveBlock();
    EXPECT_FALSE(scopes().inBlock);
    std::string text = reportsOf([] { EXPECT_FALSE(lookupUse("i")); });
    EXPECT_EQ(text, "a.vel L7: \"i\" not declared\n");
    enterBlock();
    EXPECT_EQ(scopes().blockDepth, 0);
}

TEST_F(Symbols, AssignmentInABlockCountsUntilItIsLeft) {
    enterFunction();
    declareTyped("x", T_INTEGER);
    enterBlock();
    EXPECT_TRUE(lookupAssign("x"));
    std::string text = reportsOf([] {
        EXPECT_TRUE(lookupUse("x"));
        enterBlock();
        EXPECT_TRUE(lookupUse("x"));
        leaveBlock();
    });
    EXPECT_EQ(text, "");
    leaveBlock();
    text = reportsOf([] { EXPECT_TRUE(lookupUse("x")); });
    EXPECT_EQ(text, "a.vel L7: \"x\" used before assignment\n");
}

TEST_F(Symbols, FunctionsImportTheGlobalsTheyUse) {
    declareTyped("g", T_TEXT, SYMBOL_ASSIGNED);
    enterFunction();
    EXPECT_TRUE(lookupUse("g"));
    ASSERT_EQ(localScopes().functionImports.size(), 1u);
    EXPECT_EQ(localScopes().functionImports[0]->name, "g");
    EXPECT_TRUE(lookupUse("g"));
    EXPECT_TRUE(lookupAssign("g"));
    EXPECT_EQ(localScopes().functionImports.size(), 1u);
    beginFunctionScope();
    EXPECT_TRUE(localScopes().functionImports.empty());
}

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
    declareTyped("deep", T_INTEGER, SYMBOL_ASSIGNED);
    EXPECT_TRUE(lookupUse("deep"));
    for (int i = 0; i <= BLOCK_DEPTH_CAPACITY; i++)
        leaveBlock();
    EXPECT_EQ(scopes().blockDepth, -1);
    EXPECT_FALSE(scopes().inBlock);
    text = reportsOf([] { leaveBlock(); });
    EXPECT_EQ(text, "Internal error [0] line 7\na.vel L7: stack underflow in block scope.\n");
    EXPECT_EQ(scopes().blockDepth, -1);
}

TEST_F(Symbols, ClassNameCase) {
    localScopes().classMembers.className = "Point";
    EXPECT_TRUE(checkClassNameCase("Point"));
    EXPECT_FALSE(checkClassNameCase("Line"));
    EXPECT_EQ(diagnostics.errorCount, 0);
    std::string text = reportsOf([] { EXPECT_FALSE(checkClassNameCase("point")); });
    EXPECT_EQ(text, "a.vel L7: \"point and Point\" declared with different case\n");
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
    EXPECT_TRUE(lookupUse("Name39"));
    EXPECT_FALSE(lookupUse("name39"));
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
