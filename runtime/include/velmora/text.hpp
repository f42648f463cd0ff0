#pragma once
// text: the byte string of generated programs, the element slot that a
// subscript of a text gives, and the spans of slices. Part of libvel.hpp.
#include "foundations.hpp"
#include "output.hpp"

#include <tuple>

// The pieces of t = t + a + b + ..., which t += vel_pieces(a, b, ...)
// appends to t one after the other, without making the text of a + b + ...
// first. They are complete before t changes (the arguments of vel_pieces).
template <class... P>
struct vel_text_pieces {
    std::tuple<const P &...> pieces;
};
template <class... P>
vel_text_pieces<P...> vel_pieces(const P &...pieces) {
    return {std::tuple<const P &...>(pieces...)};
}

class text {
public:
    std::string data;

    text() = default;
    text(const char *chars);
    text(const std::string &bytes) : data(bytes) {}
    text(std::string &&bytes) : data(std::move(bytes)) {}
    text(const char *chars, std::size_t length) : data(chars, length) {}
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
    explicit text(const _natArr &array);

    const char *c_str() const { return data.c_str(); }
    // A text can outgrow the integers that count it: its length is then a
    // run-time error rather than a negative number.
    int length(const vel_place &where = vel_place()) const {
        return data.size() <= INT_MAX ? static_cast<int>(data.size()) : uncountableLength(where);
    }
    int size(const vel_place &where = vel_place()) const { return length(where); }
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
    // Each piece as "t + piece" would join it; a piece that is this text
    // itself appends what it was before the first piece.
    template <class... P>
    text &operator+=(const vel_text_pieces<P...> &added) {
        std::size_t before = data.size();
        std::apply([this, before](const P &...piece) { (appendPiece(before, piece), ...); }, added.pieces);
        return *this;
    }

    // Cursor over the characters.
    void reset();
    bool inBound();
    int key() const;
    text value() const;
    void bound() { stepPending = true; }
    bool walkAt(std::size_t position) const {
        cursor = position;
        stepPending = false;
        return position < data.size();
    }

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
    // A loop puts the cursor where it is before each round, over a
    // constant container as well: the cursor is no part of the value.
    mutable std::size_t cursor = 0;
    mutable bool stepPending = false;

    template <class P>
    void appendPiece(std::size_t before, const P &piece) {
        if constexpr (std::is_base_of<text, P>::value) {
            if (&piece.data == &data)
                data.append(data, 0, before);
            else
                data += piece.data;
        } else if constexpr (std::is_same<P, char>::value) {
            data += piece;
        } else if constexpr (std::is_convertible<const P &, const char *>::value) {
            const char *chars = piece;
            if (chars != nullptr) data += chars;
        } else {
            data += text(piece).data;
        }
    }
    [[noreturn]] int uncountableLength(const vel_place &where) const;
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
vel_output &operator<<(vel_output &out, const text &value);

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
