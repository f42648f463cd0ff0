// What every program sets up before its main and its own globals: the report
// of a failed allocation and, natively, the guard of the stack and the
// output kept when a signal stops the program. libvel.hpp
// refers to vel_startup_linked from every compiled file, which links this
// object, and with it those it calls, into every program.
#include "velmora/libvel.hpp"

extern "C" {
int vel_startup_linked = 1;
}

#include <vector>

#if defined(__EMSCRIPTEN__) || defined(__wasi__)
#include <wasi/api.h>
#endif

#if defined(__EMSCRIPTEN__) || defined(__wasi__)
// velmora.a's WASI file layer (wasi_files.cpp): linked with this object,
// hence ahead of the C library's weak stand-ins.
extern "C" int vel_wasi_files_linked;
namespace {
__attribute__((used)) int *const wasiFilesAnchor = &vel_wasi_files_linked;
}  // namespace
#endif

namespace {

// 101 is the first priority left to programs: it runs before every
// initialiser without one, so a global of the program that allocates, or
// recurses, already has the handlers.
__attribute__((constructor(101))) void setUpBeforeMain() {
    vel_report_failed_allocations();
#ifndef __EMSCRIPTEN__
    vel_guard_the_stack();
    vel_keep_output_on_interrupt();
#endif
}

}  // namespace

#if defined(__EMSCRIPTEN__) || defined(__wasi__)

// The runtime hands the arguments to whoever asks, at any time.
char **vel_program_arguments() {
    static std::vector<char *> vector;
    static std::vector<char> strings;
    if (vector.empty()) {
        __wasi_size_t count = 0, size = 0;
        if (__wasi_args_sizes_get(&count, &size) == 0) {
            vector.resize(count);
            strings.resize(size + 1);
            if (__wasi_args_get(reinterpret_cast<uint8_t **>(vector.data()),
                                reinterpret_cast<uint8_t *>(strings.data())) != 0)
                vector.clear();
        }
        vector.push_back(nullptr);
    }
    return vector.data();
}

#else

namespace {

char **programArguments = nullptr;

// The C library passes every function of .init_array the arguments of
// main, before any initialiser of the program runs.
void keepProgramArguments(int, char **argv, char **) {
    programArguments = argv;
}

__attribute__((section(".init_array"), used)) void (*keepArguments)(int, char **, char **) =
    keepProgramArguments;

}  // namespace

char **vel_program_arguments() {
    static char *none[] = {nullptr};
    return programArguments ? programArguments : none;
}

#endif
