#include "translator/foreign_lines.hpp"

#include <cctype>
#include <vector>

namespace {

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t\r\n"), last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The end of the text that starts with the quote at `at` (the byte after
// its closing quote, or the end of the line).
std::string::size_type afterText(const std::string &line, std::string::size_type at) {
    char quote = line[at];
    for (std::string::size_type i = at + 1; i < line.size(); i++) {
        if (line[i] == '\\')
            i++;
        else if (line[i] == quote)
            return i + 1;
    }
    return line.size();
}

bool opensText(char c) { return c == '"' || c == '\''; }

// The line without its comment, trimmed.
std::string codeOf(const std::string &line) {
    for (std::string::size_type i = 0; i < line.size();) {
        if (opensText(line[i])) {
            i = afterText(line, i);
        } else if (line[i] == '#' || line.compare(i, 2, "//") == 0) {
            return trimmed(line.substr(0, i));
        } else {
            i++;
        }
    }
    return trimmed(line);
}

std::string firstWord(const std::string &code) {
    std::string::size_type end = 0;
    while (end < code.size() && isNameCharacter(code[end]))
        end++;
    return code.substr(0, end);
}

bool endsWithWord(const std::string &code, const std::string &word) {
    if (code.size() < word.size() || code.compare(code.size() - word.size(), word.size(), word) != 0)
        return false;
    return code.size() == word.size() || !isNameCharacter(code[code.size() - word.size() - 1]);
}

std::string withoutSemicolons(std::string code) {
    while (!code.empty() && (code.back() == ';' || code.back() == ' ' || code.back() == '\t'))
        code.pop_back();
    return code;
}

// A condition without the `{`, `then`, `do` or `:` that begins the block.
std::string withoutBlockStart(std::string code) {
    code = withoutSemicolons(code);
    if (!code.empty() && (code.back() == '{' || code.back() == ':'))
        code.pop_back();
    else if (endsWithWord(code, "then"))
        code.erase(code.size() - 4);
    else if (endsWithWord(code, "do"))
        code.erase(code.size() - 2);
    return trimmed(code);
}

// `(x == 1)` is `x == 1` when its parentheses hold the whole condition.
std::string withoutOuterParentheses(const std::string &condition) {
    if (condition.size() < 2 || condition.front() != '(' || condition.back() != ')')
        return condition;
    int depth = 0;
    for (std::string::size_type i = 0; i < condition.size(); i++) {
        if (opensText(condition[i])) {
            i = afterText(condition, i) - 1;
        } else if (condition[i] == '(') {
            depth++;
        } else if (condition[i] == ')' && --depth == 0 && i + 1 < condition.size()) {
            return condition;   // `(a) and (b)`: the first pair closes early
        }
    }
    return trimmed(condition.substr(1, condition.size() - 2));
}

// A word of the language between blanks, where another language wrote a
// sign that may stand without them (`a&&b`).
void appendWord(std::string &out, const std::string &word, const std::string &code, std::string::size_type next) {
    if (!out.empty() && out.back() != ' ' && out.back() != '(')
        out += ' ';
    out += word;
    if (next < code.size() && code[next] != ' ')
        out += ' ';
}

// The value words of other languages: `None`, `null`, `True`.
const char *valueWord(const std::string &word) {
    if (word == "None" || word == "null" || word == "NULL" || word == "nullptr" || word == "undefined" ||
        word == "nothing")
        return "nil";
    if (word == "True")
        return "true";
    if (word == "False")
        return "false";
    return nullptr;
}

std::string::size_type wordEnd(const std::string &code, std::string::size_type at) {
    while (at < code.size() && isNameCharacter(code[at]))
        at++;
    return at;
}

// The word at `at` as this language writes it, or empty when it stays;
// `conditions`: `x is not None` compares, as a block's condition does.
std::string languageWord(const std::string &code, std::string::size_type at, bool conditions,
                         std::string::size_type &end) {
    end = wordEnd(code, at);
    std::string word = code.substr(at, end - at);
    if (const char *value = valueWord(word))
        return value;
    if (!conditions || word != "is")
        return "";
    std::string::size_type next = code.find_first_not_of(' ', end);
    if (next != std::string::npos && wordEnd(code, next) == next + 3 && code.compare(next, 3, "not") == 0) {
        end = next + 3;
        return "!=";
    }
    return "=";
}

std::string withLanguageOperators(const std::string &code, bool conditions) {
    std::string out;
    for (std::string::size_type i = 0; i < code.size();) {
        std::string::size_type end = 0;
        std::string word;
        bool wordStarts = isNameCharacter(code[i]) && (i == 0 || !isNameCharacter(code[i - 1]));
        if (opensText(code[i])) {
            end = afterText(code, i);
            out += code.substr(i, end - i);
            i = end;
        } else if (wordStarts && !(word = languageWord(code, i, conditions, end)).empty()) {
            out += word;
            i = end;
        } else if (wordStarts) {
            out += code.substr(i, wordEnd(code, i) - i);
            i = wordEnd(code, i);
        } else if (code[i] == '!' && code.compare(i, 2, "!=") != 0) {
            // `!done` of the languages of C.
            appendWord(out, "not", code, i + 1);
            i++;
        } else if (code.compare(i, 3, "!==") == 0) {
            out += "!=";
            i += 3;
        } else if (code.compare(i, 3, "===") == 0) {
            out += "=";
            i += 3;
        } else if (code.compare(i, 2, "==") == 0) {
            out += "=";
            i += 2;
        } else if (code.compare(i, 2, "&&") == 0 || code.compare(i, 2, "||") == 0) {
            appendWord(out, code[i] == '&' ? "and" : "or", code, i + 2);
            i += 2;
        } else {
            out += code[i++];
        }
    }
    return out;
}

bool startsABlock(const std::string &word) {
    for (const char *block : {"if", "while", "for", "switch", "elseif", "elif", "elsif", "unless", "until"})
        if (word == block)
            return true;
    return false;
}

}  // namespace

