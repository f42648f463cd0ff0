// Loops over containers: a vector of 100,000 ints and one of as many values
// walked in 300 rounds, and an insertion-ordered table of 1,000 entries in
// 3,000 rounds.
#include <iostream>
#include <string>
#include <utility>
#include <vector>

int main() {
    std::vector<int> numbers;
    std::vector<long long> values;
    std::vector<std::pair<std::string, int>> table;
    for (int i = 0; i < 100000; i++) {
        numbers.push_back(i % 1000);
        values.push_back(i % 7);
    }
    for (int i = 0; i < 1000; i++)
        table.emplace_back("k" + std::to_string(i), i);
    int total = 0;
    for (int round = 0; round < 300; round++) {
        for (int n : numbers)
            total = (total + n) % 1000003;
        for (long long v : values)
            total = static_cast<int>((total + v) % 1000003);
    }
    for (int round = 0; round < 3000; round++)
        for (const auto &entry : table)
            total = (total + entry.second) % 1000003;
    std::cout << total << '\n';
}
