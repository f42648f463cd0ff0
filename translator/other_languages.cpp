#include "translator/other_languages.hpp"

#include <cctype>
#include <cstring>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/positions.hpp"

namespace {

using T = VLTokenTypes;

struct Known {
    const char *written;
    const char *hint;
};

const char *const textHint = "a value becomes a text with `totext()`: x.totext(), or with str(x)";
const char *const upperHint = "a text in capitals is `t.upper()`";
const char *const lowerHint = "a text in small letters is `t.lower()`";
const char *const findHint = "the place of a value is found with `find`: t.find(\"b\")";
const char *const inHint = "`in` tells whether a value is in a text or an array: if \"b\" in t";
const char *const partHint = "a part of a text is a slice: t[1--3] (the end left out), t[1..2] (both ends counted)";
const char *const lengthHint = "a text's length is `t.length()`; an array's or a dict's is `a.size()`";
const char *const emptyHint = "a text is empty when `t.length() = 0`, an array or a dict when `a.size() = 0`";

const char *const getHint = "an element is read by its key or its place: d[\"a\"], a[0]";
const char *const putHint = "an element is given its value by its key or its place: d[\"b\"] = 2, a[0] = 1";
const char *const keyHint = "whether a dict holds a key is told by `hasKey`: d.hasKey(\"k\")";
const char *const charHint = "a character of a text is read by its place: t[0]";
const char *const mathHint = "the mathematical functions take the number as their argument: abs(x), sqrt(x)";

const Known methods[] = {
    {"toString", textHint},  {"ToString", textHint},   {"to_string", textHint},  {"toUpperCase", upperHint},
    {"ToUpper", upperHint},  {"uppercased", upperHint}, {"uppercase", upperHint}, {"toLowerCase", lowerHint},
    {"ToLower", lowerHint},  {"lowercased", lowerHint}, {"lowercase", lowerHint},
    {"strip", "blanks are cut off the ends of a text with `trim()`: t.trim()"},
    {"indexOf", findHint},   {"IndexOf", findHint},     {"includes", inHint},     {"contains", inHint},
    {"containsKey", keyHint}, {"ContainsKey", keyHint}, {"has_key", keyHint}, {"hasOwnProperty", keyHint},
    {"has", keyHint},        {"charAt", charHint},      {"CharAt", charHint},
    {"Contains", inHint},    {"substring", partHint},   {"substr", partHint},     {"Substring", partHint},
    {"Length", lengthHint},  {"Count", lengthHint},     {"isEmpty", emptyHint},   {"IsEmpty", emptyHint},
    {"items", "a loop over a dict gives each key with its value: for k, v in d"},
    {"get", getHint},        {"Get", getHint},          {"put", putHint},         {"set", putHint},
    {"concat", "texts are joined with `+`: s + \"b\"; arrays by a loop of `push`"},
    {"abs", mathHint},       {"sqrt", mathHint},        {"round", mathHint},      {"floor", mathHint},
};

const char *const arrayHint = "an array is written between brackets: [1, 2]";

const Known functions[] = {
    {"parseInt", "a text becomes an integer with `toInt()`: t.toInt()"},
    {"parseFloat", "a text becomes a real with `toReal()`: t.toReal()"},
    {"enumerate", "a loop over an array gives each place with its element: for i, v in a"},
    {"sorted", "an array is sorted in place by `sort()`: a.sort()"},
    {"listOf", arrayHint}, {"arrayOf", arrayHint}, {"mutableListOf", arrayHint},
};

const char *const raiseHint = "no statement raises an error: a function that can fail says so in one of its "
                              "results, as in bool, int parse(text t)";

const Known names[] = {
    {"throw", raiseHint},
    {"raise", raiseHint},
    {"Console", "`print` writes values and a line end: print x"},
    {"strconv", "a text becomes a number with `toInt()` or `toReal()`: t.toInt()"},
};

const char *const lambdaHint =
    "a function has a name, its types and a `return`, and is passed by its name: int twice(int x) ... return x * 2";

std::string known(const Known *first, const Known *last, const std::string &name) {
    for (const Known *entry = first; entry != last; ++entry)
        if (name == entry->written)
            return entry->hint;
    return "";
}

std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t;");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

bool startsWithWord(const std::string &line, const std::string &word) {
    std::string code = trimmed(line);
    return code.compare(0, word.size(), word) == 0 &&
           (code.size() == word.size() || code[word.size()] == ' ' || code[word.size()] == '\t');
}

// `Math.max(a, b)`: the call after the module's name, or empty.
std::string callAfter(const std::string &line, const std::string &module) {
    std::string::size_type at = line.find(module + ".");
    if (at == std::string::npos)
        return "";
    std::string::size_type from = at + module.size() + 1, open = line.find('(', from);
    std::string::size_type close = open == std::string::npos ? open : line.find(')', open);
    return close == std::string::npos ? "" : line.substr(from, close + 1 - from);
}

// Swift's `guard x > 0 else { return }`: the `if` on the opposite.
std::string guardHint(const std::string &line) {
    std::string code = trimmed(line);
    std::string::size_type otherwise = code.find(" else");
    if (otherwise == std::string::npos || otherwise < 6)
        return "";
    return "a condition that must hold is an `if` on its opposite: write `if not (" +
           trimmed(code.substr(6, otherwise - 6)) + ") ? return`";
}

}  // namespace

