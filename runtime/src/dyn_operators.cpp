// Arithmetic, bit, comparison and compound operators of dyn values.
#include "velmora/libvel.hpp"

#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

// A dyn value seen as a number: an integer, a natural or a real.
struct Number {
    enum Kind { INTEGER, NATURAL, REAL } kind = INTEGER;
    long long integer = 0;
    natural whole = 0;
    double real = 0;

    double asReal() const {
        if (kind == REAL) return real;
        return kind == NATURAL ? static_cast<double>(whole) : static_cast<double>(integer);
    }
    unsigned long long bits() const {
        if (kind == NATURAL) return whole;
        return static_cast<unsigned long long>(kind == REAL ? dyn::toInt64(dyn(real)) : integer);
    }
};

Number numberOf(const dyn &value) {
    Number n;
    switch (value.kind()) {
    case dyn::REAL:
        n.kind = Number::REAL;
        n.real = value.holdsReal();
        break;
    case dyn::NATURAL:
        n.kind = Number::NATURAL;
        n.whole = value.holdsNatural();
        break;
    case dyn::TEXT: {
        const std::string &s = value.asText()->data;
        if (s.find_first_of(".eEnNiI") != std::string::npos) {
            n.kind = Number::REAL;
            n.real = doubleval(s);
        } else {
            n.integer = dyn::toInt64(value);
        }
        break;
    }
    default: n.integer = dyn::toInt64(value); break;
    }
    return n;
}

long long wrapAdd(long long a, long long b) {
    return static_cast<long long>(static_cast<unsigned long long>(a) + static_cast<unsigned long long>(b));
}
long long wrapSub(long long a, long long b) {
    return static_cast<long long>(static_cast<unsigned long long>(a) - static_cast<unsigned long long>(b));
}
long long wrapMul(long long a, long long b) {
    return static_cast<long long>(static_cast<unsigned long long>(a) * static_cast<unsigned long long>(b));
}

// Applies one arithmetic operator with the usual promotion: a real operand
// makes the result real, two naturals give a natural, anything else an integer.
template <class IntegerOp, class NaturalOp, class RealOp>
dyn arithmetic(const dyn &a, const dyn &b, IntegerOp onIntegers, NaturalOp onNaturals, RealOp onReals) {
    Number x = numberOf(a), y = numberOf(b);
    if (x.kind == Number::REAL || y.kind == Number::REAL) return dyn(onReals(x.asReal(), y.asReal()));
    if (x.kind == Number::NATURAL && y.kind == Number::NATURAL) return dyn(onNaturals(x.whole, y.whole));
    long long left = x.kind == Number::NATURAL ? static_cast<long long>(x.whole) : x.integer;
    long long right = y.kind == Number::NATURAL ? static_cast<long long>(y.whole) : y.integer;
    return dyn(onIntegers(left, right));
}

bool isContainer(const dyn &v) { return v.kind() == dyn::ARRAY || v.kind() == dyn::DICT; }

int sign(long long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int compareNumbers(const Number &x, const Number &y) {
    if (x.kind == Number::REAL || y.kind == Number::REAL) {
        double l = x.asReal(), r = y.asReal();
        return l < r ? -1 : (l > r ? 1 : 0);
    }
    if (x.kind == Number::NATURAL && y.kind == Number::NATURAL) return x.whole < y.whole ? -1 : (x.whole > y.whole);
    if (x.kind == Number::NATURAL) return y.integer < 0 ? 1 : (x.whole < static_cast<natural>(y.integer) ? -1 : (x.whole > static_cast<natural>(y.integer)));
    if (y.kind == Number::NATURAL) return -compareNumbers(y, x);
    return x.integer < y.integer ? -1 : (x.integer > y.integer);
}

int compareArrays(const velarray &a, const velarray &b) {
    for (int i = 0; i < a.size() && i < b.size(); ++i) {
        int order = vel_compare(a.at(i), b.at(i));
        if (order != 0) return order;
    }
    return sign(static_cast<long long>(a.size()) - b.size());
}

}  // namespace

