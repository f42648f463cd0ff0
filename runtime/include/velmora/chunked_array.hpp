#pragma once
// The element store of the typed arrays: elements in chunks of a fixed
// power-of-two size, so that growth at either end never moves an element
// (generated code may hold a reference to one, through to(), a reference
// parameter or a loop, while the array grows), and so that an index is a
// shift and a mask. Appending costs a compare in the common case, where
// std::deque's bookkeeping made it the dearest part of filling an array.
// A copy shares the chunks until one of the two is written (copy on write):
// every member that may write or hand out an element makes them this
// array's own first, and a pinned array (one whose element's address was
// handed out to be written through later) is never shared.
// Also the entry store of dict. Part of libvel.hpp (through containers.hpp).
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <new>
#include <type_traits>
#include <vector>

// An iterator that is a container and a position in it: the element stores
// below reach their elements through operator[], so one iterator serves them
// all, and a plain iterator converts to the const one of the same store.
template <class Owner, class Value>
class vel_index_iterator {
public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::remove_const_t<Value>;
    using difference_type = std::ptrdiff_t;
    using pointer = Value *;
    using reference = Value &;

    vel_index_iterator() = default;
    vel_index_iterator(Owner *owner, std::ptrdiff_t index) : owner(owner), index(index) {}
    template <class OtherOwner, class OtherValue,
              std::enable_if_t<std::is_convertible<OtherOwner *, Owner *>::value, int> = 0>
    vel_index_iterator(const vel_index_iterator<OtherOwner, OtherValue> &other)
        : owner(other.container()), index(other.position()) {}

    reference operator*() const { return (*owner)[static_cast<std::size_t>(index)]; }
    pointer operator->() const { return &**this; }
    reference operator[](difference_type n) const { return *(*this + n); }
    vel_index_iterator &operator++() { ++index; return *this; }
    vel_index_iterator operator++(int) { vel_index_iterator old = *this; ++index; return old; }
    vel_index_iterator &operator--() { --index; return *this; }
    vel_index_iterator operator--(int) { vel_index_iterator old = *this; --index; return old; }
    vel_index_iterator &operator+=(difference_type n) { index += n; return *this; }
    vel_index_iterator &operator-=(difference_type n) { index -= n; return *this; }
    friend vel_index_iterator operator+(vel_index_iterator it, difference_type n) { return it += n; }
    friend vel_index_iterator operator+(difference_type n, vel_index_iterator it) { return it += n; }
    friend vel_index_iterator operator-(vel_index_iterator it, difference_type n) { return it -= n; }
    friend difference_type operator-(const vel_index_iterator &a, const vel_index_iterator &b) { return a.index - b.index; }
    friend bool operator==(const vel_index_iterator &a, const vel_index_iterator &b) { return a.index == b.index; }
    friend bool operator!=(const vel_index_iterator &a, const vel_index_iterator &b) { return a.index != b.index; }
    friend bool operator<(const vel_index_iterator &a, const vel_index_iterator &b) { return a.index < b.index; }
    friend bool operator>(const vel_index_iterator &a, const vel_index_iterator &b) { return a.index > b.index; }
    friend bool operator<=(const vel_index_iterator &a, const vel_index_iterator &b) { return a.index <= b.index; }
    friend bool operator>=(const vel_index_iterator &a, const vel_index_iterator &b) { return a.index >= b.index; }
    std::ptrdiff_t position() const { return index; }
    Owner *container() const { return owner; }

private:
    Owner *owner = nullptr;
    std::ptrdiff_t index = 0;
};

// What the element stores share, written once over the few operations each
// store gives itself (operator[], size, push_back, pop_back, reserve, swap):
// ends, iterators, resizing, insertion and removal, comparison.
template <class Store, class T>
class vel_element_store {
public:
    using iterator = vel_index_iterator<Store, T>;
    using const_iterator = vel_index_iterator<const Store, const T>;
    using value_type = T;

    T &front() { return self()[0]; }
    const T &front() const { return self()[0]; }
    T &back() { return self()[self().size() - 1]; }
    const T &back() const { return self()[self().size() - 1]; }

