// The typed arrays and their 64-bit numeric element.
#include "velmora/libvel.hpp"

#include <cmath>

vel_num64 vel_num64::ofNatural(natural number) {
    vel_num64 result;
    result.holdsNatural = true;
    result.whole = number;
    result.real = static_cast<double>(number);
    return result;
}

vel_num64 vel_num64::withTag(int tag, const vel_num64 &value) {
    if (tag == TYPE_NATURAL) return value.holdsNatural ? value : ofNatural(naturalval(value.real));
    return vel_num64(static_cast<double>(value));
}

vel_num64::operator natural() const { return holdsNatural ? whole : naturalval(real); }

bool operator==(const vel_num64 &a, const vel_num64 &b) {
    if (a.isNatural() && b.isNatural()) return static_cast<natural>(a) == static_cast<natural>(b);
    return static_cast<double>(a) == static_cast<double>(b);
}

text::text(const vel_num64 &number) {
    if (number.isNatural())
        data = std::to_string(static_cast<natural>(number));
    else
        *this = text(static_cast<double>(number));
}

text operator+(const text &a, const vel_num64 &b) { return a + text(b); }

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

// The capacity is only a hint; the elements live in chunks.
_array64::_array64(int tag, int) : elementTag(tag) {}

_array64::_array64(int tag, double single) : elementTag(tag) { push(vel_num64(single)); }

_array64::_array64(int tag, natural single) : elementTag(tag) { push(vel_num64::ofNatural(single)); }

_array64::_array64(int tag, std::initializer_list<vel_num64> list) : elementTag(tag) {
    for (const vel_num64 &e : list) push(e);
}

_array64::_array64(std::initializer_list<double> list) {
    for (double e : list) push(vel_num64(e));
}

_array64::_array64(int tag, const velarray &array) : elementTag(tag) {
    for (const dyn &e : array.elements())
        push(tag == TYPE_NATURAL ? vel_num64::ofNatural(dyn::toNatural(e)) : vel_num64(dyn::toReal(e)));
}

_array64::_array64(const velarray &array) : _array64(TYPE_NUMBER, array) {}

_array64::_array64(int tag, const dyn &value) : elementTag(tag) {
    if (!value.isNil()) *this += value;
}

int _intArr::fromNumber(double v) const { return intval(v); }

vel_num64 _array64::fromNumber(double v) const {
    return elementTag == TYPE_NATURAL ? vel_num64::ofNatural(naturalval(v)) : vel_num64(v);
}

vel_num64 _array64::fromDyn(const dyn &v) const {
    return elementTag == TYPE_NATURAL ? vel_num64::ofNatural(dyn::toNatural(v)) : vel_num64(dyn::toReal(v));
}
