// The file format of the store and load methods.
//
// The first line is "#velmora-store 1"; then one value follows, written one
// item per line. An item is a tag letter and its payload:
//   n            nil (also what an object or file pointer is stored as)
//   b0, b1       false, true
//   i<digits>    integer (64-bit), u<digits> natural
//   r<real>      real, as printf's %.17g writes it (inf, -inf, nan too)
//   t<bytes>     text; a backslash is written \\, a line feed \n, a
//                carriage return \r, every other byte as it is
//   a<count>     array: count items follow
//   d<count>     dict: count key items and value items follow, alternating
//   p            pair: its key item and its value item follow
// The format keeps every value that a program can build from these kinds,
// at any depth up to vel_max_store_depth (deeper files are refused rather
// than read by a recursion that could exhaust the stack).
#include "velmora/libvel.hpp"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const char *const storeHeader = "#velmora-store 1";
const int vel_max_store_depth = 200;

void writeText(std::ostream &out, const std::string &bytes) {
    out << 't';
    for (char c : bytes) {
        if (c == '\\')
            out << "\\\\";
        else if (c == '\n')
            out << "\\n";
        else if (c == '\r')
            out << "\\r";
        else
            out << c;
    }
    out << '\n';
}

void writeReal(std::ostream &out, double r) {
    if (std::isnan(r)) {
        out << "rnan\n";
    } else if (std::isinf(r)) {
        out << (r < 0 ? "r-inf\n" : "rinf\n");
    } else {
        char digits[40];
        std::snprintf(digits, sizeof digits, "%.17g", r);
        out << 'r' << digits << '\n';
    }
}

void writeItem(std::ostream &out, const dyn &value) {
    switch (value.kind()) {
    case dyn::NIL:
    case dyn::POINTER: out << "n\n"; break;
    case dyn::BOOLEAN: out << (value.holdsBoolean() ? "b1\n" : "b0\n"); break;
    case dyn::INTEGER: out << 'i' << value.holdsInteger() << '\n'; break;
    case dyn::NATURAL: out << 'u' << value.holdsNatural() << '\n'; break;
    case dyn::REAL: writeReal(out, value.holdsReal()); break;
    case dyn::TEXT: writeText(out, value.asText()->data); break;
    case dyn::ARRAY:
        out << 'a' << value.asArray()->size() << '\n';
        for (const dyn &e : value.asArray()->elements()) writeItem(out, e);
        break;
    case dyn::DICT:
        out << 'd' << value.asDict()->size() << '\n';
        for (const dict::Entry &e : value.asDict()->items()) {
            writeItem(out, e.key);
            writeItem(out, e.value);
        }
        break;
    case dyn::PAIR:
        out << "p\n";
        writeItem(out, value.asPair()->key);
        writeItem(out, value.asPair()->value);
        break;
    }
}

// Reads the whole payload as a number of the given kind; false when it is
// not exactly one.
bool parseInteger(const std::string &payload, long long &number) {
    if (payload.empty()) return false;
    char *end = nullptr;
    errno = 0;
    number = std::strtoll(payload.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

bool parseNatural(const std::string &payload, natural &number) {
    if (payload.empty() || payload[0] == '-') return false;
    char *end = nullptr;
    errno = 0;
    number = std::strtoull(payload.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

bool parseReal(const std::string &payload, double &number) {
    if (payload.empty()) return false;
    char *end = nullptr;
    number = std::strtod(payload.c_str(), &end);
    return end != nullptr && *end == '\0';
}

bool unescape(const std::string &payload, std::string &bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < payload.size(); ++i) {
        char c = payload[i];
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (++i >= payload.size()) return false;
        switch (payload[i]) {
        case '\\': bytes += '\\'; break;
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        default: return false;
        }
    }
    return true;
}

bool readItem(std::istream &in, dyn &value, int depth) {
    if (depth > vel_max_store_depth) return false;
    std::string line;
    if (!std::getline(in, line) || line.empty()) return false;
    const std::string payload = line.substr(1);
    switch (line[0]) {
    case 'n':
        value = dyn();
        return payload.empty();
    case 'b':
        if (payload != "0" && payload != "1") return false;
        value = dyn(payload == "1");
        return true;
    case 'i': {
        long long number = 0;
        if (!parseInteger(payload, number)) return false;
        value = dyn(number);
        return true;
    }
    case 'u': {
        natural number = 0;
        if (!parseNatural(payload, number)) return false;
        value = dyn(number);
        return true;
    }
    case 'r': {
        double number = 0;
        if (!parseReal(payload, number)) return false;
        value = dyn(number);
        return true;
    }
    case 't': {
        std::string bytes;
        if (!unescape(payload, bytes)) return false;
        value = dyn(text(std::move(bytes)));
        return true;
    }
    case 'a': {
        natural count = 0;
        if (!parseNatural(payload, count)) return false;
        velarray array;
        // Elements are read one by one, so a false count fails at the end of
        // the file instead of reserving memory for it.
        for (natural i = 0; i < count; ++i) {
            dyn element;
            if (!readItem(in, element, depth + 1)) return false;
            array.push(element);
        }
        value = dyn(std::move(array));
        return true;
    }
    case 'd': {
        natural count = 0;
        if (!parseNatural(payload, count)) return false;
        dict entries;
        for (natural i = 0; i < count; ++i) {
            dyn key, element;
            if (!readItem(in, key, depth + 1) || !readItem(in, element, depth + 1)) return false;
            if (key.kind() != dyn::TEXT && !key.isNumeric()) return false;
            entries.setAt(key, element);
        }
        value = dyn(std::move(entries));
        return true;
    }
    case 'p': {
        dyn key, element;
        if (!payload.empty() || !readItem(in, key, depth + 1) || !readItem(in, element, depth + 1)) return false;
        value = dyn(new vel_pair(key, element));
        return true;
    }
    default: return false;
    }
}

}  // namespace

bool vel_store_value(const text &fileName, const dyn &value) {
    std::ofstream out(fileName.data, std::ios::binary);
    if (out) {
        out << storeHeader << '\n';
        writeItem(out, value);
        out.close();
    }
    bool failed = !out;
    if (failed) dyn::error = true;
    return failed;
}

bool vel_load_value(const text &fileName, dyn &value, bool &plain) {
    std::ifstream in(fileName.data, std::ios::binary);
    std::string line;
    if (!in) {
        dyn::error = true;
        return false;
    }
    plain = !std::getline(in, line) || line != storeHeader;
    if (plain) {
        // Any other file is read as its lines (a final line without a line
        // feed included), without their carriage returns.
        in.clear();
        in.seekg(0);
        velarray lines;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push(dyn(text(line)));
        }
        value = dyn(std::move(lines));
        return true;
    }
    dyn loaded;
    std::string rest;
    if (!readItem(in, loaded, 0) || std::getline(in, rest)) {
        dyn::error = true;
        return false;
    }
    value = std::move(loaded);
    return true;
}
