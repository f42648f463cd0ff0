#include "program_pieces.hpp"

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace soundness {
namespace {

// Names the C and C++ compilers or libvel know already. Velmora's own
// reserved words are not among them: velc refuses those for every name.
// The list is the test's own, not velc's table of reserved names: a name
// velc forgot to rename is just what it must find.
const char *const knownToCpp[] = {
    "new", "index", "y0", "y1", "j0", "sizeof", "errno", "EOF", "delete", "union", "printf", "exit",
    "double", "signed", "time", "abs", "auto", "register", "count", "max", "min", "vector", "main",
    "std", "NULL", "float", "long", "short", "unsigned", "struct", "namespace", "template", "typename",
    "operator", "friend", "virtual", "public", "goto", "throw", "sin", "cos", "exp", "log", "pow",
    "sqrt", "strlen", "malloc", "free", "rand", "assert", "stdin", "stdout", "cout", "endl", "xor",
    "bitand", "bitor", "compl", "not_eq", "or_eq", "xor_eq", "and_eq", "asm", "constexpr", "decltype",
    "noexcept", "nullptr", "mutable", "explicit", "typeid", "wchar_t", "dyn", "velarray", "intval",
    "str", "chr", "ord", "die", "plural", "explode", "in_sequence", "fmod",
    "remove", "signal", "select", "read", "write", "open", "close", "system", "div", "INT_MAX",
    "BUFSIZ", "RAND_MAX", "EXIT_SUCCESS", "size_t", "int32_t", "uint8_t", "ptrdiff_t", "FILE",
    "getchar", "putchar", "puts", "atoi", "strcmp", "memcpy", "isalpha", "toupper", "floor",
    "round", "trunc", "j1", "jn", "yn", "gamma", "string_view", "map", "set", "list", "pair",
    "array_view", "ostream", "cerr", "cin", "begin", "end", "size", "data", "slice", "key",
    "value", "reset", "bound", "inBound", "setAt", "toString", "natural_t",
    "static_cast", "dynamic_cast", "concept", "requires", "co_await", "thread_local", "alignof",
    "char16_t", "char8_t", "export", "unix", "linux", "i386", "stderr", "environ", "optarg",
    "CHAR_BIT", "M_PI", "HUGE_VAL", "NAN", "INFINITY", "isnan", "signbit", "fpclassify",
};

// What a function or a class may not be called: the built-in functions
// (velc refuses them) and main, which would run after the program.
const std::set<std::string> notCallable = {"exit", "time", "abs", "max", "min", "sin", "cos", "exp", "log",
                                           "pow", "sqrt", "rand", "intval", "str", "chr", "ord", "die", "plural",
                                           "fmod", "system", "floor", "round", "fopen", "main"};

// The names of functions, classes and the rest of a piece: the callable
// ones above and more of libvel and the C library.
const std::vector<std::string> &pieceNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> out;
        for (const char *n : knownToCpp)
            if (!notCallable.count(n)) out.push_back(n);
        for (const char *n : {"vel_ctext", "vel_number_array", "vel_place", "vel_typed_array", "wstring", "Object",
                              "int64_t", "uint64_t", "memset", "strcpy", "sprintf", "fclose"})
            out.push_back(n);
        return out;
    }();
    return names;
}

const char *const words[] = {"ab", "fig", "plum", "oak", "sun", "ivy", "rose", "kiwi"};

std::string show(bool b) { return b ? "true" : "false"; }

std::string quoted(const std::string &s) { return "\"" + s + "\""; }

template <class T, class Show> std::string joined(const std::vector<T> &xs, const char *separator, Show show) {
    std::string out;
    for (size_t i = 0; i < xs.size(); ++i) out += (i ? separator : "") + show(xs[i]);
    return out;
}
std::string same(const std::string &s) { return s; }
std::string number(int n) { return std::to_string(n); }
std::string listText(const std::vector<int> &xs) { return "[" + joined(xs, ", ", number) + "]"; }
std::string listOfTexts(const std::vector<std::string> &xs) { return "[" + joined(xs, ", ", quoted) + "]"; }

class PieceWriter {
public:
    PieceWriter(std::mt19937_64 &random, const std::set<std::string> &takenNames, bool tricky)
        : rng(random), trickyNames(tricky) {
        for (auto &n : takenNames) take(n);
    }

    void write(Piece &piece) {
        using Kind = void (PieceWriter::*)();
        static const Kind kinds[] = {&PieceWriter::functions,     &PieceWriter::severalResults,
                                     &PieceWriter::aliases,       &PieceWriter::recursion,
                                     &PieceWriter::classes,       &PieceWriter::linkedList,
                                     &PieceWriter::objectArrays,  &PieceWriter::builtinResults,
                                     &PieceWriter::functionTypes, &PieceWriter::nestedSubscripts,
                                     &PieceWriter::textElements,  &PieceWriter::literalsInParentheses,
                                     &PieceWriter::resultsOfEveryType, &PieceWriter::sharedContainerLoops,
                                     &PieceWriter::nilsAndNaturals, &PieceWriter::realsIntoIntegers};
        (this->*kinds[pick(int(sizeof kinds / sizeof *kinds))])();
        piece.text += text;
        piece.expected += expected;
        text.clear();
        expected.clear();
    }

private:
    std::mt19937_64 &rng;
    std::set<std::string> taken;  // in lower case
    bool trickyNames;
    int counter = 0;
    std::string text, expected;

