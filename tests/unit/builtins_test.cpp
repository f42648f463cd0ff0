#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "driver_test_support.hpp"
#include "semantics/builtins.hpp"
#include "semantics/types.hpp"

namespace {

// The table's shape: what its users (the call rules and the row test)
// rely on without looking.
TEST(BuiltinTable, SectionsAndRowsAreWellFormed) {
    EXPECT_EQ(methodRowCount(), 141);
    EXPECT_EQ(functionRowCount(), 63);
    EXPECT_EQ(builtinRowCount(), 1 + 141 + 1 + 63 + 1);
    EXPECT_STREQ(builtinRow(firstFunctionRow() - 1).name, "---");
    const BuiltinRow &last = builtinRow(builtinRowCount() - 1);
    for (int field = 0; field < 8; field++)
        EXPECT_EQ(last.field[field], BUILTIN_SEPARATOR);
    const std::set<int> forms = {1, 2, 4, 5, 6, 8, 9, 10, 11, 12, 14};
    std::vector<int> receiverOrder;
    for (int row = 1; row <= methodRowCount(); row++) {
        const BuiltinRow &r = builtinRow(row);
        EXPECT_TRUE(forms.count(r.field[M_FORM])) << r.name;
        EXPECT_LE(r.field[M_COUNT], BUILTIN_MAX_ARGUMENTS) << r.name;
        if (r.field[M_FORM] == FORM_SPLIT_TARGET)
            EXPECT_NE(std::string(r.target).find(','), std::string::npos) << r.name;
        if (receiverOrder.empty() || receiverOrder.back() != r.field[M_RECEIVER])
            receiverOrder.push_back(r.field[M_RECEIVER]);
    }
    // Each receiver's rows are together, in this order.
    EXPECT_EQ(receiverOrder, (std::vector<int>{T_NUMBER, T_INTEGER, T_REAL, T_NATURAL, T_TEXT, T_ARRAY, T_DICT,
                                                T_VAR, T_FILE}));
}

TEST(BuiltinTable, MethodSearchFollowsTheReceiver) {
    // Names compare without regard to case.
    int length = findMethod("LeNgTh", T_TEXT);
    ASSERT_GE(length, 0);
    EXPECT_STREQ(builtinRow(length).name, "length");
    EXPECT_EQ(builtinRow(length).field[M_RECEIVER], T_TEXT);
    // Same length, other letters: no match.
    EXPECT_EQ(findMethod("lengtx", T_TEXT), -1);
    EXPECT_EQ(findMethod("lengt", T_TEXT), -1);
    // Typed arrays use the array rows.
    int push = findMethod("push", T_INTARRAY);
    ASSERT_GE(push, 0);
    EXPECT_EQ(builtinRow(push).field[M_RECEIVER], T_ARRAY);
    // A dict finds its own rows first, then the array rows.
    EXPECT_EQ(builtinRow(findMethod("size", T_DICT)).field[M_RECEIVER], T_DICT);
    EXPECT_EQ(builtinRow(findMethod("join", T_DICT)).field[M_RECEIVER], T_ARRAY);
    // A var finds its own rows, then the first row of any receiver.
    EXPECT_EQ(builtinRow(findMethod("toint", T_VAR)).field[M_RECEIVER], T_VAR);
    EXPECT_EQ(builtinRow(findMethod("upper", T_VAR)).field[M_RECEIVER], T_TEXT);
    EXPECT_EQ(builtinRow(findMethod("TOTEXT", T_VAR)).field[M_RECEIVER], T_VAR);
    EXPECT_EQ(builtinRow(findMethod("find", T_VAR)).field[M_RECEIVER], T_TEXT);
    EXPECT_EQ(builtinRow(findMethod("hasKey", T_VAR)).field[M_RECEIVER], T_DICT);
    EXPECT_EQ(builtinRow(findMethod("open", T_VAR)).field[M_RECEIVER], T_FILE);
    // Other receivers find only their own rows; the first row is reached by none.
    EXPECT_EQ(findMethod("upper", T_ARRAY), -1);
    EXPECT_EQ(findMethod("setDyn", T_VOID), -1);
    EXPECT_EQ(findMethod("setDyn", T_VAR), -1);
    EXPECT_EQ(findMethod("length", 99), -1);
}

TEST(BuiltinTable, FunctionSearch) {
    int row = -1;
    ASSERT_TRUE(findFunction("SQRT", row));
    EXPECT_STREQ(builtinRow(row).target, "sqrt");
    ASSERT_TRUE(findFunction("pad", row));
    EXPECT_STREQ(builtinRow(row).target, "\tstr_pad");
    EXPECT_FALSE(findFunction("length", row));  // a method, not a function
    EXPECT_FALSE(findFunction("---", row));
}

class BuiltinChecks : public DriverStateTest {
protected:
    std::string check(bool function, const char *name, int receiver, std::vector<int> types) {
        testing::internal::CaptureStdout();
        int row = -1;
        if (function)
            findFunction(name, row);
        else
            row = findMethod(name, receiver);
        EXPECT_GE(row, 0) << name;
        if (function)
            checkFunctionArgs(row, types.data(), static_cast<int>(types.size()));
        else
            checkMethodArgs(row, types.data(), static_cast<int>(types.size()));
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(BuiltinChecks, CountsWithOptionalArgumentsAndPlurals) {
    driverSettings.currentSourceName = "a.vel";
    EXPECT_EQ(check(false, "find", T_TEXT, {T_TEXT}), "");
    EXPECT_EQ(check(false, "find", T_TEXT, {T_TEXT, T_INTEGER}), "");
    EXPECT_NE(check(false, "find", T_TEXT, {}).find("\"find\" requires 1 argument, 0 found."), std::string::npos);
    EXPECT_NE(check(false, "find", T_TEXT, {T_TEXT, T_INTEGER, T_INTEGER}).find("\"find\" requires 2 arguments, 3 found."),
              std::string::npos);
    EXPECT_NE(check(false, "size", T_ARRAY, {T_INTEGER}).find("\"size\" requires 0 arguments, 1 found."),
              std::string::npos);
    EXPECT_EQ(check(true, "pad", 0, {T_TEXT, T_INTEGER, T_TEXT, T_INTEGER}), "");
    EXPECT_NE(check(true, "pad", 0, {}).find("\"pad\" requires 1 argument, 0 found."), std::string::npos);
}

TEST_F(BuiltinChecks, TheOneOrSecondArgumentIsTypeChecked) {
    driverSettings.currentSourceName = "a.vel";
    EXPECT_NE(check(true, "sqrt", 0, {T_ARRAY}).find("\"sqrt\" called with bad arguments"), std::string::npos);
    // Of two arguments only the second is checked.
    EXPECT_EQ(check(false, "insert", T_ARRAY, {T_ARRAY, T_INTEGER}), "");
    EXPECT_NE(check(true, "pow", 0, {T_INTEGER, T_ARRAY}).find("\"pow\" called with bad arguments"), std::string::npos);
}

}  // namespace
