// Spectral norm of A(i, j) = 1 / ((i + j)(i + j + 1) / 2 + i + 1): ten
// rounds of the power method on vectors of 2,000 doubles.
#include <cmath>
#include <iostream>
#include <vector>

static double entry(int i, int j) { return 1.0 / ((i + j) * (i + j + 1) / 2 + i + 1); }

static std::vector<double> timesA(const std::vector<double> &u, int n) {
    std::vector<double> result;
    for (int i = 0; i < n; i++) {
        double sum = 0;
        for (int j = 0; j < n; j++) sum += entry(i, j) * u[j];
        result.push_back(sum);
    }
    return result;
}

static std::vector<double> timesAt(const std::vector<double> &u, int n) {
    std::vector<double> result;
    for (int i = 0; i < n; i++) {
        double sum = 0;
        for (int j = 0; j < n; j++) sum += entry(j, i) * u[j];
        result.push_back(sum);
    }
    return result;
}

static std::vector<double> timesAtA(const std::vector<double> &u, int n) { return timesAt(timesA(u, n), n); }

int main() {
    const int n = 2000;
    std::vector<double> u(n, 1.0), v;
    for (int round = 0; round < 10; round++) {
        v = timesAtA(u, n);
        u = timesAtA(v, n);
    }
    double vBv = 0, vv = 0;
    for (int i = 0; i < n; i++) {
        vBv += u[i] * v[i];
        vv += v[i] * v[i];
    }
    std::cout << std::sqrt(vBv / vv) << '\n';
}
