#pragma once
// vel_output: what print, echo and libvel write with, instead of the C++
// stream library. std::cout brings the whole of its locale machinery into
// every WebAssembly module that names it (most of a hello module's 324 KB);
// this writes through the C library's FILE, which a C++ stream in a
// program's own native code writes through as well (std::cout is kept in
// step with stdio), so the two stay in order.
//
// Every value is written as the C++ streams write it by default, byte for
// byte: integers in decimal, reals as printf's "%g" (six significant
// digits, "inf", and "nan" whatever the sign bit), characters as themselves, booleans as true and
// false, pointers as 0x and their address in hex (0 for none). A null C
// string writes nothing. Part of libvel.hpp.
#include <cstddef>
#include <cstdio>
#include <string>

// The longest number written: a real in "%g" ("-1.79769e+308") or a 64-bit
// integer, and its terminating zero.
constexpr std::size_t vel_number_capacity = 32;

// The text of a number into buffer, which holds vel_number_capacity bytes;
// the result is its length.
std::size_t vel_format_integer(char *buffer, long long value);
std::size_t vel_format_natural(char *buffer, unsigned long long value);
std::size_t vel_format_real(char *buffer, double value);
std::size_t vel_format_pointer(char *buffer, const void *address);

class vel_output {
public:
    // The standard output or the standard error, chosen when written to, so
    // that the two objects need no constructor to run before main.
    enum Target { STANDARD_OUTPUT, STANDARD_ERROR };
    constexpr explicit vel_output(Target target) : target(target) {}
    // Into a string, appended to.
    explicit vel_output(std::string &into) : into(&into) {}

    vel_output &write(const char *bytes, std::size_t size) {
        if (into)
            into->append(bytes, size);
        else if (size > 0)
            std::fwrite(bytes, 1, size, file());
        return *this;
    }
    vel_output &put(char c) {
        if (into)
            into->push_back(c);
        else
            std::fputc(static_cast<unsigned char>(c), file());
        return *this;
    }
    void flush() {
        if (!into) std::fflush(file());
    }
    // Sends what is written into a string instead until called again with
    // null; gives the string written into before.
    std::string *redirect(std::string *string) {
        std::string *before = into;
        into = string;
        return before;
    }

    vel_output &operator<<(const char *chars) { return chars ? write(chars, std::char_traits<char>::length(chars)) : *this; }
    // A string literal, written as << writes it (up to a NUL). velc writes a
    // line of literals alone with this member, which shares its name with no
    // other: choosing among the overloads of << makes clang read every
    // candidate's constructors out of the precompiled prologue, a fifth of
    // the compile of a program that prints nothing else.
    vel_output &literal(const char *chars) { return write(chars, std::char_traits<char>::length(chars)); }
    vel_output &operator<<(const std::string &bytes) { return write(bytes.data(), bytes.size()); }
    vel_output &operator<<(char c) { return put(c); }
    vel_output &operator<<(signed char c) { return put(static_cast<char>(c)); }
    vel_output &operator<<(unsigned char c) { return put(static_cast<char>(c)); }
    vel_output &operator<<(bool flag) { return flag ? write("true", 4) : write("false", 5); }
    vel_output &operator<<(short value) { return integer(value); }
    vel_output &operator<<(int value) { return integer(value); }
    vel_output &operator<<(long value) { return integer(value); }
    vel_output &operator<<(long long value) { return integer(value); }
    vel_output &operator<<(unsigned short value) { return natural(value); }
    vel_output &operator<<(unsigned value) { return natural(value); }
    vel_output &operator<<(unsigned long value) { return natural(value); }
    vel_output &operator<<(unsigned long long value) { return natural(value); }
    vel_output &operator<<(double value) {
        char digits[vel_number_capacity];
        return write(digits, vel_format_real(digits, value));
    }
    vel_output &operator<<(float value) { return *this << static_cast<double>(value); }
    vel_output &operator<<(const void *address) {
        char digits[vel_number_capacity];
        return write(digits, vel_format_pointer(digits, address));
    }

private:
    std::FILE *file() const { return target == STANDARD_ERROR ? stderr : stdout; }
    vel_output &integer(long long value) {
        char digits[vel_number_capacity];
        return write(digits, vel_format_integer(digits, value));
    }
    vel_output &natural(unsigned long long value) {
        char digits[vel_number_capacity];
        return write(digits, vel_format_natural(digits, value));
    }

    Target target = STANDARD_OUTPUT;
    std::string *into = nullptr;
};

// print and echo write here; run-time errors go to vel_err.
extern vel_output vel_out;
extern vel_output vel_err;
