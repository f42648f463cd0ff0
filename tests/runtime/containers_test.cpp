// velarray, dict and the typed arrays (and their element stores):
// access, growth, slices, set operators, the cursor protocol and printing.
#include <velmora/libvel.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

dyn entry(const dyn &key, const dyn &value) { return dyn(new vel_pair(key, value)); }

template <class T>
std::string printed(const T &value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

// Runs the loop the translator writes for `for k, v in c` and records the
// visited keys and values.
template <class Container>
std::string visit(Container &c) {
    std::string seen;
    c.reset();
    while (c.inBound()) {
        dyn k = c.key();
        dyn v = c.value();
        c.bound();
        seen += dyn::toText(k).data + "=" + dyn::toText(v).data + ";";
    }
    return seen;
}

TEST(VelArray, WritingPastTheEndGrowsWithNil) {
    velarray a;
    a[2] = "x";
    EXPECT_EQ(a.size(), 3);
    EXPECT_EQ(a.toString(), "[nil, nil, \"x\"]");
    a.setAt(0, 1);
    EXPECT_EQ(a.at(0), 1);
}

TEST(VelArray, ReadingOutOfRangeGivesNilWithoutGrowing) {
    velarray a{1, 2};
    EXPECT_TRUE(a.at(2).isNil());
    EXPECT_TRUE(a.at(-1).isNil());
    EXPECT_TRUE(a.at(dyn("x")).isNil());
    EXPECT_EQ(a.size(), 2);
}

TEST(VelArray, SetAtWithOwnElementIsSafe) {
    velarray a{velarray{1, 2}};
    for (int i = 1; i < 40; ++i) a.setAt(i, a.at(0));
    EXPECT_EQ(a.at(39).toString(), "[1, 2]");
    velarray small{velarray{1, 2}};
    small.setAt(500, small[0]);  // the write reallocates the elements
    EXPECT_EQ(small.at(500).toString(), "[1, 2]");
    velarray grown{"first"};
    grown[300] = grown[0];  // the right side is evaluated before the array grows
    EXPECT_EQ(grown.at(300), "first");
    dyn holder(velarray{"x"});
    holder[200] = holder[0];
    EXPECT_EQ(holder.at(200), "x");
    _arr32 names{"n"};
    names[100] = names[0];
    EXPECT_EQ(text(names.at(100)), "n");
    dict d;
    d["a"] = velarray{3};
    for (int i = 0; i < 100; ++i) d.setAt(i, d["a"]);
    EXPECT_EQ(d.at(99).toString(), "[3]");
}

TEST(VelArray, ToCreatesInnerContainers) {
    velarray a;
    a.to(1)->setAt(2, "v");
    a.to(0)->to(0)->setAt(0, 7);
    EXPECT_EQ(a.toString(), "[[[7]], [nil, nil, \"v\"]]");
}

TEST(VelArray, BuildsFromTheArgumentVector) {
    const char *args[] = {"prog", "one", "two", nullptr};
    velarray argv(args);
    EXPECT_EQ(argv.toString(), "[\"prog\", \"one\", \"two\"]");
}

TEST(VelArray, SlicesAndMembership) {
    velarray a{0, 1, 2, 3, 4};
    EXPECT_EQ(a.slice(1, 3, 1).toString(), "[1, 2, 3]");
    EXPECT_EQ(a.slice(1, 3, 0).toString(), "[1, 2]");
    EXPECT_EQ(a.slice(3, -1, 0).toString(), "[3, 4]");
    EXPECT_EQ(a.slice(0, 99, 1).size(), 5);
    EXPECT_TRUE(a.in(dyn(3)));
    EXPECT_TRUE(a.in(dyn(3.0)));
    EXPECT_FALSE(a.in(dyn("x")));
}

TEST(VelArray, AppendConcatenateRemove) {
    velarray a{1, 2};
    EXPECT_EQ((a + dyn(3)).toString(), "[1, 2, 3]");
    EXPECT_EQ((a + velarray{3, 4}).toString(), "[1, 2, 3, 4]");
    EXPECT_EQ((a + dyn(velarray{3})).toString(), "[1, 2, [3]]");
    velarray b{1, 2, 1, 3};
    EXPECT_EQ((b - dyn(1)).toString(), "[2, 3]");
    EXPECT_EQ((b - velarray{1, 3}).toString(), "[2]");
    a += a;
    EXPECT_EQ(a.toString(), "[1, 2, 1, 2]");
}

TEST(VelArray, SetOperatorsKeepLeftOrderWithoutDuplicates) {
    velarray a{1, 2, 2, 3}, b{3, 4, 2};
    EXPECT_EQ((a & b).toString(), "[2, 3]");
    EXPECT_EQ((a | b).toString(), "[1, 2, 3, 4]");
    EXPECT_EQ((a ^ b).toString(), "[1, 4]");
    a ^= b;
    EXPECT_EQ(a.toString(), "[1, 4]");
}

TEST(VelArray, Methods) {
    velarray a{3, 1, 2};
    a.sort();
    EXPECT_EQ(a.toString(), "[1, 2, 3]");
    a.rSort();
    EXPECT_EQ(a.toString(), "[3, 2, 1]");
    EXPECT_EQ(a.pop(), 1);
    EXPECT_EQ(a.shift(), 3);
    a.unshift("z");
    a.insert(1, "y");
    EXPECT_EQ(a.join("-"), "z-y-2");
    EXPECT_EQ(a.find(dyn(2)), 2);
    EXPECT_EQ(a.findLast(dyn("q")), -1);
    a.splice(0, 2);
    EXPECT_EQ(a.toString(), "[2]");
    EXPECT_TRUE(velarray().pop().isNil());
    EXPECT_DOUBLE_EQ((velarray{1, 2.5}).sum(), 3.5);
    EXPECT_EQ((velarray{4, 9, 1}).max(), 9);
    EXPECT_EQ((velarray{1, 1, 2}).unique().toString(), "[1, 2]");
    EXPECT_EQ((velarray{1, 2}).reverse().toString(), "[2, 1]");
}

TEST(VelArray, CursorVisitsEveryElementAndValueStaysOnTheCurrentOne) {
    velarray a{"a", "b", "c"};
    EXPECT_EQ(visit(a), "0=a;1=b;2=c;");
    std::vector<std::string> current;
    a.reset();
    while (a.inBound()) {
        dyn v = a.value();
        a.bound();
        current.push_back(a.value().toText().data);
        a[a.key()] = v + "!";
    }
    EXPECT_EQ(current, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(a.toString(), "[\"a!\", \"b!\", \"c!\"]");
    velarray none;
    EXPECT_EQ(visit(none), "");
}

TEST(Dict, KeepsInsertionOrder) {
    dict d{entry("b", 1), entry("a", 2)};
    d["c"] = 3;
    d["b"] = 10;
    EXPECT_EQ(d.toString(), "{\"b\": 10, \"a\": 2, \"c\": 3}");
    EXPECT_EQ(visit(d), "b=10;a=2;c=3;");
}

TEST(Dict, IntegerAndTextKeysAreDistinctAndNumbersAreTruncated) {
    dict d;
    d[1] = "one";
    d["1"] = "text one";
    d[2.7] = "two";
    EXPECT_EQ(d.size(), 3);
    EXPECT_EQ(d.at(1), "one");
    EXPECT_EQ(d.at("1"), "text one");
    EXPECT_EQ(d.at(2), "two");
    EXPECT_TRUE(d.at("missing").isNil());
    EXPECT_EQ(d.size(), 3);
    EXPECT_TRUE(d.in(dyn(1)));
    EXPECT_FALSE(d.in(dyn("2")));
}

// Enough keys for the index to grow many times: texts of every length up to
// a few words, the empty text, integers of both signs and at the ends of
// their range, and texts that spell those integers.
TEST(Dict, EveryKeyIsFoundAfterTheIndexGrowsAndIsRebuilt) {
    dict d;
    std::vector<dyn> keys{dyn(""), dyn(0), dyn("0"), dyn(-1), dyn("-1"),
                          dyn(std::numeric_limits<long long>::max()), dyn(std::numeric_limits<long long>::min())};
    for (int i = 1; i < 3000; i++)
        keys.push_back(dyn(std::string(i % 13, 'k') + std::to_string(i)));
    for (int i = 1; i < 1000; i++)
        keys.push_back(dyn(static_cast<long long>(i) * 4294967296LL));
    for (std::size_t i = 0; i < keys.size(); i++)
        d[keys[i]] = static_cast<int>(i);
    ASSERT_EQ(d.size(), static_cast<int>(keys.size()));
    for (std::size_t i = 0; i < keys.size(); i++)
        ASSERT_EQ(d.at(keys[i]), static_cast<int>(i)) << i;
    EXPECT_TRUE(d.at("kk1").isNil());
    EXPECT_TRUE(d.at(1).isNil());
    // Removing the first entry moves every other one down a position.
    EXPECT_TRUE(d.remove(dyn("")));
    for (std::size_t i = 1; i < keys.size(); i++)
        ASSERT_EQ(d.at(keys[i]), static_cast<int>(i)) << i;
    EXPECT_TRUE(d.at("").isNil());
    EXPECT_EQ(d.size(), static_cast<int>(keys.size()) - 1);
}

TEST(Dict, RemovingKeepsTheIndexConsistent) {
    dict d{entry("a", 1), entry("b", 2), entry("c", 3)};
    EXPECT_TRUE(d.remove("a"));
    EXPECT_FALSE(d.remove("a"));
    EXPECT_EQ(d.at("c"), 3);
    d["c"] = 30;
    EXPECT_EQ(d.toString(), "{\"b\": 2, \"c\": 30}");
    EXPECT_EQ(d.shift(), 2);
    EXPECT_EQ(d.at("c"), 30);
}

TEST(Dict, NestedWritesThroughTo) {
    dict d;
    d.to("rows")->setAt(1, "x");
    d.to("names")->setAt("first", "Ann");
    EXPECT_EQ(d.toString(), "{\"rows\": [nil, \"x\"], \"names\": {\"first\": \"Ann\"}}");
}

TEST(Dict, SlicesByPositionAndByKeys) {
    dict d{entry("a", 1), entry("b", 2), entry("c", 3), entry("d", 4)};
    EXPECT_EQ(d.slice(1, 2, 1).toString(), "{\"b\": 2, \"c\": 3}");
    EXPECT_EQ(d.slice(2, -1, 0).toString(), "{\"c\": 3, \"d\": 4}");
    EXPECT_EQ(d.slice(text("b"), text("c")).toString(), "{\"b\": 2, \"c\": 3}");
    EXPECT_EQ(d.slice(text("b"), text("zz")).size(), 0);
}

TEST(Dict, MethodsPushPopUnshiftInsertSort) {
    dict d{entry("x", 5)};
    EXPECT_EQ(d.push("p"), 0);
    EXPECT_EQ(d.push("q"), 1);
    d.unshift("first", 0);
    EXPECT_EQ(d.toString(), "{\"first\": 0, \"x\": 5, 0: \"p\", 1: \"q\"}");
    EXPECT_EQ(d.pop(), "q");
    d.insert(1, entry("y", 9));
    EXPECT_EQ(d.keys().toString(), "[\"first\", \"y\", \"x\", 0]");
    d.sort();
    EXPECT_EQ(d.values().toString(), "[0, 5, 9, \"p\"]");
    d.kSort();
    EXPECT_EQ(d.keys().toString(), "[0, \"first\", \"x\", \"y\"]");
    EXPECT_EQ(d.find(dyn(9)), 3);
}

TEST(Dict, OrderIsKeptThroughRemovesAndUpdatesAndTheIndexFollows) {
    dict d;
    for (int i = 0; i < 200; ++i) d[text("k" + std::to_string(i))] = i;
    for (int i = 0; i < 200; i += 2) EXPECT_TRUE(d.remove(text("k" + std::to_string(i))));
    d[text("k1")] = "updated";  // an update keeps its place
    d[text("k0")] = "back";     // a removed key comes back at the end
    EXPECT_EQ(d.size(), 101);
    EXPECT_EQ(d.keys().at(0), "k1");
    EXPECT_EQ(d.keys().at(1), "k3");
    EXPECT_EQ(d.keys().at(100), "k0");
    for (int i = 3; i < 200; i += 2) EXPECT_EQ(d.at(text("k" + std::to_string(i))), i);
    EXPECT_EQ(d.at("k1"), "updated");
    EXPECT_TRUE(d.at("k2").isNil());
    d.shift();
    EXPECT_EQ(d.at("k3"), 3);
    EXPECT_EQ(d.find(dyn(3)), 0);
}

TEST(Dict, EveryKeySpellingFindsTheSameEntry) {
    dict d;
    d["a"] = 1;
    d[text("b")] = 2;
    d[std::string("c")] = 3;
    d[dyn("d")] = 4;
    d[7] = "seven";
    d[7LL] = "still seven";
    d[dyn(7.9)] = "seven again";
    d[static_cast<unsigned char>(8)] = "eight";
    EXPECT_EQ(d.size(), 6);
    EXPECT_EQ(d.at(dyn("a")), 1);
    EXPECT_EQ(d.at(std::string("b")), 2);
    EXPECT_EQ(d.at(text("c")), 3);
    EXPECT_EQ(d.at("d"), 4);
    EXPECT_EQ(d.at(7), "seven again");
    EXPECT_EQ(d.at(dyn(8)), "eight");
    EXPECT_TRUE(d.hasKey(text("a")) && d.hasKey("b") && d.hasKey(8) && d.hasKey(dyn(7)));
    EXPECT_FALSE(d.hasKey("7"));
    EXPECT_FALSE(d.hasKey(dyn(velarray())));
    d.setAt(text("a"), d.at("b"));  // the value is read before the write
    EXPECT_EQ(d.at("a"), 2);
    EXPECT_EQ(d.toString(), "{\"a\": 2, \"b\": 2, \"c\": 3, \"d\": 4, 7: \"seven again\", 8: \"eight\"}");
}

TEST(Dict, ReadingAMissingKeyAddsNothingAndWritesThroughAReadValueAreSafe) {
    dict d;
    EXPECT_TRUE(d.at(text("x")).isNil());
    EXPECT_TRUE(d.at(3).isNil());
    EXPECT_EQ(d.size(), 0);
    d["first"] = "v";
    for (int i = 0; i < 100; ++i) d[i] = d.at("first");  // the read value lives in d while d grows
    EXPECT_EQ(d.at(99), "v");
    dict copy = d;
    copy.remove("first");
    EXPECT_EQ(copy.at(5), "v");
    EXPECT_TRUE(copy.at("first").isNil());
    EXPECT_EQ(d.at("first"), "v");
}

TEST(Dict, SortAndSliceKeepTheIndexInStep) {
    dict d{entry("c", 3), entry("a", 1), entry(2, "two")};
    d.kSort();
    EXPECT_EQ(d.at("a"), 1);
    EXPECT_EQ(d.at(2), "two");
    d.setSlice(0, 0, 1, dyn(new vel_pair(dyn("z"), dyn(26))));
    EXPECT_EQ(d.toString(), "{\"z\": 26, \"a\": 1, \"c\": 3}");
    EXPECT_EQ(d.at("c"), 3);
    EXPECT_TRUE(d.at(2).isNil());
}

TEST(Dict, InitializerEntriesThatAreNotPairsGetIntegerKeys) {
    dict d{dyn("a"), entry("k", 1), dyn("b")};
    EXPECT_EQ(d.toString(), "{0: \"a\", \"k\": 1, 1: \"b\"}");
}

TEST(Dict, ReadingAndWritingOneKeyInTurnsFollowsEveryChange) {
    dict counts;
    text names[] = {"a", "b", "a", "a", "c", "b", "a"};
    for (const text &name : names) counts[name] = counts.at(name) + 1;
    EXPECT_EQ(printed(counts), "{\"a\": 4, \"b\": 2, \"c\": 1}");
    // The entry found last moves when an earlier key goes: the next lookup of
    // its key must not take the entry now standing at its old position.
    EXPECT_EQ(counts.at(text("c")), 1);
    counts.remove(dyn("a"));
    EXPECT_EQ(counts.at(text("c")), 1);
    EXPECT_EQ(counts.at(text("b")), 2);
    EXPECT_TRUE(counts.at(text("a")).isNil());
    counts[text("a")] = 9;
    EXPECT_EQ(printed(counts), "{\"b\": 2, \"c\": 1, \"a\": 9}");
    // Text and integer keys stay apart, also when looked up in turns.
    dict mixed;
    mixed[dyn(1)] = "integer";
    mixed[text("1")] = "text";
    EXPECT_EQ(printed(mixed.at(dyn(1))), "integer");
    EXPECT_EQ(printed(mixed.at(text("1"))), "text");
    EXPECT_EQ(printed(mixed.at(dyn(1))), "integer");
    EXPECT_EQ(printed(mixed.at(dyn(1.7))), "integer");
    // A copy finds its keys on its own.
    dict copy(counts);
    copy.remove(dyn("b"));
    EXPECT_EQ(copy.at(text("c")), 1);
    EXPECT_EQ(counts.at(text("b")), 2);
}

TEST(VelArray, SplitAndJoinKeepEveryPiece) {
    velarray parts = explode(text("w0,,w2,"), ",");
    EXPECT_EQ(printed(parts), "[\"w0\", \"\", \"w2\", \"\"]");
    EXPECT_EQ(parts.join(";").data, "w0;;w2;");
    velarray chars = explode(std::string("ab"), "");
    EXPECT_EQ(printed(chars), "[\"a\", \"b\"]");
    velarray mixed{1, "x", 2.5, velarray{3}};
    EXPECT_EQ(mixed.join("-").data, "1-x-2.5-[3]");
    dyn line("a b");
    EXPECT_EQ(printed(explode(line, " ")), "[\"a\", \"b\"]");
    velarray pushed;
    dyn piece("moved in");
    pushed.push(std::move(piece));
    pushed.push(dyn("second"));
    EXPECT_EQ(printed(pushed), "[\"moved in\", \"second\"]");
}

TEST(ChunkedArray, GrowsAtBothEndsWithoutMovingElements) {
    vel_chunked_array<int> a;
    const std::size_t chunk = vel_chunked_array<int>::chunkSize;
    a.push_back(1);
    int *middle = &a[0];
    for (std::size_t i = 0; i < 3 * chunk; ++i) a.push_back(static_cast<int>(i) + 2);
    for (std::size_t i = 0; i < 2 * chunk + 1; ++i) a.push_front(-static_cast<int>(i));
    EXPECT_EQ(*middle, 1);
    EXPECT_EQ(&a[2 * chunk + 1], middle);
    EXPECT_EQ(a.size(), 5 * chunk + 2);
    EXPECT_EQ(a.front(), -static_cast<int>(2 * chunk));
    EXPECT_EQ(a.back(), static_cast<int>(3 * chunk) + 1);
    for (std::size_t i = 1; i < a.size(); ++i) ASSERT_EQ(a[i], a[i - 1] + 1) << i;
}

// What the two element stores share: order through growth at both ends,
// insertions and removals, copies. Sizes span several chunks, and several
// new blocks of the contiguous store.
template <class Store>
class ElementStore : public ::testing::Test {};
template <class T>
struct StoreOf;
template <>
struct StoreOf<vel_chunked_array<int>> {
    template <class E>
    using type = vel_chunked_array<E>;
};
template <>
struct StoreOf<vel_contiguous_array<int>> {
    template <class E>
    using type = vel_contiguous_array<E>;
};
using ElementStores = ::testing::Types<vel_chunked_array<int>, vel_contiguous_array<int>>;
TYPED_TEST_SUITE(ElementStore, ElementStores);

constexpr int manyElements = 300;

TYPED_TEST(ElementStore, WorksAsAQueue) {
    typename StoreOf<TypeParam>::template type<dyn> queue;
    int next = 0, expected = 0;
    for (int round = 0; round < manyElements; ++round) {
        queue.push_back(dyn(text(next++)));
        queue.push_back(dyn(text(next++)));
        EXPECT_EQ(dyn::toText(queue.front()).data, std::to_string(expected++));
        queue.pop_front();
    }
    EXPECT_EQ(queue.size(), static_cast<std::size_t>(manyElements));
    while (!queue.empty()) {
        EXPECT_EQ(dyn::toText(queue.front()).data, std::to_string(expected++));
        queue.pop_front();
    }
    queue.push_front(dyn(7));
    EXPECT_EQ(queue.back(), 7);
}

TYPED_TEST(ElementStore, GrowsAtBothEndsInOrder) {
    TypeParam a;
    for (int i = 0; i < manyElements; ++i) a.push_back(i + 1);
    for (int i = 0; i <= manyElements; ++i) a.push_front(-i);
    a.push_front(a.back());  // an element that a new block may move
    EXPECT_EQ(a.size(), static_cast<std::size_t>(2 * manyElements + 2));
    EXPECT_EQ(a.front(), manyElements);
    EXPECT_EQ(a[1], -manyElements);
    for (std::size_t i = 2; i < a.size(); ++i) ASSERT_EQ(a[i], a[i - 1] + 1) << i;
    while (a.size() > 1) a.pop_back();
    EXPECT_EQ(a.front(), manyElements);
    a.pop_back();
    EXPECT_TRUE(a.empty());
    a.push_back(3);
    EXPECT_EQ(a.front(), 3);
}

TYPED_TEST(ElementStore, InsertAndEraseKeepOrderAlsoWithOwnElements) {
    TypeParam a;
    const int chunk = manyElements;
    for (int i = 0; i < chunk + 10; ++i) a.push_back(i);
    a.insert(a.begin() + 1, a[chunk]);  // an element that the insertion moves
    EXPECT_EQ(a[1], chunk);
    EXPECT_EQ(a[2], 1);
    EXPECT_EQ(a.back(), chunk + 9);
    a.insert(a.begin(), a.begin() + 2, a.begin() + 4);  // a range of this array
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    EXPECT_EQ(a[2], 0);
    EXPECT_EQ(a.size(), static_cast<std::size_t>(chunk + 13));
    a.erase(a.begin(), a.begin() + 4);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a.size(), static_cast<std::size_t>(chunk + 9));
    for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], static_cast<int>(i) + 1) << i;
    a.erase(a.begin() + 5, a.end());
    EXPECT_EQ(a.size(), 5u);
    a.resize(chunk + 2, a[4]);  // filled with a copy of an element
    EXPECT_EQ(a.back(), 5);
    a.resize(1);
    EXPECT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0], 1);
}

