// How libvel's values print: on vel_output (print, echo, display and every
// toString), and on a C++ stream for native code that writes them there.
#include <ostream>

#include "velmora/libvel.hpp"

vel_output &operator<<(vel_output &out, const text &value) { return out << value.data; }

namespace {

// An object shows its class, not its address, so that a program prints the
// same on every run and tool chain; a native pointer shows that it is one.
vel_output &writeObject(vel_output &out, const dyn &value) {
    const vel_object *object = value.asObject();
    const char *name = object != nullptr ? object->vel_class_name() : nullptr;
    if (name == nullptr)
        return out << "<object>";
    return out << "<" << name << " object>";
}

}  // namespace

vel_output &operator<<(vel_output &out, const dyn &value) {
    switch (value.kind()) {
    case dyn::NIL: return out;
    case dyn::BOOLEAN: return out << value.holdsBoolean();
    case dyn::INTEGER: return out << value.holdsInteger();
    case dyn::REAL: return out << value.holdsReal();
    case dyn::NATURAL: return out << value.holdsNatural();
    case dyn::TEXT: return out << *value.asText();
    case dyn::ARRAY: return out << *value.asArray();
    case dyn::DICT: return out << *value.asDict();
    case dyn::PAIR:
        vel_write_element(out, value.asPair()->key);
        out << ": ";
        vel_write_element(out, value.asPair()->value);
        return out;
    case dyn::POINTER: return writeObject(out, value);
    }
    return out;
}

void vel_write_element(vel_output &out, const dyn &value) {
    if (value.kind() == dyn::NIL) {
        out << "nil";
        return;
    }
    if (value.kind() != dyn::TEXT) {
        out << value;
        return;
    }
    out.put('"');
    for (char c : value.asText()->data) {
        if (c == '"' || c == '\\') out.put('\\');
        out.put(c);
    }
    out.put('"');
}

vel_output &operator<<(vel_output &out, const velarray &value) {
    out.put('[');
    const char *separator = "";
    for (const dyn &e : value.elements()) {
        out << separator;
        vel_write_element(out, e);
        separator = ", ";
    }
    return out.put(']');
}

vel_output &operator<<(vel_output &out, const dict &value) {
    out.put('{');
    const char *separator = "";
    for (const dict::Entry &e : value.items()) {
        out << separator;
        vel_write_element(out, e.key);
        out << ": ";
        vel_write_element(out, e.value);
        separator = ", ";
    }
    return out.put('}');
}

vel_output &operator<<(vel_output &out, const vel_command &command) { return out << command.output(); }

// The text a value prints as.
template <class T>
static text printedText(const T &value) {
    std::string bytes;
    vel_output into(bytes);
    into << value;
    return text(std::move(bytes));
}

text::text(double number) {
    char digits[vel_number_capacity];
    data.assign(digits, vel_format_real(digits, number));
}

text dyn::toText(const dyn &value) {
    switch (value.kind()) {
    case NIL: return text();
    case TEXT: return *value.asText();
    default: return printedText(value);
    }
}

vel_ctext velarray::toString() const { return printedText(*this); }

vel_ctext dict::toString() const { return printedText(*this); }

void velarray::display() const { vel_out << *this << '\n'; }

int dict::display() const {
    vel_out << *this << '\n';
    return size();
}

void vel_dyn_methods::display() const { vel_out << self() << '\n'; }

std::ostream &operator<<(std::ostream &out, const text &value) {
    return out.write(value.data.data(), static_cast<std::streamsize>(value.data.size()));
}
std::ostream &operator<<(std::ostream &out, const dyn &value) { return out << printedText(value); }
std::ostream &operator<<(std::ostream &out, const velarray &value) { return out << value.toString(); }
std::ostream &operator<<(std::ostream &out, const dict &value) { return out << value.toString(); }
std::ostream &operator<<(std::ostream &out, const vel_command &command) { return out << command.output(); }
