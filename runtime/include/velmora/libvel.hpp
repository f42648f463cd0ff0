#pragma once
// libvel: the run-time library of programs written in Velmora.
//
// The C++ that velc writes includes this header and links velmora.a. Every
// name below is spelled the way the generated code spells it.
//
// Value semantics
// ---------------
// * `text` is a byte string. It prints as its characters, without quotes.
// * `dyn` (also named `var`) holds nil, a boolean, an integer (64-bit signed),
//   a real (double), a natural (64-bit unsigned), a text, an array, a dict, a
//   key/value pair or a pointer. Containers inside a dyn are owned by it and
//   copied with it: a dyn never aliases another dyn's array.
// * Containers print as [1, 2, "a"] and {"a": 1, 2: "b"}: texts inside a
//   container are quoted, nil inside a container prints as nil. A nil printed
//   on its own prints nothing. Reals print in the default C++ stream format;
//   booleans print as true and false (std::cout is switched to boolalpha when
//   the program starts).
// * Dicts keep the order in which keys were first inserted. Keys are texts or
//   integers; a number used as a key is truncated to an integer; any other
//   key is a run-time error.
//
// Out of range
// ------------
// * Reading past either end of an array, text or typed array, or reading a
//   key a dict does not hold, gives the default value: nil for arrays and
//   dicts, "" for texts, 0 for numeric arrays, a nil/"" element for _arr32.
// * Writing past the end grows the array (the gap is filled with default
//   values) or the text (padded with blanks).
// * Writing at a negative index, using a key that is neither a text nor a
//   number, or indexing a value that is no container prints
//   "Run-time error: ..." on stderr and ends the program with status 1.
// * Integer arithmetic of dyn values wraps around on overflow; an integer
//   modulo by zero is a run-time error. Division of dyn values always gives a
//   real; dividing an integer by the integer 0 is a run-time error, and as
//   soon as one operand is a real the IEEE rules hold (x / 0.0 is an
//   infinity).
//
// Iteration
// ---------
// Containers, texts and dyn values share one cursor protocol:
//     c.reset(); while(c.inBound()) { k = c.key(); v = c.value(); c.bound(); ... }
// bound() only marks the step; the cursor moves at the next inBound(), so that
// key(), value() and c[c.key()] inside the loop body still denote the element
// being visited.
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

class text;
class dyn;
class velarray;
class dict;
struct vel_pair;
class vel_num64;
class _intArr;
class _arr32;
class _array64;
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

#ifndef __EMSCRIPTEN__
// A native program that exhausts its stack by deep recursion ends with a
// run-time error rather than a bare crash: the handler is set up once,
// before main, by every program that includes this header.
bool vel_guard_the_stack();
inline const bool vel_stack_guarded = vel_guard_the_stack();
#endif

// Objects are pointers: a member reached through a null object stops the
// program with a message rather than reading memory that is not there.
template <class T> inline T *_vel_obj(T *object, const vel_place &where = vel_place()) {
    if (object == nullptr)
        vel_fatal(where, "member of a null object");
    return object;
}

template <class T>
using vel_if_integer = std::enable_if_t<std::is_integral<T>::value && !std::is_same<T, bool>::value &&
                                            !std::is_same<T, char>::value,
                                        int>;

// ---------------------------------------------------------------------------
// text

class text {
public:
    std::string data;

    text() = default;
    text(const char *chars);
    text(const std::string &bytes) : data(bytes) {}
    text(std::string &&bytes) : data(std::move(bytes)) {}
    text(char c) : data(1, c) {}
    template <class T, vel_if_integer<T> = 0>
    text(T number) : data(std::to_string(number)) {}
    text(double number);
    text(float number) : text(static_cast<double>(number)) {}
    template <class B, std::enable_if_t<std::is_same<B, bool>::value, int> = 0>
    text(B flag) : data(flag ? "true" : "false") {}
    explicit text(const dyn &value);
    explicit text(const velarray &array);
    explicit text(const dict &dictionary);
    explicit text(const _intArr &array);
    explicit text(const _arr32 &array);
    explicit text(const _array64 &array);
    text(const vel_num64 &number);

    const char *c_str() const { return data.c_str(); }
    int length() const { return static_cast<int>(data.size()); }
    int size() const { return length(); }
    bool empty() const { return data.empty(); }

    // Reading gives a one-character text ("" out of range); on a text that
    // can change, t[i] = v also writes, as t.setAt(i, v) does.
    text operator[](int index) const;
    text operator[](const dyn &index) const;
    text at(int index) const { return (*this)[index]; }
    text at(const dyn &index) const { return (*this)[index]; }
    vel_text_slot operator[](int index);
    vel_text_slot operator[](const dyn &index);
    void setAt(int index, const text &value);
    void setAt(const dyn &index, const text &value);
    // Any other value is written as its text.
    template <class T>
    void setAt(int index, const T &value) {
        setAt(index, text(value));
    }
    template <class T>
    void setAt(const dyn &index, const T &value) {
        setAt(index, text(value));
    }
    text slice(int lo, int hi = -1, int inclusive = 0) const;
    // Replaces the characters lo..hi by the text of value (see vel_slice_span).
    void setSlice(int lo, int hi, int inclusive, const dyn &value);
    bool in(const text &item) const;

    text &operator+=(const text &other) {
        data += other.data;  // std::string appends its own bytes correctly: t += t
        return *this;
    }

    // Cursor over the characters.
    void reset();
    bool inBound();
    int key() const;
    text value() const;
    void bound() { stepPending = true; }

    // Built-in text methods.
    text capitalize() const;
    int compare(const text &other) const;
    text dup(int times) const;
    void fill(const text &pattern, int count);
    int find(const text &needle, int from = 0) const;
    int find_last_of(const text &needle, int from = -1) const;
    int findLast(const text &needle, int from = -1) const { return find_last_of(needle, from); }
    int findLex(const text &needle, int from = 0) const;
    int identical(const text &other) const;
    void insert(int position, const text &piece);
    bool isNumber() const;
    text lower() const;
    text upper() const;
    text lTrim() const;
    text rTrim() const;
    text trim() const;
    text replace(const text &from, const text &to) const;
    void reserve(int capacity);
    text wrap(int width) const;
    int toInt() const;
    int toInteger() const { return toInt(); }
    double toNumber() const;
    double toReal() const { return toNumber(); }
    vel_ctext toStr() const;
    text toText() const { return *this; }
    void toFile(const text &fileName) const;
    // No function is known by its name at run time: always 0.
    void *toFunction() const { return nullptr; }

private:
    std::size_t cursor = 0;
    bool stepPending = false;
};

