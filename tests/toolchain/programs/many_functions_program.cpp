// A program of 80 functions, each called once: more than the runner has
// optimised at their first call, so that only main and the code em++ wraps
// it in are.
#include <cstdio>

#define STEP(n) \
    __attribute__((noinline)) int step##n(int x) { return x + n; }
#define TEN_STEPS(t) STEP(t##0) STEP(t##1) STEP(t##2) STEP(t##3) STEP(t##4) \
                     STEP(t##5) STEP(t##6) STEP(t##7) STEP(t##8) STEP(t##9)
TEN_STEPS(1) TEN_STEPS(2) TEN_STEPS(3) TEN_STEPS(4) TEN_STEPS(5) TEN_STEPS(6) TEN_STEPS(7) TEN_STEPS(8)

#define CALL(n) x = step##n(x);
#define TEN_CALLS(t) CALL(t##0) CALL(t##1) CALL(t##2) CALL(t##3) CALL(t##4) \
                     CALL(t##5) CALL(t##6) CALL(t##7) CALL(t##8) CALL(t##9)

int main(int argc, char **) {
    int x = argc;
    TEN_CALLS(1) TEN_CALLS(2) TEN_CALLS(3) TEN_CALLS(4) TEN_CALLS(5) TEN_CALLS(6) TEN_CALLS(7) TEN_CALLS(8)
    std::printf("%d\n", x);
    return 0;
}
