// Ten million objects made in pairs, a parent owning a child that points
// back at it, each pair replacing (and freeing) the one kept before.
#include <iostream>
#include <memory>

struct Item {
    int value = 0;
    std::unique_ptr<Item> child;
    Item *parent = nullptr;
};

int main() {
    std::unique_ptr<Item> kept;
    int total = 0;
    for (int i = 0; i < 5000000; i++) {
        std::unique_ptr<Item> parent(new Item());
        parent->child.reset(new Item());
        parent->child->parent = parent.get();
        parent->child->value = i % 7;
        kept = std::move(parent);
        total = total + kept->child->value;
    }
    std::cout << total << '\n';
}