text operator+(const text &a, const text &b);
text operator+(const text &a, const char *b);
text operator+(const char *a, const text &b);
text operator+(const text &a, char b);
text operator+(char a, const text &b);
template <class T, vel_if_integer<T> = 0>
text operator+(const text &a, T b) { return a + text(b); }
inline text operator+(const text &a, double b) { return a + text(b); }

int vel_compare_texts(const text &a, const text &b);
// The end of the decimal number (sign, digits, point, exponent; no hex, inf
// or nan) that starts at s[start], or start when none starts there.
std::size_t vel_number_end(const std::string &s, std::size_t start);
inline bool operator==(const text &a, const text &b) { return a.data == b.data; }
inline bool operator!=(const text &a, const text &b) { return a.data != b.data; }
inline bool operator<(const text &a, const text &b) { return a.data < b.data; }
inline bool operator>(const text &a, const text &b) { return a.data > b.data; }
inline bool operator<=(const text &a, const text &b) { return a.data <= b.data; }
inline bool operator>=(const text &a, const text &b) { return a.data >= b.data; }
inline bool operator==(const text &a, const char *b) { return a == text(b); }
inline bool operator!=(const text &a, const char *b) { return a != text(b); }
inline bool operator<(const text &a, const char *b) { return a < text(b); }
inline bool operator>(const text &a, const char *b) { return a > text(b); }
inline bool operator<=(const text &a, const char *b) { return a <= text(b); }
inline bool operator>=(const text &a, const char *b) { return a >= text(b); }
inline bool operator==(const char *a, const text &b) { return text(a) == b; }
inline bool operator!=(const char *a, const text &b) { return text(a) != b; }
inline bool operator<(const char *a, const text &b) { return text(a) < b; }
inline bool operator>(const char *a, const text &b) { return text(a) > b; }
inline bool operator<=(const char *a, const text &b) { return text(a) <= b; }
inline bool operator>=(const char *a, const text &b) { return text(a) >= b; }
std::ostream &operator<<(std::ostream &out, const text &value);
text operator+(const text &a, const vel_num64 &b);

// t[i] on a text that can change: reads as the one-character text, and an
// assignment to it writes that character of t. It is a text itself, so that
// every text operation accepts it.
class vel_text_slot : public text {
public:
    vel_text_slot(text &owner, int index) : text(static_cast<const text &>(owner)[index]), owner(&owner), index(index) {}
    vel_text_slot(const vel_text_slot &) = default;
    vel_text_slot &operator=(const vel_text_slot &value) { return *this = static_cast<const text &>(value); }
    vel_text_slot &operator=(const text &value) {
        owner->setAt(index, value);
        data = value.data;
        return *this;
    }
    template <class T>
    vel_text_slot &operator=(const T &value) {
        return *this = text(value);
    }

private:
    text *owner;
    int index;
};
inline vel_text_slot text::operator[](int index) { return vel_text_slot(*this, index); }
// An element joined with a text is a text: these match exactly, where the
// joins of a text with a dynamic value would match as well as the joins of
// two texts and leave the compiler no choice.
inline text operator+(const text &a, const vel_text_slot &b) { return a + static_cast<const text &>(b); }
inline text operator+(const vel_text_slot &a, const text &b) { return static_cast<const text &>(a) + b; }
inline text operator+(const vel_text_slot &a, const vel_text_slot &b) {
    return static_cast<const text &>(a) + static_cast<const text &>(b);
}
inline text operator+(const char *a, const vel_text_slot &b) { return a + static_cast<const text &>(b); }
inline text operator+(const vel_text_slot &a, const char *b) { return static_cast<const text &>(a) + b; }

// The result of the methods whose value is a C string (toStr, toString): a
// text, which a char * variable can also take. That conversion copies the
// bytes into storage kept until the program ends (see _vel_cstring).
class vel_ctext : public text {
public:
    vel_ctext(const text &value) : text(value) {}
    vel_ctext(text &&value) : text(std::move(value)) {}
    operator char *() const;
};
inline vel_ctext text::toStr() const { return vel_ctext(*this); }

// The positions [first, end) that the bounds lo..hi of a slice denote in a
// sequence of size elements: hi included when inclusive is 1, a negative hi
// means to the end. Bounds outside the sequence are clamped, so a slice
// starting past the end is empty and sits at the end.
struct vel_span {
    std::size_t first;
    std::size_t end;
};
vel_span vel_slice_span(int lo, int hi, int inclusive, std::size_t size);

// ---------------------------------------------------------------------------
// One element of an _array64: a real or a natural, by the array's tag.

class vel_num64 {
public:
    vel_num64() = default;
    vel_num64(double number) : real(number) {}
    template <class T, vel_if_integer<T> = 0>
    vel_num64(T number) : real(static_cast<double>(number)) {
        if (std::is_unsigned<T>::value && sizeof(T) == 8) {
            holdsNatural = true;
            whole = static_cast<natural>(number);
        }
    }
    static vel_num64 ofNatural(natural number);
    static vel_num64 withTag(int tag, const vel_num64 &value);

    operator double() const { return holdsNatural ? static_cast<double>(whole) : real; }
    explicit operator natural() const;
    bool isNatural() const { return holdsNatural; }

private:
    bool holdsNatural = false;
    double real = 0;
    natural whole = 0;
};
bool operator==(const vel_num64 &a, const vel_num64 &b);
inline bool operator!=(const vel_num64 &a, const vel_num64 &b) { return !(a == b); }
std::ostream &operator<<(std::ostream &out, const vel_num64 &value);

// ---------------------------------------------------------------------------
// dyn

// The error flag that error blocks test; operations that fail raise it.
struct vel_error_flag {
    bool raised = false;
    void set(bool value) { raised = value; }
    operator bool() const { return raised; }
    vel_error_flag &operator=(bool value) {
        raised = value;
        return *this;
    }
};

#include "dyn_methods.hpp"

class dyn : public vel_dyn_methods {
public:
    enum Kind { NIL, BOOLEAN, INTEGER, REAL, NATURAL, TEXT, ARRAY, DICT, PAIR, POINTER };
    static vel_error_flag error;

