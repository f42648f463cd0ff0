// The prototypes that a class body needs ahead of the class in the header:
// of functions its inline methods call before they are defined.
#include "translator/calls.hpp"
#include "translator/call_parts.hpp"
#include "translator/source_translation.hpp"

#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "translator/classes.hpp"

#include <algorithm>
#include <cstdlib>

namespace {

// A line directive that gives the text after offset `at` of the header the
// lines it had before text was put there: counted from the last directive
// before it, or none when there is no such directive.
std::string directiveAfterInsertion(const std::string &header, std::size_t at) {
    std::size_t directive = header.rfind("\n#line ", at);
    if (directive == std::string::npos)
        return "";
    std::size_t lineStart = directive + 1;
    std::size_t numberEnd = header.find(' ', lineStart + 6);
    if (numberEnd == std::string::npos)
        return "";
    long line = std::strtol(header.c_str() + lineStart + 6, nullptr, 10);
    std::size_t directiveEnd = header.find('\n', lineStart);
    if (directiveEnd == std::string::npos || directiveEnd >= at)
        return "";
    std::string sourceName = header.substr(numberEnd + 1, directiveEnd - numberEnd - 1);
    long counted = std::count(header.begin() + static_cast<long>(directiveEnd) + 1, header.begin() + static_cast<long>(at), '\n');
    return "#line " + std::to_string(line + counted) + " " + sourceName + "\n";
}

}  // namespace

void needEarlyPrototype(int function, long classStart) {
    EarlyPrototypes &early = calls().earlyPrototypes;
    if (early.at < 0 || classStart < early.at)
        early.at = classStart;
    if (std::find(early.functions.begin(), early.functions.end(), function) == early.functions.end())
        early.functions.push_back(function);
}

bool needsEarlyPrototypes() { return calls().earlyPrototypes.at >= 0; }

std::string headerWithEarlyPrototypes(const std::string &header) {
    const EarlyPrototypes &early = calls().earlyPrototypes;
    if (early.at < 0 || early.functions.empty() || static_cast<std::size_t>(early.at) > header.size())
        return header;
    std::size_t at = static_cast<std::size_t>(early.at);
    std::string rest = header.substr(at);
    std::string inserted = "\n";
    // Their parameters may be of classes defined further on.
    for (const std::string &name : translation().classState.definedHere) {
        int index = findClass(name);
        if (index >= 0)
            inserted += "class " + classRecord(index).emittedName + ";\n";
    }
    for (int function : early.functions) {
        auto prototype = translation().sourceFunctions.headerPrototypes.find(function);
        if (prototype == translation().sourceFunctions.headerPrototypes.end())
            continue;
        inserted += prototype->second.withDefaults + "\n";
        std::size_t later = rest.find("\n" + prototype->second.withDefaults + "\n");
        if (later != std::string::npos)
            rest.replace(later + 1, prototype->second.withDefaults.size(), prototype->second.withoutDefaults);
    }
    return header.substr(0, at) + inserted + directiveAfterInsertion(header, at) + rest;
}
