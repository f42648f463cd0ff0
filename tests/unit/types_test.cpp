// The type model: the checks of cases/type_checks.txt and the names of the
// codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagnostics/diagnostics.hpp"
#include "semantics/types.hpp"
#include "translator/output.hpp"
#include "table_rows.hpp"
#include "translation_under_test.hpp"

namespace {

class TypeModel : public ::testing::Test {
protected:
    TranslationUnderTest translation;

    void SetUp() override {
        diagnostics.sourceName = "a.vel";
        diagnostics.lineCounter = 7;
        currentSink().errorCount = 0;
    }

    static std::string reportsOf(const std::function<void()> &body) {
        ::testing::internal::CaptureStdout();
        body();
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(TypeModel, TypeNamesAndBadCode) {
    EXPECT_STREQ(typeName(T_PLACEHOLDER), "?");
    EXPECT_STREQ(typeName(T_UNKNOWN), "unknow type");
    std::string text = reportsOf([] { EXPECT_STREQ(typeName(37), "error"); });
    EXPECT_EQ(text, "Internal error [3001] line 7\n");
}

// The type codes by their names, a blank written "_" as in the table.
std::map<std::string, int> typesByName() {
    std::map<std::string, int> codes;
    for (int code = 0; code <= T_PLACEHOLDER; code++) {
        std::string name = typeName(code);
        std::replace(name.begin(), name.end(), ' ', '_');
        codes[name] = code;
    }
    return codes;
}

std::string nameOf(int code) {
    std::string name = typeName(code);
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

// Runs the check a row names on its operands; gives what it answers: the
// type an operand check gives the result, whether any other check accepts.
std::string answerOf(const std::string &check, const std::vector<int> &types) {
    auto word = [](bool accepted) { return std::string(accepted ? "true" : "false"); };
    int left = types.at(0), right = types.size() > 1 ? types[1] : 0;
    if (check == "result") return nameOf(resultOf(left, right));
    if (check == "typed_array") return word(isTypedArray(left));
    if (check == "element_type") return nameOf(elementType(left));
    if (check == "container") return word(isContainer(left));
    if (check == "array_of") return nameOf(arrayOfElement(left));
    if (check == "arith_add") return nameOf(checkArith(left, right, W_ADD));
    if (check == "arith_multiply") return nameOf(checkArith(left, right, W_MULTIPLY));
    if (check == "arith_divide") return nameOf(checkArith(left, right, W_DIVIDE));
    if (check == "boolean") return nameOf(checkBoolean(left, right));
    if (check == "binary") return nameOf(checkBinary(left, right));
    if (check == "relational") return nameOf(checkRelational(left, right));
    if (check == "bit") return nameOf(checkBitOperator(left, right));
    if (check == "array_op") return nameOf(checkArrayOp(left, right));
    if (check == "same_array") return nameOf(checkSameArray(left, right));
    if (check == "in") return nameOf(checkIn(left, right));
    if (check == "element") return word(checkElement(left, right));
    if (check == "assign") return word(checkAssign(left, right));
    if (check == "assign+") return word(checkAssign(left, right, '+'));
    if (check == "assign_object_text") return word(checkAssign(left, right, '=', true));
    if (check == "simple") return word(checkAssignSimple(left, right));
    if (check == "sequence") return word(checkSequence(left));
    throw std::runtime_error("no check " + check);
}

// A row as the runner finds it: the check's answer and its report without
// the position.
std::string rowFound(const std::string &row, const std::map<std::string, int> &codes) {
    std::istringstream words(row);
    std::string check, word;
    words >> check;
    std::vector<int> types;
    while (words >> word && word != "->")
        types.push_back(codes.at(word));
    TranslationUnderTest translation;
    currentSink().errorCount = 0;
    testing::internal::CaptureStdout();
    std::string answer = answerOf(check, types);
    std::string report = testing::internal::GetCapturedStdout();
    std::string found = row.substr(0, row.find("->") + 2) + " " + answer;
    const std::string position = "a.vel L7: ";
    if (report.compare(0, position.size(), position) == 0 && report.back() == '\n' &&
        report.find('\n') + 1 == report.size() && currentSink().errorCount == 1)
        report = report.substr(position.size(), report.size() - position.size() - 1);
    return report.empty() ? found : found + " " + report;
}

TEST_F(TypeModel, TheChecksOfTheTableGiveItsAnswers) {
    std::map<std::string, int> codes = typesByName();
    expectEveryRowHolds("type_checks.txt", [&](const std::string &row) { return rowFound(row, codes); });
}

}  // namespace
