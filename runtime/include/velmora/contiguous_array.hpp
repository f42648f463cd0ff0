#pragma once
// The element store of the number typed arrays (_intArr, _array64): one
// block, as a vector, so that an element in range is a compare and a load
// away, with no chunk to find first. Generated code may hold the address of
// an element (an alias parameter, to()) while the array grows; from the
// first address handed out (pin()), growth no longer moves an element:
// elements that do not fit in the block go to a vel_chunked_array behind it.
// An unpinned array, the common case, only ever has the block.
// A copy shares the block until one of the two is written (copy on write):
// arrays are values, and passing, returning and assigning one costs no
// copy of its elements. The block starts with its count of sharers; every
// member that may write or hand out an element's address first makes the
// block this array's own. A pinned array is never shared: an address handed
// out may be written through later, after a copy was made.
// Once the block is known to be this array's own, the array remembers it
// (writable) until a copy shares the block again: a write in a loop is then
// one compare of the index, as it was before blocks were shared, and only
// the first write after a copy reads the count of sharers. Included by
// typed_arrays.hpp (part of libvel.hpp).
#include "chunked_array.hpp"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

template <class T>
class vel_contiguous_array : public vel_element_store<vel_contiguous_array<T>, T> {
    static_assert(std::is_trivially_copyable<T>::value && alignof(T) <= alignof(std::max_align_t),
                  "the block holds plain numbers, copied as bytes");

public:
    using Shared = vel_element_store<vel_contiguous_array, T>;
    using typename Shared::const_iterator;
    using typename Shared::iterator;
    using Shared::assign;
    using Shared::back;
    using Shared::begin;
    using Shared::end;
    using Shared::erase;
    using Shared::front;
    using Shared::insert;
    using Shared::resize;

    vel_contiguous_array() = default;
    vel_contiguous_array(std::initializer_list<T> list) { assign(list.begin(), list.end()); }
    template <class It>
    vel_contiguous_array(It from, It to) { assign(from, to); }
    vel_contiguous_array(const vel_contiguous_array &other) : Shared() {
        if (other.shareable()) {
            block = other.block;
            first = other.first;
            inBlock = other.inBlock;
            room = other.room;
            ++sharersOf(block);
            other.writable = 0;
        } else {
            assign(other.begin(), other.end());
        }
    }
    vel_contiguous_array(vel_contiguous_array &&other) noexcept { swap(other); }
    vel_contiguous_array &operator=(const vel_contiguous_array &other) {
        if (this != &other) {
            vel_contiguous_array copy(other);
            swap(copy);
        }
        return *this;
    }
    vel_contiguous_array &operator=(vel_contiguous_array &&other) noexcept {
        vel_contiguous_array taken(std::move(other));
        swap(taken);
        return *this;
    }
    ~vel_contiguous_array() { clear(); }

    std::size_t size() const { return inBlock + overflow.size(); }
    bool empty() const { return size() == 0; }
    T &operator[](std::size_t index) {
        own();
        return index < inBlock ? first[index] : overflow[index - inBlock];
    }
    const T &operator[](std::size_t index) const { return index < inBlock ? first[index] : overflow[index - inBlock]; }
    // inRange(element) for a read of the element at index when it is in the
    // block, otherwise elsewhere() (past the end, or an element of a pinned
    // array that grew past its block). The element is reached by its index,
    // not by an address that might be null: a test of that address would
    // cost two more instructions per read in a loop. The block's address is
    // read whether or not the index is in range: a loop whose every turn
    // reads it lets the compiler keep it in a register and read it again
    // only after the out-of-line path, which may move it.
    template <class InRange, class Elsewhere>
    T look(std::size_t index, InRange inRange, Elsewhere elsewhere) const {
        const T *base = first;
        return index < inBlock ? inRange(base[index]) : elsewhere();
    }
    // inRange(element) for a write of the element at index when it is in
    // the block, otherwise elsewhere(); the block's address is read first, as
    // in look. A block not known to be this array's own is elsewhere too, so that the
    // test of the common case makes no call: a call there would make GCC keep
    // a loop's values in memory across it.
    template <class InRange, class Elsewhere>
    void reach(std::size_t index, InRange inRange, Elsewhere elsewhere) {
        T *base = first;
        if (index < writable)
            inRange(base[index]);
        else
            elsewhere();
    }
    // An element's address is about to be held: growth must not move it.
    void pin() {
        own();
        pinned = true;
    }
    // Where the elements of the block are and how many, for a loop that
    // keeps both in locals (vel_block_view).
    T *blockStart() {
        own();
        return first;
    }
    std::size_t blockCount() const { return inBlock; }
    std::size_t blockRoom() const { return room; }
    // After a view has stored elements up to count within the room.
    void setBlockCount(std::size_t count) { inBlock = writable = count; }

