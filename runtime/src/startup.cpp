// What every program sets up before its main and its own globals: the report
// of a failed allocation and, natively, the guard of the stack and the
// output kept when a signal stops the program. libvel.hpp
// refers to vel_startup_linked from every compiled file, which links this
// object, and with it those it calls, into every program.
#include "velmora/libvel.hpp"

extern "C" {
int vel_startup_linked = 1;
}

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
