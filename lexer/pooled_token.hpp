#pragma once
// The lexer's tokens, allocated from a free list: a source makes one token
// for every word and sign, and a general allocation and release for each
// of them cost more than scanning its characters.
#include <antlr/CommonToken.hpp>
#include <cstddef>

class PooledToken : public antlr::CommonToken {
public:
    static antlr::RefToken factory() { return antlr::RefToken(new PooledToken); }

    static void *operator new(std::size_t size);
    static void operator delete(void *block, std::size_t size);
};
