// Grows the module's memory to 200 MB and touches every page, so the host
// must cope with a large, grown memory up to and including process exit.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main() {
    const size_t chunkSize = 10u * 1024 * 1024;
    const int chunkCount = 20;
    unsigned long checksum = 0;
    for (int i = 0; i < chunkCount; ++i) {
        char* chunk = static_cast<char*>(std::malloc(chunkSize));
        if (!chunk) {
            std::printf("allocation %d failed\n", i);
            return 1;
        }
        std::memset(chunk, i + 1, chunkSize);
        checksum += static_cast<unsigned char>(chunk[chunkSize - 1]);
    }
    std::printf("allocated 200 MB, checksum %lu\n", checksum);
    return 0;
}
