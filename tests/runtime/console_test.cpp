// Console input, interpolated texts, printing of containers and the forms in
// which generated programs use the library.
#include <velmora/libvel.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Replaces std::cin and std::cout for one test.
class ConsoleCapture {
public:
    explicit ConsoleCapture(const std::string &input) : in(input) {
        oldIn = std::cin.rdbuf(in.rdbuf());
        oldOut = std::cout.rdbuf(out.rdbuf());
    }
    ~ConsoleCapture() {
        std::cin.rdbuf(oldIn);
        std::cin.clear();
        std::cout.rdbuf(oldOut);
    }
    std::string printed() const { return out.str(); }

private:
    std::istringstream in;
    std::ostringstream out;
    std::streambuf *oldIn;
    std::streambuf *oldOut;
};

TEST(ConsoleInput, NumbersFromLinesWithPromptAndZeroForNonNumbers) {
    ConsoleCapture console("42\n 2.5 \nabc\n");
    EXPECT_DOUBLE_EQ(_vel_inputNumber("Age? "), 42);
    EXPECT_DOUBLE_EQ(_vel_inputNumber(), 2.5);
    EXPECT_DOUBLE_EQ(_vel_inputNumber(), 0);
    EXPECT_DOUBLE_EQ(_vel_inputNumber(), 0);  // end of input
    EXPECT_EQ(console.printed(), "Age? ");
}

TEST(ConsoleInput, TextsWithoutTheLineEnd) {
    ConsoleCapture console("Ann\r\n\nlast");
    EXPECT_EQ(_vel_inputText("Name: "), "Ann");
    EXPECT_EQ(_vel_inputText(), "");
    EXPECT_EQ(_vel_inputText(), "last");
    EXPECT_EQ(_vel_inputText(), "");
    EXPECT_EQ(console.printed(), "Name: ");
}

TEST(PhpString, JoinsSegmentsUpToTheTerminator) {
    text name("Ann");
    EXPECT_EQ(_vel_phpstring("", "Hello ", str(name), "!", NULL), "Hello Ann!");
    EXPECT_EQ(_vel_phpstring("", "a", nullptr, "ignored"), "a");
    EXPECT_EQ(_vel_phpstring("", "x", 0), "x");
    EXPECT_EQ(_vel_phpstring("", str(3), "-", str(2.5), NULL), "3-2.5");
}

TEST(Printing, BooleansPrintAsWordsOnTheProgramsOutput) {
    ConsoleCapture console("");
    std::cout << true << " " << (1 > 2);
    EXPECT_EQ(console.printed(), "true false");
}

TEST(Printing, EveryValueTypeGoesToCout) {
    ConsoleCapture console("");
    velarray a{1, "a", 2.5};
    dict d{dyn(new vel_pair("k", velarray{true}))};
    std::cout << text("t") << " " << a << " " << d << " " << _intArr{1} << " " << _arr32{"x"} << " "
              << _array64{0.5} << " " << dyn(3ULL) << " " << a.toString() << " " << _vel_dumpArray(d);
    EXPECT_EQ(console.printed(),
              "t [1, \"a\", 2.5] {\"k\": [true]} [1] [\"x\"] [0.5] 3 [1, \"a\", 2.5] {\"k\": [true]}");
}

TEST(GeneratedForms, DeclarationsDefaultsAndWrappers) {
    text t = "";
    velarray a = velarray();
    dict d = dict();
    _intArr ia = _intArr();
    _arr32 ta = _arr32();
    _array64 ra = _array64(TYPE_NUMBER, 16);
    var v = 0;
    natural n = 12ULL;
    _intArr one = _intArr(5);
    _array64 real = _array64(TYPE_REAL, (double)n);
    EXPECT_EQ(t.length() + a.size() + d.size() + ia.size() + ta.size() + ra.size(), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(one.toString(), "[5]");
    EXPECT_EQ(real.toString(), "[12]");
    EXPECT_EQ(natural(dyn(n)) + 1, 13ULL);
}

TEST(GeneratedForms, ElementWritesReadsAndInTests) {
    velarray a;
    a[0] = 5;
    a.to(1)->setAt(2, text("v"));
    dict d{dyn(new vel_pair("a", 1)), dyn(new vel_pair(2, "two"))};
    d["b"] = a.at(0) + dyn(1);
    text s = "abc";
    s.setAt(0, text("X"));
    int x = 5;
    EXPECT_TRUE(a.in(dyn(x)));
    EXPECT_TRUE(!a.in(dyn(6)));
    EXPECT_TRUE(d.in(dyn("b")));
    EXPECT_TRUE(in_sequence(text("b").c_str(), s.c_str()));
    EXPECT_EQ(intval(d.at("b")), 6);
    EXPECT_EQ(dyn::toText(d.at(2)), "two");
    EXPECT_EQ(s, "Xbc");
}

TEST(GeneratedForms, ForLoopOverADictWithKeyAndValueVariables) {
    dict d{dyn(new vel_pair("a", 1)), dyn(new vel_pair("b", 2))};
    text keys;
    int total = 0;
    d.reset();
    while (d.inBound()) {
        text k = dyn::toText(d.key());
        int v = dyn::toInt(d.value());
        d.bound();
        keys += k;
        total += v;
        d[d.key()] = dyn(v * 10);
    }
    EXPECT_EQ(keys, "ab");
    EXPECT_EQ(total, 3);
    EXPECT_EQ(d.toString(), "{\"a\": 10, \"b\": 20}");
}

TEST(GeneratedForms, ErrorBlockFlagAndFileOpenFailure) {
    dyn::error.set(false);
    if (dyn::error == false) SUCCEED();
    FILE *f = _vel_open("/nonexistent-dir/none.txt", "r");
    EXPECT_EQ(f, nullptr);
    EXPECT_TRUE(dyn::error == true);
    dyn::error.set(velarray{1}.store("/nonexistent-dir/none.txt"));
    EXPECT_TRUE(dyn::error);
    dyn::error.set(false);
}

TEST(Functions, SmallLibraryFunctions) {
    EXPECT_EQ(_vel_range(1, 3).toString(), "[1, 2, 3]");
    EXPECT_EQ(_vel_range(3, 1).toString(), "[3, 2, 1]");
    EXPECT_EQ(explode("a,b,,c", ",").toString(), "[\"a\", \"b\", \"\", \"c\"]");
    EXPECT_EQ(str_pad("7", 3, "0", 0), "007");
    EXPECT_EQ(str_pad("ab", 5, "*", 2), "*ab**");
    EXPECT_EQ(chr(65), "A");
    EXPECT_EQ(ord("A"), 65);
    EXPECT_EQ(plural(2), "s");
    EXPECT_EQ(_vel_sgn(-3.5), -1);
    EXPECT_TRUE(is_dyn_dict(dyn(dict())));
}

}  // namespace
