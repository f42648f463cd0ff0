#include "velmora/output.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

vel_output vel_out(vel_output::STANDARD_OUTPUT);
vel_output vel_err(vel_output::STANDARD_ERROR);

std::size_t vel_format_natural(char *buffer, unsigned long long value) {
    char reversed[vel_number_capacity];
    std::size_t length = 0;
    do {
        reversed[length++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (std::size_t i = 0; i < length; ++i) buffer[i] = reversed[length - 1 - i];
    buffer[length] = '\0';
    return length;
}

std::size_t vel_format_integer(char *buffer, long long value) {
    if (value >= 0) return vel_format_natural(buffer, static_cast<unsigned long long>(value));
    buffer[0] = '-';
    // The magnitude of the smallest value does not fit a long long.
    return 1 + vel_format_natural(buffer + 1, 0ULL - static_cast<unsigned long long>(value));
}

// The C++ streams write a real with printf's "%g" at their default
// precision of six digits, in the C locale; so does this. A NaN is "nan"
// whatever its sign bit, where the C libraries differ (glibc writes "-nan").
// A zero is "0" whatever its sign: ceil(-0.5) and 0 * -1.0 are zeros with
// the sign bit set, which users read as a fault when they see "-0".
std::size_t vel_format_real(char *buffer, double value) {
    if (std::isnan(value)) {
        std::memcpy(buffer, "nan", 4);
        return 3;
    }
    if (value == 0) value = 0.0;
    int length = std::snprintf(buffer, vel_number_capacity, "%g", value);
    return length < 0 ? 0 : static_cast<std::size_t>(length);
}

// As both C++ libraries write a pointer: "0" for none, otherwise "0x" and
// the address in lower-case hex.
std::size_t vel_format_pointer(char *buffer, const void *address) {
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(address);
    if (value == 0) {
        buffer[0] = '0';
        buffer[1] = '\0';
        return 1;
    }
    char reversed[vel_number_capacity];
    std::size_t length = 0;
    for (; value != 0; value /= 16) reversed[length++] = "0123456789abcdef"[value % 16];
    buffer[0] = '0';
    buffer[1] = 'x';
    for (std::size_t i = 0; i < length; ++i) buffer[2 + i] = reversed[length - 1 - i];
    buffer[2 + length] = '\0';
    return 2 + length;
}
