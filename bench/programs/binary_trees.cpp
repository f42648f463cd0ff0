// Binary trees of depth 4 to 16: many short-lived trees made, checked and
// freed, beside one long-lived tree of depth 16.
#include <iostream>

struct Node {
    Node *left = nullptr;
    Node *right = nullptr;
    ~Node() {
        delete left;
        delete right;
    }
};

static Node *make(int depth) {
    Node *node = new Node();
    if (depth > 0) {
        node->left = make(depth - 1);
        node->right = make(depth - 1);
    }
    return node;
}

static int check(const Node *node) {
    if (node->left == nullptr) return 1;
    return 1 + check(node->left) + check(node->right);
}

static int checkAndFree(Node *node) {
    int result = check(node);
    delete node;
    return result;
}

int main() {
    const int maxDepth = 16, minDepth = 4, stretch = maxDepth + 1;
    std::cout << "stretch tree of depth " << stretch << " check: " << checkAndFree(make(stretch)) << '\n';
    Node *longLived = make(maxDepth);
    for (int depth = minDepth; depth <= maxDepth; depth += 2) {
        int iterations = 1 << (maxDepth - depth + minDepth);
        int total = 0;
        for (int i = 0; i < iterations; i++) total += checkAndFree(make(depth));
        std::cout << iterations << " trees of depth " << depth << " check: " << total << '\n';
    }
    std::cout << "long lived tree of depth " << maxDepth << " check: " << checkAndFree(longLived) << '\n';
}
