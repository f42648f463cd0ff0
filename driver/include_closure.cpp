#include "driver/include_closure.hpp"

#include <cctype>
#include <unordered_set>
#include <vector>

#include "driver/project.hpp"

namespace {

// The header an include line names: the source's name with ".hpp" for ".vel".
std::string headerNamed(const std::string &name) {
    bool velmora = name.size() >= 4 && name[name.size() - 4] == '.' &&
                   std::tolower(static_cast<unsigned char>(name[name.size() - 3])) == 'v' &&
                   std::tolower(static_cast<unsigned char>(name[name.size() - 2])) == 'e' &&
                   std::tolower(static_cast<unsigned char>(name[name.size() - 1])) == 'l';
    return (velmora ? name.substr(0, name.size() - 4) : name) + ".hpp";
}

struct Step {
    int entry;
    const std::string *name;   // as the include that reached it writes it
    std::size_t next = 0;
};

}  // namespace

std::unordered_map<std::string, IncludedHeaders> includedHeadersOf(int k) {
    std::unordered_map<std::string, IncludedHeaders> headers;
    // The order is the one in which headers that each include their own
    // includes would be read: depth first, a header after all it includes,
    // one already open (an include cycle) skipped. The source itself is met
    // like any other, when a cycle leads back to it.
    std::unordered_set<int> met;
    const int cycle = project.entries[static_cast<std::size_t>(k)].cycle;
    for (const auto &[first, firstName] : project.entries[static_cast<std::size_t>(k)].includeEdges) {
        if (first <= 0 || headers.count(firstName) != 0)
            continue;
        IncludedHeaders &written = headers[firstName];
        written.sameCycle = project.entries[static_cast<std::size_t>(first)].cycle == cycle;
        if (!met.insert(first).second)
            continue;
        std::vector<Step> path{{first, &firstName}};
        while (!path.empty()) {
            Step &step = path.back();
            const auto &edges = project.entries[static_cast<std::size_t>(step.entry)].includeEdges;
            if (step.next < edges.size()) {
                const auto &[included, name] = edges[step.next++];
                if (included > 0 && met.insert(included).second)
                    path.push_back({included, &name});
                continue;
            }
            written.inOrder.push_back(headerNamed(*step.name));
            path.pop_back();
        }
    }
    return headers;
}