    iterator begin() { return iterator(&self(), 0); }
    iterator end() { return iterator(&self(), static_cast<std::ptrdiff_t>(self().size())); }
    const_iterator begin() const { return const_iterator(&self(), 0); }
    const_iterator end() const { return const_iterator(&self(), static_cast<std::ptrdiff_t>(self().size())); }

    void resize(std::size_t size, const T &value = T()) {
        T fill(value);  // value may be an element that the shrinking drops
        while (self().size() > size) self().pop_back();
        self().reserve(size);
        while (self().size() < size) self().push_back(fill);
    }
    template <class It>
    void assign(It from, It to) {
        Store fresh;
        for (; from != to; ++from) fresh.push_back(*from);
        self().swap(fresh);
    }
    iterator insert(const_iterator position, const T &value) {
        T copy(value);  // value may be an element that the insertion moves
        std::size_t at = static_cast<std::size_t>(position.position());
        self().push_back(T());
        std::move_backward(begin() + static_cast<std::ptrdiff_t>(at), end() - 1, end());
        self()[at] = std::move(copy);
        return begin() + static_cast<std::ptrdiff_t>(at);
    }
    template <class It>
    iterator insert(const_iterator position, It from, It to) {
        std::vector<T> added(from, to);  // the range may be part of this array
        std::size_t at = static_cast<std::size_t>(position.position());
        std::size_t oldCount = self().size();
        self().reserve(oldCount + added.size());
        for (std::size_t i = 0; i < added.size(); ++i) self().push_back(T());
        std::move_backward(begin() + static_cast<std::ptrdiff_t>(at), begin() + static_cast<std::ptrdiff_t>(oldCount),
                           end());
        for (std::size_t i = 0; i < added.size(); ++i) self()[at + i] = std::move(added[i]);
        return begin() + static_cast<std::ptrdiff_t>(at);
    }
    iterator erase(const_iterator from, const_iterator to) {
        std::size_t at = static_cast<std::size_t>(from.position());
        std::size_t removed = static_cast<std::size_t>(to - from);
        std::move(begin() + static_cast<std::ptrdiff_t>(at + removed), end(), begin() + static_cast<std::ptrdiff_t>(at));
        for (std::size_t i = 0; i < removed; ++i) self().pop_back();
        return begin() + static_cast<std::ptrdiff_t>(at);
    }
    iterator erase(const_iterator position) { return erase(position, position + 1); }

    friend bool operator==(const Store &a, const Store &b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator!=(const Store &a, const Store &b) { return !(a == b); }

private:
    Store &self() { return static_cast<Store &>(*this); }
    const Store &self() const { return static_cast<const Store &>(*this); }
};

template <class T>
class vel_chunked_array : public vel_element_store<vel_chunked_array<T>, T> {
public:
    // At most about 512 bytes a chunk, as a power of two of elements: a small
    // array then takes no more room than a std::deque of libstdc++ did.
    static constexpr std::size_t chunkBits = sizeof(T) <= 4 ? 7 : (sizeof(T) <= 8 ? 6 : (sizeof(T) <= 16 ? 5 : 4));
    static constexpr std::size_t chunkSize = std::size_t(1) << chunkBits;
    static constexpr std::size_t chunkMask = chunkSize - 1;

    using Shared = vel_element_store<vel_chunked_array, T>;
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

