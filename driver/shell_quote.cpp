#include "driver/shell_quote.hpp"

namespace {

bool isPlainShellCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string("_-+=./,:@%").find(c) != std::string::npos;
}

}  // namespace

std::string shellQuote(const std::string &word) {
    bool plain = !word.empty();
    for (char c : word)
        plain = plain && isPlainShellCharacter(c);
    if (plain)
        return word;
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}