    dyn() {}  // user-provided, so that a const dyn needs no initialiser
    dyn(std::nullptr_t) : dyn() {}
    dyn(bool value) : type(BOOLEAN), flag(value) {}
    template <class T, vel_if_integer<T> = 0>
    dyn(T number) : dyn() {
        if (std::is_unsigned<T>::value && sizeof(T) == 8)
            setNatural(static_cast<natural>(number));
        else
            setInteger(static_cast<long long>(number));
    }
    dyn(double number) : type(REAL), real(number) {}
    dyn(float number) : dyn(static_cast<double>(number)) {}
    dyn(char c);
    dyn(const char *chars);
    dyn(const std::string &bytes);
    dyn(const text &value);
    dyn(text &&value);
    dyn(const velarray &array);
    dyn(velarray &&array);
    dyn(const dict &dictionary);
    dyn(dict &&dictionary);
    dyn(const _intArr &array);
    dyn(const _arr32 &array);
    dyn(const _array64 &array);
    dyn(const vel_num64 &number);
    dyn(vel_pair *pair);  // takes ownership of the pair
    dyn(void *pointer);   // refers to an object the program owns
    dyn(const dyn &other) : type(other.type) {
        if (owns(type))
            copyOwned(other);
        else
            copyNumber(other);
    }
    dyn(dyn &&other) noexcept : type(other.type) {
        copyNumber(other);
        other.type = NIL;
    }
    dyn &operator=(const dyn &other);
    dyn &operator=(dyn &&other) noexcept;
    ~dyn() {
        if (owns(type)) release();
    }

    Kind kind() const { return type; }
    bool isNil() const { return type == NIL; }
    bool isNumeric() const;

    // Conversions used by the generated casts.
    explicit operator bool() const { return toBoolean(*this); }
    explicit operator int() const { return toInt(*this); }
    explicit operator double() const { return toReal(*this); }
    explicit operator natural() const { return toNatural(*this); }
    template <class T>
    explicit operator T *() const { return static_cast<T *>(rawPointer()); }

    static bool toBoolean(const dyn &value);
    static double toReal(const dyn &value);
    static int toInt(const dyn &value);
    static long long toInt64(const dyn &value);
    static natural toNatural(const dyn &value);
    static text toText(const dyn &value);
    static velarray toArray(const dyn &value);
    static dict toDict(const dyn &value);
    static FILE *toFile(const dyn &value);
    static _VelmoraDir toDir(const dyn &value);

    // Member forms of the same conversions and the kind tests.
    bool toBoolean() const { return toBoolean(*this); }
    double toReal() const { return toReal(*this); }
    double toNumber() const { return toReal(*this); }
    int toInt() const { return toInt(*this); }
    int toInteger() const { return toInt(*this); }
    natural toNatural() const { return toNatural(*this); }
    text toText() const;
    velarray toArray() const;
    dict toDict() const;
    FILE *toFile() const { return toFile(*this); }
    // An object variable is an array: the value as dyn::toArray gives it.
    velarray toObject() const;
    bool isArray() const { return type == ARRAY; }
    bool isDict() const { return type == DICT; }
    bool isText() const { return type == TEXT; }
    bool sNumber() const { return isNumeric() && type != BOOLEAN; }
    bool isNumber() const { return sNumber(); }
    bool isBoolean() const { return type == BOOLEAN; }
    bool isNatural() const { return type == NATURAL; }
    bool isReal() const { return type == REAL; }
    bool isInt() const { return type == INTEGER; }
    bool isInteger() const { return type == INTEGER; }
    bool isFile() const { return type == POINTER; }
    bool isObject() const { return type == POINTER; }
    int arrayType() const;

    // Access to the held container or text.
    dyn at(const dyn &key) const;
    void setAt(const dyn &key, const dyn &value);
    dyn *to(const dyn &key);
    dyn &operator[](const dyn &key);
    dyn slice(int lo, int hi = -1, int inclusive = 0) const;
    dyn slice(const text &fromKey, const text &toKey, int inclusive = 1) const;
    // Replaces a slice of the held text, array or dict; nil becomes an array.
    void setSlice(int lo, int hi, int inclusive, const dyn &value);
    bool in(const dyn &item) const;
    vel_ctext toString() const;
    // The elements (of a dict: the values) joined by separator.
    vel_ctext toString(const text &separator) const;
    int length() const;
    int size() const { return length(); }

    void reset();
    bool inBound();
    dyn key() const;
    dyn value() const;
    void bound();

    // Direct access to what is held; null when the kind differs.
    const text *asText() const { return type == TEXT ? textValue : nullptr; }
    velarray *asArray() { return type == ARRAY ? arrayValue : nullptr; }
    const velarray *asArray() const { return type == ARRAY ? arrayValue : nullptr; }
    dict *asDict() { return type == DICT ? dictValue : nullptr; }
    const dict *asDict() const { return type == DICT ? dictValue : nullptr; }
    const vel_pair *asPair() const { return type == PAIR ? pairValue : nullptr; }
    void *rawPointer() const { return type == POINTER ? pointer : nullptr; }
    bool holdsBoolean() const { return type == BOOLEAN && flag; }
    long long holdsInteger() const { return type == INTEGER ? integer : 0; }
    double holdsReal() const { return type == REAL ? real : 0; }
    natural holdsNatural() const { return type == NATURAL ? whole : 0; }

    dyn &operator+=(const dyn &other);
    dyn &operator-=(const dyn &other);
    dyn &operator*=(const dyn &other);
    dyn &operator/=(const dyn &other);
    dyn &operator%=(const dyn &other);
    dyn &operator&=(const dyn &other);
    dyn &operator|=(const dyn &other);
    dyn &operator^=(const dyn &other);
    dyn &operator<<=(const dyn &other);
    dyn &operator>>=(const dyn &other);
    dyn &operator++();
    dyn operator++(int);
    dyn &operator--();
    dyn operator--(int);

private:
    // The kinds whose value lives on the heap, owned by the dyn.
    static bool owns(Kind kind) { return kind >= TEXT && kind <= PAIR; }
    // Copies the held number or pointer as it stands, whatever the kind.
    void copyNumber(const dyn &other) { std::memcpy(&integer, &other.integer, sizeof integer); }
    void copyOwned(const dyn &other);
    void release() noexcept;
    dyn &assignOwned(const dyn &other);
    void setInteger(long long number) {
        type = INTEGER;
        integer = number;
    }
    void setNatural(natural number) {
        type = NATURAL;
        whole = number;
    }
    void becomeContainerFor(const dyn &key);
    dyn &elementFor(const dyn &key);

    Kind type = NIL;
    // One member at a time, the one of the kind: a dyn stays two words, so
    // that the temporaries generated code makes are cheap to move and drop.
    union {
        long long integer = 0;
        bool flag;
        double real;
        natural whole;
        void *pointer;
        text *textValue;
        velarray *arrayValue;
        dict *dictValue;
        vel_pair *pairValue;
    };
};
static_assert(sizeof(long long) >= sizeof(double) && sizeof(long long) >= sizeof(void *),
              "dyn::copyNumber copies the union through its integer");
