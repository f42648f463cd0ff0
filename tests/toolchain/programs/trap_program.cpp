// Stops with a trap, or calls a host function nobody provides when given an
// argument; both must end the run with a failure status.
#include <cstdio>

extern "C" void velmora_host_function_nobody_provides();

int main(int argc, char**) {
    std::printf("before\n");
    std::fflush(stdout);
    if (argc > 1)
        velmora_host_function_nobody_provides();
    else
        __builtin_trap();
    std::printf("after\n");
    return 0;
}
