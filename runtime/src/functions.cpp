// Global functions of generated programs: conversions, console input,
// printing of containers, run-time errors and the smaller library functions.
#include "velmora/libvel.hpp"

#include <climits>
#include <deque>
#include <unordered_set>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

const vel_place *vel_innermost_error_place = nullptr;
int vel_piece_first_line = 1;

#ifdef __EMSCRIPTEN__
// The runtime that tells the callers of a run-time error asks for it: a
// piece of a long main counts its lines from this one (velmora_trace.mjs).
extern "C" __attribute__((export_name("vel_piece_first_line"), used)) int vel_piece_first_line_now() {
    return vel_piece_first_line;
}
#endif

// The Velmora callers of a run-time error, after its message, and the place
// of the program's code that runs, natively (callers.cpp).
void vel_write_callers(vel_output &out);
bool vel_running_program_place(std::string &file, int &line, std::string &function);
// The C++ name of the function a lambda of velc's that runs is written in
// (the innermost frame of a Velmora source that is no such lambda),
// natively; under WebAssembly the runtime names it.
bool vel_function_around_lambda(std::string &function);

namespace {

bool endsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool startsWith(const std::string &text, const std::string &start) {
    return text.compare(0, start.size(), start) == 0;
}

// The Velmora name of the C++ function a generated statement stands in, or
// "" for the program's top-level code. velc writes top-level code into main
// and the functions "_vel_main_<file>_<n>" that continue it (with the loops
// of their top level in "_vel_loop_<n>_<m>"), the program's
// own main as "_main_<file>", and a name that C++ reserves, or that ends in
// "_", with one more "_".
std::string velmoraFunction(const char *function) {
    std::string name = function ? function : "";
    if (name == "main" || startsWith(name, "_vel_main_") || startsWith(name, "_vel_loop_"))
        return "";
    // The lambda velc writes to keep the order of an operation's operands
    // ("operator()", with its template arguments under g++) when the
    // function it is written in cannot be told: a name the program does
    // not have would mislead. The callers that follow the report name the
    // rest.
    if (startsWith(name, "operator()"))
        return "";
    if (startsWith(name, "_main_"))
        return "main";
    if (endsWith(name, "_"))
        name.pop_back();
    return name;
}

// "prog.vel L4: " and the function, or nothing when the place is not in a
// Velmora source (a file translated without line directives names its C++).
struct PlaceText {
    std::string before, after;
};
// A place in a Velmora source, counted from its start or, with the mark
// of a piece after the name, from the first line of the piece that runs.
bool inVelmoraSource(const vel_place *where) {
    return where && where->file && (endsWith(where->file, ".vel") || endsWith(where->file, ".vel+"));
}

PlaceText placeText(const vel_place *where) {
    PlaceText text;
    if (!inVelmoraSource(where))
        return text;
    std::string file = where->file;
    int line = where->line;
    if (endsWith(file, "+")) {
        file.pop_back();
        line += vel_piece_first_line - 1;
    }
    text.before = file + " L" + std::to_string(line) + ": ";
    std::string function = velmoraFunction(where->function);
    if (!function.empty())
        text.after = " (in " + function + ")";
    return text;
}

[[noreturn]] void reportAndExit(const vel_place *where, const std::string &message) {
    // An error that no operation gave a place (an allocation that failed
    // anywhere) takes the place of the program's code that runs, where the
    // program can tell it.
    std::string file, function;
    int line = 0;
    vel_place running(nullptr, 0, nullptr);
    if (!inVelmoraSource(where) && vel_running_program_place(file, line, function)) {
        running = vel_place(file.c_str(), line, function.c_str());
        where = &running;
    }
    // An error inside a lambda that keeps an operation's operands in order
    // is in the function the lambda is written in.
    std::string around;
    vel_place inFunction(nullptr, 0, nullptr);
    if (inVelmoraSource(where) && where->function && startsWith(where->function, "operator()") &&
        vel_function_around_lambda(around)) {
        inFunction = vel_place(where->file, where->line, around.c_str());
        where = &inFunction;
    }
    PlaceText place = placeText(where);
    vel_out.flush();
    // One write for the whole line: a runner that places an unplaced error
    // reads it from a single write of the module.
    vel_err << place.before + "Run-time error: " + message + place.after + '\n';
    vel_write_callers(vel_err);
    vel_err.flush();
    std::exit(1);
}

}  // namespace

void vel_fatal(const std::string &message) { reportAndExit(vel_innermost_error_place, message); }

void vel_fatal(const vel_place &where, const std::string &message) {
    // A place outside the program (libvel's own code calling a checked
    // helper) says less than the operation it runs for.
    const vel_place *place = inVelmoraSource(&where) ? &where : vel_innermost_error_place;
    reportAndExit(place, message);
}

