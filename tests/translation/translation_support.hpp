#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

// What velc -c made of one source named prog.vel.
struct Translation {
    int status = -1;
    std::string report;       // velc's standard output: diagnostics and summary
    std::string syntaxErrors; // velc's standard error: the parser's own reports
    std::string implementation;
    std::string header;

    // The implementation's lines with their indentation removed.
    std::vector<std::string> statements() const;
    bool hasStatement(const std::string &statement) const;
    // Index of the first statement equal to `statement`, or -1.
    int findStatement(const std::string &statement, int from = 0) const;
    // The statement following the one at `index` (empty lines skipped).
    std::string statementAfter(int index) const;
    int countOccurrences(const std::string &text) const;
    bool reportHasLine(const std::string &line) const;
};

// Each test translates in a directory of its own, named after the test, with
// a velc of its own beside its velc.ini. A passing test leaves nothing behind.
class TranslationTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    Translation translate(const std::string &source);

    std::string directory;
};

// The fixed head of every implementation file, up to the own-header include.
std::string implementationPrologue();
