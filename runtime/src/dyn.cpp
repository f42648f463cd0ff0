// The dynamic value: construction, conversions, container access and cursor.
// Its operators live in dyn_operators.cpp.
#include "velmora/libvel.hpp"

#include <climits>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VEL_WATCHED_ADDRESSES 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEL_WATCHED_ADDRESSES 1
#endif
#endif
#ifdef VEL_WATCHED_ADDRESSES
#include <sanitizer/asan_interface.h>
#endif

vel_error_flag dyn::error;

namespace {

// Under AddressSanitizer a kept block is marked unusable until it is taken
// again, so that a text used after it was dropped is still caught.
#ifdef VEL_WATCHED_ADDRESSES
void closeBlock(void *block) { ASAN_POISON_MEMORY_REGION(block, sizeof(text)); }
void openBlock(void *block) { ASAN_UNPOISON_MEMORY_REGION(block, sizeof(text)); }
#else
void closeBlock(void *) {}
void openBlock(void *) {}
#endif

// The blocks of texts that dyn values dropped, kept for the next texts:
// splitting and joining make and drop a text per word, and taking a block
// off this stack costs less than the allocator. At most this many are kept:
constexpr std::size_t keptTextBlocks = 4096;

// A plain array, never destroyed: texts may be dropped by static destructors
// after any other object of this file is gone. (Kept out of the blocks, so
// that the leak checker still sees the blocks referred to.)
void *keptBlocks[keptTextBlocks];
std::size_t keptCount = 0;

void *textBlock() {
    if (keptCount == 0) return ::operator new(sizeof(text));
    void *block = keptBlocks[--keptCount];
    openBlock(block);
    return block;
}

void dropTextBlock(void *block) {
    if (keptCount == keptTextBlocks) {
        ::operator delete(block);
        return;
    }
    closeBlock(block);
    keptBlocks[keptCount++] = block;
}

template <class... Source>
text *newText(Source &&...source) {
    void *block = textBlock();
    try {
        return new (block) text(std::forward<Source>(source)...);
    } catch (...) {
        dropTextBlock(block);
        throw;
    }
}

void deleteText(text *value) noexcept {
    value->~text();
    dropTextBlock(value);
}

// The text of `length` bytes at `chars`. Under WebAssembly a copy of a
// length known only at run time is a call into the engine that costs
// several times the copy itself, so a short length is copied as a constant
// one (a split makes one such text per word). Natively the library's copy
// is as quick.
text *newTextOf(const char *chars, std::size_t length) {
#if defined(__wasm__)
    switch (length) {
    case 0: return newText(chars, std::size_t{0});
    case 1: return newText(chars, std::size_t{1});
    case 2: return newText(chars, std::size_t{2});
    case 3: return newText(chars, std::size_t{3});
    case 4: return newText(chars, std::size_t{4});
    case 5: return newText(chars, std::size_t{5});
    case 6: return newText(chars, std::size_t{6});
    case 7: return newText(chars, std::size_t{7});
    default: break;
    }
#endif
    return newText(chars, length);
}

}  // namespace