std::string otherLanguageMethodHint(const std::string &name) {
    return known(std::begin(methods), std::end(methods), name);
}

std::string otherLanguageFunctionHint(const std::string &name) {
    return known(std::begin(functions), std::end(functions), name);
}

std::string otherLanguageNameHint(const Diagnostic &diagnostic, const std::string &name, const std::string &line) {
    std::string hint = known(std::begin(names), std::end(names), name);
    if (!hint.empty())
        return hint;
    if (name == "Math" || name == "math") {
        std::string call = callAfter(line, name);
        return "the mathematical functions are built in, without a module" +
               (call.empty() ? std::string(": sqrt(x), max(a, b)") : ": write `" + call + "`");
    }
    bool leads = startsWithWord(line, name) && diagnostic.code == E_CLASS_NOT_DEFINED;
    if (leads && (name == "package" || name == "using" || name == "use"))
        return "a source needs no package or import line: the built-in functions are always there, and "
               "`include \"lib.vel\"` joins another source";
    if (leads && name == "guard")
        return guardHint(line);
    // `x => x * 2`, `(a, b) => a + b`: an arrow function of JavaScript or C#.
    std::string::size_type at = line.find(name);
    if (at != std::string::npos && line.find("=>", at + name.size()) != std::string::npos)
        return lambdaHint;
    return "";
}

std::string declarationHint(const std::string &name, const std::string &line) {
    std::string code = trimmed(line);
    std::string::size_type after = code.find_first_not_of(" \t", name.size());
    if (!startsWithWord(code, name) && code.compare(0, name.size() + 1, name + "=") != 0)
        return "";
    if (after == std::string::npos || code[after] != '=' || (after + 1 < code.size() && code[after + 1] == '='))
        return "";
    return "a variable is declared before its first value: write `var " + code + "`";
}

std::string otherLanguageTemplateHint(const Diagnostic &diagnostic, const std::string &line) {
    if (diagnostic.code != E_KEYS_TEXTS)
        return "";
    // `s[1:3]`: Python's slice, whose end is left out.
    std::string::size_type open = line.find('['), colon = line.find(':', open == std::string::npos ? 0 : open);
    std::string::size_type close = colon == std::string::npos ? colon : line.find(']', colon);
    if (close == std::string::npos || line.find(':', colon + 1) < close || line.find('"') != std::string::npos)
        return "";
    std::string slice = line.substr(0, colon) + "--" + line.substr(colon + 1);
    return "a slice is written with `--` (the end left out) or `..` (both ends counted): write `" + trimmed(slice) +
           "`";
}

