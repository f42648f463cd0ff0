#include "translator/functions_ahead.hpp"

#include <algorithm>
#include <cctype>

#include "semantics/classes.hpp"
#include "translator/call_parts.hpp"
#include "translator/source_translation.hpp"

namespace {

FunctionsAhead &functionsAhead() { return translation().functionsAhead; }

std::string lowered(const std::string &name) {
    std::string lower = name;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool definedHere(const FunctionRecord &function) {
    return function.ownerClass < 0 && function.source == translatedSource().baseName &&
           translation().sourceFunctions.names.count(lowered(function.name)) > 0;
}

// Whether the head can stand before its definition: the classes of its
// results and parameters are known where the call is, and it takes no
// function by name (whose type the reading has not made yet). Otherwise the
// call stays one that the end of the source checks.
bool usableHere(const FunctionAhead &ahead, std::vector<int> &classes) {
    if (ahead.record.mode != 0)
        return false;
    for (const ParameterRecord &parameter : ahead.record.parameters)
        if (parameter.functionType || (!parameter.className.empty() && findClass(parameter.className) < 0))
            return false;
    for (const std::string &name : ahead.resultClasses) {
        classes.push_back(name.empty() ? -1 : findClass(name));
        if (!name.empty() && classes.back() < 0)
            return false;
    }
    return true;
}

}  // namespace

void noteFunctionCalledAhead(int function) {
    const FunctionRecord &record = functionRecord(function);
    if (record.ownerClass >= 0 || record.external || record.source != translatedSource().baseName)
        return;
    std::vector<FunctionAhead> &found = functionsAhead().found;
    if (std::any_of(found.begin(), found.end(), [&](const FunctionAhead &f) { return f.record.name == record.name; }))
        return;
    FunctionAhead ahead;
    ahead.record = record;
    for (int classIndex : record.returnClasses)
        ahead.resultClasses.push_back(classIndex >= 0 ? classRecord(classIndex).name : "");
    found.push_back(std::move(ahead));
}

int functionDefinedAhead(const std::string &name) {
    auto known = functionsAhead().known.find(name);
    if (known == functionsAhead().known.end())
        return -1;
    std::vector<int> classes;
    if (!usableHere(known->second, classes))
        return -1;
    FunctionRecord record = known->second.record;
    record.returnClasses = classes;
    record.returnClass = classes.size() == 1 ? classes[0] : -1;
    // Its definition replaces the record in place, under the same index.
    int index = registerFunction(record);
    functionsAhead().known.erase(known);
    return index;
}

void noteCallBeforeDefinition(int function) {
    const FunctionRecord &record = functionRecord(function);
    if (record.ownerClass >= 0 || record.source != translatedSource().baseName || definedHere(record))
        return;
    if (translation().classState.headerStart >= 0 && currentClassIndex() >= 0)
        needEarlyPrototype(function, translation().classState.headerStart);
}
