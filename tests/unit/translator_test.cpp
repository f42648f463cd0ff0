// The translator in-process: a source text in, the generated C++ and the
// diagnostics out. Whole-program behaviour is covered by the end-to-end
// tests; these pin the translator's limits and its repairs of unsound C++.
#include <cstdio>
#include <functional>
#include <vector>
#include <fstream>
#include <sstream>
#include <string>

#include "diagnostics/console_printer.hpp"
#include "driver_test_support.hpp"
#include "semantics/symbols.hpp"
#include "translator/frame.hpp"
#include "translator/statements.hpp"
#include "semantics/source_semantics.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"

namespace {

class TranslatorTest : public DriverStateTest {
protected:
    void SetUp() override {
        DriverStateTest::SetUp();
        source.sourceName = "prog.vel";
        source.baseName = source.fileName = "prog";
        source.cppPath = "prog.cpp";
        source.headerPath = source.headerInclude = "prog.hpp";
    }

    // Translates source; returns what it printed, leaves the C++ in cpp.
    std::string translate(const std::string &text) {
        std::istringstream input(text);
        errors = -1;
        testing::internal::CaptureStdout();
        cpp.clear();
        header.clear();
        try {
            TranslationResult result = translateStream(input, source, run);
            errors = result.errorCount;
            printConsoleDiagnostics(result.diagnostics, SourceLines(""), ExcerptChoice::never);
            cpp = result.texts.implementation;
            header = result.texts.header;
        } catch (const TranslationStopped &e) {
            printConsoleDiagnostics(e.result.diagnostics, SourceLines(""), ExcerptChoice::never);
            thrown = e.what();
            cpp = e.result.texts.implementation;
            header = e.result.texts.header;
        }
        return testing::internal::GetCapturedStdout();
    }

