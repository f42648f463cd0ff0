// dict: the dictionary keyed by texts or integers, in insertion order.
#include "velmora/libvel.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

// The steps of a key lookup: inline, since a call costs as much as a step
// under wasm.
#define VEL_LOOKUP_STEP __attribute__((always_inline)) inline

namespace {

[[noreturn]] void refuseKey(const dyn &key) {
    vel_fatal("a dict key must be a text or a number, not " +
              (key.isNil() ? std::string("nil") : "\"" + dyn::toText(key).data + "\""));
}

// The stored form of a key: a text, or a number truncated to an integer.
dyn normalizedKey(const dyn &key) {
    if (key.kind() == dyn::TEXT) return key;
    if (key.isNumeric()) return dyn(dyn::toInt64(key));
    refuseKey(key);
}

// Read by every missing key.
const dyn &nilValue() {
    static const dyn nil;
    return nil;
}

}  // namespace

vel_dict_key vel_key_of(const dyn &key) {
    if (key.kind() == dyn::TEXT) return vel_dict_key{&key.asText()->data, 0, true};
    if (key.isNumeric()) return vel_dict_key{nullptr, dyn::toInt64(key), true};
    return vel_dict_key{nullptr, 0, false};
}

dict::dict(std::initializer_list<dyn> pairs) {
    for (const dyn &item : pairs) {
        if (item.kind() == dyn::PAIR)
            setAt(item.asPair()->key, item.asPair()->value);
        else
            push(item);
    }
}

namespace {

// Keys that differ mostly differ in their last byte too ("key17", "key18"):
// testing it first spares the comparison of the whole text.
VEL_LOOKUP_STEP bool sameText(const std::string &a, const std::string &b) {
    const std::size_t size = a.size();
    return size == b.size() && (size == 0 || (a[size - 1] == b[size - 1] && std::memcmp(a.data(), b.data(), size) == 0));
}

// Whether a stored key is the key looked up: a text by its bytes, anything
// else by its integer value.
VEL_LOOKUP_STEP bool isKey(const dyn &stored, const vel_dict_key &key) {
    if (key.textKey != nullptr) return stored.kind() == dyn::TEXT && sameText(stored.asText()->data, *key.textKey);
    if (stored.kind() == dyn::INTEGER) return stored.holdsInteger() == key.number;
    return stored.kind() != dyn::TEXT && dyn::toInt64(stored) == key.number;
}

}  // namespace

// d[k] = d[k] + x and "if k in d" before d[k] look the same key up twice in a
// row: the entry found last is tried before the hash index. Keys are unique,
// so an entry with the key is the one, however the entries changed since.
long dict::indexOf(const vel_dict_key &key) const {
    if (!key.usable) return -1;
    if (lastFound < entries.size() && isKey(entries[lastFound].key, key)) return static_cast<long>(lastFound);
    long position = searchIndex(key);
    if (position >= 0) lastFound = static_cast<std::size_t>(position);
    return position;
}

namespace {

// Murmur3's finalizer: every bit of the input moves every bit of the hash.
VEL_LOOKUP_STEP std::uint32_t mixed(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x85ebca6bu;
    h ^= h >> 13;
    h *= 0xc2b2ae35u;
    return h ^ (h >> 16);
}

// Four bytes at a time: keys are mostly short, and this is the whole cost
// of hashing one.
VEL_LOOKUP_STEP std::uint32_t textHash(const std::string &bytes) {
    std::uint32_t h = static_cast<std::uint32_t>(bytes.size()) * 0x9e3779b1u;
    const char *at = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 4; left -= 4, at += 4) {
        std::uint32_t word;
        std::memcpy(&word, at, 4);
        h = (h ^ word) * 0x9e3779b1u;
        h = (h << 13) | (h >> 19);
    }
    std::uint32_t tail = 0;
    for (std::size_t i = 0; i < left; i++)
        tail |= static_cast<std::uint32_t>(static_cast<unsigned char>(at[i])) << (8 * i);
    return mixed(h ^ tail);
}

// Integer keys hash apart from texts only by chance; the key comparison
// tells them apart.
VEL_LOOKUP_STEP std::uint32_t numberHash(long long number) {
    auto bits = static_cast<unsigned long long>(number);
    return mixed(static_cast<std::uint32_t>(bits) ^ mixed(static_cast<std::uint32_t>(bits >> 32) + 0x5bd1e995u));
}

VEL_LOOKUP_STEP std::uint32_t hashOf(const vel_dict_key &key) {
    return key.textKey != nullptr ? textHash(*key.textKey) : numberHash(key.number);
}

vel_dict_key storedKey(const dyn &stored) {
    if (stored.kind() == dyn::TEXT) return vel_dict_key{&stored.asText()->data, 0, true};
    return vel_dict_key{nullptr, dyn::toInt64(stored), true};
}

}  // namespace