dyn operator+(const dyn &a, const dyn &b) {
    // Counters and sums: two integers need none of the tests below.
    if (a.kind() == dyn::INTEGER && b.kind() == dyn::INTEGER) return dyn(wrapAdd(a.holdsInteger(), b.holdsInteger()));
    if (a.kind() == dyn::ARRAY) {
        if (b.kind() == dyn::ARRAY) return dyn(*a.asArray() + *b.asArray());
        return dyn(*a.asArray() + b);
    }
    if (a.kind() == dyn::DICT && b.kind() == dyn::DICT) return dyn(*a.asDict() + *b.asDict());
    if (a.isNil()) return b;
    if (b.isNil()) return a;
    if (a.kind() == dyn::TEXT || b.kind() == dyn::TEXT) return dyn(dyn::toText(a) + dyn::toText(b));
    return arithmetic(a, b, wrapAdd, std::plus<natural>(), std::plus<double>());
}

dyn operator-(const dyn &a, const dyn &b) {
    if (a.kind() == dyn::ARRAY) {
        if (b.kind() == dyn::ARRAY) return dyn(*a.asArray() - *b.asArray());
        return dyn(*a.asArray() - b);
    }
    if (a.kind() == dyn::DICT) {
        dict rest(*a.asDict());
        rest.remove(b);
        return dyn(rest);
    }
    return arithmetic(a, b, wrapSub, std::minus<natural>(), std::minus<double>());
}

dyn operator*(const dyn &a, const dyn &b) {
    return arithmetic(a, b, wrapMul, std::multiplies<natural>(), std::multiplies<double>());
}

// Always a real. Integers (naturals, booleans) divided by the integer 0 are a
// run-time error; with a real operand the IEEE rules hold.
dyn operator/(const dyn &a, const dyn &b) {
    Number x = numberOf(a), y = numberOf(b);
    if (x.kind != Number::REAL && y.kind != Number::REAL && (y.kind == Number::NATURAL ? y.whole : y.integer) == 0)
        vel_fatal("division by zero");
    return dyn(x.asReal() / y.asReal());
}

dyn operator%(const dyn &a, const dyn &b) {
    auto integerModulo = [](long long x, long long y) -> long long {
        if (y == 0) vel_fatal("modulo by zero");
        return y == -1 ? 0 : x % y;
    };
    auto naturalModulo = [](natural x, natural y) -> natural {
        if (y == 0) vel_fatal("modulo by zero");
        return x % y;
    };
    auto realModulo = [](double x, double y) { return std::fmod(x, y); };
    return arithmetic(a, b, integerModulo, naturalModulo, realModulo);
}

dyn _vel_mod(const dyn &a, const dyn &b, const vel_place &where) {
    vel_error_place place(where);
    return a % b;
}
dyn _vel_div(const dyn &a, const dyn &b, const vel_place &where) {
    vel_error_place place(where);
    return a / b;
}

namespace {

template <class Op>
dyn bitwise(const dyn &a, const dyn &b, Op op) {
    Number x = numberOf(a), y = numberOf(b);
    unsigned long long result = op(x.bits(), y.bits());
    if (x.kind == Number::NATURAL && y.kind == Number::NATURAL) return dyn(static_cast<natural>(result));
    return dyn(static_cast<long long>(result));
}

}  // namespace

dyn operator&(const dyn &a, const dyn &b) {
    if (a.kind() == dyn::ARRAY && b.kind() == dyn::ARRAY) return dyn(*a.asArray() & *b.asArray());
    if (a.kind() == dyn::DICT && b.kind() == dyn::DICT) return dyn(*a.asDict() & *b.asDict());
    return bitwise(a, b, std::bit_and<unsigned long long>());
}

dyn operator|(const dyn &a, const dyn &b) {
    if (a.kind() == dyn::ARRAY && b.kind() == dyn::ARRAY) return dyn(*a.asArray() | *b.asArray());
    if (a.kind() == dyn::DICT && b.kind() == dyn::DICT) return dyn(*a.asDict() | *b.asDict());
    return bitwise(a, b, std::bit_or<unsigned long long>());
}

dyn operator^(const dyn &a, const dyn &b) {
    if (a.kind() == dyn::ARRAY && b.kind() == dyn::ARRAY) return dyn(*a.asArray() ^ *b.asArray());
    if (a.kind() == dyn::DICT && b.kind() == dyn::DICT) return dyn(*a.asDict() ^ *b.asDict());
    return bitwise(a, b, std::bit_xor<unsigned long long>());
}

dyn operator<<(const dyn &a, const dyn &b) {
    return bitwise(a, b, [](unsigned long long x, unsigned long long n) { return x << (n & 63); });
}

