#include "lexer/pooled_token.hpp"

#include <memory>
#include <new>
#include <vector>

namespace {

// Blocks come from chunks that live as long as the process; a released
// block is reused by the next token. Only as many blocks exist as tokens
// were alive at once.
struct TokenPool {
    static constexpr std::size_t CHUNK_TOKENS = 1024;
    std::vector<std::unique_ptr<unsigned char[]>> chunks;
    std::vector<void *> freeBlocks;

    void *take() {
        if (freeBlocks.empty())
            addChunk();
        void *block = freeBlocks.back();
        freeBlocks.pop_back();
        return block;
    }
    void addChunk() {
        // Each block is padded to the alignment of any object.
        constexpr std::size_t align = alignof(std::max_align_t);
        constexpr std::size_t blockSize = (sizeof(PooledToken) + align - 1) / align * align;
        chunks.emplace_back(new unsigned char[blockSize * CHUNK_TOKENS]);
        unsigned char *start = chunks.back().get();
        for (std::size_t i = CHUNK_TOKENS; i-- > 0;)
            freeBlocks.push_back(start + i * blockSize);
    }
};

// Never destroyed, so that a token released during exit still has a pool.
TokenPool &pool() {
    static TokenPool *instance = new TokenPool;
    return *instance;
}

}  // namespace

void *PooledToken::operator new(std::size_t size) {
    // A class derived from this one would not fit the pool's blocks.
    if (size != sizeof(PooledToken))
        return ::operator new(size);
    return pool().take();
}

void PooledToken::operator delete(void *block, std::size_t size) {
    if (!block)
        return;
    if (size != sizeof(PooledToken)) {
        ::operator delete(block);
        return;
    }
    pool().freeBlocks.push_back(block);
}
