// Assignments whose value is the target followed by "+" operands append to
// the target in place; every other assignment keeps its plain form.
#include "translation_support.hpp"

namespace {

using InPlaceAppend = TranslationTest;

// The plain form of a refused sum is kept, and its message is unchanged.
TEST_F(InPlaceAppend, RefusedSumIsReportedAsBefore) {
    Translation t = translate("text s = \"\"\n"
                              "s = s + 5\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: can't solve add or substract expression on text and integer."))
        << t.report;
    EXPECT_EQ(t.countOccurrences("+="), 0) << t.implementation;
}

TEST_F(InPlaceAppend, TextPlusPieceAppends) {
    Translation t = translate("text s = \"\"\n"
                              "text piece = \"ab\"\n"
                              "s = s + piece\n"
                              "s = s + \"lit\"\n"
                              "char c = 'x'\n"
                              "s = s + c\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("s += piece;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("s += \"lit\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("s += text(c);")) << t.implementation;
    EXPECT_EQ(t.countOccurrences("s = s+"), 0) << t.implementation;
}

TEST_F(InPlaceAppend, SeveralPiecesAreJoinedBeforeTheTargetChanges) {
    Translation t = translate("text s = \"x\"\n"
                              "text a = \"a\"\n"
                              "int n = 3\n"
                              "s = s + a + str(n) + \"!\"\n"
                              "s = s + a + s\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("s += text(a)+str(n)+\"!\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("s += text(a)+s;")) << t.implementation;
}

TEST_F(InPlaceAppend, VarPieceAppendsItsText) {
    Translation t = translate("text s = \"\"\n"
                              "var v = 7\n"
                              "s = s + v\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("s += text(v);")) << t.implementation;
}

TEST_F(InPlaceAppend, ArraysAppendOneOperand) {
    Translation t = translate("array a = []\n"
                              "int[] n = []\n"
                              "a = a + 1\n"
                              "a = a + a\n"
                              "n = n + 4\n"
                              "a = a + 1 + 2\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("a += dyn(1);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("a += a;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("n += 4;")) << t.implementation;
    // Two operands on an array are two appends in C++ terms, not one of a sum.
    EXPECT_TRUE(t.hasStatement("a = a+dyn(1)+dyn(2);")) << t.implementation;
}

TEST_F(InPlaceAppend, OtherFormsAreLeftAlone) {
    Translation t = translate("text s = \"\"\n"
                              "text u = \"u\"\n"
                              "s = u + s\n"
                              "s = (s + u)\n"
                              "s = s + u.upper()\n"
                              "u = s + u\n"
                              "s = s.upper() + u\n"
                              "int i = 0\n"
                              "i = i + 1\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("s = u+s;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("s = (s+u);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("u = s+u;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("s = s.upper()+u;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("i = i+1;")) << t.implementation;
    // A method call on the piece is still one piece.
    EXPECT_TRUE(t.hasStatement("s += u.upper();")) << t.implementation;
}

TEST_F(InPlaceAppend, ElementTargetsKeepTheirSetter) {
    Translation t = translate("text[] names = [\"a\"]\n"
                              "int[] n = [1]\n"
                              "names[0] = names[0] + \"b\"\n"
                              "n[0] = n[0] + 1\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_EQ(t.countOccurrences(" += "), 0) << t.implementation;
}

// d[k] = d[k] + 1 finds the element once; only with a plain key and a
// number, where nothing can run between finding the element and changing it.
TEST_F(InPlaceAppend, VarElementPlusANumberChangesInPlace) {
    Translation t = translate("dict d = {}\n"
                              "array a = []\n"
                              "text k = \"k\"\n"
                              "int i = 0\n"
                              "d[k] = d[k] + 1\n"
                              "d[\"c\"] = d[\"c\"] + 2.5\n"
                              "a[i] = a[i] + 1\n"
                              "d[k] = d[k] + i\n"
                              "d[k] = d[k] + 1 + 1\n"
                              "d[k.upper()] = d[k.upper()] + 1\n"
                              "d[k] = d[\"c\"] + 1\n"
                              "d[k] = 1 + d[k]\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("d[k] += 1;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("a[i] += 1;")) << t.implementation;
    // A var plus a real is a real, converted back: not the same statement.
    EXPECT_EQ(t.countOccurrences(" += "), 2) << t.implementation;
}

}  // namespace
