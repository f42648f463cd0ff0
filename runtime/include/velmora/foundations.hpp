#pragma once
// What every part of libvel builds on: the standard headers, the natural
// type, the forward declarations of the value classes, the type tags of the
// typed arrays, the places of run-time errors and the checks of objects.
// Part of libvel.hpp, which generated code includes.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

typedef unsigned long long natural;

// Writing a C string (and, through the same function, a character or a
// string) to a stream is instantiated once, in libvel's WebAssembly archive
// (runtime/wasm/library_templates.cpp), not again in every unit that prints:
// clang spent 0.035 s of hello's 0.085 s compile instantiating and
// optimising it.
#if defined(__EMSCRIPTEN__) && defined(_LIBCPP_VERSION)
_LIBCPP_BEGIN_NAMESPACE_STD
extern template basic_ostream<char> &__put_character_sequence(basic_ostream<char> &, const char *, size_t);
extern template basic_ostream<char> &operator<<(basic_ostream<char> &, const char *);
_LIBCPP_END_NAMESPACE_STD
#endif

class text;
class dyn;
class velarray;
class dict;
struct vel_pair;
class _intArr;
class _arr32;
template <class Number>
class vel_number_array;
// The arrays of reals (real[], number[]) and of naturals.
using _array64 = vel_number_array<double>;
using _natArr = vel_number_array<natural>;
class vel_text_slot;
class vel_ctext;
struct vel_dir_stream;
typedef vel_dir_stream *_VelmoraDir;

// Type tags of the typed arrays; the numbers are the language's type codes.
constexpr int TYPE_NUMBER = 4;
constexpr int TYPE_INT = 5;
constexpr int TYPE_REAL = 7;
constexpr int TYPE_NATURAL = 8;
constexpr int TYPE_TEXT = 10;
constexpr int TYPE_OBJECT = 15;

// Where a call of libvel stands in the program: the compiler fills it in
// at each call as a default argument, so that a generated file with line
// directives names the Velmora source, line and function. The values are
// constants of the call; an inlined check uses them only on its error path.
struct vel_place {
    const char *file;
    int line;
    const char *function;
    constexpr vel_place(const char *file = __builtin_FILE(), int line = __builtin_LINE(),
                        const char *function = __builtin_FUNCTION())
        : file(file), line(line), function(function) {}
};

// Reports a run-time error on stderr and ends the program with status 1:
// "prog.vel L4: Run-time error: ..." when the place is in a Velmora source
// (with " (in f)" inside a function f), otherwise without a place. Without
// a place of its own, the place of the innermost vel_error_place.
[[noreturn]] void vel_fatal(const std::string &message);
[[noreturn]] void vel_fatal(const vel_place &where, const std::string &message);

// The place of the errors that an operation done out of line raises while
// this object lives.
extern const vel_place *vel_innermost_error_place;

// A long program's main is compiled in pieces whose line directives count
// from the piece's first line and name the source with a "+" after it
// ("prog.vel+"), so that an inserted line leaves the later pieces' text
// alone. The piece that runs sets its first source line here; a place so
// named is reported at that line plus its own, less one.
extern int vel_piece_first_line;
class vel_error_place {
public:
    explicit vel_error_place(const vel_place &where) : outer(vel_innermost_error_place) {
        vel_innermost_error_place = &where;
    }
    ~vel_error_place() { vel_innermost_error_place = outer; }
    vel_error_place(const vel_error_place &) = delete;
    vel_error_place &operator=(const vel_error_place &) = delete;

private:
    const vel_place *outer;
};

// An allocation that fails ends the program with "Run-time error: out of
// memory" and status 1.
bool vel_report_failed_allocations();

#ifndef __EMSCRIPTEN__
// A native program that exhausts its stack by deep recursion ends with a
// run-time error rather than a bare crash.
bool vel_guard_the_stack();
// A native program stopped by SIGINT, SIGTERM or SIGHUP writes what it has
// printed before it ends.
bool vel_keep_output_on_interrupt();
#endif

// The program's arguments, the program's name first, ended by a null
// pointer: for a main function of the program that a C++ main without
// arguments calls.
char **vel_program_arguments();

// They are set up before main, ahead of the program's own globals, by
// libvel's start-up object (startup.cpp), which this reference links into
// every program that includes this header. A constant address needs no code
// of its own in each compiled file, where a variable initialised by a call
// gave every file an initialiser and a guard to compile and link. The anchor
// is one variable of the whole program, not one per file: wasm-ld keeps
// what a kept global reaches, and a file's own variables are no such root.
extern "C" int vel_startup_linked;
__attribute__((used)) inline int *const vel_startup_anchor = &vel_startup_linked;

// Objects are pointers: a member reached through a null object stops the
// program with a message rather than reading memory that is not there.
template <class T> inline T *_vel_obj(T *object, const vel_place &where = vel_place()) {
    if (object == nullptr)
        vel_fatal(where, "member of a null object");
    return object;
}

#include "objects.hpp"

template <class T>
using vel_if_integer = std::enable_if_t<std::is_integral<T>::value && !std::is_same<T, bool>::value &&
                                            !std::is_same<T, char>::value,
                                        int>;
