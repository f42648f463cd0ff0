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

using Operands = TranslationTest;

TEST_F(Operands, InOnAnIntArrayWithARealItem) {
    Translation bad = translate("int[] a = [1]\nprint 1.5 in a\n");
    EXPECT_TRUE(bad.reportHasLine("prog.vel L2: \"int array\" doesn't match in operator"))
        << bad.report;
    Translation good = translate("int[] a = [1]\nint x = 1\nprint x in a\n");
    EXPECT_EQ(good.status, 0) << good.report;
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

// A name inside a later subscript is a name of its own: it must not make
// the outer name forget its interval.
TEST_F(Statements, IndexAfterARange) {
    for (const char *read : {"a[0..1][]", "a[0..1][0][]", "a[0..1][i][]", "a[..i][a[i]][]", "a[0--1][i + k[0]][]"}) {
        Translation t = translate("array a = [1, 2, 3]\nint i = 0\nint[] k = [1]\nprint " + std::string(read) + "\n");
        EXPECT_TRUE(t.reportHasLine("prog.vel L4: can't put index on a range.")) << read << "\n" << t.report;
    }
    Translation inner = translate("array a = [1, 2, 3]\nint[] k = [1]\nprint a[k[0..0][]]\n");
    EXPECT_TRUE(inner.reportHasLine("prog.vel L3: can't put index on a range.")) << inner.report;
    Translation plain = translate("array a = [1, 2, 3]\nint[] k = [1]\nprint a[k[0..0]][]\n");
    EXPECT_FALSE(plain.reportHasLine("prog.vel L3: can't put index on a range.")) << plain.report;
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

TEST_F(Operands, LiteralsBeyondSixtyFourBits) {
    Translation big = translate("int big = 99999999999999999999\n");
    EXPECT_TRUE(big.reportHasLine("prog.vel L1: an integer of at most 64 bits required, found 99999999999999999999."))
        << big.report;
    Translation largest = translate("natural n = 18446744073709551615n\n");
    EXPECT_EQ(largest.status, 0) << largest.report;
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
