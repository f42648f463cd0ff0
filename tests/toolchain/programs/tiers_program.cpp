// A program whose own code runs once and briefly: main, and a function with
// a loop that main calls once. Linked with its function names, as velc
// links, so that the runner can tell them from the C library's.
#include <cstdio>

__attribute__((noinline)) int sumOfRemainders(int count) {
    int sum = 0;
    for (int i = 0; i < count; i++)
        sum += i % 7;
    return sum;
}

int main(int argc, char **) {
    std::printf("%d\n", sumOfRemainders(1000 * argc));
    return 0;
}
