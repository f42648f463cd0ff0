#pragma once
// The typed arrays of generated programs: _intArr (integers), _arr32 (texts,
// files and objects), _array64 (reals) and _natArr (naturals). Part of libvel.hpp
// (through containers.hpp).
#include "containers.hpp"
#include "contiguous_array.hpp"

// Typed arrays. The shared behaviour lives in vel_typed_array; the three
// classes add their constructors and the element conversions.

// What slice gives on a typed array: the typed array, which also converts
// to a velarray, since the slice method's result is a list while a slice
// subscript keeps the typed array's type.
template <class Derived>
class vel_typed_slice : public Derived {
public:
    vel_typed_slice(Derived &&array) : Derived(std::move(array)) {}
    operator velarray() const { return this->toArray(); }
};

// Numbers that dyn holds as numbers (a char is a one-character text, a bool
// a boolean).
template <class T>
using vel_is_plain_number = std::integral_constant<bool, std::is_arithmetic<T>::value && !std::is_same<T, char>::value &&
                                                             !std::is_same<T, bool>::value>;

// Numbers are kept in one block; dyn elements stay in chunks, where they
// never move, since _arr32::at hands out the element itself.
template <class Element>
using vel_typed_store =
    std::conditional_t<std::is_same<Element, dyn>::value, vel_chunked_array<Element>, vel_contiguous_array<Element>>;

template <class Array>
class vel_block_view;

template <class Derived, class Element>
class vel_typed_array {
public:
    using element_type = Element;
    using Store = vel_typed_store<Element>;

    int size() const { return static_cast<int>(items.size()); }
    int length() const { return size(); }
    bool empty() const { return items.empty(); }
    const Store &elements() const { return items; }

    // A value of another type becomes an element through dyn: numbers are
    // clamped into the element's range, texts are read as numbers.
    template <class T>
    Element elementOf(const T &value) const {
        return convertedElement(value, std::is_same<T, Element>());
    }

    // The element itself, which the caller may hold while the array grows.
    Element &operator[](int index) { return pinnedSlot(index); }
    Element &operator[](const dyn &index) { return pinnedSlot(dyn::toInt(index)); }
    Element at(int index) const {
        // A negative index widens to a size past any end: one test for both ends.
        // The out-of-line path takes the widened index too, so that a loop
        // keeps one form of its counter in a register, not both.
        std::size_t at = static_cast<std::size_t>(index);
        return items.look(at, [this](const Element &element) { return self().normalized(element); },
                          [this, at] { return atOutside(at, std::is_trivially_copyable<Element>()); });
    }
    Element at(const dyn &index) const { return index.isNumeric() ? at(dyn::toInt(index)) : self().blank(); }
    void setAt(int index, const Element &value) { put(index, self().normalized(value)); }
    template <class T>
    void setAt(int index, const T &value) {
        put(index, elementOf(value));
    }
    template <class T>
    void setAt(const dyn &index, const T &value) {
        setAt(dyn::toInt(index), value);
    }
    Element *to(int index) { return &pinnedSlot(index); }
    vel_typed_slice<Derived> slice(int lo, int hi = -1, int inclusive = 0) const;
    // Replaces the elements lo..hi (see vel_slice_span) by the elements of
    // value (an array, typed array or dict) or by value itself.
    void setSlice(int lo, int hi, int inclusive, const dyn &value) {
        Store fresh;
        vel_each_element_of(value, [&](const dyn &e) { fresh.push_back(self().fromDyn(e)); });
        vel_span span = vel_slice_span(lo, hi, inclusive, items.size());
        items.erase(items.begin() + static_cast<long>(span.first), items.begin() + static_cast<long>(span.end));
        items.insert(items.begin() + static_cast<long>(span.first), fresh.begin(), fresh.end());
    }
    bool in(const Element &item) const {
        for (const Element &e : items)
            if (self().normalized(e) == self().normalized(item)) return true;
        return false;
    }
    // An item of another type is compared as a dyn value: 2.5 is not in an
    // _intArr holding 2.
    template <class T>
    bool in(const T &item) const {
        dyn wanted(item);
        for (const Element &e : items)
            if (vel_equal(dyn(self().normalized(e)), wanted)) return true;
        return false;
    }
    vel_ctext toString() const;
    vel_ctext toString(const text &separator) const { return join(separator); }