typedef dyn var;
// A variable of type function holds the address of a function.
typedef void *function;

dyn operator+(const dyn &a, const dyn &b);
dyn operator-(const dyn &a, const dyn &b);
dyn operator*(const dyn &a, const dyn &b);
dyn operator/(const dyn &a, const dyn &b);
dyn operator%(const dyn &a, const dyn &b);
dyn operator&(const dyn &a, const dyn &b);
dyn operator|(const dyn &a, const dyn &b);
dyn operator^(const dyn &a, const dyn &b);
dyn operator<<(const dyn &a, const dyn &b);
dyn operator>>(const dyn &a, const dyn &b);
dyn operator-(const dyn &a);
dyn operator+(const dyn &a);
dyn operator~(const dyn &a);
bool operator!(const dyn &a);
int vel_compare(const dyn &a, const dyn &b);
bool vel_equal(const dyn &a, const dyn &b);
inline bool operator==(const dyn &a, const dyn &b) { return vel_equal(a, b); }
inline bool operator!=(const dyn &a, const dyn &b) { return !vel_equal(a, b); }
inline bool operator<(const dyn &a, const dyn &b) { return vel_compare(a, b) < 0; }
inline bool operator>(const dyn &a, const dyn &b) { return vel_compare(a, b) > 0; }
inline bool operator<=(const dyn &a, const dyn &b) { return vel_compare(a, b) <= 0; }
inline bool operator>=(const dyn &a, const dyn &b) { return vel_compare(a, b) >= 0; }
std::ostream &operator<<(std::ostream &out, const dyn &value);
// A text joined with a dynamic value stays a text. Templates, so that only a
// real text operand selects them and dyn + 1 stays dyn arithmetic.
text vel_join_texts(const text &a, const dyn &b);
text vel_join_texts(const dyn &a, const text &b);
template <class T, std::enable_if_t<std::is_base_of<text, T>::value, int> = 0>
text operator+(const T &a, const dyn &b) { return vel_join_texts(a, b); }
template <class T, std::enable_if_t<std::is_base_of<text, T>::value, int> = 0>
text operator+(const dyn &a, const T &b) { return vel_join_texts(a, b); }
// fmod with a dynamic operand, as compound assignments of reals write it.
double fmod(const dyn &a, const dyn &b);
// Writes a value the way it appears inside a container (texts quoted).
void vel_write_element(std::ostream &out, const dyn &value);

// The order of sort, rsort, min and max: -1, 0 or 1. Unlike vel_compare it
// is a total order whatever the kinds mixed: nil, then numbers by exact
// value (booleans as 0 and 1, NaN after every other number), then texts by
// bytes, arrays (element by element), dicts, pairs, and objects (all equal).
int vel_sort_compare(const dyn &a, const dyn &b);
// The file format of the store and load methods (see store.cpp).
// vel_store_value returns true when writing failed and then raises
// dyn::error. vel_load_value returns true on success; on failure it raises
// dyn::error and leaves value alone. A file without the format's first
// line is read as lines: an array of texts, and plain is set.
bool vel_store_value(const text &fileName, const dyn &value);
bool vel_load_value(const text &fileName, dyn &value, bool &plain);
// Moves the cursor of the begin/end/inc/dec methods over size elements
// (direction 1 or -1; 0 first, 2 last), applying a step that bound() left
// pending. A cursor at size is outside: its value is nil.
void vel_move_cursor(std::size_t &cursor, bool &stepPending, std::size_t size, int direction);
inline int vel_cursor_index(std::size_t cursor, bool stepPending, std::size_t size) {
    std::size_t at = cursor + (stepPending ? 1 : 0);
    return at < size ? static_cast<int>(at) : -1;
}

struct vel_pair {
    dyn key;
    dyn value;
    vel_pair(const dyn &pairKey, const dyn &pairValue) : key(pairKey), value(pairValue) {}
};

#include "chunked_array.hpp"

// ---------------------------------------------------------------------------
// velarray

class velarray {
public:
    velarray() = default;
    velarray(std::initializer_list<dyn> list) : items(list) {}
    // The program's argument vector, ended by a null pointer.
    explicit velarray(const char *const *argumentVector);
    explicit velarray(const std::vector<dyn> &list) : items(list.begin(), list.end()) {}

    int size() const { return static_cast<int>(items.size()); }
    int length() const { return size(); }
    bool empty() const { return items.empty(); }
    const std::deque<dyn> &elements() const { return items; }

    dyn &operator[](int index);
    dyn &operator[](const dyn &index);
    dyn at(int index) const;
    dyn at(const dyn &index) const;
    void setAt(int index, const dyn &value);
    void setAt(const dyn &index, const dyn &value);
    dyn *to(int index);
    dyn *to(const dyn &index);
    velarray slice(int lo, int hi = -1, int inclusive = 0) const;
    // Replaces the elements lo..hi by the elements of value: an array, a dict
    // (its values) or a typed array gives its elements, any other value is one
    // element. The bounds are those of vel_slice_span.
    void setSlice(int lo, int hi, int inclusive, const dyn &value);
    bool in(const dyn &item) const;
    vel_ctext toString() const;
    vel_ctext toString(const text &separator) const { return join(separator); }

    void reset();
    bool inBound();
    int key() const;
    dyn value() const;
    void bound() { stepPending = true; }

    velarray &operator+=(const dyn &item);
    velarray &operator+=(const velarray &other);
    velarray &operator-=(const dyn &item);
    velarray &operator-=(const velarray &other);
    velarray &operator&=(const velarray &other);
    velarray &operator|=(const velarray &other);
    velarray &operator^=(const velarray &other);

