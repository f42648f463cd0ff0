#include "driver/index_document.hpp"

#include <cctype>
#include <map>
#include <sstream>

#include "builtin_docs.hpp"
#include "semantics/builtins.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/type_codes.hpp"

using nlohmann::json;

namespace {

// A type as a Velmora program writes it: the translator's name for a C
// string is the C++ one.
std::string shownType(int type) {
    return type == T_CHARPTR ? "cstring" : typeName(type);
}

std::string typeText(int type, int classIndex) {
    if ((type == T_OBJECT || type == T_CLASS) && classIndex >= 0)
        return classRecord(classIndex).name;
    if (type == T_OBJECTARRAY && classIndex >= 0)
        return classRecord(classIndex).name + " array";
    return type == T_UNKNOWN ? "" : shownType(type);
}

std::string lineOf(const std::string &text, int line) {
    std::size_t start = 0;
    for (int l = 1; l < line; l++) {
        start = text.find('\n', start);
        if (start == std::string::npos)
            return "";
        start++;
    }
    std::size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The default a parameter is written with: what follows "=" after its name,
// up to the "," or ")" that ends it.
std::string defaultAfter(const SymbolIndex &index, const IndexedDeclaration &parameter) {
    const std::string line = lineOf(index.sourceTexts[parameter.place.source], parameter.place.line);
    std::size_t at = static_cast<std::size_t>(parameter.place.endColumn - 1);
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        at++;
    if (at >= line.size() || line[at] != '=')
        return "";
    std::size_t start = ++at;
    int depth = 0;
    char quote = 0;
    for (; at < line.size(); at++) {
        char c = line[at];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(' || c == '[' || c == '{') {
            depth++;
        } else if ((c == ')' || c == ']' || c == '}') && depth-- == 0) {
            break;
        } else if (c == ',' && depth == 0) {
            break;
        }
    }
    std::string value = line.substr(start, at - start);
    value.erase(0, value.find_first_not_of(" \t"));
    value.erase(value.find_last_not_of(" \t") + 1);
    return value;
}

std::string signatureOf(const SymbolIndex &index, int declaration) {
    const IndexedDeclaration &function = index.declarations[declaration];
    const FunctionRecord &record = functionRecord(function.function);
    std::string returned;
    for (std::size_t i = 0; i < record.returnTypes.size(); i++)
        returned += (i ? ", " : "") + typeText(record.returnTypes[i], record.returnClasses[i]);
    std::vector<const IndexedDeclaration *> parameters;
    for (const IndexedDeclaration &d : index.declarations)
        if (d.kind == DeclarationKind::parameter && d.container == declaration)
            parameters.push_back(&d);
    std::string text = (returned.empty() ? "void" : returned) + " " + record.name + "(";
    for (std::size_t i = 0; i < record.parameters.size(); i++) {
        const ParameterRecord &parameter = record.parameters[i];
        text += i ? ", " : "";
        text += !parameter.functionTypeName.empty() ? parameter.functionTypeName
                : parameter.className.empty()         ? typeText(parameter.type, -1)
                                                      : parameter.className;
        text += " " + parameter.name;
        if (parameter.hasDefault && i < parameters.size())
            text += " = " + defaultAfter(index, *parameters[i]);
    }
    return text + ")";
}

json place(const SymbolIndex &index, const IndexPlace &at) {
    return {{"file", at.source >= 0 ? index.sources[at.source] : ""},
            {"line", at.line},
            {"column", at.column},
            {"endColumn", at.endColumn}};
}

// The documentation page's table rows: for each section's receiver (or
// "" for the global functions), each name in lower case -> the row.
struct DocRow {
    std::string spelling;    // the name as the page writes it: toInt, not toint
    std::string arguments;
    std::string doc;
};
using DocRows = std::map<std::string, std::map<std::string, DocRow>>;

std::vector<std::string> receiversOfSection(const std::string &heading) {
    if (heading == "Texts") return {"text"};
    if (heading == "Numbers") return {"number", "integer", "real", "natural"};
    if (heading.compare(0, 6, "Arrays") == 0) return {"array"};
    if (heading == "Dicts") return {"dict"};
    if (heading == "Var values") return {"var"};
    if (heading == "Files") return {"file"};
    if (heading == "Global functions") return {""};
    return {};
}

std::string lowered(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trimmed(const std::string &text) {
    std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

const DocRows &documentedRows() {
    static DocRows rows;
    if (!rows.empty())
        return rows;
    std::istringstream page(builtinDocsPage);
    std::vector<std::string> receivers;
    for (std::string line; std::getline(page, line);) {
        if (line.compare(0, 3, "## ") == 0) {
            receivers = receiversOfSection(line.substr(3));
            continue;
        }
        if (line.compare(0, 3, "| `") != 0 || receivers.empty())
            continue;
        std::vector<std::string> cells;
        std::stringstream row(line.substr(1));
        for (std::string cell; cells.size() < 3 && std::getline(row, cell, '|');)
            cells.push_back(trimmed(cell));
        if (cells.size() < 3)
            continue;
        for (std::size_t open = cells[0].find('`'); open != std::string::npos; open = cells[0].find('`', open + 1)) {
            std::size_t close = cells[0].find('`', open + 1);
            if (close == std::string::npos)
                break;
            std::string spelling = cells[0].substr(open + 1, close - open - 1);
            for (const std::string &receiver : receivers)
                rows[receiver].emplace(lowered(spelling), DocRow{spelling, cells[1], cells[2]});
            open = close;
        }
    }
    return rows;
}

std::string argumentsFromTable(const BuiltinRow &row, int first, int count) {
    std::string text;
    for (int i = 0; i < count && i < 4; i++) {
        int type = row.field[first + i];
        if (type == 0)
            break;
        text += (i ? ", " : "") + std::string(typeName(type & ~BUILTIN_OPTIONAL));
        if (type & BUILTIN_OPTIONAL)
            text += " (optional)";
    }
    return text;
}

}  // namespace

json indexDocument(const SymbolIndex &index) {
    json declarations = json::array();
    for (std::size_t i = 0; i < index.declarations.size(); i++) {
        const IndexedDeclaration &d = index.declarations[i];
        json entry = place(index, d.place);
        entry["name"] = d.name;
        entry["kind"] = declarationKindName(d.kind);
        bool isClass = d.kind == DeclarationKind::classType;
        bool isMember = d.kind == DeclarationKind::method;
        // A method's class is the one it belongs to; its result's is in its record.
        std::string type = isClass ? "class" : typeText(d.type, isMember ? -1 : d.classIndex);
        if (d.function >= 0) {
            const FunctionRecord &record = functionRecord(d.function);
            if (record.returnTypes.size() == 1 && !record.returnClasses.empty())
                type = typeText(record.returnTypes[0], record.returnClasses[0]);
        }
        // A parameter that takes a function by a type of define names that type.
        if (d.kind == DeclarationKind::parameter && d.container >= 0 && index.declarations[d.container].function >= 0)
            for (const ParameterRecord &parameter : functionRecord(index.declarations[d.container].function).parameters)
                if (parameter.name == d.name && !parameter.functionTypeName.empty())
                    type = parameter.functionTypeName;
        entry["type"] = type;
        if (d.function >= 0)
            entry["signature"] = signatureOf(index, static_cast<int>(i));
        // A define of a function type: the function whose head it takes, with
        // its parameters, for the calls made through a parameter of the type.
        if (d.like >= 0) {
            auto named = index.functionDeclarations.find(d.like);
            if (named != index.functionDeclarations.end())
                entry["like"] = signatureOf(index, named->second);
        }
        if (d.container >= 0)
            entry["container"] = d.container;
        // A static attribute or method belongs to the class: named after the
        // class's name, not only after an object.
        if (d.container >= 0 && (d.kind == DeclarationKind::attribute || d.kind == DeclarationKind::method)) {
            int owner = index.declarations[d.container].classIndex;
            bool isStatic = d.kind == DeclarationKind::method ? d.function >= 0 && functionRecord(d.function).isStatic
                                                              : owner >= 0 && isStaticAttribute(owner, d.name);
            if (isStatic)
                entry["static"] = true;
        }
        if (isClass && d.classIndex >= 0 && !classRecord(d.classIndex).baseName.empty())
            entry["base"] = classRecord(d.classIndex).baseName;
        if (d.scopeEndLine > 0)
            entry["scopeEnd"] = d.scopeEndLine;
        declarations.push_back(entry);
    }
    // Uses outnumber declarations many times (a 2,000-line source has some
    // 4,000): each is a row of numbers, the source by its place in
    // "sources", which an editor reads in a fraction of the time of objects.
    json uses = json::array();
    json builtinUses = json::array();
    for (const IndexedUse &use : index.uses) {
        if (use.declaration < 0 && use.builtin < 0)
            continue;
        const IndexPlace &at = use.place;
        json row = json::array({at.source, at.line, at.column, at.endColumn, use.declaration >= 0 ? use.declaration : use.builtin});
        (use.declaration >= 0 ? uses : builtinUses).push_back(std::move(row));
    }
    return {{"sources", index.sources}, {"declarations", declarations}, {"uses", uses}, {"builtinUses", builtinUses}};
}

json builtinsDocument() {
    json builtins = json::array();
    const DocRows &docs = documentedRows();
    for (int row = 1; row < builtinRowCount(); row++) {
        const BuiltinRow &entry = builtinRow(row);
        if (std::string(entry.name) == "---")
            continue;
        bool isFunction = row >= firstFunctionRow();
        std::string receiver = isFunction ? "" : typeName(entry.field[M_RECEIVER]);
        int result = isFunction ? entry.field[F_RESULT] : entry.field[M_RESULT];
        std::string arguments = isFunction ? argumentsFromTable(entry, F_ARG1, 4) : argumentsFromTable(entry, M_ARG1, 2);
        std::string doc;
        std::string name = entry.name;
        auto section = docs.find(receiver);
        if (section != docs.end()) {
            auto found = section->second.find(lowered(entry.name));
            if (found != section->second.end()) {
                arguments = found->second.arguments == "none" ? "" : found->second.arguments;
                doc = found->second.doc;
                name = found->second.spelling;
            }
        }
        std::string resultName = result == T_VOID ? "void" : shownType(result);
        builtins.push_back({{"index", row},
                            {"name", name},
                            {"receiver", receiver},
                            {"signature", name + "(" + arguments + ")"},
                            {"result", resultName},
                            {"doc", doc}});
    }
    return builtins;
}
