#pragma once
// The functions that generated programs call by their Velmora names:
// conversions, text functions, abs, min, max and exit. Part of libvel.hpp.
#include "containers.hpp"

int intval(double x);
int intval(const text &x);
int intval(const char *x);
int intval(const dyn &x);
int intval(const std::string &x);
inline int intval(bool x) { return x ? 1 : 0; }
inline int intval(char x) { return x; }
// Wider integers are clamped into int, as reals are.
inline int vel_clamped_int(long long x) { return x > 2147483647LL ? 2147483647 : (x < -2147483647LL - 1 ? -2147483647 - 1 : static_cast<int>(x)); }
inline int vel_clamped_int(unsigned long long x) { return x > 2147483647ULL ? 2147483647 : static_cast<int>(x); }
template <class T, vel_if_integer<T> = 0>
int intval(T x) {
    return std::is_signed<T>::value ? vel_clamped_int(static_cast<long long>(x))
                                    : vel_clamped_int(static_cast<unsigned long long>(x));
}
// A container is not a number: these give what the conversions of dyn give.
int intval(const velarray &x);
int intval(const dict &x);
int intval(const _intArr &x);
int intval(const _arr32 &x);
int intval(const _array64 &x);
int intval(const _natArr &x);

double doubleval(const text &x);
double doubleval(const char *x);
double doubleval(const dyn &x);
double doubleval(const std::string &x);
inline double doubleval(double x) { return x; }
inline double doubleval(bool x) { return x ? 1.0 : 0.0; }
template <class T, vel_if_integer<T> = 0>
double doubleval(T x) { return static_cast<double>(x); }
inline double doubleval(char x) { return x; }
double doubleval(const velarray &x);
double doubleval(const dict &x);
double doubleval(const _intArr &x);
double doubleval(const _arr32 &x);
double doubleval(const _array64 &x);
double doubleval(const _natArr &x);
inline double realval(const dyn &x) { return doubleval(x); }

natural naturalval(double x);
natural naturalval(const text &x);
natural naturalval(const char *x);
natural naturalval(const dyn &x);
natural naturalval(const std::string &x);
inline natural naturalval(bool x) { return x ? 1 : 0; }
template <class T, vel_if_integer<T> = 0>
natural naturalval(T x) { return static_cast<natural>(x); }
inline natural naturalval(char x) { return static_cast<natural>(x); }
natural naturalval(const velarray &x);
natural naturalval(const dict &x);
natural naturalval(const _intArr &x);
natural naturalval(const _arr32 &x);
natural naturalval(const _array64 &x);
natural naturalval(const _natArr &x);
natural boolval(const dyn &x);

// str(x): the text of any value.
inline text str(const text &x) { return x; }
inline text str(const char *x) { return text(x); }
inline text str(const std::string &x) { return text(x); }
inline text str(char x) { return text(x); }
inline text str(double x) { return text(x); }
template <class T, vel_if_integer<T> = 0>
text str(T x) { return text(x); }
template <class B, std::enable_if_t<std::is_same<B, bool>::value, int> = 0>
text str(B x) { return text(x); }
text str(const dyn &x);
text str(const velarray &x);
text str(const dict &x);
text str(const _intArr &x);
text str(const _arr32 &x);
text str(const _array64 &x);
text str(const _natArr &x);

bool in_sequence(const char *item, const char *container);
bool in_sequence(const text &item, const text &container);
bool in_sequence(char item, const text &container);
// A C string holding the bytes of value that stays valid until the program
// ends; C strings made from expressions other than a variable get theirs here.
char *_vel_cstring(const text &value);

