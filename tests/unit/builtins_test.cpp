#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "semantics/builtins.hpp"
#include "semantics/types.hpp"

namespace {

// The table's shape: what its users (the call rules and the row test)
// rely on without looking.
TEST(BuiltinTable, SectionsAndRowsAreWellFormed) {
    EXPECT_EQ(methodRowCount(), 144);
    EXPECT_EQ(functionRowCount(), 63);
    EXPECT_EQ(builtinRowCount(), 1 + 144 + 1 + 63 + 1);
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
    EXPECT_EQ(receiverOrder, (std::vector<int>{T_NUMBER, T_INTEGER, T_REAL, T_NATURAL, T_BOOLEAN, T_TEXT, T_ARRAY, T_DICT,
                                                T_VAR, T_FILE}));
}

}  // namespace