    void reset() {
        cursor = 0;
        stepPending = false;
    }
    bool inBound() {
        if (stepPending) ++cursor;
        stepPending = false;
        return cursor < items.size();
    }
    int key() const { return static_cast<int>(cursor); }
    Element value() const { return at(static_cast<int>(cursor)); }
    void bound() { stepPending = true; }
    bool walkAt(std::size_t position) const {
        cursor = position;
        stepPending = false;
        return position < items.size();
    }

    void push(const Element &item) { items.push_back(self().normalized(item)); }
    int find(const Element &item) const {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (self().normalized(items[i]) == self().normalized(item)) return static_cast<int>(i);
        return -1;
    }

    // The built-in array methods, as velarray has them; an element taken
    // out (pop, min, ...) is a dyn, nil when there is none. Defined in
    // builtin_methods.hpp.
    template <class T>
    void push(const T &item);
    template <class T>
    void unshift(const T &item);
    template <class T>
    void insert(int position, const T &item);
    template <class T>
    int find(const T &item) const;
    template <class T>
    int findLast(const T &item) const;
    dyn pop();
    dyn shift();
    void splice(int position, int count);
    text join(const text &separator) const { return toArray().join(separator); }
    text toText(const text &separator = text(", ")) const { return join(separator); }
    velarray keys() const { return toArray().keys(); }
    velarray reverse() const { return toArray().reverse(); }
    Derived values() const { return self(); }
    Derived unique() const;
    void sort(int descending = 0);
    void rsort(int ascending = 0) { sort(ascending ? 0 : 1); }
    void rSort(int ascending = 0) { rsort(ascending); }
    void kSort() {}
    // Typed arrays hold no nil, so there is nothing to pack.
    void pack() {}
    double sum() const;
    dyn min() const { return toArray().min(); }
    dyn max() const { return toArray().max(); }
    dyn rand() const { return toArray().rand(); }
    dyn begin();
    dyn end();
    dyn inc();
    dyn dec();
    int index() const { return vel_cursor_index(cursor, stepPending, items.size()); }
    void display() const { vel_out << toString() << '\n'; }
    bool store(const text &fileName) const { return vel_store_value(fileName, dyn(toArray())); }
    bool load(const text &fileName, int append = 0);
    // Each result becomes an element again.
    Derived map(function f) const;
    template <class R, class P>
    Derived map(R (*f)(P)) const;
    // The receiver after the merge, as a dyn.
    dyn merge(const dyn &other);

    Derived &operator+=(const Derived &other) {
        Store appended(other.items);  // other may be this array
        for (const Element &e : appended) push(e);
        return self();
    }
    // Appends the elements of an array, typed array or dict, or one value.
    template <class T>
    Derived &operator+=(const T &value) {
        vel_each_element_of(vel_as_dyn(value), [this](const dyn &e) { push(self().fromDyn(e)); });
        return self();
    }
    // Removes every element equal to the value or to one of its elements.
    template <class T>
    Derived &operator-=(const T &value) {
        velarray removed = vel_elements_of(dyn(value));
        Store kept;
        for (const Element &e : items)
            if (!removed.in(dyn(self().normalized(e)))) kept.push_back(e);
        items.swap(kept);
        return self();
    }
    Derived &operator-=(const Derived &other) {
        Store kept;
        for (const Element &e : items)
            if (!other.in(e)) kept.push_back(e);
        items.swap(kept);
        return self();
    }
    Derived &operator&=(const Derived &other) {
        Derived result = self().emptyLike();
        for (const Element &e : items)
            if (other.in(e) && !result.in(e)) result.items.push_back(e);
        items.swap(result.items);
        return self();
    }
    Derived &operator|=(const Derived &other) {
        Derived result = self().emptyLike();
        for (const Element &e : items)
            if (!result.in(e)) result.items.push_back(e);
        for (const Element &e : other.items)
            if (!result.in(e)) result.items.push_back(self().normalized(e));
        items.swap(result.items);
        return self();
    }
    Derived &operator^=(const Derived &other) {
        Derived result = self().emptyLike();
        for (const Element &e : items)
            if (!other.in(e) && !result.in(e)) result.items.push_back(e);
        for (const Element &e : other.items)
            if (!in(e) && !result.in(e)) result.items.push_back(self().normalized(e));
        items.swap(result.items);
        return self();
    }
    template <class T>
    friend Derived operator+(Derived a, const T &value) {
        return a += value;
    }
    template <class T>
    friend Derived operator-(Derived a, const T &value) {
        return a -= value;
    }
    friend Derived operator-(Derived a, const Derived &b) { return a -= b; }
    friend Derived operator&(Derived a, const Derived &b) { return a &= b; }
    friend Derived operator|(Derived a, const Derived &b) { return a |= b; }
    friend Derived operator^(Derived a, const Derived &b) { return a ^= b; }
    friend bool operator==(const Derived &a, const Derived &b) { return a.items == b.items; }
    friend bool operator!=(const Derived &a, const Derived &b) { return !(a.items == b.items); }
    friend std::ostream &operator<<(std::ostream &out, const Derived &a) { return out << a.toString(); }
    friend vel_output &operator<<(vel_output &out, const Derived &a) { return out << a.toString(); }

