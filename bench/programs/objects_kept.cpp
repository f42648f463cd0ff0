// Ten million objects made one at a time, each replacing (and freeing) the
// one kept before.
#include <iostream>
#include <memory>

struct Item {
    int value = 0;
    Item *next = nullptr;
};

int main() {
    std::unique_ptr<Item> kept;
    int total = 0;
    for (int i = 0; i < 10000000; i++) {
        std::unique_ptr<Item> made(new Item());
        made->value = i % 7;
        kept = std::move(made);
        total = total + kept->value;
    }
    std::cout << total << '\n';
}
