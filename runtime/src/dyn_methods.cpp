// The built-in methods of dyn values (see dyn_methods.hpp), the sort order
// of the containers, their cursor steps, and min/max of numbers.
#include "velmora/libvel.hpp"

#include <cmath>
#include <cstdlib>

namespace {

// A number of a dyn with its kind, for comparisons that are exact across
// integers, naturals and reals.
struct Exact {
    enum Kind { SIGNED, UNSIGNED, REAL } kind = SIGNED;
    long long integer = 0;
    natural whole = 0;
    double real = 0;
};

Exact exactOf(const dyn &v) {
    Exact n;
    switch (v.kind()) {
    case dyn::BOOLEAN: n.integer = v.holdsBoolean() ? 1 : 0; break;
    case dyn::INTEGER: n.integer = v.holdsInteger(); break;
    case dyn::NATURAL: n.kind = Exact::UNSIGNED; n.whole = v.holdsNatural(); break;
    default: n.kind = Exact::REAL; n.real = v.holdsReal(); break;
    }
    return n;
}

template <class T>
int order(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A signed integer against a real that is not NaN: the real is split into
// its whole part, which then fits, and its fraction.
int compareSignedReal(long long i, double r) {
    if (r >= 9223372036854775808.0) return -1;
    if (r < -9223372036854775808.0) return 1;
    double whole = std::trunc(r);
    long long t = static_cast<long long>(whole);
    if (i != t) return order(i, t);
    return order(0.0, r - whole);
}

int compareUnsignedReal(natural u, double r) {
    if (r < 0) return 1;
    if (r >= 18446744073709551616.0) return -1;
    double whole = std::trunc(r);
    natural t = static_cast<natural>(whole);
    if (u != t) return order(u, t);
    return order(0.0, r - whole);
}

int compareExact(const Exact &a, const Exact &b) {
    bool aNan = a.kind == Exact::REAL && std::isnan(a.real);
    bool bNan = b.kind == Exact::REAL && std::isnan(b.real);
    if (aNan || bNan) return aNan == bNan ? 0 : (aNan ? 1 : -1);
    if (a.kind == Exact::REAL && b.kind == Exact::REAL) return order(a.real, b.real);
    if (a.kind == Exact::REAL) return -compareExact(b, a);
    if (b.kind == Exact::REAL)
        return a.kind == Exact::SIGNED ? compareSignedReal(a.integer, b.real) : compareUnsignedReal(a.whole, b.real);
    if (a.kind == Exact::UNSIGNED && b.kind == Exact::UNSIGNED) return order(a.whole, b.whole);
    if (a.kind == Exact::SIGNED && b.kind == Exact::SIGNED) return order(a.integer, b.integer);
    if (a.kind == Exact::SIGNED) return a.integer < 0 ? -1 : order(static_cast<natural>(a.integer), b.whole);
    return b.integer < 0 ? 1 : order(a.whole, static_cast<natural>(b.integer));
}

int rankOf(const dyn &v) {
    switch (v.kind()) {
    case dyn::NIL: return 0;
    case dyn::BOOLEAN:
    case dyn::INTEGER:
    case dyn::REAL:
    case dyn::NATURAL: return 1;
    case dyn::TEXT: return 2;
    case dyn::ARRAY: return 3;
    case dyn::DICT: return 4;
    case dyn::PAIR: return 5;
    case dyn::POINTER: return 6;
    }
    return 7;
}

int compareSequences(const velarray &a, const velarray &b) {
    for (int i = 0; i < a.size() && i < b.size(); ++i) {
        int o = vel_sort_compare(a.elements()[static_cast<std::size_t>(i)], b.elements()[static_cast<std::size_t>(i)]);
        if (o != 0) return o;
    }
    return order(a.size(), b.size());
}

[[noreturn]] void cannotAdd(const dyn &receiver, const char *method) {
    vel_fatal(std::string("cannot ") + method + " an element into a " +
              (receiver.kind() == dyn::TEXT ? "text" : "value that is no container (" + dyn::toText(receiver).data + ")"));
}

}  // namespace

int vel_sort_compare(const dyn &a, const dyn &b) {
    int rank = rankOf(a);
    if (rank != rankOf(b)) return order(rank, rankOf(b));
    switch (rank) {
    case 1: return compareExact(exactOf(a), exactOf(b));
    case 2: return vel_compare_texts(*a.asText(), *b.asText());
    case 3: return compareSequences(*a.asArray(), *b.asArray());
    case 4: {
        int o = compareSequences(a.asDict()->values(), b.asDict()->values());
        return o != 0 ? o : compareSequences(a.asDict()->keys(), b.asDict()->keys());
    }
    case 5: {
        int o = vel_sort_compare(a.asPair()->key, b.asPair()->key);
        return o != 0 ? o : vel_sort_compare(a.asPair()->value, b.asPair()->value);
    }
    default: return 0;
    }
}

void vel_move_cursor(std::size_t &cursor, bool &stepPending, std::size_t size, int direction) {
    if (stepPending && cursor < size) ++cursor;
    stepPending = false;
    switch (direction) {
    case 0: cursor = 0; break;
    case 2: cursor = size == 0 ? 0 : size - 1; break;
    case 1:
        if (cursor < size) ++cursor;
        break;
    default:
        // Before the first element is outside, as past the last one is.
        cursor = cursor == 0 || cursor >= size ? size : cursor - 1;
        break;
    }
}

dyn vel_call_function(function f, const dyn &element) {
    if (f == nullptr) return element;
    // The documented calling convention of a function held as a `function`.
    dyn (*call)(dyn) = reinterpret_cast<dyn (*)(dyn)>(f);
    return call(element);
}

vel_ctext::operator char *() const { return _vel_cstring(*this); }

double min(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::nan("");
    return b < a ? b : a;
}

double max(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::nan("");
    return b > a ? b : a;
}

// ---------------------------------------------------------------------------
// dyn

velarray dyn::toObject() const { return toArray(*this); }

vel_ctext dyn::toString() const { return toText(*this); }

vel_ctext dyn::toString(const text &separator) const { return toArray(*this).join(separator); }

dyn &vel_dyn_methods::self() { return static_cast<dyn &>(*this); }
const dyn &vel_dyn_methods::self() const { return static_cast<const dyn &>(*this); }

text vel_dyn_methods::capitalize() const { return dyn::toText(self()).capitalize(); }
int vel_dyn_methods::compare(const text &other) const { return dyn::toText(self()).compare(other); }
text vel_dyn_methods::dup(int times) const { return dyn::toText(self()).dup(times); }

void vel_dyn_methods::fill(const text &pattern, int count) {
    text filled;
    filled.fill(pattern, count);
    self() = dyn(std::move(filled));
}

int vel_dyn_methods::find(const dyn &item, int from) const {
    const dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->find(item, from);
    if (v.kind() == dyn::DICT) return v.asDict()->find(item, from);
    return dyn::toText(v).find(dyn::toText(item), from);
}

int vel_dyn_methods::findLast(const dyn &item, int from) const {
    const dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->findLast(item, from);
    if (v.kind() == dyn::DICT) return v.asDict()->findLast(item, from);
    return dyn::toText(v).find_last_of(dyn::toText(item), from);
}

int vel_dyn_methods::findLast() const {
    const dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->size() - 1;
    if (v.kind() == dyn::DICT) return v.asDict()->findLast();
    return dyn::toText(v).length() - 1;
}

int vel_dyn_methods::findLex(const text &needle, int from) const { return dyn::toText(self()).findLex(needle, from); }

int vel_dyn_methods::identical(const text &other) const {
    const dyn &v = self();
    return v.kind() == dyn::TEXT && v.asText()->data == other.data ? 1 : 0;
}

void vel_dyn_methods::insert(int position, const dyn &item) {
    dyn &v = self();
    if (v.isNil()) v = dyn(velarray());
    if (v.kind() == dyn::ARRAY) {
        v.asArray()->insert(position, item);
    } else if (v.kind() == dyn::DICT) {
        v.asDict()->insert(position, item);
    } else {
        text changed = dyn::toText(v);
        changed.insert(position, dyn::toText(item));
        v = dyn(std::move(changed));
    }
}

text vel_dyn_methods::lower() const { return dyn::toText(self()).lower(); }
text vel_dyn_methods::upper() const { return dyn::toText(self()).upper(); }
text vel_dyn_methods::lTrim() const { return dyn::toText(self()).lTrim(); }
text vel_dyn_methods::rTrim() const { return dyn::toText(self()).rTrim(); }
text vel_dyn_methods::trim() const { return dyn::toText(self()).trim(); }

text vel_dyn_methods::replace(const text &from, const text &to) const {
    return dyn::toText(self()).replace(from, to);
}

void vel_dyn_methods::reserve(int) {}

text vel_dyn_methods::wrap(int width) const { return dyn::toText(self()).wrap(width); }

void *vel_dyn_methods::toFunction() const { return self().rawPointer(); }

vel_ctext vel_dyn_methods::toStr() const { return dyn::toText(self()); }

dyn vel_dyn_methods::begin() {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->begin();
    if (v.kind() == dyn::DICT) return v.asDict()->begin();
    return dyn();
}

dyn vel_dyn_methods::end() {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->end();
    if (v.kind() == dyn::DICT) return v.asDict()->end();
    return dyn();
}

dyn vel_dyn_methods::inc() {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->inc();
    if (v.kind() == dyn::DICT) return v.asDict()->inc();
    return dyn();
}

dyn vel_dyn_methods::dec() {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->dec();
    if (v.kind() == dyn::DICT) return v.asDict()->dec();
    return dyn();
}

int vel_dyn_methods::index() const {
    const dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->index();
    if (v.kind() == dyn::DICT) return v.asDict()->index();
    return -1;
}

bool vel_dyn_methods::empty() const { return !dyn::toBoolean(self()); }

text vel_dyn_methods::join(const text &separator) const { return dyn::toArray(self()).join(separator); }

velarray vel_dyn_methods::keys() const {
    const dyn &v = self();
    return v.kind() == dyn::DICT ? v.asDict()->keys() : dyn::toArray(v).keys();
}

void vel_dyn_methods::kSort(bool descending) {
    dyn &v = self();
    if (v.kind() == dyn::DICT) v.asDict()->kSort(descending);
}

// A dyn takes what the file holds: an array (the lines of a plain file), a
// dict or a single value; a held array or dict loads as it would itself.
bool vel_dyn_methods::load(const text &fileName, int append) {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->load(fileName, append);
    if (v.kind() == dyn::DICT) return v.asDict()->load(fileName, append);
    dyn loaded;
    bool plain = false;
    if (!vel_load_value(fileName, loaded, plain)) return false;
    v = std::move(loaded);
    return true;
}

velarray vel_dyn_methods::map(void *f) const { return dyn::toArray(self()).map(f); }

dyn vel_dyn_methods::max() const { return dyn::toArray(self()).max(); }
dyn vel_dyn_methods::min() const { return dyn::toArray(self()).min(); }

dyn vel_dyn_methods::merge(const dyn &other) {
    dyn &v = self();
    if (v.isNil()) v = dyn(velarray());
    if (v.kind() == dyn::ARRAY) return v.asArray()->merge(other);
    if (v.kind() == dyn::DICT) return v.asDict()->merge(other);
    cannotAdd(v, "merge");
}

void vel_dyn_methods::pack() {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) v.asArray()->pack();
    if (v.kind() == dyn::DICT) v.asDict()->pack();
}

