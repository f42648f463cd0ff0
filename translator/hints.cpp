#include "translator/hints.hpp"

#include <algorithm>
#include <cctype>

#include "diagnostics/diagnostics.hpp"
#include "semantics/builtins.hpp"
#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/reserved_names.hpp"
#include "semantics/symbols.hpp"
#include "translator/classes.hpp"
#include "translator/continued_lines.hpp"
#include "translator/first_guesses.hpp"
#include "translator/late_classes.hpp"
#include "translator/line_code.hpp"
#include "translator/near_names.hpp"
#include "translator/other_languages.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"

namespace {

char folded(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

struct KnownGuess {
    const char *written;
    const char *hint;
};

// Methods of other languages and what the built-in table calls them.
const KnownGuess methodGuesses[] = {
    {"append", "an element is added with `push`: a.push(3)"},
    {"push_back", "an element is added with `push`: a.push(3)"},
    {"add", "an element is added with `push`: a.push(3)"},
    {"size", "a text's length is `t.length()`; an array's or a dict's is `a.size()`"},
    {"count", "a text's length is `t.length()`; an array's or a dict's is `a.size()`"},
    {"len", "a text's length is `t.length()`; an array's or a dict's is `a.size()`"},
    {"length", "a text's length is `t.length()`; an array's or a dict's is `a.size()`"},
};

const KnownGuess functionGuesses[] = {
    {"len", "a length is a method: `t.length()` for a text, `a.size()` for an array or a dict"},
    {"size", "a length is a method: `t.length()` for a text, `a.size()` for an array or a dict"},
    {"count", "a length is a method: `t.length()` for a text, `a.size()` for an array or a dict"},
    {"strlen", "a length is a method: `t.length()` for a text, `a.size()` for an array or a dict"},
    {"open", "a file is opened by its variable: file f, then f.open(\"notes.txt\", \"r\")"},
    {"fopen", "a file is opened by its variable: file f, then f.open(\"notes.txt\", \"r\")"},
    {"printf", "`print` writes values and a line end: print \"x = \", x"},
    {"println", "`print` writes values and a line end: print \"x = \", x"},
};

// Names of other languages for the console and for values.
const KnownGuess nameGuesses[] = {
    {"console", "`print` writes values and a line end: print x"},
    {"System", "`print` writes values and a line end: print x"},
    {"fmt", "`print` writes values and a line end: print x"},
    {"puts", "`print` writes values and a line end: print x"},
    {"True", "write `true`"},
    {"False", "write `false`"},
    {"None", "no value is written `nil`"},
    {"undefined", "no value is written `nil`"},
    {"NULL", "no value is written `nil`"},
    {"nullptr", "no value is written `nil`"},
    {"NIL", "no value is written `nil`"},
    {"Nothing", "no value is written `nil`"},
    {"TRUE", "write `true`"},
    {"FALSE", "write `false`"},
    {"self", "a method reaches the members of its object by their names, or with `this`: this.x"},
    {"except", "an error is caught with `catch`: catch (Exception e)"},
    {"pass", "a block may be empty: leave out `pass`"},
};

// Words that open a function elsewhere; here a function starts with its
// return type and ends with `return`.
const char *const functionWords[] = {"def", "func", "fn", "fun", "sub", "proc", "procedure"};


const char *const blockEndHint = "a block is closed by its own word: `/if`, `/while`, `/for`, `/do`, `/switch`";

std::string known(const KnownGuess *first, const KnownGuess *last, const std::string &name) {
    for (const KnownGuess *guess = first; guess != last; ++guess)
        if (name == guess->written)
            return guess->hint;
    return "";
}

std::vector<std::string> builtinNames(bool methods) {
    std::vector<std::string> names;
    int first = methods ? 0 : firstFunctionRow();
    int last = methods ? firstFunctionRow() : builtinRowCount();
    for (int row = first; row < last; row++) {
        const char *name = builtinRow(row).name;
        if (name && *name && std::isalpha(static_cast<unsigned char>(*name)))
            names.push_back(name);
    }
    return names;
}

// A list that only grows but for a source that failed (whose entries are
// taken out again), and its index of near names: brought up to date before
// each search, made again when the list is not the one indexed. `keyOf`
// gives an entry's name (empty for an empty place); `indexes` whether the
// entry's name is one to offer.
struct IndexedNames {
    NearNames names;
    std::size_t indexed = 0;
    std::string first, last;

    template <class Entries, class KeyOf, class Indexes>
    const NearNames &over(const Entries &entries, KeyOf keyOf, Indexes indexes) {
        if (entries.size() < indexed ||
            (indexed > 0 && (keyOf(entries[0]) != first || keyOf(entries[indexed - 1]) != last))) {
            names.clear();
            indexed = 0;
        }
        for (; indexed < entries.size(); indexed++)
            if (indexes(entries[indexed]))
                names.add(keyOf(entries[indexed]));
        first = entries.empty() ? "" : keyOf(entries.front());
        last = entries.empty() ? "" : keyOf(entries.back());
        return names;
    }
};

const NearNames &globalNames() {
    static IndexedNames globals;
    return globals.over(
        symbolTable().globals, [](const Symbol *symbol) { return symbol ? symbol->name : std::string(); },
        [](const Symbol *symbol) { return symbol != nullptr; });
}

// The program's functions outside classes.
const NearNames &functionNames() {
    static IndexedNames functions;
    return functions.over(
        sourceSemantics().run.functions.records, [](const FunctionRecord &record) { return record.name; },
        [](const FunctionRecord &record) { return record.ownerClass < 0; });
}

// Considers the names the program has declared where the translation
// stands, in their order: the globals, the function's locals, the class's
// members and the blocks' names.
void considerDeclared(ClosestSoFar &closest) {
    globalNames().search(closest);
    auto consider = [&closest](const std::vector<Symbol *> &symbols) {
        for (const Symbol *symbol : symbols)
            if (symbol)
                closest.consider(symbol->name);
    };
    consider(localScopes().functionLocals);
    consider(localScopes().classMembers.members);
    int depth = std::min(scopes().blockDepth, BLOCK_DEPTH_CAPACITY - 1);
    for (int level = 0; level <= depth; level++)
        consider(localScopes().blockScopes[level]);
}

bool declaredFolded(const std::string &name) {
    if (globalNames().holdsFolded(name))
        return true;
    auto holds = [&name](const std::vector<Symbol *> &symbols) {
        for (const Symbol *symbol : symbols)
            if (symbol && editDistance(name, symbol->name, 0) == 0)
                return true;
        return false;
    };
    if (holds(localScopes().functionLocals) || holds(localScopes().classMembers.members))
        return true;
    int depth = std::min(scopes().blockDepth, BLOCK_DEPTH_CAPACITY - 1);
    for (int level = 0; level <= depth; level++)
        if (holds(localScopes().blockScopes[level]))
            return true;
    return false;
}

// The attributes and methods of the program's classes: a misspelt member
// is close to one of them whatever the object's class.
std::vector<std::string> memberNames(bool methods) {
    std::vector<std::string> names;
    for (const ClassRecord &record : sourceSemantics().run.classes.records) {
        if (methods) {
            for (const auto &method : record.methodByName)
                names.push_back(method.first);
        } else {
            for (const Symbol *member : record.members.members)
                if (member)
                    names.push_back(member->name);
        }
    }
    return names;
}

std::vector<std::string> joined(std::vector<std::string> first, const std::vector<std::string> &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::string &lineOf(const Diagnostic &diagnostic) {
    static const std::string none;
    return translation().positions ? translation().positions->line(diagnostic.line) : none;
}

// The word a line starts with: a misspelt keyword there reads as a name.
bool startsItsLine(const Diagnostic &diagnostic, const std::string &name) {
    const TokenPositions *positions = translation().positions;
    if (!positions)
        return false;
    const std::string &text = positions->line(diagnostic.line);
    std::string::size_type first = text.find_first_not_of(" \t");
    return first != std::string::npos && text.compare(first, name.size(), name) == 0;
}

// Whether the name that starts its line is assigned, called or indexed
// there: a variable or a function, not a keyword.
bool usedAsAValue(const Diagnostic &diagnostic, const std::string &name) {
    const std::string &text = translation().positions->line(diagnostic.line);
    std::string::size_type after = text.find_first_not_of(" \t", text.find(name) + name.size());
    if (after == std::string::npos)
        return false;
    char next = text[after];
    bool comparison = next == '=' && after + 1 < text.size() && text[after + 1] == '=';
    return (next == '=' && !comparison) || next == '(' || next == '.' || next == '[' || next == ',';
}

// `Foo f = Foo()`, `Point p`: the name stands where a declaration puts its
// type. A capitalised word is a class's name, never a keyword; a lowercase
// one is a type when the line makes an object of it after the `=`.
bool inTypePosition(const Diagnostic &diagnostic, const std::string &name) {
    const std::string &text = translation().positions->line(diagnostic.line);
    std::string::size_type start = text.find(name);
    std::string::size_type second = text.find_first_not_of(" \t", start + name.size());
    if (second == std::string::npos || !std::isalpha(static_cast<unsigned char>(text[second])))
        return false;
    // `If x = 1`, `While x > 0`: a keyword in capitals is still the keyword.
    for (const std::string &keyword : statementKeywords())
        if (editDistance(name, keyword, 0) == 0)
            return false;
    if (std::isupper(static_cast<unsigned char>(name[0])))
        return true;
    std::string::size_type sign = text.find('=', second);
    if (sign == std::string::npos || (sign + 1 < text.size() && text[sign + 1] == '='))
        return false;
    std::string::size_type value = text.find_first_not_of(" \t", sign + 1);
    return value != std::string::npos && text.compare(value, name.size() + 1, name + "(") == 0;
}

// The names a declaration's type may have: the program's classes and the type words.
std::vector<std::string> typeNames() {
    std::vector<std::string> names = {"int", "integer", "natural", "real", "number", "text", "byte", "char",
                                      "bool", "var", "array", "dict", "file", "cstring", "object"};
    for (const ClassRecord &record : sourceSemantics().run.classes.records)
        names.push_back(record.name);
    return names;
}

// `def __init__(self, x):` in a class: the constructor as velc writes it.
std::string constructorHint() {
    int current = currentClassIndex();
    std::string name = current >= 0 ? classRecord(current).name : "Point";
    return "the constructor is the method named as its class, and the attributes are plain names in it: void " +
           name + "(int x) ... return";
}

bool definesFunction(const std::string &name) {
    for (const FunctionRecord &function : sourceSemantics().run.functions.records)
        if (function.name == name && function.ownerClass < 0)
            return true;
    return false;
}

// The text without the blanks around it and a `;` at its end.
std::string trimmedText(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t;");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// `b = [x * 2 for x in a]` of Python: the array made by a loop.
std::string comprehensionHint(const std::string &line) {
    std::string::size_type open = line.find('['), close = line.rfind(']');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return "";
    std::string inside = line.substr(open + 1, close - open - 1);
    std::string::size_type loop = inside.find(" for "), in = inside.find(" in ", loop == std::string::npos ? 0 : loop);
    if (loop == std::string::npos || in == std::string::npos || line.find('"') != std::string::npos)
        return "";
    std::string value = inside.substr(0, loop), variable = inside.substr(loop + 5, in - loop - 5),
                container = inside.substr(in + 4);
    std::string::size_type sign = line.find('=');
    std::string target = sign != std::string::npos && sign < open ? line.substr(0, sign) : "b";
    target = trimmedText(target);
    // `var b = [...]`: the name, without its declaration word.
    target = target.substr(target.find_last_of(" \t") == std::string::npos ? 0 : target.find_last_of(" \t") + 1);
    return "an array is filled by a loop: write `var " + target + " = []`, then `for " + trimmedText(variable) + " in " +
           trimmedText(container) + "` ... `" + target + ".push(" + trimmedText(value) + ")` ... `/for`";
}

bool isFunctionWord(const std::string &name) {
    static const std::vector<std::string> function = {"function"};
    // `fucntion f(x)` is written as `function f(x)` is, and told the same.
    return std::find(std::begin(functionWords), std::end(functionWords), name) != std::end(functionWords) ||
           !closestName(name, function).empty();
}

std::string::size_type indentOf(const std::string &line) {
    std::string::size_type first = line.find_first_not_of(" \t");
    return first == std::string::npos ? line.size() : first;
}

bool startsWithWord(const std::string &line, std::string::size_type at, const char *word) {
    std::string::size_type length = std::char_traits<char>::length(word);
    if (line.compare(at, length, word) != 0)
        return false;
    return at + length == line.size() || !std::isalnum(static_cast<unsigned char>(line[at + length]));
}

// `catch (E e)`, or `} catch (E e) {` of the languages with braces.
bool isCatchLine(const std::string &line) {
    std::string::size_type first = line.find_first_not_of(" \t}");
    return first != std::string::npos && startsWithWord(line, first, "catch");
}

// The last line of a function written as another language writes it, from
// its first line: the lines indented deeper, and the line that closes it
// at its own level (`}`, `end`, `/function`, or a `return` as velc's own
// functions end).
int lastLineOfForeignFunction(const TokenPositions &positions, int firstLine) {
    std::string::size_type level = indentOf(positions.line(firstLine));
    int last = firstLine;
    for (int number = firstLine + 1; number <= positions.lineCount(); number++) {
        const std::string &text = positions.line(number);
        std::string::size_type at = indentOf(text);
        if (at == text.size())
            continue;
        if (at > level) {
            last = number;
            continue;
        }
        if (text[at] == '}' || startsWithWord(text, at, "end") || startsWithWord(text, at, "endfunction") ||
            startsWithWord(text, at, "/function") || startsWithWord(text, at, "return"))
            return number;
        break;
    }
    return last;
}

// The name a foreign function line would define: the word before its "(".
std::string nameBeforeParenthesis(const std::string &line) {
    std::string::size_type open = line.find('(');
    if (open == std::string::npos)
        return "";
    std::string::size_type end = line.find_last_not_of(" \t", open == 0 ? 0 : open - 1);
    if (end == std::string::npos || open == 0)
        return "";
    std::string::size_type start = end + 1;
    while (start > 0 && (std::isalnum(static_cast<unsigned char>(line[start - 1])) || line[start - 1] == '_'))
        start--;
    return line.substr(start, end + 1 - start);
}

std::string didYouMean(const std::string &name, const std::vector<std::string> &candidates) {
    std::string close = closestName(name, candidates);
    return close.empty() ? "" : "did you mean `" + close + "`?";
}

std::string didYouMeanAnswer(const ClosestSoFar &closest) {
    std::string close = closest.answer();
    return close.empty() ? "" : "did you mean `" + close + "`?";
}

}  // namespace

bool isForeignFunctionWord(const std::string &word) { return isFunctionWord(word); }

void explainForeignBlock(int firstLine) {
    const TokenPositions *positions = translation().positions;
    if (positions)
        translation().foreignBlocks.add(firstLine, lastLineOfForeignFunction(*positions, firstLine));
}

int editDistance(const std::string &a, const std::string &b, int limit) {
    const std::size_t n = a.size(), m = b.size();
    if ((n > m ? n - m : m - n) > static_cast<std::size_t>(limit))
        return limit + 1;
    std::string x(a), y(b);
    for (char &c : x)
        c = folded(c);
    for (char &c : y)
        c = folded(c);
    // Three rows of the table: the swap of two neighbours looks two back.
    std::vector<int> rows(3 * (m + 1));
    int *before = rows.data(), *previous = before + (m + 1), *current = previous + (m + 1);
    for (std::size_t j = 0; j <= m; j++)
        previous[j] = static_cast<int>(j);
    int previousSmallest = 0;
    for (std::size_t i = 1; i <= n; i++) {
        current[0] = static_cast<int>(i);
        int smallest = current[0];
        for (std::size_t j = 1; j <= m; j++) {
            int cost = x[i - 1] == y[j - 1] ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                current[j] = std::min(current[j], before[j - 2] + 1);
            smallest = std::min(smallest, current[j]);
        }
        // A later row is at least this one's least, or one more than the
        // row before's (a swap of neighbours reaches back two rows).
        if (smallest > limit && previousSmallest + 1 > limit)
            return limit + 1;
        previousSmallest = smallest;
        int *oldest = before;
        before = previous;
        previous = current;
        current = oldest;
    }
    return std::min(previous[m], limit + 1);
}

std::string closestName(const std::string &name, const std::vector<std::string> &candidates) {
    ClosestSoFar closest(name);
    for (const std::string &candidate : candidates)
        closest.consider(candidate);
    return closest.answer();
}

bool isDeclaredName(const std::string &name) {
    if (findClass(name) >= 0 || declaredFolded(name))
        return true;
    for (const FunctionRecord &function : sourceSemantics().run.functions.records)
        if (editDistance(name, function.name, 0) == 0)
            return true;
    return false;
}

const std::vector<std::string> &statementKeywords() {
    static const std::vector<std::string> words = {"while", "for", "if", "print", "switch", "return", "echo",
                                                   "input", "break", "continue", "class", "else", "global",
                                                   "error", "try", "catch", "case", "default", "until"};
    return words;
}

namespace {

bool startsWith(const std::string &text, const std::string &start) { return text.compare(0, start.size(), start) == 0; }

// `for i in range(n)`: the range it means, `0--n`, as the line writes `n`.
std::string rangeLoopHint(const std::string &line) {
    std::string::size_type open = line.find("range(");
    std::string::size_type close = open == std::string::npos ? open : line.rfind(')');
    std::string inside = close == std::string::npos || close < open + 6 ? "3" : line.substr(open + 6, close - open - 6);
    // Its arguments: the end, or the start and the end, and a step.
    std::vector<std::string> parts(1);
    int depth = 0;
    for (char c : inside) {
        depth += c == '(' || c == '[' ? 1 : c == ')' || c == ']' ? -1 : 0;
        if (c == ',' && depth == 0)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    for (std::string &part : parts) {
        part = trimmedText(part);
        // `len(a)` of Python is the array's size.
        if (startsWith(part, "len(") && part.back() == ')')
            part = part.substr(4, part.size() - 5) + ".size()";
    }
    std::string range = parts.size() == 1 ? "0--" + parts[0] : parts[0] + "--" + parts[1];
    if (parts.size() == 3)
        range += " step " + parts[2];
    std::string head = line.substr(line.find_first_not_of(" \t"), open - line.find_first_not_of(" \t"));
    return "a loop over numbers names its range: write `" + head + range + "` (the end left out)";
}

// Hints for the filled templates, which name no one word.

// `int y = x > 0 ? 1 : 2`: the choice of two values of C, written as the
// one-line if with an else.
std::string choiceHint(const std::string &line) {
    std::string::size_type sign = line.find('='), mark = line.find('?'), colon = line.rfind(':');
    if (sign == std::string::npos || mark == std::string::npos || colon == std::string::npos || !(sign < mark) ||
        !(mark < colon) || line.find('"') != std::string::npos)
        return "";
    std::string target = trimmedText(line.substr(0, sign));
    std::string name = target.substr(target.find_last_of(" \t") == std::string::npos ? 0 : target.find_last_of(" \t") + 1);
    std::string condition = trimmedText(line.substr(sign + 1, mark - sign - 1));
    std::string first = trimmedText(line.substr(mark + 1, colon - mark - 1));
    std::string second = trimmedText(line.substr(colon + 1));
    // A declaration takes the second value: a value given in a branch
    // lasts only to the end of the branch.
    std::string written = target == name ? "`if " + condition + " ? " + name + " = " + first + " else " + name + " = " +
                                               second + "`"
                                         : "`" + target + " = " + second + "`, then `if " + condition + " ? " + name +
                                               " = " + first + "`";
    return "`?` begins the statement of a one-line if, not a choice of values: write " + written;
}

std::string templateHint(const Diagnostic &diagnostic) {
    const std::string &message = diagnostic.message;
    if (diagnostic.code == E_RETURN_MISPLACED)
        return "`return` ends a function and stands in its body; the main program ends after its last line";
    if (diagnostic.code == E_SEMANTIC && startsItsLine(diagnostic, "input "))
        return "input reads a line into a text or a number: give the variable one of those types (text, int, real, "
               "natural, bool)";
    if (diagnostic.code == TPL_CANT_ASSIGN && translation().positions) {
        std::string hint = choiceHint(translation().positions->line(diagnostic.line));
        if (!hint.empty())
            return hint;
    }
    if (diagnostic.code == TPL_CANT_SOLVE && startsWith(message, "can't solve add or substract expression on ")) {
        for (const char *number : {"integer", "real", "number", "natural"})
            for (const std::string &pair : {"text and " + std::string(number) + ".", std::string(number) + " and text."})
                if (message.size() > pair.size() && message.compare(message.size() - pair.size(), pair.size(), pair) == 0)
                    return "a number joins a text as a text: \"n = \" + n.totext(), or print them apart: print \"n = \", n";
    }
    // `int[] a = {1, 2, 3}`: braces make a dict.
    if (diagnostic.code == TPL_CANT_ASSIGN && message.find("array, from dict.") != std::string::npos &&
        translation().positions && translation().positions->line(diagnostic.line).find('{') != std::string::npos)
        return "the values of an array are written in brackets: [1, 2, 3]";
    if (diagnostic.code == TPL_ARGUMENT_COUNT && startsWith(message, "\"range\" requires") &&
        startsItsLine(diagnostic, "for "))
        return rangeLoopHint(translation().positions->line(diagnostic.line));
    return translation().positions ? otherLanguageTemplateHint(diagnostic, translation().positions->line(diagnostic.line))
                                   : "";
}

}  // namespace

namespace {
std::string guessHint(const Diagnostic &diagnostic, const std::string &name);
}  // namespace

// A message of a statement that the line before ran into is told so when
// nothing else is known of it.
std::string FirstGuessHints::hintFor(const Diagnostic &diagnostic, const std::string &name) const {
    std::string hint = guessHint(diagnostic, name);
    return hint.empty() && diagnostic.kind == DiagnosticKind::numbered ? continuedLineHint(diagnostic.line) : hint;
}

namespace {

// `list.append(x + 1)`: the call as Velmora writes it, `list.push(x + 1)`,
// when the line holds the call whole; the table's example otherwise.
std::string pushHint(const Diagnostic &diagnostic, const std::string &name, const std::string &tableHint) {
    const std::string &line = lineOf(diagnostic);
    std::string::size_type dot = line.find("." + name + "(");
    if (dot == std::string::npos || dot == 0)
        return tableHint;
    std::string::size_type start = dot;
    while (start > 0 && (std::isalnum(static_cast<unsigned char>(line[start - 1])) || line[start - 1] == '_' ||
                         line[start - 1] == '.'))
        start--;
    std::string::size_type open = dot + name.size() + 1, close = std::string::npos;
    int depth = 0;
    walkLineCode(line, [&](std::string::size_type at, char c) {
        if (at >= open && c == '(')
            depth++;
        else if (at >= open && c == ')' && --depth == 0)
            close = at;
        return close == std::string::npos;
    });
    if (start == dot || close == std::string::npos)
        return tableHint;
    return "an element is added with `push`: write `" + line.substr(start, dot - start) + ".push" +
           line.substr(open, close + 1 - open) + "`";
}

// `a.forEach(v => print(v))`, `a.forEach { print(it) }`: a loop of its own
// here; what the rest of the line makes of the function in it is no news.
bool isLoopMethod(const std::string &name) { return name == "forEach" || name == "for_each" || name == "each"; }

std::string loopMethodHint(const Diagnostic &diagnostic) {
    translation().keywordGuessLines.insert(diagnostic.line);
    return "a loop over the elements of a container is written with `for`: for v in a ... /for";
}

std::string guessHint(const Diagnostic &diagnostic, const std::string &name) {
    if (name.empty())
        return templateHint(diagnostic);
    bool unknownName = diagnostic.code == E_CLASS_NOT_DEFINED || diagnostic.code == E_FUNCTION_NOT_DEFINED ||
                       diagnostic.code == E_NOT_DECLARED;
    std::string late = unknownName ? lateClassHint(diagnostic.line, name) : "";
    if (!late.empty())
        return late;
    switch (diagnostic.code) {
    case E_METHOD_NOT_FOUND: case E_NO_METHOD: {
        if (isLoopMethod(name))
            return loopMethodHint(diagnostic);
        std::string hint = known(std::begin(methodGuesses), std::end(methodGuesses), name);
        if (name == "append" || name == "push_back" || name == "add")
            hint = pushHint(diagnostic, name, hint);
        if (hint.empty())
            hint = otherLanguageMethodHint(name);
        return hint.empty() ? didYouMean(name, joined(memberNames(true), builtinNames(true))) : hint;
    }
    case E_FUNCTION_NOT_DEFINED: {
        std::string hint = known(std::begin(functionGuesses), std::end(functionGuesses), name);
        if (hint.empty())
            hint = otherLanguageFunctionHint(name);
        if (!hint.empty())
            return hint;
        if (isReservedName(name))
            return "a function of C or C++ is called once an extern line declares its types, as in: "
                   "extern real hypot(real, real)";
        ClosestSoFar closest(name);
        for (const std::string &builtin : builtinNames(false))
            closest.consider(builtin);
        functionNames().search(closest);
        hint = didYouMeanAnswer(closest);
        if (hint.empty() && startsItsLine(diagnostic, name)) {
            // `whle (x > 0)`: a block word with its condition in brackets.
            std::string keyword = closestName(name, statementKeywords());
            if (keyword == "while" || keyword == "if" || keyword == "for" || keyword == "switch") {
                translation().guessedOpeners.push_back(keyword);
                translation().keywordGuessLines.insert(diagnostic.line);
                hint = "did you mean `" + keyword + "`?";
            }
        }
        return hint;
    }
    case E_CANNOT_BE_USED:
        if (name == "this") {
            // What its members are is no news: there is no object.
            translation().keywordGuessLines.insert(diagnostic.line);
            if (definingStaticMethod())
                return "a static method runs on no object: make the method an instance method, or give it the object as a parameter";
            return "`this` is the object a method of a class runs on; outside the class, name the object: p.x";
        }
        return name == "break" ? "`break` leaves a loop; a `case` ends where the next `case` begins" : "";
    case E_CLASS_NOT_DEFINED: case E_NOT_DECLARED: {
        if (isFunctionWord(name) || startsItsLine(diagnostic, "function "))
            return lineOf(diagnostic).find("__init__") != std::string::npos ? constructorHint() : foreignFunctionHint;
        // `catch (Exception e)`: the class caught is one the program defines.
        if (diagnostic.code == E_CLASS_NOT_DEFINED && isCatchLine(lineOf(diagnostic)))
            return "a `catch` names a class the program defines: class " + name + " ... /class, then catch(" +
                   name + " e)";
        std::string hint = castHint(diagnostic.line, name);
        if (!hint.empty()) {
            // What the parse makes of the value after the cast is no news.
            translation().keywordGuessLines.insert(diagnostic.line);
            return hint;
        }
        std::string comprehension = comprehensionHint(lineOf(diagnostic));
        if (!comprehension.empty()) {
            // What the rest of the line makes of the loop in brackets is no news.
            translation().keywordGuessLines.insert(diagnostic.line);
            return comprehension;
        }
        // `$x = 1` of PHP: the variable, declared, has no `$`.
        std::string::size_type dollar = lineOf(diagnostic).find("$" + name);
        if (diagnostic.code == E_NOT_DECLARED && dollar != std::string::npos &&
            lineOf(diagnostic).find('"') == std::string::npos) {
            translation().keywordGuessLines.insert(diagnostic.line);
            return "a variable's name has no `$`, and it is declared with its type before its first use: int " +
                   name + " = 1";
        }
        hint = known(std::begin(nameGuesses), std::end(nameGuesses), name);
        // What the rest of `System.out.println(x)` or `puts x` makes of
        // the name is no news once `print` is told.
        if ((startsWith(hint, "`print`") || name == "except") && startsItsLine(diagnostic, name))
            translation().keywordGuessLines.insert(diagnostic.line);
        if (!hint.empty())
            return hint;
        hint = otherLanguageNameHint(diagnostic, name, lineOf(diagnostic));
        if (!hint.empty()) {
            // What the rest of the line makes of the habit is no news.
            translation().keywordGuessLines.insert(diagnostic.line);
            return hint;
        }
        if (name == "end" || name == "endif" || name == "done" || name == "fi" || name == "endwhile")
            return blockEndHint;
        if (diagnostic.code == E_CLASS_NOT_DEFINED && startsItsLine(diagnostic, name) &&
            inTypePosition(diagnostic, name)) {
            // `Foo()` after the `=` is the same missing class.
            translation().keywordGuessLines.insert(diagnostic.line);
            return didYouMean(name, typeNames());
        }
        if (startsItsLine(diagnostic, name) && !usedAsAValue(diagnostic, name)) {
            std::string keyword = closestName(name, statementKeywords());
            if (!keyword.empty()) {
                translation().guessedOpeners.push_back(keyword);
                translation().keywordGuessLines.insert(diagnostic.line);
                return "did you mean `" + keyword + "`?";
            }
        }
        if (diagnostic.code == E_NOT_DECLARED && definesFunction(name))
            return "a function is called with brackets, its arguments in them: " + name + "()";
        ClosestSoFar closest(name);
        considerDeclared(closest);
        hint = didYouMeanAnswer(closest);
        return hint.empty() && diagnostic.code == E_NOT_DECLARED ? declarationHint(name, lineOf(diagnostic)) : hint;
    }
    case E_ATTRIBUTE_NOT_FOUND: {
        if (isLoopMethod(name))
            return loopMethodHint(diagnostic);
        // `"x: " . x` of PHP and Perl: the name after a text and a `.`.
        std::string::size_type dot = lineOf(diagnostic).find(". " + name);
        if (dot != std::string::npos && dot > 0 && lineOf(diagnostic).rfind('"', dot) != std::string::npos &&
            lineOf(diagnostic).find_last_not_of(" \t", dot - 1) == lineOf(diagnostic).rfind('"', dot))
            return "texts are joined with `+`: \"a\" + b";
        std::vector<std::string> methods = builtinNames(true);
        if (std::find(methods.begin(), methods.end(), name) != methods.end())
            return "`" + name + "` is a method: write `" + name + "()`";
        // `a.count`, `s.len`: the length is a method, named as the built-in table names it.
        std::string length = known(std::begin(methodGuesses), std::end(methodGuesses), name);
        if (!length.empty() && name != "append" && name != "add" && name != "push_back")
            return length;
        if (!otherLanguageMethodHint(name).empty())
            return otherLanguageMethodHint(name);
        ClosestSoFar closest(name);
        for (const std::string &member : memberNames(false))
            closest.consider(member);
        considerDeclared(closest);
        std::string hint = didYouMeanAnswer(closest);
        // `t.lenght`: a built-in method, misspelt and without its brackets.
        std::string method = hint.empty() ? closestName(name, builtinNames(true)) : "";
        return method.empty() ? hint : "did you mean `" + method + "()`?";
    }
    default:
        return "";
    }
}

}  // namespace

const char *const foreignFunctionHint =
    "a function starts with its return type and ends with its `return`: int twice(int x) ... return x * 2";

void FirstGuessHints::noteReported(const Diagnostic &diagnostic) const {
    if (isLateClassHint(diagnostic.hint) && translation().lateClassLine == 0)
        translation().lateClassLine = diagnostic.line;
    const TokenPositions *positions = translation().positions;
    if (!positions || (diagnostic.hint != foreignFunctionHint && diagnostic.hint != constructorHint()) ||
        diagnostic.line < 1)
        return;
    ForeignFunction function;
    function.firstLine = diagnostic.line;
    function.lastLine = lastLineOfForeignFunction(*positions, diagnostic.line);
    function.name = nameBeforeParenthesis(positions->line(diagnostic.line));
    translation().foreignFunctions.add(function);
}

// The lines of an explained function hold no news, nor does a call of the
// function it meant to define.
bool FirstGuessHints::followsExplainedGuess(const Diagnostic &diagnostic, const std::string &name) const {
    // Without the class used too early, every later line may fail for it.
    if (translation().lateClassLine > 0)
        return true;
    // What the rest of a line makes of a misspelt keyword at its start.
    if (translation().keywordGuessLines.count(diagnostic.line) != 0)
        return true;
    const std::vector<std::string> &members = translation().membersOfUnclosedClasses;
    if (diagnostic.code == E_NOT_DECLARED && std::find(members.begin(), members.end(), name) != members.end())
        return true;
    const std::vector<std::string> &variables = translation().variablesOfToldLoops;
    if (diagnostic.code == E_NOT_DECLARED && std::find(variables.begin(), variables.end(), name) != variables.end())
        return true;
    if (translation().foreignBlocks.covers(diagnostic.line))
        return true;
    bool member = diagnostic.code == E_METHOD_NOT_FOUND || diagnostic.code == E_ATTRIBUTE_NOT_FOUND ||
                  diagnostic.code == E_NO_METHOD;
    if (member && translation().membersOfForeignClasses.count(name) != 0)
        return true;
    // `for i in range(len(a))`: the hint of `range` writes `a.size()`.
    if (diagnostic.code == E_FUNCTION_NOT_DEFINED && name == "len" && translation().positions &&
        startsItsLine(diagnostic, "for ") &&
        translation().positions->line(diagnostic.line).find("range(len(") != std::string::npos)
        return true;
    const ForeignFunctions &functions = translation().foreignFunctions;
    if (functions.lines.covers(diagnostic.line))
        return true;
    if (diagnostic.code == E_FUNCTION_NOT_DEFINED && !name.empty() && functions.names.count(name) != 0)
        return true;
    // A call of it counted against the parameters velc made of its line:
    // the message starts with its name in quotes.
    const std::string &message = diagnostic.message;
    std::string::size_type quote = message.size() > 1 && message[0] == '"' ? message.find('"', 1) : std::string::npos;
    return name.empty() && quote != std::string::npos && functions.names.count(message.substr(1, quote - 1)) != 0;
}