// --------------------------------------------------------------------------
// Conversions

int intval(double x) {
    if (x != x) return 0;
    if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(x);
}
int intval(const text &x) { return dyn::toInt(dyn(x)); }
int intval(const char *x) { return intval(text(x)); }
int intval(const std::string &x) { return intval(text(x)); }
int intval(const dyn &x) { return dyn::toInt(x); }

// The decimal number at the start of a text (after blanks), as PHP reads
// it: "12abc" is 12, "abc", "0x1A" and "inf" are 0.
double doubleval(const text &x) {
    const std::string &s = x.data;
    std::size_t first = s.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos) return 0;
    std::size_t end = vel_number_end(s, first);
    if (end == first) return 0;
    return std::strtod(s.substr(first, end - first).c_str(), nullptr);
}
double doubleval(const char *x) { return doubleval(text(x)); }
double doubleval(const std::string &x) { return doubleval(text(x)); }
double doubleval(const dyn &x) { return dyn::toReal(x); }

natural naturalval(double x) {
    if (x != x) return 0;
    if (x >= 18446744073709551615.0) return ~0ULL;
    if (x < 0) return static_cast<natural>(dyn::toInt64(dyn(x)));
    return static_cast<natural>(x);
}
natural naturalval(const text &x) {
    const std::string &s = x.data;
    std::size_t first = s.find_first_not_of(" \t");
    if (first != std::string::npos && s[first] >= '0' && s[first] <= '9' &&
        s.find_first_of(".eE") == std::string::npos)
        return std::strtoull(s.c_str(), nullptr, 10);
    return naturalval(doubleval(x));
}
natural naturalval(const char *x) { return naturalval(text(x)); }
natural naturalval(const std::string &x) { return naturalval(text(x)); }
natural naturalval(const dyn &x) { return dyn::toNatural(x); }
int intval(const velarray &x) { return dyn::toInt(dyn(x)); }
int intval(const dict &x) { return dyn::toInt(dyn(x)); }
int intval(const _intArr &x) { return dyn::toInt(dyn(x)); }
int intval(const _arr32 &x) { return dyn::toInt(dyn(x)); }
int intval(const _array64 &x) { return dyn::toInt(dyn(x)); }
int intval(const _natArr &x) { return dyn::toInt(dyn(x)); }
double doubleval(const velarray &x) { return dyn::toReal(dyn(x)); }
double doubleval(const dict &x) { return dyn::toReal(dyn(x)); }
double doubleval(const _intArr &x) { return dyn::toReal(dyn(x)); }
double doubleval(const _arr32 &x) { return dyn::toReal(dyn(x)); }
double doubleval(const _array64 &x) { return dyn::toReal(dyn(x)); }
double doubleval(const _natArr &x) { return dyn::toReal(dyn(x)); }
natural naturalval(const velarray &x) { return dyn::toNatural(dyn(x)); }
natural naturalval(const dict &x) { return dyn::toNatural(dyn(x)); }
natural naturalval(const _intArr &x) { return dyn::toNatural(dyn(x)); }
natural naturalval(const _arr32 &x) { return dyn::toNatural(dyn(x)); }
natural naturalval(const _array64 &x) { return dyn::toNatural(dyn(x)); }
natural naturalval(const _natArr &x) { return dyn::toNatural(dyn(x)); }
natural boolval(const dyn &x) { return dyn::toBoolean(x) ? 1 : 0; }

text str(const dyn &x) { return dyn::toText(x); }
text str(const velarray &x) { return x.toString(); }
text str(const dict &x) { return x.toString(); }
text str(const _intArr &x) { return x.toString(); }
text str(const _arr32 &x) { return x.toString(); }
text str(const _array64 &x) { return x.toString(); }
text str(const _natArr &x) { return x.toString(); }
text to_string(double x) { return text(x); }

// A held text is copied once, straight into data.
text::text(const dyn &value) : data(value.asText() != nullptr ? value.asText()->data : dyn::toText(value).data) {}
text::text(const velarray &array) : data(array.toString().data) {}
text::text(const dict &dictionary) : data(dictionary.toString().data) {}
text::text(const _intArr &array) : data(array.toString().data) {}
text::text(const _arr32 &array) : data(array.toString().data) {}
text::text(const _array64 &array) : data(array.toString().data) {}
text::text(const _natArr &array) : data(array.toString().data) {}

bool in_sequence(const char *item, const char *container) {
    if (item == nullptr || container == nullptr) return false;
    return std::strstr(container, item) != nullptr;
}
bool in_sequence(const text &item, const text &container) { return container.in(item); }
bool in_sequence(char item, const text &container) { return container.in(text(item)); }

