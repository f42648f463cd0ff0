#pragma once
// Calls of the C and C++ functions that an extern line declares. Part of
// libvel.hpp.
//
// velc knows such a function only from its extern line; the function the C++
// compiler finds may take other parameters, give another result or not
// exist at all. velc writes each call as vel_native_call with a generic
// lambda around the plain call: where the call cannot be made with the
// declared types, or its result is no value of the declared result type, the
// program compiles all the same and the call ends it with a run-time error.
#include "foundations.hpp"

#include <string>
#include <type_traits>
#include <utility>

[[noreturn]] void vel_native_mismatch(const vel_place &where, const char *name);

template <class R, class F, class... A>
R vel_native_call(const char *name, const vel_place &where, F call, A &&...arguments) {
    if constexpr (!std::is_invocable<F, A...>::value) {
        vel_native_mismatch(where, name);
    } else {
        using Given = std::invoke_result_t<F, A...>;
        if constexpr (std::is_void<R>::value) {
            if constexpr (std::is_void<Given>::value) {
                call(std::forward<A>(arguments)...);
            } else {
                // Kept rather than cast away: a result the C library marks as
                // one to use would otherwise be warned of.
                auto &&ignored = call(std::forward<A>(arguments)...);
                (void)ignored;
            }
        } else if constexpr (std::is_void<Given>::value || !std::is_convertible<Given, R>::value) {
            vel_native_mismatch(where, name);
        } else {
            return static_cast<R>(call(std::forward<A>(arguments)...));
        }
    }
}
