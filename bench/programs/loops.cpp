// Nested integer loops: a sum over a 3,000 x 3,000 grid, kept small by mod.
#include <iostream>

int main() {
    int total = 0;
    for (int i = 0; i < 3000; i++)
        for (int j = 0; j < 3000; j++)
            total = (total + i * j + 1) % 1000003;
    std::cout << total << '\n';
}