namespace {

// A deque never moves the strings it holds.
std::deque<std::string> &keptCStrings() {
    static std::deque<std::string> kept;
    return kept;
}

std::unordered_set<const char *> &ownedCStrings() {
    static std::unordered_set<const char *> owned;
    return owned;
}

}  // namespace

char *_vel_cstring(const text &value) {
    keptCStrings().push_back(value.data);
    char *start = &keptCStrings().back()[0];
    ownedCStrings().insert(start);
    return start;
}

vel_ctext _vel_cstring_at(const char *s, int index) {
    if (s == nullptr || index < 0 || static_cast<std::size_t>(index) >= std::strlen(s)) return text();
    return text(std::string(1, s[index]));
}

vel_ctext _vel_cstring_at(const char *s, const dyn &index) {
    if (!index.isNumeric()) vel_fatal("a C string index must be a number");
    return _vel_cstring_at(s, dyn::toInt(index));
}

void vel_cstring_slot::setAt(int index, const text &value) {
    if (target == nullptr) vel_fatal("write into a null C string");
    std::size_t length = std::strlen(target);
    if (index < 0 || static_cast<std::size_t>(index) >= length)
        vel_fatal("index " + std::to_string(index) + " outside a C string of length " + std::to_string(length));
    if (value.data.empty()) vel_fatal("an empty text written into a C string");
    if (ownedCStrings().count(target) == 0) target = _vel_cstring(text(target));
    target[index] = value.data[0];
}

void vel_cstring_slot::setAt(const dyn &index, const text &value) {
    if (!index.isNumeric()) vel_fatal("a C string index must be a number");
    setAt(static_cast<int>(dyn::toInt(index)), value);
}

void vel_cstring_slot::setSlice(int lo, int hi, int inclusive, const dyn &value) {
    text whole(target);
    whole.setSlice(lo, hi, inclusive, value);
    if (target == nullptr || whole.data.size() != std::strlen(target)) {
        target = _vel_cstring(whole);
        return;
    }
    if (ownedCStrings().count(target) == 0) target = _vel_cstring(whole);
    else std::memcpy(target, whole.data.data(), whole.data.size());
}

// --------------------------------------------------------------------------
// Console input

namespace {

void showPrompt(const text &prompt) {
    vel_out << prompt;
    vel_out.flush();
}

// A line of the input without its line end; "" at its end.
text readLine() {
    std::FILE *in = vel_console_input ? vel_console_input : stdin;
    std::string line;
    int c = std::getc(in);
    if (c == EOF) return text();
    for (; c != EOF && c != '\n'; c = std::getc(in)) line.push_back(static_cast<char>(c));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return text(line);
}

}  // namespace

std::FILE *vel_console_input = nullptr;

double _vel_inputNumber() { return _vel_inputNumber(text()); }

double _vel_inputNumber(const text &prompt) {
    showPrompt(prompt);
    text line = readLine();
    return line.isNumber() ? doubleval(line.trim()) : 0;
}

int _vel_inputInt() { return _vel_inputInt(text()); }

int _vel_inputInt(const text &prompt) {
    showPrompt(prompt);
    text line = readLine();
    return line.isNumber() ? intval(line.trim()) : 0;
}

natural _vel_inputNatural() { return _vel_inputNatural(text()); }

natural _vel_inputNatural(const text &prompt) {
    showPrompt(prompt);
    text line = readLine();
    return line.isNumber() ? naturalval(line.trim()) : 0;
}

text _vel_inputText() { return _vel_inputText(text()); }

text _vel_inputText(const text &prompt) {
    showPrompt(prompt);
    return readLine();
}

text _vel_dumpArray(const velarray &x) { return x.toString(); }
text _vel_dumpArray(const dict &x) { return x.toString(); }
text _vel_dumpArray(const dyn &x) { return dyn::toText(x); }
text _vel_dumpArray(const _intArr &x) { return x.toString(); }
text _vel_dumpArray(const _arr32 &x) { return x.toString(); }
text _vel_dumpArray(const _array64 &x) { return x.toString(); }
text _vel_dumpArray(const _natArr &x) { return x.toString(); }

// --------------------------------------------------------------------------
// Smaller functions

// The byte with the code 0 to 255; "" for any other code.
text chr(int code) { return code < 0 || code > 255 ? text() : text(static_cast<char>(code)); }

int ord(const text &x) { return x.data.empty() ? 0 : static_cast<unsigned char>(x.data[0]); }

