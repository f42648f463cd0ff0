// The spans of lines explained as another language's: a line is held when
// some span holds it, whatever the order the spans came in and however they
// nest.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "translator/line_spans.hpp"

namespace {

// Whether a walk over every span holds the line: what the index must agree with.
bool heldByWalk(const std::vector<std::pair<int, int>> &spans, int line) {
    for (const std::pair<int, int> &span : spans)
        if (line >= span.first && line <= span.second)
            return true;
    return false;
}

TEST(LineSpans, HoldTheLinesOfEverySpanAskedBetweenAdditions) {
    // In order, nested, overlapping, out of order, one line long, and asked
    // after each addition as the hints ask.
    const std::vector<std::pair<int, int>> added = {{3, 5}, {10, 30}, {12, 14}, {20, 22}, {40, 40},
                                                    {1, 1}, {35, 41}, {8, 9}, {50, 60}, {45, 46}};
    LineSpans spans;
    std::vector<std::pair<int, int>> sofar;
    EXPECT_FALSE(spans.covers(3));
    for (const std::pair<int, int> &span : added) {
        spans.add(span.first, span.second);
        sofar.push_back(span);
        for (int line = 0; line <= 62; ++line)
            EXPECT_EQ(spans.covers(line), heldByWalk(sofar, line)) << "line " << line << " after " << sofar.size();
    }
}

}  // namespace
