#include <gtest/gtest.h>

#include <string>

#include "diagnostics/diagnostics.hpp"
#include "semantics/indexing.hpp"
#include "semantics/types.hpp"
#include "translator/output.hpp"
#include "translation_under_test.hpp"

namespace {

class Indexing : public ::testing::Test {
protected:
    TranslationUnderTest translation;

    void SetUp() override {
        diagnostics.sourceName = "a.vel";
        diagnostics.lineCounter = 7;
        diagnostics.errorCount = 0;
    }
};

TEST_F(Indexing, ReadSide) {
    SubscriptText element = readIndex(T_ARRAY, "2", false);
    EXPECT_EQ(element.text, ".at(2)");
    EXPECT_EQ(element.type, T_VAR);
    element = readIndex(T_INTARRAY, "i", false);
    EXPECT_EQ(element.text, ".at(i)");
    EXPECT_EQ(element.type, T_INTEGER);
    // Reads never create elements, even on the way to an inner container.
    element = readIndex(T_DICT, "k", true);
    EXPECT_EQ(element.text, ".at(k)");
    element = readIndex(T_TEXT, "0", false);
    EXPECT_EQ(element.text, "[0]");
    EXPECT_EQ(element.type, T_TEXT);
    element = readIndex(T_VAR, "0", false);
    EXPECT_EQ(element.text, ".at(0)");
    EXPECT_EQ(element.type, T_VAR);
}

TEST_F(Indexing, TargetSide) {
    TargetSubscript setter = targetIndex(T_TEXT, "0", 0, false);
    EXPECT_EQ(setter.text, ".setAt(0,");
    EXPECT_TRUE(setter.isCall);
    setter = targetIndex(T_ARRAY, "i", 0, false);
    EXPECT_EQ(setter.text, "[i]");
    EXPECT_FALSE(setter.isCall);
    setter = targetIndex(T_DICT, "i", 1, false);
    EXPECT_EQ(setter.text, "->setAt(i,");
    EXPECT_TRUE(setter.isCall);
    setter = targetIndex(T_REALARRAY, "i", 0, false);
    EXPECT_EQ(setter.text, ".setAt(i,");
    EXPECT_EQ(setter.type, T_REAL);
    setter = targetIndex(T_REALARRAY, "i", 2, false);
    EXPECT_EQ(setter.text, "->setAt(i,");
    setter = targetIndex(T_ARRAY, "i", 0, true);
    EXPECT_EQ(setter.text, ".to(i)");
    EXPECT_TRUE(setter.selectsInner);
    EXPECT_FALSE(setter.isCall);
    EXPECT_EQ(targetIndex(T_ARRAY, "j", 1, true).text, "->to(j)");
    EXPECT_EQ(targetIndex(T_OBJECT, "j", 0, false).text, "[j]");
}

TEST_F(Indexing, Intervals) {
    EXPECT_EQ(sliceText(makeInterval(true, "1", T_INTEGER, true, "3", T_INTEGER, true)),
              ".slice(1,3,1)");
    EXPECT_EQ(sliceText(makeInterval(true, "1", T_INTEGER, true, "3", T_INTEGER, false)),
              ".slice(1,3,0)");
    EXPECT_EQ(sliceText(makeInterval(true, "1", T_INTEGER, false, "", 0, true)),
              ".slice(1,-1,1)");
    EXPECT_EQ(sliceText(makeInterval(false, "", 0, true, "n", T_INTEGER, true)),
              ".slice(0,n,1)");
    EXPECT_EQ(sliceText(makeInterval(true, "x", T_REAL, true, "v", T_VAR, true)),
              ".slice(intval(x),intval(v),1)");
}

TEST_F(Indexing, EmptySubscript) {
    EmptySubscript element = readEmptySubscript(T_TEXTARRAY, false);
    EXPECT_EQ(element.text, ".value()");
    EXPECT_EQ(element.type, T_TEXT);
    EXPECT_EQ(readEmptySubscript(T_DICT, false).type, T_VAR);
    EXPECT_EQ(readEmptySubscript(T_TEXT, false).accessMode, ACCESS_CURRENT_ELEMENT);
    EXPECT_EQ(diagnostics.errorCount, 0);

    ::testing::internal::CaptureStdout();
    element = readEmptySubscript(T_ARRAY, true);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "a.vel L7: can't put index on a range.\n");
    EXPECT_FALSE(element.accepted);
    EXPECT_EQ(element.text, "");

    EXPECT_EQ(targetEmptySubscript("a", T_ARRAY, 0, false).text, "[a.key()]");
    TargetSubscript setter = targetEmptySubscript("p", T_ARRAY, 1, false);
    EXPECT_EQ(setter.text, "->setAt(p->key(),");
    EXPECT_TRUE(setter.isCall);
    EXPECT_EQ(targetEmptySubscript("a", T_ARRAY, 0, true).text, ".to(a.key())");
    EXPECT_EQ(targetEmptySubscript("p", T_ARRAY, 1, true).text, "->to(p->key())");
}

TEST_F(Indexing, KeyRangesNeedTexts) {
    EXPECT_TRUE(checkKeyRange(T_TEXT, T_CHARPTR));
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(checkKeyRange(T_TEXT, T_INTEGER));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "a.vel L7: keys must be texts.\n");
}

}  // namespace
