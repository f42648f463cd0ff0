#include "translator/near_names.hpp"

#include <algorithm>
#include <cctype>

#include "translator/hints.hpp"

namespace {

// Names longer than this are compared with each lookup: their deletions
// would fill the index, and such names are rare.
constexpr std::size_t kIndexedLength = 48;
// The most edits a hint allows (closestName: two in a longer name).
constexpr int kMostEdits = 2;

std::string folded(const std::string &text) {
    std::string lower = text;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The string itself and those made of it by deleting up to `edits` letters.
void deletions(const std::string &text, int edits, std::vector<std::string> &out) {
    out.push_back(text);
    if (edits == 0)
        return;
    for (std::size_t i = 0; i < text.size(); i++) {
        std::string shorter = text.substr(0, i) + text.substr(i + 1);
        if (i > 0 && text[i] == text[i - 1])
            continue;  // the same string as deleting the letter before
        deletions(shorter, edits - 1, out);
    }
}

std::vector<std::string> uniqueDeletions(const std::string &text, int edits) {
    std::vector<std::string> all;
    deletions(text, edits, all);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

}  // namespace

ClosestSoFar::ClosestSoFar(const std::string &name)
    // One slip in a short name, two in a longer one: "x" is not "y".
    : name(name), limit(name.size() <= 2 ? 0 : name.size() <= 5 ? 1 : kMostEdits), distance(limit + 1) {}

void ClosestSoFar::consider(const std::string &candidate) {
    if (exact)
        return;
    if (candidate == name) {
        exact = true;
        return;
    }
    int d = editDistance(name, candidate, limit);
    if (d < distance) {
        best = candidate;
        distance = d;
    }
}

void NearNames::add(const std::string &name) {
    std::size_t index = names_.size();
    names_.push_back(name);
    if (name.size() > kIndexedLength) {
        unindexed_.push_back(index);
        return;
    }
    for (const std::string &key : uniqueDeletions(folded(name), kMostEdits))
        byDeletion_[key].push_back(index);
}

void NearNames::clear() {
    names_.clear();
    unindexed_.clear();
    byDeletion_.clear();
}

void NearNames::search(ClosestSoFar &closest) const {
    std::vector<std::size_t> found(unindexed_);
    for (const std::string &key : uniqueDeletions(folded(closest.name), closest.limit)) {
        auto entry = byDeletion_.find(key);
        if (entry != byDeletion_.end())
            found.insert(found.end(), entry->second.begin(), entry->second.end());
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    for (std::size_t index : found)
        closest.consider(names_[index]);
}

bool NearNames::holdsFolded(const std::string &name) const {
    std::string key = folded(name);
    auto entry = byDeletion_.find(key);
    if (entry != byDeletion_.end())
        for (std::size_t index : entry->second)
            if (folded(names_[index]) == key)
                return true;
    for (std::size_t index : unindexed_)
        if (folded(names_[index]) == key)
            return true;
    return false;
}
