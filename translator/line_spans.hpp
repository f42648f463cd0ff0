#pragma once
// Spans of source lines, asked whether one of them holds a line: the lines
// of the functions and blocks a message explained as another language's.
// A source may have tens of thousands, and every later message asks, so a
// question costs a binary search, not a walk over all of them.
#include <algorithm>
#include <utility>
#include <vector>

class LineSpans {
public:
    // Spans come mostly in the order of their lines, as the messages do:
    // such a span extends the index; one out of order has it made again.
    void add(int first, int last) {
        bool inOrder = sorted_ && (spans_.empty() || first >= spans_.back().first);
        bool indexed = reach_.size() == spans_.size();
        spans_.emplace_back(first, last);
        if (!inOrder) {
            sorted_ = false;
            reach_.clear();
        } else if (indexed) {
            reach_.push_back(reach_.empty() ? last : std::max(reach_.back(), last));
        }
    }
    bool empty() const { return spans_.empty(); }
    // Whether some span starts at or before `line` and ends at or after it.
    bool covers(int line) const {
        if (spans_.empty())
            return false;
        index();
        auto after = std::upper_bound(spans_.begin(), spans_.end(), line,
                                      [](int at, const std::pair<int, int> &span) { return at < span.first; });
        if (after == spans_.begin())
            return false;
        return reach_[static_cast<std::size_t>(after - spans_.begin()) - 1] >= line;
    }

private:
    // Spans in the order of their first lines, and the furthest last line of
    // each prefix: spans may nest or overlap.
    void index() const {
        if (reach_.size() == spans_.size())
            return;
        reach_.clear();
        if (!sorted_)
            std::sort(spans_.begin(), spans_.end());
        sorted_ = true;
        reach_.reserve(spans_.size());
        for (const std::pair<int, int> &span : spans_)
            reach_.push_back(reach_.empty() ? span.second : std::max(reach_.back(), span.second));
    }

    mutable std::vector<std::pair<int, int>> spans_;
    mutable std::vector<int> reach_;
    mutable bool sorted_ = true;
};
