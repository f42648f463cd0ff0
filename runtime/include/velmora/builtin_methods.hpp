#pragma once
// Templates of the built-in methods: those of the typed arrays, and map with
// a typed function pointer on velarray, dict and dyn. Included at the end of
// libvel.hpp, where every class is complete.
#include "containers.hpp"

#include <algorithm>
#include <numeric>
#include <type_traits>
#include <vector>

// A function given to map as a `function` value is called as a function
// taking a var and returning a var; a null one gives the element back.
dyn vel_call_function(function f, const dyn &element);

// An element handed to a typed function of map, as the function's parameter
// type wants it.
inline int vel_argument_as(const dyn &v, int *) { return dyn::toInt(v); }
inline long long vel_argument_as(const dyn &v, long long *) { return dyn::toInt64(v); }
inline double vel_argument_as(const dyn &v, double *) { return dyn::toReal(v); }
inline natural vel_argument_as(const dyn &v, natural *) { return dyn::toNatural(v); }
inline bool vel_argument_as(const dyn &v, bool *) { return dyn::toBoolean(v); }
inline text vel_argument_as(const dyn &v, text *) { return dyn::toText(v); }
inline velarray vel_argument_as(const dyn &v, velarray *) { return dyn::toArray(v); }
inline dict vel_argument_as(const dyn &v, dict *) { return dyn::toDict(v); }
inline const dyn &vel_argument_as(const dyn &v, dyn *) { return v; }

template <class R, class P>
dyn vel_call_mapped(R (*f)(P), const dyn &element) {
    if (f == nullptr) return element;
    return dyn(f(vel_argument_as(element, static_cast<typename std::decay<P>::type *>(nullptr))));
}

// The function may change the array being mapped, so each element is copied
// out by its position before the call.
template <class R, class P>
velarray velarray::map(R (*f)(P)) const {
    velarray result;
    for (std::size_t i = 0; i < items.size(); ++i) {
        dyn element = items[i];
        result.items.push_back(vel_call_mapped(f, element));
    }
    return result;
}

template <class R, class P>
velarray vel_dyn_methods::map(R (*f)(P)) const {
    return dyn::toArray(static_cast<const dyn &>(*this)).map(f);
}

// ---------------------------------------------------------------------------
// Typed arrays

template <class Derived, class Element>
template <class T>
void vel_typed_array<Derived, Element>::push(const T &item) {
    Element converted = elementOf(item);
    items.push_back(converted);
}

template <class Derived, class Element>
template <class T>
void vel_typed_array<Derived, Element>::unshift(const T &item) {
    Element converted = elementOf(item);
    items.push_front(converted);
}

// A position before the start inserts first, one past the end appends.
template <class Derived, class Element>
template <class T>
void vel_typed_array<Derived, Element>::insert(int position, const T &item) {
    Element converted = elementOf(item);
    std::size_t at = position < 0 ? 0 : std::min(items.size(), static_cast<std::size_t>(position));
    items.insert(items.begin() + static_cast<long>(at), converted);
}

template <class Derived, class Element>
template <class T>
int vel_typed_array<Derived, Element>::find(const T &item) const {
    dyn wanted(item);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (vel_equal(dyn(self().normalized(items[i])), wanted)) return static_cast<int>(i);
    return -1;
}

template <class Derived, class Element>
template <class T>
int vel_typed_array<Derived, Element>::findLast(const T &item) const {
    dyn wanted(item);
    for (std::size_t i = items.size(); i > 0; --i)
        if (vel_equal(dyn(self().normalized(items[i - 1])), wanted)) return static_cast<int>(i - 1);
    return -1;
}

template <class Derived, class Element>
dyn vel_typed_array<Derived, Element>::pop() {
    if (items.empty()) return dyn();
    dyn last(self().normalized(items.back()));
    items.pop_back();
    return last;
}

template <class Derived, class Element>
dyn vel_typed_array<Derived, Element>::shift() {
    if (items.empty()) return dyn();
    dyn first(self().normalized(items.front()));
    items.pop_front();
    return first;
}

template <class Derived, class Element>
void vel_typed_array<Derived, Element>::splice(int position, int count) {
    if (count <= 0) return;
    std::size_t first = position < 0 ? 0 : std::min(items.size(), static_cast<std::size_t>(position));
    std::size_t removed = std::min(items.size() - first, static_cast<std::size_t>(count));
    items.erase(items.begin() + static_cast<long>(first), items.begin() + static_cast<long>(first + removed));
}

template <class Derived, class Element>
Derived vel_typed_array<Derived, Element>::unique() const {
    Derived result = self().emptyLike();
    for (const Element &e : items)
        if (!result.in(e)) result.items.push_back(e);
    return result;
}

