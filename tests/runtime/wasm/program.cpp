// A program in the style of generated code; its output must be the same
// when it runs natively and as a WebAssembly module.
#include <velmora/libvel.hpp>

#include <climits>

int main(int argc, char **_A_1) {
    velarray argv(_A_1);
    text name = _vel_inputText("Name: ");
    double age = _vel_inputNumber("Age: ");
    std::cout << _vel_phpstring("", "Hello ", str(name), "!", NULL) << "\n";
    std::cout << age + 0.5 << " " << (age > 40) << "\n";
    velarray a = velarray();
    a[2] = 3.25;
    a.to(0)->setAt(1, text("in"));
    a += dyn(natural(18446744073709551615ULL));
    std::cout << a.toString() << " " << a.at(9) << "|" << argv.size() << "\n";
    dict d{dyn(new vel_pair("b", 2)), dyn(new vel_pair("a", 1))};
    d["c"] = d.at("a") + d.at("b");
    d.reset();
    while (d.inBound()) {
        dyn k = d.key();
        dyn v = d.value();
        d.bound();
        std::cout << k << "=" << v << ";";
    }
    std::cout << "\n" << _vel_dumpArray(d.slice(1, -1, 0)) << "\n";
    _natArr naturals(TYPE_NATURAL, 16);
    naturals += natural(12345678901234567890ULL);
    _intArr ints = _intArr(5) + 6;
    std::cout << naturals << " " << ints << " " << (ints & _intArr{6, 7}) << "\n";
    dyn x = dyn(7) / 2;
    std::cout << x << " " << (dyn(LLONG_MAX) + 1) << " " << text("abcdef").slice(1, 3, 1) << "\n";
    return 0;
}