TYPED_TEST(ElementStore, CopiesAreIndependentAndCompareByElements) {
    typename StoreOf<TypeParam>::template type<dyn> a{dyn("x"), dyn(velarray{1})};
    auto b(a);
    EXPECT_TRUE(a == b);
    b[1].setAt(0, 2);
    EXPECT_FALSE(a == b);
    EXPECT_EQ(dyn::toText(a[1]).data, "[1]");
    auto moved(std::move(b));
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(dyn::toText(moved[1]).data, "[2]");
    auto &same = a;
    a = same;  // assigning an array to itself keeps it
    EXPECT_EQ(a.size(), 2u);
    TypeParam numbers{3, 1, 2};
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (TypeParam{1, 2, 3}));
}

// Once an address is out, growth at the back leaves every element where it
// was, and growth at the front moves values, not the block: the address
// stays good. Elements past the block are still reached by index, and
// inPlace() is nullptr for them, so the typed arrays take their out-of-line
// path.
TEST(ContiguousArray, APinnedArrayKeepsItsBlock) {
    vel_contiguous_array<int> a;
    a.push_back(1);
    a.pin();
    int *held = &a[0];
    for (int i = 0; i < manyElements; ++i) a.push_back(i + 2);
    EXPECT_EQ(held, &a[0]);
    for (int i = 0; i < 20; ++i) a.push_front(-i);
    EXPECT_EQ(held, &a[0]);
    EXPECT_EQ(*held, -19);
    EXPECT_EQ(a.size(), static_cast<std::size_t>(manyElements + 21));
    for (std::size_t i = 1; i < a.size(); ++i) ASSERT_EQ(a[i], a[i - 1] + 1) << i;
    EXPECT_EQ(a.inPlace(a.size() - 1), nullptr);
    EXPECT_EQ(a.inPlace(a.size()), nullptr);
    a.erase(a.begin(), a.begin() + 20);
    EXPECT_EQ(a.front(), 1);
    EXPECT_EQ(a.back(), manyElements + 1);
    a.clear();
    a.push_back(4);
    EXPECT_EQ(*a.inPlace(0), 4);
}

