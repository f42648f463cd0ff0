#pragma once
// The translator's stacks (loops, branches, argument levels). They grow with
// the program: how deep a source may nest is a limit of the language, checked
// where the construct begins, not of the stacks. Popping an empty stack is an
// inconsistency of the translator, reported as an underflow.
#include <vector>
#include "diagnostics/diagnostics.hpp"

template <class Frame>
class CheckedStack {
public:
    explicit CheckedStack(const char *name) : name_(name) {}

    void push(Frame frame) { frames_.push_back(std::move(frame)); }

    // False when the stack was empty (reported).
    bool pop() {
        if (frames_.empty()) {
            reportStackUnderflow(name_);
            return false;
        }
        frames_.pop_back();
        return true;
    }

    // The innermost frame; a scratch frame when none is stored.
    Frame &top() {
        if (frames_.empty()) {
            scratch_ = Frame();
            return scratch_;
        }
        return frames_.back();
    }

    bool empty() const { return frames_.empty(); }
    std::size_t size() const { return frames_.size(); }
    // Drops the frames above the first `kept`.
    void keep(std::size_t kept) {
        if (frames_.size() > kept)
            frames_.resize(kept);
    }
    void clear() { frames_.clear(); }

private:
    const char *name_;
    std::vector<Frame> frames_;
    Frame scratch_;
};
