#pragma once
// The translator's fixed stacks of 128 entries. Pushing past the capacity
// is reported and counted but stores nothing, so that pushes and pops stay
// paired and nothing is written past the array; popping an empty stack is
// reported as an underflow.
#include <string>
#include "diagnostics/diagnostics.hpp"
#include "semantics/types.hpp"

template <class Frame, int Capacity>
class BoundedStack {
public:
    explicit BoundedStack(const char *name) : name_(name) {}

    // False when the stack was full (reported).
    bool push(const Frame &frame) {
        if (depth_ >= Capacity) {
            overflow_++;
            reportStackOverflow(name_);
            return false;
        }
        frames_[depth_++] = frame;
        return true;
    }

    // False when the frame popped was one never stored, or the stack was empty.
    bool pop() {
        if (overflow_ > 0) {
            overflow_--;
            return false;
        }
        if (depth_ == 0) {
            reportStackUnderflow(name_);
            return false;
        }
        depth_--;
        return true;
    }

    // The innermost stored frame; a scratch frame when none is stored.
    Frame &top() {
        if (depth_ == 0) {
            scratch_ = Frame();
            return scratch_;
        }
        return frames_[depth_ - 1];
    }

    bool empty() const { return depth_ == 0 && overflow_ == 0; }
    bool overflowing() const { return overflow_ > 0; }
    void clear() { depth_ = overflow_ = 0; }

private:
    const char *name_;
    Frame frames_[Capacity];
    Frame scratch_;
    int depth_ = 0;
    int overflow_ = 0;
};
