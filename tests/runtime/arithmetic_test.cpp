// _vel_mod, _vel_div and the for-loop steps _vel_for_step / _vel_for_next.
#include <velmora/libvel.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <type_traits>
#include <vector>

namespace {

const natural NATURAL_MAX = ULLONG_MAX;

// The loops velc writes for a range, run to the end. More than 100 rounds
// means the loop would not have ended by itself.
const std::size_t ROUND_LIMIT = 100;

template <class T, class S, class E>
std::vector<T> inclusiveUp(T start, S step, E end) {
    std::vector<T> seen;
    int go = _vel_for_step(step);
    for (T v = start; go && v <= end; go = _vel_for_next(v, step, end, 1)) {
        seen.push_back(v);
        if (seen.size() > ROUND_LIMIT) break;
    }
    return seen;
}
template <class T, class S, class E>
std::vector<T> exclusiveUp(T start, S step, E end) {
    std::vector<T> seen;
    int go = _vel_for_step(step);
    for (T v = start; go && v < end; go = _vel_for_next(v, step, end, 0)) {
        seen.push_back(v);
        if (seen.size() > ROUND_LIMIT) break;
    }
    return seen;
}
template <class T, class S, class E>
std::vector<T> inclusiveDown(T start, S step, E end) {
    std::vector<T> seen;
    int go = _vel_for_step(step);
    for (T v = start; go && v >= end; go = _vel_for_next(v, step, end, 1)) {
        seen.push_back(v);
        if (seen.size() > ROUND_LIMIT) break;
    }
    return seen;
}
template <class T, class S, class E>
std::vector<T> exclusiveDown(T start, S step, E end) {
    std::vector<T> seen;
    int go = _vel_for_step(step);
    for (T v = start; go && v > end; go = _vel_for_next(v, step, end, 0)) {
        seen.push_back(v);
        if (seen.size() > ROUND_LIMIT) break;
    }
    return seen;
}

std::vector<double> reals(const std::vector<dyn> &values) {
    std::vector<double> out;
    for (const dyn &v : values) out.push_back(dyn::toReal(v));
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// mod

TEST(VelMod, TruncatesTowardZeroLikeDynModulo) {
    EXPECT_EQ(_vel_mod(7, 3), 1);
    EXPECT_EQ(_vel_mod(-7, 3), -1);
    EXPECT_EQ(_vel_mod(7, -3), 1);
    EXPECT_EQ(dyn::toInt(dyn(-7) % dyn(3)), _vel_mod(-7, 3));
    EXPECT_EQ(_vel_mod(static_cast<unsigned char>(250), static_cast<unsigned char>(7)), 5);
    EXPECT_EQ(_vel_mod('z', 'a'), 'z' % 'a');
    EXPECT_EQ(_vel_mod(NATURAL_MAX, 10ULL), 5ULL);
    EXPECT_EQ(_vel_mod(LLONG_MAX, 1000LL), 807LL);
}

TEST(VelMod, LowestValueModMinusOneIsZero) {
    volatile int lowest = INT_MIN, minusOne = -1;
    EXPECT_EQ(_vel_mod(lowest, minusOne), 0);
    volatile long long lowest64 = LLONG_MIN, minusOne64 = -1;
    EXPECT_EQ(_vel_mod(lowest64, minusOne64), 0LL);
    EXPECT_EQ(_vel_mod(lowest64, minusOne), 0LL);
    EXPECT_EQ(_vel_mod(static_cast<signed char>(-128), static_cast<signed char>(-1)), 0);
    EXPECT_EQ(dyn::toInt64(_vel_mod(dyn(LLONG_MIN), dyn(-1))), 0);
}

TEST(VelMod, ResultTypeFollowsTheUsualConversions) {
    EXPECT_TRUE((std::is_same<decltype(_vel_mod(1, 2)), int>::value));
    EXPECT_TRUE((std::is_same<decltype(_vel_mod(static_cast<unsigned char>(1), 2)), int>::value));
    EXPECT_TRUE((std::is_same<decltype(_vel_mod(1, 2ULL)), natural>::value));
    EXPECT_TRUE((std::is_same<decltype(_vel_mod(1LL, 2)), long long>::value));
    EXPECT_TRUE((std::is_same<decltype(_vel_mod('a', 'b')), char>::value));
    EXPECT_TRUE((std::is_same<decltype(_vel_mod(dyn(1), 2)), dyn>::value));
    EXPECT_TRUE((std::is_same<decltype(_vel_mod(7.5, 2)), double>::value));
    // int and natural: the int is converted to natural first, as C++ does.
    EXPECT_EQ(_vel_mod(-1, 10ULL), NATURAL_MAX % 10ULL);
}

TEST(VelMod, RealOperandsUseFmod) {
    EXPECT_DOUBLE_EQ(_vel_mod(7.5, 2), 1.5);
    EXPECT_DOUBLE_EQ(_vel_mod(-7.5, 2.0), -1.5);
    EXPECT_TRUE(std::isnan(_vel_mod(1.0, 0)));
}

TEST(VelMod, DynOperandsBehaveLikeDynModulo) {
    dyn r = _vel_mod(dyn(17), dyn(5));
    EXPECT_TRUE(r.isInteger());
    EXPECT_EQ(dyn::toInt(r), 2);
    EXPECT_EQ(dyn::toInt(_vel_mod(dyn(17), 5)), 2);
    EXPECT_EQ(dyn::toInt(_vel_mod(17, dyn(5))), 2);
    // A char operand is the number, not a one-character text.
    EXPECT_EQ(dyn::toInt(_vel_mod(dyn(200), 'a')), 200 % 'a');
    dyn n = _vel_mod(dyn(NATURAL_MAX), dyn(10ULL));
    EXPECT_TRUE(n.isNatural());
    EXPECT_EQ(n.holdsNatural(), 5ULL);
    dyn x = _vel_mod(dyn(7.5), 2);
    EXPECT_TRUE(x.isReal());
    EXPECT_DOUBLE_EQ(x.holdsReal(), 1.5);
}

TEST(VelModDeathTest, ModuloByZeroEndsTheProgram) {
    const char *message = "^Run-time error: modulo by zero\n$";
    volatile int zero = 0;
    EXPECT_EXIT(_vel_mod(5, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(static_cast<unsigned char>(5), static_cast<unsigned char>(zero)), ::testing::ExitedWithCode(1),
                message);
    EXPECT_EXIT(_vel_mod('a', static_cast<char>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(NATURAL_MAX, static_cast<natural>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(LLONG_MIN, static_cast<long long>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(5ULL, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(dyn(5), dyn(0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(dyn(5), zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(5, dyn(0ULL)), ::testing::ExitedWithCode(1), message);
}

// ---------------------------------------------------------------------------
// division

TEST(VelDiv, IntegersGiveAReal) {
    EXPECT_TRUE((std::is_same<decltype(_vel_div(7, 2)), double>::value));
    EXPECT_TRUE((std::is_same<decltype(_vel_div(NATURAL_MAX, 2)), double>::value));
    EXPECT_DOUBLE_EQ(_vel_div(7, 2), 3.5);
    EXPECT_DOUBLE_EQ(_vel_div(-7, 2), -3.5);
    EXPECT_DOUBLE_EQ(_vel_div(1, 3), 1.0 / 3.0);
    volatile int lowest = INT_MIN, minusOne = -1;
    EXPECT_DOUBLE_EQ(_vel_div(lowest, minusOne), 2147483648.0);
    EXPECT_DOUBLE_EQ(_vel_div(static_cast<unsigned char>(255), static_cast<unsigned char>(2)), 127.5);
    EXPECT_DOUBLE_EQ(_vel_div(NATURAL_MAX, 1), 18446744073709551615.0);
    // Each operand keeps its own sign: no conversion to natural first.
    EXPECT_DOUBLE_EQ(_vel_div(-1, 2ULL), -0.5);
}

TEST(VelDiv, RealsKeepIeeeRules) {
    EXPECT_TRUE(std::isinf(_vel_div(1.0, 0)));
    EXPECT_TRUE(std::isinf(_vel_div(1, 0.0)));
    EXPECT_LT(_vel_div(-1, 0.0), 0);
    EXPECT_TRUE(std::isnan(_vel_div(0.0, 0.0)));
    EXPECT_TRUE(std::isinf(dyn::toReal(dyn(1.0) / dyn(0))));
    EXPECT_TRUE(std::isinf(dyn::toReal(dyn(1) / dyn(0.0))));
    EXPECT_TRUE(std::isinf(dyn::toReal(_vel_div(dyn(2), 0.0))));
    EXPECT_TRUE(std::isnan(dyn::toReal(_vel_div(dyn("0.0"), dyn(0)))));
}

TEST(VelDiv, DynOperandsGiveAReal) {
    dyn q = _vel_div(dyn(7), dyn(2));
    EXPECT_TRUE(q.isReal());
    EXPECT_DOUBLE_EQ(q.holdsReal(), 3.5);
    EXPECT_DOUBLE_EQ(dyn::toReal(_vel_div(dyn(7), 2)), 3.5);
    EXPECT_DOUBLE_EQ(dyn::toReal(_vel_div(7, dyn(2))), 3.5);
    EXPECT_DOUBLE_EQ(dyn::toReal(_vel_div(dyn(9ULL), dyn(2ULL))), 4.5);
    EXPECT_DOUBLE_EQ(dyn::toReal(dyn(true) / dyn(4)), 0.25);
    dyn d(5);
    d /= dyn(2);
    EXPECT_DOUBLE_EQ(d.holdsReal(), 2.5);
}

TEST(VelDivDeathTest, IntegerDivisionByZeroEndsTheProgram) {
    const char *message = "^Run-time error: division by zero\n$";
    volatile int zero = 0;
    EXPECT_EXIT(_vel_div(1, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(0, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(NATURAL_MAX, static_cast<natural>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(static_cast<unsigned char>(1), static_cast<unsigned char>(zero)),
                ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div('a', static_cast<char>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(1LL, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(dyn(1) / dyn(0), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(dyn(1ULL) / dyn(0ULL), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(dyn(true) / dyn(false), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ dyn d(4); d /= dyn(0); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(dyn(1), dyn(0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(dyn(1), zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(1, dyn(0ULL)), ::testing::ExitedWithCode(1), message);
}

// ---------------------------------------------------------------------------
// for loops

TEST(VelFor, IntegerRangesEndAtTheirBound) {
    EXPECT_EQ(inclusiveUp(1, 3, 10), (std::vector<int>{1, 4, 7, 10}));
    EXPECT_EQ(inclusiveUp(1, 3, 11), (std::vector<int>{1, 4, 7, 10}));
    EXPECT_EQ(exclusiveUp(1, 3, 10), (std::vector<int>{1, 4, 7}));
    EXPECT_EQ(exclusiveUp(0, 1, 4), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(inclusiveUp(0, 1, 3), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(inclusiveDown(5, -2, 0), (std::vector<int>{5, 3, 1}));
    EXPECT_EQ(exclusiveDown(5, -1, 2), (std::vector<int>{5, 4, 3}));
    EXPECT_EQ(inclusiveUp(3, 1, 2), (std::vector<int>{}));
}

TEST(VelFor, IntegerRangesAtTheEdgesOfTheirTypeDoNotWrap) {
    EXPECT_EQ(inclusiveUp(2147483645, 1, 2147483647), (std::vector<int>{2147483645, 2147483646, 2147483647}));
    EXPECT_EQ(inclusiveDown(INT_MIN + 2, -1, INT_MIN), (std::vector<int>{INT_MIN + 2, INT_MIN + 1, INT_MIN}));
    EXPECT_EQ(inclusiveUp(0, 1 << 30, INT_MAX), (std::vector<int>{0, 1 << 30}));
    EXPECT_EQ(inclusiveUp(INT_MIN, INT_MAX, INT_MAX), (std::vector<int>{INT_MIN, -1, INT_MAX - 1}));
    EXPECT_EQ(inclusiveDown(INT_MAX, INT_MIN, INT_MIN), (std::vector<int>{INT_MAX, -1}));
    EXPECT_EQ(inclusiveUp(LLONG_MAX - 1, 1LL, LLONG_MAX), (std::vector<long long>{LLONG_MAX - 1, LLONG_MAX}));
    EXPECT_EQ(inclusiveDown(LLONG_MIN + 1, -1, LLONG_MIN), (std::vector<long long>{LLONG_MIN + 1, LLONG_MIN}));
    using uchar = unsigned char;
    EXPECT_EQ(inclusiveUp(uchar(253), 1, uchar(255)), (std::vector<uchar>{253, 254, 255}));
    EXPECT_EQ(inclusiveDown(uchar(2), -1, uchar(0)), (std::vector<uchar>{2, 1, 0}));
    EXPECT_EQ(inclusiveUp(uchar(0), 100, uchar(255)), (std::vector<uchar>{0, 100, 200}));
    EXPECT_EQ(inclusiveUp(char(125), 1, char(127)), (std::vector<char>{125, 126, 127}));
    EXPECT_EQ(inclusiveDown(char(-126), -1, char(-128)), (std::vector<char>{-126, -127, -128}));
}

TEST(VelFor, InlineStepStopsAtTheEdgeOfInt) {
    EXPECT_EQ(_vel_for_add(3, 4), 7);
    EXPECT_EQ(_vel_for_add(-3, -4), -7);
    EXPECT_EQ(_vel_for_add(INT_MAX - 5, 5), INT_MAX);
    EXPECT_EQ(_vel_for_add(INT_MAX - 4, 5), INT_MAX);
    EXPECT_EQ(_vel_for_add(INT_MAX, 1), INT_MAX);
    EXPECT_EQ(_vel_for_add(INT_MIN + 5, -5), INT_MIN);
    EXPECT_EQ(_vel_for_add(INT_MIN + 4, -5), INT_MIN);
    EXPECT_EQ(_vel_for_add(INT_MIN, -1), INT_MIN);
    EXPECT_EQ(_vel_for_add(INT_MIN, INT_MAX), -1);
    EXPECT_EQ(_vel_for_add(INT_MAX, INT_MIN), -1);
}

TEST(VelFor, NaturalRanges) {
    EXPECT_EQ(inclusiveDown(natural(3), -1, natural(0)), (std::vector<natural>{3, 2, 1, 0}));
    EXPECT_EQ(exclusiveDown(natural(3), -1, natural(0)), (std::vector<natural>{3, 2, 1}));
    EXPECT_EQ(inclusiveUp(NATURAL_MAX - 2, 1, NATURAL_MAX),
              (std::vector<natural>{NATURAL_MAX - 2, NATURAL_MAX - 1, NATURAL_MAX}));
    EXPECT_EQ(inclusiveUp(natural(0), 1ULL << 63, NATURAL_MAX), (std::vector<natural>{0, 1ULL << 63}));
    EXPECT_EQ(inclusiveDown(NATURAL_MAX, -(1LL << 62), natural(0)),
              (std::vector<natural>{NATURAL_MAX, NATURAL_MAX - (1ULL << 62), NATURAL_MAX - (2ULL << 62),
                                    NATURAL_MAX - (3ULL << 62)}));
    EXPECT_EQ(inclusiveDown(natural(5), LLONG_MIN, natural(0)), (std::vector<natural>{5}));
    EXPECT_EQ(exclusiveUp(natural(0), natural(4), natural(12)), (std::vector<natural>{0, 4, 8}));
}

TEST(VelFor, RealRanges) {
    EXPECT_EQ(inclusiveUp(0.0, 0.25, 1), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(inclusiveUp(0.0, 0.25, 1.0), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(exclusiveUp(0.0, 0.25, 1.0), (std::vector<double>{0, 0.25, 0.5, 0.75}));
    EXPECT_EQ(inclusiveDown(1.0, -0.5, 0), (std::vector<double>{1, 0.5, 0}));
    EXPECT_EQ(exclusiveDown(1.0, -0.5, 0), (std::vector<double>{1, 0.5}));
    EXPECT_EQ(inclusiveUp(0.5, 1, 3), (std::vector<double>{0.5, 1.5, 2.5}));
    EXPECT_EQ(inclusiveUp(0.0, natural(2), natural(4)), (std::vector<double>{0, 2, 4}));
    // Near the top of the reals the loop still ends.
    double top = 1.6e308;
    EXPECT_EQ(inclusiveUp(top, 1e307, HUGE_VAL), (std::vector<double>{top, top + 1e307, HUGE_VAL}));
    // From 2^53 on, adding 1 no longer changes a double: the loop ends.
    double big = 9007199254740990.0;
    EXPECT_EQ(inclusiveUp(big, 1, HUGE_VAL), (std::vector<double>{big, big + 1, big + 2}));
    float f = 0;
    EXPECT_EQ(inclusiveUp(f, 0.5, 1), (std::vector<float>{0, 0.5f, 1}));
}

TEST(VelFor, BoundsAndStepsOfOtherTypes) {
    // A real bound for an integer variable.
    EXPECT_EQ(inclusiveUp(0, 1, 2.5), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(exclusiveUp(0, 1, 3.0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(exclusiveUp(0, 1, 2.5), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(inclusiveDown(3, -1, 0.5), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(exclusiveDown(3, -1, 1.0), (std::vector<int>{3, 2}));
    EXPECT_EQ(inclusiveUp(2147483646, 1, 1e300), (std::vector<int>{2147483646, 2147483647}));
    // A real step moves an integer variable by its whole part.
    EXPECT_EQ(inclusiveUp(0, 2.5, 6), (std::vector<int>{0, 2, 4, 6}));
    EXPECT_EQ(inclusiveDown(6, -2.9, 0), (std::vector<int>{6, 4, 2, 0}));
    // dyn steps and bounds.
    EXPECT_EQ(inclusiveUp(1, dyn(3), dyn(10)), (std::vector<int>{1, 4, 7, 10}));
    EXPECT_EQ(inclusiveDown(natural(2), dyn(-1), dyn(0)), (std::vector<natural>{2, 1, 0}));
    EXPECT_EQ(inclusiveUp(0.0, dyn(0.5), dyn(1)), (std::vector<double>{0, 0.5, 1}));
    // Wider bounds and steps: the edge of the variable's type stops the loop.
    EXPECT_EQ(inclusiveUp(2147483646, 1LL, 1LL << 40), (std::vector<int>{2147483646, 2147483647}));
    EXPECT_EQ(inclusiveUp(0, 1ULL << 40, 10), (std::vector<int>{0}));
    EXPECT_EQ(inclusiveUp(0LL, NATURAL_MAX, LLONG_MAX), (std::vector<long long>{0}));
    EXPECT_EQ(inclusiveUp(0, 1e30, 10), (std::vector<int>{0}));
}

TEST(VelFor, NextComparesMixedTypesExactly) {
    int i = -2;
    EXPECT_TRUE(_vel_for_next(i, 1, natural(0), 1));
    EXPECT_EQ(i, -1);
    EXPECT_TRUE(_vel_for_next(i, 1, natural(0), 1));
    EXPECT_EQ(i, 0);
    EXPECT_FALSE(_vel_for_next(i, 1, natural(0), 1));
    EXPECT_EQ(i, 0);
    // A natural counting down to the exclusive bound -1 reaches 0 and stops
    // there (n > -1 in C++ would convert -1 to a natural).
    natural n = 1;
    EXPECT_TRUE(_vel_for_next(n, -1, -1, 0));
    EXPECT_EQ(n, 0ULL);
    EXPECT_FALSE(_vel_for_next(n, -1, -1, 0));
    EXPECT_EQ(n, 0ULL);
    // 2^53 + 1 is not a double: the comparison must not round it.
    long long k = (1LL << 53);
    EXPECT_FALSE(_vel_for_next(k, 1, 9007199254740992.0, 1));
    EXPECT_EQ(k, 1LL << 53);
    natural m = 0;
    EXPECT_TRUE(_vel_for_next(m, 1, 18446744073709551615.0, 0));
    EXPECT_EQ(m, 1ULL);
    m = NATURAL_MAX - 1;
    EXPECT_TRUE(_vel_for_next(m, 1, HUGE_VAL, 0));
    EXPECT_EQ(m, NATURAL_MAX);
    EXPECT_FALSE(_vel_for_next(m, 1, HUGE_VAL, 0));
    EXPECT_EQ(m, NATURAL_MAX);
}

TEST(VelFor, FailedStepLeavesTheVariable) {
    int i = INT_MAX;
    EXPECT_FALSE(_vel_for_next(i, 1, INT_MAX, 1));
    EXPECT_EQ(i, INT_MAX);
    i = 9;
    EXPECT_FALSE(_vel_for_next(i, 3, 10, 1));
    EXPECT_EQ(i, 9);
    i = 7;
    EXPECT_FALSE(_vel_for_next(i, 3, 10, 0));
    EXPECT_EQ(i, 7);
    EXPECT_TRUE(_vel_for_next(i, 3, 10, 1));
    EXPECT_EQ(i, 10);
    unsigned char c = 0;
    EXPECT_FALSE(_vel_for_next(c, -1, 0, 1));
    EXPECT_EQ(c, 0);
    double x = 0.75;
    EXPECT_FALSE(_vel_for_next(x, 0.5, 1.0, 1));
    EXPECT_EQ(x, 0.75);
    EXPECT_FALSE(_vel_for_next(x, 0.25, 1.0, 0));
    EXPECT_EQ(x, 0.75);
}

TEST(VelFor, AStepAgainstTheRangeEndsTheLoop) {
    // 1..10 with a step that turned out negative, 10..1 with a positive one:
    // the step's sign gives the direction, so the loop ends at once.
    EXPECT_EQ(inclusiveUp(1, -1, 10), (std::vector<int>{1}));
    EXPECT_EQ(inclusiveDown(10, 1, 1), (std::vector<int>{10}));
    EXPECT_EQ(inclusiveUp(0.0, -0.5, 1.0), (std::vector<double>{0.0}));
}

TEST(VelFor, NanStepsAndBoundsEndTheLoop) {
    double x = 0;
    EXPECT_FALSE(_vel_for_next(x, NAN, 10, 1));
    EXPECT_FALSE(_vel_for_next(x, 1, NAN, 1));
    int i = 0;
    EXPECT_FALSE(_vel_for_next(i, NAN, 10, 1));
    EXPECT_FALSE(_vel_for_next(i, 1, NAN, 1));
    EXPECT_EQ(i, 0);
    EXPECT_EQ(x, 0);
}

TEST(VelFor, DynVariables) {
    std::vector<dyn> ints = inclusiveUp(dyn(1), 3, 10);
    EXPECT_EQ(reals(ints), (std::vector<double>{1, 4, 7, 10}));
    for (const dyn &v : ints) EXPECT_TRUE(v.isInteger());
    std::vector<dyn> top = inclusiveUp(dyn(LLONG_MAX - 2), 1, dyn(LLONG_MAX));
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top.back().holdsInteger(), LLONG_MAX);
    std::vector<dyn> down = inclusiveDown(dyn(natural(3)), -1, 0);
    EXPECT_EQ(reals(down), (std::vector<double>{3, 2, 1, 0}));
    for (const dyn &v : down) EXPECT_TRUE(v.isNatural());
    EXPECT_EQ(reals(inclusiveUp(dyn(0.0), 0.25, 1)), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    // An integer dyn counting by a real step becomes a real.
    std::vector<dyn> halves = inclusiveUp(dyn(0), 0.5, 1);
    EXPECT_EQ(reals(halves), (std::vector<double>{0, 0.5, 1}));
    EXPECT_TRUE(halves.back().isReal());
    EXPECT_EQ(reals(exclusiveUp(dyn(0), dyn(2), dyn(7))), (std::vector<double>{0, 2, 4, 6}));
    // A real dyn that the step no longer moves ends the loop.
    std::vector<dyn> far = inclusiveUp(dyn(9007199254740990.0), 1, HUGE_VAL);
    EXPECT_EQ(reals(far), (std::vector<double>{9007199254740990.0, 9007199254740991.0, 9007199254740992.0}));
    dyn d(5);
    EXPECT_FALSE(_vel_for_next(d, 1, 5, 1));
    EXPECT_TRUE(d.isInteger());
    EXPECT_EQ(d.holdsInteger(), 5);
}

TEST(VelForDeathTest, ZeroStepEndsTheProgram) {
    const char *message = "^Run-time error: for loop step is 0\n$";
    volatile int zero = 0;
    EXPECT_EXIT(_vel_for_step(zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(0.0), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(natural(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(dyn(0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(dyn(-0.0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(dyn(0ULL)), ::testing::ExitedWithCode(1), message);
    // A step that becomes 0 while the loop runs, and a fraction that cannot
    // move an integer variable.
    EXPECT_EXIT({ int i = 0; _vel_for_next(i, zero, 10, 1); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ double x = 0; _vel_for_next(x, 0.0, 10, 1); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ dyn v(1); _vel_for_next(v, dyn(0), 10, 1); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(inclusiveUp(0, 0.5, 3), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(inclusiveUp(0, zero, 3), ::testing::ExitedWithCode(1), message);
}

TEST(VelFor, NonZeroStepsPass) {
    EXPECT_EQ(_vel_for_step(1), 1);
    EXPECT_EQ(_vel_for_step(-3), 1);
    EXPECT_EQ(_vel_for_step(0.5), 1);
    EXPECT_EQ(_vel_for_step(NATURAL_MAX), 1);
    EXPECT_EQ(_vel_for_step(dyn(-2)), 1);
    EXPECT_EQ(_vel_for_step(dyn(0.25)), 1);
}