    SourceToTranslate source;   // what the driver would tell the translator of prog.vel
    RunTables run;              // the run the translations belong to
    std::string cpp, header, thrown;
    int errors = -1;            // of the last translation that ended normally
};

// A limit of the translator: sources built to reach it and to pass it by
// one, and what passing it reports.
struct Limit {
    const char *what;
    std::function<std::string(int)> source;
    int maximum;
    std::string report;  // the whole report past the limit, or a part when it starts with "..."
};

std::string repeated(const std::string &text, int count) {
    std::string all;
    for (int i = 0; i < count; i++)
        all += text;
    return all;
}

std::string nestedIfs(int depth) {
    return "int x = 1\n" + repeated("if x > 0\n", depth) + "print x\n" + repeated("/if\n", depth);
}

std::string nestedElements(int depth) {
    std::string source;
    for (int i = 0; i < depth; i++)
        source += "<e" + std::to_string(i) + ">\n";
    for (int i = depth - 1; i >= 0; i--)
        source += "</e" + std::to_string(i) + ">\n";
    return source;
}

const std::vector<Limit> limits = {
    // The statement's own expression holds the 128 nested ones.
    {"expression nesting", [](int n) { return "int x = " + repeated("(", n) + "1" + repeated(")", n) + "\n"; },
     128, "prog.vel L1: at most 128 nested expressions required, found 129.\n"},
    {"nested loops", [](int n) { return "int i = 0\n" + repeated("while i < 1\n", n) + repeated("/while\n", n); },
     128, "prog.vel L130: at most 128 nested blocks required, found 129.\n"},
    // Reported on the line of the 129th if, before its block opens.
    {"nested blocks", nestedIfs, 128, "prog.vel L130: at most 128 nested blocks required, found 129.\n"},
    {"nested XML elements", nestedElements, 128, "prog.vel L129: at most 128 nested XML elements required, found 129.\n"},
    {"operators", [](int n) { return "int x = 1\nint y = x" + repeated("+x", n) + "\n"; },
     10000, "prog.vel L2: at most 10000 operators in an expression required, found 10001.\n"},
    // Each list takes two brackets of the C++ for the one inside it.
    {"nested lists", [](int n) { return "array a = " + repeated("[", n) + "1" + repeated("]", n) + "\nprint a\n"; },
     112, "prog.vel L1: at most 224 levels of brackets in the C++ of an expression required, found 226.\n"},
    // And each dict three for the one inside it.
    {"nested dicts", [](int n) { return "dict d = " + repeated("{\"k\": ", n) + "1" + repeated("}", n) + "\nprint d\n"; },
     74, "prog.vel L1: at most 224 levels of brackets in the C++ of an expression required, found 225.\n"},
    // Prefix operators count as well.
    {"prefix operators", [](int n) { return "bool b = " + repeated("not ", n) + "true\n"; },
     10000, "prog.vel L1: at most 10000 operators in an expression required, found 10001.\n"},
};

// At its limit a source translates without a word; one past it reports,
// and even a translation that ends this way leaves complete, closed files.
TEST_F(TranslatorTest, EachLimitHoldsItsMaximumAndReportsOneMore) {
    for (const Limit &limit : limits) {
        run = RunTables();
        EXPECT_EQ(translate(limit.source(limit.maximum)), "") << limit.what;
        EXPECT_EQ(errors, 0) << limit.what;
        EXPECT_EQ(thrown, "") << limit.what;
        run = RunTables();
        std::string printed = translate(limit.source(limit.maximum + 1));
        if (limit.report.compare(0, 3, "...") == 0)
            EXPECT_NE(printed.find(limit.report.substr(3)), std::string::npos) << limit.what << ": " << printed;
        else
            EXPECT_EQ(printed, limit.report) << limit.what;
        // The loops still close in step: nothing is popped that was not pushed.
        EXPECT_EQ(printed.find("underflow"), std::string::npos) << limit.what;
        EXPECT_NE(cpp.find("#include <velmora/libvel.hpp>"), std::string::npos) << limit.what;
        thrown.clear();
    }
}

// The translation ends at a nesting limit as at any error of the program:
// nothing is thrown to the driver, and the error is counted.
TEST_F(TranslatorTest, TheLimitsThatStopTheTranslationAreErrorsOfTheProgram) {
    translate(nestedIfs(129));
    EXPECT_EQ(thrown, "");
    EXPECT_EQ(errors, 1);
}

// Far past the limit the translation still stops at it: no stack runs out
// and the output stays the size of 128 levels.
TEST_F(TranslatorTest, TenThousandNestedBlocksGiveOneReportAndSmallOutput) {
    std::string printed = translate(nestedIfs(10000));
    EXPECT_EQ(printed, "prog.vel L130: at most 128 nested blocks required, found 129.\n");
    EXPECT_LT(cpp.size(), 200000u);
}

// Arguments, print items and assignment targets are not limited: a
// thousand of each translate without a word.
TEST_F(TranslatorTest, ListsTakeAsManyItemsAsTheyAreGiven) {
    std::string parameters = "int a0";
    for (int i = 1; i < 1000; i++)
        parameters += ", int a" + std::to_string(i);
    for (std::string source : {"int f(" + parameters + ")\nreturn a999\nprint f(1" + repeated(",1", 999) + ")\n",
                               "print 1" + repeated(",1", 999) + "\n",
                               "int x = 0\nx" + repeated(",x", 999) + " = 1" + repeated(",1", 999) + "\n"}) {
        run = RunTables();
        EXPECT_EQ(translate(source), "") << source.substr(0, 40);
    }
}

TEST_F(TranslatorTest, SixtyNestedInFormsTranslateAndReportEachLevel) {
    std::string nestedIn = "true";
    for (int level = 0; level < 60; level++)
        nestedIn = "1 in (" + nestedIn + ")";
    translate("bool b = " + nestedIn + "\nprint b\n");
    EXPECT_EQ(errors, 60);
}

TEST_F(TranslatorTest, AMillionTermExpressionIsReportedQuickly) {
    std::string source = "int x = 1\nint y = x";
    source.reserve(2000100);
    for (int i = 1; i < 1000000; i++)
        source += "+x";
    std::string printed = translate(source + "\nprint y\n");
    EXPECT_NE(printed.find("at most 10000 operators in an expression"), std::string::npos);
    EXPECT_LT(cpp.size() + header.size(), 10000u);
}

static std::string statements(int count) {
    std::string source = "array argv\nint total = 0\n";
    for (int i = 0; i < count; i++)
        source += "total + 1\n";
    return source + "print total\n";
}

TEST_F(TranslatorTest, MainGoesOnInFurtherFunctionsPastItsStatementLimit) {
    // The last statement is the limit's: main stays one function.
    translate(statements(MAIN_PART_STATEMENTS - 1));
    EXPECT_EQ(cpp.find("_vel_main_"), std::string::npos);
    EXPECT_NE(cpp.find("\nreturn 0;\n}\n"), std::string::npos);

    run = RunTables();
    translate(statements(2 * MAIN_PART_STATEMENTS));
    EXPECT_EQ(errors, 0);
    EXPECT_NE(header.find("void _vel_main_prog_1();\n"), std::string::npos) << header;
    EXPECT_NE(header.find("void _vel_main_prog_2();\n"), std::string::npos) << header;
    std::string::size_type copy = cpp.find("    ::argv = argv;\n    _vel_main_prog_1();\n\nreturn 0;\n}\nvoid _vel_main_prog_1()\n{\n");
    std::string::size_type second = cpp.find("    _vel_main_prog_2();\n}\nvoid _vel_main_prog_2()\n{\n");
    ASSERT_NE(copy, std::string::npos) << cpp;
    ASSERT_NE(second, std::string::npos) << cpp;
    EXPECT_LT(copy, second);
    // The program's last part ends without a second return.
    EXPECT_EQ(cpp.find("return 0;", second), std::string::npos);
}

TEST_F(TranslatorTest, TheResultGivesTheErrorsAndLinesOfTheSource) {
    std::istringstream input("int a = 1\nprint b\nprint c\n\n");
    testing::internal::CaptureStdout();
    TranslationResult result = translateStream(input, source, run);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(result.diagnostics.size(), 2u);
    EXPECT_EQ(result.diagnostics[1].text, "prog.vel L3: \"c\" not declared");
    EXPECT_EQ(result.diagnostics[1].column, 7);
    EXPECT_EQ(result.errorCount, 2);
    EXPECT_EQ(result.lineCount, 4);
    // A source named otherwise is reported under its own name from line 1.
    source.sourceName = "other.vel";
    std::istringstream second("print d\n");
    testing::internal::CaptureStdout();
    result = translateStream(second, source, run);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_EQ(result.diagnostics[0].text, "other.vel L1: \"d\" not declared");
    EXPECT_EQ(result.errorCount, 1);
    EXPECT_EQ(result.lineCount, 1);
}

TEST_F(TranslatorTest, TranslationWritesNoFile) {
    std::remove("prog.cpp");
    std::remove("prog.hpp");
    translate("int kept = 1\nprint kept\n");
    EXPECT_NE(cpp.find("kept"), std::string::npos);
    source.declarationsOnly = true;
    translate("int also = 1\nprint also\n");
    EXPECT_EQ(cpp, "");
    EXPECT_EQ(header, "");
    EXPECT_FALSE(std::ifstream("prog.cpp").good());
    EXPECT_FALSE(std::ifstream("prog.hpp").good());
    EXPECT_FALSE(partialOutputLeft());
    // What it declares is known to the sources translated after it.
    EXPECT_GE(findExact(run.symbolTable.globals, "kept"), 0);
}

TEST_F(TranslatorTest, LabelsAreIdentifiersWhateverTheFileName) {
    auto labelOf = [this](const std::string &fileName, int number) {
        source.fileName = fileName;
        SourceTranslation state(source, run);
        SourceInProgress active(state);
        return labelName(number);
    };
    EXPECT_EQ(labelOf("my-prog.v2", 4), "_lab_my_prog_v24");
    EXPECT_EQ(labelOf("prog_1", 0), "_lab_prog_10");
}

}  // namespace
