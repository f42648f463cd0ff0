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

// The program's functions of the fault's frames, innermost first.
int programFrames(const SymbolTable &table, NameBuffer (&names)[kFaultFrames]) {
    void *frames[kFaultFrames];
    int count = backtrace(frames, kFaultFrames);
    Dl_info program;
    if (!table.image || !dladdr(reinterpret_cast<void *>(&vel_guard_the_stack), &program))
        return 0;
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
    return found;
}

// Of the functions met more than once the first by name, else the
// innermost: for a stack that ran out where the tables of places tell no
// cycle (a recursion through a function held in a parameter).
int repeatedFunction(const NameBuffer *names, int found) {
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
    return best;
}

// The tables velc writes into each translation (one per source, after its
// marker): per function its symbol, its source, the line of its head, the
// line where it first calls itself (0 if none) and the symbols of the
// program's other functions it calls, separated by tabs, one function a
// line. Read after the fault into memory mapped then (the handler must not
// allocate); overloads share a symbol and count as one function, at the
// place of the first.
struct PlaceEntry {
    const char *symbol;
    std::size_t symbolLength;
    const char *file;
    std::size_t fileLength;
    long head;
    long recursion;
    const char *callees;
    std::size_t calleesLength;
};
struct PlaceTables {
    PlaceEntry *entries = nullptr;
    std::uint32_t *order = nullptr;    // the entries by symbol, then as the image holds them
    std::uint32_t *waiting = nullptr;  // of the walk through the calls
    unsigned char *marks = nullptr;
    std::size_t count = 0;
};
constexpr unsigned char kReached = 1;      // called, directly or not, from the function asked about
constexpr unsigned char kReachesBack = 2;  // calls it, directly or not

long readNumber(const char *&at, const char *end) {
    long number = 0;
    while (at < end && *at >= '0' && *at <= '9')
        number = number * 10 + (*at++ - '0');
    return number;
}
const char *fieldEnd(const char *at, const char *end, char stop) {
    while (at < end && *at != stop && *at != '\n' && *at != '\0')
        at++;
    return at;
}

// Reads the entries of the tables into `entries` (or only counts them when
// it is null); the count.
std::size_t readEntries(const SymbolTable &table, PlaceEntry *entries) {
    static const char marker[] = "\x7fvelmora functions\x01";
    const std::size_t markerLength = sizeof marker - 1;
    const char *end = table.image + table.imageSize;
    std::size_t count = 0;
    for (const char *at = table.image; at && at < end;) {
        at = static_cast<const char *>(memmem(at, static_cast<std::size_t>(end - at), marker, markerLength));
        if (!at)
            break;
        at += markerLength;
        while (at < end && *at != '\0') {
            PlaceEntry entry{};
            entry.symbol = at;
            const char *tab = fieldEnd(at, end, '\t');
            entry.symbolLength = static_cast<std::size_t>(tab - at);
            bool whole = tab < end && *tab == '\t';
            if (whole) {
                entry.file = tab + 1;
                const char *fileEnd = fieldEnd(entry.file, end, '\t');
                entry.fileLength = static_cast<std::size_t>(fileEnd - entry.file);
                const char *numbers = fileEnd + 1;
                whole = fileEnd < end && *fileEnd == '\t';
                entry.head = whole ? readNumber(numbers, end) : 0;
                whole = whole && numbers < end && *numbers++ == '\t';
                entry.recursion = whole ? readNumber(numbers, end) : 0;
                entry.callees = numbers < end && *numbers == '\t' ? numbers + 1 : numbers;
                at = fieldEnd(entry.callees, end, '\n');
                entry.calleesLength = static_cast<std::size_t>(at - entry.callees);
            } else {
                at = tab;
            }
            if (whole) {
                if (entries)
                    entries[count] = entry;
                count++;
            }
            if (at < end && *at == '\n')
                at++;
            else
                break;
        }
    }
    return count;
}

