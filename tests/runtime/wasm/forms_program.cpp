// The C++ forms that velc writes for assignments, subscripts, slices,
// conversions, operators and printing, in one program. Its output must be the
// same natively and as a WebAssembly module, and match forms_expected.txt.
#include <velmora/libvel.hpp>

velarray makeList() { return velarray{dyn(1), dyn(2), dyn(3), dyn(4), dyn(5)}; }
dyn pick(int n) { return dyn(n); }

void sliceAssignments() {
    text t = text("abcdef");
    t.setSlice(1, 2, 1, text("XY"));
    t.setSlice(0, 0, 0, "<");
    t.setSlice(5, -1, 1, 42);
    std::cout << t << "\n";
    velarray a = makeList();
    a.setSlice(1, 3, 0, velarray{dyn("x")});
    a.setSlice(0, 0, 1, dyn(9));
    a.setSlice(10, 20, 1, _intArr{7, 8});
    std::cout << a.toString() << "\n";
    dict d{dyn(new vel_pair("a", 1)), dyn(new vel_pair("b", 2)), dyn(new vel_pair("c", 3))};
    d.setSlice(1, 1, 1, dict{dyn(new vel_pair("z", 26))});
    d.setSlice(0, 0, 1, "v");
    std::cout << d << "\n";
    _intArr ia = _intArr{1, 2, 3, 4};
    ia.setSlice(1, 2, 1, _intArr{9});
    _arr32 ta = _arr32{"p", "q"};
    ta.setSlice(0, -1, 1, velarray{dyn("r"), dyn(5)});
    _array64 ra(TYPE_NUMBER, velarray{dyn(1.5), dyn(2.5)});
    ra.setSlice(2, -1, 0, 3.25);
    std::cout << ia << " " << ta << " " << ra << "\n";
    var x = dyn(makeList());
    x.setSlice(0, 3, 0, dyn());
    var s = dyn("hello");
    s.setSlice(0, 0, 1, "J");
    std::cout << x << " " << s << "\n";
}

void elements() {
    text t = text("cat");
    t.setAt(0, "b");
    t.setAt(5, 'y');
    std::cout << "[" << t << "] " << t[1] << t.length() << "\n";
    velarray a = velarray();
    a[1] = dyn("one");
    a.to(0)->setAt(2, dyn(true));
    a.to(3)->to(1)->setAt(0, dyn(2.5));
    std::cout << a.at(1) << " " << a[0][2] << " " << _vel_dumpArray(a) << "\n";
    dict d = dict();
    d["k"] = dyn(1);
    d.to("n")->setAt("m", dyn("deep"));
    std::cout << d.at("k") << " " << d.at("n") << " " << d.at("missing").isNil() << "\n";
    _intArr ia = _intArr();
    ia.setAt(2, 7);
    ia.setAt(0, dyn("12"));
    std::cout << ia << " " << ia.at(2) + 1 << "\n";
    velarray c = makeList();
    c.reset();
    while (c.inBound()) {
        dyn v = c.value();
        c.bound();
        c[c.key()] = v * dyn(10);
    }
    text w = text("abc");
    w.reset();
    while (w.inBound()) {
        text ch = w.value();
        w.bound();
        w[w.key()] = ch.upper();
    }
    std::cout << c.slice(0, -1, 1).toString() << " " << w << "\n";
    dict e{dyn(new vel_pair("a", 1)), dyn(new vel_pair("b", 2)), dyn(new vel_pair("c", 3)),
           dyn(new vel_pair("d", 4))};
    std::cout << e.slice("a", "c", 1) << " " << e.slice("b", "d", 0) << "\n";
}

void conversions() {
    var n = dyn("17");
    text t = text("3.75");
    std::cout << intval(n) << " " << doubleval(t) << " " << naturalval(n) << " " << naturalval(t) << " "
              << naturalval(2.9) << " " << intval(natural(5000000000ULL)) << "\n";
    std::cout << text(12) << text(2.5) << text(true) << text(natural(7)) << " " << text(velarray{dyn(1)})
              << " " << text(_intArr{4}) << "\n";
    var fromTyped = dyn(_arr32{"a"});
    var fromDict = dyn(dict{dyn(new vel_pair("k", 1))});
    std::cout << fromTyped << " " << fromDict << " " << dyn::toBoolean(dyn("0")) << " " << dyn::toInt(dyn(7.9))
              << " " << dyn::toReal(dyn("2.5")) << " " << dyn::toNatural(dyn(3)) << " " << dyn::toText(dyn(4))
              << " " << dyn::toArray(dyn(5)) << " " << dyn::toDict(velarray{dyn("v")}) << "\n";
    var list = dyn(velarray{dyn(3), dyn("4")});
    std::cout << _intArr(velarray{dyn(1), dyn(2)}) << " " << _arr32(velarray{dyn("a"), dyn(2)}) << " "
              << _array64(TYPE_NUMBER, velarray{dyn(1), dyn(0.5)}) << " " << _intArr(list) << " " << _arr32(list)
              << " " << _array64(TYPE_NUMBER, (double)(n)) << " " << _intArr(5) << "\n";
}

void operators() {
    text t = text("ab");
    var d = dyn(3);
    text joined = t + text("c") + "d" + d + 'e';
    joined += "f";
    std::cout << joined << " " << (text("n=") + 5) << " " << (t == "ab") << (d == 3) << (d == 3.0) << (d < 4)
              << (dyn("x") == "x") << (dyn("x") == t) << "\n";
    var _I_1 = pick(5);
    std::cout << (_I_1 == 1 || (_I_1 >= 3 && _I_1 <= 8)) << "\n";
    velarray a = makeList();
    velarray b = velarray{dyn(4), dyn(5), dyn(6)};
    std::cout << (a + dyn(5)).size() << " " << (a + b).size() << " " << (a & b) << " " << (a | b) << " "
              << (a ^ b) << "\n";
    _intArr ia = _intArr{1, 2};
    std::cout << (ia + 3) << " " << (ia + d) << " " << (ia & _intArr{2}) << "\n";
    dict p{dyn(new vel_pair("a", 1)), dyn(new vel_pair("b", 2))};
    dict q{dyn(new vel_pair("b", 20)), dyn(new vel_pair("c", 30))};
    std::cout << (p & q) << " " << (p | q) << " " << (p ^ q) << "\n";
    a += dyn(1);
    d += 1;
    double r = (double)d / 2;
    r = fmod(r, d);
    int m = 17 % 5;
    std::cout << a.size() << " " << d << " " << r << " " << m << "\n";
    _intArr ints = _intArr{3};
    _arr32 texts = _arr32{"ex"};
    _array64 reals(TYPE_REAL, velarray{dyn(2)});
    text x = text("ex");
    std::cout << in_sequence("ex", t.c_str()) << in_sequence("a", t.c_str()) << a.in(dyn(3)) << ints.in(3)
              << texts.in(x.data) << reals.in((double)(2)) << "\n";
}

int main() {
    sliceAssignments();
    elements();
    conversions();
    operators();
    natural big = 18446744073709551615ULL;
    std::cout << big << " " << dyn(big) << " " << vel_num64::ofNatural(big) << " " << dict().toString() << " "
              << _vel_dumpArray(makeList().slice(1, 2, 1)) << _vel_dumpArray(dyn(1) + dyn(2)) << "\n";
    return 0;
}