    // Built-in array methods. Positions out of range are clamped into the
    // array; the semantics are listed in the README.
    void push(const dyn &item) { items.push_back(item); }
    void push(dyn &&item) { items.push_back(std::move(item)); }
    dyn pop();
    dyn shift();
    void unshift(const dyn &item);
    void insert(int index, const dyn &item);
    void splice(int index, int count);
    int find(const dyn &item, int from = 0) const;
    int findLast(const dyn &item, int from = -1) const;
    text join(const text &separator) const;
    text toText(const text &separator = text(", ")) const { return join(separator); }
    velarray keys() const;
    velarray values() const { return *this; }
    velarray reverse() const;
    velarray unique() const;
    // Ascending by vel_sort_compare, stable; descending when the flag is set.
    void sort(int descending = 0);
    // Descending; ascending when the flag is set.
    void rsort(int ascending = 0) { sort(ascending ? 0 : 1); }
    void rSort(int ascending = 0) { rsort(ascending); }
    void kSort() {}
    double sum() const;
    dyn min() const;
    dyn max() const;
    dyn rand() const;
    // The internal cursor: begin and end move it to the first / last element,
    // inc and dec one step; each gives the element reached (nil outside).
    dyn begin();
    dyn end();
    dyn inc();
    dyn dec();
    int index() const { return vel_cursor_index(cursor, stepPending, items.size()); }
    void display() const;
    bool store(const text &fileName) const;
    bool load(const text &fileName, int append = 0);
    // The function is called on each element. A function address held as
    // `function` must be that of a function taking a var and returning a
    // var; a null one leaves the elements as they are.
    velarray map(function f) const;
    template <class R, class P>
    velarray map(R (*f)(P)) const;
    dyn merge(const dyn &other);
    void pack();

private:
    // A deque, so that growing at the end never moves existing elements: in
    // a[9] = a[0] the reference to a[0] is taken before a grows.
    std::deque<dyn> items;
    std::size_t cursor = 0;
    bool stepPending = false;
};

velarray operator+(const velarray &a, const dyn &item);
velarray operator+(const velarray &a, const velarray &b);
velarray operator-(const velarray &a, const dyn &item);
velarray operator-(const velarray &a, const velarray &b);
velarray operator&(const velarray &a, const velarray &b);
velarray operator|(const velarray &a, const velarray &b);
velarray operator^(const velarray &a, const velarray &b);
bool operator==(const velarray &a, const velarray &b);
inline bool operator!=(const velarray &a, const velarray &b) { return !(a == b); }
std::ostream &operator<<(std::ostream &out, const velarray &value);

// ---------------------------------------------------------------------------
// dict

#include "dict_keys.hpp"

class dict {
public:
    struct Entry {
        dyn key;
        dyn value;
    };

    dict() = default;
    dict(std::initializer_list<dyn> pairs);

    int size() const { return static_cast<int>(entries.size()); }
    int length() const { return size(); }
    bool empty() const { return entries.empty(); }
    const vel_chunked_array<Entry> &items() const { return entries; }

    // Text and integer keys (vel_if_direct_key) are looked up as they stand;
    // a C string as a text. A missing key reads as nil.
    dyn &operator[](const dyn &key);
    template <class K, vel_if_direct_key<K> = 0>
    dyn &operator[](const K &key) { return valueFor(vel_key_of(key)); }
    dyn &operator[](const char *key) { return (*this)[text(key)]; }
    const dyn &at(const dyn &key) const;
    template <class K, vel_if_direct_key<K> = 0>
    const dyn &at(const K &key) const { return valueAt(vel_key_of(key)); }
    const dyn &at(const char *key) const { return at(text(key)); }
    void setAt(const dyn &key, const dyn &value);
    template <class K, vel_if_direct_key<K> = 0>
    void setAt(const K &key, const dyn &value) {
        dyn copy(value);  // value may be one of our own values
        valueFor(vel_key_of(key)) = std::move(copy);
    }
    void setAt(const char *key, const dyn &value) { setAt(text(key), value); }
    dyn *to(const dyn &key);
    bool in(const dyn &key) const { return hasKey(key); }
    bool hasKey(const dyn &key) const;
    template <class K, vel_if_direct_key<K> = 0>
    bool hasKey(const K &key) const { return indexOf(vel_key_of(key)) >= 0; }
    bool hasKey(const char *key) const { return hasKey(text(key)); }
    bool remove(const dyn &key);
    dict slice(int lo, int hi = -1, int inclusive = 0) const;
    // The entries from the key fromKey to the key toKey in insertion order
    // (toKey itself only when inclusive); empty when a key is missing or
    // toKey comes before fromKey.
    dict slice(const text &fromKey, const text &toKey, int inclusive = 1) const;
    // Replaces the entries at the positions lo..hi by the entries of value:
    // the entries of a dict, a pair as one entry, the elements of an array
    // (pairs as entries, other values under the next free integer key), or
    // one value under the next free integer key. An inserted key that exists
    // outside the range moves to the inserted position.
    void setSlice(int lo, int hi, int inclusive, const dyn &value);
    vel_ctext toString() const;
    // The values joined by separator.
    vel_ctext toString(const text &separator) const { return join(separator); }

    void reset();
    bool inBound();
    text key() const;
    dyn value() const;
    void bound() { stepPending = true; }

    // Built-in dict methods; positions are those of insertion order.
    velarray keys() const;
    velarray values() const;
    int find(const dyn &value, int from = 0) const;
    // Without an argument: the position of the last entry (-1 when empty).
    int findLast() const { return size() - 1; }
    int findLast(const dyn &value, int from = -1) const;
    dyn push(const dyn &value);
    dyn pop();
    dyn shift();
    void unshift(const text &key, const dyn &value);
    void unshift(const dyn &value);
    void insert(int position, const dyn &value);
    void concat(const dict &other);
    // By value / by key with vel_sort_compare, stable.
    void sort(bool descending = false);
    void kSort(bool descending = false);
    void ksort(bool descending = false) { kSort(descending); }
    void rsort(int ascending = 0) { sort(ascending == 0); }
    dict unique() const;
    int display() const;
    bool store(const text &fileName) const;
    bool load(const text &fileName, int append = 0);
    text toXML() const;
    // The array methods that a dict answers, on its values.
    text join(const text &separator) const { return values().join(separator); }
    text toText(const text &separator = text(", ")) const { return join(separator); }
    velarray reverse() const { return values().reverse(); }
    double sum() const { return values().sum(); }
    dyn min() const { return values().min(); }
    dyn max() const { return values().max(); }
    dyn rand() const { return values().rand(); }
    velarray map(function f) const { return values().map(f); }
    template <class R, class P>
    velarray map(R (*f)(P)) const {
        return values().map(f);
    }
    // Adds the entries of a dict, a pair as an entry, the elements of an
    // array under the next free keys, or one value; nil adds nothing.
    dyn merge(const dyn &other);
    // Removes the entries whose value is nil.
    void pack();
    void splice(int position, int count);
    dyn begin();
    dyn end();
    dyn inc();
    dyn dec();
    int index() const { return vel_cursor_index(cursor, stepPending, entries.size()); }