    int pick(int n) { return n <= 1 ? 0 : int(rng() % unsigned(n)); }
    int between(int lo, int hi) { return lo + pick(hi - lo + 1); }
    bool chance(int percent) { return pick(100) < percent; }
    const char *word() { return words[pick(int(sizeof words / sizeof *words))]; }

    // A name no other part of the program uses; now and then one the C++
    // side knows already.
    // Velmora finds names in any letter case: they are told apart in lower case.
    static std::string folded(std::string n) {
        for (char &c : n) c = char(std::tolower(static_cast<unsigned char>(c)));
        return n;
    }
    bool take(const std::string &n) { return taken.insert(folded(n)).second; }

    std::string fresh(const char *stem) {
        if (trickyNames && chance(35)) {
            const std::vector<std::string> &names = pieceNames();
            for (int tries = 0; tries < 8; ++tries) {
                const std::string &n = names[pick(int(names.size()))];
                if (take(n)) return n;
            }
        }
        std::string n;
        do n = stem + std::to_string(++counter);
        while (!take(n));
        return n;
    }

    void line(const std::string &l) { text += l + "\n"; }
    void prints(const std::string &l) { expected += l + "\n"; }

    // ------------------------------------------------ functions

    void functions() {
        std::string f = fresh("f"), p1 = fresh("p"), p2 = fresh("p");
        int k = between(1, 9), d = between(0, 20), a = between(0, 30), b = between(0, 30);
        if (chance(30)) {
            line("int " + f + "(int " + p1 + ", int " + p2 + " = " + std::to_string(d) + ") ? return " + p1 +
                 " * " + std::to_string(k) + " + " + p2);
        } else {
            line("int " + f + "(int " + p1 + ", int " + p2 + " = " + std::to_string(d) + ")");
            line("return " + p1 + " * " + std::to_string(k) + " + " + p2);
        }
        std::string g = fresh("g"), q = fresh("q");
        std::string dw = word();
        line("text " + g + "(text " + q + " = " + quoted(dw) + ")");
        line("return \"<\" + " + q + " + \">\"");
        line("print " + f + "(" + std::to_string(a) + "), " + f + "(" + std::to_string(a) + ", " +
             std::to_string(b) + "), " + g + "(), " + g + "(\"x\")");
        prints(std::to_string(a * k + d) + " " + std::to_string(a * k + b) + " <" + dw + "> <x>");
        // A result used inside a larger expression.
        std::string v = fresh("v");
        line("int " + v + " = 2 * " + f + "(" + std::to_string(b) + ") + 1");
        line("print " + v + ", \"[\" + " + g + "(\"" + dw + "\") + \"]\"");
        prints(std::to_string(2 * (b * k + d) + 1) + " [<" + dw + ">]");
    }

    void severalResults() {
        std::string f = fresh("two"), p = fresh("p"), q = fresh("q"), x = fresh("x"), y = fresh("y");
        int k = between(0, 9), a = between(0, 40);
        std::string dw = word(), w = word();
        line("int, text " + f + "(int " + p + ", text " + q + " = " + quoted(dw) + ")");
        line("return " + p + " + " + std::to_string(k) + ", " + q + " + \"!\"");
        line("int " + x);
        line("text " + y);
        line(x + ", " + y + " = " + f + "(" + std::to_string(a) + ")");
        line("print " + x + ", " + y);
        prints(std::to_string(a + k) + " " + dw + "!");
        line(x + ", " + y + " = " + f + "(" + x + ", " + quoted(w) + ")");
        line("print " + x + ", " + y);
        prints(std::to_string(a + 2 * k) + " " + w + "!");
    }

    // Reals past the edge of an integer type, cut by a method, a compound
    // assignment of a variable or of an element, and a byte: each takes
    // the nearest value, the same under every C++ compiler.
    void realsIntoIntegers() {
        std::string i = fresh("i"), r = fresh("r"), b = fresh("b"), xs = fresh("xs");
        bool up = chance(50);
        int k = between(1, 9), v = between(200, 299);
        line("real " + r + " = " + (up ? "1e21" : "-1e21"));
        line("int " + i + " = " + std::to_string(k));
        line(i + " * " + r);
        line("int[] " + xs + " = [" + std::to_string(k) + "]");
        line(xs + "[0] - " + r);
        line("byte " + b + " = " + std::to_string(v) + ".5");
        line("print " + i + ", " + r + ".toInt(), " + xs + "[0], " + b);
        std::string top = "2147483647", bottom = "-2147483648";
        prints((up ? top : bottom) + " " + (up ? top : bottom) + " " + (up ? bottom : top) + " " +
               std::to_string(v % 256));
    }

