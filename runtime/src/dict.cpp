// dict: the dictionary keyed by texts or integers, in insertion order.
#include "velmora/libvel.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

bool isUsableKey(const dyn &key) { return key.kind() == dyn::TEXT || key.isNumeric(); }

// The stored form of a key: a text, or a number truncated to an integer.
dyn normalizedKey(const dyn &key) {
    if (key.kind() == dyn::TEXT) return key;
    if (key.isNumeric()) return dyn(dyn::toInt64(key));
    vel_fatal("a dict key must be a text or a number, not " +
              (key.isNil() ? std::string("nil") : "\"" + dyn::toText(key).data + "\""));
}

std::string keyToken(const dyn &key) {
    return key.kind() == dyn::TEXT ? "t" + key.asText()->data : "i" + std::to_string(dyn::toInt64(key));
}

}  // namespace

dict::dict(std::initializer_list<dyn> pairs) {
    for (const dyn &item : pairs) {
        if (item.kind() == dyn::PAIR)
            setAt(item.asPair()->key, item.asPair()->value);
        else
            push(item);
    }
}

long dict::indexOf(const dyn &key) const {
    if (!isUsableKey(key)) return -1;
    auto found = index.find(keyToken(key));
    return found == index.end() ? -1 : static_cast<long>(found->second);
}

void dict::rebuildIndex() {
    index.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) index[keyToken(entries[i].key)] = i;
}

dyn &dict::operator[](const dyn &key) {
    dyn stored = normalizedKey(key);
    long position = indexOf(stored);
    if (position >= 0) return entries[static_cast<std::size_t>(position)].value;
    index[keyToken(stored)] = entries.size();
    entries.push_back(Entry{stored, dyn()});
    return entries.back().value;
}

dyn dict::at(const dyn &key) const {
    long position = indexOf(key);
    return position < 0 ? dyn() : entries[static_cast<std::size_t>(position)].value;
}

void dict::setAt(const dyn &key, const dyn &value) {
    dyn copy(value);  // value may be one of our own values
    (*this)[key] = std::move(copy);
}

dyn *dict::to(const dyn &key) { return &(*this)[key]; }

bool dict::hasKey(const dyn &key) const { return indexOf(key) >= 0; }

bool dict::remove(const dyn &key) {
    long position = indexOf(key);
    if (position < 0) return false;
    entries.erase(entries.begin() + position);
    rebuildIndex();
    return true;
}

dict dict::slice(int lo, int hi, int inclusive) const {
    long size = static_cast<long>(entries.size());
    long last = hi < 0 ? size - 1 : (inclusive ? hi : static_cast<long>(hi) - 1);
    if (last >= size) last = size - 1;
    dict result;
    for (long i = lo < 0 ? 0 : lo; i <= last; ++i)
        result.setAt(entries[static_cast<std::size_t>(i)].key, entries[static_cast<std::size_t>(i)].value);
    return result;
}

dict dict::slice(const text &fromKey, const text &toKey, int inclusive) const {
    long first = indexOf(dyn(fromKey)), last = indexOf(dyn(toKey));
    if (first < 0 || last < 0) return dict();
    return slice(static_cast<int>(first), static_cast<int>(last), inclusive);
}

long long dict::nextFreeKey() const {
    long long next = 0;
    for (const Entry &e : entries)
        if (e.key.kind() != dyn::TEXT) next = std::max(next, dyn::toInt64(e.key) + 1);
    return next;
}

void dict::setSlice(int lo, int hi, int inclusive, const dyn &value) {
    vel_span span = vel_slice_span(lo, hi, inclusive, entries.size());
    dict kept;  // the entries outside the range, only to find free keys
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (i < span.first || i >= span.end) kept.entries.push_back(entries[i]);
    dict inserted;
    auto insert = [&](const dyn &item) {
        if (item.kind() == dyn::PAIR) {
            inserted.setAt(item.asPair()->key, item.asPair()->value);
        } else {
            long long key = std::max(kept.nextFreeKey(), inserted.nextFreeKey());
            inserted.setAt(dyn(key), item);
        }
    };
    if (value.kind() == dyn::DICT) {
        for (const Entry &e : value.asDict()->entries) inserted.setAt(e.key, e.value);
    } else if (value.kind() == dyn::ARRAY) {
        for (const dyn &item : value.asArray()->elements()) insert(item);
    } else {
        insert(value);
    }
    std::deque<Entry> result;
    for (std::size_t i = 0; i < span.first; ++i)
        if (!inserted.hasKey(entries[i].key)) result.push_back(entries[i]);
    result.insert(result.end(), inserted.entries.begin(), inserted.entries.end());
    for (std::size_t i = span.end; i < entries.size(); ++i)
        if (!inserted.hasKey(entries[i].key)) result.push_back(entries[i]);
    entries.swap(result);
    rebuildIndex();
}

text dict::toString() const {
    std::ostringstream out;
    out << *this;
    return text(out.str());
}

void dict::reset() {
    cursor = 0;
    stepPending = false;
}

