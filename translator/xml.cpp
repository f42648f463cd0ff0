#include "translator/xml.hpp"
#include "translator/literal_bytes.hpp"
#include "translator/source_translation.hpp"
#include <cctype>
#include "translator/translator.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/symbols.hpp"

namespace {

// Elements nest no deeper than this, so that neither the parser's recursion
// nor the indentation of the output can grow without bound.
// XML elements nest at most this deep in one statement, so that the
// parser's recursion stays bounded: a limit of the language.
constexpr int XML_NESTING_LIMIT = 128;

const char *const XML_TYPE = "map<string, string>";

XmlState &xml() { return translation().xml; }

bool isVelmoraName(const std::string &name) {
    if (name.empty() || !std::isalpha((unsigned char)name[0]))
        return false;
    for (char c : name)
        if (!std::isalnum((unsigned char)c) && c != '_')
            return false;
    return true;
}

// The key text without the quotes of a string value.
std::string unquotedName(std::string name) {
    if (!name.empty() && (name[0] == '"' || name[0] == '\'' || name[0] == '`'))
        name.erase(0, 1);
    if (!name.empty() && (name.back() == '"' || name.back() == '\''))
        name.pop_back();
    return name;
}

// The characters between the backticks, verbatim, as a C++ string literal.
std::string templateText(const std::string &tokenText) {
    std::string inner = tokenText.size() >= 2 ? tokenText.substr(1, tokenText.size() - 2) : "";
    std::string text = "\"";
    for (unsigned char c : inner) {
        switch (c) {
        case '\\': text += "\\\\"; break;
        case '"': text += "\\\""; break;
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\t': text += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                const char digits[] = "01234567";
                text += '\\';
                text += digits[(c >> 6) & 7];
                text += digits[(c >> 3) & 7];
                text += digits[c & 7];
            } else {
                text += static_cast<char>(c);
            }
        }
    }
    return withEncodableBytes(text + "\"");
}

// The outermost element names the variable: its id value when it has one
// that is a name, otherwise the element's own name.
std::string variableName() {
    std::string name = unquotedName(xml().key);
    if (isVelmoraName(name))
        return name;
    reportNamed(E_CANNOT_BE_USED, name);
    return xml().elementName;
}

void writeRootHead() {
    xml().counter = 0;
    std::string name = variableName();
    declareXmlVariable(name);
    std::string emitted = emittedNameFor(name);
    if (xml().fileLevel && !output().writingHeader)
        writeHeaderLine(std::string("extern ") + XML_TYPE + " " + emitted + ";");
    if (xml().late) {
        addLateGlobal(std::string(XML_TYPE) + " " + emitted + ";");
        emit(emitted + "=" + XML_TYPE + "{\n");
    } else {
        emit(std::string(XML_TYPE) + emitted + "={\n");
    }
    output().indentLevel++;
    emitIndented("{\"_00\",\"" + name + "\"}");
    xml().needComma = true;
    xml().afterChild = false;
    emit(xml().attributes);
}

void writeNestedHead() {
    if (!xml().idUsed) {
        if (xml().needComma || xml().afterChild)
            xml().attributes += ",";
        xml().attributes += "{\"tag\",\"" + xml().elementName + "\"}";
        xml().key = "\"_0" + std::to_string(++xml().counter) + "\"";
        xml().needComma = xml().afterChild = true;
        emit(",\n");
    } else if (xml().needComma || xml().afterChild) {
        emit(",\n");
    }
    emitIndented("{" + xml().key + ",{\n");
    output().indentLevel++;
    emitIndented(xml().attributes);
}

void separateEntry() {
    // After a nested element has closed, the next entry needs its comma too.
    if (xml().needComma || xml().afterChild)
        emit(",\n");
}

}  // namespace

void beginXmlStatement() {
    xml() = XmlState();
    xml().root = true;
    xml().statementIndent = output().indentLevel;
    xml().fileLevel = scopes().atFileLevel();
    xml().late = xml().fileLevel && output().mainOpened && !output().writingHeader;
}

void openXmlElement(const std::string &openTagText) {
    if (static_cast<int>(xml().tagStack.size()) >= XML_NESTING_LIMIT) {
        reportLimit("nested XML elements", XML_NESTING_LIMIT, static_cast<int>(xml().tagStack.size()) + 1);
        throw NestingTooDeep("XML elements nested too deeply");
    }
    xml().elementName = openTagText.substr(1);
    xml().key = xml().closeName = xml().elementName;
    xml().idUsed = false;
    xml().attributes.clear();
    xml().tagStack.push_back(xml().elementName);
    xml().needComma = xml().afterChild = xml().root;
}

void addXmlAttribute(const std::string &name, const std::string &valueToken) {
    // The element's dict keeps its name and its data under these keys: an
    // attribute of such a name would take their place.
    if (name == "tag" || name == "data") {
        reportNamed(E_CANNOT_BE_USED, name,
                    "an element keeps its name under `tag` and its data under `data`: give the attribute another name");
        return;
    }
    std::string entryName = name;
    std::string value = cppStringLiteral(valueToken);
    if (!xml().idUsed && (name == "id" || name == "ID")) {
        xml().key = value;
        entryName = "tag";
        value = "\"" + xml().elementName + "\"";
        xml().idUsed = true;
    }
    if (xml().needComma)
        xml().attributes += ",";
    xml().attributes += "{\"" + entryName + "\"," + value + "}";
    xml().needComma = true;
}

void writeXmlElementHead() {
    if (xml().root)
        writeRootHead();
    else
        writeNestedHead();
    xml().root = false;
}

void writeXmlData(const ExprValue &literal) {
    separateEntry();
    emitIndented("{\"data\"," + literal.text + "}");
    xml().needComma = true;
}

void writeXmlTemplate(const std::string &tokenText) {
    separateEntry();
    emitIndented("{\"data\"," + templateText(tokenText) + "}");
    countLinesIn(tokenText);
    xml().needComma = true;
}

void closeXmlElement(const std::string &closeTagText) {
    xml().closeName.clear();
    if (!xml().tagStack.empty()) {
        xml().closeName = xml().tagStack.back();
        xml().tagStack.pop_back();
    }
    std::string name = closeTagText.size() >= 3 ? closeTagText.substr(2, closeTagText.size() - 3) : "";
    // Reported on the closing tag's own line, before its line end counts.
    if (name != xml().closeName)
        reportNamed(E_UNBALANCED_XML, closeTagText);
    countLineEnd();
    // A nested element opened two braces: its own and its entry's.
    emit(xml().tagStack.empty() ? "}" : "}}");
    xml().afterChild = true;
    xml().needComma = false;
    output().indentLevel--;
}

void endXmlStatement() {
    emit(";\n");
    output().blankLines = 1;
    output().indentLevel = xml().statementIndent;
    xml().tagStack.clear();
}
