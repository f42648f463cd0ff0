// Text building by appending in place, 100,000 times, in 150 rounds.
#include <iostream>
#include <string>

int main() {
    int total = 0;
    std::string piece = "abcdefgh";
    for (int round = 0; round < 150; round++) {
        std::string s;
        for (int i = 0; i < 100000; i++)
            s += piece;
        total += static_cast<int>(s.size());
    }
    std::cout << total << '\n';
}