    vel_chunked_array() = default;
    vel_chunked_array(std::initializer_list<T> list) { assign(list.begin(), list.end()); }
    template <class It>
    vel_chunked_array(It from, It to) { assign(from, to); }
    vel_chunked_array(const vel_chunked_array &other) : Shared() {
        if (other.table != nullptr && !other.pinned) {
            table = other.table;
            first = other.first;
            count = other.count;
            ++table->sharers;
        } else {
            assign(other.begin(), other.end());
        }
    }
    vel_chunked_array(vel_chunked_array &&other) noexcept { swap(other); }
    vel_chunked_array &operator=(const vel_chunked_array &other) {
        if (this != &other) {
            vel_chunked_array copy(other);
            swap(copy);
        }
        return *this;
    }
    vel_chunked_array &operator=(vel_chunked_array &&other) noexcept {
        vel_chunked_array taken(std::move(other));
        swap(taken);
        return *this;
    }
    ~vel_chunked_array() { clear(); }

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    T &operator[](std::size_t index) {
        own();
        return slot(index);
    }
    const T &operator[](std::size_t index) const { return slot(index); }
    // inRange(element) for a read of the element at index, elsewhere() past
    // the end: the one test of an element read in range, shared with
    // vel_contiguous_array.
    template <class InRange, class Elsewhere>
    T look(std::size_t index, InRange inRange, Elsewhere elsewhere) const {
        return index < count ? inRange(slot(index)) : elsewhere();
    }
    // inRange(element) on the element at index, elsewhere() past the end.
    template <class InRange, class Elsewhere>
    void reach(std::size_t index, InRange inRange, Elsewhere elsewhere) {
        own();
        if (index < count)
            inRange(slot(index));
        else
            elsewhere();
    }
    // Each element, for collections of cycles, while no copy shares the
    // chunks: a shared element counts as one reference for all its arrays,
    // which a visit from each would count again.
    // False when the elements are shared and were not visited.
    template <class Visit>
    bool visitUnshared(Visit visit) {
        if (table == nullptr) return true;
        if (table->sharers != 1) return false;
        for (std::size_t i = 0; i < count; ++i) visit(slot(i));
        return true;
    }
    // Elements never move here; an address handed out only keeps the chunks
    // from being shared.
    void pin() {
        own();
        pinned = true;
    }

    // value may be an element: chunks are added, never moved, before it is read.
    // A value that is an element of a shared array stays where it is while
    // own() copies the chunks: the other sharer keeps them.
    // The place past the last element holds a value as T() makes it (a new
    // chunk's, or one pop_back left), so it is replaced, not assigned to:
    // an assignment would first keep the old value aside to drop it.
    void push_back(const T &value) { new (placeAtBack()) T(value); ++count; }
    void push_back(T &&value) { new (placeAtBack()) T(std::move(value)); ++count; }
    // Each element in order, a chunk at a time: no index is turned into a
    // chunk and a place per element.
    template <class Visit>
    void each(Visit visit) const {
        std::size_t at = first, end = first + count;
        while (at < end) {
            const T *chunk = table->chunk[at >> chunkBits];
            std::size_t stop = std::min(end, (at | chunkMask) + 1);
            for (std::size_t i = at & chunkMask, last = i + (stop - at); i < last; ++i) visit(chunk[i]);
            at = stop;
        }
    }
    void push_front(const T &value) {
        own();
        if (first == 0) addChunksAtFront();
        T *&chunk = table->chunk[(first - 1) >> chunkBits];
        if (chunk == nullptr) chunk = new T[chunkSize];
        chunk[(first - 1) & chunkMask] = value;
        --first;
        ++count;
    }
    void pop_back() {
        own();
        slot(count - 1) = T();
        --count;
        dropUnusedChunks();
    }
    void pop_front() {
        own();
        slot(0) = T();
        ++first;
        --count;
        dropUnusedChunks();
    }
    void clear() {
        release(table);
        table = nullptr;
        first = 0;
        count = 0;
        pinned = false;
    }
    // Chunks are added as elements come; nothing to make room for ahead.
    void reserve(std::size_t) {}
    void swap(vel_chunked_array &other) noexcept {
        std::swap(table, other.table);
        std::swap(first, other.first);
        std::swap(count, other.count);
        std::swap(pinned, other.pinned);
    }

private:
    // The chunks' addresses, in one allocation with the count of arrays that
    // share them.
    struct Table {
        std::size_t sharers;
        std::size_t used;
        std::size_t capacity;
        T *chunk[1];
    };