TEST(TypedArrays, ElementReferencesStayValidWhileTheArrayGrows) {
    _intArr numbers;
    numbers.push(11);
    int &first = numbers[0];
    int *viaTo = numbers.to(0);
    for (int i = 1; i < 100000; ++i) numbers.push(i);
    numbers[200000] = 5;  // growth by a write far past the end
    first = 12;
    EXPECT_EQ(numbers.at(0), 12);
    EXPECT_EQ(*viaTo, 12);
    _arr32 texts;
    texts.push(dyn("kept"));
    const dyn &held = texts.at(0);
    for (int i = 0; i < 10000; ++i) texts.push(dyn(text(i)));
    EXPECT_EQ(printed(held), "kept");
    EXPECT_EQ(numbers.at(-1), 0);
    EXPECT_EQ(numbers.at(200001), 0);
    EXPECT_EQ(numbers.at(200000), 5);
    EXPECT_EQ(numbers.at(99999), 99999);
    numbers.setAt(150000, 8);  // an element past the block of a pinned array
    EXPECT_EQ(numbers.at(150000), 8);
    EXPECT_EQ(numbers.size(), 200001);
    EXPECT_EQ(*viaTo, 12);
    EXPECT_EQ(printed(texts.at(-1)), "");
    EXPECT_EQ(printed(texts.at(10001)), "");
}

