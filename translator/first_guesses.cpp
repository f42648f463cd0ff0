#include "translator/first_guesses.hpp"

#include <algorithm>
#include <cstring>
#include <cctype>

#include "VLTokenTypes.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"

namespace {

using T = VLTokenTypes;

const std::string &lineText(int line) {
    static const std::string none;
    return translation().positions ? translation().positions->line(line) : none;
}

std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// What a C cast to a type becomes: a method after its value, or a function
// around it (a name starting with a `.` is a method).
struct Conversion {
    const char *type, *written;
};

const Conversion conversions[] = {
    {"int", ".toInt()"},   {"integer", ".toInt()"}, {"long", ".toInt()"},    {"short", ".toInt()"},
    {"Int", ".toInt()"},   {"real", ".toReal()"},   {"float", ".toReal()"},  {"double", ".toReal()"},
    {"Double", ".toReal()"}, {"text", "str"},       {"string", "str"},       {"String", "str"},
};

// The byte after the bracket or text that opens at `at`, or npos.
std::string::size_type afterBracketed(const std::string &code, std::string::size_type at) {
    if (code[at] == '"') {
        std::string::size_type close = code.find('"', at + 1);
        return close == std::string::npos ? close : close + 1;
    }
    int depth = 0;
    for (std::string::size_type i = at; i < code.size(); i++) {
        if (code[i] == '(')
            depth++;
        else if (code[i] == ')' && --depth == 0)
            return i + 1;
    }
    return std::string::npos;
}

// The end of the value that starts at `at`: a bracket, a text, or a name or
// a number with the members and the arguments that follow it.
std::string::size_type valueEnd(const std::string &code, std::string::size_type at) {
    if (at >= code.size())
        return std::string::npos;
    if (code[at] == '(' || code[at] == '"')
        return afterBracketed(code, at);
    std::string::size_type end = at;
    while (end < code.size() && (isNameCharacter(code[end]) || code[end] == '.'))
        end++;
    if (end == at)
        return std::string::npos;
    return end < code.size() && code[end] == '(' ? afterBracketed(code, end) : end;
}

// The conversion of `operand` to `conversion`: a method after it, or a
// function around it.
std::string converted(const std::string &operand, const Conversion &conversion) {
    if (conversion.written[0] != '.')
        return std::string(conversion.written) + "(" + operand + ")";
    bool plain = std::isalpha(static_cast<unsigned char>(operand[0])) || operand[0] == '(';
    return (plain ? operand : "(" + operand + ")") + conversion.written;
}

// The start of the value that ends before `end`: a bracket, a text, or a
// name or a number with its members.
std::string::size_type valueStart(const std::string &code, std::string::size_type end) {
    if (end == 0)
        return std::string::npos;
    char last = code[end - 1];
    if (last == ')' || last == '"') {
        int depth = 0;
        for (std::string::size_type i = end; i-- > 0;) {
            if (last == '"' ? (code[i] == '"' && i + 1 < end) : (code[i] == '(' && --depth == 0))
                return i;
            if (last == ')' && code[i] == ')')
                depth++;
        }
        return std::string::npos;
    }
    std::string::size_type start = end;
    while (start > 0 && (isNameCharacter(code[start - 1]) || code[start - 1] == '.'))
        start--;
    return start == end ? std::string::npos : start;
}

// `x as int` of Rust, Kotlin, Swift and TypeScript.
bool asCastGuess(const std::string &text, int line, Guess &guess) {
    for (std::string::size_type as = text.find(" as "); as != std::string::npos; as = text.find(" as ", as + 1)) {
        std::string::size_type type = text.find_first_not_of(" \t", as + 4), typeEnd = type;
        while (typeEnd < text.size() && isNameCharacter(text[typeEnd]))
            typeEnd++;
        std::string::size_type valueEnd = text.find_last_not_of(" \t", as);
        std::string::size_type value = valueEnd == std::string::npos ? valueEnd : valueStart(text, valueEnd + 1);
        if (type == std::string::npos || value == std::string::npos)
            continue;
        for (const Conversion &conversion : conversions) {
            if (text.compare(type, typeEnd - type, conversion.type) != 0 ||
                typeEnd - type != std::char_traits<char>::length(conversion.type))
                continue;
            std::string operand = text.substr(value, valueEnd + 1 - value);
            guess = Guess{line, static_cast<int>(as) + 2, static_cast<int>(typeEnd), "`as` is not a conversion",
                          "a value changes its type with a method or a function: write `" +
                              trimmed(text.substr(0, value) + converted(operand, conversion) + text.substr(typeEnd)) +
                              "`"};
            return true;
        }
    }
    return false;
}

// `(int) 2.5`, `(double)x`: C's cast, as the conversion it means.
bool castGuess(const std::string &text, int line, Guess &guess) {
    for (std::string::size_type open = text.find('('); open != std::string::npos; open = text.find('(', open + 1)) {
        std::string::size_type close = text.find(')', open);
        if (close == std::string::npos)
            return false;
        std::string type = trimmed(text.substr(open + 1, close - open - 1));
        std::string::size_type value = text.find_first_not_of(" \t", close + 1);
        std::string::size_type end = value == std::string::npos ? value : valueEnd(text, value);
        if (end == std::string::npos || (open > 0 && isNameCharacter(text[open - 1])))
            continue;
        for (const Conversion &conversion : conversions) {
            if (type != conversion.type)
                continue;
            std::string operand = text.substr(value, end - value);
            guess = Guess{line, static_cast<int>(open) + 1, static_cast<int>(close) + 1,
                          "`(" + type + ")` is not a conversion",
                          "a value changes its type with a method or a function: write `" +
                              trimmed(text.substr(0, open) + converted(operand, conversion) + text.substr(end)) + "`"};
            return true;
        }
    }
    return false;
}

// `if [ $x -eq 1 ]; then`, `while [[ $n -gt 0 ]]; do`: the condition as
// this language writes it, its names without `$`.
bool shellTestGuess(const std::string &text, int line, Guess &guess) {
    std::string code = trimmed(text);
    std::string word = code.substr(0, code.find(' '));
    std::string::size_type open = text.find('[');
    std::string::size_type close = text.rfind(']');
    if ((word != "if" && word != "while" && word != "elif") || open == std::string::npos ||
        close == std::string::npos || close < open || trimmed(text.substr(0, open)) != word)
        return false;
    std::string::size_type from = text.find_first_not_of("[ \t", open), to = text.find_last_not_of("] \t", close);
    if (from == std::string::npos || to == std::string::npos || to < from)
        return false;
    static const char *const tests[][2] = {{"-eq", "="}, {"-ne", "!="}, {"-lt", "<"}, {"-gt", ">"},
                                           {"-le", "<="}, {"-ge", ">="}, {"==", "="}, {"&&", "and"}, {"||", "or"}};
    std::string condition = text.substr(from, to - from + 1);
    for (const auto &test : tests)
        for (std::string::size_type at = condition.find(test[0]); at != std::string::npos;
             at = condition.find(test[0], at + std::strlen(test[1])))
            condition.replace(at, std::strlen(test[0]), test[1]);
    condition.erase(std::remove(condition.begin(), condition.end(), '$'), condition.end());
    std::string meant = word == "elif" ? "else` then `if" : word;
    guess = Guess{line, static_cast<int>(open) + 1, static_cast<int>(close) + 1,
                  "a condition is not written in `[ ]`",
                  "a condition stands alone, its names without `$`: write `" + meant + " " + condition + "`", true};
    return true;
}

bool shellLoopGuess(const std::string &text, int line, Guess &guess) {
    std::string code = trimmed(text);
    std::string::size_type in = code.find(" in ");
    if (code.compare(0, 4, "for ") != 0 || in == std::string::npos)
        return false;
    std::string values = trimmed(code.substr(in + 4));
    std::string::size_type end = values.find(';');
    values = trimmed(values.substr(0, end));
    if (values.empty() || values.find(' ') == std::string::npos || values.find_first_of("[](),\"") != std::string::npos)
        return false;
    std::string listed;
    for (std::string::size_type at = 0; at < values.size();) {
        std::string::size_type next = values.find(' ', at);
        std::string value = values.substr(at, next == std::string::npos ? std::string::npos : next - at);
        if (!value.empty())
            listed += (listed.empty() ? "" : ", ") + value;
        at = next == std::string::npos ? values.size() : next + 1;
    }
    std::string::size_type first = text.find(values);
    translation().variablesOfToldLoops.push_back(trimmed(code.substr(4, in - 4)));
    guess = Guess{line, static_cast<int>(first) + 1, static_cast<int>(first + values.size()),
                  "values in a row are not a range", "a loop over some values names them in an array: write `" +
                  code.substr(0, in) + " in [" + listed + "]`", true};
    return true;
}

}  // namespace

