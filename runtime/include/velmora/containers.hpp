#pragma once
// The containers of generated programs: velarray, dict, the typed arrays
// and the variables of XML literals, and the assignments of dyn that copy
// them. Part of libvel.hpp.
#include "dyn.hpp"

#include "chunked_array.hpp"

// ---------------------------------------------------------------------------
// velarray

class velarray {
public:
    velarray() = default;
    velarray(std::initializer_list<dyn> list) : items(list) {}
    // The program's argument vector, ended by a null pointer.
    explicit velarray(const char *const *argumentVector);
    explicit velarray(const std::vector<dyn> &list) : items(list.begin(), list.end()) {}

    int size() const { return static_cast<int>(items.size()); }
    int length() const { return size(); }
    bool empty() const { return items.empty(); }
    const vel_chunked_array<dyn> &elements() const { return items; }
    void vel_trace(vel_tracer &tracer);

    // The element (made when past the end), whose address is handed out to
    // be written through later: the elements are never shared with a copy
    // from then on, as a dict's entries after d[k].
    dyn &operator[](int index);
    dyn &operator[](const dyn &index);
    dyn at(int index) const;
    dyn at(const dyn &index) const;
    void setAt(int index, const dyn &value);
    void setAt(const dyn &index, const dyn &value);
    dyn *to(int index);
    dyn *to(const dyn &index);
    velarray slice(int lo, int hi = -1, int inclusive = 0) const;
    // Replaces the elements lo..hi by the elements of value: an array, a dict
    // (its values) or a typed array gives its elements, any other value is one
    // element. The bounds are those of vel_slice_span.
    void setSlice(int lo, int hi, int inclusive, const dyn &value);
    bool in(const dyn &item) const;
    vel_ctext toString() const;
    vel_ctext toString(const text &separator) const { return join(separator); }

    void reset();
    bool inBound();
    int key() const;
    dyn value() const;
    void bound() { stepPending = true; }
    // Puts the cursor on the element at position for a loop that keeps its
    // own position; false past the last element.
    bool walkAt(std::size_t position) const {
        cursor = position;
        stepPending = false;
        return position < items.size();
    }

    velarray &operator+=(const dyn &item);
    velarray &operator+=(const velarray &other);
    velarray &operator-=(const dyn &item);
    velarray &operator-=(const velarray &other);
    velarray &operator&=(const velarray &other);
    velarray &operator|=(const velarray &other);
    velarray &operator^=(const velarray &other);

    // Built-in array methods. Positions out of range are clamped into the
    // array; the semantics are listed in the README.
    void push(const dyn &item) { items.push_back(item); }
    void push(dyn &&item) { items.push_back(std::move(item)); }
    dyn pop();
    dyn shift();
    void unshift(const dyn &item);
    void insert(int index, const dyn &item);
    void splice(int index, int count);
    int find(const dyn &item, int from = 0) const;
    int findLast(const dyn &item, int from = -1) const;
    text join(const text &separator) const;
    text toText(const text &separator = text(", ")) const { return join(separator); }
    velarray keys() const;
    velarray values() const { return *this; }
    velarray reverse() const;
    velarray unique() const;
    // Ascending by vel_sort_compare, stable; descending when the flag is set.
    void sort(int descending = 0);
    // Descending; ascending when the flag is set.
    void rsort(int ascending = 0) { sort(ascending ? 0 : 1); }
    void rSort(int ascending = 0) { rsort(ascending); }
    void kSort() {}
    double sum() const;
    dyn min() const;
    dyn max() const;
    dyn rand() const;
    // The internal cursor: begin and end move it to the first / last element,
    // inc and dec one step; each gives the element reached (nil outside).
    dyn begin();
    dyn end();
    dyn inc();
    dyn dec();
    int index() const { return vel_cursor_index(cursor, stepPending, items.size()); }
    void display() const;
    bool store(const text &fileName) const;
    bool load(const text &fileName, int append = 0);
    // The function is called on each element. A function address held as
    // `function` must be that of a function taking a var and returning a
    // var; a null one leaves the elements as they are.
    velarray map(function f) const;
    template <class R, class P>
    velarray map(R (*f)(P)) const;
    dyn merge(const dyn &other);
    void pack();

private:
    // The element at index, made when past the end, for a write that
    // follows at once (no address of it is kept).
    dyn &slotFor(int index);
    // In chunks, so that growing never moves existing elements (in
    // a[9] = a[0] the reference to a[0] is taken before a grows), shared
    // with copies until one of them is written.
    vel_chunked_array<dyn> items;
    // A loop puts the cursor where it is before each round, over a
    // constant container as well: the cursor is no part of the value.
    mutable std::size_t cursor = 0;
    mutable bool stepPending = false;
};

inline void vel_trace_field(vel_tracer &tracer, velarray &array) { array.vel_trace(tracer); }

