// The text class: construction, indexing, slices, cursor and the text methods.
#include "velmora/libvel.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

const char *const blanks = " \t\r\n\f\v";

std::string lowered(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Clamps an index into [0, size].
std::size_t clampedPosition(int position, std::size_t size) {
    if (position < 0) return 0;
    return std::min(static_cast<std::size_t>(position), size);
}

}  // namespace

text::text(const char *chars) : data(chars ? chars : "") {}

int text::uncountableLength(const vel_place &where) const {
    vel_fatal(where, "a text of " + std::to_string(data.size()) + " bytes is too long for an integer length");
}

text text::operator[](int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= data.size()) return text();
    return text(data[static_cast<std::size_t>(index)]);
}

text text::operator[](const dyn &index) const {
    return index.isNumeric() ? (*this)[dyn::toInt(index)] : text();
}

vel_text_slot text::operator[](const dyn &index) {
    if (!index.isNumeric()) vel_fatal("a text index must be a number");
    return vel_text_slot(*this, dyn::toInt(index));
}

void text::setAt(const dyn &index, const text &value) {
    if (!index.isNumeric()) vel_fatal("a text index must be a number");
    setAt(dyn::toInt(index), value);
}

void text::setAt(int index, const text &value) {
    if (index < 0) vel_fatal("negative index " + std::to_string(index) + " in a text");
    std::size_t position = static_cast<std::size_t>(index);
    if (position >= data.size()) data.resize(position + 1, ' ');
    data.replace(position, 1, value.data);
}

text text::slice(int lo, int hi, int inclusive) const {
    long size = static_cast<long>(data.size());
    long first = lo < 0 ? 0 : lo;
    long last = hi < 0 ? size - 1 : (inclusive ? hi : static_cast<long>(hi) - 1);
    if (last >= size) last = size - 1;
    if (first > last) return text();
    return text(data.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1)));
}

vel_span vel_slice_span(int lo, int hi, int inclusive, std::size_t size) {
    long long end = hi < 0 ? static_cast<long long>(size) : static_cast<long long>(hi) + (inclusive ? 1 : 0);
    vel_span span;
    span.first = clampedPosition(lo, size);
    span.end = end < static_cast<long long>(span.first)
                   ? span.first
                   : std::min(static_cast<std::size_t>(end), size);
    return span;
}

void text::setSlice(int lo, int hi, int inclusive, const dyn &value) {
    std::string replacement = dyn::toText(value).data;  // value may hold this text
    vel_span span = vel_slice_span(lo, hi, inclusive, data.size());
    data.replace(span.first, span.end - span.first, replacement);
}

bool text::in(const text &item) const { return data.find(item.data) != std::string::npos; }

void text::reset() {
    cursor = 0;
    stepPending = false;
}

bool text::inBound() {
    if (stepPending) ++cursor;
    stepPending = false;
    return cursor < data.size();
}

int text::key() const { return static_cast<int>(cursor); }

text text::value() const { return (*this)[static_cast<int>(cursor)]; }

text text::capitalize() const {
    text result(*this);
    if (!result.data.empty())
        result.data[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(result.data[0])));
    return result;
}

int text::compare(const text &other) const { return vel_compare_texts(*this, other); }

text text::dup(int times) const {
    text result;
    for (int i = 0; i < times; ++i) result.data += data;
    return result;
}

void text::fill(const text &pattern, int count) { data = pattern.dup(count).data; }

