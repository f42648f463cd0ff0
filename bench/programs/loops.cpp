// Nested integer loops: a sum over a 8,000 x 8,000 grid, kept small by mod.
#include <iostream>

int main() {
    int total = 0;
    for (int i = 0; i < 8000; i++)
        for (int j = 0; j < 8000; j++)
            total = (total + i * j + 1) % 1000003;
    std::cout << total << '\n';
}
