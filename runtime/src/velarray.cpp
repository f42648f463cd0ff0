// velarray: the dynamic array of dyn values.
#include "velmora/libvel.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

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

dyn &velarray::operator[](int index) {
    std::size_t position = checkedIndex(index);
    if (position >= items.size()) items.resize(position + 1);
    return items[position];
}

dyn &velarray::operator[](const dyn &index) { return (*this)[static_cast<int>(indexFromKey(index))]; }

dyn velarray::at(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return dyn();
    return items[static_cast<std::size_t>(index)];
}

dyn velarray::at(const dyn &index) const { return index.isNumeric() ? at(dyn::toInt(index)) : dyn(); }

void velarray::setAt(int index, const dyn &value) {
    dyn copy(value);  // value may be one of our own elements
    (*this)[index] = std::move(copy);
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

text velarray::toString() const {
    std::ostringstream out;
    out << *this;
    return text(out.str());
}

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
    items.push_back(item);
    return *this;
}

velarray &velarray::operator+=(const velarray &other) {
    std::deque<dyn> appended(other.items);  // other may be this array
    items.insert(items.end(), appended.begin(), appended.end());
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

std::ostream &operator<<(std::ostream &out, const velarray &value) {
    out << '[';
    const char *separator = "";
    for (const dyn &e : value.elements()) {
        out << separator;
        vel_write_element(out, e);
        separator = ", ";
    }
    return out << ']';
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
    items.erase(items.begin());
    return first;
}

void velarray::unshift(const dyn &item) { items.insert(items.begin(), item); }

// Inserts before the element at index; past the end the array grows first.
void velarray::insert(int index, const dyn &item) {
    dyn copy(item);
    std::size_t position = checkedIndex(index);
    if (position > items.size()) items.resize(position);
    items.insert(items.begin() + static_cast<long>(position), std::move(copy));
}

void velarray::splice(int index, int count) {
    if (index < 0 || count <= 0 || static_cast<std::size_t>(index) >= items.size()) return;
    std::size_t end = std::min(items.size(), static_cast<std::size_t>(index) + static_cast<std::size_t>(count));
    items.erase(items.begin() + index, items.begin() + static_cast<long>(end));
}

int velarray::find(const dyn &item) const {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (vel_equal(items[i], item)) return static_cast<int>(i);
    return -1;
}

int velarray::findLast(const dyn &item) const {
    for (std::size_t i = items.size(); i > 0; --i)
        if (vel_equal(items[i - 1], item)) return static_cast<int>(i - 1);
    return -1;
}

text velarray::join(const text &separator) const {
    std::string joined;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) joined += separator.data;
        joined += dyn::toText(items[i]).data;
    }
    return text(joined);
}

velarray velarray::keys() const {
    velarray result;
    for (int i = 0; i < size(); ++i) result.items.push_back(dyn(i));
    return result;
}

velarray velarray::reverse() const { return velarray(std::vector<dyn>(items.rbegin(), items.rend())); }

velarray velarray::unique() const {
    velarray result;
    for (const dyn &e : items)
        if (!result.in(e)) result.items.push_back(e);
    return result;
}

void velarray::sort(int descending) {
    std::stable_sort(items.begin(), items.end(), [descending](const dyn &a, const dyn &b) {
        return descending ? vel_compare(b, a) < 0 : vel_compare(a, b) < 0;
    });
}

double velarray::sum() const {
    double total = 0;
    for (const dyn &e : items) total += dyn::toReal(e);
    return total;
}

dyn velarray::min() const {
    if (items.empty()) return dyn();
    return *std::min_element(items.begin(), items.end(), [](const dyn &a, const dyn &b) { return a < b; });
}

dyn velarray::max() const {
    if (items.empty()) return dyn();
    return *std::max_element(items.begin(), items.end(), [](const dyn &a, const dyn &b) { return a < b; });
}

void velarray::display() const { std::cout << *this << '\n'; }

// Writes one element per line. Returns true when the file could not be
// written, so that the result can raise the error flag directly.
bool velarray::store(const text &fileName) const {
    std::ofstream out(fileName.data, std::ios::binary);
    for (const dyn &e : items) out << e << '\n';
    out.close();
    return !out;
}

// Reads the lines of a file as text elements; returns whether it succeeded.
bool velarray::load(const text &fileName, int append) {
    std::ifstream in(fileName.data, std::ios::binary);
    if (!in) return false;
    if (!append) items.clear();
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        items.push_back(dyn(text(line)));
    }
    return true;
}

velarray velarray::merge(const dyn &other) {
    if (other.kind() == dyn::ARRAY)
        *this += *other.asArray();
    else if (other.kind() == dyn::DICT)
        *this += other.asDict()->values();
    else
        *this += other;
    return *this;
}

void velarray::pack() {
    items.erase(std::remove_if(items.begin(), items.end(), [](const dyn &e) { return e.isNil(); }), items.end());
}
