#pragma once
// The checks of the programs case_writer makes from the tables of
// tests/runtime/cases: each failed row is printed with its line, and the
// program ends with "N passed, N failed" and a status that says whether all
// rows held.
#include <velmora/libvel.hpp>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <type_traits>

struct VelCaseCounts {
    int passed = 0;
    int failed = 0;
};
inline VelCaseCounts velCaseCounts;

template <class T, class = void>
struct vel_case_printable : std::false_type {};
template <class T>
struct vel_case_printable<T, std::void_t<decltype(std::declval<std::ostream &>() << std::declval<const T &>())>>
    : std::true_type {};

template <class T>
std::string vel_case_shown(const T &value) {
    if constexpr (vel_case_printable<T>::value) {
        std::ostringstream out;
        out << value;
        return out.str();
    } else {
        return "(a value that cannot be printed)";
    }
}

// The text values print one after another, as print writes them (truth
// values as words). Written with braces, printed{a, b} evaluates its values
// from left to right as a chain of << does; the arguments of a call would
// come in any order.
struct printed {
    template <class... T>
    explicit printed(const T &...values) {
        vel_output out(text);
        (out << ... << values);
    }
    std::string text;
};
inline bool operator==(const printed &shown, const char *expected) { return shown.text == expected; }
inline std::ostream &operator<<(std::ostream &out, const printed &shown) { return out << shown.text; }

// What a statement prints on the standard output.
template <class Statement>
std::string printedBy(Statement statement) {
    std::string out;
    std::string *saved = vel_out.redirect(&out);
    statement();
    vel_out.redirect(saved);
    return out;
}

inline void vel_case_failed(int line, const char *expression, const std::string &got, const std::string &expected) {
    ++velCaseCounts.failed;
    std::cout << "line " << line << ": " << expression << " gave " << got << ", not " << expected << "\n";
}

// A row "expression => expected". Two character pointers compare as texts.
template <class A, class B>
void vel_case_equal(int line, const char *expression, const A &got, const B &expected) {
    bool same;
    if constexpr (std::is_convertible_v<A, const char *> && std::is_convertible_v<B, const char *>)
        same = std::strcmp(got, expected) == 0;
    else
        same = got == expected;
    if (same)
        ++velCaseCounts.passed;
    else
        vel_case_failed(line, expression, vel_case_shown(got), vel_case_shown(expected));
}

// A row "expression ~> expected": two reals at most 4 units in the last place
// apart (two NaNs are not equal).
inline void vel_case_near(int line, const char *expression, double got, double expected) {
    auto ordered = [](double x) {
        std::int64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        return bits < 0 ? INT64_MIN - bits : bits;
    };
    bool near = !std::isnan(got) && !std::isnan(expected) &&
                (got == expected || std::llabs(ordered(got) - ordered(expected)) <= 4);
    if (near)
        ++velCaseCounts.passed;
    else
        vel_case_failed(line, expression, vel_case_shown(got), vel_case_shown(expected));
}

inline int vel_case_summary(const char *table) {
    std::cout << table << ": " << velCaseCounts.passed << " passed, " << velCaseCounts.failed << " failed\n";
    return velCaseCounts.failed == 0 && velCaseCounts.passed > 0 ? 0 : 1;
}