dyn::dyn(char c) : dyn(text(c)) {}
dyn::dyn(const char *chars) {
    if (chars != nullptr) {
        textValue = newText(chars);
        type = TEXT;
    }
}
dyn::dyn(const std::string &bytes) : type(TEXT), textValue(newText(bytes)) {}
dyn::dyn(const text &value) : type(TEXT), textValue(newText(value)) {}
dyn::dyn(text &&value) : type(TEXT), textValue(newText(std::move(value))) {}
dyn dyn::textOf(const char *chars, std::size_t length) {
    dyn value;
    value.textValue = newTextOf(chars, length);
    value.type = TEXT;
    return value;
}
dyn::dyn(const velarray &array) : type(ARRAY), arrayValue(new velarray(array)) {}
dyn::dyn(velarray &&array) : type(ARRAY), arrayValue(new velarray(std::move(array))) {}
dyn::dyn(const dict &dictionary) : type(DICT), dictValue(new dict(dictionary)) {}
dyn::dyn(dict &&dictionary) : type(DICT), dictValue(new dict(std::move(dictionary))) {}
dyn::dyn(const _intArr &array) : dyn(array.toArray()) {}
dyn::dyn(const _arr32 &array) : dyn(array.toArray()) {}
dyn::dyn(const _array64 &array) : dyn(array.toArray()) {}
dyn::dyn(const _natArr &array) : dyn(array.toArray()) {}
dyn::dyn(vel_pair *pair) {
    if (pair != nullptr) {
        pairValue = pair;
        type = PAIR;
    }
}
dyn::dyn(void *address) {
    if (address != nullptr) {
        type = POINTER;
        pointer = address;
    }
}
dyn::dyn(const vel_object *object) {
    if (object != nullptr) {
        type = POINTER;
        pointer = const_cast<vel_object *>(object);
        keepObject();
    }
}
dyn &dyn::assignOwned(const dyn &other) {
    if (this != &other) {
        dyn copy(other);  // the source may live inside this value
        *this = std::move(copy);
    }
    return *this;
}

// Called by the copy constructor with type already that of other.
void dyn::copyOwned(const dyn &other) {
    switch (type) {
    case TEXT: textValue = newText(*other.textValue); break;
    case ARRAY: arrayValue = new velarray(*other.arrayValue); break;
    case DICT: dictValue = new dict(*other.dictValue); break;
    case PAIR: pairValue = new vel_pair(*other.pairValue); break;
    default: copyNumber(other); break;
    }
}

void dyn::release() noexcept {
    switch (type) {
    case TEXT: deleteText(textValue); break;
    case ARRAY: delete arrayValue; break;
    case DICT: delete dictValue; break;
    case PAIR: delete pairValue; break;
    default: break;
    }
    type = NIL;
}

bool dyn::isNumeric() const { return type == BOOLEAN || type == INTEGER || type == REAL || type == NATURAL; }

int dyn::arrayType() const {
    switch (type) {
    case BOOLEAN: return 3;
    case INTEGER: return TYPE_INT;
    case REAL: return TYPE_REAL;
    case NATURAL: return TYPE_NATURAL;
    case TEXT: return TYPE_TEXT;
    case ARRAY: return 11;
    case DICT: return 12;
    case PAIR: return 17;
    case POINTER: return TYPE_OBJECT;
    case NIL: break;
    }
    return 0;
}

// --------------------------------------------------------------------------
// Conversions

bool dyn::toBoolean(const dyn &value) {
    switch (value.type) {
    case BOOLEAN: return value.flag;
    case INTEGER: return value.integer != 0;
    case REAL: return value.real != 0;
    case NATURAL: return value.whole != 0;
    case TEXT: return !value.textValue->data.empty() && value.textValue->data != "0";
    case ARRAY: return !value.arrayValue->empty();
    case DICT: return !value.dictValue->empty();
    case PAIR: return true;
    case POINTER: return value.pointer != nullptr;
    case NIL: break;
    }
    return false;
}

double dyn::toReal(const dyn &value) {
    switch (value.type) {
    case BOOLEAN: return value.flag ? 1 : 0;
    case INTEGER: return static_cast<double>(value.integer);
    case REAL: return value.real;
    case NATURAL: return static_cast<double>(value.whole);
    case TEXT: return doubleval(*value.textValue);
    default: return 0;
    }
}

int dyn::toInt(const dyn &value) {
    long long number = toInt64(value);
    if (number > INT_MAX) return INT_MAX;
    if (number < INT_MIN) return INT_MIN;
    return static_cast<int>(number);
}

