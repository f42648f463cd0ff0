// Function definitions and calls of the program's functions: the C++ they
// write, the prototypes in the header, main, extern blocks, function types
// and the diagnostics of the checks.
#include "translation_support.hpp"

namespace {

using FunctionDefinitions = TranslationTest;

bool headerHas(const Translation &t, const std::string &line) {
    return t.header.find(line + "\n") != std::string::npos;
}

TEST_F(FunctionDefinitions, FunctionsAreWrittenAtFileScopeWhereverTheyStand) {
    Translation t = translate(
        "print twice(2)\n"
        "int twice(int x)\n"
        "return x * 2\n"
        "print twice(3)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    int mainAt = t.findStatement("int main()");
    int endOfMain = t.findStatement("return 0;", mainAt);
    int definition = t.findStatement("int twice(int x)");
    ASSERT_GE(mainAt, 0) << t.implementation;
    EXPECT_GT(definition, endOfMain) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << twice(3)<< \"\\n\";")) << t.implementation;
}

using ProgramCalls = TranslationTest;

TEST_F(ProgramCalls, FunctionsPassedByName) {
    Translation t = translate(
        "int twice(int x)\nreturn x * 2\n"
        "text same(text x)\nreturn x\n"
        "define Fn = \"twice\"\n"
        "int apply(Fn f, int v)\nreturn f(v)\n"
        "int untyped(function g)\nreturn 0\n"
        "text name = \"twice\"\n"
        "print apply(\"twice\", 5)\n"   // L11
        "print apply(name, 5)\n"        // L12: not a literal
        "print apply(\"nothere\", 5)\n" // L13
        "print apply(\"same\", 5)\n"    // L14: another signature
        "print untyped(\"twice\")\n"    // L15: the parameter has none
        "define Gn = \"missing\"\n");   // L16
    EXPECT_TRUE(headerHas(t, "typedef decltype(&twice) Fn;")) << t.header;
    EXPECT_TRUE(t.hasStatement("int apply(Fn f, int v)")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("return f(v);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << apply(twice,5)<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L12: requires a name of function as literal string.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L13: \"nothere\" function not defined")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L13: \"nothere\" incompatible function as parameter")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L14: \"same\" incompatible function as parameter")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L15: \"twice\" unexpected")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L15: \"twice\" incompatible function as parameter")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L16: \"missing\" function not defined")) << t.report;
    EXPECT_EQ(t.status, 7) << t.report;
}

using MainFunction = TranslationTest;

TEST_F(MainFunction, StatementsRunFirstThenMain) {
    Translation t = translate("print \"before\"\nvoid main()\n    print \"in main\"\nreturn\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_EQ(t.countOccurrences("int main("), 1) << t.implementation;
    int before = t.findStatement("std::cout << \"before\"<< \"\\n\";");
    ASSERT_GE(before, 0) << t.implementation;
    EXPECT_EQ(t.statementAfter(before), "_main_prog();") << t.implementation;
}

TEST_F(MainFunction, AStatementThatCallsMainRunsItThere) {
    Translation t = translate("main()\nprint \"after\"\nvoid main()\n    print \"in main\"\nreturn\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_EQ(t.countOccurrences("int main("), 1) << t.implementation;
    EXPECT_EQ(t.countOccurrences("_main_prog();"), 1) << t.implementation;
    int call = t.findStatement("_main_prog();");
    EXPECT_EQ(t.statementAfter(call), "std::cout << \"after\"<< \"\\n\";") << t.implementation;
}

using ExternBlocks = TranslationTest;

}  // namespace