TEST(TypedArrays, IntArrayReadsDefaultAndGrowsOnWrite) {
    _intArr a;
    a.setAt(3, 7);
    EXPECT_EQ(a.size(), 4);
    EXPECT_EQ(a.at(0), 0);
    EXPECT_EQ(a.at(9), 0);
    EXPECT_EQ(a.toString(), "[0, 0, 0, 7]");
    _intArr single(5);
    EXPECT_EQ(single.toString(), "[5]");
    EXPECT_EQ((single + 6).toString(), "[5, 6]");
    EXPECT_TRUE((_intArr{1, 2, 3}).in(2));
    EXPECT_EQ((_intArr{1, 2, 3} - _intArr{2}).toString(), "[1, 3]");
    EXPECT_EQ((_intArr{1, 2} | _intArr{2, 3}).toString(), "[1, 2, 3]");
    EXPECT_EQ((_intArr{0, 1, 2, 3}).slice(1, 2, 1).toString(), "[1, 2]");
    EXPECT_EQ(_intArr(velarray{1, "2", 3.5}).toString(), "[1, 2, 3]");
}

TEST(TypedArrays, NumbersAreConvertedAsTheirDynWouldBe) {
    _intArr ints;
    ints.setAt(0, 2.9);
    ints.setAt(1, 1e12);
    ints.setAt(2, -1e12);
    ints.push(18446744073709551615ULL);
    ints.push(std::nan(""));
    EXPECT_EQ(ints.toString(), "[2, 2147483647, -2147483648, -1, 0]");
    _array64 naturals(TYPE_NATURAL, 4);
    naturals.push(-1);
    naturals.push(2.5);
    naturals.setAt(2, 7);
    EXPECT_EQ(naturals.toString(), "[18446744073709551615, 2, 7]");
    _array64 reals(TYPE_REAL, 4);
    reals.push(3);
    reals.setAt(1, 18446744073709551615ULL);
    EXPECT_EQ(reals.toString(), "[3, 1.84467e+19]");
    _arr32 names;
    names.push(5);
    names.setAt(1, 2.5);
    EXPECT_EQ(names.toString(), "[\"5\", \"2.5\"]");
}

