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
#include <type_traits>
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

// A long chain of operators, each of which would hold the one before it
// inside its own call or list, written as steps one after another, since
// compilers refuse brackets nested a few hundred deep:
//
//     _vel_chain(first).then([&](auto &_vel_o0, auto &_vel_o1) { return _vel_o0 % _vel_o1; }, g()).value
//
// The object of a member call is evaluated before its arguments, so each
// step's result is there before the next step's operand is evaluated, as in
// the nested form.
template <class T>
struct _vel_chain {
    T value;
    explicit _vel_chain(T first) : value(std::move(first)) {}
    template <class Operation, class... Next>
    auto then(Operation operation, Next... next) && {
        return _vel_chain<std::decay_t<decltype(operation(value, next...))>>(operation(value, next...));
    }
};
template <class T>
_vel_chain(T) -> _vel_chain<T>;
#endif