dyn operator>>(const dyn &a, const dyn &b) {
    Number x = numberOf(a);
    unsigned shift = static_cast<unsigned>(numberOf(b).bits() & 63);
    if (x.kind == Number::NATURAL) return dyn(static_cast<natural>(x.whole >> shift));
    long long value = dyn::toInt64(a);
    // An arithmetic shift, written so that it does not depend on how the
    // compiler shifts negative numbers.
    if (value < 0) return dyn(static_cast<long long>(~(~static_cast<unsigned long long>(value) >> shift)));
    return dyn(value >> shift);
}

dyn operator-(const dyn &a) {
    Number x = numberOf(a);
    if (x.kind == Number::REAL) return dyn(-x.real);
    long long value = x.kind == Number::NATURAL ? static_cast<long long>(x.whole) : x.integer;
    return dyn(wrapSub(0, value));
}

dyn operator+(const dyn &a) {
    Number x = numberOf(a);
    if (x.kind == Number::REAL) return dyn(x.real);
    return x.kind == Number::NATURAL ? dyn(x.whole) : dyn(x.integer);
}

dyn operator~(const dyn &a) {
    Number x = numberOf(a);
    if (x.kind == Number::NATURAL) return dyn(static_cast<natural>(~x.whole));
    return dyn(static_cast<long long>(~x.bits()));
}

bool operator!(const dyn &a) { return !dyn::toBoolean(a); }

double fmod(const dyn &a, const dyn &b) { return std::fmod(dyn::toReal(a), dyn::toReal(b)); }

text vel_join_texts(const text &a, const dyn &b) { return a + dyn::toText(b); }
text vel_join_texts(const dyn &a, const text &b) { return dyn::toText(a) + b; }

int vel_compare(const dyn &a, const dyn &b) {
    bool aNumeric = a.isNumeric(), bNumeric = b.isNumeric();
    if (aNumeric && bNumeric) return compareNumbers(numberOf(a), numberOf(b));
    if (a.kind() == dyn::TEXT && b.kind() == dyn::TEXT) return vel_compare_texts(*a.asText(), *b.asText());
    if ((aNumeric && b.kind() == dyn::TEXT) || (bNumeric && a.kind() == dyn::TEXT)) {
        const text &t = a.kind() == dyn::TEXT ? *a.asText() : *b.asText();
        if (t.isNumber()) return compareNumbers(numberOf(a), numberOf(b));
        return vel_compare_texts(dyn::toText(a), dyn::toText(b));
    }
    if (a.kind() != b.kind()) return a.kind() < b.kind() ? -1 : 1;
    switch (a.kind()) {
    case dyn::ARRAY: return compareArrays(*a.asArray(), *b.asArray());
    case dyn::DICT:
        if (*a.asDict() == *b.asDict()) return 0;
        return compareArrays(a.asDict()->values(), b.asDict()->values()) < 0 ? -1 : 1;
    case dyn::PAIR: {
        int order = vel_compare(a.asPair()->key, b.asPair()->key);
        return order != 0 ? order : vel_compare(a.asPair()->value, b.asPair()->value);
    }
    case dyn::POINTER:
        if (a.rawPointer() == b.rawPointer()) return 0;
        return std::less<void *>()(a.rawPointer(), b.rawPointer()) ? -1 : 1;
    default: return 0;
    }
}

bool vel_equal(const dyn &a, const dyn &b) {
    if (a.kind() == dyn::DICT && b.kind() == dyn::DICT) return *a.asDict() == *b.asDict();
    if (isContainer(a) != isContainer(b)) return false;
    return vel_compare(a, b) == 0;
}

dyn &dyn::addOtherwise(const dyn &other) { return *this = *this + other; }
dyn &dyn::operator-=(const dyn &other) { return *this = *this - other; }
dyn &dyn::operator*=(const dyn &other) { return *this = *this * other; }
dyn &dyn::operator/=(const dyn &other) { return *this = *this / other; }
dyn &dyn::operator%=(const dyn &other) { return *this = *this % other; }
dyn &dyn::operator&=(const dyn &other) { return *this = *this & other; }
dyn &dyn::operator|=(const dyn &other) { return *this = *this | other; }
dyn &dyn::operator^=(const dyn &other) { return *this = *this ^ other; }
dyn &dyn::operator<<=(const dyn &other) { return *this = *this << other; }
dyn &dyn::operator>>=(const dyn &other) { return *this = *this >> other; }

dyn &dyn::operator++() { return *this = +*this + dyn(1); }
dyn dyn::operator++(int) {
    dyn old(*this);
    ++*this;
    return old;
}
dyn &dyn::operator--() { return *this = +*this - dyn(1); }
dyn dyn::operator--(int) {
    dyn old(*this);
    --*this;
    return old;
}