dyn vel_dyn_methods::pop() {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->pop();
    if (v.kind() == dyn::DICT) return v.asDict()->pop();
    return dyn();
}

dyn vel_dyn_methods::shift() {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) return v.asArray()->shift();
    if (v.kind() == dyn::DICT) return v.asDict()->shift();
    return dyn();
}

void vel_dyn_methods::push(const dyn &item) {
    dyn &v = self();
    if (v.isNil()) v = dyn(velarray());
    if (v.kind() == dyn::ARRAY) {
        v.asArray()->push(item);
    } else if (v.kind() == dyn::DICT) {
        v.asDict()->push(item);
    } else {
        cannotAdd(v, "push");
    }
}

void vel_dyn_methods::unshift(const dyn &item) {
    dyn &v = self();
    if (v.isNil()) v = dyn(velarray());
    if (v.kind() == dyn::ARRAY) {
        v.asArray()->unshift(item);
    } else if (v.kind() == dyn::DICT) {
        v.asDict()->unshift(item);
    } else {
        cannotAdd(v, "unshift");
    }
}

void vel_dyn_methods::unshift(const text &key, const dyn &item) {
    dyn &v = self();
    if (v.isNil()) v = dyn(dict());
    if (v.kind() != dyn::DICT) cannotAdd(v, "unshift");
    v.asDict()->unshift(key, item);
}

