// Sorting 1,000,000 integers of a linear congruential sequence in a vector.
#include <algorithm>
#include <iostream>
#include <vector>

int main() {
    std::vector<int> numbers;
    int x = 1;
    for (int i = 0; i < 1000000; i++) {
        x = (x * 1103 + 12345) % 1000003;
        numbers.push_back(x);
    }
    std::sort(numbers.begin(), numbers.end());
    std::cout << numbers[0] << ' ' << numbers[500000] << ' ' << numbers[999999] << '\n';
}