bool dict::inBound() {
    if (stepPending) ++cursor;
    stepPending = false;
    return cursor < entries.size();
}

dyn dict::key() const { return cursor < entries.size() ? entries[cursor].key : dyn(); }

dyn dict::value() const { return cursor < entries.size() ? entries[cursor].value : dyn(); }

velarray dict::keys() const {
    velarray result;
    for (const Entry &e : entries) result.push(e.key);
    return result;
}

velarray dict::values() const {
    velarray result;
    for (const Entry &e : entries) result.push(e.value);
    return result;
}

int dict::find(const dyn &value) const {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (vel_equal(entries[i].value, value)) return static_cast<int>(i);
    return -1;
}

// Adds the value under the next free integer key and returns that key.
dyn dict::push(const dyn &value) {
    long long next = nextFreeKey();
    setAt(dyn(next), value);
    return dyn(next);
}

dyn dict::pop() {
    if (entries.empty()) return dyn();
    dyn last(entries.back().value);
    entries.pop_back();
    rebuildIndex();
    return last;
}

dyn dict::shift() {
    if (entries.empty()) return dyn();
    dyn first(entries.front().value);
    entries.erase(entries.begin());
    rebuildIndex();
    return first;
}

void dict::unshift(const text &key, const dyn &value) { insert(0, dyn(new vel_pair(dyn(key), value))); }

// Inserts at a position; a pair brings its own key, any other value gets the
// next free integer key.
void dict::insert(int position, const dyn &value) {
    dyn key, stored;
    if (value.kind() == dyn::PAIR) {
        key = normalizedKey(value.asPair()->key);
        stored = value.asPair()->value;
    } else {
        key = push(dyn());
        stored = value;
    }
    remove(key);
    std::size_t at = std::min(entries.size(), static_cast<std::size_t>(std::max(position, 0)));
    entries.insert(entries.begin() + static_cast<long>(at), Entry{key, stored});
    rebuildIndex();
}

void dict::concat(const dict &other) {
    dict added(other);  // other may be this dict
    for (const Entry &e : added.entries) setAt(e.key, e.value);
}

void dict::sort(bool descending) {
    std::stable_sort(entries.begin(), entries.end(), [descending](const Entry &a, const Entry &b) {
        return descending ? vel_compare(b.value, a.value) < 0 : vel_compare(a.value, b.value) < 0;
    });
    rebuildIndex();
}

void dict::kSort(bool descending) {
    std::stable_sort(entries.begin(), entries.end(), [descending](const Entry &a, const Entry &b) {
        return descending ? vel_compare(b.key, a.key) < 0 : vel_compare(a.key, b.key) < 0;
    });
    rebuildIndex();
}

dict dict::unique() const {
    dict result;
    velarray seen;
    for (const Entry &e : entries) {
        if (seen.in(e.value)) continue;
        seen.push(e.value);
        result.setAt(e.key, e.value);
    }
    return result;
}

int dict::display() const {
    std::cout << *this << '\n';
    return size();
}

// One "key<TAB>value" line per entry. Returns true when writing failed.
bool dict::store(const text &fileName) const {
    std::ofstream out(fileName.data, std::ios::binary);
    for (const Entry &e : entries) out << e.key << '\t' << e.value << '\n';
    out.close();
    return !out;
}

bool dict::load(const text &fileName, int append) {
    std::ifstream in(fileName.data, std::ios::binary);
    if (!in) return false;
    if (!append) {
        entries.clear();
        index.clear();
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        setAt(dyn(text(line.substr(0, tab))), dyn(text(line.substr(tab + 1))));
    }
    return true;
}

dict operator&(const dict &a, const dict &b) {
    dict result;
    for (const dict::Entry &e : a.items())
        if (b.hasKey(e.key)) result.setAt(e.key, e.value);
    return result;
}

dict operator|(const dict &a, const dict &b) {
    dict result(a);
    for (const dict::Entry &e : b.items())
        if (!a.hasKey(e.key)) result.setAt(e.key, e.value);
    return result;
}

dict operator^(const dict &a, const dict &b) {
    dict result;
    for (const dict::Entry &e : a.items())
        if (!b.hasKey(e.key)) result.setAt(e.key, e.value);
    for (const dict::Entry &e : b.items())
        if (!a.hasKey(e.key)) result.setAt(e.key, e.value);
    return result;
}

dict operator+(const dict &a, const dict &b) {
    dict merged(a);
    merged.concat(b);
    return merged;
}

bool operator==(const dict &a, const dict &b) {
    if (a.size() != b.size()) return false;
    for (const dict::Entry &e : a.items())
        if (!b.hasKey(e.key) || !vel_equal(b.at(e.key), e.value)) return false;
    return true;
}

std::ostream &operator<<(std::ostream &out, const dict &value) {
    out << '{';
    const char *separator = "";
    for (const dict::Entry &e : value.items()) {
        out << separator;
        vel_write_element(out, e.key);
        out << ": ";
        vel_write_element(out, e.value);
        separator = ", ";
    }
    return out << '}';
}
