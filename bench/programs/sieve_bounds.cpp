// The sieve of sieve.cpp with inclusive bounds, sixteen rounds.
#include <iostream>
#include <vector>

int main() {
    const int limit = 2000000;
    const int last = limit - 1;
    const int rounds = 16;
    int found = 0;
    for (int round = 1; round <= rounds; round++) {
        std::vector<int> composite;
        for (int n = 0; n <= last; n++)
            composite.push_back(0);
        found = 0;
        for (int p = 2; p <= last; p++) {
            if (composite[p] == 0) {
                found++;
                if (p < 1415)
                    for (int multiple = p * p; multiple <= last; multiple += p)
                        composite[multiple] = 1;
            }
        }
    }
    std::cout << found << '\n';
}
