// Sieve of Eratosthenes over 2,000,000 numbers in a vector, sixteen rounds.
#include <iostream>
#include <vector>

int main() {
    const int limit = 2000000;
    int found = 0;
    for (int round = 0; round < 16; round++) {
        std::vector<int> composite;
        for (int n = 0; n < limit; n++)
            composite.push_back(0);
        found = 0;
        for (int p = 2; p < limit; p++) {
            if (composite[p] == 0) {
                found++;
                if (p < 1415)
                    for (int multiple = p * p; multiple < limit; multiple += p)
                        composite[multiple] = 1;
            }
        }
    }
    std::cout << found << '\n';
}
