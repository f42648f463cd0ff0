#include "diagnostics/console_printer.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

FILE *streamOf(const Diagnostic &diagnostic) {
    return diagnostic.kind == DiagnosticKind::syntax ? stderr : stdout;
}

// The two streams may be one terminal or one file (2>&1): what was written
// to the other one goes out first, so that the lines are seen in the order
// they were written.
void flushOther(FILE *stream) { std::fflush(stream == stderr ? stdout : stderr); }

bool isTerminal(FILE *stream) { return isatty(fileno(stream)) == 1; }

// A byte that continues a UTF-8 character takes no column of its own on a terminal.
bool continuesCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

const char *const caretColour = "\033[1;31m";
const char *const hintColour = "\033[1;36m";
const char *const plainColour = "\033[0m";

}  // namespace

bool parseExcerptChoice(const std::string &value, ExcerptChoice &choice) {
    if (value == "auto")
        choice = ExcerptChoice::automatic;
    else if (value == "always")
        choice = ExcerptChoice::always;
    else if (value == "never")
        choice = ExcerptChoice::never;
    else
        return false;
    return true;
}

bool parseMessageForm(const std::string &value, MessageForm &form) {
    if (value == "text")
        form = MessageForm::text;
    else if (value == "json")
        form = MessageForm::json;
    else
        return false;
    return true;
}

std::vector<const Diagnostic *> inLineOrder(const std::vector<Diagnostic> &diagnostics) {
    std::vector<const Diagnostic *> ordered;
    for (const Diagnostic &diagnostic : diagnostics)
        ordered.push_back(&diagnostic);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Diagnostic *a, const Diagnostic *b) { return a->line < b->line; });
    return ordered;
}

void printDiagnosticLine(const Diagnostic &diagnostic) {
    FILE *stream = streamOf(diagnostic);
    flushOther(stream);
    std::fputs(diagnostic.text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

SourceLines::SourceLines(const std::string &text) {
    // The byte order mark some editors write first is not part of the
    // line, whose columns count from after it.
    std::string::size_type start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines_.push_back(line);
        start = end + 1;
    }
}

const std::string &SourceLines::line(int number) const {
    static const std::string none;
    if (number < 1 || static_cast<std::size_t>(number) > lines_.size())
        return none;
    return lines_[static_cast<std::size_t>(number - 1)];
}

std::string excerptOf(int lineNumber, const std::string &sourceLine, int first, int last, bool colour) {
    std::string number = std::to_string(lineNumber);
    std::string numbered = std::string(number.size() < 5 ? 5 - number.size() : 0, ' ') + number + " | ";
    std::string gutter = std::string(numbered.size() - 2, ' ') + "| ";
    std::string under;
    int column = 1;
    for (char c : sourceLine) {
        if (column >= first)
            break;
        if (!continuesCharacter(c))
            under += c == '\t' ? '\t' : ' ';
        column++;
    }
    std::string carets;
    for (int at = std::max(first, 1); at <= std::max(last, first); at++) {
        bool beyond = static_cast<std::size_t>(at) > sourceLine.size();
        if (!beyond && continuesCharacter(sourceLine[static_cast<std::size_t>(at - 1)]))
            continue;
        carets += carets.empty() ? '^' : '~';
        if (beyond)
            break;
    }
    if (colour)
        carets = caretColour + carets + plainColour;
    return numbered + sourceLine + "\n" + gutter + under + carets + "\n";
}

void printConsoleDiagnostics(const std::vector<Diagnostic> &diagnostics, const SourceLines &source,
                             ExcerptChoice choice) {
    for (const Diagnostic *diagnostic : inLineOrder(diagnostics)) {
        printDiagnosticLine(*diagnostic);
        FILE *stream = streamOf(*diagnostic);
        bool terminal = isTerminal(stream);
        bool excerpt = choice == ExcerptChoice::always || (choice == ExcerptChoice::automatic && terminal);
        if (!excerpt)
            continue;
        if (diagnostic->column > 0)
            std::fputs(excerptOf(diagnostic->line, source.line(diagnostic->line), diagnostic->column, diagnostic->endColumn, terminal)
                           .c_str(),
                       stream);
        if (!diagnostic->hint.empty())
            std::fprintf(stream, "    %shint:%s %s\n", terminal ? hintColour : "", terminal ? plainColour : "",
                         diagnostic->hint.c_str());
        std::fflush(stream);
    }
}