    T &slot(std::size_t index) const {
        std::size_t at = first + index;
        return table->chunk[at >> chunkBits][at & chunkMask];
    }
    std::size_t chunkCount() const { return table == nullptr ? 0 : table->used; }
    // The place past the last element, emptied for a value to be made in
    // it: inline while the chunks are this array's own and the last has
    // room, as they are for all but one push in a chunk's worth.
    __attribute__((always_inline)) T *placeAtBack() {
        std::size_t at = first + count;
        if (table != nullptr && table->sharers == 1 && at < table->used << chunkBits) {
            T *place = &table->chunk[at >> chunkBits][at & chunkMask];
            place->~T();
            return place;
        }
        return placeAtBackElsewhere();
    }
    __attribute__((noinline)) T *placeAtBackElsewhere() {
        own();
        if (first + count == chunkCount() << chunkBits) addChunkAtBack();
        T *place = &slot(count);
        place->~T();
        return place;
    }
    static Table *newTable(std::size_t capacity) {
        void *raw = ::operator new(sizeof(Table) + (capacity - 1) * sizeof(T *));
        Table *made = static_cast<Table *>(raw);
        made->sharers = 1;
        made->used = 0;
        made->capacity = capacity;
        return made;
    }
    static void release(Table *old) {
        if (old == nullptr || --old->sharers != 0) return;
        for (std::size_t i = 0; i < old->used; ++i) delete[] old->chunk[i];
        ::operator delete(old);
    }
    // Makes the chunks this array's own before a write: one compare when
    // they already are.
    void own() {
        if (table != nullptr && table->sharers != 1) copyChunks();
    }
    __attribute__((noinline)) void copyChunks() {
        Table *fresh = newTable(table->capacity);
        for (std::size_t i = 0; i < table->used; ++i) {
            fresh->chunk[i] = nullptr;
            fresh->used = i + 1;
            if (table->chunk[i] == nullptr) continue;
            fresh->chunk[i] = new T[chunkSize];
            std::copy(table->chunk[i], table->chunk[i] + chunkSize, fresh->chunk[i]);
        }
        release(table);
        table = fresh;
    }
    // Room for one more chunk address, at the back.
    void roomForChunk() {
        if (table == nullptr) {
            table = newTable(4);
        } else if (table->used == table->capacity) {
            Table *bigger = newTable(table->capacity * 2);
            std::copy(table->chunk, table->chunk + table->used, bigger->chunk);
            bigger->used = table->used;
            ::operator delete(table);
            table = bigger;
        }
    }
    void addChunkAtBack() {
        T *chunk = new T[chunkSize];
        roomForChunk();
        table->chunk[table->used++] = chunk;
    }
    // Places for as many chunks in front as there are (one at least), so
    // that an array filled at the front moves the chunks' addresses as
    // seldom as one filled at the back; push_front makes each chunk when it
    // reaches it.
    void addChunksAtFront() {
        std::size_t added = std::max<std::size_t>(chunkCount(), 1);
        Table *bigger = newTable(chunkCount() + added);
        std::fill(bigger->chunk, bigger->chunk + added, nullptr);
        if (table != nullptr) {
            std::copy(table->chunk, table->chunk + table->used, bigger->chunk + added);
            bigger->used = table->used;
            ::operator delete(table);
        }
        bigger->used += added;
        table = bigger;
        first += added << chunkBits;
    }
    // Chunks that hold no element any more are given back, so that an array
    // used as a queue does not keep every chunk it ever had. The places of
    // the chunks before the first element are emptied, and closed up only
    // once they are half of all: a queue taken from the front then costs no
    // move of the chunks' addresses per chunk emptied.
    void dropUnusedChunks() {
        if (count == 0) {
            clear();
            return;
        }
        std::size_t before = first >> chunkBits;
        for (std::size_t i = before; i > 0 && table->chunk[i - 1] != nullptr; --i) {
            delete[] table->chunk[i - 1];
            table->chunk[i - 1] = nullptr;
        }
        if (before > 0 && before * 2 >= table->used) {
            std::copy(table->chunk + before, table->chunk + table->used, table->chunk);
            table->used -= before;
            first -= before << chunkBits;
        }
        while (first + count <= (table->used - 1) << chunkBits) delete[] table->chunk[--table->used];
    }

    Table *table = nullptr;
    std::size_t first = 0;  // where element 0 stands in the first chunk
    std::size_t count = 0;
    bool pinned = false;
};
