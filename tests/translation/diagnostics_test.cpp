// The exact diagnostic lines of the translator.
#include "translation_support.hpp"

namespace {

using Names = TranslationTest;

TEST_F(Names, UndeclaredNameIsReportedOnce) {
    Translation t = translate("print y\ny = 2\nprint y\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L1: \"y\" not declared")) << t.report;
    size_t first = t.report.find("not declared");
    EXPECT_EQ(t.report.find("not declared", first + 1), std::string::npos) << t.report;
}

TEST_F(Names, UsedBeforeAssignment) {
    Translation t = translate("int u\nprint u\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"u\" used before assignment")) << t.report;
}

TEST_F(Names, AssignedBeforeUseIsNotReported) {
    Translation t = translate("int u\nu = 3\nprint u\n");
    EXPECT_EQ(t.status, 0) << t.report;
}

TEST_F(Names, AssigningAConstant) {
    Translation t = translate("const int K = 3\nK = 4\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"K\" is constant, can't be assigned")) << t.report;
}

TEST_F(Names, DuplicateGlobalIgnoresCase) {
    Translation t = translate("int g = 1\nint G = 2\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"G\" duplicate name")) << t.report;
}

TEST_F(Names, DuplicateInABlock) {
    Translation t = translate("if true\n    int b = 1\n    int b = 2\n/if\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"b\" already declared in a block.")) << t.report;
}

using Operands = TranslationTest;

TEST_F(Operands, TextPlusInteger) {
    Translation t = translate("text t = \"a\"\nint n = 1\nprint t + n\n");
    EXPECT_TRUE(t.reportHasLine(
        "prog.vel L3: can't solve add or substract expression on text and integer."))
        << t.report;
}

TEST_F(Operands, AndOnTwoArrays) {
    Translation t = translate("array a = [1]\narray b = [2]\nprint a and b\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: can't solve boolean expression on array and array."))
        << t.report;
}

TEST_F(Operands, InOnAnIntArrayWithARealItem) {
    Translation bad = translate("int[] a = [1]\nprint 1.5 in a\n");
    EXPECT_TRUE(bad.reportHasLine("prog.vel L2: \"int array\" doesn't match in operator"))
        << bad.report;
    Translation good = translate("int[] a = [1]\nint x = 1\nprint x in a\n");
    EXPECT_EQ(good.status, 0) << good.report;
}

TEST_F(Operands, DictKeyMustBeAText) {
    Translation t = translate("dict d = {1.5: 2}\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L1: keys must be texts.")) << t.report;
}

TEST_F(Operands, SwapOfATextAndAnInteger) {
    Translation t = translate("text t = \"a\"\nint n = 1\nswap(t, n)\n");
    std::string line;
    size_t at = t.report.find("can't swap text and");
    ASSERT_NE(at, std::string::npos) << t.report;
    line = t.report.substr(at, t.report.find('\n', at) - at);
    EXPECT_NE(line.find("integer"), std::string::npos) << line;
    EXPECT_EQ(t.report.rfind("Error line 3 ", at), at - 13) << t.report;
    EXPECT_NE(t.status, 0) << "a failed swap must keep the program from being built";
    EXPECT_EQ(t.implementation.find("t=n"), std::string::npos) << t.implementation;
}

using Statements = TranslationTest;

TEST_F(Statements, TwoLetClauses) {
    Translation t = translate("int i = 0\nwhile i < 3\n    i + 1\nlet print i\nlet print i\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L5: bad while, let used twice.")) << t.report;
}

TEST_F(Statements, AssignmentCount) {
    Translation t = translate("int a = 0\nint b = 0\na, b = 1, 2, 3\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: 2 required, attempting to assign 3 values."))
        << t.report;
}

// A name inside a later subscript is a name of its own: it must not make
// the outer name forget its interval.
TEST_F(Statements, IndexAfterARange) {
    for (const char *read : {"a[0..1][]", "a[0..1][0][]", "a[0..1][i][]", "a[..i][a[i]][]", "a[0--1][i + k[0]][]"}) {
        for (const char *use : {"print ", "x = "}) {
            Translation t = translate("array a = [1, 2, 3]\nint i = 0\nint[] k = [1]\nvar x = 0\n" + std::string(use) +
                                      read + "\n");
            EXPECT_TRUE(t.reportHasLine("prog.vel L5: can't put index on a range.")) << use << read << "\n" << t.report;
        }
    }
    Translation inner = translate("array a = [1, 2, 3]\nint[] k = [1]\nprint a[k[0..0][]]\n");
    EXPECT_TRUE(inner.reportHasLine("prog.vel L3: can't put index on a range.")) << inner.report;
    Translation plain = translate("array a = [1, 2, 3]\nint[] k = [1]\nprint a[k[0..0]][]\n");
    EXPECT_FALSE(plain.reportHasLine("prog.vel L3: can't put index on a range.")) << plain.report;
}

TEST_F(Statements, IfWithoutCondition) {
    Translation t = translate("print 1\nif\n    print 2\n/if\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: bad if syntax.")) << t.report;
    EXPECT_NE(t.status, 0);
}

