#pragma once
// Integer mod and division, and the steps of for loops over ranges. Part of
// libvel.hpp.
#include "containers.hpp"

// A number seen as a plain value: the generated code passes operands and loop
// bounds of every arithmetic type, and of dyn.
template <class T>
using vel_if_arithmetic = std::enable_if_t<std::is_arithmetic<T>::value, int>;
template <class A, class B>
using vel_if_integers = std::enable_if_t<std::is_integral<A>::value && std::is_integral<B>::value, int>;
template <class A, class B>
using vel_if_reals = std::enable_if_t<std::is_arithmetic<A>::value && std::is_arithmetic<B>::value &&
                                          !(std::is_integral<A>::value && std::is_integral<B>::value),
                                      int>;

// An arithmetic value as the dyn number it stands for (a char is a number
// here, not a one-character text).
template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
dyn vel_number_dyn(T x) {
    if (std::is_unsigned<T>::value && sizeof(T) == 8) return dyn(static_cast<natural>(x));
    return dyn(static_cast<long long>(x));
}
template <class T, std::enable_if_t<std::is_floating_point<T>::value, int> = 0>
dyn vel_number_dyn(T x) {
    return dyn(static_cast<double>(x));
}

// a mod b: the remainder of the division truncated toward zero (its sign is
// a's), in the type the usual arithmetic conversions give. b == 0 is a
// run-time error; the lowest value mod -1 is 0.
template <class A, class B, vel_if_integers<A, B> = 0>
std::common_type_t<A, B> _vel_mod(A a, B b, const vel_place &where = vel_place()) {
    typedef std::common_type_t<A, B> R;
    R x = static_cast<R>(a), y = static_cast<R>(b);
    if (y == 0) vel_fatal(where, "modulo by zero");
    if (std::is_signed<R>::value && y == static_cast<R>(-1)) return 0;
    return static_cast<R>(x % y);
}
// With a real operand: std::fmod (IEEE: x mod 0 is NaN).
template <class A, class B, vel_if_reals<A, B> = 0>
double _vel_mod(A a, B b, const vel_place & = vel_place()) {
    return std::fmod(static_cast<double>(a), static_cast<double>(b));
}
// Dyn operands: as the % of dyn values.
dyn _vel_mod(const dyn &a, const dyn &b, const vel_place &where = vel_place());
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_mod(const dyn &a, T b, const vel_place &where = vel_place()) {
    return _vel_mod(a, vel_number_dyn(b), where);
}
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_mod(T a, const dyn &b, const vel_place &where = vel_place()) {
    return _vel_mod(vel_number_dyn(a), b, where);
}

