#pragma once
// The variables of XML literals. An element is a dict of entries, in the
// order they were written:
//   "_00"  the outermost element's name (or, with an id, the id value);
//   "tag"  the element's name, in nested elements and in an outermost
//          element keyed by its id;
//   attribute name -> value ("a,b" for the namespaced attribute a:b);
//   "data" -> the element's data; several data items make an array;
//   key -> a nested element as a dict, keyed by its id value or by the
//          generated keys "_01", "_02", ... of the statement.
// Part of libvel.hpp (through containers.hpp).
#include "containers.hpp"

// The spelling the generated declaration uses for an element's type.
using string = text;

struct vel_xml_entry {
    dyn key;
    dyn value;
    // A value of any one type; a braced list is a nested element.
    template <class V>
    vel_xml_entry(const dyn &entryKey, const V &entryValue) : key(entryKey), value(entryValue) {}
    vel_xml_entry(const dyn &entryKey, std::initializer_list<vel_xml_entry> children);
};

dict vel_xml_element(std::initializer_list<vel_xml_entry> entries);

// True for a dict made by an XML literal: its first key is "_00".
bool vel_is_xml_element(const dict &element);
// The element as XML text.
text vel_xml_text(const dict &element);
// bytes with &, <, > and " written as XML entities.
std::string vel_xml_escaped(const std::string &bytes);

// An element variable; assigning a dict to it replaces the element.
class vel_xml_map : public dict {
public:
    vel_xml_map() = default;
    vel_xml_map(std::initializer_list<vel_xml_entry> entries) : dict(vel_xml_element(entries)) {}
    vel_xml_map(const dict &other) : dict(other) {}
    vel_xml_map(dict &&other) : dict(std::move(other)) {}
    vel_xml_map &operator=(const dict &other) {
        dict::operator=(other);
        return *this;
    }
    vel_xml_map &operator=(dict &&other) {
        dict::operator=(std::move(other));
        return *this;
    }
};

// An alias rather than a class named map, so that the dict method map()
// stays reachable on element variables.
template <class Key, class Value>
using map = vel_xml_map;
