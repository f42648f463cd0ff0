// A native program whose recursion exhausts the stack ends with one line
// that says so, and with status 1, instead of a bare "Segmentation fault".
// The handler runs on a stack of its own, since the program's is full; it
// costs nothing until the fault. Under WebAssembly the runtime reports the
// trap itself.
#include "velmora/libvel.hpp"

#ifndef __EMSCRIPTEN__

#include <dlfcn.h>
#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Frames of the fault looked at for the program's function that ran it.
constexpr int kFaultFrames = 64;
// A fault this far below the lowest address of the stack still counts as
// the stack's: the guard page and a frame that skipped over it.
constexpr std::size_t kBelowStack = 256 * 1024;

char *stackLowest = nullptr;
char *stackHighest = nullptr;

bool onTheStack(const void *address) {
    const char *at = static_cast<const char *>(address);
    return stackLowest && at >= stackLowest - kBelowStack && at < stackHighest;
}

// The name of a symbol of the program's code as the Velmora source spells
// it: "_Z4downi4text" is "down", the method "_ZN4Cell4partEi" is "part"
// (errors name a method without its class). Names of libvel, of the C++
// library and of operators give "" (they are not the program's).
struct NameBuffer {
    char text[128];
    char symbol[256];  // the C++ name, with its class: "Cell::part"
};
bool isLibraryName(const char *name, std::size_t length) {
    auto is = [&](const char *word) { return length == std::strlen(word) && std::strncmp(name, word, length) == 0; };
    return name[0] == '_' || std::strncmp(name, "vel", length < 3 ? length : 3) == 0 || is("text") || is("dyn") ||
           is("dict");
}
bool readLength(const char *&at, std::size_t &length) {
    if (*at < '1' || *at > '9')
        return false;
    length = 0;
    while (*at >= '0' && *at <= '9')
        length = length * 10 + static_cast<std::size_t>(*at++ - '0');
    return std::strlen(at) >= length;
}
bool velmoraName(const char *symbol, NameBuffer &name) {
    if (!symbol || std::strncmp(symbol, "_Z", 2) != 0)
        return false;
    const char *at = symbol + 2;
    bool nested = *at == 'N';
    if (nested)
        at++;
    std::size_t length = 0;
    if (!readLength(at, length) || isLibraryName(at, length))
        return false;
    std::size_t symbolLength = 0;
    if (nested) {
        if (length + 2 >= sizeof name.symbol)
            return false;
        std::memcpy(name.symbol, at, length);
        std::memcpy(name.symbol + length, "::", 2);
        symbolLength = length + 2;
        at += length;  // the class; the method follows it
        if (!readLength(at, length))
            return false;
    }
    if (length >= sizeof name.text || symbolLength + length >= sizeof name.symbol)
        return false;
    std::memcpy(name.symbol + symbolLength, at, length);
    name.symbol[symbolLength + length] = '\0';
    std::memcpy(name.text, at, length);
    name.text[length] = '\0';
    if (length > 1 && name.text[length - 1] == '_')  // a C++ word velc renamed
        name.text[length - 1] = '\0';
    return true;
}

// The function symbols of the program file, read from its symbol table
// (the program's functions are local symbols, which dladdr does not see).
struct SymbolTable {
    const char *image = nullptr;
    std::size_t imageSize = 0;
    const ElfW(Sym) *symbols = nullptr;
    std::size_t count = 0;
    const char *names = nullptr;
    bool absolute = false;  // a program not linked as position-independent
};
bool readSymbolTable(SymbolTable &table) {
    int file = open("/proc/self/exe", O_RDONLY);
    if (file < 0)
        return false;
    struct stat status;
    void *image = fstat(file, &status) == 0 ? mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ,
                                                    MAP_PRIVATE, file, 0)
                                             : MAP_FAILED;
    close(file);
    if (image == MAP_FAILED || static_cast<std::size_t>(status.st_size) < sizeof(ElfW(Ehdr)))
        return false;
    table.image = static_cast<const char *>(image);
    table.imageSize = static_cast<std::size_t>(status.st_size);
    const auto *header = reinterpret_cast<const ElfW(Ehdr) *>(table.image);
    if (std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 || header->e_shoff == 0)
        return false;
    table.absolute = header->e_type == ET_EXEC;
    const auto *sections = reinterpret_cast<const ElfW(Shdr) *>(table.image + header->e_shoff);
    for (int i = 0; i < header->e_shnum; i++) {
        if (sections[i].sh_type != SHT_SYMTAB || sections[i].sh_link >= header->e_shnum)
            continue;
        table.symbols = reinterpret_cast<const ElfW(Sym) *>(table.image + sections[i].sh_offset);
        table.count = sections[i].sh_size / sizeof(ElfW(Sym));
        table.names = table.image + sections[sections[i].sh_link].sh_offset;
        return true;
    }
    return false;
}
const char *functionAt(const SymbolTable &table, std::size_t offset) {
    for (std::size_t i = 0; i < table.count; i++) {
        const ElfW(Sym) &symbol = table.symbols[i];
        if (ELF64_ST_TYPE(symbol.st_info) == STT_FUNC && offset >= symbol.st_value &&
            offset < symbol.st_value + symbol.st_size)
            return table.names + symbol.st_name;
    }
    return nullptr;
}