    dict &operator+=(const dict &other) {
        concat(other);
        return *this;
    }

private:
    // Position of an entry, or -1.
    long indexOf(const vel_dict_key &key) const;
    long indexOf(const dyn &key) const { return indexOf(vel_key_of(key)); }
    // The position from the hash index alone.
    long searchIndex(const vel_dict_key &key) const;
    const dyn &valueAt(const vel_dict_key &key) const;
    // The value of the key, added as nil at the end when missing.
    dyn &valueFor(const vel_dict_key &key);
    long long nextFreeKey() const;
    std::size_t slotFor(const vel_dict_key &key, std::uint32_t hash) const;
    void indexEntry(std::size_t position);
    void rebuildIndex();
    void growIndex();
    vel_chunked_array<Entry> entries;  // stable element addresses, as in velarray
    // The hash index: an open-addressed table, a power of two long and at
    // most half full, of the positions in entries by the hash of their key.
    // Text keys and integer keys never match, so "1" and 1 are different.
    struct IndexSlot {
        std::uint32_t hash;
        std::uint32_t position;  // of the entry, plus 1; 0 for a free slot
    };
    std::vector<IndexSlot> keyIndex;
    std::size_t keysIndexed = 0;  // slots in use
    mutable std::size_t lastFound = 0;  // the position indexOf found last; may be stale
    std::size_t cursor = 0;
    bool stepPending = false;
};

dict operator+(const dict &a, const dict &b);
// Set operators by key; entries keep the value and order of the dict they come from.
dict operator&(const dict &a, const dict &b);  // keys in both
dict operator|(const dict &a, const dict &b);  // keys of a, then the keys of b not in a
dict operator^(const dict &a, const dict &b);  // keys in one of them only
bool operator==(const dict &a, const dict &b);
inline bool operator!=(const dict &a, const dict &b) { return !(a == b); }
std::ostream &operator<<(std::ostream &out, const dict &value);

// The elements that a slice assignment or an append takes from a value: those
// of an array, the values of a dict; any other value, nil included, is one
// element.
velarray vel_elements_of(const dyn &value);

#include "typed_arrays.hpp"
#include "xml_element.hpp"

// The assignments of dyn, inline for numbers: generated code makes and drops
// dyn temporaries all the time. Copying or dropping a text or container goes
// out of line (dyn.cpp), so that every program does not carry the code of
// every container.
inline dyn &dyn::operator=(const dyn &other) {
    if (owns(type) || owns(other.type)) return assignOwned(other);
    type = other.type;
    copyNumber(other);
    return *this;
}
inline dyn &dyn::operator=(dyn &&other) noexcept {
    if (this == &other) return *this;
    // Keep the old contents alive until the move is done: other may be one
    // of their elements.
    dyn old(std::move(*this));
    type = other.type;
    copyNumber(other);
    other.type = NIL;
    return *this;
}

// ---------------------------------------------------------------------------
// Functions of generated programs.

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
inline int intval(const vel_num64 &x) { return x.isNatural() ? intval(static_cast<natural>(x)) : intval(static_cast<double>(x)); }
// A container is not a number: these give what the conversions of dyn give.
int intval(const velarray &x);
int intval(const dict &x);
int intval(const _intArr &x);
int intval(const _arr32 &x);
int intval(const _array64 &x);

double doubleval(const text &x);
double doubleval(const char *x);
double doubleval(const dyn &x);
double doubleval(const std::string &x);
inline double doubleval(double x) { return x; }
inline double doubleval(bool x) { return x ? 1.0 : 0.0; }
template <class T, vel_if_integer<T> = 0>
double doubleval(T x) { return static_cast<double>(x); }
inline double doubleval(const vel_num64 &x) { return static_cast<double>(x); }
inline double doubleval(char x) { return x; }
double doubleval(const velarray &x);
double doubleval(const dict &x);
double doubleval(const _intArr &x);
double doubleval(const _arr32 &x);
double doubleval(const _array64 &x);
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
inline natural naturalval(const vel_num64 &x) { return static_cast<natural>(x); }
natural naturalval(const velarray &x);
natural naturalval(const dict &x);
natural naturalval(const _intArr &x);
natural naturalval(const _arr32 &x);
natural naturalval(const _array64 &x);
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
text str(const vel_num64 &x);

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

private:
    char *&target;
};

double _vel_inputNumber();
double _vel_inputNumber(const text &prompt);
text _vel_inputText();
text _vel_inputText(const text &prompt);

text _vel_dumpArray(const velarray &x);
text _vel_dumpArray(const dict &x);
text _vel_dumpArray(const dyn &x);
text _vel_dumpArray(const _intArr &x);
text _vel_dumpArray(const _arr32 &x);
text _vel_dumpArray(const _array64 &x);

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

// ---------------------------------------------------------------------------
// Integer mod and division, and the steps of for loops over ranges.

// A number seen as a plain value: the generated code passes operands and loop
// bounds of every arithmetic type, and of dyn.
template <class T>
using vel_if_arithmetic = std::enable_if_t<std::is_arithmetic<T>::value, int>;
template <class A, class B>
using vel_if_integers = std::enable_if_t<std::is_integral<A>::value && std::is_integral<B>::value, int>;
template <class A, class B>
using vel_if_reals = std::enable_if_t<std::is_arithmetic<A>::value && std::is_arithmetic<B>::value &&
                                          !(std::is_integral<A>::value && std::is_integral<B>::value),
                                      int>;

// An arithmetic value as the dyn number it stands for (a char is a number
// here, not a one-character text).
template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
dyn vel_number_dyn(T x) {
    if (std::is_unsigned<T>::value && sizeof(T) == 8) return dyn(static_cast<natural>(x));
    return dyn(static_cast<long long>(x));
}
template <class T, std::enable_if_t<std::is_floating_point<T>::value, int> = 0>
dyn vel_number_dyn(T x) {
    return dyn(static_cast<double>(x));
}

// a mod b: the remainder of the division truncated toward zero (its sign is
// a's), in the type the usual arithmetic conversions give. b == 0 is a
// run-time error; the lowest value mod -1 is 0.
template <class A, class B, vel_if_integers<A, B> = 0>
std::common_type_t<A, B> _vel_mod(A a, B b, const vel_place &where = vel_place()) {
    typedef std::common_type_t<A, B> R;
    R x = static_cast<R>(a), y = static_cast<R>(b);
    if (y == 0) vel_fatal(where, "modulo by zero");
    if (std::is_signed<R>::value && y == static_cast<R>(-1)) return 0;
    return static_cast<R>(x % y);
}
// With a real operand: std::fmod (IEEE: x mod 0 is NaN).
template <class A, class B, vel_if_reals<A, B> = 0>
double _vel_mod(A a, B b, const vel_place & = vel_place()) {
    return std::fmod(static_cast<double>(a), static_cast<double>(b));
}
// Dyn operands: as the % of dyn values.
dyn _vel_mod(const dyn &a, const dyn &b, const vel_place &where = vel_place());
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_mod(const dyn &a, T b, const vel_place &where = vel_place()) {
    return _vel_mod(a, vel_number_dyn(b), where);
}
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_mod(T a, const dyn &b, const vel_place &where = vel_place()) {
    return _vel_mod(vel_number_dyn(a), b, where);
}

