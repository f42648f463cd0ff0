// velarray: the dynamic array of dyn values.
#include "velmora/libvel.hpp"

#include <algorithm>
#include <cstdlib>

namespace {

std::size_t checkedIndex(long index) {
    if (index < 0) vel_fatal("negative index " + std::to_string(index));
    return static_cast<std::size_t>(index);
}

long indexFromKey(const dyn &key) {
    if (!key.isNumeric()) vel_fatal("an array index must be a number, not \"" + dyn::toText(key).data + "\"");
    return static_cast<long>(dyn::toInt64(key));
}

}  // namespace

velarray::velarray(const char *const *argumentVector) {
    for (; argumentVector != nullptr && *argumentVector != nullptr; ++argumentVector)
        items.push_back(dyn(text(*argumentVector)));
}

dyn &velarray::slotFor(int index) {
    std::size_t position = checkedIndex(index);
    if (position >= items.size()) items.resize(position + 1);
    return items[position];
}

dyn &velarray::operator[](int index) {
    dyn &element = slotFor(index);
    items.pin();
    return element;
}

dyn &velarray::operator[](const dyn &index) { return (*this)[static_cast<int>(indexFromKey(index))]; }

dyn velarray::at(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return dyn();
    return items[static_cast<std::size_t>(index)];
}

dyn velarray::at(const dyn &index) const { return index.isNumeric() ? at(dyn::toInt(index)) : dyn(); }

void velarray::setAt(int index, const dyn &value) {
    dyn copy(value);  // value may be one of our own elements
    slotFor(index) = std::move(copy);
}

void velarray::setAt(const dyn &index, const dyn &value) { setAt(static_cast<int>(indexFromKey(index)), value); }

dyn *velarray::to(int index) { return &(*this)[index]; }

dyn *velarray::to(const dyn &index) { return &(*this)[index]; }

velarray velarray::slice(int lo, int hi, int inclusive) const {
    long size = static_cast<long>(items.size());
    long last = hi < 0 ? size - 1 : (inclusive ? hi : static_cast<long>(hi) - 1);
    if (last >= size) last = size - 1;
    velarray result;
    for (long i = lo < 0 ? 0 : lo; i <= last; ++i) result.items.push_back(items[static_cast<std::size_t>(i)]);
    return result;
}

void velarray::setSlice(int lo, int hi, int inclusive, const dyn &value) {
    velarray fresh = vel_elements_of(value);  // a copy: value may hold elements of this array
    vel_span span = vel_slice_span(lo, hi, inclusive, items.size());
    items.erase(items.begin() + static_cast<long>(span.first), items.begin() + static_cast<long>(span.end));
    items.insert(items.begin() + static_cast<long>(span.first), fresh.items.begin(), fresh.items.end());
}

velarray vel_elements_of(const dyn &value) {
    if (value.kind() == dyn::ARRAY) return *value.asArray();
    if (value.kind() == dyn::DICT) return value.asDict()->values();
    return velarray{value};
}

bool velarray::in(const dyn &item) const { return find(item) >= 0; }

void velarray::reset() {
    cursor = 0;
    stepPending = false;
}

bool velarray::inBound() {
    if (stepPending) ++cursor;
    stepPending = false;
    return cursor < items.size();
}

int velarray::key() const { return static_cast<int>(cursor); }

dyn velarray::value() const { return at(static_cast<int>(cursor)); }

velarray &velarray::operator+=(const dyn &item) {
    // A var holding an array joins it, as an array does and as two vars do:
    // `[head] + rest` over the arrays of an array gives one flat list.
    if (item.kind() == dyn::ARRAY) return *this += *item.asArray();
    items.push_back(item);
    return *this;
}

velarray &velarray::operator+=(const velarray &other) {
    vel_chunked_array<dyn> appended(other.items);  // other may be this array
    for (const dyn &e : static_cast<const vel_chunked_array<dyn> &>(appended)) items.push_back(e);
    return *this;
}

velarray &velarray::operator-=(const dyn &item) {
    dyn removed(item);
    items.erase(std::remove_if(items.begin(), items.end(), [&](const dyn &e) { return vel_equal(e, removed); }),
                items.end());
    return *this;
}

velarray &velarray::operator-=(const velarray &other) {
    velarray removed(other);
    items.erase(std::remove_if(items.begin(), items.end(), [&](const dyn &e) { return removed.in(e); }),
                items.end());
    return *this;
}

velarray &velarray::operator&=(const velarray &other) {
    velarray result;
    for (const dyn &e : items)
        if (other.in(e) && !result.in(e)) result.items.push_back(e);
    items.swap(result.items);
    return *this;
}

velarray &velarray::operator|=(const velarray &other) {
    velarray result;
    for (const dyn &e : items)
        if (!result.in(e)) result.items.push_back(e);
    for (const dyn &e : other.items)
        if (!result.in(e)) result.items.push_back(e);
    items.swap(result.items);
    return *this;
}