    // The count and the block's address are read once, before the test, for
    // the reason look gives. The value is a copy: it may be an element
    // that a new block moves. A full block and a shared one go out of line
    // with the value, so that the value is not kept across a call.
    void push_back(T value) {
        std::size_t count = inBlock;
        T *base = first;
        if (count < room && sole()) {
            base[count] = value;
            inBlock = writable = count + 1;
        } else {
            pushPastBlock(value);
        }
    }
    void push_front(const T &value) {
        T copy(value);
        own();
        if (first == block || !overflow.empty()) {
            if (pinned) {
                // No room before the first element, and none may be made by
                // moving them: the values move up one place instead.
                push_back(T());
                std::move_backward(begin(), end() - 1, end());
                front() = std::move(copy);
                return;
            }
            reallocate(std::max(inBlock, std::size_t{smallest}), room - inBlock);
        }
        *--first = std::move(copy);
        writable = ++inBlock;
        ++room;
    }
    void pop_back() {
        own();
        if (!overflow.empty())
            overflow.pop_back();
        else
            first[--inBlock] = T();
        writable = inBlock;
        if (empty()) clear();
    }
    void pop_front() {
        own();
        if (inBlock > 0) {
            *first++ = T();
            writable = --inBlock;
            --room;
        } else {
            overflow.pop_front();
        }
        if (empty()) clear();
    }
    void clear() {
        release(block);
        block = first = nullptr;
        inBlock = room = writable = 0;
        overflow.clear();
        pinned = false;
    }
    void reserve(std::size_t wanted) {
        own();
        if (wanted > room && !pinned) reallocate(0, wanted - inBlock);
    }
    void swap(vel_contiguous_array &other) noexcept {
        std::swap(block, other.block);
        std::swap(first, other.first);
        std::swap(inBlock, other.inBlock);
        std::swap(room, other.room);
        std::swap(writable, other.writable);
        overflow.swap(other.overflow);
        std::swap(pinned, other.pinned);
    }

private:
    static constexpr std::size_t smallest = 8;
    // The count of sharers stands in front of the elements, in a header as
    // long as the strictest alignment, so that the elements stay aligned.
    static constexpr std::size_t header = alignof(std::max_align_t);

    static std::size_t &sharersOf(T *elements) {
        return *reinterpret_cast<std::size_t *>(reinterpret_cast<char *>(elements) - header);
    }
    static T *allocate(std::size_t count) {
        char *raw = static_cast<char *>(::operator new(header + count * sizeof(T)));
        *reinterpret_cast<std::size_t *>(raw) = 1;
        return reinterpret_cast<T *>(raw + header);
    }
    static void release(T *elements) {
        if (elements != nullptr && --sharersOf(elements) == 0)
            ::operator delete(reinterpret_cast<char *>(elements) - header);
    }
    bool shareable() const { return block != nullptr && !pinned && overflow.empty(); }
    // Whether no copy shares the block; true of no block at all.
    bool sole() const { return block == nullptr || sharersOf(block) == 1; }
    // Makes the block this array's own before a write, and remembers that
    // it is: one compare when it already is.
    void own() {
        if (!sole()) copyBlock();
        writable = inBlock;
    }
    __attribute__((noinline)) void copyBlock() {
        T *fresh = allocate(static_cast<std::size_t>(first - block) + room);
        T *freshFirst = fresh + (first - block);
        std::copy(first, first + inBlock, freshFirst);
        release(block);
        block = fresh;
        first = freshFirst;
    }

    // The block is full: a bigger one, or the chunks once pinned. Out of the
    // way of push_back's common case.
    __attribute__((noinline)) void pushPastBlock(T value) {
        own();
        if (inBlock < room) {
            first[inBlock] = value;
            writable = ++inBlock;
            return;
        }
        if (pinned) {
            overflow.push_back(std::move(value));
            return;
        }
        reallocate(0, std::max(inBlock, std::size_t{smallest}));
        first[inBlock] = std::move(value);
        writable = ++inBlock;
    }
    // A new block with the elements in it, `before` free places in front of
    // them and `after` behind.
    void reallocate(std::size_t before, std::size_t after) {
        T *fresh = allocate(before + inBlock + after);
        std::move(first, first + inBlock, fresh + before);
        release(block);
        block = fresh;
        first = fresh + before;
        room = inBlock + after;
    }

    T *block = nullptr;            // where the allocation's elements start, after its header
    T *first = nullptr;            // element 0, at or after block
    std::size_t inBlock = 0;       // elements from first on
    std::size_t room = 0;          // places from first to the end of the block
    // Elements from first on that may be written without a look at the count
    // of sharers: inBlock once the block is known to be this array's own, at
    // most inBlock, and 0 from the moment a copy shares it.
    mutable std::size_t writable = 0;
    vel_chunked_array<T> overflow; // elements past the block of a pinned array
    bool pinned = false;
};