std::string otherLanguageTokenHint(const antlr::RefToken &token, const std::string &line) {
    int type = token->getType();
    const std::string &text = token->getText();
    std::string code = trimmed(line);
    auto inName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    // `class Dog extends Animal`, `class Dog : Animal`, `class Dog(Animal):`.
    if (code.compare(0, 6, "class ") == 0) {
        std::string::size_type name = code.find_first_not_of(" \t", 6), end = name;
        while (end < code.size() && inName(code[end]))
            end++;
        std::string::size_type lastEnd = code.size();
        while (lastEnd > end && !inName(code[lastEnd - 1]))
            lastEnd--;
        std::string::size_type lastStart = lastEnd;
        while (lastStart > end && inName(code[lastStart - 1]))
            lastStart--;
        std::string last = code.substr(lastStart, lastEnd - lastStart);
        if (name != std::string::npos && end > name && !last.empty() && last != code.substr(name, end - name))
            return "a class names its base after `is`: class " + code.substr(name, end - name) + " is " + last;
    }
    // `print x > 0 ? "yes" : "no"`: the choice of two values of C.
    std::string::size_type mark = static_cast<std::string::size_type>(byteColumn(line, token->getColumn()) - 1);
    std::string::size_type colon = line.rfind(':');
    for (const char *word : {"print ", "echo "}) {
        std::string::size_type start = line.find_first_not_of(" \t");
        if (type != T::QUESTION || code.compare(0, std::strlen(word), word) != 0 || colon == std::string::npos ||
            colon < mark)
            continue;
        std::string condition = trimmed(line.substr(start + std::strlen(word), mark - start - std::strlen(word)));
        std::string first = trimmed(line.substr(mark + 1, colon - mark - 1)), second = trimmed(line.substr(colon + 1));
        return "`?` begins the statement of a one-line if, not a choice of values: write `if " + condition + " ? " +
               word + first + " else " + word + second + "`";
    }
    if (code.compare(0, 7, "import ") == 0 || code.compare(0, 5, "from ") == 0 || code.compare(0, 8, "require ") == 0)
        return "the built-in functions need no import; another source of the program is joined with "
               "`include \"lib.vel\"`";
    if (type == T::IDENT && text == "lambda")
        return lambdaHint;
    if (type == T::INTEGER && (startsWithWord(code, "break") || startsWithWord(code, "continue")))
        return "`break` and `continue` act on the loop they stand in; an outer loop is left by a flag that it "
               "tests after the inner one";
    if (type == T::MINMIN && code.compare(0, 2, "--") == 0)
        return "a comment starts with `#` or `//`";
    if (type == T::LITERAL_input && !startsWithWord(code, "input"))
        return "`input` is a statement of its own that reads into a variable: input \"n? \", x";
    // `var z = 1 if x > 2 else 0`: Python's choice of two values.
    std::string::size_type sign = code.find('='), at = code.find(" if "), otherwise = code.find(" else ");
    if (type == T::LITERAL_if && sign != std::string::npos && at != std::string::npos &&
        otherwise != std::string::npos && sign < at && at < otherwise) {
        std::string target = trimmed(code.substr(0, sign));
        std::string::size_type blank = target.find_last_of(" \t");
        std::string name = blank == std::string::npos ? target : target.substr(blank + 1);
        std::string condition = trimmed(code.substr(at + 4, otherwise - at - 4));
        std::string first = trimmed(code.substr(sign + 1, at - sign - 1)), second = trimmed(code.substr(otherwise + 6));
        // A declaration takes the second value: a value given in a branch
        // lasts only to the end of the branch.
        std::string written = target == name ? "`if " + condition + " ? " + name + " = " + first + " else " + name +
                                                   " = " + second + "`"
                                             : "`" + target + " = " + second + "`, then `if " + condition + " ? " +
                                                   name + " = " + first + "`";
        return "`if` begins a statement, not a choice of values: write " + written;
    }
    return "";
}