// The slot that holds the key, or the free slot where it would go: the
// table is never full, so the probe ends.
std::size_t dict::slotFor(const vel_dict_key &key, std::uint32_t hash) const {
    const std::size_t mask = keyIndex.size() - 1;
    std::size_t at = hash & mask;
    while (keyIndex[at].position != 0 &&
           !(keyIndex[at].hash == hash && isKey(entries[keyIndex[at].position - 1].key, key)))
        at = (at + 1) & mask;
    return at;
}

long dict::searchIndex(const vel_dict_key &key) const {
    if (keyIndex.empty()) return -1;
    const IndexSlot &slot = keyIndex[slotFor(key, hashOf(key))];
    return slot.position == 0 ? -1 : static_cast<long>(slot.position - 1);
}

// A key met again (only while rebuilding) takes the later position, so
// that the last of equal keys is the one found.
void dict::indexEntry(std::size_t position) {
    if ((keysIndexed + 1) * 2 > keyIndex.size()) growIndex();
    const vel_dict_key key = storedKey(entries[position].key);
    const std::uint32_t hash = hashOf(key);
    IndexSlot &slot = keyIndex[slotFor(key, hash)];
    if (slot.position == 0) keysIndexed++;
    slot = IndexSlot{hash, static_cast<std::uint32_t>(position + 1)};
}

void dict::growIndex() {
    std::vector<IndexSlot> old(std::max<std::size_t>(16, keyIndex.size() * 2), IndexSlot{0, 0});
    old.swap(keyIndex);
    const std::size_t mask = keyIndex.size() - 1;
    for (const IndexSlot &slot : old) {
        if (slot.position == 0) continue;
        std::size_t at = slot.hash & mask;
        while (keyIndex[at].position != 0) at = (at + 1) & mask;
        keyIndex[at] = slot;
    }
}

void dict::rebuildIndex() {
    keyIndex.clear();
    keysIndexed = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) indexEntry(i);
}

const dyn &dict::valueAt(const vel_dict_key &key) const {
    long position = indexOf(key);
    return position < 0 ? nilValue() : entries[static_cast<std::size_t>(position)].value;
}

dyn &dict::valueFor(const vel_dict_key &key) {
    long position = indexOf(key);
    if (position >= 0) return entries[static_cast<std::size_t>(position)].value;
    entries.push_back(Entry{key.textKey != nullptr ? dyn(text(*key.textKey)) : dyn(key.number), dyn()});
    indexEntry(entries.size() - 1);
    lastFound = entries.size() - 1;
    return entries.back().value;
}

dyn &dict::operator[](const dyn &key) {
    vel_dict_key found = vel_key_of(key);
    if (!found.usable) refuseKey(key);
    entries.pin();
    return valueFor(found);
}

const dyn &dict::at(const dyn &key) const { return valueAt(vel_key_of(key)); }

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
    vel_chunked_array<Entry> result;
    for (std::size_t i = 0; i < span.first; ++i)
        if (!inserted.hasKey(entries[i].key)) result.push_back(entries[i]);
    result.insert(result.end(), inserted.entries.begin(), inserted.entries.end());
    for (std::size_t i = span.end; i < entries.size(); ++i)
        if (!inserted.hasKey(entries[i].key)) result.push_back(entries[i]);
    entries.swap(result);
    rebuildIndex();
}

