// Counting: 1,000,000 updates of a hash map over 1,000 text keys, eight rounds.
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

int main() {
    std::vector<std::string> names;
    for (int i = 0; i < 1000; i++)
        names.push_back("key" + std::to_string(i));
    int total = 0;
    std::unordered_map<std::string, long long> counts;
    for (int round = 0; round < 8; round++) {
        counts = {};
        for (int i = 0; i < 1000000; i++) {
            std::string name = names[(i * 7) % 1000];
            counts[name] = counts[name] + 1;
        }
        total += static_cast<int>(counts.size());
    }
    std::cout << total << ' ' << counts["key7"] << '\n';
}