// The program's function a stack fault happened in, from the innermost
// frames: one of the recursion, else the innermost.
bool faultFunction(const SymbolTable &table, NameBuffer &chosen) {
    void *frames[kFaultFrames];
    int count = backtrace(frames, kFaultFrames);
    Dl_info program;
    if (!table.image || !dladdr(reinterpret_cast<void *>(&vel_guard_the_stack), &program))
        return false;
    NameBuffer names[kFaultFrames];
    int found = 0;
    for (int i = 0; i < count; i++) {
        Dl_info info;
        if (!dladdr(frames[i], &info) || info.dli_fbase != program.dli_fbase)
            continue;
        std::uintptr_t base = table.absolute ? 0 : reinterpret_cast<std::uintptr_t>(program.dli_fbase);
        std::size_t offset = reinterpret_cast<std::uintptr_t>(frames[i]) - base;
        if (velmoraName(functionAt(table, offset), names[found]))
            found++;
    }
    // Of the functions met more than once (the recursion: one function, or
    // several calling each other in turn) the first by name, whichever of
    // them the stack happened to run out in; else the innermost.
    int best = found > 0 ? 0 : -1;
    bool repeated = false;
    for (int i = 0; i < found; i++) {
        int same = 0;
        for (int j = 0; j < found; j++)
            same += std::strcmp(names[i].text, names[j].text) == 0;
        if (same > 1 && (!repeated || std::strcmp(names[i].text, names[best].text) < 0)) {
            best = i;
            repeated = true;
        }
    }
    if (best < 0)
        return false;
    chosen = names[best];
    return true;
}

// The Velmora place of a function: the tables velc writes into each
// translation (one per source, after its marker) give the source, the line
// of the function's head and the line where it first calls itself.
struct FunctionPlace {
    char file[256];
    long line = 0;
};
long readNumber(const char *&at, const char *end) {
    long number = 0;
    while (at < end && *at >= '0' && *at <= '9')
        number = number * 10 + (*at++ - '0');
    return number;
}
bool placeInTable(const char *at, const char *end, const char *symbol, FunctionPlace &place) {
    std::size_t symbolLength = std::strlen(symbol);
    while (at < end && *at != '\0') {
        const char *tab = static_cast<const char *>(std::memchr(at, '\t', static_cast<std::size_t>(end - at)));
        const char *fileEnd = tab ? static_cast<const char *>(std::memchr(tab + 1, '\t', static_cast<std::size_t>(end - tab - 1)))
                                  : nullptr;
        if (!fileEnd)
            return false;
        bool same = static_cast<std::size_t>(tab - at) == symbolLength && std::memcmp(at, symbol, symbolLength) == 0;
        const char *numbers = fileEnd + 1;
        long head = readNumber(numbers, end);
        numbers++;
        long recursion = readNumber(numbers, end);
        if (same && static_cast<std::size_t>(fileEnd - tab - 1) < sizeof place.file) {
            std::memcpy(place.file, tab + 1, static_cast<std::size_t>(fileEnd - tab - 1));
            place.file[fileEnd - tab - 1] = '\0';
            place.line = recursion > 0 ? recursion : head;
            return true;
        }
        at = numbers + 1;  // past the line end
    }
    return false;
}
bool functionPlace(const SymbolTable &table, const char *symbol, FunctionPlace &place) {
    static const char marker[] = "\x7fvelmora functions\x01";
    const std::size_t markerLength = sizeof marker - 1;
    const char *end = table.image + table.imageSize;
    for (const char *at = table.image; at && at < end;) {
        at = static_cast<const char *>(memmem(at, static_cast<std::size_t>(end - at), marker, markerLength));
        if (!at)
            break;
        at += markerLength;
        if (placeInTable(at, end, symbol, place))
            return true;
    }
    return false;
}

void writeText(const char *text) {
    ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void writeNumber(long number) {
    char digits[24];
    int at = sizeof digits - 1;
    digits[at] = '\0';
    do {
        digits[--at] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0 && at > 0);
    writeText(digits + at);
}

void onSegmentationFault(int signal, siginfo_t *info, void *) {
    if (!onTheStack(info->si_addr)) {
        // Some other fault: the default action, as if no handler were there.
        ::signal(signal, SIG_DFL);
        return;
    }
    std::fflush(stdout);
    SymbolTable table;
    readSymbolTable(table);
    NameBuffer function;
    bool named = faultFunction(table, function);
    FunctionPlace place;
    if (named && functionPlace(table, function.symbol, place)) {
        writeText(place.file);
        writeText(" L");
        writeNumber(place.line);
        writeText(": ");
    }
    writeText("Run-time error: recursion too deep, the stack is exhausted");
    if (named) {
        writeText(" (in ");
        writeText(function.text);
        writeText(")");
    }
    writeText("\n");
    _exit(1);
}

void rememberStackBounds() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0)
        return;
    void *lowest = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attributes, &lowest, &size) == 0) {
        stackLowest = static_cast<char *>(lowest);
        stackHighest = stackLowest + size;
    }
    pthread_attr_destroy(&attributes);
}

}  // namespace

bool vel_guard_the_stack() {
    static bool installed = false;
    if (installed)
        return true;
    installed = true;
    rememberStackBounds();
    // The unwinder is loaded now: in the handler it must not allocate.
    void *frame[1];
    backtrace(frame, 1);
    static char handlerStack[64 * 1024];
    stack_t alternate{};
    alternate.ss_sp = handlerStack;
    alternate.ss_size = sizeof handlerStack;
    if (sigaltstack(&alternate, nullptr) != 0)
        return false;
    struct sigaction action {};
    action.sa_sigaction = onSegmentationFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, nullptr);
    return true;
}

#endif