    velarray toArray() const;

protected:
    Element convertedElement(const Element &value, std::true_type) const { return self().normalized(value); }
    template <class T>
    Element convertedElement(const T &value, std::false_type) const {
        return convertedOther(value, vel_is_plain_number<T>());
    }
    // A number is converted as its dyn would be, without making the dyn.
    template <class T>
    Element convertedOther(const T &value, std::true_type) const {
        return self().fromNumber(value);
    }
    template <class T>
    Element convertedOther(const T &value, std::false_type) const {
        return self().fromDyn(dyn(value));
    }
    void sortElements(int descending, std::true_type);
    void sortElements(int descending, std::false_type);
    Element &pinnedSlot(int index) {
        items.pin();
        if (static_cast<unsigned>(index) >= items.size()) grow(index);
        return items[static_cast<std::size_t>(index)];
    }
    // The cases that at() and setAt() keep out of their inline test: an
    // element past the block of a pinned array, an index past the end
    // (reading gives the blank element, writing grows the array) or negative.
    // A read of plain numbers stays inline, without a call: a call in a
    // loop would make GCC keep the loop's sums in memory rather than in
    // registers the call may clobber. Under WebAssembly a call there costs
    // as much even when it is never made: a real[] read in a loop that
    // calls nothing else (spectral-norm) ran 1.35x the time with one. An
    // int[] read under WebAssembly calls all the same: its inline path (the
    // chunks of a pinned array) made each read of a loop that also writes,
    // and so has calls already (fannkuch-redux's flips), long enough to run
    // 10% slower, and the other benchmark programs of int[] ran as fast
    // either way.
    Element atOutside(std::size_t at, std::true_type) const {
#ifdef __wasm__
        if (std::is_same<Element, int>::value) return atOutsideOutOfLine(at);
#endif
        return at < items.size() ? self().normalized(items[at]) : self().blank();
    }
    __attribute__((noinline)) Element atOutsideOutOfLine(std::size_t at) const {
        return at < items.size() ? self().normalized(items[at]) : self().blank();
    }
    __attribute__((noinline)) Element atOutside(std::size_t at, std::false_type) const {
        return outside(static_cast<int>(at));
    }
    Element outside(int index) const {
        if (static_cast<unsigned>(index) >= items.size()) return self().blank();
        return self().normalized(items[static_cast<std::size_t>(index)]);
    }
    // Stores an element already converted and normalized. The element in
    // the block is reached by its index, not by an address that might be
    // null: GCC then joins the range test and the store without a test of
    // the address, which costs two instructions per element in a loop.
    void put(int index, Element value) {
        items.reach(static_cast<std::size_t>(index), [&value](Element &element) { element = std::move(value); },
                    [this, index, &value] { putOutside(index, std::move(value)); });
    }
    __attribute__((noinline)) void putOutside(int index, Element value) {
        if (static_cast<unsigned>(index) >= items.size()) grow(index);
        items[static_cast<std::size_t>(index)] = std::move(value);
    }
    void grow(int index) {
        if (index < 0) vel_fatal("negative index " + std::to_string(index));
        items.resize(static_cast<std::size_t>(index) + 1, self().blank());
    }
    Derived &self() { return static_cast<Derived &>(*this); }
    const Derived &self() const { return static_cast<const Derived &>(*this); }

    Store items;
    // A loop puts the cursor where it is before each round, over a
    // constant container as well: the cursor is no part of the value.
    mutable std::size_t cursor = 0;
    mutable bool stepPending = false;

    template <class Array>
    friend class vel_block_view;
};