    // Literals in parentheses are values like any other: methods,
    // operators, subscripts and slices.
    void literalsInParentheses() {
        std::string w = word(), v = word(), t = fresh("t");
        int n = between(0, 99), k = between(1, 5);
        std::string joined = w + v, upper = joined;
        for (char &c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
        line("print (" + quoted(w) + ").length(), (" + quoted(w) + " + " + quoted(v) + ").upper(), " +
             quoted(joined) + "[1..2], (" + quoted(w) + ")[0]");
        prints(std::to_string(w.size()) + " " + upper + " " + joined.substr(1, 2) + " " + w.substr(0, 1));
        line("text " + t + " = (" + quoted(w) + ") + (" + quoted(v) + ")");
        line("print " + t + ", (" + std::to_string(n) + ").toText() + \"!\", (" + quoted(w) + " + " + quoted(v) +
             ").length() * " + std::to_string(k));
        prints(joined + " " + std::to_string(n) + "! " + std::to_string(joined.size() * k));
    }

    // Several results of every type, assigned to variables, elements and
    // attributes; half of the time the calls come before the definitions.
    void resultsOfEveryType() {
        std::string box = fresh("Box"), a = fresh("a");
        line("class " + box);
        line("    int " + a + " = 0");
        line("/class");
        std::string f = fresh("several"), p = fresh("p"), made = fresh("made"), i = fresh("i");
        std::string g = fresh("objects"), q = fresh("q"), o = fresh("o"), r = fresh("r"), d = fresh("d");
        std::string w = word();
        int k = between(1, 9), m = between(1, 6), half = between(0, 20), two = between(1, 6);
        std::vector<std::string> definitions = {
            "int, int[], text " + f + "(int " + p + ")",
            "    int[] " + made,
            "    for int " + i + " in 1.." + p,
            "        " + made + ".push(" + i + " * " + std::to_string(k) + ")",
            "    /for",
            "return " + p + " + 1, " + made + ", " + quoted(w),
            box + ", real[], dict " + g + "(int " + q + ")",
            "    " + box + " " + o + " = " + box + "()",
            "    " + o + "." + a + " = " + q,
            "    real[] " + r + " = [" + q + " * 0.5]",
            "    dict " + d + " = {" + quoted(w) + ": " + q + "}",
            "return " + o + ", " + r + ", " + d};
        bool callsFirst = chance(50);
        if (!callsFirst)
            for (const std::string &l : definitions) line(l);
        std::string n = fresh("n"), list = fresh("list"), t = fresh("t");
        std::string ob = fresh("ob"), rs = fresh("rs"), d2 = fresh("d"), slots = fresh("slots"), holder = fresh("holder");
        line("int " + n);
        line("int[] " + list);
        line("text " + t);
        line(n + ", " + list + ", " + t + " = " + f + "(" + std::to_string(m) + ")");
        line("print " + n + ", " + list + ".size(), " + list + "[" + std::to_string(m - 1) + "], " + t);
        prints(std::to_string(m + 1) + " " + std::to_string(m) + " " + std::to_string(m * k) + " " + w);
        line(box + " " + ob);
        line("real[] " + rs);
        line("dict " + d2);
        line(ob + ", " + rs + ", " + d2 + " = " + g + "(" + std::to_string(half) + ")");
        std::string halved = half % 2 == 0 ? std::to_string(half / 2) : std::to_string(half / 2) + ".5";
        line("print " + ob + "." + a + ", " + rs + "[0], " + d2 + "[" + quoted(w) + "]");
        prints(std::to_string(half) + " " + halved + " " + std::to_string(half));
        line("int[] " + slots + " = [0, 0]");
        line(box + " " + holder + " = " + box + "()");
        line(slots + "[1], " + list + ", " + t + " = " + f + "(" + std::to_string(two) + ")");
        line(holder + "." + a + ", " + list + ", " + t + " = " + f + "(" + std::to_string(two + 1) + ")");
        line("print " + slots + ", " + holder + "." + a + ", " + list + ".size()");
        prints("[0, " + std::to_string(two + 1) + "] " + std::to_string(two + 2) + " " + std::to_string(two + 1));
        if (callsFirst)
            for (const std::string &l : definitions) line(l);
        // A truth value, a natural, an array and a real, in that order.
        std::string h = fresh("mixed"), x = fresh("x"), yes = fresh("yes"), big = fresh("big"), list2 = fresh("list"),
                    part = fresh("part");
        int at = between(1, 40), edge = between(1, 40);
        line("bool, natural, array, real " + h + "(int " + x + ")");
        line("return " + x + " > " + std::to_string(edge) + ", " + x + ".toNatural() * 3000000000n, [" + x +
             ", " + quoted(w) + "], " + x + " * 0.25");
        line("bool " + yes + "\nnatural " + big + "\narray " + list2 + "\nreal " + part);
        line(yes + ", " + big + ", " + list2 + ", " + part + " = " + h + "(" + std::to_string(at) + ")");
        line("print " + yes + ", " + big + ", " + list2 + ", " + part);
        static const char *const quarters[] = {"", ".25", ".5", ".75"};
        prints(show(at > edge) + " " + std::to_string(at * 3000000000ULL) + " [" + std::to_string(at) + ", " +
               quoted(w) + "] " + std::to_string(at / 4) + quarters[at % 4]);
    }

    // Loops over one container inside each other and inside functions the
    // loop calls: each keeps its own place.
    void sharedContainerLoops() {
        std::string arr = fresh("shared"), sum = fresh("sumAll"), s = fresh("s"), v = fresh("v");
        std::vector<int> xs;
        for (int j = between(1, 4); j > 0; --j) xs.push_back(between(0, 9));
        line("int[] " + arr + " = " + listText(xs));
        line("int " + sum + "()");
        line("    int " + s + " = 0");
        line("    for " + v + " in " + arr);
        line("        " + s + " = " + s + " + " + v);
        line("    /for");
        line("return " + s);
        std::string acc = fresh("acc"), w = fresh("w"), pairs = fresh("pairs"), x = fresh("x"), y = fresh("y");
        line("int " + acc + " = 0");
        line("for " + w + " in " + arr);
        line("    " + acc + " = " + acc + " + " + sum + "()");
        line("/for");
        line("int " + pairs + " = 0");
        line("for " + x + " in " + arr);
        line("    for " + y + " in " + arr);
        line("        if " + x + " < " + y + " ? " + pairs + " = " + pairs + " + 1");
        line("    /for");
        line("/for");
        int total = 0, below = 0;
        for (int a : xs) total += a;
        for (int a : xs)
            for (int b : xs) below += a < b;
        line("print " + acc + ", " + pairs);
        prints(std::to_string(total * int(xs.size())) + " " + std::to_string(below));
        std::string dict = fresh("seen"), count = fresh("count"), key = fresh("key"), other = fresh("other");
        line("dict " + dict + " = {\"a\": 1, \"b\": 2, \"c\": 3}");
        line("int " + count + " = 0");
        line("for " + key + " in " + dict);
        line("    for " + other + " in " + dict);
        line("        " + count + " = " + count + " + 1");
        line("    /for");
        line("/for");
        line("print " + count);
        prints("9");
        // The keys of a dict of integer keys compute as integers.
        std::string numbered = fresh("numbered"), keySum = fresh("keySum"), nk = fresh("k"), nv = fresh("v");
        int k1 = between(1, 50), k2 = k1 + between(1, 50), v1 = between(0, 9), v2 = between(0, 9);
        line("dict " + numbered + " = {" + std::to_string(k1) + ": " + std::to_string(v1) + ", " + std::to_string(k2) +
             ": " + std::to_string(v2) + "}");
        line("int " + keySum + " = 0\nfor " + nk + ", " + nv + " in " + numbered);
        line("    " + keySum + " = " + keySum + " + " + nk + " + " + nv + "\n/for\nprint " + keySum);
        prints(std::to_string(k1 + k2 + v1 + v2));
        // A recursion looping over a file-level array at every depth.
        std::string parts = fresh("parts"), ways = fresh("ways"), n = fresh("n"), c = fresh("c"), q = fresh("q");
        std::vector<int> ps;
        for (int p = 1; p <= 5; ++p)
            if (chance(50) || (p == 5 && ps.empty())) ps.push_back(p);
        int target = between(0, 14);
        line("int[] " + parts + " = " + listText(ps));
        line("int " + ways + "(int " + n + ")\n    if " + n + " = 0 ? return 1\n    if " + n + " < 0 ? return 0");
        line("    int " + c + " = 0\n    for " + q + " in " + parts + "\n        " + c + " = " + c + " + " + ways + "(" +
             n + " - " + q + ")\n    /for\nreturn " + c);
        line("print " + ways + "(" + std::to_string(target) + ")");
        std::vector<long long> counted(size_t(target) + 1, 0);
        counted[0] = 1;
        for (int m = 1; m <= target; ++m)
            for (int p : ps)
                if (p <= m) counted[size_t(m)] += counted[size_t(m - p)];
        prints(std::to_string(counted[size_t(target)]));
    }

    // A var function giving nil, a var attribute given no value, two
    // objects declared on one line, the results of a call subscripted, an
    // int beside a natural.
    void nilsAndNaturals() {
        std::string box = fresh("Held"), held = fresh("held"), f = fresh("maybe"), p = fresh("p");
        std::string g = fresh("pair"), one = fresh("one"), two = fresh("two"), n = fresh("n"), i = fresh("i");
        int k = between(0, 9), small = between(0, 9), big = between(10, 99);
        std::string w = word();
        line("class " + box);
        line("    var " + held);
        line("/class");
        line("var " + f + "(int " + p + ")");
        line("    if " + p + " > 4 ? return nil");
        line("return " + p);
        line("int, text " + g + "()");
        line("return " + std::to_string(k) + ", " + quoted(w));
        line(box + " " + one + ", " + two + " = " + box + "()");
        line("print " + f + "(" + std::to_string(k) + ") = nil, " + one + "." + held + " = nil, " + g + "()[1], " +
             g + "()[0] + 1");
        prints(show(k > 4) + " true " + w + " " + std::to_string(k + 1));
        line("natural " + n + " = " + std::to_string(big) + "n");
        line("int " + i + " = " + std::to_string(small));
        line("print " + i + " - " + n + ", " + n + " - " + i + ", " + i + " mod " + n);
        prints(std::to_string(small - big) + " " + std::to_string(big - small) + " " + std::to_string(small % big));
    }

    void aliases() {
        std::string f = fresh("bump"), p = fresh("p"), q = fresh("q"), n = fresh("n");
        int start = between(0, 9), by = between(0, 5);
        bool after = chance(40);  // "int alias p" or "alias int p"
        line("void " + f + "(" + (after ? "int alias " : "alias int ") + p + ", int " + q + " = 1)");
        line("    " + p + " = " + p + " * 2 + " + q);
        line("return");
        std::string g = fresh("grow"), t = fresh("t"), s = fresh("s");
        line("void " + g + "(alias text " + t + ")");
        line("    " + t + " = " + t + " + \"x\"");
        line("return");
        std::string copy = fresh("copy"), c = fresh("c");
        line("void " + copy + "(int " + c + ")");
        line("    " + c + " = " + c + " + 100");
        line("return");
        line("int " + n + " = " + std::to_string(start));
        line(f + "(" + n + ")");
        line(f + "(" + n + ", " + std::to_string(by) + ")");
        line(copy + "(" + n + ")");
        std::string w = word();
        line("text " + s + " = " + quoted(w));
        line(g + "(" + s + ")");
        line(g + "(" + s + ")");
        line("print " + n + ", " + s);
        prints(std::to_string((start * 2 + 1) * 2 + by) + " " + w + "xx");
    }

    void recursion() {
        std::string f = fresh("down"), p = fresh("p");
        int base = between(0, 9), depth = chance(20) ? between(100, 2000) : between(0, 30);
        line("int " + f + "(int " + p + ")");
        line("    if " + p + " <= 0");
        line("        return " + std::to_string(base));
        line("    /if");
        line("return " + p + " + " + f + "(" + p + " - 1)");
        std::string g = fresh("digits"), q = fresh("q");
        int n = between(0, 12);
        line("text " + g + "(int " + q + ")");
        line("    if " + q + " = 0 ? return \"\"");
        line("return str(" + q + " mod 10) + " + g + "(" + q + " - 1)");
        line("print " + f + "(" + std::to_string(depth) + "), \"(\" + " + g + "(" + std::to_string(n) + ") + \")\"");
        long long sum = base + (long long)depth * (depth + 1) / 2;
        std::string ds;
        for (int i = n; i > 0; --i) ds += std::to_string(i % 10);
        prints(std::to_string(sum) + " (" + ds + ")");
    }

    // ------------------------------------------------ classes

    struct ClassShape {
        std::string name, a, b, m1, m2, m3, m4;
        int a0, k;
        std::string b0;
        bool constructor;
    };

    ClassShape baseClass() {
        ClassShape c;
        c.name = fresh("C");
        c.a = fresh("a");
        c.b = fresh("b");
        c.m1 = fresh("scaled");
        c.m2 = fresh("add");
        c.m3 = fresh("describe");
        c.m4 = fresh("tag");
        c.a0 = between(0, 9);
        c.k = between(0, 9);
        c.b0 = word();
        c.constructor = chance(60);
        std::string p = fresh("p");
        line("class " + c.name);
        line("    int " + c.a + " = " + std::to_string(c.a0));
        line("    text " + c.b + " = " + quoted(c.b0));
        if (c.constructor) {
            line("    void " + c.name + "(int " + p + " = " + std::to_string(c.a0) + ")");
            line("        " + c.a + " = " + p);
            line("    return");
        }
        std::string q = fresh("q"), r = fresh("r");
        line("    int " + c.m1 + "(int " + q + ") ? return " + c.a + " * " + q + " + " + std::to_string(c.k));
        line("    void " + c.m2 + "(int " + r + ")");
        line("        " + c.a + " = " + c.a + " + " + r);
        line("    return");
        // The method called by another comes before or after it, by its
        // name alone or on the object itself: a later one named like a
        // function of the C library is still the class's.
        std::string called = chance(30) ? "this." + c.m4 + "()" : c.m4 + "()";
        bool calledFirst = chance(50);
        if (calledFirst) {
            line("    text " + c.m4 + "()");
            line("    return \"-base\"");
        }
        line("    text " + c.m3 + "()");
        line("    return " + c.b + " + str(" + c.a + ") + " + called);
        if (!calledFirst) {
            line("    text " + c.m4 + "()");
            line("    return \"-base\"");
        }
        line("/class");
        return c;
    }

    // A new object of c with its attribute a; its construction text.
    std::string construct(const ClassShape &c, int &a) {
        if (c.constructor && chance(60)) {
            a = between(0, 20);
            return c.name + "(" + std::to_string(a) + ")";
        }
        a = c.a0;
        return c.name + "()";
    }

    void classes() {
        ClassShape c = baseClass();
        std::string o = fresh("o");
        int a;
        line(c.name + " " + o + " = " + construct(c, a));
        int by = between(0, 9), times = between(0, 5);
        line(o + "." + c.m2 + "(" + std::to_string(by) + ")");
        a += by;
        line("print " + o + "." + c.m1 + "(" + std::to_string(times) + "), " + o + "." + c.m3 + "(), " + o + "." + c.a);
        prints(std::to_string(a * times + c.k) + " " + c.b0 + std::to_string(a) + "-base " + std::to_string(a));
        int set = between(0, 50);
        line(o + "." + c.a + " = " + std::to_string(set));
        line(o + "." + c.b + " = \"z\"");
        line("print " + o + "." + c.a + " + 1, " + o + "." + c.b + " + \"!\"");
        prints(std::to_string(set + 1) + " z!");
        if (chance(70)) derived(c);
    }

    // A class with c for a base: inherited attributes and methods, one
    // method replaced (the base's own methods keep calling theirs).
    void derived(const ClassShape &c) {
        std::string d = fresh("D"), e = fresh("e"), total = fresh("total"), p = fresh("p");
        int e0 = between(0, 9);
        bool constructor = chance(50);
        line("class " + d + " is " + c.name);
        line("    int " + e + " = " + std::to_string(e0));
        if (constructor) {
            line("    void " + d + "(int " + p + ")");
            line("        " + e + " = " + p);
            line("    return");
        }
        line("    text " + c.m4 + "()");
        line("    return \"-derived\"");
        line("    int " + total + "() ? return " + c.a + " + " + e);
        line("/class");
        std::string o = fresh("o");
        int e1 = constructor ? between(0, 30) : e0;
        line(d + " " + o + " = " + d + "(" + (constructor ? std::to_string(e1) : "") + ")");
        int by = between(0, 9);
        line(o + "." + c.m2 + "(" + std::to_string(by) + ")");
        int a = c.a0 + by;
        line("print " + o + "." + c.m3 + "(), " + o + "." + c.m4 + "(), " + o + "." + total + "(), " + o + "." + e);
        prints(c.b0 + std::to_string(a) + "-base -derived " + std::to_string(a + e1) + " " + std::to_string(e1));
    }

    void linkedList() {
        std::string n = fresh("Node"), v = fresh("v"), next = fresh("next");
        line("class " + n);
        line("    int " + v + " = 0");
        line("    " + n + " " + next + " = null");
        line("/class");
        std::string head = fresh("head"), i = fresh("i"), cell = fresh("cell"), at = fresh("at"), sum = fresh("sum");
        int count = between(0, 6), k = between(1, 5);
        line(n + " " + head + " = null");
        line("for int " + i + " in 1.." + std::to_string(count));
        line("    " + n + " " + cell + " = " + n + "()");
        line("    " + cell + "." + v + " = " + i + " * " + std::to_string(k));
        line("    " + cell + "." + next + " = " + head);
        line("    " + head + " = " + cell);
        line("/for");
        line(n + " " + at + " = " + head);
        line("int " + sum + " = 0");
        line("while " + at + " != null");
        line("    echo " + at + "." + v + ", \" \"");
        line("    " + sum + " = " + sum + " + " + at + "." + v);
        line("    " + at + " = " + at + "." + next);
        line("/while");
        line("print " + sum);
        std::string walk;
        int total = 0;
        for (int j = count; j >= 1; --j) {
            walk += std::to_string(j * k) + " ";
            total += j * k;
        }
        prints(walk + std::to_string(total));
        line("if " + head + " = null ? print \"empty\"");
        if (count == 0) prints("empty");
        line("if " + at + " = null and " + head + " != null ? print \"walked\"");
        if (count > 0) prints("walked");
        if (count >= 2) {
            line("if " + head + "." + next + "." + next + " = null");
            line("    print \"two\"");
            line("else");
            line("    print " + head + "." + next + "." + next + "." + v);
            line("/if");
            prints(count == 2 ? "two" : std::to_string((count - 2) * k));
        }
    }

    void objectArrays() {
        ClassShape c = baseClass();
        std::string ps = fresh("ps"), os = fresh("os");
        int n = between(1, 4);
        std::vector<int> as;
        line(c.name + "[] " + ps);
        for (int j = 0; j < n; ++j) {
            int a;
            line(ps + ".push(" + construct(c, a) + ")");
            as.push_back(a);
        }
        int at = pick(n), set = between(0, 40);
        line(ps + "[" + std::to_string(at) + "]." + c.a + " = " + std::to_string(set));
        as[at] = set;
        int other = pick(n);
        line("print " + ps + ".size(), " + ps + "[" + std::to_string(other) + "]." + c.a + ", " + ps + "[" +
             std::to_string(at) + "]." + c.m1 + "(2)");
        prints(std::to_string(n) + " " + std::to_string(as[other]) + " " + std::to_string(as[at] * 2 + c.k));
        std::string o = fresh("o"), sum = fresh("sum");
        line("int " + sum + " = 0");
        line("for " + o + " in " + ps);
        line("    " + sum + " = " + sum + " + " + o + "." + c.a);
        line("/for");
        line("print " + sum);
        int total = 0;
        for (int a : as) total += a;
        prints(std::to_string(total));
        if (chance(50)) made(c);
        int a1, a2;
        std::string first = construct(c, a1), second = construct(c, a2);
        line("array " + os + " = [" + first + ", " + second + "]");
        line("print " + os + ".size()");
        prints("2");
    }

    // A function that gives a typed array of a class.
    void made(const ClassShape &c) {
        std::string f = fresh("made"), n = fresh("n"), r = fresh("r"), i = fresh("i"), got = fresh("got");
        int count = between(0, 4);
        line(c.name + "[] " + f + "(int " + n + ")");
        line("    " + c.name + "[] " + r);
        line("    for int " + i + " in 1.." + n);
        line("        " + r + ".push(" + c.name + "(" + (c.constructor ? i : "") + "))");
        line("    /for");
        line("return " + r);
        line(c.name + "[] " + got + " = " + f + "(" + std::to_string(count) + ")");
        line("print " + got + ".size(), " + f + "(2)[1]." + c.a);
        prints(std::to_string(count) + " " + std::to_string(c.constructor ? 2 : c.a0));
    }

    // ------------------------------------------------ built-in receivers

    void builtinResults() {
        std::string a = fresh("a"), t = fresh("t"), ws = fresh("ws"), d = fresh("d"), m = fresh("m"), j = fresh("j");
        std::vector<int> xs;
        int n = between(1, 5);
        for (int i = 0; i < n; ++i) xs.push_back(between(-5, 30));
        line("int[] " + a + " = " + listText(xs));
        int pushed = between(0, 40);
        line(a + ".push(" + std::to_string(pushed) + ")");
        xs.push_back(pushed);
        int mx = *std::max_element(xs.begin(), xs.end()), mn = *std::min_element(xs.begin(), xs.end());
        int sum = 0;
        for (int x : xs) sum += x;
        line("int " + m + " = " + a + ".max() * 2 + " + a + ".size()");
        line("print " + m + ", " + a + ".min() - 1, " + a + ".sum(), \"[\" + " + a + ".join(\",\") + \"]\"");
        prints(std::to_string(mx * 2 + int(xs.size())) + " " + std::to_string(mn - 1) + " " + std::to_string(sum) +
               " [" + joined(xs, ",", number) + "]");
        int probe = chance(50) ? xs[pick(int(xs.size()))] : 99;
        line("if " + a + ".find(" + std::to_string(probe) + ") >= 0 ? print \"found\", " + a + ".find(" +
             std::to_string(probe) + ")");
        auto hit = std::find(xs.begin(), xs.end(), probe);
        if (hit != xs.end()) prints("found " + std::to_string(hit - xs.begin()));
        line(a + ".sort()");
        std::sort(xs.begin(), xs.end());
        line("print " + a + ", " + a + ".size() > 2");
        prints(listText(xs) + " " + show(xs.size() > 2));

        std::string w1 = word(), w2 = word();
        std::string s = w1 + " " + w2;
        line("text " + t + " = " + quoted(s));
        std::string up = s;
        for (char &ch : up) ch = char(ch - 32 * (ch >= 'a' && ch <= 'z'));
        line("print " + t + ".upper() + \"!\", " + t + ".length() + 1, " + t + ".find(\" \") * 10");
        prints(up + "! " + std::to_string(s.size() + 1) + " " + std::to_string(int(w1.size()) * 10));
        line("text " + j + " = " + t + ".replace(\" \", \"-\") + " + t + ".upper().lower()");
        line("print " + j);
        prints(w1 + "-" + w2 + s);

        std::vector<std::string> texts = {word(), word(), word()};
        line("text[] " + ws + " = " + listOfTexts(texts));
        line(ws + ".sort()");
        std::sort(texts.begin(), texts.end());
        line("print " + ws + ".join(\"+\") + \".\", " + ws + ".size() * 3");
        prints(joined(texts, "+", same) + ". 9");

        std::string k1 = word(), k2;
        do k2 = word();
        while (k2 == k1);
        line("dict " + d + " = {" + quoted(k1) + ": 1, " + quoted(k2) + ": 2}");
        std::string probeKey = chance(50) ? k1 : "none";
        line("print " + d + ".hasKey(" + quoted(probeKey) + "), " + d + ".size() + 0, " + d + ".keys()");
        prints(show(probeKey == k1) + " 2 [" + quoted(k1) + ", " + quoted(k2) + "]");
    }

    // ------------------------------------------------ define

    void functionTypes() {
        struct Kind {
            std::string param, body, argument;
            std::function<std::string(int)> value;
        };
        int k = between(1, 9);
        const std::string ks = std::to_string(k);
        const Kind kinds[] = {
            {"int", " * " + ks, "4", [](int k) { return std::to_string(4 * k); }},
            {"text", " + \"" + ks + "\"", "\"w\"", [](int k) { return "w" + std::to_string(k); }},
            {"array", ".size() + " + ks, "[1, 2]", [](int k) { return std::to_string(2 + k); }},
            {"int[]", ".size() * " + ks, "[5, 6, 7]", [](int k) { return std::to_string(3 * k); }},
        };
        const Kind &kind = kinds[pick(4)];
        std::string result = kind.param == "text" ? "text" : "int";
        std::string f = fresh("f"), g = fresh("g"), p = fresh("p"), fn = fresh("Fn"),
                    apply = fresh("apply"), h = fresh("h"), v = fresh("v");
        line(result + " " + f + "(" + kind.param + " " + p + ") ? return " + p + kind.body);
        line(result + " " + g + "(" + kind.param + " " + p + ") ? return " + p + kind.body);
        line("define " + fn + " = " + quoted(f));
        line(result + " " + apply + "(" + fn + " " + h + ", " + kind.param + " " + v + ")");
        line("return " + h + "(" + v + ")");
        line("print " + apply + "(" + quoted(f) + ", " + kind.argument + "), " + apply + "(" + quoted(g) + ", " +
             kind.argument + ")");
        prints(kind.value(k) + " " + kind.value(k));
    }

    // ------------------------------------------------ subscripts

    void nestedSubscripts() {
        std::string b = fresh("b"), a = fresh("a"), g = fresh("g");
        int n = between(2, 4);
        std::vector<int> order(n), values(n);
        for (int i = 0; i < n; ++i) order[i] = i;
        std::shuffle(order.begin(), order.end(), rng);
        for (int &x : values) x = between(0, 50);
        line("int[] " + b + " = " + listText(order));
        line("int[] " + a + " = " + listText(values));
        line("print " + a + "[" + b + "[0]], " + a + "[" + b + "[" + b + "[1]]] + 1");
        prints(std::to_string(values[order[0]]) + " " + std::to_string(values[order[order[1]]] + 1));
        int set = between(0, 99);
        line(a + "[" + b + "[1]] = " + std::to_string(set));
        values[order[1]] = set;
        std::vector<std::vector<int>> grid(2, std::vector<int>(n));
        for (auto &row : grid)
            for (int &x : row) x = between(0, 9);
        line("array " + g + " = [" + listText(grid[0]) + ", " + listText(grid[1]) + "]");
        int row = pick(2);
        line(g + "[" + std::to_string(row) + "][" + b + "[0]] = 5");
        grid[row][order[0]] = 5;
        line("print " + a + ", " + g + ", " + g + "[1][" + b + "[" + std::to_string(n - 1) + "]]");
        prints(listText(values) + " [" + listText(grid[0]) + ", " + listText(grid[1]) + "] " +
               std::to_string(grid[1][order[n - 1]]));
    }

    void textElements() {
        std::string t = fresh("t"), r = fresh("r"), i = fresh("i"), ts = fresh("ts");
        std::string s = std::string(word()) + word();
        int at = pick(int(s.size()));
        line("text " + t + " = " + quoted(s));
        line("print \"[\" + " + t + "[" + std::to_string(at) + "] + \"]\", " + t + "[0] + " + t + "[" +
             std::to_string(s.size() - 1) + "]");
        prints("[" + s.substr(at, 1) + "] " + s.substr(0, 1) + s.substr(s.size() - 1));
        line("text " + r + " = \"\"");
        line("for int " + i + " in 0--" + std::to_string(s.size()));
        line("    " + r + " = " + t + "[" + i + "] + " + r);
        line("/for");
        line("print " + r);
        prints(std::string(s.rbegin(), s.rend()));
        std::vector<std::string> texts = {word(), word()};
        line("text[] " + ts + " = " + listOfTexts(texts));
        line("print \"<\" + " + ts + "[1] + \">\" + " + ts + "[0]");
        prints("<" + texts[1] + ">" + texts[0]);
    }
};

}  // namespace

