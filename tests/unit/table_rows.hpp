#pragma once
// The tables of unit/cases that hold one row a line: a row is its input and
// the answer expected, and the check writes the row again from what the code
// answers, so that a row holds when the two are equal.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

template <class RowFound>
void expectEveryRowHolds(const std::string &table, RowFound rowFound) {
    std::ifstream file(std::string(VELC_SOURCE_DIR "/tests/unit/cases/") + table);
    int rows = 0;
    std::string row;
    for (int number = 1; std::getline(file, row); ++number) {
        if (row.empty() || row[0] == '#')
            continue;
        ++rows;
        EXPECT_EQ(rowFound(row), row) << table << ":" << number;
    }
    // A table not found, or emptied by mistake, must not pass.
    EXPECT_GT(rows, 80);
}