velarray operator+(const velarray &a, const dyn &item);
velarray operator+(const velarray &a, const velarray &b);
velarray operator-(const velarray &a, const dyn &item);
velarray operator-(const velarray &a, const velarray &b);
velarray operator&(const velarray &a, const velarray &b);
velarray operator|(const velarray &a, const velarray &b);
velarray operator^(const velarray &a, const velarray &b);
bool operator==(const velarray &a, const velarray &b);
inline bool operator!=(const velarray &a, const velarray &b) { return !(a == b); }
std::ostream &operator<<(std::ostream &out, const velarray &value);
vel_output &operator<<(vel_output &out, const velarray &value);

// ---------------------------------------------------------------------------
// dict

#include "dict_keys.hpp"

class dict {
public:
    struct Entry {
        dyn key;
        dyn value;
    };

    dict() = default;
    dict(std::initializer_list<dyn> pairs);

    // For collections of cycles: the objects among the values, while no
    // copy shares the entries.
    void vel_trace(vel_tracer &tracer) {
        if (!entries.visitUnshared([&tracer](Entry &entry) { entry.value.vel_trace(tracer); })) tracer.passedShared();
    }
    int size() const { return static_cast<int>(entries.size()); }
    int length() const { return size(); }
    bool empty() const { return entries.empty(); }
    const vel_chunked_array<Entry> &items() const { return entries; }

    // Text and integer keys (vel_if_direct_key) are looked up as they stand;
    // a C string as a text. A missing key reads as nil. The value's address
    // is handed out, to be written through later: the entries are never
    // shared with a copy from then on.
    dyn &operator[](const dyn &key);
    template <class K, vel_if_direct_key<K> = 0>
    dyn &operator[](const K &key) {
        entries.pin();
        return valueFor(vel_key_of(key));
    }
    dyn &operator[](const char *key) { return (*this)[text(key)]; }
    const dyn &at(const dyn &key) const;
    template <class K, vel_if_direct_key<K> = 0>
    const dyn &at(const K &key) const { return valueAt(vel_key_of(key)); }
    const dyn &at(const char *key) const { return at(text(key)); }
    void setAt(const dyn &key, const dyn &value);
    template <class K, vel_if_direct_key<K> = 0>
    void setAt(const K &key, const dyn &value) {
        dyn copy(value);  // value may be one of our own values
        valueFor(vel_key_of(key)) = std::move(copy);
    }
    void setAt(const char *key, const dyn &value) { setAt(text(key), value); }
    dyn *to(const dyn &key);
    bool in(const dyn &key) const { return hasKey(key); }
    bool hasKey(const dyn &key) const;
    template <class K, vel_if_direct_key<K> = 0>
    bool hasKey(const K &key) const { return indexOf(vel_key_of(key)) >= 0; }
    bool hasKey(const char *key) const { return hasKey(text(key)); }
    bool remove(const dyn &key);
    dict slice(int lo, int hi = -1, int inclusive = 0) const;
    // The entries from the key fromKey to the key toKey in insertion order
    // (toKey itself only when inclusive); empty when a key is missing or
    // toKey comes before fromKey.
    dict slice(const text &fromKey, const text &toKey, int inclusive = 1) const;
    // Replaces the entries at the positions lo..hi by the entries of value:
    // the entries of a dict, a pair as one entry, the elements of an array
    // (pairs as entries, other values under the next free integer key), or
    // one value under the next free integer key. An inserted key that exists
    // outside the range moves to the inserted position.
    void setSlice(int lo, int hi, int inclusive, const dyn &value);
    vel_ctext toString() const;
    // The values joined by separator.
    vel_ctext toString(const text &separator) const { return join(separator); }

    void reset();
    bool inBound();
    text key() const;
    // The cursor's key as it is stored, an integer or a text: the key a
    // loop gives a var, which computes with it as with the key itself.
    dyn heldKey() const { return cursor < entries.size() ? entries[cursor].key : dyn(); }
    dyn value() const;
    void bound() { stepPending = true; }
    bool walkAt(std::size_t position) const {
        cursor = position;
        stepPending = false;
        return position < entries.size();
    }

    // Built-in dict methods; positions are those of insertion order.
    velarray keys() const;
    velarray values() const;
    int find(const dyn &value, int from = 0) const;
    // Without an argument: the position of the last entry (-1 when empty).
    int findLast() const { return size() - 1; }
    int findLast(const dyn &value, int from = -1) const;
    dyn push(const dyn &value);
    dyn pop();
    dyn shift();
    void unshift(const text &key, const dyn &value);
    void unshift(const dyn &value);
    void insert(int position, const dyn &value);
    void concat(const dict &other);
    // By value / by key with vel_sort_compare, stable.
    void sort(bool descending = false);
    void kSort(bool descending = false);
    void ksort(bool descending = false) { kSort(descending); }
    void rsort(int ascending = 0) { sort(ascending == 0); }
    dict unique() const;
    int display() const;
    bool store(const text &fileName) const;
    bool load(const text &fileName, int append = 0);
    text toXML() const;
    // The array methods that a dict answers, on its values.
    text join(const text &separator) const { return values().join(separator); }
    text toText(const text &separator = text(", ")) const { return join(separator); }
    velarray reverse() const { return values().reverse(); }
    double sum() const { return values().sum(); }
    dyn min() const { return values().min(); }
    dyn max() const { return values().max(); }
    dyn rand() const { return values().rand(); }
    velarray map(function f) const { return values().map(f); }
    template <class R, class P>
    velarray map(R (*f)(P)) const {
        return values().map(f);
    }
    // Adds the entries of a dict, a pair as an entry, the elements of an
    // array under the next free keys, or one value; nil adds nothing.
    dyn merge(const dyn &other);
    // Removes the entries whose value is nil.
    void pack();
    void splice(int position, int count);
    dyn begin();
    dyn end();
    dyn inc();
    dyn dec();
    int index() const { return vel_cursor_index(cursor, stepPending, entries.size()); }

