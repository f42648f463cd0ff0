// The callers of a run-time error in a native program: the Velmora
// functions and lines that led to it, read from the program's line tables
// (DWARF, the compile option -g1) by GCC's libbacktrace, only when an error
// is reported. Under WebAssembly the module cannot see its own stack: the
// runtime tells the callers from the module's line tables instead
// (web/velmora_trace.mjs), in the same words.
#include "velmora/libvel.hpp"

#include <cstring>
#include <string>
#include <vector>

#if !defined(__EMSCRIPTEN__) && defined(VEL_WITH_BACKTRACE)
#include <backtrace.h>
#include <cxxabi.h>

namespace {

struct VelmoraFrame {
    std::string name;  // "" for top-level code
    std::string file;
    int line;
};

bool endsWith(const std::string &text, const char *end) {
    std::size_t length = std::strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

// "_Z5outeri" or "Cell::part(int)" as C++ names it without its class and
// parameters: "outer", "part".
std::string plainName(const char *function) {
    std::string name = function ? function : "";
    int status = 0;
    if (char *demangled = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status)) {
        name = demangled;
        std::free(demangled);
    }
    name = name.substr(0, name.find('('));
    std::string::size_type scope = name.rfind("::");
    return scope == std::string::npos ? name : name.substr(scope + 2);
}

// The name as the source spells it: a name C++ reserves carries one more "_".
std::string velmoraName(const std::string &plain) {
    std::string name = plain;
    if (name.size() > 1 && name.back() == '_')
        name.pop_back();
    return name;
}

// Top-level code: main and the parts and loops it goes on in, and the
// initialisers of file-level variables, which C++ runs in functions of its
// own before main (one per source, or per variable).
bool isTopLevel(const std::string &name) {
    for (const char *prefix : {"_vel_main_", "_vel_loop_", "_vel_init_", "__static_initialization_and_destruction",
                               "_GLOBAL__sub_I_", "__cxx_global_var_init"})
        if (name.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    return name == "main";
}

struct Collected {
    std::vector<VelmoraFrame> frames;
    bool topLevelSeen = false;
};

// Frames come innermost first, the functions inlined at a place before the
// one they were inlined into. The top level's first frame is where the
// program stood; the parts of main that called it say nothing more.
int collectFrame(void *data, std::uintptr_t, const char *file, int line, const char *function) {
    auto &collected = *static_cast<Collected *>(data);
    if (collected.topLevelSeen || !file)
        return 0;
    std::string path = file;
    if (!endsWith(path, ".vel") && !endsWith(path, ".vel+"))
        return 0;
    std::string base = path.substr(path.rfind('/') + 1);
    if (base.back() == '+') {  // a piece of a long main counts from its first line
        base.pop_back();
        line += vel_piece_first_line - 1;
    }
    std::string plain = plainName(function);
    // A lambda velc writes to keep the order of a call's arguments runs
    // inside the Velmora function at the same line: it is no caller.
    if (plain == "operator")
        return 0;
    bool topLevel = isTopLevel(plain);
    collected.frames.push_back({topLevel ? "" : velmoraName(plain), base, line});
    collected.topLevelSeen = topLevel;
    return 0;
}

void ignoreError(void *, const char *, int) {}

// The innermost frame in a Velmora source, with the C++ name of its function.
struct RunningPlace {
    bool skipOrderingLambdas = false;
    bool found = false;
    std::string file, function;
    int line = 0;
};

int firstProgramFrame(void *data, std::uintptr_t, const char *file, int line, const char *function) {
    auto &place = *static_cast<RunningPlace *>(data);
    if (!file)
        return 0;
    std::string path = file;
    if (!endsWith(path, ".vel") && !endsWith(path, ".vel+"))
        return 0;
    if (place.skipOrderingLambdas && plainName(function) == "operator")
        return 0;
    place.found = true;
    place.file = path.substr(path.rfind('/') + 1);
    place.line = line;
    // As __builtin_FUNCTION() names it, which the error's report reads.
    place.function = plainName(function);
    return 1;
}

backtrace_state *programState() {
    static backtrace_state *state = backtrace_create_state(nullptr, 0, ignoreError, nullptr);
    return state;
}

std::string frameText(const VelmoraFrame &frame) {
    std::string place = frame.file + " L" + std::to_string(frame.line);
    return frame.name.empty() ? place : frame.name + ", " + place;
}

}  // namespace

bool vel_running_program_place(std::string &file, int &line, std::string &function) {
    backtrace_state *state = programState();
    if (!state)
        return false;
    RunningPlace place;
    backtrace_full(state, 0, firstProgramFrame, ignoreError, &place);
    if (!place.found)
        return false;
    file = place.file;
    line = place.line;
    function = place.function;
    return true;
}

bool vel_function_around_lambda(std::string &function) {
    backtrace_state *state = programState();
    if (!state)
        return false;
    RunningPlace place;
    place.skipOrderingLambdas = true;
    backtrace_full(state, 0, firstProgramFrame, ignoreError, &place);
    if (!place.found)
        return false;
    function = place.function;
    return true;
}

void vel_write_callers(vel_output &out) {
    backtrace_state *state = programState();
    if (!state)
        return;
    Collected collected;
    backtrace_full(state, 0, collectFrame, ignoreError, &collected);
    // The first frame is the error's own place, which its message names; a
    // run of the same call (a recursion) is one line with its count.
    std::string previous;
    int repeated = 0;
    auto flush = [&] {
        if (repeated > 1)
            out << " (" << repeated << " times)";
        if (repeated > 0)
            out << "\n";
    };
    for (std::size_t i = 1; i < collected.frames.size(); i++) {
        std::string text = "  called from " + frameText(collected.frames[i]);
        if (text == previous) {
            repeated++;
            continue;
        }
        flush();
        out << text;
        previous = text;
        repeated = 1;
    }
    flush();
    out.flush();
}

#else

bool vel_running_program_place(std::string &, int &, std::string &) { return false; }

bool vel_function_around_lambda(std::string &) { return false; }

void vel_write_callers(vel_output &) {}

#endif