long long dyn::toInt64(const dyn &value) {
    switch (value.type) {
    case BOOLEAN: return value.flag ? 1 : 0;
    case INTEGER: return value.integer;
    case NATURAL: return static_cast<long long>(value.whole);
    case REAL: {
        double r = value.real;
        if (r != r) return 0;
        if (r >= 9223372036854775807.0) return LLONG_MAX;
        if (r <= -9223372036854775808.0) return LLONG_MIN;
        return static_cast<long long>(r);
    }
    case TEXT: {
        const std::string &s = value.textValue->data;
        char *end = nullptr;
        long long number = std::strtoll(s.c_str(), &end, 10);
        if (end != nullptr && (*end == '.' || *end == 'e' || *end == 'E')) return toInt64(dyn(doubleval(s)));
        return number;
    }
    default: return 0;
    }
}

natural dyn::toNatural(const dyn &value) {
    switch (value.type) {
    case NATURAL: return value.whole;
    case REAL: return naturalval(value.real);
    case TEXT: return naturalval(*value.textValue);
    default: return static_cast<natural>(toInt64(value));
    }
}

velarray dyn::toArray(const dyn &value) {
    switch (value.type) {
    case ARRAY: return *value.arrayValue;
    case DICT: return value.dictValue->values();
    case NIL: return velarray();
    default: return velarray{value};
    }
}

dict dyn::toDict(const dyn &value) {
    dict result;
    switch (value.type) {
    case DICT: return *value.dictValue;
    case ARRAY: {
        // A pair is an entry, as a dict's merge takes it, so ["a": 1] is the
        // dict it looks like; any other element gets the next free integer key.
        long long next = 0;
        for (int i = 0; i < value.arrayValue->size(); ++i) {
            dyn element = value.arrayValue->at(i);
            if (element.type != PAIR) {
                result.setAt(dyn(next++), element);
                continue;
            }
            const dyn &key = element.pairValue->key;
            if (key.type != TEXT) next = std::max(next, toInt64(key) + 1);
            result.setAt(key, element.pairValue->value);
        }
        return result;
    }
    case PAIR: result.setAt(value.pairValue->key, value.pairValue->value); return result;
    case NIL: return result;
    default: error = true; return result;
    }
}

FILE *dyn::toFile(const dyn &value) { return static_cast<FILE *>(value.rawPointer()); }

_VelmoraDir dyn::toDir(const dyn &value) { return static_cast<_VelmoraDir>(value.rawPointer()); }

text dyn::toText() const { return toText(*this); }
velarray dyn::toArray() const { return toArray(*this); }
dict dyn::toDict() const { return toDict(*this); }


// --------------------------------------------------------------------------
// Container access

namespace {

const char *kindName(dyn::Kind kind) {
    switch (kind) {
    case dyn::NIL: return "nil";
    case dyn::BOOLEAN: return "boolean";
    case dyn::INTEGER: return "integer";
    case dyn::REAL: return "real";
    case dyn::NATURAL: return "natural";
    case dyn::TEXT: return "text";
    case dyn::ARRAY: return "array";
    case dyn::DICT: return "dict";
    case dyn::PAIR: return "pair";
    case dyn::POINTER: return "object";
    }
    return "value";
}

}  // namespace

dyn dyn::at(const dyn &key) const {
    switch (type) {
    case ARRAY: return arrayValue->at(key);
    case DICT: return dictValue->at(key);
    case TEXT: return key.isNumeric() ? dyn((*textValue)[toInt(key)]) : dyn(text());
    case PAIR:
        if (key.isNumeric()) {
            long long which = toInt64(key);
            return which == 0 ? pairValue->key : (which == 1 ? pairValue->value : dyn());
        }
        if (key.type == TEXT && key.textValue->data == "key") return pairValue->key;
        if (key.type == TEXT && key.textValue->data == "value") return pairValue->value;
        return dyn();
    default: return dyn();
    }
}