bool is_dyn_array(const dyn &x) { return x.kind() == dyn::ARRAY; }
bool is_dyn_dict(const dyn &x) { return x.kind() == dyn::DICT; }
bool is_dyn_list(const dyn &x) { return x.kind() == dyn::ARRAY; }
bool is_dyn_object(const dyn &x) { return x.kind() == dyn::POINTER; }

// where: 0 pads on the left, 1 on the right, 2 on both sides.
text str_pad(const text &x, int width, const text &padding, int where) {
    if (padding.data.empty() || width <= x.length()) return x;
    std::size_t missing = static_cast<std::size_t>(width - x.length());
    auto filler = [&padding](std::size_t count) {
        std::string s;
        while (s.size() < count) s += padding.data;
        return s.substr(0, count);
    };
    if (where == 0) return text(filler(missing) + x.data);
    if (where == 2) return text(filler(missing / 2) + x.data + filler(missing - missing / 2));
    return text(x.data + filler(missing));
}

int _vel_sgn(double x) { return x < 0 ? -1 : (x > 0 ? 1 : 0); }

double _vel_round(double x) { return std::round(x); }

void die(const text &message) {
    vel_out << message << '\n';
    std::exit(1);
}

void vel_native_mismatch(const vel_place &where, const char *name) {
    vel_fatal(where, std::string("the C or C++ function \"") + name +
                         "\" cannot be called as its extern line declares it");
}

text plural(int count) { return count == 1 ? text() : text("s"); }

// The integers from one bound to the other, both included, in either direction.
velarray _vel_range(int from, int to) {
    velarray result;
    int step = from <= to ? 1 : -1;
    for (long long i = from;; i += step) {
        result.push(dyn(i));
        if (i == to) break;
    }
    return result;
}

int _vel_time() { return static_cast<int>(std::time(nullptr)); }

dict _vel_ltime() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (std::tm *local = std::localtime(&now)) parts = *local;
    dict result;
    result.setAt(dyn("year"), dyn(parts.tm_year + 1900));
    result.setAt(dyn("month"), dyn(parts.tm_mon + 1));
    result.setAt(dyn("day"), dyn(parts.tm_mday));
    result.setAt(dyn("hour"), dyn(parts.tm_hour));
    result.setAt(dyn("minute"), dyn(parts.tm_min));
    result.setAt(dyn("second"), dyn(parts.tm_sec));
    result.setAt(dyn("weekday"), dyn(parts.tm_wday));
    result.setAt(dyn("yearday"), dyn(parts.tm_yday));
    return result;
}

namespace {

// Where the next `mark` is in chars[at, size), or size. Eight bytes are
// looked at together: a byte of the word xor the mark is zero where the mark
// is, and the lowest byte flagged by (d - 0x01..01) & ~d & 0x80..80 is the
// first zero one (a borrow only flags bytes above a zero). The byte order
// of both targets puts the first byte lowest.
std::size_t nextMark(const char *chars, std::size_t at, std::size_t size, char mark) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const std::uint64_t ones = 0x0101010101010101ULL;
    const std::uint64_t highs = 0x8080808080808080ULL;
    const std::uint64_t pattern = ones * static_cast<unsigned char>(mark);
    for (; size - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, chars + at, 8);
        std::uint64_t differences = word ^ pattern;
        std::uint64_t zeros = (differences - ones) & ~differences & highs;
        if (zeros != 0) return at + static_cast<std::size_t>(__builtin_ctzll(zeros)) / 8;
    }
#endif
    for (; at < size; ++at)
        if (chars[at] == mark) return at;
    return size;
}

}  // namespace

velarray explode(const std::string &x, const text &separator) {
    velarray parts;
    if (separator.data.empty()) {
        for (char c : x) parts.push(dyn(text(c)));
        return parts;
    }
    // Read once: the compiler cannot tell that a push leaves x alone.
    const char *chars = x.data();
    const std::size_t size = x.size();
    std::size_t start = 0;
    if (separator.data.size() == 1) {
        // Words are short: a scan here costs less than the library's search,
        // a call (or two) per word under WebAssembly.
        const char mark = separator.data[0];
        for (std::size_t at; (at = nextMark(chars, start, size, mark)) != size; start = at + 1)
            parts.push(dyn::textOf(chars + start, at - start));
    } else {
        for (std::size_t found; (found = x.find(separator.data, start)) != std::string::npos;
             start = found + separator.data.size())
            parts.push(dyn::textOf(chars + start, found - start));
    }
    parts.push(dyn::textOf(chars + start, size - start));
    return parts;
}
velarray explode(const text &x, const text &separator) { return explode(x.data, separator); }
velarray explode(const char *x, const text &separator) { return explode(text(x), separator); }
velarray explode(const dyn &x, const text &separator) { return explode(dyn::toText(x), separator); }