// cs[i] on a C string: read, a one-character text ("" outside the string);
// written, the first character of the value replaces the one at i. The
// string keeps its length, so an index outside it is a run-time error. A
// string the program does not own yet (a literal's bytes, or a native
// one) is copied to storage of its own before the first write.
vel_ctext _vel_cstring_at(const char *s, int index);
vel_ctext _vel_cstring_at(const char *s, const dyn &index);
class vel_cstring_slot {
public:
    explicit vel_cstring_slot(char *&target) : target(target) {}
    void setAt(int index, const text &value);
    void setAt(const dyn &index, const text &value);
    template <typename I, typename T>
    void setAt(const I &index, const T &value) {
        setAt(index, text(value));
    }
    // cs[lo..hi] = t: the bytes of the slice replaced by those of t, as a
    // text's slice is written. Of the same length the string is written in
    // place, as setAt writes it; of another length it is a new string.
    void setSlice(int lo, int hi, int inclusive, const dyn &value);

private:
    char *&target;
};

// input reads lines from the standard input, or from this file when it is
// set (libvel's tests set it, since the standard input of a WebAssembly
// module cannot be reopened).
extern std::FILE *vel_console_input;
double _vel_inputNumber();
double _vel_inputNumber(const text &prompt);
// A line read into an int or a natural: converted as the text's own toInt()
// and toNatural() convert it (clamped into int; a natural exact to its last
// digit, a negative one wrapped around), never through a real whose
// conversion the two tool chains would do differently.
int _vel_inputInt();
int _vel_inputInt(const text &prompt);
natural _vel_inputNatural();
natural _vel_inputNatural(const text &prompt);
text _vel_inputText();
text _vel_inputText(const text &prompt);

text _vel_dumpArray(const velarray &x);
text _vel_dumpArray(const dict &x);
text _vel_dumpArray(const dyn &x);
text _vel_dumpArray(const _intArr &x);
text _vel_dumpArray(const _arr32 &x);
text _vel_dumpArray(const _array64 &x);
text _vel_dumpArray(const _natArr &x);

// _vel_phpstring("", "Hello ", str(name), "!", NULL): joins the segments up
// to the terminator, whatever integer or null pointer NULL expands to.
struct vel_segment_joiner {
    std::string joined;
    bool finished = false;
    void add(const char *segment) {
        if (segment == nullptr)
            finished = true;
        else if (!finished)
            joined += segment;
    }
    void add(const text &segment) {
        if (!finished) joined += segment.data;
    }
    void add(const std::string &segment) {
        if (!finished) joined += segment;
    }
    void add(std::nullptr_t) { finished = true; }
    template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
    void add(T) { finished = true; }
};
template <class... Segments>
text _vel_phpstring(const Segments &...segments) {
    vel_segment_joiner joiner;
    // Expanded through an array so that the header also compiles as C++14.
    int inOrder[] = {0, (joiner.add(segments), 0)...};
    (void)inOrder;
    return text(std::move(joiner.joined));
}

// Further global functions of the language.
text chr(int code);
int ord(const text &x);
bool is_dyn_array(const dyn &x);
bool is_dyn_dict(const dyn &x);
bool is_dyn_list(const dyn &x);
bool is_dyn_object(const dyn &x);
text str_pad(const text &x, int width = 0, const text &padding = text(" "), int where = 1);
int _vel_sgn(double x);
double _vel_round(double x);
[[noreturn]] void die(const text &message);
text plural(int count);
velarray _vel_range(int from, int to);
int _vel_time();
dict _vel_ltime();
// The pieces between the separators, empty ones included; an empty
// separator gives one piece per byte. A dyn is cut as its text. (One
// overload per receiver spelling, so that none is ambiguous.)
velarray explode(const text &x, const text &separator);
velarray explode(const std::string &x, const text &separator);
velarray explode(const char *x, const text &separator);
velarray explode(const dyn &x, const text &separator);
text to_string(double x);
template <class T, vel_if_integer<T> = 0>
text to_string(T x) { return text(x); }
// abs, min and max of numbers. abs keeps the C library's int overloads;
// min and max of reals give NaN when either operand is NaN.
using std::abs;
inline natural abs(natural x) { return x; }
double min(double a, double b);
double max(double a, double b);
// exit with no status ends the program with 0.
[[noreturn]] inline void exit() { std::exit(0); }