velarray &velarray::operator^=(const velarray &other) {
    velarray result;
    for (const dyn &e : items)
        if (!other.in(e) && !result.in(e)) result.items.push_back(e);
    for (const dyn &e : other.items)
        if (!in(e) && !result.in(e)) result.items.push_back(e);
    items.swap(result.items);
    return *this;
}

velarray operator+(const velarray &a, const dyn &item) { return velarray(a) += item; }
velarray operator+(const velarray &a, const velarray &b) { return velarray(a) += b; }
velarray operator-(const velarray &a, const dyn &item) { return velarray(a) -= item; }
velarray operator-(const velarray &a, const velarray &b) { return velarray(a) -= b; }
velarray operator&(const velarray &a, const velarray &b) { return velarray(a) &= b; }
velarray operator|(const velarray &a, const velarray &b) { return velarray(a) |= b; }
velarray operator^(const velarray &a, const velarray &b) { return velarray(a) ^= b; }

bool operator==(const velarray &a, const velarray &b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i)
        if (!vel_equal(a.elements()[static_cast<std::size_t>(i)], b.elements()[static_cast<std::size_t>(i)]))
            return false;
    return true;
}

// --------------------------------------------------------------------------
// Methods

dyn velarray::pop() {
    if (items.empty()) return dyn();
    dyn last(std::move(items.back()));
    items.pop_back();
    return last;
}

dyn velarray::shift() {
    if (items.empty()) return dyn();
    dyn first(std::move(items.front()));
    items.pop_front();
    return first;
}

void velarray::unshift(const dyn &item) {
    dyn copy(item);  // item may be one of our own elements
    items.push_front(copy);
}

// Inserts before the element at index: a negative index inserts first, one
// past the end appends (as Python's list.insert does).
void velarray::insert(int index, const dyn &item) {
    dyn copy(item);
    std::size_t position = index < 0 ? 0 : std::min(items.size(), static_cast<std::size_t>(index));
    items.insert(items.begin() + static_cast<long>(position), std::move(copy));
}

// Removes count elements from index on, as many as there are; a negative
// index counts as 0.
void velarray::splice(int index, int count) {
    if (count <= 0) return;
    std::size_t first = index < 0 ? 0 : std::min(items.size(), static_cast<std::size_t>(index));
    std::size_t removed = std::min(items.size() - first, static_cast<std::size_t>(count));
    items.erase(items.begin() + static_cast<long>(first), items.begin() + static_cast<long>(first + removed));
}

// The first equal element at or after from (clamped to 0).
int velarray::find(const dyn &item, int from) const {
    for (std::size_t i = from < 0 ? 0 : static_cast<std::size_t>(from); i < items.size(); ++i)
        if (vel_equal(items[i], item)) return static_cast<int>(i);
    return -1;
}

// The last equal element at or before from (-1: anywhere).
int velarray::findLast(const dyn &item, int from) const {
    std::size_t end = from < 0 ? items.size() : std::min(items.size(), static_cast<std::size_t>(from) + 1);
    for (std::size_t i = end; i > 0; --i)
        if (vel_equal(items[i - 1], item)) return static_cast<int>(i - 1);
    return -1;
}

// Words and separators are a few bytes, which a loop copies sooner than a
// memcpy: under WebAssembly that is a call into the engine. Clang is kept
// from making the loop a memcpy again (in the function itself: it does not
// inline a function marked so).
#if defined(__clang__)
#define VEL_COPIED_BY_LOOP __attribute__((no_builtin("memcpy")))
#else
#define VEL_COPIED_BY_LOOP
#endif

