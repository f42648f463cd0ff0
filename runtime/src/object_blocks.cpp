// The memory of the objects of the program's classes. Small objects are
// made and freed by the million (a tree's nodes), so each size of them, in
// steps of 16 bytes, takes its blocks from slabs of its own and gives them
// back to a list of free blocks of that size: no allocator's header in front
// of each block (a node of two references, 32 bytes, takes 32 where the C
// library's allocator takes 48), and making or freeing one is a few
// instructions. A slab is never given back; its blocks serve the next
// objects of that size, as the C library's allocator keeps what it took.
// A program built with AddressSanitizer gets its objects from the C++
// allocator as before, so that an object used after it was freed is caught.
#include "velmora/libvel.hpp"

#include <cstddef>
#include <new>

#ifndef __EMSCRIPTEN__
extern "C" void __asan_init() __attribute__((weak));
#endif

namespace {

constexpr std::size_t step = alignof(std::max_align_t);
constexpr std::size_t largest = 256;
constexpr std::size_t sizes = largest / step;
constexpr std::size_t slabBytes = 64 * 1024;

struct FreeBlock {
    FreeBlock *next;
};

FreeBlock *freeBlocks[sizes];
// The part of the latest slab of each size not yet handed out.
char *unused[sizes];
char *unusedEnd[sizes];

std::size_t sizeClass(std::size_t size) { return (size + step - 1) / step - 1; }

bool pooled(std::size_t size) {
#ifdef __EMSCRIPTEN__
    const bool sanitized = false;
#else
    static const bool sanitized = __asan_init != nullptr;
#endif
    return size > 0 && size <= largest && !sanitized;
}

__attribute__((noinline)) void *fromNewSlab(std::size_t kind) {
    std::size_t block = (kind + 1) * step;
    char *slab = static_cast<char *>(::operator new(slabBytes));
    unused[kind] = slab + block;
    unusedEnd[kind] = slab + slabBytes - slabBytes % block;
    return slab;
}

}  // namespace

void *vel_object::operator new(std::size_t size) {
    if (!pooled(size)) return ::operator new(size);
    std::size_t kind = sizeClass(size);
    if (FreeBlock *block = freeBlocks[kind]) {
        freeBlocks[kind] = block->next;
        return block;
    }
    if (unused[kind] != unusedEnd[kind]) {
        void *block = unused[kind];
        unused[kind] += (kind + 1) * step;
        return block;
    }
    return fromNewSlab(kind);
}

void vel_object::operator delete(void *object, std::size_t size) noexcept {
    if (object == nullptr) return;
    if (!pooled(size)) {
        ::operator delete(object);
        return;
    }
    std::size_t kind = sizeClass(size);
    FreeBlock *block = static_cast<FreeBlock *>(object);
    block->next = freeBlocks[kind];
    freeBlocks[kind] = block;
}