vel_ctext dict::toString() const {
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

// Keys are reported as texts, whatever kind they were stored as.
text dict::key() const { return cursor < entries.size() ? entries[cursor].key.toText() : text(); }

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

int dict::find(const dyn &value, int from) const {
    for (std::size_t i = from < 0 ? 0 : static_cast<std::size_t>(from); i < entries.size(); ++i)
        if (vel_equal(entries[i].value, value)) return static_cast<int>(i);
    return -1;
}

int dict::findLast(const dyn &value, int from) const {
    std::size_t end = from < 0 ? entries.size() : std::min(entries.size(), static_cast<std::size_t>(from) + 1);
    for (std::size_t i = end; i > 0; --i)
        if (vel_equal(entries[i - 1].value, value)) return static_cast<int>(i - 1);
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

// A value without a key goes first under the next free integer key.
void dict::unshift(const dyn &value) { insert(0, value); }

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

// Sorted with vel_sort_compare, the strict order std::stable_sort needs:
// integer keys come before text keys.
void dict::sort(bool descending) {
    std::stable_sort(entries.begin(), entries.end(), [descending](const Entry &a, const Entry &b) {
        return descending ? vel_sort_compare(b.value, a.value) < 0 : vel_sort_compare(a.value, b.value) < 0;
    });
    rebuildIndex();
}

void dict::kSort(bool descending) {
    std::stable_sort(entries.begin(), entries.end(), [descending](const Entry &a, const Entry &b) {
        return descending ? vel_sort_compare(b.key, a.key) < 0 : vel_sort_compare(a.key, b.key) < 0;
    });
    rebuildIndex();
}

dyn dict::merge(const dyn &other) {
    if (other.kind() == dyn::DICT) {
        concat(*other.asDict());
    } else if (other.kind() == dyn::PAIR) {
        setAt(other.asPair()->key, other.asPair()->value);
    } else if (!other.isNil()) {
        velarray added = vel_elements_of(other);
        for (const dyn &e : added.elements()) push(e);
    }
    return dyn(*this);
}

void dict::pack() {
    entries.erase(std::remove_if(entries.begin(), entries.end(), [](const Entry &e) { return e.value.isNil(); }),
                  entries.end());
    rebuildIndex();
}

void dict::splice(int position, int count) {
    if (count <= 0) return;
    std::size_t first = position < 0 ? 0 : std::min(entries.size(), static_cast<std::size_t>(position));
    std::size_t removed = std::min(entries.size() - first, static_cast<std::size_t>(count));
    entries.erase(entries.begin() + static_cast<long>(first), entries.begin() + static_cast<long>(first + removed));
    rebuildIndex();
}

dyn dict::begin() {
    vel_move_cursor(cursor, stepPending, entries.size(), 0);
    return value();
}

dyn dict::end() {
    vel_move_cursor(cursor, stepPending, entries.size(), 2);
    return value();
}

dyn dict::inc() {
    vel_move_cursor(cursor, stepPending, entries.size(), 1);
    return value();
}

dyn dict::dec() {
    vel_move_cursor(cursor, stepPending, entries.size(), -1);
    return value();
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

// In the format of store.cpp. Returns true when writing failed, and then
// raises dyn::error itself, since velc discards the result of a dict's store.
bool dict::store(const text &fileName) const { return vel_store_value(fileName, dyn(*this)); }

// A stored dict gives its entries, a stored array its elements under the
// keys 0, 1, ..., a stored single value one entry under the next free key
// (nil: none); any other file gives its "key<TAB>value" lines as texts
// (lines without a tab are skipped). Later keys replace earlier ones.
bool dict::load(const text &fileName, int append) {
    dyn loaded;
    bool plain = false;
    if (!vel_load_value(fileName, loaded, plain)) return false;
    dict result = append ? *this : dict();
    if (plain) {
        for (const dyn &line : loaded.asArray()->elements()) {
            const std::string &bytes = line.asText()->data;
            std::size_t tab = bytes.find('\t');
            if (tab != std::string::npos)
                result.setAt(dyn(text(bytes.substr(0, tab))), dyn(text(bytes.substr(tab + 1))));
        }
    } else if (loaded.kind() == dyn::DICT) {
        result.concat(*loaded.asDict());
    } else if (loaded.kind() == dyn::ARRAY) {
        const velarray &elements = *loaded.asArray();
        for (int i = 0; i < elements.size(); ++i) result.setAt(dyn(i), elements.at(i));
    } else if (!loaded.isNil()) {
        result.push(loaded);
    }
    *this = std::move(result);
    return true;
}

namespace {

// A key that can be an element name: a letter or "_" first, then letters,
// digits, "_", "-" and ".".
bool isElementName(const dyn &key) {
    if (key.kind() != dyn::TEXT) return false;
    const std::string &name = key.asText()->data;
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.')) return false;
    return true;
}


void writeXmlElement(std::string &out, const dyn &key, const dyn &value);

void writeXmlContent(std::string &out, const dyn &value) {
    if (value.kind() == dyn::DICT) {
        for (const dict::Entry &e : value.asDict()->items()) writeXmlElement(out, e.key, e.value);
    } else if (value.kind() == dyn::ARRAY) {
        for (const dyn &e : value.asArray()->elements()) writeXmlElement(out, dyn("item"), e);
    } else if (value.kind() == dyn::PAIR) {
        writeXmlElement(out, value.asPair()->key, value.asPair()->value);
    } else {
        out += vel_xml_escaped(dyn::toText(value).data);
    }
}

void writeXmlElement(std::string &out, const dyn &key, const dyn &value) {
    std::string open = isElementName(key) ? key.asText()->data
                                          : "item key=\"" + vel_xml_escaped(dyn::toText(key).data) + "\"";
    std::string name = isElementName(key) ? key.asText()->data : "item";
    if (value.isNil()) {
        out += "<" + open + "/>";
        return;
    }
    out += "<" + open + ">";
    writeXmlContent(out, value);
    out += "</" + name + ">";
}

}  // namespace

// The variable of an XML literal is written back as its element. Otherwise
// each entry is an element named by its key; a key that is no element name
// becomes <item key="...">. Arrays give one <item> per element, dicts nest,
// nil is an empty element, other values their escaped text.
text dict::toXML() const {
    if (vel_is_xml_element(*this)) return vel_xml_text(*this);
    std::string out;
    for (const Entry &e : entries) writeXmlElement(out, e.key, e.value);
    return text(std::move(out));
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
