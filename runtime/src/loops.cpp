// The steps of for loops over ranges: _vel_for_step and what _vel_for_next
// does for integer, real and dyn variables.
//
// An integer variable is never moved past the edge of its type: the room left
// in the step's direction is computed as an unsigned distance first, and the
// new value is formed only when the step fits in it. The bound is then
// compared exactly, whatever mix of signed, unsigned and real values the
// variable and the bound are.
#include "velmora/libvel.hpp"

#include <cmath>

namespace {

const int UNORDERED = 2;  // a comparison with NaN
const double TWO_TO_63 = 9223372036854775808.0;
const double TWO_TO_64 = 18446744073709551616.0;

[[noreturn]] void zeroStep() { vel_fatal("for loop step is 0"); }

// The signed value whose two's complement bits are u.
long long toSigned(natural u) {
    return u <= static_cast<natural>(std::numeric_limits<long long>::max()) ? static_cast<long long>(u)
                                                                             : -static_cast<long long>(~u) - 1;
}

double realOf(const vel_loop_number &n) {
    switch (n.kind) {
    case vel_loop_number::REAL: return n.real;
    case vel_loop_number::UNSIGNED: return static_cast<double>(n.whole);
    default: return static_cast<double>(n.integer);
    }
}

vel_loop_number signedNumber(long long v) {
    vel_loop_number n;
    n.integer = v;
    return n;
}
vel_loop_number unsignedNumber(natural v) {
    vel_loop_number n;
    n.kind = vel_loop_number::UNSIGNED;
    n.whole = v;
    return n;
}
vel_loop_number realNumber(double v) {
    vel_loop_number n;
    n.kind = vel_loop_number::REAL;
    n.real = v;
    return n;
}

int order(natural a, natural b) { return a < b ? -1 : (a > b ? 1 : 0); }
int order(long long a, long long b) { return a < b ? -1 : (a > b ? 1 : 0); }

// -1, 0 or 1 as a is below, equal to or above b; both integers.
int compareIntegers(const vel_loop_number &a, const vel_loop_number &b) {
    bool aSigned = a.kind == vel_loop_number::SIGNED, bSigned = b.kind == vel_loop_number::SIGNED;
    if (aSigned && bSigned) return order(a.integer, b.integer);
    if (!aSigned && !bSigned) return order(a.whole, b.whole);
    if (aSigned) return a.integer < 0 ? -1 : order(static_cast<natural>(a.integer), b.whole);
    return b.integer < 0 ? 1 : order(a.whole, static_cast<natural>(b.integer));
}

// -1, 0, 1, or UNORDERED when a real is NaN. Exact: an integer is not
// rounded to a real to be compared with one.
int compareNumbers(const vel_loop_number &a, const vel_loop_number &b) {
    bool aReal = a.kind == vel_loop_number::REAL, bReal = b.kind == vel_loop_number::REAL;
    if (aReal && bReal) {
        if (a.real < b.real) return -1;
        if (a.real > b.real) return 1;
        return a.real == b.real ? 0 : UNORDERED;
    }
    if (aReal) {
        int reversed = compareNumbers(b, a);
        return reversed == UNORDERED ? UNORDERED : -reversed;
    }
    if (!bReal) return compareIntegers(a, b);
    double d = b.real;
    if (d != d) return UNORDERED;
    if (d >= TWO_TO_64) return -1;
    if (d < -TWO_TO_63) return 1;
    double whole = std::floor(d);  // in [-2^63, 2^64): exact as an integer
    vel_loop_number floorOfD =
        whole < 0 ? signedNumber(static_cast<long long>(whole)) : unsignedNumber(static_cast<natural>(whole));
    int c = compareIntegers(a, floorOfD);
    if (c != 0) return c;
    return whole == d ? 0 : -1;
}

// Whether next is still within the bound in the step's direction.
bool withinBound(const vel_loop_number &next, const vel_loop_number &end, bool ascending, bool inclusive) {
    int c = compareNumbers(next, end);
    if (c == UNORDERED) return false;
    if (c == 0) return inclusive;
    return ascending ? c < 0 : c > 0;
}

// How far a step moves an integer variable. A real step counts by its whole
// part; a NaN step has no direction.
struct IntegerStep {
    int direction = 0;  // 1 up, -1 down, 0 none
    natural magnitude = 0;
    bool tooLarge = false;  // 2^64 or more
};

IntegerStep integerStep(const vel_loop_number &step) {
    IntegerStep s;
    switch (step.kind) {
    case vel_loop_number::SIGNED:
        if (step.integer == 0) zeroStep();
        s.direction = step.integer > 0 ? 1 : -1;
        s.magnitude = step.integer > 0 ? static_cast<natural>(step.integer) : 0 - static_cast<natural>(step.integer);
        break;
    case vel_loop_number::UNSIGNED:
        if (step.whole == 0) zeroStep();
        s.direction = 1;
        s.magnitude = step.whole;
        break;
    case vel_loop_number::REAL: {
        double r = step.real;
        if (r != r) return s;
        double whole = std::trunc(std::fabs(r));
        if (whole == 0) zeroStep();  // 0, or a fraction that cannot move an integer
        s.direction = r > 0 ? 1 : -1;
        if (whole >= TWO_TO_64)
            s.tooLarge = true;
        else
            s.magnitude = static_cast<natural>(whole);
        break;
    }
    }
    return s;
}

}  // namespace

