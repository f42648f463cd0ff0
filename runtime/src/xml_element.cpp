#include "velmora/libvel.hpp"
#include <cctype>

namespace {

const char *const ROOT_KEY = "_00";

bool isTextKey(const dyn &key, const char *name) {
    return key.kind() == dyn::TEXT && key.asText()->data == name;
}

// The keys "_01", "_02", ... that elements without an id receive.
bool isGeneratedKey(const dyn &key) {
    if (key.kind() != dyn::TEXT) return false;
    const std::string &name = key.asText()->data;
    if (name.size() < 3 || name.compare(0, 2, "_0") != 0) return false;
    for (size_t i = 2; i < name.size(); i++)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

void addEntry(dict &element, const dyn &key, const dyn &value) {
    // Several data items of one element are kept in order, in one array.
    if (isTextKey(key, "data") && element.hasKey(key)) {
        dyn &data = element[key];
        if (data.kind() != dyn::ARRAY) data = dyn(velarray{data});
        data.asArray()->push(value);
        return;
    }
    element.setAt(key, value);
}


// A namespaced attribute is kept under "a,b"; XML writes it a:b.
std::string attributeName(const dyn &key) {
    std::string name = dyn::toText(key).data;
    for (char &c : name)
        if (c == ',') c = ':';
    return name;
}

void writeData(std::string &out, const dyn &data) {
    if (data.kind() == dyn::ARRAY) {
        for (const dyn &item : data.asArray()->elements()) out += vel_xml_escaped(dyn::toText(item).data);
        return;
    }
    out += vel_xml_escaped(dyn::toText(data).data);
}

// name: the element's tag; id: the id attribute to write, or nil.
void writeElement(std::string &out, const dict &element, const std::string &name, const dyn &id) {
    out += "<" + name;
    if (!id.isNil()) out += " id=\"" + vel_xml_escaped(dyn::toText(id).data) + "\"";
    for (const dict::Entry &e : element.items()) {
        if (isTextKey(e.key, ROOT_KEY) || isTextKey(e.key, "tag") || isTextKey(e.key, "data")) continue;
        if (e.value.kind() == dyn::DICT) continue;
        out += " " + attributeName(e.key) + "=\"" + vel_xml_escaped(dyn::toText(e.value).data) + "\"";
    }
    std::string content;
    for (const dict::Entry &e : element.items()) {
        if (isTextKey(e.key, "data")) {
            writeData(content, e.value);
        } else if (e.value.kind() == dyn::DICT && !isTextKey(e.key, ROOT_KEY)) {
            const dict &child = *e.value.asDict();
            const dyn *tag = nullptr;
            for (const dict::Entry &c : child.items())
                if (isTextKey(c.key, "tag")) tag = &c.value;
            std::string childName = tag ? dyn::toText(*tag).data : dyn::toText(e.key).data;
            writeElement(content, child, childName, isGeneratedKey(e.key) || !tag ? dyn() : e.key);
        }
    }
    if (content.empty()) {
        out += "/>";
        return;
    }
    out += ">" + content + "</" + name + ">";
}

}  // namespace

vel_xml_entry::vel_xml_entry(const dyn &entryKey, std::initializer_list<vel_xml_entry> children)
    : key(entryKey), value(vel_xml_element(children)) {}

dict vel_xml_element(std::initializer_list<vel_xml_entry> entries) {
    dict element;
    for (const vel_xml_entry &entry : entries) addEntry(element, entry.key, entry.value);
    return element;
}

bool vel_is_xml_element(const dict &element) {
    return !element.empty() && isTextKey(element.items().front().key, ROOT_KEY);
}

text vel_xml_text(const dict &element) {
    const dyn *root = nullptr;
    const dyn *tag = nullptr;
    for (const dict::Entry &e : element.items()) {
        if (isTextKey(e.key, ROOT_KEY)) root = &e.value;
        if (isTextKey(e.key, "tag")) tag = &e.value;
    }
    std::string out;
    // Keyed by its id, the outermost element keeps its own name under "tag".
    std::string name = dyn::toText(tag ? *tag : root ? *root : dyn()).data;
    writeElement(out, element, name, tag && root ? *root : dyn());
    return text(std::move(out));
}

std::string vel_xml_escaped(const std::string &bytes) {
    std::string out;
    for (char c : bytes) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}
