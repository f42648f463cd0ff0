#include "translator/functions_ahead.hpp"

#include <algorithm>
#include <cctype>

#include "semantics/classes.hpp"
#include "translator/call_parts.hpp"
#include "translator/declarations.hpp"
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
// results and parameters, and the function types its parameters take
// functions by, are known where the call is. Otherwise the call stays one
// that the end of the source checks. A function type is this reading's own:
// each parameter of one gets the function the type was made from here.
bool usableHere(const FunctionAhead &ahead, std::vector<int> &classes, std::vector<int> &signatures) {
    if (ahead.record.mode != 0)
        return false;
    for (const ParameterRecord &parameter : ahead.record.parameters) {
        signatures.push_back(parameter.signature);
        if (parameter.functionType) {
            signatures.back() = definedFunctionType(parameter.functionTypeName);
            if (signatures.back() < 0)
                return false;
        }
        if (!parameter.className.empty() && findClass(parameter.className) < 0)
            return false;
    }
    for (const std::string &name : ahead.resultClasses) {
        classes.push_back(name.empty() ? -1 : findClass(name));
        if (!name.empty() && classes.back() < 0)
            return false;
    }
    return true;
}

// Registers the head the first reading found under this key, for a call
// that comes before the definition; -1 when there is none or it cannot
// stand here. Its definition replaces the record under the same index.
int registerAhead(const std::string &key, int ownerClass) {
    auto known = functionsAhead().known.find(key);
    if (known == functionsAhead().known.end())
        return -1;
    std::vector<int> classes, signatures;
    if (!usableHere(known->second, classes, signatures))
        return -1;
    FunctionRecord record = known->second.record;
    for (std::size_t i = 0; i < record.parameters.size(); i++)
        record.parameters[i].signature = signatures[i];
    record.ownerClass = ownerClass;
    record.returnClasses = classes;
    record.returnClass = classes.size() == 1 ? classes[0] : -1;
    int index = registerFunction(record);
    functionsAhead().known.erase(known);
    return index;
}

std::vector<int>::iterator earlyMethod(int classIndex, const std::string &name) {
    std::vector<int> &early = functionsAhead().methodsBeforeDefinition;
    return std::find_if(early.begin(), early.end(), [&](int index) {
        const FunctionRecord &record = functionRecord(index);
        return record.ownerClass == classIndex && record.name == name;
    });
}

}  // namespace

void noteFunctionCalledAhead(int function) {
    const FunctionRecord &record = functionRecord(function);
    if (record.external || record.source != translatedSource().baseName)
        return;
    FunctionAhead ahead;
    ahead.key = record.name;
    if (record.ownerClass >= 0) {
        ahead.ownerClass = classRecord(record.ownerClass).name;
        ahead.key = ahead.ownerClass + "." + record.name;
    }
    std::vector<FunctionAhead> &found = functionsAhead().found;
    if (std::any_of(found.begin(), found.end(), [&](const FunctionAhead &f) { return f.key == ahead.key; }))
        return;
    ahead.record = record;
    for (int classIndex : record.returnClasses)
        ahead.resultClasses.push_back(classIndex >= 0 ? classRecord(classIndex).name : "");
    found.push_back(std::move(ahead));
}

int functionDefinedAhead(const std::string &name) {
    return registerAhead(name, -1);
}

int methodDefinedAhead(int classIndex, const std::string &name) {
    if (classIndex < 0)
        return -1;
    int index = registerAhead(classRecord(classIndex).name + "." + name, classIndex);
    if (index < 0)
        return -1;
    addClassMethod(classIndex, index);
    if (functionRecord(index).isConstructor)
        classRecord(classIndex).constructor = index;
    functionsAhead().methodsBeforeDefinition.push_back(index);
    return index;
}

bool methodAwaitsDefinition(int classIndex, const std::string &name) {
    return earlyMethod(classIndex, name) != functionsAhead().methodsBeforeDefinition.end();
}

int methodRegisteredAhead(int classIndex, const std::string &name) {
    auto early = earlyMethod(classIndex, name);
    if (early == functionsAhead().methodsBeforeDefinition.end())
        return -1;
    int index = *early;
    functionsAhead().methodsBeforeDefinition.erase(early);
    return index;
}

void noteCallBeforeDefinition(int function) {
    const FunctionRecord &record = functionRecord(function);
    if (record.ownerClass >= 0 || record.source != translatedSource().baseName || definedHere(record))
        return;
    if (translation().classState.headerStart >= 0 && currentClassIndex() >= 0)
        needEarlyPrototype(function, translation().classState.headerStart);
}
