// rand() and srand() of generated programs.
//
// Programs call the C names, but the C libraries' generators differ (glibc
// and musl give other sequences for the same seed), and a program must print
// the same numbers natively and under WebAssembly. These definitions take
// the place of the C library's in every program linked with velmora.a: a
// SplitMix64 generator whose top 31 bits are the result, so 0..RAND_MAX
// (2^31 - 1 on both platforms).
// No C header is included here: glibc declares them throw(), which a plain
// definition would contradict.
#include <cstdint>

namespace {

// As if srand(1) had been called, as C requires.
std::uint64_t generatorState = 1;

}  // namespace

extern "C" void srand(unsigned seed) { generatorState = seed; }

extern "C" int rand() {
    generatorState += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = generatorState;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<int>(z >> 33);
}