TEST_F(Statements, FaultsInsideAnIfAreBadIfSyntax) {
    Translation condition = translate("int x = 1\nif x +\n    print x\n/if\n");
    EXPECT_TRUE(condition.reportHasLine("prog.vel L3: bad if syntax.")) << condition.report;
    EXPECT_EQ(condition.syntaxErrors, "");
    EXPECT_EQ(condition.status, 1);
    Translation body = translate("int x = 1\nif x > 0 ? print x +\nprint 2\n");
    EXPECT_TRUE(body.reportHasLine("prog.vel L3: bad if syntax.")) << body.report;
    EXPECT_EQ(body.status, 1);
}

TEST_F(Statements, MalformedDoCases) {
    Translation first = translate("int x = 1\ndo\ncase x = 1 )\n    print 1\n/do until x > 0\n");
    EXPECT_TRUE(first.reportHasLine("prog.vel L3: case expected.")) << first.report;
    Translation further = translate("int x = 1\ndo\ncase x = 1\n    print 1\ncase )\n    print 2\n/do until x > 0\n");
    EXPECT_TRUE(further.reportHasLine("prog.vel L5: case block expected.")) << further.report;
    EXPECT_EQ(further.status, 1);
}

TEST_F(Statements, OneLineIfWithASecondBranch) {
    Translation t = translate("int a = 3\nif a > 1 ? print \"a\" else print \"b\"\nif a > 5 ? a = 1 : ? a = 2\n");
    EXPECT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    EXPECT_TRUE(t.hasStatement("else")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("a = 2;")) << t.implementation;
}

TEST_F(Names, InterpolatedNameMustBeDeclared) {
    Translation t = translate("print \"value $nosuch\"\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L1: \"nosuch\" not declared")) << t.report;
    EXPECT_EQ(t.status, 1);
}

// A call reaches only swap and what the included headers declare.
TEST_F(Names, CallOfAFunctionThatIsNotDefined) {
    Translation t = translate("int x = -3\nprint abs(x), foo(2)\nbar(1)\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"foo\" function not defined")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"bar\" function not defined")) << t.report;
    EXPECT_EQ(t.status, 2);
}

TEST_F(Names, AttributesOfValuesThatHaveNone) {
    Translation t = translate("int[] ia = [1, 2, 3]\nprint ia.sum\nia.x = 3\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"sum\" attribute not found")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"x\" attribute not found")) << t.report;
    EXPECT_EQ(t.status, 2);
}

// A loop walks a container with the container's own cursor: a second loop
// over it inside the first would end both, so it is refused.
TEST_F(Statements, NestedLoopsOverOneContainer) {
    Translation t = translate("int[] xs = [1, 2]\nfor a in xs\n    for b in xs\n        print a, b\n    /for\n/for\n"
                              "for a in xs\n    print a\n/for\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"xs\" cannot be used here")) << t.report;
    EXPECT_EQ(t.status, 1);
}

TEST_F(Names, ThisOutsideAClass) {
    Translation t = translate("print this\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L1: \"this\" cannot be used here")) << t.report;
    EXPECT_EQ(t.status, 1);
}

TEST_F(Names, CatchOfAClassThatIsNotDefined) {
    Translation t = translate("try\n    print 1\ncatch (Nope e)\n    print 2\n/try\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"Nope\" class not defined")) << t.report;
}

TEST_F(Operands, LiteralsBeyondSixtyFourBits) {
    Translation big = translate("int big = 99999999999999999999\n");
    EXPECT_TRUE(big.reportHasLine("prog.vel L1: an integer of at most 64 bits required, found 99999999999999999999."))
        << big.report;
    Translation largest = translate("natural n = 18446744073709551615n\n");
    EXPECT_EQ(largest.status, 0) << largest.report;
}

TEST_F(Operands, BitsOfRealsAreRefused) {
    Translation t = translate("real r = 2.5\nprint r | 1\nprint 1 << r\nr & 1\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: can't solve binary expression on real and integer.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: can't solve shift expression on integer and real.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L4: can't solve binary expression on real and integer.")) << t.report;
    EXPECT_EQ(t.status, 3);
}

TEST_F(Statements, SummaryCountsTheErrors) {
    Translation t = translate("print p\nprint q\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel, compiled 2 lines, there are 2 errors")) << t.report;
    EXPECT_EQ(t.status, 2);
}

}  // namespace

// Each "in" decides between a range and a container once: nested sixty
// deep, the forms still translate at once and report each level.
TEST_F(Statements, DeepNestingOfInTranslates) {
    std::string nested = "true";
    for (int level = 0; level < 60; level++)
        nested = "1 in (" + nested + ")";
    Translation t = translate("bool b = " + nested + "\nprint b\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel, compiled 2 lines, there are 60 errors")) << t.report;
    Translation range = translate("int k = 2\nint[] c = [1, 2]\nbool b = k in (((1))) .. ((3)) and k in (c)\nprint b\n");
    EXPECT_EQ(range.status, 0) << range.report;
}