int compareSymbols(const char *a, std::size_t aLength, const char *b, std::size_t bLength) {
    int order = std::memcmp(a, b, aLength < bLength ? aLength : bLength);
    return order != 0 ? order : (aLength < bLength ? -1 : aLength > bLength ? 1 : 0);
}
bool entryBefore(const PlaceTables &places, std::uint32_t a, std::uint32_t b) {
    const PlaceEntry &x = places.entries[a];
    const PlaceEntry &y = places.entries[b];
    int order = compareSymbols(x.symbol, x.symbolLength, y.symbol, y.symbolLength);
    return order < 0 || (order == 0 && a < b);
}
void sortEntries(PlaceTables &places) {  // a heap sort: nothing allocated, no recursion
    std::uint32_t *order = places.order;
    std::size_t count = places.count;
    auto sink = [&](std::size_t at, std::size_t size) {
        for (std::size_t child = 2 * at + 1; child < size; at = child, child = 2 * at + 1) {
            if (child + 1 < size && entryBefore(places, order[child], order[child + 1]))
                child++;
            if (!entryBefore(places, order[at], order[child]))
                return;
            std::uint32_t held = order[at];
            order[at] = order[child];
            order[child] = held;
        }
    };
    for (std::size_t at = count / 2; at-- > 0;)
        sink(at, count);
    for (std::size_t size = count; size-- > 1;) {
        std::uint32_t held = order[0];
        order[0] = order[size];
        order[size] = held;
        sink(0, size);
    }
}

bool readPlaces(const SymbolTable &table, PlaceTables &places) {
    if (!table.image)
        return false;
    std::size_t count = readEntries(table, nullptr);
    if (count == 0 || count > 0xffffffffu)
        return false;
    std::size_t bytes = count * (sizeof(PlaceEntry) + 2 * sizeof(std::uint32_t) + 1);
    void *memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return false;
    places.entries = static_cast<PlaceEntry *>(memory);
    places.order = reinterpret_cast<std::uint32_t *>(places.entries + count);
    places.waiting = places.order + count;
    places.marks = reinterpret_cast<unsigned char *>(places.waiting + count);
    places.count = readEntries(table, places.entries);
    for (std::size_t i = 0; i < places.count; i++)
        places.order[i] = static_cast<std::uint32_t>(i);
    sortEntries(places);
    return true;
}

// The positions in `order` of the entries of a symbol: [first, last).
void symbolRange(const PlaceTables &places, const char *symbol, std::size_t length, std::size_t &first,
                 std::size_t &last) {
    std::size_t low = 0, high = places.count;
    while (low < high) {
        std::size_t middle = (low + high) / 2;
        const PlaceEntry &entry = places.entries[places.order[middle]];
        if (compareSymbols(entry.symbol, entry.symbolLength, symbol, length) < 0)
            low = middle + 1;
        else
            high = middle;
    }
    first = last = low;
    while (last < places.count) {
        const PlaceEntry &entry = places.entries[places.order[last]];
        if (compareSymbols(entry.symbol, entry.symbolLength, symbol, length) != 0)
            break;
        last++;
    }
}

// Calls visit(first, last) with the range of each function the entry
// calls, itself included when it calls itself.
template <typename Visit> void forEachCallee(const PlaceTables &places, const PlaceEntry &entry, Visit visit) {
    std::size_t first = 0, last = 0;
    if (entry.recursion > 0) {
        symbolRange(places, entry.symbol, entry.symbolLength, first, last);
        visit(first, last);
    }
    const char *at = entry.callees;
    const char *end = entry.callees + entry.calleesLength;
    while (at < end) {
        const char *blank = at;
        while (blank < end && *blank != ' ')
            blank++;
        if (blank > at) {
            symbolRange(places, at, static_cast<std::size_t>(blank - at), first, last);
            if (first < last && !visit(first, last))
                return;
        }
        at = blank + 1;
    }
}

// The plain name of a symbol: "Cell::part" is "part", and a name C++
// reserves loses the "_" velc gave it.
void plainName(const PlaceEntry &entry, NameBuffer &name) {
    std::size_t from = entry.symbolLength;
    while (from > 0 && entry.symbol[from - 1] != ':')
        from--;
    std::size_t length = entry.symbolLength - from;
    if (length >= sizeof name.text)
        length = sizeof name.text - 1;
    std::memcpy(name.text, entry.symbol + from, length);
    name.text[length] = '\0';
    if (length > 1 && name.text[length - 1] == '_')
        name.text[length - 1] = '\0';
}

