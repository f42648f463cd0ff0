// A native program stopped by Ctrl-C, `kill` or a closed terminal keeps what
// it printed. Its standard output is fully buffered when it goes to a file or
// a pipe, and the default action of these signals ends the process without
// writing the buffer: a program that printed and then looped was seen to
// leave an empty file behind. The handler writes the buffer and then ends
// the program by the same signal, so that the status says how it ended.
// Under WebAssembly the runner writes each piece of output as it comes.
#include "velmora/libvel.hpp"

#ifndef __EMSCRIPTEN__

#include <signal.h>

#include <cstdio>

namespace {

void writeOutputAndStop(int signal) {
    // The buffer may be in the middle of a write: a few bytes of it may be
    // lost or written twice, which beats losing all of it.
    std::fflush(stdout);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void keepOutputOn(int signal) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) != 0)
        return;
    // A signal the program was started to ignore (`nohup`, a background job
    // of a shell without job control) stays ignored; a handler of someone
    // else's stays too (its function shares the field with SIG_DFL's 0).
    if (before.sa_handler != SIG_DFL)
        return;
    struct sigaction action {};
    action.sa_handler = writeOutputAndStop;
    // Other signals of the set wait while the buffer is written once.
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGHUP);
    sigaction(signal, &action, nullptr);
}

}  // namespace

bool vel_keep_output_on_interrupt() {
    static bool installed = false;
    if (installed)
        return true;
    installed = true;
    keepOutputOn(SIGINT);
    keepOutputOn(SIGTERM);
    keepOutputOn(SIGHUP);
    return true;
}

#endif