// A loop's view of a number array whose body reads and writes its elements
// and pushes onto it, and does nothing else that could see, grow or move it
// (velc checks the body). The block's address, count and room are copied
// into the view, a local the compiler keeps in registers, where the array's
// own fields live in memory around every out-of-line call. An element in the
// block is one compare away (a negative index widens past any count) and a
// push with room one store; everything else is the array's own out-of-line
// path, which the view first tells how many elements it pushed (settle) and
// after which it looks again, since a write or push may grow or move the
// block. Leaving the loop, by its end, a break or an exception, settles too.
// The block is marked the likely way, so that GCC keeps it in the loop's
// straight line and moves the array's own path out of it.
template <class Array>
class vel_block_view {
public:
    using Element = typename Array::element_type;

    explicit vel_block_view(Array &array) : array(array) { look(); }
    vel_block_view(const vel_block_view &) = delete;
    vel_block_view &operator=(const vel_block_view &) = delete;
    ~vel_block_view() { settle(); }

    Element at(int index) {
        std::size_t place = static_cast<std::size_t>(index);
        if (__builtin_expect(place < filled, 1)) return array.normalized(base[place]);
        settle();
        return array.atOutside(place, std::is_trivially_copyable<Element>());
    }
    Element at(const dyn &index) {
        settle();
        return array.at(index);
    }
    void setAt(int index, const Element &value) { store(index, array.normalized(value)); }
    template <class T>
    void setAt(int index, const T &value) {
        store(index, array.elementOf(value));
    }
    template <class T>
    void setAt(const dyn &index, const T &value) {
        setAt(dyn::toInt(index), value);
    }
    void push(const Element &item) { append(array.normalized(item)); }
    template <class T>
    void push(const T &item) {
        append(array.elementOf(item));
    }

private:
    void store(int index, Element value) {
        std::size_t place = static_cast<std::size_t>(index);
        if (__builtin_expect(place < filled, 1)) {
            base[place] = std::move(value);
            return;
        }
        settle();
        array.putOutside(index, std::move(value));
        look();
    }
    void append(Element value) {
        if (__builtin_expect(filled < room, 1)) {
            base[filled++] = std::move(value);
            return;
        }
        settle();
        array.items.push_back(std::move(value));
        look();
    }
    void settle() {
        if (filled != settled) array.items.setBlockCount(settled = filled);
    }
    void look() {
        base = array.items.blockStart();
        filled = settled = array.items.blockCount();
        room = array.items.blockRoom();
    }

    Array &array;
    Element *base = nullptr;
    std::size_t filled = 0;   // elements in the block, pushes included
    std::size_t settled = 0;  // the count the array itself holds
    std::size_t room = 0;
};

// The view of a loop over an array, as velc declares it: "auto v=vel_block_view_of(a);".
template <class Array>
vel_block_view<Array> vel_block_view_of(Array &array) {
    return vel_block_view<Array>(array);
}

class _intArr : public vel_typed_array<_intArr, int> {
public:
    _intArr() = default;
    explicit _intArr(int single) { items.push_back(single); }
    _intArr(std::initializer_list<int> list) { items.assign(list.begin(), list.end()); }
    explicit _intArr(const velarray &array);
    explicit _intArr(const dyn &value);
    int blank() const { return 0; }
    int normalized(int v) const { return v; }
    // An integer inline (the elements of a row read out of an array of
    // arrays), any other value as dyn::toInt converts it.
    int fromDyn(const dyn &v) const { return v.kind() == dyn::INTEGER ? fromNumber(v.holdsInteger()) : dyn::toInt(v); }
    // As fromDyn(dyn(v)): clamped into int.
    template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
    int fromNumber(T v) const {
        long long n = static_cast<long long>(v);
        return n > 2147483647LL ? 2147483647 : (n < -2147483647LL - 1 ? -2147483647 - 1 : static_cast<int>(n));
    }
    int fromNumber(double v) const;
    _intArr emptyLike() const { return _intArr(); }
};