std::string castHint(int line, const std::string &type) {
    Guess guess;
    bool cast = castGuess(lineText(line), line, guess) && guess.message.compare(0, type.size() + 4, "`(" + type + ")`") == 0;
    return cast ? guess.hint : "";
}

bool guessAt(const antlr::RefToken &token, Guess &guess) {
    int line = token->getLine();
    const std::string &text = lineText(line);
    if (text.empty())
        return false;
    if (castGuess(text, line, guess) || asCastGuess(text, line, guess))
        return true;
    auto reportSyntax = [&](int, int first, int last, const std::string &message, const std::string &hint) {
        guess = Guess{line, first, last, message, hint, guess.absorbsBlockStart};
    };
    std::string::size_type at = static_cast<std::string::size_type>(byteColumn(text, token->getColumn()) - 1);
    int type = token->getType();
    int column = static_cast<int>(at) + 1;
    if (type == T::EQUAL && at > 0 && at < text.size() && text[at - 1] == '=') {
        // `==`, `===` or `!==`: the whole run of signs is the fault.
        std::string::size_type first = at - 1, last = at;
        while (first > 0 && text[first - 1] == '=')
            first--;
        if (first > 0 && text[first - 1] == '!')
            first--;
        while (last + 1 < text.size() && text[last + 1] == '=')
            last++;
        std::string written = text.substr(first, last - first + 1);
        std::string meant = written[0] == '!' ? "`!=` tells two values apart" : "`=` compares two values";
        reportSyntax(line, static_cast<int>(first) + 1, static_cast<int>(last) + 1,
                     "`" + written + "` is not an operator: " + meant, velmoraFormHint(text));
        guess.absorbsBlockStart = true;
        return true;
    }
    if (type == T::EQUAL && at > 0 && at < text.size() && std::string("+-*/").find(text[at - 1]) != std::string::npos) {
        std::string target = trimmed(text.substr(0, at - 1));
        std::string value = trimmed(text.substr(at + 1, text.find_last_not_of(" \t;") - at));
        std::string op(1, text[at - 1]);
        if (!target.empty() && target[0] == '$') {
            // PHP's `$total += $i`: the names as this language writes them.
            target.erase(std::remove(target.begin(), target.end(), '$'), target.end());
            if (value.find('"') == std::string::npos)
                value.erase(std::remove(value.begin(), value.end(), '$'), value.end());
        }
        reportSyntax(line, column - 1, column, "`" + op + "=` is not an operator",
                     "write `" + target + " = " + target + " " + op + " " + value + "`");
        return true;
    }
    // `if [ $x -eq 1 ]; then` of the shells: the test in brackets.
    if (shellTestGuess(text, line, guess))
        return true;
    // `for i in 1 2 3; do` of the shells: the values in a row.
    if (shellLoopGuess(text, line, guess))
        return true;
    // `if x = 1;`, `while x < 3;`: a `;` ends a statement, not a block's first line.
    std::string::size_type lastSign = text.find_last_not_of(" \t\r");
    if (type == T::SEMI && lastSign != std::string::npos && text[lastSign] == ';' && !blockCloserOf(text).empty()) {
        reportSyntax(line, static_cast<int>(lastSign) + 1, static_cast<int>(lastSign) + 1, "unexpected `;`",
                     "a block's first line ends with its condition: leave out the `;`");
        return true;
    }
    // `~=` of Lua and `=/=` of Erlang, wherever the parse stopped on its line.
    for (const std::string written : {"~=", "=/="}) {
        std::string::size_type sign = text.find(written);
        if (sign == std::string::npos || text.find('"') != std::string::npos)
            continue;
        reportSyntax(line, static_cast<int>(sign) + 1, static_cast<int>(sign + written.size()),
                     "`" + written + "` is not an operator: `!=` tells two values apart",
                     velmoraFormHint(text.substr(0, sign) + "!=" + text.substr(sign + written.size())));
        guess.absorbsBlockStart = true;
        return true;
    }
    // `if x is not None`: `is` compares nothing here.
    std::string::size_type is = text.find(" is ");
    if (is != std::string::npos && !blockCloserOf(text).empty() && text.find('"') == std::string::npos) {
        std::string::size_type last = is + 3;
        bool negated = text.compare(is + 4, 4, "not ") == 0;
        if (negated)
            last = is + 7;
        reportSyntax(line, static_cast<int>(is) + 2, static_cast<int>(last),
                     negated ? "`is not` is not an operator: `!=` tells two values apart"
                             : "`is` is not an operator: `=` compares two values",
                     velmoraFormHint(text));
        guess.absorbsBlockStart = true;
        return true;
    }
    // `if x > 2 and < 5`: a comparison after `and` or `or` without its left value.
    bool comparison = type == T::LESSER || type == T::GREATER || type == T::LESS_EQUAL || type == T::GREAT_EQUAL ||
                      type == T::EQUAL || type == T::NOT_EQUAL || type == T::PASDIFF;
    std::string before = trimmed(text.substr(0, at));
    for (const std::string word : {" and", " or"}) {
        if (!comparison || before.size() <= word.size() ||
            before.compare(before.size() - word.size(), word.size(), word) != 0)
            continue;
        std::string left = trimmed(before.substr(0, before.size() - word.size()));
        std::string::size_type blank = left.find(' ');
        std::string first = left.substr(0, blank);
        if (blank != std::string::npos && (first == "if" || first == "while" || first == "until" || first == "elseif"))
            left = trimmed(left.substr(blank + 1));
        for (const std::string joint : {" and ", " or "})
            if (left.rfind(joint) != std::string::npos)
                left = left.substr(left.rfind(joint) + joint.size());
        std::string::size_type sign = left.find_first_of("<>=!");
        if (sign == std::string::npos || sign == 0)
            continue;
        std::string subject = trimmed(left.substr(0, sign));
        std::string written = token->getText();
        reportSyntax(line, column, column + static_cast<int>(written.size()) - 1,
                     "expected a value before `" + written + "`",
                     "each comparison names both its values: write `" + before + " " + subject + " " +
                         trimmed(text.substr(at)) + "`");
        return true;
    }
    if (type == T::MUL && at > 0 && text[at - 1] == '*') {
        reportSyntax(line, column - 1, column, "`**` is not an operator", "a power is computed by `pow`: pow(x, 2)");
        return true;
    }
    for (const char *pair : {"&&", "||"}) {
        std::string::size_type both = text.find(pair);
        if (both != std::string::npos && (type == T::AND_BIN || type == T::OR_BIN || both < at)) {
            reportSyntax(line, static_cast<int>(both) + 1, static_cast<int>(both) + 2,
                         "`" + std::string(pair) + "` is not an operator",
                         std::string("`") + (pair[0] == '&' ? "and" : "or") + "` joins two conditions: " +
                             velmoraFormHint(text));
            guess.absorbsBlockStart = true;
            return true;
        }
    }
    // `if (x = 1) { print x }`: one statement in braces on the block's line.
    std::string::size_type brace = text.find('{'), closing = text.rfind('}');
    if (type == T::LEFTCURLY && brace != std::string::npos && closing != std::string::npos && closing > brace &&
        !blockCloserOf(text).empty()) {
        std::string statement = trimmed(text.substr(brace + 1, closing - brace - 1));
        reportSyntax(line, column, column, "unexpected `{`",
                     "a block has no braces; one statement stands after `?` on its line: write `" +
                         velmoraForm(text.substr(0, brace)) + " ? " + velmoraForm(statement) + "`");
        return true;
    }
    // `x++;`: the statement without the `;` that may end it.
    std::string code = text.substr(0, text.find_last_not_of(" \t;") + 1);
    code = trimmed(code);
    for (const char *step : {"++", "--"}) {
        if (code.size() > 2 && code.compare(code.size() - 2, 2, step) == 0) {
            std::string target = trimmed(code.substr(0, code.size() - 2));
            // `print x++`: the step stands on a line of its own.
            std::string::size_type name = target.size();
            while (name > 0 && (isNameCharacter(target[name - 1]) || target[name - 1] == '.'))
                name--;
            bool alone = name == 0 || target.find_first_of("[(") != std::string::npos;
            std::string variable = alone ? target : target.substr(name);
            int end = static_cast<int>(text.find_last_not_of(" \t;")) + 1;
            reportSyntax(line, end - 1, end, "`" + std::string(step) + "` is not an operator",
                         "write `" + variable + " = " + variable + " " + step[0] + " 1`" +
                             (alone ? "" : " on a line of its own"));
            return true;
        }
    }
    for (const char *step : {"++", "--"}) {
        if (code.size() > 2 && code.compare(0, 2, step) == 0 && isLetter(code[2])) {
            std::string target = code.substr(2);
            std::string::size_type name = 0;
            while (name < target.size() && isNameCharacter(target[name]))
                name++;
            target = target.substr(0, name);
            int first = static_cast<int>(text.find(step)) + 1;
            reportSyntax(line, first, first + 1, "`" + std::string(step) + "` is not an operator",
                         "write `" + target + " = " + target + " " + step[0] + " 1`");
            return true;
        }
    }
    // "k<d": a "<" before a letter begins an XML tag wherever it stands.
    for (std::string::size_type i = 1; i + 1 < text.size(); i++) {
        if (text[i] == '<' && isLetter(text[i + 1]) && isNameCharacter(text[i - 1])) {
            std::string::size_type end = i + 1;
            while (end < text.size() && isNameCharacter(text[end]))
                end++;
            std::string left = text.substr(0, i);
            std::string::size_type start = left.find_last_of(" \t(") ;
            left = start == std::string::npos ? left : left.substr(start + 1);
            reportSyntax(line, static_cast<int>(i) + 1, static_cast<int>(end),
                         "`" + text.substr(i, end - i) + "` begins an XML tag",
                         "put a blank after `<` to compare: " + left + " < " + text.substr(i + 1, end - i - 1));
            return true;
        }
    }
    return false;
}

std::string commentCutHint(const std::string &line, int column) {
    std::string::size_type at = column > 0 ? static_cast<std::string::size_type>(column - 1) : 0;
    if (at == 0 || at + 1 >= line.size() || line[at] != '#' || !isLetter(line[at + 1]) ||
        std::string("(=,[+ \t").find(line[at - 1]) == std::string::npos || trimmed(line.substr(0, at)).empty())
        return "";
    std::string::size_type end = at + 1;
    while (end < line.size() && isNameCharacter(line[end]))
        end++;
    std::string name = line.substr(at + 1, end - at - 1);
    return "`#` begins a comment; a length is a method: `" + name + ".length()` for a text, `" + name +
           ".size()` for an array or a dict";
}
