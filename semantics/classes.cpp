#include "semantics/classes.hpp"

#include <algorithm>
#include <deque>
#include <unordered_map>

#include "semantics/functions.hpp"
#include "semantics/source_semantics.hpp"

namespace {

// Chains are checked where a class names its base: no longer than the
// limit, and without cycles. The walks stop there all the same.
constexpr int MAX_BASE_DEPTH = CLASS_BASES_LIMIT + 1;

ClassTable &classes() { return sourceSemantics().run.classes; }

}  // namespace

int declareClass(const std::string &name, const std::string &source) {
    auto known = classes().byName.find(name);
    if (known != classes().byName.end()) {
        ClassRecord &record = classes().records[static_cast<size_t>(known->second)];
        record = ClassRecord();
        record.name = name;
        record.source = source;
        return known->second;
    }
    ClassRecord record;
    record.name = name;
    record.source = source;
    classes().records.push_back(record);
    int index = static_cast<int>(classes().records.size()) - 1;
    classes().byName.emplace(name, index);
    return index;
}

int findClass(const std::string &name) {
    auto found = classes().byName.find(name);
    return found == classes().byName.end() ? -1 : found->second;
}

int classWithMember(const std::string &name) {
    for (size_t i = 0; i < classes().records.size(); i++) {
        int index = static_cast<int>(i);
        if (findClassMethod(index, name) >= 0 || findClassAttribute(index, name) != nullptr)
            return index;
    }
    return -1;
}

std::vector<int> classesDefiningMethod(const std::string &name) {
    std::vector<int> found;
    for (size_t i = 0; i < classes().records.size(); i++)
        if (findOwnMethod(static_cast<int>(i), name) >= 0)
            found.push_back(static_cast<int>(i));
    return found;
}

std::vector<int> classesDefiningAttribute(const std::string &name) {
    std::vector<int> found;
    for (size_t i = 0; i < classes().records.size(); i++)
        if (findMember(classes().records[i].members, name) >= 0)
            found.push_back(static_cast<int>(i));
    return found;
}

ClassRecord &classRecord(int index) { return classes().records[static_cast<size_t>(index)]; }

void addClassMethod(int classIndex, int function) {
    ClassRecord &record = classRecord(classIndex);
    record.methods.push_back(function);
    record.methodByName.emplace(functionRecord(function).name, function);
}

int findOwnMethod(int classIndex, const std::string &name) {
    const ClassRecord &record = classRecord(classIndex);
    auto found = record.methodByName.find(name);
    return found == record.methodByName.end() ? -1 : found->second;
}

int findClassMethod(int classIndex, const std::string &name) {
    for (int level = 0; classIndex >= 0 && level < MAX_BASE_DEPTH; level++) {
        int method = findOwnMethod(classIndex, name);
        if (method >= 0)
            return method;
        classIndex = classRecord(classIndex).base;
    }
    return -1;
}

Symbol *findClassAttribute(int classIndex, const std::string &name, int *owner) {
    for (int level = 0; classIndex >= 0 && level < MAX_BASE_DEPTH; level++) {
        ClassRecord &record = classRecord(classIndex);
        int found = findMember(record.members, name);
        if (found >= 0) {
            if (owner)
                *owner = classIndex;
            return record.members.members[static_cast<size_t>(found)];
        }
        classIndex = record.base;
    }
    return nullptr;
}

bool isStaticAttribute(int classIndex, const std::string &name) {
    int owner = -1;
    if (!findClassAttribute(classIndex, name, &owner))
        return false;
    const std::vector<std::string> &statics = classRecord(owner).staticAttributes;
    return std::find(statics.begin(), statics.end(), name) != statics.end();
}

bool relatedClasses(int a, int b) {
    return a < 0 || b < 0 || inheritsFrom(a, b) || inheritsFrom(b, a);
}

bool lacksRefusedBase(int classIndex) {
    for (int level = 0; classIndex >= 0 && level < MAX_BASE_DEPTH; level++) {
        if (classRecord(classIndex).baseRefused)
            return true;
        classIndex = classRecord(classIndex).base;
    }
    return false;
}

int basesAbove(int classIndex, int avoided) {
    int count = 0;
    for (int base = classRecord(classIndex).base; base >= 0; base = classRecord(base).base) {
        if (base == avoided || ++count > CLASS_BASES_LIMIT)
            return -1;
    }
    return count;
}

bool inheritsFrom(int derived, int base) {
    for (int level = 0; derived >= 0 && level < MAX_BASE_DEPTH; level++) {
        if (derived == base)
            return true;
        derived = classRecord(derived).base;
    }
    return false;
}