TEST(TypedArrays, TextElementsAreReadInTheirStoredForm) {
    _arr32 names{"a"};
    names[names.size()] = dyn(4);  // a write that bypasses the conversion
    EXPECT_EQ(names.at(1).kind(), dyn::TEXT);
    EXPECT_EQ(text(names.at(1)), "4");
    EXPECT_EQ(names.at(5).kind(), dyn::TEXT);
    EXPECT_EQ(text(names.at(dyn("x"))), "");
    names.setAt(3, names.at(0));  // the element read is copied before the array grows
    EXPECT_EQ(text(names.at(3)), "a");
}

TEST(TypedArrays, IntegerSortOrdersByValueBothWays) {
    _intArr a{5, -3, 2147483647, 0, -2147483647 - 1, 5};
    a.sort();
    EXPECT_EQ(a.toString(), "[-2147483648, -3, 0, 5, 5, 2147483647]");
    a.sort(1);
    EXPECT_EQ(a.toString(), "[2147483647, 5, 5, 0, -3, -2147483648]");
    a.rsort(1);
    EXPECT_EQ(a.at(0), -2147483647 - 1);
}

TEST(TypedArrays, TextArrayHoldsTextsAndPointers) {
    _arr32 names{"b", "a"};
    names += "c";
    EXPECT_EQ(text(names.at(2)), "c");
    EXPECT_EQ(text(names.at(7)), "");
    EXPECT_TRUE(names.in(std::string("a")));
    EXPECT_EQ(names.toString(), "[\"b\", \"a\", \"c\"]");
    int object = 0;
    _arr32 objects;
    objects.setAt(0, dyn(&object));
    EXPECT_EQ((int *)(objects.at(0)), &object);
    EXPECT_EQ((void *)(objects.at(3)), nullptr);
    _arr32 copied(&names);
    EXPECT_EQ(copied.size(), 3);
    EXPECT_EQ(_arr32(static_cast<_arr32 *>(nullptr)).size(), 0);
}