int text::find(const text &needle, int from) const {
    std::size_t found = data.find(needle.data, clampedPosition(from, data.size()));
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

// The last occurrence of the whole needle at or before `from` (-1: anywhere).
int text::find_last_of(const text &needle, int from) const {
    std::size_t start = from < 0 ? std::string::npos : static_cast<std::size_t>(from);
    std::size_t found = data.rfind(needle.data, start);
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

int text::findLex(const text &needle, int from) const {
    std::string haystack = lowered(data);
    std::size_t found = haystack.find(lowered(needle.data), clampedPosition(from, data.size()));
    return found == std::string::npos ? -1 : static_cast<int>(found);
}

int text::identical(const text &other) const { return data == other.data ? 1 : 0; }

void text::insert(int position, const text &piece) {
    data.insert(clampedPosition(position, data.size()), piece.data);
}

std::size_t vel_number_end(const std::string &s, std::size_t start) {
    auto isDigit = [&s](std::size_t i) { return i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); };
    std::size_t i = start;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; isDigit(i); ++i) ++digits;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        for (; isDigit(j); ++j) ++digits;
        if (digits > 0) i = j;
    }
    if (digits == 0) return start;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t k = j;
        for (; isDigit(k); ++k) {
        }
        if (k > j) i = k;
    }
    return i;
}

// A decimal number with blanks around it, as PHP's is_numeric has it: no
// hexadecimal, inf or nan.
bool text::isNumber() const {
    std::string trimmed = trim().data;
    std::size_t end = vel_number_end(trimmed, 0);
    return end > 0 && end == trimmed.size();
}

text text::lower() const { return text(lowered(data)); }

text text::upper() const {
    std::string s = data;
    for (char &c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text(s);
}

text text::lTrim() const {
    std::size_t first = data.find_first_not_of(blanks);
    return first == std::string::npos ? text() : text(data.substr(first));
}

text text::rTrim() const {
    std::size_t last = data.find_last_not_of(blanks);
    return last == std::string::npos ? text() : text(data.substr(0, last + 1));
}

text text::trim() const { return lTrim().rTrim(); }

text text::replace(const text &from, const text &to) const {
    if (from.data.empty()) return *this;
    std::string result;
    std::size_t start = 0;
    for (std::size_t found; (found = data.find(from.data, start)) != std::string::npos;
         start = found + from.data.size())
        result += data.substr(start, found - start) + to.data;
    result += data.substr(start);
    return text(result);
}

void text::reserve(int capacity) {
    if (capacity > 0) data.reserve(static_cast<std::size_t>(capacity));
}

// PHP's wordwrap without cutting words: a space becomes a line feed where the
// line would otherwise grow past width; line feeds already there stay, and a
// word longer than width stands on a line of its own. A width below 1 is 1.
text text::wrap(int width) const {
    std::size_t limit = width < 1 ? 1 : static_cast<std::size_t>(width);
    std::string result = data;
    std::size_t lineStart = 0, lastSpace = std::string::npos;
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (result[i] == '\n') {
            lineStart = i + 1;
            lastSpace = std::string::npos;
        } else if (result[i] == ' ') {
            if (i - lineStart >= limit) {
                result[i] = '\n';
                lineStart = i + 1;
                lastSpace = std::string::npos;
            } else {
                lastSpace = i;
            }
        } else if (i - lineStart >= limit && lastSpace != std::string::npos) {
            result[lastSpace] = '\n';
            lineStart = lastSpace + 1;
            lastSpace = std::string::npos;
        }
    }
    return text(result);
}

int text::toInt() const { return intval(*this); }

double text::toNumber() const { return doubleval(*this); }

void text::toFile(const text &fileName) const {
    FILE *out = std::fopen(fileName.c_str(), "wb");
    bool written = out && std::fwrite(data.data(), 1, data.size(), out) == data.size();
    if (out && (std::fclose)(out) != 0) written = false;  // not the program's fclose
    if (!written) dyn::error = true;
}

text operator+(const text &a, const text &b) { return text(a.data + b.data); }
text operator+(const text &a, const char *b) { return a + text(b); }
text operator+(const char *a, const text &b) { return text(a) + b; }
text operator+(const text &a, char b) { return text(a.data + b); }
text operator+(char a, const text &b) { return text(a) + b; }

int vel_compare_texts(const text &a, const text &b) {
    int order = a.data.compare(b.data);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