// Integers are in the order of their values, as dyn values would be; equal
// ones cannot be told apart, so stability does not matter.
template <class Derived, class Element>
void vel_typed_array<Derived, Element>::sortElements(int descending, std::true_type) {
    // Sorted in a contiguous copy and written back, so that std::sort runs on
    // plain pointers and the elements keep their addresses. The ascending
    // order has its own comparison too: with std::less, libc++ takes the
    // std::sort of int it ships compiled, which runs at less than half the
    // speed of this one under wasmer.
    std::vector<Element> values(items.begin(), items.end());
    if (descending)
        std::sort(values.begin(), values.end(), [](Element a, Element b) { return a > b; });
    else
        std::sort(values.begin(), values.end(), [](Element a, Element b) { return a < b; });
    std::copy(values.begin(), values.end(), items.begin());
}

// The elements are compared as dyn values once converted, so that the order
// is that of velarray (NaN last, naturals exact).
template <class Derived, class Element>
void vel_typed_array<Derived, Element>::sort(int descending) {
    sortElements(descending, std::is_integral<Element>());
}

template <class Derived, class Element>
void vel_typed_array<Derived, Element>::sortElements(int descending, std::false_type) {
    std::vector<dyn> keys;
    keys.reserve(items.size());
    for (const Element &e : items) keys.push_back(dyn(self().normalized(e)));
    std::vector<std::size_t> order(items.size());
    std::iota(order.begin(), order.end(), static_cast<std::size_t>(0));
    std::stable_sort(order.begin(), order.end(), [&keys, descending](std::size_t a, std::size_t b) {
        return descending ? vel_sort_compare(keys[b], keys[a]) < 0 : vel_sort_compare(keys[a], keys[b]) < 0;
    });
    Store sorted;
    for (std::size_t i : order) sorted.push_back(items[i]);
    items.swap(sorted);
}

template <class Derived, class Element>
double vel_typed_array<Derived, Element>::sum() const {
    double total = 0;
    for (const Element &e : items) total += dyn::toReal(dyn(self().normalized(e)));
    return total;
}

template <class Derived, class Element>
dyn vel_typed_array<Derived, Element>::begin() {
    vel_move_cursor(cursor, stepPending, items.size(), 0);
    return cursor < items.size() ? dyn(self().normalized(items[cursor])) : dyn();
}

template <class Derived, class Element>
dyn vel_typed_array<Derived, Element>::end() {
    vel_move_cursor(cursor, stepPending, items.size(), 2);
    return cursor < items.size() ? dyn(self().normalized(items[cursor])) : dyn();
}

template <class Derived, class Element>
dyn vel_typed_array<Derived, Element>::inc() {
    vel_move_cursor(cursor, stepPending, items.size(), 1);
    return cursor < items.size() ? dyn(self().normalized(items[cursor])) : dyn();
}

template <class Derived, class Element>
dyn vel_typed_array<Derived, Element>::dec() {
    vel_move_cursor(cursor, stepPending, items.size(), -1);
    return cursor < items.size() ? dyn(self().normalized(items[cursor])) : dyn();
}

// A stored array gives its elements, a dict its values, a single value one
// element; each is converted to the element type.
template <class Derived, class Element>
bool vel_typed_array<Derived, Element>::load(const text &fileName, int append) {
    dyn loaded;
    bool plain = false;
    if (!vel_load_value(fileName, loaded, plain)) return false;
    velarray source = dyn::toArray(loaded);
    if (!append) items.clear();
    for (const dyn &e : source.elements()) items.push_back(self().fromDyn(e));
    return true;
}

template <class Derived, class Element>
Derived vel_typed_array<Derived, Element>::map(function f) const {
    Derived result = self().emptyLike();
    for (std::size_t i = 0; i < items.size(); ++i) {
        dyn element(self().normalized(items[i]));
        result.items.push_back(self().fromDyn(vel_call_function(f, element)));
    }
    return result;
}

template <class Derived, class Element>
template <class R, class P>
Derived vel_typed_array<Derived, Element>::map(R (*f)(P)) const {
    Derived result = self().emptyLike();
    for (std::size_t i = 0; i < items.size(); ++i) {
        dyn element(self().normalized(items[i]));
        result.items.push_back(self().fromDyn(vel_call_mapped(f, element)));
    }
    return result;
}

// An array, typed array or dict gives its elements (a dict its values), nil
// nothing, any other value itself.
template <class Derived, class Element>
dyn vel_typed_array<Derived, Element>::merge(const dyn &other) {
    if (!other.isNil()) {
        velarray added = vel_elements_of(other);
        for (const dyn &e : added.elements()) items.push_back(self().fromDyn(e));
    }
    return dyn(self());
}