// a / b of integers gives a real. Each operand is converted to double on its
// own, so -1 / natural 2 is -0.5. b == 0 is a run-time error.
template <class A, class B, vel_if_integers<A, B> = 0>
double _vel_div(A a, B b, const vel_place &where = vel_place()) {
    if (b == 0) vel_fatal(where, "division by zero");
    return static_cast<double>(a) / static_cast<double>(b);
}
// With a real operand the IEEE rules hold: x / 0.0 is an infinity or NaN.
template <class A, class B, vel_if_reals<A, B> = 0>
double _vel_div(A a, B b, const vel_place & = vel_place()) {
    return static_cast<double>(a) / static_cast<double>(b);
}
// Dyn operands: as the / of dyn values (a real; an integer divisor of 0 with
// an integer dividend is a run-time error).
dyn _vel_div(const dyn &a, const dyn &b, const vel_place &where = vel_place());
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_div(const dyn &a, T b, const vel_place &where = vel_place()) {
    return _vel_div(a, vel_number_dyn(b), where);
}
template <class T, vel_if_arithmetic<T> = 0>
dyn _vel_div(T a, const dyn &b, const vel_place &where = vel_place()) {
    return _vel_div(vel_number_dyn(a), b, where);
}

// For loops over ranges. For `for int i in a..b step s` velc writes
//     int _I_7=_vel_for_step(s);
//     for(int i=a; _I_7 && i<=b; _I_7=_vel_for_next(i, s, b, 1))
// (0 as the last argument and < for an exclusive range; >= and > with a
// negative step). _vel_for_step ends the program when the step is 0.
// _vel_for_next moves var by step and returns true while the new value is
// within the bound; when the step would pass the bound, or the edge of var's
// type, it returns false and leaves var as it was. The direction is the
// step's sign. An integer variable moves by the whole part of a real step;
// a real variable that the step no longer changes ends the loop.

// A step or bound: a signed or unsigned 64-bit integer, or a real.
struct vel_loop_number {
    enum Kind { SIGNED, UNSIGNED, REAL } kind = SIGNED;
    long long integer = 0;
    natural whole = 0;
    double real = 0;
};
template <class T, std::enable_if_t<std::is_integral<T>::value, int> = 0>
vel_loop_number vel_loop_number_of(T x) {
    vel_loop_number n;
    if (std::is_unsigned<T>::value && sizeof(T) == 8) {
        n.kind = vel_loop_number::UNSIGNED;
        n.whole = static_cast<natural>(x);
    } else {
        n.integer = static_cast<long long>(x);
    }
    return n;
}
template <class T, std::enable_if_t<std::is_floating_point<T>::value, int> = 0>
vel_loop_number vel_loop_number_of(T x) {
    vel_loop_number n;
    n.kind = vel_loop_number::REAL;
    n.real = static_cast<double>(x);
    return n;
}
vel_loop_number vel_loop_number_of(const dyn &x);

// The steps behind _vel_for_next. now holds an integer of a type whose range
// is lowest..highest (SIGNED or UNSIGNED as the type), or a real (REAL); it is
// changed only when the function returns true.
bool vel_loop_advance(vel_loop_number &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive,
                      long long lowest, natural highest);
bool vel_loop_advance(double &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive);
bool vel_loop_advance(dyn &now, const vel_loop_number &step, const vel_loop_number &end, bool inclusive);

template <class S, vel_if_arithmetic<S> = 0>
int _vel_for_step(S step, const vel_place &where = vel_place()) {
    if (step == 0) vel_fatal(where, "for loop step is 0");
    return 1;
}
int _vel_for_step(const dyn &step, const vel_place &where = vel_place());

// Integers of at most 32 bits: a long long holds the variable, the step, the
// bound and their sum exactly, so the loop steps without the general rules.
template <class T>
using vel_is_small_integer =
    std::integral_constant<bool, std::is_integral<T>::value && !std::is_same<T, bool>::value && sizeof(T) <= 4>;
template <class T, class S, class E>
using vel_if_small_loop = std::enable_if_t<
    vel_is_small_integer<T>::value && vel_is_small_integer<S>::value && vel_is_small_integer<E>::value, int>;
template <class T, class S, class E>
using vel_if_wide_loop = std::enable_if_t<std::is_integral<T>::value && !(vel_is_small_integer<T>::value &&
                                                                           vel_is_small_integer<S>::value &&
                                                                           vel_is_small_integer<E>::value),
                                          int>;

template <class T, class S, class E, vel_if_small_loop<T, S, E> = 0>
inline bool _vel_for_next(T &var, const S &step, const E &end, int inclusive,
                          const vel_place &where = vel_place()) {
    long long by = static_cast<long long>(step), bound = static_cast<long long>(end);
    if (by == 0) vel_fatal(where, "for loop step is 0");
    long long next = static_cast<long long>(var) + by;
    if (next > static_cast<long long>(std::numeric_limits<T>::max()) ||
        next < static_cast<long long>(std::numeric_limits<T>::min()))
        return false;
    if (next == bound ? inclusive == 0 : (by > 0 ? next > bound : next < bound)) return false;
    var = static_cast<T>(next);
    return true;
}
// The step of a loop over an int by a constant step whose bound is an int
// too (velc writes "for(int i=a; i<b; i=_vel_for_add(i, s))"): at the edge
// of int the variable stays at the edge, where the loop's own comparison
// ends the loop, instead of passing it. The comparison is then the only
// test of an iteration, and the compiler sees the variable as a counter.
inline int _vel_for_add(int var, int step) {
    if (step > 0)
        return var > std::numeric_limits<int>::max() - step ? std::numeric_limits<int>::max() : var + step;
    return var < std::numeric_limits<int>::min() - step ? std::numeric_limits<int>::min() : var + step;
}
// The step of the other loops over an int by a constant step with an int
// bound (velc writes "v=a; if(v<=b) do {...} while(_vel_for_within(v, s, b, 1));"):
// the variable moves only to a value inside the range, so after the loop it
// holds the last value the loop gave it, and a bound at the edge of int ends
// the loop there. The sum is exact in a long long.
inline bool _vel_for_within(int &var, int step, int bound, int inclusive) {
    long long next = static_cast<long long>(var) + step;
    bool inside = step > 0 ? (inclusive ? next <= bound : next < bound) : (inclusive ? next >= bound : next > bound);
    if (inside) var = static_cast<int>(next);
    return inside;
}
template <class T, class S, class E, vel_if_wide_loop<T, S, E> = 0>
bool _vel_for_next(T &var, const S &step, const E &end, int inclusive, const vel_place &where = vel_place()) {
    vel_error_place place(where);
    vel_loop_number now = vel_loop_number_of(var);
    if (!vel_loop_advance(now, vel_loop_number_of(step), vel_loop_number_of(end), inclusive != 0,
                          static_cast<long long>(std::numeric_limits<T>::min()),
                          static_cast<natural>(std::numeric_limits<T>::max())))
        return false;
    var = now.kind == vel_loop_number::UNSIGNED ? static_cast<T>(now.whole) : static_cast<T>(now.integer);
    return true;
}
template <class T, class S, class E, std::enable_if_t<std::is_floating_point<T>::value, int> = 0>
bool _vel_for_next(T &var, const S &step, const E &end, int inclusive, const vel_place &where = vel_place()) {
    vel_error_place place(where);
    double now = static_cast<double>(var);
    if (!vel_loop_advance(now, vel_loop_number_of(step), vel_loop_number_of(end), inclusive != 0)) return false;
    if (static_cast<T>(now) == var) return false;  // a float the step no longer moves
    var = static_cast<T>(now);
    return true;
}
template <class S, class E>
bool _vel_for_next(dyn &var, const S &step, const E &end, int inclusive, const vel_place &where = vel_place()) {
    vel_error_place place(where);
    return vel_loop_advance(var, vel_loop_number_of(step), vel_loop_number_of(end), inclusive != 0);
}

