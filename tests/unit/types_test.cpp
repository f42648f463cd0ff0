#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "diagnostics/diagnostics.hpp"
#include "semantics/types.hpp"
#include "translator/output.hpp"
#include "translation_under_test.hpp"

namespace {

class TypeModel : public ::testing::Test {
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
};

TEST_F(TypeModel, ResultTableIsNotSymmetric) {
    EXPECT_EQ(resultOf(T_VAR, T_INTARRAY), T_VAR);
    EXPECT_EQ(resultOf(T_INTARRAY, T_VAR), T_LIST);
    EXPECT_EQ(resultOf(T_BOOLEAN, T_DIR), T_OBJECT);
    EXPECT_EQ(resultOf(T_DIR, T_BOOLEAN), 0);
    EXPECT_EQ(resultOf(T_BYTE, T_NIL), T_NUMBER);
    EXPECT_EQ(resultOf(T_NIL, T_BYTE), T_BYTE);
}

TEST_F(TypeModel, ResultTableRejectsCodesOutsideIt) {
    EXPECT_EQ(resultOf(T_PLACEHOLDER, T_INTEGER), 0);
    EXPECT_EQ(resultOf(T_INTEGER, T_PLACEHOLDER), 0);
    EXPECT_EQ(resultOf(-1, T_INTEGER), 0);
    EXPECT_EQ(resultOf(T_INTEGER, 99), 0);
    EXPECT_EQ(resultOf(T_UNKNOWN, T_UNKNOWN), 0);
}

TEST_F(TypeModel, TypeNamesAndBadCode) {
    EXPECT_STREQ(typeName(T_PLACEHOLDER), "?");
    EXPECT_STREQ(typeName(T_UNKNOWN), "unknow type");
    std::string text = reportsOf([] { EXPECT_STREQ(typeName(37), "error"); });
    EXPECT_EQ(text, "Internal error [3001] line 7\n");
}

TEST_F(TypeModel, Groups) {
    EXPECT_TRUE(isTypedArray(T_INTARRAY));
    EXPECT_TRUE(isTypedArray(T_FILEARRAY));
    EXPECT_FALSE(isTypedArray(T_PLACEHOLDER));
    EXPECT_FALSE(isTypedArray(T_CHAR));
    EXPECT_EQ(elementType(T_NUMBERARRAY), T_NUMBER);
    EXPECT_EQ(elementType(T_FILEARRAY), T_FILE);
    EXPECT_EQ(elementType(T_TEXT), T_TEXT);
    EXPECT_TRUE(isContainer(T_LIST));
    EXPECT_FALSE(isContainer(T_VAR));
    EXPECT_FALSE(isContainer(T_TUPLE));

    typeState().currentType = T_INTEGER;
    arrayOfElement(T_DIR);
    EXPECT_EQ(typeState().currentType, T_OBJECTARRAY);
    arrayOfElement(T_BOOLEAN);
    EXPECT_EQ(typeState().currentType, T_OBJECTARRAY);
    arrayOfElement(T_NATURAL);
    EXPECT_EQ(typeState().currentType, T_NATURALARRAY);
}

TEST_F(TypeModel, ArithmeticResults) {
    EXPECT_TRUE(checkArith(T_INTEGER, T_INTEGER, W_DIVIDE));
    EXPECT_EQ(typeState().currentType, T_NUMBER);
    EXPECT_TRUE(checkArith(T_INTEGER, T_INTEGER, W_MULTIPLY));
    EXPECT_EQ(typeState().currentType, T_INTEGER);
    EXPECT_TRUE(checkArith(T_INTEGER, T_REAL, W_ADD));
    EXPECT_EQ(typeState().currentType, T_REAL);
    EXPECT_TRUE(checkArith(T_REAL, T_INTEGER, W_DIVIDE));
    EXPECT_EQ(typeState().currentType, T_REAL);
    EXPECT_TRUE(checkArith(T_VAR, T_TEXT, W_ADD));
    EXPECT_EQ(typeState().currentType, T_TEXT);
    EXPECT_TRUE(checkArith(T_VAR, T_INTARRAY, W_ADD));
    EXPECT_EQ(typeState().currentType, T_VAR);
    EXPECT_EQ(diagnostics.errorCount, 0);
}

TEST_F(TypeModel, TextPlusIntegerIsReported) {
    std::string text = reportsOf([] { EXPECT_FALSE(checkArith(T_TEXT, T_INTEGER, W_ADD)); });
    EXPECT_EQ(text, "a.vel L7: can't solve add or substract expression on text and integer.\n");
    EXPECT_EQ(typeState().currentType, T_UNKNOWN);
    EXPECT_EQ(diagnostics.errorCount, 1);
}

TEST_F(TypeModel, BooleanOperators) {
    EXPECT_TRUE(checkBoolean(T_TEXT, T_TEXT));
    EXPECT_TRUE(checkBoolean(T_BOOLEAN, T_VAR));
    EXPECT_EQ(diagnostics.errorCount, 0);
    typeState().currentType = T_ARRAY;
    std::string text = reportsOf([] { EXPECT_FALSE(checkBoolean(T_ARRAY, T_ARRAY)); });
    EXPECT_EQ(text, "a.vel L7: can't solve boolean expression on array and array.\n");
    EXPECT_EQ(typeState().currentType, T_BOOLEAN);
}

TEST_F(TypeModel, BinaryAndRelational) {
    EXPECT_TRUE(checkBinary(T_BYTE, T_INTEGER));
    EXPECT_EQ(typeState().currentType, T_BYTE);
    std::string text = reportsOf([] { EXPECT_FALSE(checkBinary(T_REAL, T_TEXT)); });
    EXPECT_EQ(text, "a.vel L7: can't solve binary expression on real and text.\n");
    EXPECT_EQ(typeState().currentType, T_BOOLEAN);

    EXPECT_TRUE(checkRelational(T_INTEGER, T_REAL));
    EXPECT_EQ(typeState().currentType, T_BOOLEAN);
    text = reportsOf([] { EXPECT_FALSE(checkRelational(T_TEXT, T_INTEGER)); });
    EXPECT_EQ(text, "a.vel L7: can't solve relational expression on text and integer.\n");
    EXPECT_EQ(typeState().currentType, T_BOOLEAN);
}

TEST_F(TypeModel, BitOperatorDispatch) {
    pushType(T_INTARRAY);
    typeState().currentType = T_INTEGER;   // element joined to its array
    EXPECT_TRUE(checkBitOperator());
    EXPECT_EQ(typeState().currentType, T_INTARRAY);

    pushType(T_VAR);
    typeState().currentType = T_TEXTARRAY;
    EXPECT_TRUE(checkBitOperator());
    EXPECT_EQ(typeState().currentType, T_TEXTARRAY);

    pushType(T_INTEGER);
    typeState().currentType = T_BYTE;
    EXPECT_TRUE(checkBitOperator());
    EXPECT_EQ(typeState().currentType, T_INTEGER);

    pushType(T_ARRAY);
    typeState().currentType = T_VAR;
    EXPECT_TRUE(checkBitOperator());
    EXPECT_EQ(typeState().currentType, T_ARRAY);
    EXPECT_EQ(diagnostics.errorCount, 0);

    pushType(T_INTARRAY);
    typeState().currentType = T_TEXT;
    std::string text = reportsOf([] { EXPECT_FALSE(checkBitOperator()); });
    EXPECT_EQ(text, "a.vel L7: can't solve such expression on int array and text.\n");
    EXPECT_EQ(typeState().currentType, T_LIST);

    pushType(T_TEXT);
    typeState().currentType = T_INTEGER;
    text = reportsOf([] { EXPECT_FALSE(checkBitOperator()); });
    EXPECT_EQ(text, "a.vel L7: can't solve such expression on text and integer.\n");
    EXPECT_EQ(typeState().depth, 0);
}

TEST_F(TypeModel, ArrayOperations) {
    EXPECT_TRUE(checkArrayOp(T_VAR, T_VAR));
    EXPECT_EQ(typeState().currentType, T_ARRAY);
    EXPECT_TRUE(checkArrayOp(T_VAR, T_DICT));
    EXPECT_EQ(typeState().currentType, T_DICT);
    EXPECT_TRUE(checkArrayOp(T_LIST, T_VAR));
    EXPECT_EQ(typeState().currentType, T_LIST);
    EXPECT_TRUE(checkArrayOp(T_REALARRAY, T_REALARRAY));
    EXPECT_EQ(typeState().currentType, T_REALARRAY);
    std::string text = reportsOf([] { EXPECT_FALSE(checkArrayOp(T_ARRAY, T_DICT)); });
    EXPECT_EQ(text, "a.vel L7: can't solve array expression on array and dict.\n");
    EXPECT_EQ(typeState().currentType, T_LIST);

    typeState().currentType = T_INTARRAY;
    EXPECT_TRUE(checkSameArray(T_INTARRAY, T_INTARRAY));
    EXPECT_EQ(typeState().currentType, T_INTARRAY);
    reportsOf([] { EXPECT_FALSE(checkSameArray(T_INTARRAY, T_REALARRAY)); });
    EXPECT_EQ(typeState().currentType, T_LIST);
}

TEST_F(TypeModel, ElementsOfTypedArrays) {
    EXPECT_TRUE(checkElement(T_REALARRAY, T_INTEGER));
    EXPECT_TRUE(checkElement(T_NUMBERARRAY, T_NATURAL));
    EXPECT_TRUE(checkElement(T_TEXTARRAY, T_VAR));
    EXPECT_TRUE(checkElement(T_VAR, T_TEXT));
    EXPECT_EQ(diagnostics.errorCount, 0);
    std::string text = reportsOf([] { EXPECT_FALSE(checkElement(T_INTARRAY, T_REAL)); });
    EXPECT_EQ(text, "a.vel L7: can't solve array expression on int array and real.\n");
}

TEST_F(TypeModel, InOperator) {
    EXPECT_TRUE(checkIn(T_INTEGER, T_INTARRAY));
    EXPECT_EQ(typeState().currentType, T_BOOLEAN);
    EXPECT_TRUE(checkIn(T_REAL, T_NUMBERARRAY));
    EXPECT_TRUE(checkIn(T_FILE, T_TEXT));
    EXPECT_TRUE(checkIn(T_VAR, T_TEXTARRAY));
    EXPECT_EQ(diagnostics.errorCount, 0);
    std::string text = reportsOf([] { EXPECT_FALSE(checkIn(T_REAL, T_INTARRAY)); });
    EXPECT_EQ(text, "a.vel L7: \"int array\" doesn't match in operator\n");
    EXPECT_EQ(typeState().currentType, T_UNKNOWN);
    // A list written out is looked in as an array is.
    EXPECT_TRUE(checkIn(T_INTEGER, T_LIST));
    reportsOf([] { EXPECT_FALSE(checkIn(T_INTEGER, T_BOOLEAN)); });
    EXPECT_EQ(diagnostics.errorCount, 2);
}

TEST_F(TypeModel, AssignmentsToTypedArrays) {
    std::string text = reportsOf([] { EXPECT_FALSE(checkAssign(T_TEXTARRAY, T_INTARRAY)); });
    EXPECT_EQ(text, "a.vel L7: can't assign to text array, from int array.\n");
    EXPECT_TRUE(checkAssign(T_TEXTARRAY, T_LIST));
    EXPECT_TRUE(checkAssign(T_TEXTARRAY, T_NIL));
    EXPECT_TRUE(checkAssign(T_TEXTARRAY, T_TEXTARRAY));
    EXPECT_TRUE(checkAssign(T_INTARRAY, T_INTEGER));   // '=' uses the element's row

    typeState().pendingAssignOp = '+';
    EXPECT_TRUE(checkAssign(T_REALARRAY, T_INTEGER));
    EXPECT_EQ(diagnostics.errorCount, 1);
    text = reportsOf([] { EXPECT_FALSE(checkAssign(T_INTARRAY, T_TEXT)); });
    EXPECT_EQ(text, "a.vel L7: can't solve array expression on int array and text.\n");
}

TEST_F(TypeModel, AssignmentsToOtherTargets) {
    EXPECT_TRUE(checkAssign(T_VAR, T_FILE));
    EXPECT_TRUE(checkAssign(T_REAL, T_INTEGER));
    std::string text = reportsOf([] { EXPECT_FALSE(checkAssign(T_ARRAY, T_INTEGER)); });
    EXPECT_EQ(text, "a.vel L7: can't assign to array, from integer.\n");
    typeState().pendingAssignOp = '+';
    EXPECT_TRUE(checkAssign(T_ARRAY, T_INTEGER));   // compound array updates are not checked
    typeState().pendingAssignOp = '=';

    EXPECT_TRUE(checkAssign(T_OBJECT, T_OBJECT));
    reportsOf([] { EXPECT_FALSE(checkAssign(T_OBJECT, T_TEXT)); });
    typeState().objectText = true;
    EXPECT_TRUE(checkAssign(T_OBJECT, T_CHARPTR));
    reportsOf([] { EXPECT_FALSE(checkAssign(T_OBJECT, T_INTEGER)); });
    EXPECT_EQ(diagnostics.errorCount, 3);
}

TEST_F(TypeModel, SimpleAssignments) {
    EXPECT_TRUE(checkAssignSimple(T_NUMBER, T_REAL));
    EXPECT_TRUE(checkAssignSimple(T_NATURAL, T_INTEGER));
    EXPECT_TRUE(checkAssignSimple(T_TEXT, T_VAR));
    EXPECT_EQ(diagnostics.errorCount, 0);
    std::string text = reportsOf([] { EXPECT_FALSE(checkAssignSimple(T_INTEGER, T_REAL)); });
    EXPECT_EQ(text, "a.vel L7: can't assign to integer, from real.\n");
}

TEST_F(TypeModel, SequenceSubjects) {
    typeState().currentType = T_TEXT;
    EXPECT_TRUE(checkSequence());
    typeState().currentType = T_INTEGER;
    std::string text = reportsOf([] { EXPECT_FALSE(checkSequence()); });
    EXPECT_EQ(text, "a.vel L7: dynamic list required, found integer.\n");
}

TEST_F(TypeModel, TypeStackHolds128Entries) {
    std::string text = reportsOf([] {
        for (int i = 0; i < TYPE_STACK_CAPACITY; i++)
            pushType(i % 36);
    });
    EXPECT_EQ(text, "");
    text = reportsOf([] { pushType(T_TEXT); });
    EXPECT_EQ(text, "Internal error [0] line 7\na.vel L7: stack overflow in left type.\n");
    EXPECT_EQ(diagnostics.errorCount, 2);

    EXPECT_EQ(popType(), T_UNKNOWN);   // the entry that did not fit
    for (int i = TYPE_STACK_CAPACITY - 1; i >= 0; i--)
        ASSERT_EQ(popType(), i % 36);
    EXPECT_EQ(diagnostics.errorCount, 2);
}

TEST_F(TypeModel, PoppingAnEmptyStackIsReported) {
    std::string text = reportsOf([] { EXPECT_EQ(popType(), T_UNKNOWN); });
    EXPECT_EQ(text, "Internal error [0] line 7\na.vel L7: stack underflow in left type.\n");
    EXPECT_EQ(diagnostics.errorCount, 2);
    EXPECT_EQ(typeState().depth, 0);
}

}  // namespace