class _arr32 : public vel_typed_array<_arr32, dyn> {
public:
    _arr32() = default;
    explicit _arr32(const text &single) { items.push_back(dyn(single)); }
    explicit _arr32(const char *single) { items.push_back(dyn(text(single))); }
    explicit _arr32(void *single) { items.push_back(dyn(single)); }
    explicit _arr32(const _arr32 *other);
    _arr32(std::initializer_list<dyn> list);
    explicit _arr32(const velarray &array);
    explicit _arr32(const dyn &value);
    dyn blank() const { return dyn(text()); }
    dyn normalized(const dyn &v) const;
    dyn fromDyn(const dyn &v) const { return normalized(v); }
    template <class T>
    dyn fromNumber(const T &v) const {
        return normalized(dyn(v));
    }
    // The element itself rather than a copy, "" out of range.
    const dyn &at(int index) const {
        if (static_cast<unsigned>(index) < items.size()) {
            const dyn &element = items[static_cast<std::size_t>(index)];
            if (element.kind() == dyn::TEXT || element.kind() == dyn::POINTER) return element;
        }
        return normalizedAt(index);
    }
    const dyn &at(const dyn &index) const;
    _arr32 emptyLike() const { return _arr32(); }
    // For collections of cycles: the objects among the elements, while no
    // copy shares them.
    void vel_trace(vel_tracer &tracer) {
        if (!items.visitUnshared([&tracer](dyn &element) { element.vel_trace(tracer); })) tracer.passedShared();
    }

private:
    // at() for an index out of range or an element still to be made a text.
    const dyn &normalizedAt(int index) const;
};

inline void vel_trace_field(vel_tracer &tracer, _arr32 &array) { array.vel_trace(tracer); }

// The arrays of numbers of 64 bits: _array64 (reals, for real[] and
// number[]) and _natArr (naturals). Each element is its number, 8 bytes, so
// that reading one in range is a compare and a load.
template <class Number>
class vel_number_array : public vel_typed_array<vel_number_array<Number>, Number> {
public:
    vel_number_array() = default;
    // The generated spellings name the element type as a tag and a starting
    // room; the class already tells the type, and the room grows as needed.
    vel_number_array(int, int) {}
    vel_number_array(int, double single) { this->items.push_back(fromNumber(single)); }
    vel_number_array(int, natural single) { this->items.push_back(fromNumber(single)); }
    vel_number_array(int, std::initializer_list<Number> list) { this->items.assign(list.begin(), list.end()); }
    vel_number_array(std::initializer_list<double> list) {
        for (double e : list) this->items.push_back(fromNumber(e));
    }
    vel_number_array(int, const velarray &array) {
        for (const dyn &e : array.elements()) this->items.push_back(fromDyn(e));
    }
    explicit vel_number_array(const velarray &array) : vel_number_array(0, array) {}
    // The elements of a dyn holding an array or dict, or the value itself.
    vel_number_array(int, const dyn &value) {
        if (!value.isNil()) *this += value;
    }
    int tag() const { return std::is_same<Number, natural>::value ? TYPE_NATURAL : TYPE_NUMBER; }
    Number fromDyn(const dyn &v) const;
    // As fromDyn(dyn(v)).
    template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
    Number fromNumber(T v) const {
        return static_cast<Number>(v);
    }
    Number fromNumber(double v) const;
    Number blank() const { return 0; }
    Number normalized(Number v) const { return v; }
    vel_number_array emptyLike() const { return vel_number_array(); }
};

template <>
double vel_number_array<double>::fromNumber(double v) const;
template <>
natural vel_number_array<natural>::fromNumber(double v) const;
template <>
double vel_number_array<double>::fromDyn(const dyn &v) const;
template <>
natural vel_number_array<natural>::fromDyn(const dyn &v) const;

// Template members that need the complete classes above.
template <class Derived, class Element>
vel_typed_slice<Derived> vel_typed_array<Derived, Element>::slice(int lo, int hi, int inclusive) const {
    Derived result = self().emptyLike();
    long last = hi < 0 ? static_cast<long>(items.size()) - 1 : (inclusive ? hi : static_cast<long>(hi) - 1);
    if (last >= static_cast<long>(items.size())) last = static_cast<long>(items.size()) - 1;
    for (long i = lo < 0 ? 0 : lo; i <= last; ++i) result.items.push_back(items[static_cast<std::size_t>(i)]);
    return vel_typed_slice<Derived>(std::move(result));
}

template <class Derived, class Element>
vel_ctext vel_typed_array<Derived, Element>::toString() const {
    return text(toArray());
}

template <class Derived, class Element>
velarray vel_typed_array<Derived, Element>::toArray() const {
    std::vector<dyn> converted;
    converted.reserve(items.size());
    for (const Element &e : items) converted.push_back(dyn(self().normalized(e)));
    return velarray(std::move(converted));
}
