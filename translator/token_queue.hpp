#pragma once
// The parser's look-ahead tokens. ANTLR's token buffer refills its queue on
// every look-ahead and cannot be replaced, but the parser's LA, LT,
// consume, mark and rewind can: they come here, where a look-ahead is an
// index into the tokens already read.
#include <antlr/TokenStream.hpp>
#include <vector>

class TokenQueue {
public:
    void readFrom(antlr::TokenStream &source) { source_ = &source; }

    int LA(unsigned int i) { return LT(i)->getType(); }
    const antlr::RefToken &LT(unsigned int i) {
        std::size_t at = head_ + i - 1;
        while (tokens_.size() <= at)
            tokens_.push_back(source_->nextToken());
        return tokens_[at];
    }
    void consume() {
        ++head_;
        // Consumed tokens are dropped in batches once no guess can go back.
        if (markers_ == 0 && head_ >= DROP_BATCH) {
            lastDropped_ = tokens_[head_ - 1];
            tokens_.erase(tokens_.begin(), tokens_.begin() + static_cast<std::ptrdiff_t>(head_));
            dropped_ += head_;
            head_ = 0;
        }
    }
    // A word read as another (a misspelt keyword, a closing word of another
    // language): the parse goes on as if the other had been written.
    void replaceNext(const antlr::RefToken &token) {
        LT(1);
        tokens_[head_] = token;
    }
    void replaceAt(unsigned int i, const antlr::RefToken &token) {
        LT(i);
        tokens_[head_ + i - 1] = token;
    }
    // Tokens the source left out, read next in the order given (the last
    // inserted first).
    void insertNext(const antlr::RefToken &token) {
        LT(1);
        tokens_.insert(tokens_.begin() + static_cast<std::ptrdiff_t>(head_), token);
    }
    // The tokens `first` to `last` read as `tokens` (a head written as
    // another language writes it, read as this one's).
    void replaceRange(unsigned int first, unsigned int last, const std::vector<antlr::RefToken> &tokens) {
        LT(last);
        auto begin = tokens_.begin() + static_cast<std::ptrdiff_t>(head_ + first - 1);
        begin = tokens_.erase(begin, begin + static_cast<std::ptrdiff_t>(last - first + 1));
        tokens_.insert(begin, tokens.begin(), tokens.end());
    }
    void drop(unsigned int i = 1) {
        LT(i);
        tokens_.erase(tokens_.begin() + static_cast<std::ptrdiff_t>(head_ + i - 1));
    }
    // The token consumed last (null before the first): where the parse is,
    // for the columns of a message.
    antlr::RefToken lastConsumed() const { return head_ > 0 ? tokens_[head_ - 1] : lastDropped_; }
    unsigned int mark() {
        ++markers_;
        return static_cast<unsigned int>(dropped_ + head_);
    }
    void rewind(unsigned int mark) {
        head_ = mark - dropped_;
        if (markers_ > 0)
            --markers_;
    }

private:
    static constexpr std::size_t DROP_BATCH = 4096;
    antlr::TokenStream *source_ = nullptr;
    std::vector<antlr::RefToken> tokens_;
    antlr::RefToken lastDropped_;
    std::size_t head_ = 0;
    std::size_t dropped_ = 0;
    unsigned markers_ = 0;
};
