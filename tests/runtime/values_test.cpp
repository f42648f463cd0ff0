// text, natural and dyn: construction, conversions, operators and printing.
#include <velmora/libvel.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <sstream>

namespace {

template <class T>
std::string printed(const T &value) {
    std::ostringstream out;
    out << std::boolalpha << value;
    return out.str();
}

TEST(TextValue, BuildsFromEveryScalar) {
    EXPECT_EQ(text(42).data, "42");
    EXPECT_EQ(text(-7LL).data, "-7");
    EXPECT_EQ(text(12ULL).data, "12");
    EXPECT_EQ(text(2.5).data, "2.5");
    EXPECT_EQ(text(1e20).data, "1e+20");
    EXPECT_EQ(text(true).data, "true");
    EXPECT_EQ(text('x').data, "x");
    EXPECT_EQ(text(static_cast<const char *>(nullptr)).data, "");
    EXPECT_EQ(text(dyn(velarray{1, "a"})).data, "[1, \"a\"]");
}

TEST(TextValue, IndexingReadsOneCharacterAndDefaultsOutOfRange) {
    text t("abc");
    EXPECT_EQ(t[1], "b");
    EXPECT_EQ(t[3], "");
    EXPECT_EQ(t[-1], "");
    EXPECT_EQ(t.length(), 3);
}

TEST(TextValue, SetAtReplacesAndPadsPastTheEnd) {
    text t("abc");
    t.setAt(0, "X");
    EXPECT_EQ(t, "Xbc");
    t.setAt(5, "!");
    EXPECT_EQ(t, "Xbc  !");
}

TEST(TextValue, SlicesHonourInclusiveFlagAndOpenEnd) {
    text t("abcdef");
    EXPECT_EQ(t.slice(1, 3, 1), "bcd");
    EXPECT_EQ(t.slice(1, 3, 0), "bc");
    EXPECT_EQ(t.slice(2, -1, 0), "cdef");
    EXPECT_EQ(t.slice(4, 100, 1), "ef");
    EXPECT_EQ(t.slice(4, 2, 1), "");
    EXPECT_EQ(t.slice(-3, 0, 1), "a");
}

TEST(TextValue, ConcatenatesWithLiteralsCharactersNumbersAndDyn) {
    text name("Ann");
    EXPECT_EQ("Hi " + name + '!', "Hi Ann!");
    EXPECT_EQ(name + 3, "Ann3");
    text joined = name + dyn(2.5);
    EXPECT_EQ(joined, "Ann2.5");
    EXPECT_EQ(dyn(1) + name, "1Ann");
}

TEST(TextValue, ComparesWithTextsAndCStrings) {
    text b("b");
    EXPECT_TRUE(b == "b");
    EXPECT_TRUE("a" < b);
    EXPECT_TRUE(b >= text("b"));
    EXPECT_TRUE(b != "c");
    EXPECT_EQ(text("a").compare("b"), -1);
}

TEST(TextValue, MethodsTransformAsDocumented) {
    EXPECT_EQ(text("  hi  ").trim(), "hi");
    EXPECT_EQ(text("  hi").lTrim(), "hi");
    EXPECT_EQ(text("hi  ").rTrim(), "hi");
    EXPECT_EQ(text("a-b-c").replace("-", "+"), "a+b+c");
    EXPECT_EQ(text("abc").replace("", "x"), "abc");
    EXPECT_EQ(text("hello").capitalize(), "Hello");
    EXPECT_EQ(text("MiX").lower(), "mix");
    EXPECT_EQ(text("ab").dup(3), "ababab");
    EXPECT_EQ(text("abcabc").find("c"), 2);
    EXPECT_EQ(text("abcabc").find("c", 3), 5);
    EXPECT_EQ(text("abcabc").find("z"), -1);
    EXPECT_EQ(text("abcabc").find_last_of("bc"), 4);
    EXPECT_EQ(text("Hello").findLex("LL"), 2);
    EXPECT_EQ(text("one two three").wrap(7), "one two\nthree");
    EXPECT_TRUE(text(" 12.5 ").isNumber());
    EXPECT_FALSE(text("12x").isNumber());
    EXPECT_FALSE(text("").isNumber());
}

TEST(TextValue, InTestsForASubstring) {
    EXPECT_TRUE(text("banana").in("nan"));
    EXPECT_FALSE(text("banana").in("x"));
    EXPECT_TRUE(in_sequence("nan", "banana"));
    EXPECT_FALSE(in_sequence(nullptr, "banana"));
}

TEST(Conversions, IntvalClampsAndParsesLeadingNumbers) {
    EXPECT_EQ(intval(3.9), 3);
    EXPECT_EQ(intval(-3.9), -3);
    EXPECT_EQ(intval(1e30), INT_MAX);
    EXPECT_EQ(intval(-1e30), INT_MIN);
    EXPECT_EQ(intval(std::nan("")), 0);
    EXPECT_EQ(intval(text("12abc")), 12);
    EXPECT_EQ(intval("7.8"), 7);
    EXPECT_EQ(intval(text("abc")), 0);
    EXPECT_EQ(intval(dyn("42")), 42);
}

TEST(Conversions, DoublevalAndNaturalval) {
    EXPECT_DOUBLE_EQ(doubleval(text("2.5kg")), 2.5);
    EXPECT_DOUBLE_EQ(doubleval(dyn(true)), 1.0);
    EXPECT_EQ(naturalval(text("18446744073709551615")), ~0ULL);
    EXPECT_EQ(naturalval(1e30), ~0ULL);
    EXPECT_EQ(naturalval(std::nan("")), 0ULL);
    EXPECT_EQ(natural(dyn(12ULL)), 12ULL);
    EXPECT_EQ(natural(dyn(2.9)), 2ULL);
}

TEST(Conversions, StrGivesTheTextOfAnyValue) {
    EXPECT_EQ(str(5), "5");
    EXPECT_EQ(str(0.1), "0.1");
    EXPECT_EQ(str(false), "false");
    EXPECT_EQ(str(dyn()), "");
    EXPECT_EQ(str(velarray{1, 2}), "[1, 2]");
}

TEST(DynValue, HoldsTheKindItWasBuiltFrom) {
    EXPECT_EQ(dyn().kind(), dyn::NIL);
    EXPECT_EQ(dyn(true).kind(), dyn::BOOLEAN);
    EXPECT_EQ(dyn(3).kind(), dyn::INTEGER);
    EXPECT_EQ(dyn(3ULL).kind(), dyn::NATURAL);
    EXPECT_EQ(dyn(1.5).kind(), dyn::REAL);
    EXPECT_EQ(dyn("a").kind(), dyn::TEXT);
    EXPECT_EQ(dyn('a').kind(), dyn::TEXT);
    EXPECT_EQ(dyn(velarray()).kind(), dyn::ARRAY);
    EXPECT_EQ(dyn(dict()).kind(), dyn::DICT);
    EXPECT_EQ(dyn(new vel_pair("k", 1)).kind(), dyn::PAIR);
    int object = 0;
    EXPECT_EQ(dyn(&object).kind(), dyn::POINTER);
    EXPECT_EQ(dyn(static_cast<const char *>(nullptr)).kind(), dyn::NIL);
}

TEST(DynValue, CopiesDoNotShareContainers) {
    dyn a(velarray{1, 2});
    dyn b = a;
    b.setAt(0, 99);
    EXPECT_EQ(a.at(0), 1);
    EXPECT_EQ(b.at(0), 99);
}

TEST(DynValue, AssigningAnElementOfItselfIsSafe) {
    dyn nested(velarray{velarray{1, 2}, 3});
    nested = nested.at(0);
    EXPECT_EQ(nested.toString(), "[1, 2]");
    dyn inner(velarray{velarray{5}});
    inner = inner[0];
    EXPECT_EQ(inner.toString(), "[5]");
}

// One value of every kind, each different from the others.
std::vector<dyn> oneOfEveryKind(int *object) {
    return {dyn(), dyn(true), dyn(-7), dyn(18446744073709551615ULL), dyn(2.5), dyn("word"),
            dyn(velarray{1, "a"}), dyn(dict{new vel_pair("k", 1)}), dyn(new vel_pair("p", velarray{2})),
            dyn(static_cast<void *>(object))};
}

TEST(DynValue, CopiesAndMovesOfEveryKindKeepTheValue) {
    int object = 0;
    std::vector<dyn> originals = oneOfEveryKind(&object);
    for (const dyn &original : originals) {
        std::string expected = printed(original);
        dyn copied(original);
        EXPECT_EQ(copied.kind(), original.kind());
        EXPECT_EQ(printed(copied), expected);
        dyn moved(std::move(copied));
        EXPECT_EQ(printed(moved), expected);
        EXPECT_TRUE(copied.isNil());  // a moved-from value is nil, whatever it held
        dyn assigned(1.5);
        assigned = moved;
        EXPECT_EQ(printed(assigned), expected);
        dyn moveAssigned("old text");
        moveAssigned = std::move(assigned);
        EXPECT_EQ(printed(moveAssigned), expected);
        EXPECT_TRUE(assigned.isNil());
        EXPECT_EQ(printed(original), expected);  // the source of the copies is untouched
    }
}

TEST(DynValue, AssigningEveryKindOverEveryKind) {
    int object = 0;
    std::vector<dyn> values = oneOfEveryKind(&object);
    for (const dyn &target : values) {
        for (const dyn &source : values) {
            dyn copyTarget(target), moveTarget(target), moved(source);
            copyTarget = source;
            moveTarget = std::move(moved);
            EXPECT_EQ(copyTarget.kind(), source.kind());
            EXPECT_EQ(printed(copyTarget), printed(source));
            EXPECT_EQ(printed(moveTarget), printed(source));
        }
    }
}

TEST(DynValue, ReadsOnlyTheNumberOfItsKind) {
    int object = 0;
    dyn pointer(static_cast<void *>(&object));
    EXPECT_EQ(pointer.holdsInteger(), 0);
    EXPECT_EQ(pointer.holdsReal(), 0);
    EXPECT_FALSE(pointer.holdsBoolean());
    EXPECT_EQ(dyn("12").holdsInteger(), 0);
    EXPECT_EQ(dyn(2.5).holdsInteger(), 0);
    EXPECT_EQ(dyn(-1).holdsNatural(), 0ULL);
    EXPECT_EQ(dyn(-1).holdsInteger(), -1);
    dyn changed(1.5);
    changed = dyn(3);  // the old real must not show through the integer
    EXPECT_EQ(changed.holdsReal(), 0);
    EXPECT_EQ(changed.holdsInteger(), 3);
    EXPECT_EQ(dyn(7).asText(), nullptr);
    EXPECT_EQ(dyn("a").asArray(), nullptr);
    EXPECT_EQ(dyn(velarray{}).asDict(), nullptr);
    EXPECT_EQ(pointer.asPair(), nullptr);
    EXPECT_EQ(dyn(5).rawPointer(), nullptr);
    EXPECT_EQ(pointer.rawPointer(), &object);
}

TEST(DynValue, MovingAnElementOverItsContainerKeepsTheElement) {
    dyn outer(velarray{"first element, long enough to live on the heap", 2});
    outer = std::move(outer[0]);
    EXPECT_EQ(printed(outer), "first element, long enough to live on the heap");
    dyn inDict(dict{new vel_pair("k", velarray{1, 2})});
    inDict = std::move(inDict[dyn("k")]);
    EXPECT_EQ(printed(inDict), "[1, 2]");
}

TEST(DynValue, DroppedTextsLeaveLaterTextsIntact) {
    // Texts are made and dropped in turns, so that later ones reuse what
    // earlier ones left.
    std::vector<dyn> kept;
    for (int round = 0; round < 3; ++round) {
        std::vector<dyn> dropped;
        for (int i = 0; i < 100; ++i) dropped.push_back(dyn(text("d") + text(i)));
        for (int i = 0; i < 50; ++i) kept.push_back(dyn(text("k") + text(round * 50 + i)));
    }
    for (int i = 0; i < 150; ++i) EXPECT_EQ(printed(kept[static_cast<std::size_t>(i)]), "k" + std::to_string(i));
}

TEST(DynArithmetic, IntegerSumsWrapAndOtherKindsKeepTheirRules) {
    EXPECT_EQ(printed(dyn(2) + dyn(3)), "5");
    EXPECT_EQ((dyn(LLONG_MAX) + dyn(1)).holdsInteger(), LLONG_MIN);
    EXPECT_EQ((dyn(2) + dyn(3)).kind(), dyn::INTEGER);
    EXPECT_EQ((dyn(2) + dyn(0.5)).kind(), dyn::REAL);
    EXPECT_EQ((dyn(2ULL) + dyn(3ULL)).kind(), dyn::NATURAL);
    EXPECT_EQ(printed(dyn(2) + dyn("3")), "23");
    EXPECT_EQ(printed(dyn() + dyn(4)), "4");
    EXPECT_EQ(printed(dyn(true) + dyn(1)), "2");
}

TEST(DynArithmetic, PromotesIntegersNaturalsAndReals) {
    EXPECT_EQ((dyn(2) + 3).kind(), dyn::INTEGER);
    EXPECT_EQ(dyn(2) + 3, 5);
    EXPECT_EQ((dyn(2ULL) + dyn(3ULL)).kind(), dyn::NATURAL);
    EXPECT_EQ((dyn(2) * 1.5).kind(), dyn::REAL);
    EXPECT_EQ(dyn(2) * 1.5, 3.0);
    EXPECT_EQ(dyn(7) / 2, 3.5);
    EXPECT_EQ(dyn(7) % 3, 1);
    EXPECT_EQ(dyn(7.5) % 2, 1.5);
    EXPECT_EQ(-dyn(4), -4);
    EXPECT_EQ(dyn("4") * 2, 8);
}

TEST(DynArithmetic, PlusJoinsTextsAndAppendsToArrays) {
    EXPECT_EQ(dyn("a") + 1, "a1");
    EXPECT_EQ(dyn(1) + "a", "1a");
    dyn list(velarray{1});
    list += 2;
    EXPECT_EQ(list.toString(), "[1, 2]");
    EXPECT_EQ(dyn() + 5, 5);
}

TEST(DynArithmetic, OverflowWrapsInsteadOfBeingUndefined) {
    EXPECT_EQ(dyn(LLONG_MAX) + 1, dyn(LLONG_MIN));
    EXPECT_EQ(dyn(LLONG_MIN) % -1, 0);
    EXPECT_EQ(dyn(1) << 64, 1);
}

TEST(DynArithmetic, BitOperatorsWorkOnIntegers) {
    EXPECT_EQ(dyn(6) & 3, 2);
    EXPECT_EQ(dyn(6) | 1, 7);
    EXPECT_EQ(dyn(6) ^ 2, 4);
    EXPECT_EQ(dyn(1) << 4, 16);
    EXPECT_EQ(dyn(-16) >> 2, -4);
    EXPECT_EQ(~dyn(0), -1);
}

TEST(DynArithmetic, IncrementAndCompoundForms) {
    dyn n(1);
    n++;
    ++n;
    n *= 10;
    n -= 5;
    EXPECT_EQ(n, 25);
    dyn numeric("4");
    ++numeric;
    EXPECT_EQ(numeric, 5);
}

TEST(DynComparison, NumbersCompareAcrossKinds) {
    EXPECT_TRUE(dyn(1) == 1.0);
    EXPECT_TRUE(dyn(2ULL) > dyn(-1));
    EXPECT_TRUE(dyn(-1) < dyn(0ULL));
    EXPECT_TRUE(dyn("10") == 10);
    EXPECT_TRUE(dyn("10") > 9);
    EXPECT_TRUE(dyn("abc") < dyn("abd"));
    EXPECT_FALSE(dyn("abc") == 0);
    EXPECT_TRUE(dyn() == dyn());
    EXPECT_FALSE(dyn() == 0);
}

TEST(DynComparison, ContainersCompareByContents) {
    EXPECT_TRUE(dyn(velarray{1, "a"}) == dyn(velarray{1, "a"}));
    EXPECT_FALSE(dyn(velarray{1}) == dyn(velarray{1, 2}));
    dict ab{dyn(new vel_pair("a", 1)), dyn(new vel_pair("b", 2))};
    dict ba{dyn(new vel_pair("b", 2)), dyn(new vel_pair("a", 1))};
    EXPECT_TRUE(dyn(ab) == dyn(ba));
    EXPECT_FALSE(dyn(velarray()) == dyn(0));
}

TEST(DynConversion, StaticConversionsOfEveryKind) {
    EXPECT_TRUE(dyn::toBoolean(dyn("x")));
    EXPECT_FALSE(dyn::toBoolean(dyn("0")));
    EXPECT_FALSE(dyn::toBoolean(dyn(velarray())));
    EXPECT_EQ(dyn::toInt(dyn(1e300)), INT_MAX);
    EXPECT_EQ(dyn::toInt(dyn("3.7")), 3);
    EXPECT_DOUBLE_EQ(dyn::toReal(dyn("2.25")), 2.25);
    EXPECT_EQ(dyn::toNatural(dyn(-1)), ~0ULL);
    EXPECT_EQ(dyn::toText(dyn(2.0)), "2");
    EXPECT_EQ(dyn::toArray(dyn(5)).toString(), "[5]");
    EXPECT_EQ(dyn::toArray(dyn()).size(), 0);
    EXPECT_EQ(dyn::toDict(dyn(velarray{"x"})).toString(), "{0: \"x\"}");
    int object = 0;
    EXPECT_EQ(static_cast<int *>(dyn(&object)), &object);
    EXPECT_EQ(dyn::toFile(dyn(3)), nullptr);
}

TEST(DynConversion, CastsAsTheGeneratedCodeWritesThem) {
    dyn d(7.9);
    EXPECT_EQ((int)d, 7);
    EXPECT_DOUBLE_EQ((double)(d), 7.9);
    EXPECT_EQ((natural)(d), 7ULL);
    EXPECT_TRUE((bool)d);
    EXPECT_EQ(text(d), "7.9");
}

TEST(DynConversion, ToDictOfAScalarRaisesTheErrorFlag) {
    dyn::error.set(false);
    EXPECT_TRUE(dyn::error == false);
    dyn::toDict(dyn(3));
    EXPECT_TRUE(dyn::error);
    dyn::error.set(false);
}

TEST(DynContainer, WritingIntoNilMakesAnArrayOrADict) {
    dyn list;
    list.setAt(2, "c");
    EXPECT_EQ(list.toString(), "[nil, nil, \"c\"]");
    dyn table;
    table["k"] = 1;
    EXPECT_EQ(table.toString(), "{\"k\": 1}");
    dyn grid;
    grid.to(1)->setAt(0, 5);
    EXPECT_EQ(grid.toString(), "[nil, [5]]");
}

TEST(DynContainer, ReadingOutOfRangeGivesNil) {
    dyn list(velarray{1});
    EXPECT_TRUE(list.at(5).isNil());
    EXPECT_TRUE(list.at(-1).isNil());
    EXPECT_TRUE(dyn(3).at(0).isNil());
    EXPECT_EQ(dyn("abc").at(1), "b");
}

TEST(DynPrinting, ScalarsAndContainers) {
    EXPECT_EQ(printed(dyn()), "");
    EXPECT_EQ(printed(dyn(false)), "false");
    EXPECT_EQ(printed(dyn(0.1)), "0.1");
    EXPECT_EQ(printed(dyn("say \"hi\"")), "say \"hi\"");
    EXPECT_EQ(printed(dyn(velarray{"say \"hi\"", 1.5, dyn(), true})), "[\"say \\\"hi\\\"\", 1.5, nil, true]");
    EXPECT_EQ(printed(dyn(new vel_pair("a", 1))), "\"a\": 1");
}

TEST(DynDeath, BadWritesEndTheProgramWithAMessage) {
    EXPECT_EXIT({ dyn(3).setAt(0, 1); }, ::testing::ExitedWithCode(1), "Run-time error: cannot put an element into a integer");
    EXPECT_EXIT({ dyn(1) % 0; }, ::testing::ExitedWithCode(1), "Run-time error: modulo by zero");
    EXPECT_EXIT({ text t("a"); t.setAt(-1, "x"); }, ::testing::ExitedWithCode(1), "negative index -1");
}

}  // namespace
