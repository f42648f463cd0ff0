// A grid of 1,000 rows of 1,000 ints, each row copied out by index and
// summed, twenty times.
#include <iostream>
#include <vector>

int main() {
    std::vector<std::vector<int>> grid;
    for (int y = 0; y < 1000; y++) {
        std::vector<int> row;
        for (int x = 0; x < 1000; x++)
            row.push_back((x * y) % 97);
        grid.push_back(row);
    }
    int total = 0;
    for (int round = 0; round < 20; round++)
        for (std::size_t y = 0; y < grid.size(); y++) {
            std::vector<int> row = grid[y];
            for (std::size_t x = 0; x < row.size(); x++)
                total = (total + row[x]) % 1000003;
        }
    std::cout << total << '\n';
}
