#include <gtest/gtest.h>

#include "driver_test_support.hpp"
#include "semantics/types.hpp"

namespace {

class DiagnosticsTest : public DriverStateTest {
protected:
    void SetUp() override {
        DriverStateTest::SetUp();
        diagnostics.sourceName = "a.vel";
        diagnostics.lineCounter = 7;
        testing::internal::CaptureStdout();
        capturing = true;
    }

    void TearDown() override {
        if (capturing)
            testing::internal::GetCapturedStdout();
        DriverStateTest::TearDown();
    }

    std::string captured() {
        capturing = false;
        return testing::internal::GetCapturedStdout();
    }

    bool capturing = false;
};

TEST(Catalogue, HoldsNinetyOneTextsAndNothingOutside) {
    EXPECT_STREQ(catalogueText(0), "unknown error");
    EXPECT_STREQ(catalogueText(44), "bad argument in");
    EXPECT_STREQ(catalogueText(69), "");
    EXPECT_STREQ(catalogueText(78), "integer");
    EXPECT_STREQ(catalogueText(88), "\"$\" requires $ argument$, $ found");
    EXPECT_STREQ(catalogueText(90), "unbalanced XML tag");
    EXPECT_STREQ(catalogueText(91), "");
    EXPECT_STREQ(catalogueText(-1), "");
}

// Each report, its texts filled in order: a message ends with a full stop, a
// named report quotes the name without one, an internal error names no file,
// an underflow writes two lines and counts two, and a "$" that a fill
// carries in takes the next fill.
TEST_F(DiagnosticsTest, EachReportWritesItsLine) {
    reportError(E_ILLEGAL_INTERVAL);
    reportSyntaxError();
    reportSemanticError();
    reportNamed(E_NOT_DECLARED, "x");
    reportAlreadyDeclared("y");
    reportDuplicateName("z");
    reportInternal(5003);
    reportStackUnderflow("type stack");
    reportUnknownAction("while", 12);
    reportOperands(W_ADD, T_INTEGER, T_TEXT);
    reportRequiredKind(1, T_TEXT);
    reportRedeclaration("v", W_IN_CLASS);
    reportRedeclaration("w", W_SCOPE_NONE);
    reportAssignment(T_INTEGER, T_REAL);
    reportAssignmentCount(2, 3);
    reportConstructSyntax(W_DO_WHILE);
    reportInstance("p", "class");
    reportCall(E_BAD_ARGUMENT_IN, "f", T_TEXT, T_BOOLEAN);
    reportReturn(TPL_RETURN_COUNT, "g", T_VOID, T_TEXT);
    reportArgumentCount("f", 1, 3);
    reportArgumentCount("f", 2, 0);
    reportArgumentCount("f", 0, 1);
    reportInstance("a$b", "c");
    EXPECT_EQ(captured(),
              "a.vel L7: illegal interval.\n"
              "a.vel L7: syntax error.\n"
              "a.vel L7: semantic error.\n"
              "a.vel L7: \"x\" not declared\n"
              "a.vel L7: \"y\" already declared\n"
              "a.vel L7: \"z\" duplicate name\n"
              "Internal error [5003] line 7\n"
              "Internal error [0] line 7\n"
              "a.vel L7: stack underflow in type stack.\n"
              "a.vel L7: unknown action #12 on while\n"
              "a.vel L7: can't solve add or substract expression on integer and text.\n"
              "a.vel L7: dynamic list required, found text.\n"
              "a.vel L7: \"v\" already declared in class.\n"
              "a.vel L7: \"w\" already declared .\n"
              "a.vel L7: can't assign to integer, from real.\n"
              "a.vel L7: 2 required, attempting to assign 3 values.\n"
              "a.vel L7: bad do while syntax.\n"
              "a.vel L7: p is class, instance required.\n"
              "a.vel L7: bad argument in \"f\" call, text expected, boolean found.\n"
              "a.vel L7: \"g\" must return void and not text values.\n"
              "a.vel L7: \"f\" requires 1 argument, 3 found.\n"
              "a.vel L7: \"f\" requires 2 arguments, 0 found.\n"
              "a.vel L7: \"f\" requires 0 argument, 1 found.\n"
              "a.vel L7: acb is $, instance required.\n");
    EXPECT_EQ(currentSink().errorCount, 24);
}

TEST_F(DiagnosticsTest, FillPlaceholderWithoutPlaceChangesNothing) {
    diagnostics.messageBuffer = "no places";
    fillPlaceholder("x");
    EXPECT_EQ(diagnostics.messageBuffer, "no places");
    diagnostics.messageBuffer = "$-$";
    fillPlaceholder("");
    EXPECT_EQ(diagnostics.messageBuffer, "-$");
}

// A translation's reports go to its own sink, as data, and are counted
// there; once it is gone they are printed at once again.
TEST_F(DiagnosticsTest, ReportsGoToTheSinkGivenWhileItIsGiven) {
    DiagnosticSink own;
    {
        ReportsInto into(own);
        beginSourceReports("b.vel");
        reportError(E_ILLEGAL_INTERVAL);
        countLineEnd();
        reportNamed(E_NOT_DECLARED, "x");
        hintLastReport("declare it first");
        warnSuperIgnored();
    }
    reportError(E_ILLEGAL_INTERVAL);
    EXPECT_EQ(captured(), "b.vel L2: illegal interval.\n");
    EXPECT_EQ(own.errorCount, 2);
    ASSERT_EQ(own.all().size(), 3u);
    const Diagnostic &named = own.all()[1];
    EXPECT_EQ(named.code, E_NOT_DECLARED);
    EXPECT_EQ(named.line, 2);
    EXPECT_EQ(named.message, "\"x\" not declared");
    EXPECT_EQ(named.text, "b.vel L2: \"x\" not declared");
    EXPECT_EQ(named.hint, "declare it first");
    EXPECT_FALSE(own.all()[2].counted());
}

TEST_F(DiagnosticsTest, LinesInsideATextCountEachKindOfLineEnd) {
    diagnostics.lineCounter = 1;
    countLinesIn("a\nb\r\nc\rd");
    EXPECT_EQ(diagnostics.lineCounter, 4);
    countLinesIn("tail\r");
    EXPECT_EQ(diagnostics.lineCounter, 5);
    countLinesIn("no line end");
    EXPECT_EQ(diagnostics.lineCounter, 5);
}

// The lines before the counter's; quiet, only a summary with errors.
TEST_F(DiagnosticsTest, SummaryCountsLinesAndErrors) {
    diagnostics.lineCounter = 5;
    printSummary(0, false);
    printSummary(0, true);
    diagnostics.lineCounter = 3;
    printSummary(1, true);
    printSummary(4, true);
    EXPECT_EQ(captured(),
              "a.vel, compiled 4 lines\n"
              "a.vel, compiled 2 lines, there is 1 error\n"
              "a.vel, compiled 2 lines, there are 4 errors\n");
}

TEST_F(DiagnosticsTest, StaleMarkMakesCppAndObjectOlderThanSource) {
    writeFile("a.vel", "x\n");
    writeFile("a.cpp", "");
    writeFile("a.o", "");
    setModificationTime("a.vel", 1000000);
    ProgramSource source;
    source.path = "a.vel";
    source.cppName = "a.cpp";
    source.objectName = "a.o";
    markSourceStale(source);
    EXPECT_EQ(modificationTime("a.cpp"), 1000000 - 2);
    EXPECT_EQ(modificationTime("a.o"), 1000000 - 2);
}

TEST_F(DiagnosticsTest, StaleMarkWithUnreadableSourceUsesMinusTwo) {
    writeFile("a.cpp", "");
    ProgramSource source;
    source.path = "missing.vel";
    source.cppName = "a.cpp";
    markSourceStale(source);
    EXPECT_EQ(modificationTime("a.cpp"), -2);
}

using DiagnosticsDeathTest = DriverStateTest;

TEST_F(DiagnosticsDeathTest, FatalReportsEndWithStatusOne) {
    EXPECT_EXIT(fatalMessage("Not build"), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(fatalInternal(1), testing::ExitedWithCode(1), "");
}

}  // namespace
