#include "translator/foreign_statements.hpp"

#include <antlr/CommonToken.hpp>

#include <cctype>
#include <string>
#include <vector>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/hints.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"
#include "translator/syntax_errors.hpp"
#include "translator/token_places.hpp"
#include "translator/word_guesses.hpp"

namespace {

using T = VLTokenTypes;
using Tokens = std::vector<antlr::RefToken>;

std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t;{");
    return first == std::string::npos || last < first ? "" : text.substr(first, last - first + 1);
}

bool endsTheLine(int type) { return type == T::EOL || type == T::Q_COMMENT || type == antlr::Token::EOF_TYPE; }

// The place of the last token of the line that begins at 1.
unsigned int lastOfLine(TokenQueue &tokens) {
    unsigned int at = 1;
    while (!endsTheLine(tokens.LA(at + 1)))
        at++;
    return at;
}

// `if let x = f() {` (Swift), `if var x = f()`: the value is given first,
// then tested. Read as `var x = f(); if x != nil`.
bool readIfLet(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getType() != T::LITERAL_if || (tokens.LA(2) != T::LITERAL_let && tokens.LA(2) != T::LITERAL_var) ||
        tokens.LA(3) != T::IDENT || tokens.LA(4) != T::EQUAL)
        return false;
    // The `{` at the end of the line is told by this message.
    absorbBlockStart(word->getLine());
    antlr::RefToken binder = tokens.LT(2), name = tokens.LT(3), sign = tokens.LT(4);
    unsigned int last = lastOfLine(tokens);
    if (last < 5)
        return false;
    const std::string &line = lineOf(word);
    std::string::size_type from = static_cast<std::string::size_type>(columnOf(sign));
    std::string value = from < line.size() ? trimmed(line.substr(from)) : "";
    std::string variable = name->getText();
    reportSyntax(binder->getLine(), columnOf(binder), columnOf(binder) + static_cast<int>(binder->getText().size()) - 1,
                 "unexpected `" + binder->getText() + "`",
                 "an `if` tests a condition: give the variable its value first, then test it: write `var " + variable +
                     " = " + velmoraForm(value) + "`, then `if " + variable + " != nil`" + foreignBlockClosing(line));
    Tokens read{tokenAt(T::LITERAL_var, "var", binder), name, sign};
    for (unsigned int at = 5; at <= last; at++)
        read.push_back(tokens.LT(at));
    read.push_back(tokenAt(T::SEMI, ";", word));
    read.push_back(word);
    read.push_back(tokenAt(T::IDENT, variable, name));
    read.push_back(tokenAt(T::NOT_EQUAL, "!=", name));
    read.push_back(tokenAt(T::LITERAL_nil, "nil", name));
    tokens.replaceRange(1, last, read);
    return true;
}

// `scanf("%d", &x)` (C), `scanf("%d %d", &a, &b);`: read as `input x`, one
// `input` per variable.
bool readScanf(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getType() != T::IDENT || (word->getText() != "scanf" && word->getText() != "scanf_s") ||
        tokens.LA(2) != T::LEFTPAR || isDeclaredName(word->getText()))
        return false;
    unsigned int last = lastOfLine(tokens);
    Tokens names;
    for (unsigned int at = 3; at <= last; at++)
        if (tokens.LA(at) == T::AND_BIN && tokens.LA(at + 1) == T::IDENT)
            names.push_back(tokens.LT(at + 1));
    if (names.empty())
        return false;
    std::string written;
    for (const antlr::RefToken &name : names)
        written += std::string(written.empty() ? "" : "`, `") + "input " + name->getText();
    reportWordAsWritten(word, T::LEFTPAR, "a line of standard input is read into a variable with `input`: write `" +
                                              written + "`");
    Tokens read;
    for (const antlr::RefToken &name : names) {
        if (!read.empty())
            read.push_back(tokenAt(T::SEMI, ";", word));
        read.push_back(tokenAt(T::LITERAL_input, "input", word));
        read.push_back(name);
    }
    tokens.replaceRange(1, last, read);
    return true;
}

bool startsWithWord(const std::string &line, const char *word) {
    std::string::size_type first = line.find_first_not_of(" \t"), length = std::char_traits<char>::length(word);
    return first != std::string::npos && line.compare(first, length, word) == 0 &&
           (first + length == line.size() || !std::isalnum(static_cast<unsigned char>(line[first + length])));
}

// Whether the first line after `line` at its level or less is `end`.
bool closedByEnd(int line) {
    const TokenPositions *positions = translation().positions;
    if (!positions)
        return false;
    std::string::size_type level = positions->line(line).find_first_not_of(" \t");
    for (int number = line + 1; number <= positions->lineCount(); number++) {
        const std::string &text = positions->line(number);
        std::string::size_type at = text.find_first_not_of(" \t");
        if (at != std::string::npos && at <= level)
            return text.find_last_not_of(" \t\r") == at + 2 && startsWithWord(text, "end");
    }
    return false;
}

// Lua's `function f()` ... `end`: a function that returns a value of any
// type, read as `var f()`.
bool readLuaFunction(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getType() != T::LITERAL_function || tokens.LA(2) != T::IDENT || tokens.LA(3) != T::LEFTPAR ||
        tokens.LA(4) != T::RIGHTPAR || !endsTheLine(tokens.LA(5)) || !closedByEnd(word->getLine()))
        return false;
    reportSyntaxAt(word, "unexpected `function`", foreignFunctionHint);
    tokens.replaceNext(tokenAt(T::LITERAL_var, "var", word));
    return true;
}

