// Loops, switch and if: the C++ control structures and their labels.
#include "translation_support.hpp"

namespace {

using Loops = TranslationTest;

TEST_F(Loops, WhileContinueAndBreakUseTheLoopsLabels) {
    Translation t = translate("int i = 0\n"
                              "while i < 10\n"
                              "    i + 1\n"
                              "    if i = 3\n"
                              "        continue\n"
                              "    /if\n"
                              "    if i = 8\n"
                              "        break\n"
                              "    /if\n"
                              "/while\n");
    EXPECT_TRUE(t.hasStatement("while(i<10)")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("goto _lab_prog0;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("goto _lab_prog1;")) << t.implementation;
    // The continue label closes the body; the exit label follows the loop.
    int continueLabel = t.findStatement("_lab_prog0:;");
    ASSERT_GE(continueLabel, 0) << t.implementation;
    EXPECT_EQ(t.statementAfter(continueLabel), "}");
    int exitLabel = t.findStatement("_lab_prog1:;");
    ASSERT_GT(exitLabel, continueLabel) << t.implementation;
    EXPECT_EQ(t.statements()[exitLabel - 1], "}");
}

TEST_F(Loops, NestedLoopLabelsAreTwoApart) {
    Translation t = translate("while true\n"
                              "    while false\n"
                              "        break\n"
                              "    /while\n"
                              "    break\n"
                              "/while\n");
    EXPECT_TRUE(t.hasStatement("goto _lab_prog3;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("_lab_prog3:;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("goto _lab_prog1;")) << t.implementation;
    EXPECT_LT(t.findStatement("_lab_prog3:;"), t.findStatement("_lab_prog1:;"));
}

using Switch = TranslationTest;

TEST_F(Switch, OnACallStoresTheValueInATemporary) {
    Translation t = translate("int x = 2\nswitch abs(x)\ncase 1\n    print 1\n/switch\n");
    std::string temporary;
    for (const std::string &statement : t.statements()) {
        if (statement.rfind("var _I_", 0) == 0 && statement.find("=abs(x);") != std::string::npos)
            temporary = statement.substr(4, statement.find('=') - 4);
    }
    ASSERT_FALSE(temporary.empty()) << t.implementation;
    EXPECT_TRUE(t.hasStatement("if(" + temporary + "==1)")) << t.implementation;
}

TEST_F(Switch, ThreeCasesAndDefaultNestTwoElseBlocks) {
    Translation t = translate("int x = 2\n"
                              "switch x\n"
                              "case 1\n    print 1\n"
                              "case 2..5\n    print 2\n"
                              "case 6 -- 9, 12\n    print 3\n"
                              "default\n    print 4\n"
                              "/switch\n");
    EXPECT_EQ(t.status, 0) << t.report;
    int elses = 0;
    for (const std::string &statement : t.statements())
        elses += statement == "else";
    EXPECT_EQ(elses, 3) << t.implementation;
    EXPECT_TRUE(t.hasStatement("}}")) << t.implementation;
    EXPECT_NE(t.implementation.find("x>=2 && x<=5"), std::string::npos) << t.implementation;
    EXPECT_NE(t.implementation.find("x>=6 && x<9"), std::string::npos) << t.implementation;
    EXPECT_NE(t.implementation.find(" || x==12"), std::string::npos) << t.implementation;
}

using If = TranslationTest;

TEST_F(If, OneLineFormHasItsOwnBraces) {
    Translation t = translate("int x = 1\nif x > 0 print x\n");
    int condition = t.findStatement("if(x>0)");
    ASSERT_GE(condition, 0) << t.implementation;
    EXPECT_EQ(t.statementAfter(condition), "{");
    EXPECT_EQ(t.statementAfter(condition + 1), "std::cout << x<< \"\\n\";");
}

TEST_F(If, OneLineFormWithElse) {
    Translation t = translate("int x = 1\nif x = 1 print 1; else print 2\n");
    int otherwise = t.findStatement("else");
    ASSERT_GE(otherwise, 0) << t.implementation;
    EXPECT_EQ(t.statementAfter(otherwise), "{");
    EXPECT_EQ(t.statementAfter(otherwise + 1), "std::cout << 2<< \"\\n\";");
}

// Without the ";" the print has no terminator: that must not pass silently
// as broken C++.
TEST_F(If, OneLineElseWithoutTerminatorIsNotSilentlyMangled) {
    Translation t = translate("int x = 1\nif x = 1 print 1 else print 2\n");
    bool reported = t.status != 0 || !t.syntaxErrors.empty();
    bool wellFormed = t.hasStatement("else") && t.hasStatement("std::cout << 1<< \"\\n\";");
    EXPECT_TRUE(reported || wellFormed) << t.implementation;
}

}  // namespace
