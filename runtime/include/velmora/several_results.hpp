#pragma once
// What a function of several results gives back: one value of each declared
// type, kept as the function computed it, so that "n, list = f()" hands an
// int[] to an int[] and an object to a variable of its class without going
// through a dyn. Where one value is wanted instead (a var, a print, an
// array), the results become an array of them. Part of libvel.hpp.
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "containers.hpp"

// One result as the braced list of a return gives it: converted to its
// type at once, before the next result is computed, and as a conversion
// (not a list element), so that an int given for a real result is no
// narrowing.
template <class T>
struct vel_result_slot {
    T value;
    template <class U>
    vel_result_slot(U &&given) : value(converted(std::forward<U>(given))) {}

private:
    // NULL, once forwarded, is a plain integer: for an object it is null.
    template <class U>
    static T converted(U &&given) {
        if constexpr (std::is_integral<std::decay_t<U>>::value && std::is_constructible<T, std::nullptr_t>::value &&
                      !std::is_constructible<T, U>::value) {
            return T(nullptr);
        } else {
            T value(std::forward<U>(given));
            return value;
        }
    }
};

template <class... T>
class vel_results : public std::tuple<T...> {
public:
    vel_results() = default;
    // An object result is held before the results after it are computed,
    // which may drop every other hold of it. (The tuple's own constructors
    // would bind them all first and convert them afterwards.)
    template <std::size_t N = sizeof...(T), std::enable_if_t<(N > 0), int> = 0>
    vel_results(vel_result_slot<T>... slots) : std::tuple<T...>(std::move(slots.value)...) {}

    operator velarray() const { return asArray(std::index_sequence_for<T...>()); }

private:
    template <std::size_t... I>
    velarray asArray(std::index_sequence<I...>) const {
        return velarray{dyn(std::get<I>(*this))...};
    }
};

template <class... T>
vel_output &operator<<(vel_output &out, const vel_results<T...> &results) {
    return out << static_cast<velarray>(results);
}

template <class... T>
std::ostream &operator<<(std::ostream &out, const vel_results<T...> &results) {
    return out << static_cast<velarray>(results);
}
