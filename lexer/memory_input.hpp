#pragma once
// The whole source held in memory as the lexer's input. ANTLR's own
// buffers read a stream one character at a time through a queue that is
// refilled on every look-ahead, which cost more than the rest of the
// lexer; here a look-ahead is an index into the text.
#include <antlr/CharScanner.hpp>
#include <antlr/InputBuffer.hpp>
#include <string>

class MemoryInputBuffer : public antlr::InputBuffer {
public:
    explicit MemoryInputBuffer(std::string text) : text_(std::move(text)) {}

    // The character i places ahead (1 is the next one), and the step past
    // the next one, for a lexer that calls them directly.
    int at(unsigned int i) const {
        std::string::size_type index = position_ + i - 1;
        return index < text_.size() ? static_cast<unsigned char>(text_[index]) : antlr::CharScanner::EOF_CHAR;
    }
    void advance() { ++position_; }

    int LA(unsigned int i) override { return at(i); }
    void consume() override { advance(); }
    int getChar() override {
        return position_ < text_.size() ? static_cast<unsigned char>(text_[position_++]) : antlr::CharScanner::EOF_CHAR;
    }
    void fill(unsigned int) override {}
    unsigned int mark() override {
        ++nMarkers;
        return static_cast<unsigned int>(position_);
    }
    void rewind(unsigned int mark) override {
        position_ = mark;
        if (nMarkers > 0)
            --nMarkers;
    }
    unsigned int entries() const override { return static_cast<unsigned int>(text_.size() - position_); }
    void reset() override {
        InputBuffer::reset();
        position_ = 0;
    }

private:
    std::string text_;
    std::string::size_type position_ = 0;
};
