// Sorting 4,000,000 integers of a linear congruential sequence in a vector.
#include <algorithm>
#include <iostream>
#include <vector>

int main() {
    std::vector<int> numbers;
    int x = 1;
    for (int i = 0; i < 4000000; i++) {
        x = (x * 1103 + 12345) % 1000003;
        numbers.push_back(x);
    }
    std::sort(numbers.begin(), numbers.end());
    std::cout << numbers[0] << ' ' << numbers[2000000] << ' ' << numbers[3999999] << '\n';
}