    dict &operator+=(const dict &other) {
        concat(other);
        return *this;
    }

private:
    // Position of an entry, or -1.
    long indexOf(const vel_dict_key &key) const;
    long indexOf(const dyn &key) const { return indexOf(vel_key_of(key)); }
    // The position from the hash index alone.
    long searchIndex(const vel_dict_key &key) const;
    const dyn &valueAt(const vel_dict_key &key) const;
    // The value of the key, added as nil at the end when missing.
    dyn &valueFor(const vel_dict_key &key);
    long long nextFreeKey() const;
    std::size_t slotFor(const vel_dict_key &key, std::uint32_t hash) const;
    void indexEntry(std::size_t position);
    void rebuildIndex();
    void growIndex();
    vel_chunked_array<Entry> entries;  // stable element addresses, as in velarray
    // The hash index: an open-addressed table, a power of two long and at
    // most half full, of the positions in entries by the hash of their key.
    // Text keys and integer keys never match, so "1" and 1 are different.
    struct IndexSlot {
        std::uint32_t hash;
        std::uint32_t position;  // of the entry, plus 1; 0 for a free slot
    };
    std::vector<IndexSlot> keyIndex;
    std::size_t keysIndexed = 0;  // slots in use
    mutable std::size_t lastFound = 0;  // the position indexOf found last; may be stale
    // A loop puts the cursor where it is before each round, over a
    // constant container as well: the cursor is no part of the value.
    mutable std::size_t cursor = 0;
    mutable bool stepPending = false;
};

inline void vel_trace_field(vel_tracer &tracer, dict &dictionary) { dictionary.vel_trace(tracer); }

dict operator+(const dict &a, const dict &b);
// Set operators by key; entries keep the value and order of the dict they come from.
dict operator&(const dict &a, const dict &b);  // keys in both
dict operator|(const dict &a, const dict &b);  // keys of a, then the keys of b not in a
dict operator^(const dict &a, const dict &b);  // keys in one of them only
bool operator==(const dict &a, const dict &b);
inline bool operator!=(const dict &a, const dict &b) { return !(a == b); }
std::ostream &operator<<(std::ostream &out, const dict &value);
vel_output &operator<<(vel_output &out, const dict &value);

// The elements that a slice assignment or an append takes from a value: those
// of an array, the values of a dict; any other value, nil included, is one
// element.
velarray vel_elements_of(const dyn &value);

// Hands each of those elements to `take`, reading an array in place: for a
// receiver that is no array of dynamic values (a typed array), so that what
// `take` adds can never be the array being read. An array read by index into
// a typed array is then converted once, not copied twice on the way.
template <class Take>
void vel_each_element_of(const dyn &value, Take take) {
    if (const velarray *array = value.asArray()) {
        array->elements().each(take);
        return;
    }
    velarray source = vel_elements_of(value);
    for (const dyn &e : source.elements()) take(e);
}
inline const dyn &vel_as_dyn(const dyn &value) { return value; }
template <class T>
dyn vel_as_dyn(const T &value) {
    return dyn(value);
}

// The container with its cursor put back on a loop's position: c[] in the
// body of a loop over c names the element that loop visits, whatever the
// loops over c in between did with the cursor.
template <class C>
C &vel_walked(C &container, std::size_t position) {
    container.walkAt(position);
    return container;
}

// The assignments of dyn, inline for numbers: generated code makes and drops
// dyn temporaries all the time. Copying or dropping a text or container goes
// out of line (dyn.cpp), so that every program does not carry the code of
// every container.
inline dyn &dyn::operator=(const dyn &other) {
    if (owns(type) || owns(other.type) || holdsObject() || other.holdsObject()) return assignOwned(other);
    type = other.type;
    copyNumber(other);
    return *this;
}
inline dyn &dyn::operator=(dyn &&other) noexcept {
    if (this == &other) return *this;
    // Keep the old contents alive until the move is done: other may be one
    // of their elements.
    dyn old(std::move(*this));
    type = other.type;
    counted = other.counted;
    copyNumber(other);
    other.type = NIL;
    other.counted = false;
    return *this;
}

// The typed arrays and XML elements build on velarray and dict; each
// includes this header, so that either may also be included first.
#include "typed_arrays.hpp"
#include "xml_element.hpp"
