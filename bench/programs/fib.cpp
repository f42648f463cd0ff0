// Recursive Fibonacci of 30, five times.
#include <iostream>

int fib(int n) {
    if (n < 2)
        return n;
    return fib(n - 1) + fib(n - 2);
}

int main() {
    int total = 0;
    for (int round = 0; round < 5; round++)
        total += fib(30);
    std::cout << total << '\n';
}