std::string velmoraForm(const std::string &line) {
    std::string code = codeOf(line);
    std::string word = firstWord(code);
    if (startsABlock(word)) {
        std::string condition = withoutOuterParentheses(withoutBlockStart(code.substr(word.size())));
        code = condition.empty() ? word : word + " " + condition;
        return withLanguageOperators(code, true);
    }
    return withLanguageOperators(withoutSemicolons(code), false);
}

std::string blockCloserOf(const std::string &line) {
    std::string word = firstWord(codeOf(line));
    if (word == "if" || word == "elseif" || word == "elif" || word == "elsif" || word == "unless")
        return "/if";
    if (word == "foreach")
        return "/for";
    for (const char *block : {"while", "for", "switch", "do", "try"})
        if (word == block)
            return "/" + word;
    return "";
}

bool endsAsAForeignBlock(const std::string &line) {
    std::string code = withoutSemicolons(codeOf(line));
    return (!code.empty() && code.back() == '{') || endsWithWord(code, "then") || endsWithWord(code, "do");
}

std::string foreignBlockClosing(const std::string &line) {
    std::string closer = blockCloserOf(line);
    if (!endsAsAForeignBlock(line) || closer.empty())
        return "";
    return ", and close the block with `" + closer + "`";
}

std::string velmoraFormHint(const std::string &line) {
    return "write `" + velmoraForm(line) + "`" + foreignBlockClosing(line);
}

namespace {

// The parts of a filled text's body (`x = {x}`): the texts between the
// braces written as texts, the names in them as they are, without a format
// after `:`.
std::vector<std::string> filledTextParts(const std::string &body) {
    std::vector<std::string> parts;
    std::string text;
    for (std::string::size_type i = 0; i < body.size(); i++) {
        bool doubled = i + 1 < body.size() && body[i + 1] == body[i];
        if ((body[i] == '{' || body[i] == '}') && doubled) {
            text += body[i++];
        } else if (body[i] == '{') {
            std::string::size_type close = body.find('}', i);
            if (close == std::string::npos)
                return {};
            if (!text.empty())
                parts.push_back("\"" + text + "\"");
            text.clear();
            std::string value = trimmed(body.substr(i + 1, close - i - 1));
            value = trimmed(value.substr(0, value.find(':')));
            if (!value.empty() && value.back() == '=')   // `{x=}` prints the name too
                value = trimmed(value.substr(0, value.size() - 1));
            parts.push_back(withLanguageOperators(value, false));
            i = close;
        } else {
            text += body[i];
        }
    }
    if (!text.empty())
        parts.push_back("\"" + text + "\"");
    return parts;
}

std::string joinedParts(const std::vector<std::string> &parts, const char *separator) {
    std::string out;
    for (const std::string &part : parts)
        out += (out.empty() ? "" : separator) + part;
    return out;
}

}  // namespace

std::string filledTextHint(const std::string &line, std::string::size_type prefix) {
    std::string::size_type quote = prefix + 1;
    if (quote >= line.size() || !opensText(line[quote]))
        return "";
    std::string::size_type end = afterText(line, quote);
    std::vector<std::string> parts = filledTextParts(line.substr(quote + 1, end - quote - 2));
    if (parts.empty())
        return "";
    std::string code = codeOf(line);
    std::string rest = trimmed(withoutSemicolons(line.substr(end)));
    bool printed = firstWord(code) == "print" && (rest.empty() || rest == ")");
    if (printed)
        return "a text takes no values inside it; `print` writes them one after another: write `print " +
               joinedParts(parts, ", ") + "`";
    for (std::string &part : parts)
        if (!opensText(part[0]))
            part = (wordEnd(part, 0) == part.size() ? part : "(" + part + ")") + ".totext()";
    return "a text takes no values inside it: join its parts with `+`, each value as a text: " +
           joinedParts(parts, " + ");
}

std::string interpolatedTextHint(const std::string &line, std::string::size_type quote) {
    if (quote >= line.size() || (line[quote] != '"' && line[quote] != '`'))
        return "";
    // The body up to its closing quote, its values put in braces.
    std::string body;
    std::string::size_type i = quote + 1;
    bool filled = false;
    for (; i < line.size() && line[i] != line[quote]; i++) {
        bool swift = line[quote] == '"' && line.compare(i, 2, "\\(") == 0;
        bool script = line[quote] == '`' && line.compare(i, 2, "${") == 0;
        if (!swift && !script) {
            body += line[i];
            continue;
        }
        char close = swift ? ')' : '}';
        std::string::size_type end = line.find(close, i + 2);
        if (end == std::string::npos)
            return "";
        body += "{" + line.substr(i + 2, end - i - 2) + "}";
        filled = true;
        i = end;
    }
    if (!filled || i >= line.size())
        return "";
    return filledTextHint(line.substr(0, quote) + "f\"" + body + "\"" + line.substr(i + 1), quote);
}
