#pragma once
// The code of one Velmora source line as the hints read it: the bytes
// outside texts and chars, before a `#` or `//` comment.
#include <string>

// Calls `visit(at, byte)` for each byte of code in `line` (a backslash in
// a text escapes the byte after it) and stops when `visit` returns false.
// Returns where the walk stopped: the first byte of a comment, the byte
// `visit` refused, or the end of the line.
template <typename Visit>
std::string::size_type walkLineCode(const std::string &line, Visit visit) {
    char quote = 0;
    for (std::string::size_type i = 0; i < line.size(); i++) {
        char c = line[i];
        if (quote) {
            if (c == '\\')
                i++;
            else if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#' || (c == '/' && i + 1 < line.size() && line[i + 1] == '/')) {
            return i;
        } else if (!visit(i, c)) {
            return i;
        }
    }
    return line.size();
}
