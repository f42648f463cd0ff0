#include "driver/format_tokens.hpp"

#include <cctype>
#include <set>

namespace {

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\r'; }

// The words a slash closes a block with; as the lexer, only before a line
// end, a blank or ";".
bool terminatorAt(const std::string &line, std::size_t at, std::size_t &end) {
    static const char *const words[] = {"class", "if", "while", "for", "do", "switch",
                                        "error", "enum", "try", "extern", "import"};
    for (const char *word : words) {
        std::string name = word;
        if (line.compare(at + 1, name.size(), name) != 0)
            continue;
        std::size_t after = at + 1 + name.size();
        if (after == line.size() || line[after] == ' ' || line[after] == ';' || line[after] == '\r') {
            end = after;
            return true;
        }
    }
    return false;
}

// The end of a quoted text that starts at `at`, or npos when the line ends first.
std::size_t quotedTextEnd(const std::string &line, std::size_t at) {
    char quote = line[at];
    for (std::size_t i = at + 1; i < line.size(); i++) {
        if (line[i] == '\\')
            i++;
        else if (line[i] == quote)
            return i + 1;
    }
    return std::string::npos;
}

std::size_t numberEnd(const std::string &line, std::size_t i) {
    while (i < line.size() && isDigit(line[i]))
        i++;
    if (i + 1 < line.size() && line[i] == '.' && isDigit(line[i + 1])) {
        i++;
        while (i < line.size() && isDigit(line[i]))
            i++;
    }
    if (i < line.size() && (line[i] == 'e' || line[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < line.size() && (line[j] == '+' || line[j] == '-'))
            j++;
        if (j < line.size() && isDigit(line[j]))
            i = j;
    }
    while (i < line.size() && isWordChar(line[i]))
        i++;
    return i;
}

// The end of an XML tag's start or end, or npos when none starts here.
std::size_t markupEnd(const std::string &line, std::size_t i) {
    if (line.compare(i, 9, "<?elmora>") == 0)
        return i + 9;
    if (line.compare(i, 2, "<!") == 0)
        return i + 2;
    std::size_t j = i + 1;
    bool closing = j < line.size() && line[j] == '/';
    if (closing)
        j++;
    if (j >= line.size() || !isLetter(line[j]))
        return std::string::npos;
    while (j < line.size() && isWordChar(line[j]))
        j++;
    if (closing) {
        if (j >= line.size() || line[j] != '>')
            return std::string::npos;
        j++;
    }
    return j;
}

std::size_t symbolEnd(const std::string &line, std::size_t i) {
    static const char *const pairs[] = {"<=", ">=", "!=", "<>", "<<", ">>", "--", ".."};
    for (const char *pair : pairs)
        if (line.compare(i, 2, pair) == 0)
            return i + 2;
    return i + 1;
}

// "$name", "$(NAME)" and "@name" as the lexer reads them.
std::size_t sigilEnd(const std::string &line, std::size_t i) {
    std::size_t j = i + 1;
    if (line[i] == '$' && j < line.size() && line[j] == '(') {
        std::size_t close = line.find(')', j);
        return close == std::string::npos ? j : close + 1;
    }
    while (j < line.size() && (isWordChar(line[j]) || (line[i] == '@' && line[j] == '@')))
        j++;
    return j;
}

}  // namespace

bool isWordBeforeOperand(const std::string &word) {
    static const std::set<std::string> words = {
        "return", "print", "echo", "if", "while", "until", "case", "in", "step", "and",
        "or", "not", "mod", "let", "else", "elseif", "is", "input", "for", "switch", "error"};
    return words.count(word) != 0;
}

FormatLine tokenizeLine(const std::string &line) {
    FormatLine result;
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t start = i;
        while (i < line.size() && isBlank(line[i]))
            i++;
        bool blank = i > start;
        if (i >= line.size())
            break;
        char c = line[i];
        auto add = [&](FormatTokenKind kind, std::size_t end) {
            result.tokens.push_back({kind, line.substr(i, end - i), blank});
            i = end;
        };
        if (c == '#' || line.compare(i, 2, "//") == 0) {
            result.commentGap = line.substr(start, i - start);
            result.comment = line.substr(i);
            return result;
        }
        std::string closer = line.compare(i, 2, "/*") == 0 ? "*/" : line.compare(i, 2, "~~") == 0 ? "~~" : c == '`' ? "`" : "";
        if (!closer.empty()) {
            std::size_t opener = c == '`' ? 1 : 2;
            std::size_t close = line.find(closer, i + opener);
            if (close == std::string::npos) {
                result.opening = closer == "*/" ? LineOpening::blockComment
                                 : closer == "~~" ? LineOpening::native
                                                  : LineOpening::templateText;
                result.commentGap = line.substr(start, i - start);
                result.openingText = line.substr(i);
                return result;
            }
            add(FormatTokenKind::embedded, close + closer.size());
            continue;
        }
        if (c == '"' || c == '\'') {
            std::size_t end = quotedTextEnd(line, i);
            if (end == std::string::npos) {
                result.closedText = false;
                end = line.size();
            }
            add(FormatTokenKind::text, end);
            continue;
        }
        if (isLetter(c)) {
            std::size_t end = i;
            while (end < line.size() && isWordChar(line[end]))
                end++;
            add(FormatTokenKind::word, end);
            continue;
        }
        if (isDigit(c) || (c == '.' && i + 1 < line.size() && isDigit(line[i + 1]))) {
            add(FormatTokenKind::number, c == '.' ? numberEnd(line, i + 1) : numberEnd(line, i));
            continue;
        }
        std::size_t end = 0;
        if (c == '/' && terminatorAt(line, i, end)) {
            add(FormatTokenKind::terminator, end);
            continue;
        }
        if (c == '<' && (end = markupEnd(line, i)) != std::string::npos) {
            add(FormatTokenKind::markup, end);
            continue;
        }
        if (c == '$' || c == '@') {
            add(FormatTokenKind::other, sigilEnd(line, i));
            continue;
        }
        add(FormatTokenKind::symbol, symbolEnd(line, i));
    }
    return result;
}
