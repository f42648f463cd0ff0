// Fannkuch-redux of 10: every permutation of 10 items, the pancake flips
// each takes to bring its first item to 1, their checksum and the most.
#include <iostream>
#include <vector>

int main() {
    const int n = 10;
    std::vector<int> perm1(n), perm(n), count(n);
    for (int i = 0; i < n; i++) perm1[i] = i;
    int checksum = 0, maxFlips = 0, permCount = 0, r = n;
    for (;;) {
        while (r != 1) {
            count[r - 1] = r;
            r--;
        }
        for (int i = 0; i < n; i++) perm[i] = perm1[i];
        int flips = 0;
        for (int k = perm[0]; k != 0; k = perm[0]) {
            for (int i = 0, j = k; i < j; i++, j--) {
                int t = perm[i];
                perm[i] = perm[j];
                perm[j] = t;
            }
            flips++;
        }
        if (flips > maxFlips) maxFlips = flips;
        checksum += permCount % 2 == 0 ? flips : -flips;
        for (;;) {
            if (r == n) {
                std::cout << checksum << '\n' << "Pfannkuchen(" << n << ") = " << maxFlips << '\n';
                return 0;
            }
            int first = perm1[0];
            for (int i = 0; i < r; i++) perm1[i] = perm1[i + 1];
            perm1[r] = first;
            count[r]--;
            if (count[r] > 0) break;
            r++;
        }
        permCount++;
    }
}
