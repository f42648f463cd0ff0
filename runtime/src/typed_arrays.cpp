// The typed arrays and their 64-bit numeric element.
#include "velmora/libvel.hpp"

#include <cmath>

// --------------------------------------------------------------------------

_intArr::_intArr(const velarray &array) {
    for (const dyn &e : array.elements()) items.push_back(dyn::toInt(e));
}

// Nil gives an empty array; any other value gives its elements (vel_elements_of).
_intArr::_intArr(const dyn &value) {
    if (!value.isNil()) *this += value;
}

_arr32::_arr32(const _arr32 *other) {
    if (other != nullptr) items = other->items;
}

_arr32::_arr32(std::initializer_list<dyn> list) {
    for (const dyn &e : list) items.push_back(normalized(e));
}

_arr32::_arr32(const velarray &array) {
    for (const dyn &e : array.elements()) items.push_back(normalized(e));
}

// Elements are texts or pointers; anything else is kept as its text.
dyn _arr32::normalized(const dyn &v) const {
    if (v.kind() == dyn::TEXT || v.kind() == dyn::POINTER) return v;
    return dyn(dyn::toText(v));
}

namespace {

const dyn &blankText() {
    static const dyn blank{text()};
    return blank;
}

}  // namespace

// Every write stores the normalized form, except one through operator[]:
// such an element is normalized here, as every read would see it anyway.
const dyn &_arr32::normalizedAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return blankText();
    const dyn &element = items[static_cast<std::size_t>(index)];
    if (element.kind() != dyn::TEXT && element.kind() != dyn::POINTER)
        const_cast<dyn &>(element) = normalized(element);
    return element;
}

const dyn &_arr32::at(const dyn &index) const { return index.isNumeric() ? at(dyn::toInt(index)) : blankText(); }

_arr32::_arr32(const dyn &value) {
    if (!value.isNil()) *this += value;
}

int _intArr::fromNumber(double v) const { return intval(v); }

template <>
double vel_number_array<double>::fromNumber(double v) const {
    return v;
}

template <>
natural vel_number_array<natural>::fromNumber(double v) const {
    return naturalval(v);
}

template <>
double vel_number_array<double>::fromDyn(const dyn &v) const {
    return dyn::toReal(v);
}

template <>
natural vel_number_array<natural>::fromDyn(const dyn &v) const {
    return dyn::toNatural(v);
}
