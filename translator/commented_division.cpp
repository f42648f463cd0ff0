#include "translator/commented_division.hpp"

#include <cctype>

#include "translator/quoted_texts.hpp"

namespace {

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Where the `//` that begins the line's comment stands, or npos when the
// comment begins otherwise (`#`, `/*`) or there is none.
std::string::size_type commentStart(const std::string &line) {
    QuotedTexts texts;
    for (std::string::size_type i = 0; i < line.size(); i++) {
        char c = line[i];
        if (texts.holds(line, i))
            continue;
        if (c == '#')
            return std::string::npos;
        else if (c == '/' && i + 1 < line.size() && line[i + 1] == '*')
            return std::string::npos;
        else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/')
            return i;
    }
    return std::string::npos;
}

// The value that ends `code`: a name or number, or a bracketed group with
// the name before it (`f(a)`, `a[1]`); empty when `code` ends otherwise.
std::string valueAtEnd(const std::string &code) {
    std::string::size_type end = code.size();
    if (end == 0)
        return "";
    std::string::size_type start = end;
    if (code[end - 1] == ')' || code[end - 1] == ']') {
        int depth = 0;
        while (start > 0) {
            char c = code[--start];
            depth += (c == ')' || c == ']') ? 1 : (c == '(' || c == '[') ? -1 : 0;
            if (depth == 0)
                break;
        }
        if (depth != 0)
            return "";
    }
    while (start > 0 && (isNameCharacter(code[start - 1]) || code[start - 1] == '.'))
        start--;
    std::string value = code.substr(start);
    return value.empty() || value[0] == '.' ? "" : value;
}

// Whether `text` is an arithmetic expression of names, numbers, brackets
// and operators, and its first value.
bool arithmetic(const std::string &text, std::string &first, bool &strong) {
    bool wantValue = true;
    int depth = 0;
    strong = false;
    std::string::size_type i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == ' ' || c == '\t') {
            i++;
        } else if (c == '(') {
            if (!wantValue)
                return false;
            depth++;
            strong = true;
            i++;
        } else if (c == ')') {
            if (wantValue || --depth < 0)
                return false;
            i++;
        } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '%') {
            if (wantValue && c != '-')
                return false;
            if (!wantValue)
                strong = true;
            wantValue = true;
            i++;
        } else if (isNameCharacter(c)) {
            if (!wantValue)
                return false;
            std::string::size_type start = i;
            while (i < text.size() && (isNameCharacter(text[i]) || (text[i] == '.' && isDigit(text[start]))))
                i++;
            if (first.empty())
                first = text.substr(start, i - start);
            if (isDigit(c))
                strong = true;
            wantValue = false;
        } else {
            return false;
        }
    }
    return !wantValue && depth == 0 && !first.empty();
}

}  // namespace

bool commentedDivision(const std::string &line, CommentedDivision &found) {
    std::string::size_type at = commentStart(line);
    if (at == std::string::npos)
        return false;
    std::string code = line.substr(0, at);
    std::string::size_type last = code.find_last_not_of(" \t");
    if (last == std::string::npos)
        return false;
    std::string left = valueAtEnd(code.substr(0, last + 1));
    std::string comment = line.substr(at + 2);
    std::string::size_type end = comment.find_last_not_of(" \t\r");
    std::string first;
    bool strong = false;
    if (left.empty() || end == std::string::npos || !arithmetic(comment.substr(0, end + 1), first, strong) ||
        !strong)
        return false;
    found.column = static_cast<int>(at) + 1;
    found.endColumn = static_cast<int>(at + 2 + end) + 1;
    found.left = left;
    found.right = first;
    return true;
}

std::string commentedDivisionMessage(const CommentedDivision &found) {
    return "warning: `//` begins a comment: the line ends at `" + found.left + "`";
}

std::string commentedDivisionHint(const CommentedDivision &found) {
    return "a division whose whole part is kept is written `/` with `.toInt()`: (" + found.left + " / " +
           found.right + ").toInt()";
}