void dyn::becomeContainerFor(const dyn &key) {
    if (type != NIL) return;
    if (key.type == TEXT) {
        dictValue = new dict();
        type = DICT;
    } else {
        arrayValue = new velarray();
        type = ARRAY;
    }
}

dyn &dyn::elementFor(const dyn &key) {
    becomeContainerFor(key);
    if (type == ARRAY) return (*arrayValue)[key];
    if (type == DICT) return (*dictValue)[key];
    vel_fatal(std::string("cannot put an element into a ") + kindName(type));
}

void dyn::setAt(const dyn &key, const dyn &value) {
    if (type == TEXT) {
        if (!key.isNumeric()) vel_fatal("a text index must be a number");
        textValue->setAt(toInt(key), toText(value));
        return;
    }
    dyn copy(value);  // value may be an element of this container
    elementFor(key) = std::move(copy);
}

dyn *dyn::to(const dyn &key) { return &elementFor(key); }

dyn &dyn::operator[](const dyn &key) { return elementFor(key); }

dyn dyn::slice(int lo, int hi, int inclusive) const {
    switch (type) {
    case ARRAY: return dyn(arrayValue->slice(lo, hi, inclusive));
    case DICT: return dyn(dictValue->slice(lo, hi, inclusive));
    case TEXT: return dyn(textValue->slice(lo, hi, inclusive));
    default: return dyn();
    }
}

dyn dyn::slice(const text &fromKey, const text &toKey, int inclusive) const {
    if (type == DICT) return dyn(dictValue->slice(fromKey, toKey, inclusive));
    return dyn();
}

void dyn::setSlice(int lo, int hi, int inclusive, const dyn &value) {
    if (type == NIL) {
        arrayValue = new velarray();
        type = ARRAY;
    }
    dyn copy(value);  // value may be this dyn or one of its elements
    switch (type) {
    case ARRAY: arrayValue->setSlice(lo, hi, inclusive, copy); break;
    case DICT: dictValue->setSlice(lo, hi, inclusive, copy); break;
    case TEXT: textValue->setSlice(lo, hi, inclusive, copy); break;
    default: vel_fatal(std::string("slice assignment to a value that is no container (") + kindName(type) + ")");
    }
}

bool dyn::in(const dyn &item) const {
    switch (type) {
    case ARRAY: return arrayValue->in(item);
    case DICT: return dictValue->in(item);
    case TEXT: return textValue->in(toText(item));
    default: return false;
    }
}

int dyn::length() const {
    switch (type) {
    case ARRAY: return arrayValue->size();
    case DICT: return dictValue->size();
    case TEXT: return textValue->length();
    default: return 0;
    }
}

void dyn::reset() {
    if (type == ARRAY) arrayValue->reset();
    if (type == DICT) dictValue->reset();
    if (type == TEXT) textValue->reset();
}

bool dyn::inBound() {
    if (type == ARRAY) return arrayValue->inBound();
    if (type == DICT) return dictValue->inBound();
    if (type == TEXT) return textValue->inBound();
    return false;
}

dyn dyn::key() const {
    if (type == ARRAY) return dyn(arrayValue->key());
    if (type == DICT) return dictValue->key();
    if (type == TEXT) return dyn(textValue->key());
    return dyn();
}

dyn dyn::heldKey() const {
    if (type == DICT) return dictValue->heldKey();
    return key();
}

dyn dyn::value() const {
    if (type == ARRAY) return arrayValue->value();
    if (type == DICT) return dictValue->value();
    if (type == TEXT) return dyn(textValue->value());
    return dyn();
}

bool dyn::walkAt(std::size_t position) const {
    if (type == ARRAY) return arrayValue->walkAt(position);
    if (type == DICT) return dictValue->walkAt(position);
    if (type == TEXT) return textValue->walkAt(position);
    return false;
}

void dyn::bound() {
    if (type == ARRAY) arrayValue->bound();
    if (type == DICT) dictValue->bound();
    if (type == TEXT) textValue->bound();
}