// Whether the function of `symbol` is in a cycle of calls (or calls
// itself); if so `chosen` is the entry of the cycle's first function by
// name, which names it whichever of them the compiler inlined into the
// others.
bool cycleRepresentative(PlaceTables &places, const char *symbol, const PlaceEntry *&chosen) {
    std::size_t from = 0, to = 0;
    symbolRange(places, symbol, std::strlen(symbol), from, to);
    if (from == to)
        return false;
    std::memset(places.marks, 0, places.count);
    std::size_t waiting = 0;
    auto reach = [&](std::size_t from, std::size_t to) {
        for (std::size_t at = from; at < to; at++) {
            std::uint32_t index = places.order[at];
            if (!(places.marks[index] & kReached)) {
                places.marks[index] |= kReached;
                places.waiting[waiting++] = index;
            }
        }
        return true;
    };
    for (std::size_t at = from; at < to; at++)
        forEachCallee(places, places.entries[places.order[at]], reach);
    while (waiting > 0)
        forEachCallee(places, places.entries[places.waiting[--waiting]], reach);
    bool recursive = false;
    for (std::size_t at = from; at < to; at++) {
        recursive = recursive || (places.marks[places.order[at]] & kReached);
        places.marks[places.order[at]] |= kReachesBack;
    }
    if (!recursive)
        return false;
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t i = 0; i < places.count; i++) {
            if (places.marks[i] != kReached)
                continue;
            bool back = false;
            forEachCallee(places, places.entries[i], [&](std::size_t from, std::size_t to) {
                for (std::size_t at = from; at < to && !back; at++)
                    back = places.marks[places.order[at]] & kReachesBack;
                return !back;
            });
            if (back) {
                places.marks[i] |= kReachesBack;
                grew = true;
            }
        }
    }
    NameBuffer best{}, name{};
    const PlaceEntry *first = nullptr;
    for (std::size_t i = 0; i < places.count; i++) {
        if (!(places.marks[i] & kReachesBack))
            continue;
        const PlaceEntry &entry = places.entries[i];
        plainName(entry, name);
        int order = first ? std::strcmp(name.text, best.text) : -1;
        if (order < 0 || (order == 0 && compareSymbols(entry.symbol, entry.symbolLength, first->symbol,
                                                       first->symbolLength) < 0)) {
            first = &entry;
            best = name;
        }
    }
    if (!first)
        return false;
    // Overloads share the symbol: the place is its first entry's.
    symbolRange(places, first->symbol, first->symbolLength, from, to);
    chosen = &places.entries[places.order[from]];
    return true;
}

// The place of the first entry of a symbol.
const PlaceEntry *entryOf(const PlaceTables &places, const char *symbol) {
    std::size_t first = 0, last = 0;
    symbolRange(places, symbol, std::strlen(symbol), first, last);
    return first < last ? &places.entries[places.order[first]] : nullptr;
}

void writeBytes(const char *text, std::size_t length) {
    ssize_t ignored = write(STDERR_FILENO, text, length);
    (void)ignored;
}
void writeText(const char *text) { writeBytes(text, std::strlen(text)); }

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
    NameBuffer frames[kFaultFrames];
    int found = programFrames(table, frames);
    PlaceTables places;
    bool placed = readPlaces(table, places);
    // The innermost function of the frames that is in a cycle of calls is
    // told by the cycle's first by name; without one, as before.
    const PlaceEntry *chosen = nullptr;
    NameBuffer function{};
    for (int i = 0; placed && i < found && !chosen; i++)
        if (i == 0 || std::strcmp(frames[i].symbol, frames[i - 1].symbol) != 0)
            cycleRepresentative(places, frames[i].symbol, chosen);
    bool named = chosen != nullptr;
    if (named) {
        plainName(*chosen, function);
    } else {
        int best = repeatedFunction(frames, found);
        named = best >= 0;
        if (named) {
            function = frames[best];
            chosen = placed ? entryOf(places, function.symbol) : nullptr;
        }
    }
    if (chosen && chosen->fileLength > 0) {  // a table written without line directives names no place
        writeBytes(chosen->file, chosen->fileLength);
        writeText(" L");
        writeNumber(chosen->recursion > 0 ? chosen->recursion : chosen->head);
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