VEL_COPIED_BY_LOOP text velarray::join(const text &separator) const {
    // The texts' length first, so that the result is allocated once (other
    // kinds than texts need their text made, which the length leaves out).
    std::size_t length = items.empty() ? 0 : separator.data.size() * (items.size() - 1);
    bool allTexts = true;
    items.each([&](const dyn &item) {
        const text *piece = item.asText();
        allTexts = allTexts && piece != nullptr;
        if (piece != nullptr) length += piece->data.size();
    });
    std::string joined;
    if (allTexts) {
        // Copied into place: an append would be a call that checks the room
        // again, for every piece and every separator. The result is eight
        // bytes longer at first, so that a short piece is copied as one word
        // of eight bytes whatever its length: the bytes past it are written
        // over by the next piece or cut off at the end.
        joined.resize(length + 8);
        char *out = &joined[0];
        auto copy = [&out](const char *from, std::size_t count) {
            if (count > 16)
                std::memcpy(out, from, count);
            else
                for (std::size_t i = 0; i < count; ++i) out[i] = from[i];
            out += count;
        };
        // A string's buffer holds capacity() + 1 bytes, all its own.
        auto copyPiece = [&out, &copy](const std::string &piece) {
            if (piece.size() <= 8 && piece.capacity() >= 7) {
                std::memcpy(out, piece.data(), 8);
                out += piece.size();
            } else {
                copy(piece.data(), piece.size());
            }
        };
        // The separator's bytes are read once: the compiler cannot tell that
        // the stores into the result leave the separator alone.
        const char *between = separator.data.data();
        const std::size_t betweenCount = separator.data.size();
        bool first = true;
        items.each([&](const dyn &item) {
            if (first)
                first = false;
            else if (betweenCount == 1)
                *out++ = *between;
            else
                copy(between, betweenCount);
            copyPiece(item.asText()->data);
        });
        joined.resize(length);
        return text(std::move(joined));
    }
    joined.reserve(length);
    bool first = true;
    for (const dyn &item : items) {
        if (!first) joined += separator.data;
        first = false;
        // A text is appended where it stands (not through a conditional
        // expression, which would copy it).
        if (const text *piece = item.asText())
            joined += piece->data;
        else
            joined += dyn::toText(item).data;
    }
    return text(std::move(joined));
}

velarray velarray::keys() const {
    velarray result;
    for (int i = 0; i < size(); ++i) result.items.push_back(dyn(i));
    return result;
}

velarray velarray::reverse() const {
    velarray result;
    for (std::size_t i = items.size(); i > 0; --i) result.items.push_back(items[i - 1]);
    return result;
}

velarray velarray::unique() const {
    velarray result;
    for (const dyn &e : items)
        if (!result.in(e)) result.items.push_back(e);
    return result;
}

// vel_sort_compare is a strict weak order whatever the elements, which
// std::stable_sort needs; vel_compare, which reads numeric texts as numbers,
// is not one across mixed kinds.
void velarray::sort(int descending) {
    std::stable_sort(items.begin(), items.end(), [descending](const dyn &a, const dyn &b) {
        return descending ? vel_sort_compare(b, a) < 0 : vel_sort_compare(a, b) < 0;
    });
}

double velarray::sum() const {
    double total = 0;
    for (const dyn &e : items) total += dyn::toReal(e);
    return total;
}

// The first of the smallest / largest elements in sort order.
dyn velarray::min() const {
    if (items.empty()) return dyn();
    return *std::min_element(items.begin(), items.end(),
                             [](const dyn &a, const dyn &b) { return vel_sort_compare(a, b) < 0; });
}

dyn velarray::max() const {
    if (items.empty()) return dyn();
    return *std::max_element(items.begin(), items.end(),
                             [](const dyn &a, const dyn &b) { return vel_sort_compare(a, b) < 0; });
}

// rand() is the program's generator, which randomize seeds.
dyn velarray::rand() const {
    if (items.empty()) return dyn();
    return items[static_cast<std::size_t>(std::rand()) % items.size()];
}

dyn velarray::begin() {
    vel_move_cursor(cursor, stepPending, items.size(), 0);
    return at(static_cast<int>(cursor));
}

dyn velarray::end() {
    vel_move_cursor(cursor, stepPending, items.size(), 2);
    return at(static_cast<int>(cursor));
}

dyn velarray::inc() {
    vel_move_cursor(cursor, stepPending, items.size(), 1);
    return at(static_cast<int>(cursor));
}

dyn velarray::dec() {
    vel_move_cursor(cursor, stepPending, items.size(), -1);
    return at(static_cast<int>(cursor));
}


// In the format of store.cpp. Returns true when the file could not be
// written (and raises dyn::error), so that the result can also set the
// error flag directly.
bool velarray::store(const text &fileName) const { return vel_store_value(fileName, dyn(*this)); }

// A stored array gives its elements, a stored dict its values, a stored
// single value one element (nil: none); any other file gives its lines as
// texts. Returns whether it succeeded; on failure the array is unchanged.
bool velarray::load(const text &fileName, int append) {
    dyn loaded;
    bool plain = false;
    if (!vel_load_value(fileName, loaded, plain)) return false;
    velarray elements = dyn::toArray(loaded);
    if (!append) items.clear();
    items.insert(items.end(), elements.items.begin(), elements.items.end());
    return true;
}

velarray velarray::map(function f) const {
    velarray result;
    for (std::size_t i = 0; i < items.size(); ++i) {
        dyn element = items[i];
        result.items.push_back(vel_call_function(f, element));
    }
    return result;
}

// An array, typed array or dict adds its elements (a dict its values), nil
// adds nothing, any other value is one element.
dyn velarray::merge(const dyn &other) {
    if (!other.isNil()) *this += vel_elements_of(other);
    return dyn(*this);
}

void velarray::pack() {
    items.erase(std::remove_if(items.begin(), items.end(), [](const dyn &e) { return e.isNil(); }), items.end());
}
