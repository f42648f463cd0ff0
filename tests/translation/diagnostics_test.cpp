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
