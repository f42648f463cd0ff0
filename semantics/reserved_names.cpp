#include "semantics/reserved_names.hpp"
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

// The table extracted from the headers at build time (reserved_names_table.cpp
// in the build tree), sorted, followed by a null entry.
extern const char *const headerReservedNames[];
extern const std::size_t headerReservedNameCount;

namespace {

// Names reserved whatever the headers hold, sorted.
const char *const fixedReservedNames[] = {
    "alignas", "alignof", "and", "and_eq",
    "argc",   // the generated main's first parameter when the program uses argv
    "asm", "atomic_cancel", "atomic_commit", "atomic_noexcept", "auto", "bitand", "bitor",
    "bool", "break", "case", "catch", "char", "char16_t", "char32_t", "char8_t", "class",
    "co_await", "co_return", "co_yield", "compl", "concept", "const", "const_cast",
    "consteval", "constexpr", "constinit", "continue", "decltype", "default", "delete",
    "do", "double", "dynamic_cast", "else", "enum", "explicit", "export", "extern", "false",
    "final", "float", "for", "friend", "goto",
    "i386",   // predefined by GNU dialects on 32-bit x86
    "if", "import", "inline", "int",
    "linux",   // predefined by GNU dialects on Linux
    "long", "main", "module", "mutable", "namespace", "new", "noexcept", "not", "not_eq",
    "nullptr", "operator", "or", "or_eq", "override", "private", "protected", "public",
    "reflexpr", "register", "reinterpret_cast", "requires", "return", "short", "signed",
    "sizeof", "static", "static_assert", "static_cast", "std", "struct", "switch",
    "synchronized", "template", "this", "thread_local", "throw", "transaction_safe",
    "transaction_safe_dynamic", "true", "try", "typedef", "typeid", "typename",
    "typeof",   // a keyword of the GNU dialects
    "union",
    "unix",   // predefined by GNU dialects and by em++
    "unsigned", "using", "virtual", "void", "volatile", "wchar_t", "while", "xor", "xor_eq"};

bool lessThan(const char *a, const char *b) { return std::strcmp(a, b) < 0; }

bool inTable(const char *const *begin, const char *const *end, const char *name) {
    return std::binary_search(begin, end, name, lessThan);
}

}  // namespace

bool isReservedName(const std::string &name) {
    const char *s = name.c_str();
    // libvel's own names start with "vel_", members of its object base
    // (vel_retain, vel_trace, ...) included, which a class's members of the
    // same name would replace.
    // A renamed spelling, which ends in '_', stays free.
    if (name.compare(0, 4, "vel_") == 0 && name.back() != '_')
        return true;
    return inTable(std::begin(fixedReservedNames), std::end(fixedReservedNames), s) ||
           inTable(headerReservedNames, headerReservedNames + headerReservedNameCount, s);
}

std::string emittedNameFor(const std::string &name) {
    if (isReservedName(name) || (!name.empty() && name.back() == '_'))
        return name + "_";
    return name;
}

std::vector<std::string> reservedNameList() {
    std::vector<std::string> all(std::begin(fixedReservedNames), std::end(fixedReservedNames));
    all.insert(all.end(), headerReservedNames, headerReservedNames + headerReservedNameCount);
    std::sort(all.begin(), all.end());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    return all;
}

std::size_t headerReservedNameTotal() { return headerReservedNameCount; }