const std::vector<std::string> &namesKnownToCpp() {
    static const std::vector<std::string> names(std::begin(knownToCpp), std::end(knownToCpp));
    return names;
}

Piece writePieces(std::mt19937_64 &rng, const std::set<std::string> &taken, bool trickyNames, int count) {
    Piece piece;
    PieceWriter writer(rng, taken, trickyNames);
    for (int i = 0; i < count; ++i) writer.write(piece);
    return piece;
}

DiagnosticCase voidValueCase(std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::set<std::string> taken;
    DiagnosticCase c;
    // Lines before the faulty one, so that its number is checked too.
    int before = int(rng() % 3);
    for (int i = 0; i < before; ++i) c.source += "print " + std::to_string(i) + "\n";
    static const struct {
        const char *setup, *use, *message;
    } forms[] = {
        {"int[] a = [1]", "print a.push(3)", "can't assign to text, from void."},
        {"int[] a = [1]", "var v = a.push(2)", "can't assign to var, from void."},
        {"int[] a = [1]", "int n = a.sort()", "can't assign to integer, from void."},
        {"void f()\n    print 1\nreturn", "int x = f()", "can't assign to integer, from void."},
        {"void f()\n    print 1\nreturn", "print 2 * f()", "can't solve multiply expression on integer and void."},
        {"text[] a = [\"x\"]", "text t = a.push(\"y\")", "can't assign to text, from void."},
    };
    const auto &form = forms[rng() % (sizeof forms / sizeof *forms)];
    c.source += std::string(form.setup) + "\n";
    int lineNumber = 1 + int(std::count(c.source.begin(), c.source.end(), '\n'));
    c.source += std::string(form.use) + "\n";
    c.message = "prog.vel L" + std::to_string(lineNumber) + ": " + form.message;
    return c;
}

}  // namespace soundness