void vel_dyn_methods::concat(const dict &other) {
    dyn &v = self();
    if (v.isNil()) v = dyn(dict());
    if (v.kind() == dyn::DICT) {
        v.asDict()->concat(other);
    } else if (v.kind() == dyn::ARRAY) {
        *v.asArray() += other.values();
    } else {
        cannotAdd(v, "concat");
    }
}

dyn vel_dyn_methods::rand() const { return dyn::toArray(self()).rand(); }

velarray vel_dyn_methods::reverse() const { return dyn::toArray(self()).reverse(); }

void vel_dyn_methods::sort(int descending) {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) v.asArray()->sort(descending);
    if (v.kind() == dyn::DICT) v.asDict()->sort(descending != 0);
}

void vel_dyn_methods::rsort(int ascending) { sort(ascending ? 0 : 1); }

void vel_dyn_methods::splice(int position, int count) {
    dyn &v = self();
    if (v.kind() == dyn::ARRAY) v.asArray()->splice(position, count);
    if (v.kind() == dyn::DICT) v.asDict()->splice(position, count);
}

bool vel_dyn_methods::store(const text &fileName) const { return vel_store_value(fileName, self()); }

double vel_dyn_methods::sum() const { return dyn::toArray(self()).sum(); }

velarray vel_dyn_methods::unique() const { return dyn::toArray(self()).unique(); }

velarray vel_dyn_methods::values() const { return dyn::toArray(self()); }

// An array has the keys 0 to its size - 1.
bool vel_dyn_methods::hasKey(const dyn &key) const {
    const dyn &v = self();
    if (v.kind() == dyn::DICT) return v.asDict()->hasKey(key);
    if (v.kind() != dyn::ARRAY) return false;
    bool numeric = key.isNumeric() || (key.kind() == dyn::TEXT && key.asText()->isNumber());
    if (!numeric) return false;
    double position = dyn::toReal(key);
    return position >= 0 && position < v.asArray()->size() && position == std::floor(position);
}

text vel_dyn_methods::toXML() const {
    const dyn &v = self();
    if (v.kind() == dyn::DICT) return v.asDict()->toXML();
    if (v.kind() == dyn::ARRAY) return dyn::toDict(v).toXML();
    dict single;
    single.setAt(dyn("value"), v);
    return single.toXML();
}
