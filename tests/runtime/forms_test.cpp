// The forms that generated assignments and expressions use: slice
// assignment, element writes through subscripts, conversions to and from
// every value type, and the operators between values of different kinds.
#include <velmora/libvel.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

namespace {

dyn entry(const dyn &key, const dyn &value) { return dyn(new vel_pair(key, value)); }

template <class T>
std::string printed(const T &value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

TEST(SliceAssignment, BoundsFollowTheFlagAndAreClamped) {
    velarray a{1, 2, 3, 4, 5};
    a.setSlice(1, 2, 0, velarray{"x", "y"});  // hi excluded: replaces one element
    EXPECT_EQ(a.toString(), "[1, \"x\", \"y\", 3, 4, 5]");
    a.setSlice(4, -1, 1, dyn(0));  // -1: to the end
    EXPECT_EQ(a.toString(), "[1, \"x\", \"y\", 3, 0]");
    a.setSlice(-3, 0, 0, "first");  // an empty range inserts
    a.setSlice(99, 200, 1, dyn(9));  // past the end appends
    a.setSlice(3, 1, 1, velarray());  // hi before lo: nothing removed
    EXPECT_EQ(a.toString(), "[\"first\", 1, \"x\", \"y\", 3, 0, 9]");
    a.setSlice(0, -1, 1, velarray());
    EXPECT_TRUE(a.empty());
}

TEST(SliceAssignment, ValueMayBeTheArrayItself) {
    velarray a{1, 2, 3};
    a.setSlice(1, 1, 1, a);
    EXPECT_EQ(a.toString(), "[1, 1, 2, 3, 3]");
    dyn d(velarray{1, 2});
    d.setSlice(0, 0, 0, d);
    EXPECT_EQ(d.toString(), "[1, 2, 1, 2]");
    text t("ab");
    t.setSlice(1, 1, 0, t);
    EXPECT_EQ(t, "aabb");
}

TEST(SliceAssignment, TextTakesTheCharactersOfTheValue) {
    text t("abcdef");
    t.setSlice(1, 3, 1, dyn(7.5));
    EXPECT_EQ(t, "a7.5ef");
    t.setSlice(10, 12, 1, "!");
    EXPECT_EQ(t, "a7.5ef!");
}

TEST(SliceAssignment, TypedArraysConvertTheElements) {
    _intArr ints{1, 2, 3};
    ints.setSlice(0, 1, 1, velarray{"7", 8.9, natural(5000000000ULL)});
    EXPECT_EQ(ints.toString(), "[7, 8, 2147483647, 3]");
    _array64 naturals(TYPE_NATURAL, 4);
    naturals.setSlice(0, -1, 1, _intArr{4, 5});
    EXPECT_TRUE(naturals.at(1).isNatural());
    EXPECT_EQ(naturals.toString(), "[4, 5]");
    _arr32 texts{"a"};
    texts.setSlice(1, -1, 1, dict{entry("k", 1)});
    EXPECT_EQ(texts.toString(), "[\"a\", \"1\"]");
}

TEST(SliceAssignment, DictEntriesReplaceThePositions) {
    dict d{entry("a", 1), entry("b", 2), entry("c", 3), entry(0, "zero")};
    // "c" exists outside the range and moves; a plain value gets a new integer key.
    d.setSlice(0, 0, 1, velarray{entry("c", 30), "plain"});
    EXPECT_EQ(d.toString(), "{\"c\": 30, 1: \"plain\", \"b\": 2, 0: \"zero\"}");
    EXPECT_EQ(d.at("c"), 30);
    EXPECT_EQ(d.at(1), "plain");
    d.setSlice(1, -1, 1, dict{entry("z", 26)});
    EXPECT_EQ(d.toString(), "{\"c\": 30, \"z\": 26}");
}

TEST(SliceAssignment, DynHoldsTheContainerOrFails) {
    dyn nothing;
    nothing.setSlice(0, -1, 1, velarray{1, 2});
    EXPECT_EQ(nothing.toString(), "[1, 2]");
    dyn word("word");
    word.setSlice(0, 0, 1, "s");
    EXPECT_EQ(word, "sord");
    EXPECT_EXIT({ dyn(5).setSlice(0, 1, 1, dyn(1)); }, ::testing::ExitedWithCode(1),
                "Run-time error: slice assignment to a value that is no container \\(integer\\)");
}

TEST(TextSubscript, WritesThroughTheSubscriptOfAVariable) {
    text t("abc");
    t[1] = "X";
    t[dyn(4)] = dyn(7);
    EXPECT_EQ(t, "aXc 7");
    text copy = t[0];
    EXPECT_EQ(copy, "a");
    EXPECT_TRUE(t[0] == t[0]);
    const text &readOnly = t;
    EXPECT_EQ(readOnly[dyn("x")], "");
    EXPECT_EQ(dyn(t[1] + dyn(2)), "X2");
    t.setAt(dyn(0), 5);
    EXPECT_EQ(t, "5Xc 7");
    EXPECT_EXIT({ text u("a"); u[dyn("k")] = "b"; }, ::testing::ExitedWithCode(1), "text index must be a number");
}

TEST(TypedArrayElements, AcceptValuesOfEveryType) {
    _intArr ints;
    ints.setAt(1, dyn("12"));
    ints.setAt(dyn(0), 3.9);
    EXPECT_EQ(ints.toString(), "[3, 12]");
    EXPECT_EQ(ints.at(dyn(1)), 12);
    EXPECT_EQ(ints.at(dyn("x")), 0);
    EXPECT_FALSE(ints.in(3.5));  // compared as values, not truncated
    EXPECT_TRUE(ints.in(dyn(12)));
    ints += dyn(velarray{4, 5});
    ints -= velarray{3, 4};
    EXPECT_EQ(ints.toString(), "[12, 5]");
    _arr32 names = _arr32{"a"} + text("b") + dyn(velarray{"c"});
    EXPECT_EQ(names.toString(), "[\"a\", \"b\", \"c\"]");
    _array64 reals(TYPE_REAL, dyn(velarray{1, "2.5"}));
    EXPECT_TRUE(reals.in(2.5));
    EXPECT_EQ(_arr32(dyn()).size(), 0);
}

TEST(Conversions, ExistForEveryValueType) {
    EXPECT_EQ(intval(natural(~0ULL)), INT_MAX);
    EXPECT_EQ(intval(LLONG_MIN), INT_MIN);
    EXPECT_EQ(intval(vel_num64::ofNatural(7)), 7);
    EXPECT_EQ(naturalval(vel_num64::ofNatural(~0ULL)), ~0ULL);
    EXPECT_EQ(naturalval('A'), 65ULL);
    EXPECT_EQ(doubleval('A'), 65.0);
    EXPECT_EQ(intval(velarray{1}), 0);
    EXPECT_EQ(naturalval(dict()), 0ULL);
    EXPECT_EQ(doubleval(_intArr{1}), 0.0);
    EXPECT_EQ(text("v") + vel_num64(2.5), "v2.5");
}

TEST(Operators, DictSetOperatorsWorkByKey) {
    dict p{entry("a", 1), entry("b", 2)};
    dict q{entry("b", 20), entry("c", 30)};
    EXPECT_EQ(printed(p & q), "{\"b\": 2}");
    EXPECT_EQ(printed(p | q), "{\"a\": 1, \"b\": 2, \"c\": 30}");
    EXPECT_EQ(printed(p ^ q), "{\"a\": 1, \"c\": 30}");
    EXPECT_EQ(printed(dyn(p) & dyn(q)), "{\"b\": 2}");
}

TEST(Operators, FmodAcceptsDynOperands) {
    EXPECT_DOUBLE_EQ(fmod(7.5, dyn(2)), 1.5);
    EXPECT_DOUBLE_EQ(fmod(dyn("7"), dyn(4)), 3.0);
}

TEST(Slices, DictKeyRangeFollowsInsertionOrder) {
    dict d{entry("b", 1), entry("a", 2), entry("c", 3)};
    EXPECT_EQ(printed(d.slice("a", "c", 1)), "{\"a\": 2, \"c\": 3}");
    EXPECT_EQ(printed(d.slice("b", "c", 0)), "{\"b\": 1, \"a\": 2}");
    EXPECT_TRUE(d.slice("c", "b", 1).empty());
    EXPECT_TRUE(d.slice("a", "nope", 1).empty());
    EXPECT_EQ(printed(dyn(d).slice("a", "c", 1)), "{\"a\": 2, \"c\": 3}");
}

}  // namespace