// The order of two integers by their values: -1, 0 or 1. C++ compares a
// natural with an int by converting the int to unsigned, which puts -1 above
// every natural (and makes it equal to the largest one).
template <class T>
bool vel_below_zero(T x, std::true_type) { return x < 0; }
template <class T>
bool vel_below_zero(T, std::false_type) { return false; }
template <class A, class B, vel_if_integers<A, B> = 0>
int _vel_order(A a, B b) {
    bool aBelow = vel_below_zero(a, std::is_signed<A>()), bBelow = vel_below_zero(b, std::is_signed<B>());
    if (aBelow != bBelow) return aBelow ? -1 : 1;
    if (aBelow) {
        long long x = static_cast<long long>(a), y = static_cast<long long>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    unsigned long long x = static_cast<unsigned long long>(a), y = static_cast<unsigned long long>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

// A value as the number it stands for, in a range test: a bool becomes an
// int through a call, whose result the compilers cannot tell to be 0 or 1,
// so that they do not warn of its comparison with other numbers.
template <class T>
auto _vel_number(T x) -> decltype(+x) {
    return +x;
}

// a / b of integers gives a real. Each operand is converted to double on its
// own, so -1 / natural 2 is -0.5. b == 0 is a run-time error.
template <class A, class B, vel_if_integers<A, B> = 0>
double _vel_div(A a, B b, const vel_place &where = vel_place()) {
    if (b == 0) vel_fatal(where, "division by zero");
    return static_cast<double>(a) / static_cast<double>(b);
}
// a / b of a natural and an integer or natural: a natural, the quotient
// truncated, computed in integers (through a real it would lose the low
// digits of large values). The divisor is taken as a natural, as every
// operation of a natural takes an int: -1 is 2^64 - 1. b == 0 is a run-time
// error.
template <class B, std::enable_if_t<std::is_integral<B>::value, int> = 0>
natural _vel_natural_div(natural a, B b, const vel_place &where = vel_place()) {
    natural divisor = static_cast<natural>(b);
    if (divisor == 0) vel_fatal(where, "division by zero");
    return a / divisor;
}
// With a real operand the IEEE rules hold: x / 0.0 is an infinity or NaN.
template <class A, class B, vel_if_reals<A, B> = 0>
double _vel_div(A a, B b, const vel_place & = vel_place()) {
    return static_cast<double>(a) / static_cast<double>(b);
}
// Dyn operands: as the / of dyn values (a real; an integer divisor of 0 with
// an integer dividend is a run-time error).
dyn _vel_div(const dyn &a, const dyn &b, const vel_place &where = vel_place());
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_div(const dyn &a, T b, const vel_place &where = vel_place()) {
    return _vel_div(a, vel_number_dyn(b), where);
}
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_div(T a, const dyn &b, const vel_place &where = vel_place()) {
    return _vel_div(vel_number_dyn(a), b, where);
}

// For loops over ranges. For `for int i in a..b step s` velc writes
//     int _I_7=_vel_for_step(s);
//     for(int i=a; _I_7 && i<=b; _I_7=_vel_for_next(i, s, b, 1))
// (0 as the last argument and < for an exclusive range; >= and > with a
// negative step). _vel_for_step ends the program when the step is 0.
// _vel_for_next moves var by step and returns true while the new value is
// within the bound; when the step would pass the bound, or the edge of var's
// type, it returns false and leaves var as it was. The direction is the
// step's sign. An integer variable moves by the whole part of a real step;
// a real variable that the step no longer changes ends the loop.

// A step or bound: a signed or unsigned 64-bit integer, or a real.
struct vel_loop_number {
    enum Kind { SIGNED, UNSIGNED, REAL } kind = SIGNED;
    long long integer = 0;
    natural whole = 0;
    double real = 0;
};
template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
vel_loop_number vel_loop_number_of(T x) {
    vel_loop_number n;
    if (std::is_unsigned<T>::value && sizeof(T) == 8) {
        n.kind = vel_loop_number::UNSIGNED;
        n.whole = static_cast<natural>(x);
    } else {
        n.integer = static_cast<long long>(x);
    }
    return n;
}
template <class T, std::enable_if_t<std::is_floating_point<T>::value, int> = 0>
vel_loop_number vel_loop_number_of(T x) {
    vel_loop_number n;
    n.kind = vel_loop_number::REAL;
    n.real = static_cast<double>(x);
    return n;
}
vel_loop_number vel_loop_number_of(const dyn &x);

// The steps behind _vel_for_next. now holds an integer of a type whose range
// is lowest..highest (SIGNED or UNSIGNED as the type), or a real (REAL); it is
// changed only when the function returns true.
bool vel_loop_advance(vel_loop_number &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive,
                      long long lowest, natural highest);
bool vel_loop_advance(double &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive);
bool vel_loop_advance(dyn &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive);

template <class S, vel_if_arithmetic<S> = 0>
int _vel_for_step(S step, const vel_place &where = vel_place()) {
    if (step == 0) vel_fatal(where, "for loop step is 0");
    return 1;
}
int _vel_for_step(const dyn &step, const vel_place &where = vel_place());

// Integers of at most 32 bits: a long long holds the variable, the step, the
// bound and their sum exactly, so the loop steps without the general rules.
template <class T>
using vel_is_small_integer =
    std::integral_constant<bool, std::is_integral<T>::value && !std::is_same<T, bool>::value && sizeof(T) <= 4>;
template <class T, class S, class E>
using vel_if_small_loop = std::enable_if_t<
    vel_is_small_integer<T>::value && vel_is_small_integer<S>::value && vel_is_small_integer<E>::value, int>;
template <class T, class S, class E>
using vel_if_wide_loop = std::enable_if_t<std::is_integral<T>::value && !(vel_is_small_integer<T>::value &&
                                                                           vel_is_small_integer<S>::value &&
                                                                           vel_is_small_integer<E>::value),
                                          int>;

template <class T, class S, class E, vel_if_small_loop<T, S, E> = 0>
inline bool _vel_for_next(T &var, const S &step, const E &end, int inclusive,
                          const vel_place &where = vel_place()) {
    long long by = static_cast<long long>(step), bound = static_cast<long long>(end);
    if (by == 0) vel_fatal(where, "for loop step is 0");
    long long next = static_cast<long long>(var) + by;
    if (next > static_cast<long long>(std::numeric_limits<T>::max()) ||
        next < static_cast<long long>(std::numeric_limits<T>::min()))
        return false;
    if (next == bound ? inclusive == 0 : (by > 0 ? next > bound : next < bound)) return false;
    var = static_cast<T>(next);
    return true;
}
// The step of a loop over an int by a constant step whose bound is an int
// too (velc writes "for(int i=a; i<b; i=_vel_for_add(i, s))"): at the edge
// of int the variable stays at the edge, where the loop's own comparison
// ends the loop, instead of passing it. The comparison is then the only
// test of an iteration, and the compiler sees the variable as a counter.
inline int _vel_for_add(int var, int step) {
    if (step > 0)
        return var > std::numeric_limits<int>::max() - step ? std::numeric_limits<int>::max() : var + step;
    return var < std::numeric_limits<int>::min() - step ? std::numeric_limits<int>::min() : var + step;
}
// The step of the other loops over an int by a constant step with an int
// bound (velc writes "v=a; if(v<=b) do {...} while(_vel_for_within(v, s, b, 1));"):
// the variable moves only to a value inside the range, so after the loop it
// holds the last value the loop gave it, and a bound at the edge of int ends
// the loop there. The test stays in int, so that the compiler keeps one
// counter: on the bound's side of var, the distance to the bound is exact
// as an unsigned, and the step fits when it is at most that distance.
inline bool _vel_for_within(int &var, int step, int bound, int inclusive) {
    // A step of one, the common case, as the plain comparison it is: GCC
    // then lays the loop out without a jump back over its exit test. On the
    // bound's side of it, the variable moved by one cannot wrap.
    if (step == 1 || step == -1) {
        bool more = step > 0 ? (inclusive ? var < bound : var < bound && var + 1 < bound)
                             : (inclusive ? var > bound : var > bound && var - 1 > bound);
        if (more) var += step;
        return more;
    }
    unsigned need = step > 0 ? static_cast<unsigned>(step) : 0u - static_cast<unsigned>(step);
    bool inside;
    if (step > 0)
        inside = var <= bound && static_cast<unsigned>(bound) - static_cast<unsigned>(var) >= need + (inclusive ? 0u : 1u);
    else
        inside = var >= bound && static_cast<unsigned>(var) - static_cast<unsigned>(bound) >= need + (inclusive ? 0u : 1u);
    if (inside) var = static_cast<int>(static_cast<unsigned>(var) + static_cast<unsigned>(step));
    return inside;
}
// The first test of a loop whose step is not a literal (velc writes
// "for(int i=a; _I_7 && _vel_for_first(i, s, b, 1); _I_7=_vel_for_next(i, s, b, 1))"):
// whether the variable's value is within the bound in the direction of the
// step's sign, which only the run knows. After each step that _vel_for_next
// takes it holds again, so it may be tested on every round.
bool vel_loop_begins(const vel_loop_number &now, const vel_loop_number &step, const vel_loop_number &end,
                     bool inclusive);
template <class T, class S, class E, vel_if_small_loop<T, S, E> = 0>
inline bool _vel_for_first(const T &var, const S &step, const E &end, int inclusive,
                           const vel_place &where = vel_place()) {
    long long by = static_cast<long long>(step), now = static_cast<long long>(var),
              bound = static_cast<long long>(end);
    if (by == 0) vel_fatal(where, "for loop step is 0");
    if (now == bound) return inclusive != 0;
    return by > 0 ? now < bound : now > bound;
}
template <class T, class S, class E, std::enable_if_t<!vel_is_small_integer<T>::value || !vel_is_small_integer<S>::value ||
                                                           !vel_is_small_integer<E>::value,
                                                       int> = 0>
bool _vel_for_first(const T &var, const S &step, const E &end, int inclusive, const vel_place &where = vel_place()) {
    vel_error_place place(where);
    return vel_loop_begins(vel_loop_number_of(var), vel_loop_number_of(step), vel_loop_number_of(end), inclusive != 0);
}

template <class T, class S, class E, vel_if_wide_loop<T, S, E> = 0>
bool _vel_for_next(T &var, const S &step, const E &end, int inclusive, const vel_place &where = vel_place()) {
    vel_error_place place(where);
    vel_loop_number now = vel_loop_number_of(var);
    if (!vel_loop_advance(now, vel_loop_number_of(step), vel_loop_number_of(end), inclusive != 0,
                          static_cast<long long>(std::numeric_limits<T>::min()),
                          static_cast<natural>(std::numeric_limits<T>::max())))
        return false;
    var = now.kind == vel_loop_number::UNSIGNED ? static_cast<T>(now.whole) : static_cast<T>(now.integer);
    return true;
}
template <class T, class S, class E, std::enable_if_t<std::is_floating_point<T>::value, int> = 0>
bool _vel_for_next(T &var, const S &step, const E &end, int inclusive, const vel_place &where = vel_place()) {
    vel_error_place place(where);
    double now = static_cast<double>(var);
    if (!vel_loop_advance(now, vel_loop_number_of(step), vel_loop_number_of(end), inclusive != 0)) return false;
    if (static_cast<T>(now) == var) return false;  // a float the step no longer moves
    var = static_cast<T>(now);
    return true;
}
template <class S, class E>
bool _vel_for_next(dyn &var, const S &step, const E &end, int inclusive, const vel_place &where = vel_place()) {
    vel_error_place place(where);
    return vel_loop_advance(var, vel_loop_number_of(step), vel_loop_number_of(end), inclusive != 0);
}
