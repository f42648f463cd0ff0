// Method calls: 300,000,000 calls of a small method of one object.
#include <iostream>

class Counter {
public:
    int count = 0;
    void add(int n) { count = count + n; }
    int value() { return count; }
};

int main() {
    Counter *counter = new Counter();
    for (int i = 0; i < 300000000; i++)
        counter->add(i % 3);
    std::cout << counter->value() << '\n';
}