// Files.
// A file is a FILE *; a failed open gives a null handle and raises
// dyn::error. Every function below accepts the null handle and gives its
// failure result. The overloads taking a dyn serve var receivers: the dyn
// holds the FILE * (_vel_open's result stored in it), a text is taken as a
// file name where a name makes sense, anything else is the null handle.
FILE *_vel_open(const text &name, const text &mode);
FILE *fopen(const text &name, const text &mode);
// What f.open(name, mode) gives as a value: 1 when the file opened, else 0.
int _vel_opened(FILE *file);
int _vel_opened(const dyn &file);
// A file variable is set to the null handle, so a second close is harmless.
int _vel_fclose(FILE *&file);
int _vel_fclose(FILE *&&file);
int _vel_fclose(dyn &file);  // also sets the variable to nil, so a second close is harmless
int _vel_fclose(const dyn &file);
bool _vel_feof(FILE *file);
bool _vel_feof(const dyn &file);
text fread(FILE *file, int count);
text fread(const dyn &file, int count);
int fwrite(FILE *file, const text &data);
int fwrite(const dyn &file, const text &data);
text fgets(FILE *file);
text fgets(const dyn &file);
void fputs(FILE *file, const text &line);
void fputs(const dyn &file, const text &line);
int fseek(FILE *file, int offset);
int fseek(const dyn &file, int offset);
natural filesize(FILE *file);
natural filesize(const dyn &file);
double filesize(const text &name);
double filesize(const std::string &name);
double filesize(const char *name);
natural filemtime(FILE *file);
natural filemtime(const dyn &file);
double filemtime(const text &name);
double filemtime(const std::string &name);
double filemtime(const char *name);
bool file_exists(const text &name);
bool file_exists(const std::string &name);
bool file_exists(const char *name);
bool file_exists(FILE *file);
bool file_exists(const dyn &file);
text filetype(const text &name);
bool _vel_unlink(const text &name);
bool _vel_ren(const text &from, const text &to);
bool _vel_isfile(const text &name);
velarray _vel_ftoarr(const text &name);
text _vel_ftostr(const text &name);

// C's fclose and feof crash on the null handle of a failed open, and the
// generated code calls them by those names: they are redirected to the
// versions above, which also take a dyn.
#undef fclose
#undef feof
#define fclose(file) _vel_fclose(file)
#define feof(file) _vel_feof(file)

// ---------------------------------------------------------------------------
// Directories, time, random numbers and processes.

// Directories. A directory handle is a dyn holding a _VelmoraDir; nil (a
// failed open_dir) and a closed handle read as the end of the listing.
// Listings leave out "." and "..".
bool _vel_chdir(const text &name);
bool _vel_mkdir(const text &name);
bool _vel_rmdir(const text &name);
bool _vel_isdir(const text &name);
text getcwd();  // "" when the current directory's name is unknown
dyn open_dir(const text &name);
text read_dir(const dyn &directory);  // the next name, "" after the last
void rewind_dir(const dyn &directory);
void close_dir(const dyn &directory);
velarray scandir(const text &name);  // the names, sorted bytewise

// rand() and srand() of the C library are replaced by libvel's own
// generator (random.cpp), the same on every platform: rand() gives
// 0..2^31-1, srand(seed) restarts the sequence, which starts as srand(1).

// A command run by system(). Natively: converted to an integer it is the
// command's exit status (its output goes to the program's standard output);
// converted to a text, a dyn or printed it is the command's standard output.
// The command runs once, at the first conversion, or when the result is
// dropped unused. Under WebAssembly no command can run: -1 and "".
class vel_command {
public:
    explicit vel_command(std::string command) : command(std::move(command)) {}
    vel_command(vel_command &&other) noexcept;
    vel_command(const vel_command &) = delete;
    vel_command &operator=(const vel_command &) = delete;
    ~vel_command();
    operator int() const;
    operator text() const;
    operator dyn() const;
    int status() const;
    text output() const;

private:
    std::string command;
    mutable bool ran = false;
    mutable int exitStatus = -1;
    mutable text captured;
};
vel_command system(const text &command);
std::ostream &operator<<(std::ostream &out, const vel_command &command);

#if defined(__EMSCRIPTEN__) || defined(__wasi__)
// velmora.a's WASI file layer (wasi_files.cpp): referencing it from every
// program links it ahead of the C library's weak stand-ins.
extern "C" int vel_wasi_files_linked;
namespace {
__attribute__((used)) int *const vel_wasi_files_anchor = &vel_wasi_files_linked;
}  // namespace
#endif

// Makes std::cout print booleans as true and false in every program that
// includes this header, before main runs.
namespace {
struct vel_stream_setup {
    vel_stream_setup() {
        static std::ios_base::Init streamsReady;
        std::cout << std::boolalpha;
        std::cerr << std::boolalpha;
    }
} const vel_stream_setup_instance;
}  // namespace

// The built-in methods of the typed arrays and the templates of the other
// containers' built-in methods.
#include "builtin_methods.hpp"

// Operands evaluated from left to right.
#include "evaluation_order.hpp"
