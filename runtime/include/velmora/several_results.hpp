#pragma once
// What a function of several results gives back: one value of each declared
// type, kept as the function computed it, so that "n, list = f()" hands an
// int[] to an int[] and an object to a variable of its class without going
// through a dyn. Where one value is wanted instead (a var, a print, an
// array), the results become an array of them. Part of libvel.hpp.
#include <tuple>
#include <utility>

#include "containers.hpp"

template <class... T>
class vel_results : public std::tuple<T...> {
public:
    using std::tuple<T...>::tuple;

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
