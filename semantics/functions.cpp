#include "semantics/functions.hpp"

#include <cctype>
#include <deque>
#include <unordered_map>

#include "semantics/source_semantics.hpp"
#include "semantics/types.hpp"

namespace {

FunctionTable &functions() { return sourceSemantics().run.functions; }

std::string lowered(const std::string &name) {
    std::string lower = name;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

}  // namespace

int FunctionRecord::requiredCount() const {
    int required = 0;
    for (const ParameterRecord &parameter : parameters)
        if (!parameter.hasDefault)
            required++;
    return required;
}

int FunctionRecord::callType() const {
    if (returnTypes.empty())
        return T_VOID;
    return returnTypes.size() >= 2 ? T_TUPLE : returnTypes[0];
}

int registerFunction(const FunctionRecord &record) {
    if (record.ownerClass >= 0) {
        functions().records.push_back(record);
        return static_cast<int>(functions().records.size()) - 1;
    }
    auto known = functions().byName.find(record.name);
    if (known != functions().byName.end() && functions().records[static_cast<size_t>(known->second)].source == record.source) {
        functions().records[static_cast<size_t>(known->second)] = record;
        return known->second;
    }
    functions().records.push_back(record);
    int index = static_cast<int>(functions().records.size()) - 1;
    functions().byName.emplace(record.name, index);
    functions().byLoweredName.emplace(lowered(record.name), index);
    return index;
}

int findProgramFunction(const std::string &name) {
    auto found = functions().byName.find(name);
    return found == functions().byName.end() ? -1 : found->second;
}

int findProgramFunctionNoCase(const std::string &name) {
    auto found = functions().byLoweredName.find(lowered(name));
    return found == functions().byLoweredName.end() ? -1 : found->second;
}

FunctionRecord &functionRecord(int index) { return functions().records[static_cast<size_t>(index)]; }

bool sameSignature(const FunctionRecord &a, const FunctionRecord &b) {
    if (a.returnTypes != b.returnTypes || a.parameters.size() != b.parameters.size())
        return false;
    for (size_t i = 0; i < a.parameters.size(); i++)
        if (a.parameters[i].type != b.parameters[i].type ||
            a.parameters[i].byReference != b.parameters[i].byReference)
            return false;
    return true;
}
