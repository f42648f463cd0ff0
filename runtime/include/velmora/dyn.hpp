#pragma once
// dyn (var): the dynamic value of generated programs, the error flag and
// the key/value pair. Part of libvel.hpp.
#include "text.hpp"

#include <typeinfo>

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
    // The text of `length` bytes at `chars`, made in its place (a piece of a
    // split is no string of its own first).
    static dyn textOf(const char *chars, std::size_t length);
    dyn(const velarray &array);
    dyn(velarray &&array);
    dyn(const dict &dictionary);
    dyn(dict &&dictionary);
    dyn(const _intArr &array);
    dyn(const _arr32 &array);
    dyn(const _array64 &array);
    dyn(const _natArr &array);
    dyn(vel_pair *pair);  // takes ownership of the pair
    dyn(void *pointer);   // refers to something the program owns (a file, a native object)
    // An object of one of the program's classes, which the dyn keeps as a
    // reference does (objects.hpp).
    dyn(const vel_object *object);
    template <class T>
    dyn(const vel_ref<T> &object) : dyn(static_cast<const vel_object *>(object.get())) {}
    dyn(const dyn &other) : type(other.type) {
        if (owns(type)) {
            copyOwned(other);
        } else {
            copyNumber(other);
            if (other.holdsObject()) keepObject();
        }
    }
    dyn(dyn &&other) noexcept : type(other.type), counted(other.counted) {
        copyNumber(other);
        other.type = NIL;
        other.counted = false;
    }
    dyn &operator=(const dyn &other);
    dyn &operator=(dyn &&other) noexcept;
    ~dyn() {
        if (owns(type))
            release();
        else if (holdsObject())
            letGoObject();
    }

    Kind kind() const { return type; }
    bool isNil() const { return type == NIL; }
    bool isNumeric() const;

    // Conversions used by the generated casts.
    explicit operator bool() const { return toBoolean(*this); }
    explicit operator int() const { return toInt(*this); }
    explicit operator double() const { return toReal(*this); }
    explicit operator natural() const { return toNatural(*this); }
    // An object of a program's class comes out only as its own class or a
    // base of it, as a base given to a derived class does (vel_downcast):
    // anything else held gives null, which a use of a member then reports,
    // rather than an object of the wrong shape.
    template <class T>
    explicit operator T *() const {
        if constexpr (std::is_base_of<vel_object, T>::value) {
            return vel_downcast<T>(const_cast<vel_object *>(asObject()));
        } else {
            return static_cast<T *>(rawPointer());
        }
    }

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
    // As key(), but a dict's key as it is stored (an integer stays one).
    dyn heldKey() const;
    dyn value() const;
    void bound();
    bool walkAt(std::size_t position) const;

    // Direct access to what is held; null when the kind differs.
    const text *asText() const { return type == TEXT ? textValue : nullptr; }
    velarray *asArray() { return type == ARRAY ? arrayValue : nullptr; }
    const velarray *asArray() const { return type == ARRAY ? arrayValue : nullptr; }
    dict *asDict() { return type == DICT ? dictValue : nullptr; }
    const dict *asDict() const { return type == DICT ? dictValue : nullptr; }
    const vel_pair *asPair() const { return type == PAIR ? pairValue : nullptr; }
    void *rawPointer() const { return type == POINTER ? pointer : nullptr; }
    // An object of the program's classes; null for a native pointer.
    const vel_object *asObject() const { return holdsObject() ? static_cast<const vel_object *>(pointer) : nullptr; }
    bool holdsBoolean() const { return type == BOOLEAN && flag; }
    long long holdsInteger() const { return type == INTEGER ? integer : 0; }
    double holdsReal() const { return type == REAL ? real : 0; }
    natural holdsNatural() const { return type == NATURAL ? whole : 0; }

    // Counters (d[k] += 1): two integers add in place, wrapping as + does;
    // every other pair goes out of line.
    dyn &operator+=(const dyn &other) {
        if (type == INTEGER && other.type == INTEGER) {
            integer = static_cast<long long>(static_cast<unsigned long long>(integer) +
                                             static_cast<unsigned long long>(other.integer));
            return *this;
        }
        return addOtherwise(other);
    }
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
    // For collections of cycles: the object held, or those of the held
    // container; a cut reference leaves nil without letting go.
    void vel_trace(vel_tracer &tracer);
    dyn &operator--();
    dyn operator--(int);

private:
    // The kinds whose value lives on the heap, owned by the dyn.
    static bool owns(Kind kind) { return kind >= TEXT && kind <= PAIR; }
    // Copies the held number or pointer as it stands, whatever the kind.
    void copyNumber(const dyn &other) { std::memcpy(&integer, &other.integer, sizeof integer); }
    void copyOwned(const dyn &other);
    // A pointer to an object of the program's classes, counted while held.
    bool holdsObject() const { return type == POINTER && counted; }
    void keepObject() {
        counted = true;
        static_cast<vel_object *>(pointer)->vel_retain();
    }
    void letGoObject() noexcept {
        counted = false;
        static_cast<vel_object *>(pointer)->vel_release();
    }
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
    dyn &addOtherwise(const dyn &other);
    void becomeContainerFor(const dyn &key);
    dyn &elementFor(const dyn &key);

    Kind type = NIL;
    bool counted = false;  // a POINTER to a vel_object, kept by this dyn
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
vel_output &operator<<(vel_output &out, const dyn &value);
// A text joined with a dynamic value stays a text. Templates on both sides,
// so that only a real text operand and a real dynamic one select them: dyn + 1
// stays dyn arithmetic, and a text joined with another kind of text (a C
// string's element, a text's element) is no candidate here, where the
// conversion of that text to dyn would make it as good a match as the join of
// two texts and leave the compiler no choice.
text vel_join_texts(const text &a, const dyn &b);
text vel_join_texts(const dyn &a, const text &b);
template <class T, class D>
using vel_if_text_and_dyn = std::enable_if_t<std::is_base_of<text, T>::value && std::is_base_of<dyn, D>::value, int>;
template <class T, class D, vel_if_text_and_dyn<T, D> = 0>
text operator+(const T &a, const D &b) { return vel_join_texts(a, b); }
template <class T, class D, vel_if_text_and_dyn<T, D> = 0>
text operator+(const D &a, const T &b) { return vel_join_texts(a, b); }
// fmod with a dynamic operand, as compound assignments of reals write it.
double fmod(const dyn &a, const dyn &b);
// Writes a value the way it appears inside a container (texts quoted).
void vel_write_element(vel_output &out, const dyn &value);

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

inline void vel_trace_field(vel_tracer &tracer, dyn &value) { value.vel_trace(tracer); }
