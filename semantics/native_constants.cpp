#include "semantics/native_constants.hpp"
#include "semantics/source_semantics.hpp"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <set>

namespace {

// Sorted. Only names whose value is the same on both tool chains: LONG_MAX,
// BUFSIZ and the like differ between the host and WebAssembly.
const char *const portableConstants[] = {
    "CHAR_BIT", "CHAR_MAX", "CHAR_MIN", "EOF", "EXIT_FAILURE", "EXIT_SUCCESS",
    "INT16_MAX", "INT16_MIN", "INT32_MAX", "INT32_MIN", "INT64_MAX", "INT64_MIN",
    "INT8_MAX", "INT8_MIN", "INT_MAX", "INT_MIN", "LLONG_MAX", "LLONG_MIN",
    "RAND_MAX", "SCHAR_MAX", "SCHAR_MIN", "SEEK_CUR", "SEEK_END", "SEEK_SET",
    "SHRT_MAX", "SHRT_MIN", "UCHAR_MAX", "UINT16_MAX", "UINT32_MAX", "UINT64_MAX",
    "UINT8_MAX", "UINT_MAX", "ULLONG_MAX", "USHRT_MAX"};

bool lessThan(const char *a, const char *b) { return std::strcmp(a, b) < 0; }

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

void noteNativeDefinitions(const std::string &nativeText) {
    std::size_t at = 0;
    while ((at = nativeText.find('#', at)) != std::string::npos) {
        std::size_t word = nativeText.find_first_not_of(" \t", at + 1);
        at++;
        if (word == std::string::npos || nativeText.compare(word, 6, "define") != 0)
            continue;
        std::size_t name = nativeText.find_first_not_of(" \t", word + 6);
        if (name == std::string::npos || name == word + 6)
            continue;
        std::size_t end = name;
        while (end < nativeText.size() && isNameCharacter(nativeText[end]))
            end++;
        if (end > name)
            sourceSemantics().nativeDefinitions.insert(nativeText.substr(name, end - name));
    }
}

bool isNativeConstant(const std::string &name) {
    return std::binary_search(std::begin(portableConstants), std::end(portableConstants), name.c_str(),
                              lessThan) ||
           sourceSemantics().nativeDefinitions.count(name) != 0;
}
