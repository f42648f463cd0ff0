// Recursive Fibonacci of 35 to 39, one each: the argument changes from round
// to round, so that no compiler computes one call for all rounds.
#include <iostream>

int fib(int n) {
    if (n < 2)
        return n;
    return fib(n - 1) + fib(n - 2);
}

int main() {
    int total = 0;
    for (int round = 0; round < 5; round++)
        total += fib(35 + round);
    std::cout << total << '\n';
}
