#pragma once
// Included by libvel.hpp.
//
// Operands and arguments evaluated from left to right. C++ leaves the order
// of the operands of most operators and of a call's arguments open, and
// compilers choose differently, so a program whose operands change what the
// others read would print one thing natively and another under WebAssembly.
// The elements of a braced list are evaluated in the order written, even
// when the list calls a constructor: the generated code hands the operands
// to _vel_inOrder in such a list, and the operation, a lambda, receives the
// values it holds.
//
//     _vel_inOrder{a.shift(), a.shift()}([&](auto &_vel_o0, auto &_vel_o1) { return _vel_o0 - _vel_o1; })
//
// Each value is taken when its turn comes: a variable is copied then, so a
// later operand that changes the variable does not change what was read.
#pragma once
// Generated code is C++17; the rest of the header still compiles as C++14.
#if __cplusplus >= 201703L
#include <tuple>
#include <utility>

// The constructor takes its operands by value: each parameter is copied
// from its operand before the next operand is evaluated. Parameters bound
// by reference would be read only when the tuple is made, after every
// operand, and see what a later operand's call did to a variable.
template <class... T>
struct _vel_inOrder {
    std::tuple<T...> values;
    explicit _vel_inOrder(T... operands) : values(std::move(operands)...) {}
    template <class Operation>
    decltype(auto) operator()(Operation operation) && {
        return std::apply(operation, values);
    }
};
template <class... A>
_vel_inOrder(A...) -> _vel_inOrder<A...>;
#endif