// `class Dog extends Animal` (Java, PHP), `class Dog : Animal` (C#, Kotlin,
// Swift), `class Dog(Animal):` (Python): read as `class Dog is Animal`.
bool readClassBase(TokenQueue &tokens) {
    if (tokens.LA(1) != T::LITERAL_class || tokens.LA(2) != T::IDENT)
        return false;
    antlr::RefToken fault = tokens.LT(3);
    unsigned int base = 4, last = 4;
    int type = fault->getType();
    bool word = type == T::IDENT && (fault->getText() == "extends" || fault->getText() == "implements");
    bool bracket = type == T::LEFTPAR && tokens.LA(5) == T::RIGHTPAR;
    if (!word && !bracket && type != T::COLON)
        return false;
    if (type == T::COLON && tokens.LA(5) == T::LEFTPAR && tokens.LA(6) == T::RIGHTPAR)
        last = 6;   // Kotlin's `: Animal()`
    if (bracket)
        last = tokens.LA(6) == T::COLON ? 6 : 5;
    if (tokens.LA(base) != T::IDENT || !endsTheLine(tokens.LA(last + 1)))
        return false;
    std::string name = tokens.LT(2)->getText(), baseName = tokens.LT(base)->getText();
    reportSyntaxAt(fault, "unexpected `" + fault->getText() + "`",
                   "a class names its base after `is`: class " + name + " is " + baseName);
    Tokens read{tokenAt(T::LITERAL_is, "is", fault), tokens.LT(base)};
    tokens.replaceRange(3, last, read);
    return true;
}

// Lua's `repeat` ... `until n > 3`: read as `do`, which `until` ends too.
bool readRepeat(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getType() != T::IDENT || word->getText() != "repeat" || !endsTheLine(tokens.LA(2)) ||
        isDeclaredName("repeat"))
        return false;
    reportSyntaxAt(word, "unexpected `repeat`", "a loop that tests its condition at its end is `do` ... `until`: "
                                                "write `do`");
    tokens.replaceNext(tokenAt(T::LITERAL_do, "do", word));
    return true;
}

std::string::size_type indentOf(const std::string &line) {
    std::string::size_type first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string::npos : first;
}

// The word after `start` on `line` (`def push(...)`: `push`), or empty.
std::string wordAfter(const std::string &line, std::string::size_type start) {
    std::string::size_type end = start;
    while (end < line.size() && (std::isalnum(static_cast<unsigned char>(line[end])) || line[end] == '_'))
        end++;
    return line.substr(start, end - start);
}

// A class of Python: `class Point:` over lines indented deeper, with a
// `def` among them and no `/class` after them. Its lines are told once and
// left out; the class is read as declared, with what its lines name as
// its members, so that its uses say nothing more.
bool readPythonClass(TokenQueue &tokens) {
    const TokenPositions *positions = translation().positions;
    antlr::RefToken word = tokens.LT(1), colon = tokens.LT(3);
    if (!positions || word->getType() != T::LITERAL_class || tokens.LA(2) != T::IDENT ||
        colon->getType() != T::COLON || !endsTheLine(tokens.LA(4)))
        return false;
    int first = word->getLine(), last = first;
    std::string::size_type level = indentOf(positions->line(first));
    bool method = false;
    std::vector<std::string> members;
    for (int number = first + 1; number <= positions->lineCount(); number++) {
        const std::string &text = positions->line(number);
        std::string::size_type at = indentOf(text);
        if (at == std::string::npos)
            continue;
        if (at <= level) {
            if (startsWithWord(text, "/class"))
                return false;
            break;
        }
        last = number;
        if (startsWithWord(text, "def")) {
            method = true;
            std::string::size_type name = text.find_first_not_of(" \t", at + 3);
            members.push_back(name == std::string::npos ? "" : wordAfter(text, name));
        }
        for (std::string::size_type self = text.find("self."); self != std::string::npos;
             self = text.find("self.", self + 5))
            members.push_back(wordAfter(text, self + 5));
    }
    if (!method)
        return false;
    std::string name = tokens.LT(2)->getText();
    reportSyntax(colon->getLine(), columnOf(colon), columnOf(colon), "unexpected `:`",
                 "a class lists its attributes with their types and its methods as functions, and ends with "
                 "`/class`: class " + name + " ... int x ... void " + name + "(int v) ... return ... /class");
    ForeignFunction lines;
    lines.firstLine = first;
    lines.lastLine = last;
    lines.name = name;
    translation().foreignFunctions.add(lines);
    for (const std::string &member : members)
        translation().membersOfForeignClasses.insert(member);
    // The lines' ends stay, so that the lines keep their numbers.
    Tokens read;
    unsigned int end = 3;
    for (; tokens.LA(end) != antlr::Token::EOF_TYPE && tokens.LT(end)->getLine() <= last; end++)
        if (tokens.LA(end) == T::EOL || tokens.LA(end) == T::Q_COMMENT)
            read.push_back(tokens.LT(end));
    antlr::RefToken close = tokenAt(T::SLASHCLASS, "/class", tokens.LT(end - 1));
    read.insert(read.empty() ? read.end() : read.end() - 1, close);
    tokens.replaceRange(3, end - 1, read);
    return true;
}

}  // namespace

bool readForeignStatement(TokenQueue &tokens) {
    return readIfLet(tokens) || readScanf(tokens) || readLuaFunction(tokens) || readPythonClass(tokens) ||
           readClassBase(tokens) || readRepeat(tokens);
}
