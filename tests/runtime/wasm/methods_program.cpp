// Every built-in method on every receiver type that reaches it, and the
// global functions, each written the way velc emits the call (form 1
// T(R, ...), forms 5/14 R.N(...), form 12 R.T(...), form 4 R.insert(p, v),
// form 11 dyn::error.set(R.store(n))). Run natively and as a WebAssembly
// module in an empty scratch directory; both must print methods_expected.txt
// and remove the files they store.
#include <velmora/libvel.hpp>

#include <cstdio>

#define SHOW(expression) std::cout << #expression << " -> " << (expression) << "\n"
// A call without a result, then what it left in the receiver.
#define DO(statement, receiver)                                        \
    do {                                                               \
        statement;                                                     \
        std::cout << #statement << " => " << (receiver) << "\n";       \
    } while (0)

namespace {

function fn;  // a function variable nothing was assigned to

dyn twice(dyn x) { return x * dyn(2); }
int plusOne(int x) { return x + 1; }

void numbers() {
    double number = 2.5;
    int integer = 7;
    double real = -1.5;
    natural whole = 3;
    SHOW(intval(number));
    SHOW(doubleval(number));
    SHOW(str(number));
    SHOW(naturalval(number));
    SHOW(str(integer));
    SHOW(doubleval(integer));
    SHOW(naturalval(integer));
    SHOW(str(real));
    SHOW(int(real));
    SHOW(naturalval(real));
    SHOW(str(whole));
    SHOW(int(whole));
    SHOW(doubleval(whole));
}

void texts() {
    text x = text("a,b");
    SHOW(x.capitalize());
    SHOW(x.compare(","));
    SHOW(x.dup(3));
    SHOW(x.dup(-1));
    SHOW(x.find(","));
    SHOW(x.find(",", 2));
    SHOW(x.findLast(","));
    SHOW(x.findLex("A,"));
    SHOW(x.identical("a,b"));
    SHOW(x.isNumber());
    SHOW(x.length());
    SHOW(x.lower());
    SHOW(text("  pad ").lTrim());
    SHOW(x.replace(",", ";"));
    SHOW(text("  pad ").rTrim());
    SHOW(explode(x.data, ","));
    SHOW(explode("", ","));
    SHOW(explode("abc", ""));
    SHOW(text(" t ").trim());
    SHOW((x.toFunction() == nullptr));
    SHOW(text("12.5kg").toInt());
    SHOW(text("12.5kg").toInteger());
    SHOW(naturalval(text("42").data));
    SHOW(text("0x1A").toNumber());
    SHOW(text("-3e2").toReal());
    SHOW(x.toStr());
    SHOW(x.upper());
    SHOW(text("the quick brown fox").wrap(10));
    SHOW(x.slice(1));
    SHOW(x.slice(0, 2));
    SHOW(x.slice(5, 9));
    DO(x.insert(1, "XY"), x);
    DO(x.insert(-4, "<"), x);
    DO(x.reserve(100), x);
    DO(x.fill(",", 2), x);
    char *cstring = text("kept").toStr();
    std::cout << "char * from toStr: " << cstring << "\n";
    DO(text("stored text").toFile("text.txt"), _vel_ftostr("text.txt"));
    std::remove("text.txt");
}

void arrays() {
    velarray x = velarray{dyn(3), dyn("x"), dyn(1.5)};
    SHOW(x.begin());
    SHOW(x.inc());
    SHOW(x.index());
    SHOW(x.end());
    SHOW(x.inc());
    SHOW(x.index());
    SHOW(x.dec());
    SHOW(x.empty());
    SHOW(x.find(dyn(1.5)));
    SHOW(x.findLast(dyn("y")));
    SHOW(x.in(dyn("x")));
    SHOW(x.join(","));
    SHOW(x.key());
    SHOW(x.keys());
    SHOW(x.length());
    SHOW(x.map(fn));
    SHOW(x.map(twice));
    SHOW(x.max());
    SHOW(x.min());
    SHOW(x.rand());
    SHOW(x.reverse());
    SHOW(x.size());
    SHOW(x.slice(1, 2));
    SHOW(x.sum());
    SHOW(x.toText());
    SHOW(x.toText("|"));
    SHOW(x.toString());
    SHOW(x.toString("+"));
    SHOW(x.unique());
    SHOW(x.value());
    SHOW(x.values());
    DO(x.display(), x);
    DO(x.kSort(), x);
    DO(x.insert(1, dyn(true)), x);
    DO(x.insert(99, dyn("last")), x);
    SHOW(x.merge(dyn(velarray{dyn(9), dyn()})));
    DO(x.pack(), x);
    SHOW(x.pop());
    SHOW(x.shift());
    DO(x.push(dyn(-2)), x);
    DO(x.unshift(dyn("first")), x);
    DO(x.sort(), x);
    DO(x.sort(1), x);
    DO(x.rsort(), x);
    DO(x.rsort(1), x);
    DO(x.splice(1, 2), x);
    DO(x.splice(-3, 100), x);
    SHOW(velarray().pop());
    SHOW(velarray().max());
    SHOW(velarray().sum());
    char *cstring = velarray{dyn(1)}.toString();
    std::cout << "char * from toString: " << cstring << "\n";

    velarray nested = velarray{dyn("line\nbreak \\ \"q\""), dyn(velarray{dyn(1), dyn(true), dyn()}),
                               dyn(dict{dyn(new vel_pair("k", 2.5)), dyn(new vel_pair(7, "seven"))}),
                               dyn(18446744073709551615ULL), dyn(-0.1), dyn(false)};
    dyn::error.set(nested.store("array.txt"));
    std::cout << "store error: " << bool(dyn::error) << "\n";
    velarray loaded;
    SHOW(loaded.load("array.txt"));
    SHOW((loaded == nested));
    SHOW(loaded);
    SHOW(loaded.load("array.txt", 1));
    SHOW(loaded.size());
    std::remove("array.txt");
    SHOW(loaded.load("missing.txt"));
    std::cout << "load error: " << bool(dyn::error) << "\n";
    dyn::error.set(false);
}

void dicts() {
    dict x = dict{dyn(new vel_pair("k", 1)), dyn(new vel_pair("j", 2))};
    SHOW(x.display());
    SHOW(x.size());
    SHOW(x.find(dyn(2)));
    SHOW(x.findLast());
    SHOW(x.hasKey("k"));
    SHOW(x.hasKey("z"));
    SHOW(x.keys());
    SHOW(x.values());
    SHOW(x.slice(1, 1));
    SHOW(x.slice(0, 2));
    SHOW(x.unique());
    SHOW(x.toXML());
    SHOW(x.begin());
    SHOW(x.inc());
    SHOW(x.index());
    SHOW(x.end());
    SHOW(x.dec());
    SHOW(x.empty());
    SHOW(x.in(dyn("j")));
    SHOW(x.join(","));
    SHOW(x.key());
    SHOW(x.length());
    SHOW(x.map(fn));
    SHOW(x.map(twice));
    SHOW(x.max());
    SHOW(x.min());
    SHOW(x.rand());
    SHOW(x.reverse());
    SHOW(x.sum());
    SHOW(x.toText());
    SHOW(x.toString());
    SHOW(x.toString(";"));
    SHOW(x.value());
    SHOW(x.push(dyn("pushed")));
    DO(x.unshift("a", dyn(0)), x);
    DO(x.insert(1, dyn("inserted")), x);
    DO(x.concat(dict{dyn(new vel_pair("z", 3))}), x);
    SHOW(x.merge(dyn(velarray{dyn(4)})));
    SHOW(x.pop());
    SHOW(x.shift());
    DO(x.sort(), x);
    DO(x.sort(true), x);
    DO(x.ksort(), x);
    DO(x.ksort(true), x);
    DO(x.rsort(), x);
    DO(x.splice(0, 1), x);
    DO(x.setAt("gone", dyn()), x);
    DO(x.pack(), x);
    x.store("dict.txt");
    dict loaded;
    SHOW(loaded.load("dict.txt"));
    SHOW((loaded == x));
    std::remove("dict.txt");
    SHOW(loaded.load("missing.txt"));
    dyn::error.set(false);
}

void vars() {
    // Var rows.
    dyn v = dyn("12");
    SHOW(v.isArray());
    SHOW(v.isDict());
    SHOW(v.isText());
    SHOW(v.sNumber());
    SHOW(v.isBoolean());
    SHOW(v.isNatural());
    SHOW(v.isReal());
    SHOW(v.isInt());
    SHOW(v.isInteger());
    SHOW(v.isFile());
    SHOW(v.isObject());
    SHOW(v.toInt());
    SHOW(v.toInteger());
    SHOW(v.toReal());
    SHOW(v.toNatural());
    SHOW(v.toText());
    SHOW(v.toArray());
    SHOW(v.toDict());
    SHOW((v.toFile() == nullptr));
    SHOW(v.toBoolean());
    SHOW(v.toObject());
    SHOW(v.arrayType());
    SHOW(str(v));
    SHOW(intval(v));
    SHOW(int(v));

    // Text rows on a var.
    dyn t = dyn("a,b");
    SHOW(t.capitalize());
    SHOW(t.compare(","));
    SHOW(t.dup(2));
    SHOW(t.find(","));
    SHOW(t.find(",", 2));
    SHOW(t.findLast(","));
    SHOW(t.findLex("B"));
    SHOW(t.identical("a,b"));
    SHOW(dyn(5).identical("5"));
    SHOW(t.length());
    SHOW(t.lower());
    SHOW(t.lTrim());
    SHOW(t.replace(",", "-"));
    SHOW(t.rTrim());
    SHOW(explode(t, ","));
    SHOW(t.trim());
    SHOW((t.toFunction() == nullptr));
    SHOW(t.toStr());
    SHOW(t.upper());
    SHOW(t.wrap(1));
    SHOW(t.slice(1));
    SHOW(t.slice(0, 1));
    DO(t.insert(1, "+"), t);
    DO(t.reserve(8), t);
    DO(t.fill("ab", 2), t);

    // Array rows on a var.
    dyn a = dyn(velarray{dyn(3), dyn(1), dyn(2)});
    SHOW(a.begin());
    SHOW(a.inc());
    SHOW(a.end());
    SHOW(a.dec());
    SHOW(a.index());
    SHOW(a.empty());
    SHOW(a.find(dyn(2)));
    SHOW(a.findLast(dyn(2)));
    SHOW(a.in(dyn(1)));
    SHOW(a.join(","));
    SHOW(a.key());
    SHOW(a.keys());
    SHOW(a.map(fn));
    SHOW(a.map(plusOne));
    SHOW(a.max());
    SHOW(a.min());
    SHOW(a.rand());
    SHOW(a.reverse());
    SHOW(a.size());
    SHOW(a.sum());
    SHOW(a.toString());
    SHOW(a.toString("/"));
    SHOW(a.unique());
    SHOW(a.value());
    SHOW(a.values());
    DO(a.display(), a);
    DO(a.kSort(), a);
    DO(a.insert(1, dyn(9)), a);
    SHOW(a.merge(dyn(velarray{dyn(0)})));
    DO(a.pack(), a);
    SHOW(a.pop());
    SHOW(a.shift());
    DO(a.push(dyn(7)), a);
    DO(a.unshift(dyn(8)), a);
    DO(a.sort(), a);
    DO(a.rsort(), a);
    DO(a.splice(1, 1), a);
    dyn::error.set(a.store("var.txt"));
    dyn back;
    SHOW(back.load("var.txt"));
    SHOW(back);
    std::remove("var.txt");

    // Dict rows on a var.
    dyn d = dyn(dict{dyn(new vel_pair("k", 1)), dyn(new vel_pair("j", 2))});
    SHOW(d.hasKey("k"));
    SHOW(d.find(dyn(2)));
    SHOW(d.join("&"));
    SHOW(d.toXML());
    DO(d.concat(dict{dyn(new vel_pair("z", 3))}), d);
    DO(d.push(dyn("p")), d);
    DO(d.unshift(dyn("u")), d);
    DO(d.kSort(), d);
    DO(d.sort(1), d);

    // Nil and scalars.
    dyn nil;
    SHOW(nil.pop());
    SHOW(nil.max());
    SHOW(nil.sum());
    SHOW(nil.empty());
    SHOW(nil.upper());
    SHOW(nil.index());
    DO(nil.push(dyn(1)), nil);
    dyn none;
    DO(none.insert(0, "x"), none);
    dyn number = dyn(42);
    DO(number.insert(1, "-"), number);
    SHOW(dyn(7).join(","));
    SHOW(dyn(7).reverse());
}

void typedArrays() {
    _intArr ints = _intArr{3, 1, 2};
    SHOW(ints.begin());
    SHOW(ints.inc());
    SHOW(ints.end());
    SHOW(ints.dec());
    SHOW(ints.index());
    SHOW(ints.find(dyn(2)));
    SHOW(ints.findLast(dyn(2.5)));
    SHOW(ints.in(dyn(1)));
    SHOW(ints.join(","));
    SHOW(ints.key());
    SHOW(ints.keys());
    SHOW(ints.map(fn));
    SHOW(ints.map(plusOne));
    SHOW(ints.max());
    SHOW(ints.min());
    SHOW(ints.rand());
    SHOW(ints.reverse());
    SHOW(ints.sum());
    SHOW(ints.toText());
    SHOW(ints.toString());
    SHOW(ints.unique());
    SHOW(ints.value());
    SHOW(ints.values());
    velarray list = ints.slice(1, 2);
    _intArr same = ints.slice(1, 2);
    std::cout << "slice as list " << list << " and as int[] " << same << "\n";
    DO(ints.insert(1, dyn(9)), ints);
    SHOW(ints.merge(dyn(velarray{dyn("5"), dyn(6.7)})));
    SHOW(ints.pop());
    SHOW(ints.shift());
    DO(ints.push(dyn(-4)), ints);
    DO(ints.unshift(dyn(true)), ints);
    DO(ints.sort(), ints);
    DO(ints.rsort(), ints);
    DO(ints.splice(1, 2), ints);
    DO(ints.kSort(), ints);
    DO(ints.pack(), ints);
    DO(ints.display(), ints);
    dyn::error.set(ints.store("ints.txt"));
    _intArr loadedInts;
    SHOW(loadedInts.load("ints.txt"));
    SHOW(loadedInts);
    std::remove("ints.txt");
    SHOW(_intArr().pop());

    _arr32 names = _arr32{"b", "a"};
    SHOW(names.find(dyn("a")));
    SHOW(names.join("+"));
    SHOW(names.max());
    SHOW(names.map(fn));
    DO(names.push(dyn(3)), names);
    DO(names.sort(), names);
    SHOW(names.pop());
    SHOW(names.unique());
    SHOW(names.sum());

    _array64 reals(TYPE_REAL, velarray{dyn(2.5), dyn(1.5)});
    SHOW(reals.sum());
    SHOW(reals.min());
    SHOW(reals.map(twice));
    DO(reals.push(dyn("0.25")), reals);
    DO(reals.sort(), reals);
    SHOW(reals.pop());

    _array64 naturals(TYPE_NATURAL, velarray{dyn(2), dyn(1)});
    DO(naturals.push(dyn(18446744073709551615ULL)), naturals);
    DO(naturals.rsort(), naturals);
    SHOW(naturals.max());
    SHOW(naturals.toString());
}

void functions() {
    SHOW(abs(-2.5));
    SHOW(abs(-3));
    SHOW(sin(0.0));
    SHOW(cos(0.0));
    SHOW(tan(0.0));
    SHOW(log(1.0));
    SHOW(sqrt(16.0));
    SHOW(exp(0.0));
    SHOW(asin(1.0) * 2);
    SHOW(acos(1.0));
    SHOW(atan(0.0));
    SHOW(ceil(1.5));
    SHOW(floor(-1.5));
    SHOW(fmod(7.5, 2.0));
    SHOW(pow(2.0, 10.0));
    SHOW(boolval(dyn("0")));
    SHOW(doubleval(dyn("2.5")));
    SHOW(str(2.5));
    SHOW(to_string(2.5));
    SHOW(to_string(7));
    SHOW(chr(65));
    SHOW(chr(300));
    SHOW(ord("A"));
    SHOW(ord(""));
    SHOW(naturalval(dyn(5)));
    SHOW(is_dyn_array(dyn(velarray())));
    SHOW(is_dyn_dict(dyn(1)));
    SHOW(is_dyn_list(dyn(velarray())));
    SHOW(is_dyn_object(dyn()));
    SHOW(intval(dyn("9x")));
    SHOW(	str_pad(","));
    SHOW(	str_pad("7", 3));
    SHOW(	str_pad("7", 3, "0", 0));
    SHOW(	str_pad("ab", 6, "-=", 2));
    SHOW(min(2.5, 1.0));
    SHOW(max(2.5, 1.0));
    SHOW(_vel_sgn(-0.5));
    SHOW(plural(1));
    SHOW(plural(0));
    SHOW(_vel_range(1, 3));
    SHOW(_vel_range(2, -1));
    SHOW(doubleval(dyn(true)));
    SHOW(_vel_round(2.5));
    SHOW(_vel_round(-2.5));
}

}  // namespace

int main() {
    numbers();
    texts();
    arrays();
    dicts();
    vars();
    typedArrays();
    functions();
    return 0;
}