TEST(TypedArrays, Array64KeepsNaturalsExact) {
    _array64 naturals(TYPE_NATURAL, 16);
    EXPECT_EQ(naturals.size(), 0);
    naturals.setAt(0, vel_num64::ofNatural(18446744073709551615ULL));
    EXPECT_EQ((natural)(naturals.at(0)), 18446744073709551615ULL);
    EXPECT_EQ(naturals.toString(), "[18446744073709551615]");
    _array64 reals(TYPE_NUMBER, (double)2.5);
    reals += 1.0;
    EXPECT_DOUBLE_EQ((double)(reals.at(0)), 2.5);
    EXPECT_DOUBLE_EQ(reals.at(5), 0.0);
    EXPECT_EQ(reals.toString(), "[2.5, 1]");
    EXPECT_TRUE(reals.in((double)(1)));
    _array64 converted(TYPE_NATURAL, 3.0);
    EXPECT_EQ(converted.toString(), "[3]");
}

TEST(TypedArrays, CursorAndWrappingIntoDyn) {
    _intArr a{4, 5};
    EXPECT_EQ(visit(a), "0=4;1=5;");
    dyn wrapped(a);
    EXPECT_EQ(wrapped.toString(), "[4, 5]");
    EXPECT_EQ(visit(wrapped), "0=4;1=5;");
}

TEST(DynCursor, WalksTextsDictsAndNothingElse) {
    dyn word("hi");
    EXPECT_EQ(visit(word), "0=h;1=i;");
    dyn table(dict{entry("a", 1)});
    EXPECT_EQ(visit(table), "a=1;");
    dyn number(3);
    EXPECT_EQ(visit(number), "");
}

TEST(ContainerDeath, NegativeIndexAndBadKeysEndTheProgram) {
    EXPECT_EXIT({ velarray a; a[-1] = 1; }, ::testing::ExitedWithCode(1), "Run-time error: negative index -1");
    EXPECT_EXIT({ velarray a; a.setAt(dyn("x"), 1); }, ::testing::ExitedWithCode(1), "array index must be a number");
    EXPECT_EXIT({ dict d; d[dyn(velarray())] = 1; }, ::testing::ExitedWithCode(1), "dict key must be a text or a number");
    EXPECT_EXIT({ _intArr a; a.setAt(-2, 1); }, ::testing::ExitedWithCode(1), "negative index -2");
}

}  // namespace
