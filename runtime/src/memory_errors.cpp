// An allocation that fails is a run-time error of the program, natively as
// under WebAssembly: "prog.vel L4: Run-time error: out of memory" (the
// place when an operation of libvel set one), status 1. Without a handler a
// native program would end with the C++ library's abort (status 134) and a
// module with a bare trap.
#include "velmora/libvel.hpp"

#include <unistd.h>

#include <cstdlib>
#include <new>

namespace {

// Kept back from the start and given up when memory runs out, so that the
// report itself (a text, the stream) can still allocate. A native report
// also reads the program's line tables to place the error (libbacktrace
// maps them and builds its tables, a few megabytes for a large program),
// and memory that ran out in small steps, an array growing chunk by chunk,
// leaves nothing else free: the reserve is larger there, and costs only
// address space, since its pages are never touched. Under WebAssembly the
// runner reads the line tables.
char *reserve = nullptr;
#ifdef __EMSCRIPTEN__
constexpr std::size_t reserveSize = 256 * 1024;
#else
constexpr std::size_t reserveSize = 32 * 1024 * 1024;
#endif

void outOfMemory() {
    static bool reporting = false;
    delete[] reserve;
    reserve = nullptr;
    if (reporting) {
        // The report could not allocate either: a fixed line, and out.
        static const char line[] = "Run-time error: out of memory\n";
        ssize_t written = write(STDERR_FILENO, line, sizeof line - 1);
        (void)written;
        _exit(1);
    }
    reporting = true;
    vel_fatal("out of memory");
}

}  // namespace

bool vel_report_failed_allocations() {
    static bool installed = false;
    if (!installed) {
        installed = true;
        // A process given little address space still starts, with less kept back.
        for (std::size_t size = reserveSize; !reserve && size >= 64 * 1024; size /= 4)
            reserve = new (std::nothrow) char[size];
        std::set_new_handler(outOfMemory);
    }
    return true;
}
