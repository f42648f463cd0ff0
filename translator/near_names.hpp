#pragma once
// The names a "did you mean" compares a misspelt name with, indexed so
// that each lookup costs the length of the name, not the count of names: a
// program of many declarations and many slips is hinted in linear time.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

// The best candidate so far of a search over names in their order: the
// first at the smallest distance within the limit; none once the name
// itself is among them.
struct ClosestSoFar {
    explicit ClosestSoFar(const std::string &name);
    void consider(const std::string &candidate);
    std::string answer() const { return exact ? "" : best; }

    const std::string &name;
    int limit;
    int distance;
    bool exact = false;
    std::string best;
};

// A list of names that only grows, each also kept under the strings made of
// it (without letter case) by deleting one or two letters: two names within
// two edits of each other share one of those strings.
class NearNames {
public:
    void add(const std::string &name);
    std::size_t size() const { return names_.size(); }
    const std::string &at(std::size_t index) const { return names_[index]; }
    void clear();
    // Considers, in their order, the names that may lie within the limit of
    // `closest`.
    void search(ClosestSoFar &closest) const;
    // Whether a name equals `name` but for letter case.
    bool holdsFolded(const std::string &name) const;

private:
    std::vector<std::string> names_;
    std::vector<std::size_t> unindexed_;  // too long to index: compared one by one
    std::unordered_map<std::string, std::vector<std::size_t>> byDeletion_;
};
