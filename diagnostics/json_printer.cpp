#include "diagnostics/json_printer.hpp"

#include <cstdio>

#include "diagnostics/console_printer.hpp"

namespace {

// A JSON string: quotes, backslashes and control characters escaped; other
// bytes as they are (sources are UTF-8).
std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Columns are never reported as 0 to a reader counting from 1: an unknown
// column is the line's start.
int fromOne(int column) { return column > 0 ? column : 1; }

}  // namespace

std::string jsonLine(const Diagnostic &d) {
    std::string line = "{\"code\":" + std::to_string(d.code) + ",\"file\":" + quoted(d.file) +
                       ",\"line\":" + std::to_string(d.line) + ",\"column\":" + std::to_string(fromOne(d.column)) +
                       ",\"endColumn\":" + std::to_string(fromOne(d.endColumn > 0 ? d.endColumn : d.column)) +
                       ",\"message\":" + quoted(d.message);
    if (!d.hint.empty())
        line += ",\"hint\":" + quoted(d.hint);
    line += std::string(",\"severity\":") + (d.counted() ? "\"error\"" : "\"warning\"");
    if (d.related.line > 0)
        line += ",\"related\":{\"file\":" + quoted(d.related.file) + ",\"line\":" + std::to_string(d.related.line) +
                ",\"column\":" + std::to_string(fromOne(d.related.column)) + "}";
    return line + "}";
}

void printJsonDiagnostics(const std::vector<Diagnostic> &diagnostics) {
    for (const Diagnostic *diagnostic : inLineOrder(diagnostics))
        std::printf("%s\n", jsonLine(*diagnostic).c_str());
    std::fflush(stdout);
}