vel_loop_number vel_loop_number_of(const dyn &x) {
    switch (x.kind()) {
    case dyn::INTEGER: return signedNumber(x.holdsInteger());
    case dyn::NATURAL: return unsignedNumber(x.holdsNatural());
    case dyn::REAL: return realNumber(x.holdsReal());
    case dyn::BOOLEAN: return signedNumber(x.holdsBoolean() ? 1 : 0);
    case dyn::TEXT:
        // As the arithmetic of dyn values reads a text.
        if (x.asText()->data.find_first_of(".eEnNiI") != std::string::npos) return realNumber(dyn::toReal(x));
        return signedNumber(dyn::toInt64(x));
    default: return signedNumber(dyn::toInt64(x));
    }
}

int _vel_for_step(const dyn &step, const vel_place &where) {
    vel_error_place place(where);
    vel_loop_number n = vel_loop_number_of(step);
    bool zero = n.kind == vel_loop_number::REAL ? n.real == 0
                                                 : (n.kind == vel_loop_number::UNSIGNED ? n.whole == 0 : n.integer == 0);
    if (zero) zeroStep();
    return 1;
}

bool vel_loop_advance(vel_loop_number &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive,
                      long long lowest, natural highest) {
    IntegerStep s = integerStep(step);
    if (s.direction == 0 || s.tooLarge) return false;
    bool up = s.direction > 0;
    bool isUnsigned = now.kind == vel_loop_number::UNSIGNED;
    // Distance to the edge of the variable's type, modulo 2^64: exact, as
    // lowest <= now <= highest and the type is at most 64 bits wide.
    natural position = isUnsigned ? now.whole : static_cast<natural>(now.integer);
    natural room = up ? highest - position : position - static_cast<natural>(lowest);
    if (s.magnitude > room) return false;
    natural moved = up ? position + s.magnitude : position - s.magnitude;
    vel_loop_number next = isUnsigned ? unsignedNumber(moved) : signedNumber(toSigned(moved));
    if (!withinBound(next, end, up, inclusive)) return false;
    now = next;
    return true;
}

bool vel_loop_begins(const vel_loop_number &now, const vel_loop_number &step, const vel_loop_number &end,
                     bool inclusive) {
    bool up;
    switch (step.kind) {
    case vel_loop_number::SIGNED:
        if (step.integer == 0) zeroStep();
        up = step.integer > 0;
        break;
    case vel_loop_number::UNSIGNED:
        if (step.whole == 0) zeroStep();
        up = true;
        break;
    default:
        if (step.real != step.real) return false;  // NaN has no direction
        if (step.real == 0) zeroStep();
        up = step.real > 0;
        break;
    }
    return withinBound(now, end, up, inclusive);
}

bool vel_loop_advance(double &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive) {
    double s = realOf(step);
    if (s != s) return false;
    if (s == 0) zeroStep();
    double next = now + s;
    if (next == now || next != next) return false;  // the step no longer moves the variable
    if (!withinBound(realNumber(next), end, s > 0, inclusive)) return false;
    now = next;
    return true;
}

// A dyn variable keeps its kind (integer or natural) unless the step is a
// real, which makes it a real, as dyn arithmetic does.
bool vel_loop_advance(dyn &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive) {
    vel_loop_number current = vel_loop_number_of(now);
    if (current.kind == vel_loop_number::REAL || step.kind == vel_loop_number::REAL) {
        double r = realOf(current);
        if (!vel_loop_advance(r, step, end, inclusive)) return false;
        now = dyn(r);
        return true;
    }
    if (current.kind == vel_loop_number::UNSIGNED) {
        if (!vel_loop_advance(current, step, end, inclusive, 0, std::numeric_limits<natural>::max())) return false;
        now = dyn(current.whole);
        return true;
    }
    if (!vel_loop_advance(current, step, end, inclusive, std::numeric_limits<long long>::min(),
                          static_cast<natural>(std::numeric_limits<long long>::max())))
        return false;
    now = dyn(current.integer);
    return true;
}
