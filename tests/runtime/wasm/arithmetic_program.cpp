// mod, integer division and for loops over ranges in the C++ forms velc
// writes. Without a case name (or with one it does not know) it prints the
// results, which must be the same natively and as a WebAssembly module and
// match arithmetic_expected.txt. With a case name it runs that failing
// operation: the program must end with status 1 and its run-time error.
#include <velmora/libvel.hpp>

#include <climits>
#include <cstring>

namespace {

// Operands the compiler cannot fold: a WebAssembly i32.rem_s of INT_MIN by -1
// or a division by 0 traps at run time, which is what must not happen.
volatile int zero = 0;
volatile int minusOne = -1;
volatile int lowest = INT_MIN;
volatile long long lowest64 = LLONG_MIN;

// Counts the rounds of all loops below: a loop that wraps around instead of
// ending is cut short, and the output shows it.
bool runaway() {
    static int rounds = 0;
    if (++rounds <= 1000) return false;
    std::cout << "runaway loop\n";
    return true;
}

void modAndDivision() {
    std::cout << _vel_mod(17, 5) << " " << _vel_mod(-17, 5) << " " << _vel_mod(lowest, minusOne) << " "
              << _vel_mod(lowest64, minusOne) << " " << _vel_mod(ULLONG_MAX, 10ULL) << " "
              << int(_vel_mod(static_cast<unsigned char>(250), static_cast<unsigned char>(7))) << " "
              << _vel_mod(7.5, 2) << " " << _vel_mod(dyn(17), 5) << " " << _vel_mod(dyn(LLONG_MIN), dyn(-1)) << "\n";
    std::cout << _vel_div(7, 2) << " " << _vel_div(-1, 2ULL) << " " << _vel_div(lowest, minusOne) << " "
              << _vel_div(1, 3) << " " << _vel_div(1.0, zero) << " " << _vel_div(dyn(9), dyn(2)) << " "
              << (dyn(1) / dyn(0.0)) << "\n";
}

void loops() {
    int _I_1 = _vel_for_step(1);
    for (int i = 2147483645; _I_1 && i <= 2147483647; _I_1 = _vel_for_next(i, 1, 2147483647, 1)) {
        if (runaway()) break;
        std::cout << i << " ";
    }
    std::cout << "|";
    int _I_2 = _vel_for_step(-1);
    for (int i = INT_MIN + 1; _I_2 && i >= INT_MIN; _I_2 = _vel_for_next(i, -1, INT_MIN, 1)) {
        if (runaway()) break;
        std::cout << " " << i;
    }
    std::cout << "\n";
    int _I_3 = _vel_for_step(-1);
    for (natural n = 3; _I_3 && n >= 0; _I_3 = _vel_for_next(n, -1, 0, 1)) {
        if (runaway()) break;
        std::cout << n << " ";
    }
    std::cout << "|";
    int _I_4 = _vel_for_step(1);
    for (natural n = ULLONG_MAX - 1; _I_4 && n <= ULLONG_MAX; _I_4 = _vel_for_next(n, 1, ULLONG_MAX, 1)) {
        if (runaway()) break;
        std::cout << " " << n;
    }
    std::cout << "\n";
    int _I_5 = _vel_for_step(3);
    for (int i = 1; _I_5 && i <= 10; _I_5 = _vel_for_next(i, 3, 10, 1)) {
        if (runaway()) break;
        std::cout << i << " ";
    }
    std::cout << "|";
    int _I_6 = _vel_for_step(3);
    for (int i = 1; _I_6 && i < 10; _I_6 = _vel_for_next(i, 3, 10, 0)) {
        if (runaway()) break;
        std::cout << " " << i;
    }
    std::cout << "\n";
    // The inline form of a loop with a constant step stops at the edge of int.
    for (int i = 2147483640; i < 2147483647; i = _vel_for_add(i, 5)) {
        if (runaway()) break;
        std::cout << i << " ";
    }
    std::cout << "|";
    for (int i = -2147483640; i > INT_MIN; i = _vel_for_add(i, -5)) {
        if (runaway()) break;
        std::cout << " " << i;
    }
    std::cout << "\n";
    int _I_7 = _vel_for_step(0.25);
    for (double x = 0; _I_7 && x <= 1; _I_7 = _vel_for_next(x, 0.25, 1, 1)) {
        if (runaway()) break;
        std::cout << x << " ";
    }
    std::cout << "|";
    int _I_8 = _vel_for_step(-0.5);
    for (double x = 1; _I_8 && x > 0; _I_8 = _vel_for_next(x, -0.5, 0, 0)) {
        if (runaway()) break;
        std::cout << " " << x;
    }
    std::cout << "\n";
    int _I_9 = _vel_for_step(1);
    for (unsigned char c = 253; _I_9 && c <= 255; _I_9 = _vel_for_next(c, 1, 255, 1)) {
        if (runaway()) break;
        std::cout << int(c) << " ";
    }
    std::cout << "|";
    int _I_10 = _vel_for_step(1);
    for (char c = 125; _I_10 && c <= 127; _I_10 = _vel_for_next(c, 1, 127, 1)) {
        if (runaway()) break;
        std::cout << " " << int(c);
    }
    std::cout << "\n";
    dyn s = dyn(2);
    int _I_11 = _vel_for_step(s);
    for (var v = dyn(0); _I_11 && v <= dyn(5); _I_11 = _vel_for_next(v, s, dyn(5), 1)) {
        if (runaway()) break;
        std::cout << v << " ";
    }
    std::cout << "|";
    int _I_12 = _vel_for_step(0.5);
    for (var v = dyn(0); _I_12 && v <= dyn(1); _I_12 = _vel_for_next(v, 0.5, 1, 1)) {
        if (runaway()) break;
        std::cout << " " << v;
    }
    std::cout << "\n";
    int _I_13 = _vel_for_step(1);
    for (long long k = LLONG_MAX - 1; _I_13 && k <= LLONG_MAX; _I_13 = _vel_for_next(k, 1, LLONG_MAX, 1)) {
        if (runaway()) break;
        std::cout << k << " ";
    }
    std::cout << "|";
    int _I_14 = _vel_for_step(1);
    for (int i = 0; _I_14 && i <= 2.5; _I_14 = _vel_for_next(i, 1, 2.5, 1)) {
        if (runaway()) break;
        std::cout << " " << i;
    }
    std::cout << "\n";
}

// The failing cases: name, then the operation.
bool runCase(const char *name) {
    std::cout << "start " << name << "\n";
    if (!std::strcmp(name, "mod_int")) std::cout << _vel_mod(5, zero);
    else if (!std::strcmp(name, "mod_natural")) std::cout << _vel_mod(5ULL, static_cast<natural>(zero));
    else if (!std::strcmp(name, "mod_byte")) std::cout << int(_vel_mod(static_cast<unsigned char>(5), static_cast<unsigned char>(zero)));
    else if (!std::strcmp(name, "mod_dyn")) std::cout << _vel_mod(dyn(5), zero);
    else if (!std::strcmp(name, "div_int")) std::cout << _vel_div(7, zero);
    else if (!std::strcmp(name, "div_natural")) std::cout << _vel_div(ULLONG_MAX, static_cast<natural>(zero));
    else if (!std::strcmp(name, "div_dyn")) std::cout << (dyn(7) / dyn(zero));
    else if (!std::strcmp(name, "div_dyn_mixed")) std::cout << _vel_div(7, dyn(zero));
    else if (!std::strcmp(name, "step_zero")) {
        int _I_1 = _vel_for_step(zero);
        for (int i = 0; _I_1 && i <= 3; _I_1 = _vel_for_next(i, zero, 3, 1)) {
            if (runaway()) break;
            std::cout << i;
        }
    } else if (!std::strcmp(name, "step_zero_dyn")) {
        dyn s = dyn(0.0);
        int _I_1 = _vel_for_step(s);
        for (var v = dyn(0); _I_1 && v <= dyn(3); _I_1 = _vel_for_next(v, s, 3, 1)) {
            if (runaway()) break;
            std::cout << v;
        }
    } else if (!std::strcmp(name, "step_fraction")) {
        int _I_1 = _vel_for_step(0.5);
        for (int i = 0; _I_1 && i <= 3; _I_1 = _vel_for_next(i, 0.5, 3, 1)) {
            if (runaway()) break;
            std::cout << i << "\n";
        }
    } else {
        return false;
    }
    std::cout << "\nnot stopped\n";
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::strncmp(argv[1], "mod_", 4) && std::strncmp(argv[1], "div_", 4) &&
        std::strncmp(argv[1], "step_", 5))
        argc = 1;
    if (argc > 1) return runCase(argv[1]) ? 0 : 2;
    modAndDivision();
    loops();
    return 0;
}
