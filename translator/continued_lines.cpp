#include "translator/continued_lines.hpp"

#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>

#include <cctype>
#include <vector>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/line_code.hpp"
#include "translator/source_translation.hpp"

namespace {

const std::string &lineText(int line) {
    static const std::string none;
    return translation().positions ? translation().positions->line(line) : none;
}

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// What a line leaves unfinished at its end: an operator or a comma that
// needs a value after it, or a bracket that nothing closes.
struct UnfinishedEnd {
    std::string written;          // the sign or word, or the open bracket
    std::string::size_type at = std::string::npos;   // its first byte
    bool bracket = false;
};

char closerOf(char open) { return open == '(' ? ')' : open == '[' ? ']' : '}'; }

// The line without its comment and trailing blanks, and the brackets
// left open in it (outside texts).
std::string codeOf(const std::string &line, std::vector<std::string::size_type> &open) {
    std::string::size_type end = walkLineCode(line, [&](std::string::size_type at, char c) {
        if (c == '(' || c == '[' || c == '{')
            open.push_back(at);
        else if ((c == ')' || c == ']' || c == '}') && !open.empty() && closerOf(line[open.back()]) == c)
            open.pop_back();
        return true;
    });
    std::string::size_type last = line.find_last_not_of(" \t\r", end == 0 ? std::string::npos : end - 1);
    return end == 0 || last == std::string::npos ? "" : line.substr(0, last + 1);
}

UnfinishedEnd unfinishedEnd(const std::string &line) {
    std::vector<std::string::size_type> open;
    std::string code = codeOf(line, open);
    UnfinishedEnd found;
    if (code.empty())
        return found;
    static const char *const words[] = {"and", "or", "not", "mod", "in"};
    for (const char *word : words) {
        std::string w(word);
        if (code.size() >= w.size() && code.compare(code.size() - w.size(), w.size(), w) == 0 &&
            (code.size() == w.size() || !isNameCharacter(code[code.size() - w.size() - 1]))) {
            found.written = w;
            found.at = code.size() - w.size();
            return found;
        }
    }
    static const char *const signs[] = {"<=", ">=", "!=", "<>", "..", "=", "+", "-", "*", "/",
                                        "<",  ">",  ",",  "&",  "|", "^"};
    for (const char *sign : signs) {
        std::string s(sign);
        if (code.size() >= s.size() && code.compare(code.size() - s.size(), s.size(), s) == 0) {
            found.written = s;
            found.at = code.size() - s.size();
            // A `--` or `++` step of other languages is told elsewhere.
            if ((s == "-" || s == "+") && found.at > 0 && code[found.at - 1] == s[0])
                return UnfinishedEnd();
            return found;
        }
    }
    if (!open.empty()) {
        found.written = std::string(1, line[open.back()]);
        found.at = open.back();
        found.bracket = true;
    }
    return found;
}

// A line that reads as a statement of its own: an assignment (`x = 1`,
// `a[i] = 2`) or a statement word, which no one writes as the value an
// operator on the line before waits for.
bool beginsAStatement(const std::string &line) {
    static const char *const words[] = {"print", "echo", "if", "while", "for", "return", "do", "switch",
                                        "int", "real", "text", "bool", "var", "dict", "array", "/"};
    std::string::size_type first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    for (const char *word : words) {
        std::string w(word);
        if (line.compare(first, w.size(), w) == 0 &&
            (w == "/" || first + w.size() == line.size() || !isNameCharacter(line[first + w.size()])))
            return true;
    }
    std::string::size_type at = first;
    while (at < line.size() && isNameCharacter(line[at]))
        at++;
    if (at == first)
        return false;
    if (at < line.size() && line[at] == '[') {
        int depth = 0;
        for (; at < line.size(); at++) {
            depth += line[at] == '[' ? 1 : line[at] == ']' ? -1 : 0;
            if (depth == 0)
                break;
        }
        at++;
    }
    at = line.find_first_not_of(" \t", at);
    return at != std::string::npos && line[at] == '=' && (at + 1 == line.size() || line[at + 1] != '=');
}

antlr::RefToken tokenOf(const antlr::RecognitionException &error) {
    if (auto mismatch = dynamic_cast<const antlr::MismatchedTokenException *>(&error))
        return mismatch->token;
    if (auto noViable = dynamic_cast<const antlr::NoViableAltException *>(&error))
        return noViable->token;
    return antlr::RefToken();
}

bool lineHasMessage(int line) {
    const DiagnosticSink &sink = currentSink();
    for (std::size_t place : sink.onLine(line))
        if (sink.all()[place].counted())
            return true;
    return false;
}

}  // namespace

int lineBefore(int line) {
    std::vector<std::string::size_type> open;
    int before = line - 1;
    while (before > 1 && codeOf(lineText(before), open).empty())
        before--;
    return before;
}

bool ranIntoNextLine(const antlr::RecognitionException &error, const antlr::RefToken &lastConsumed) {
    antlr::RefToken token = tokenOf(error);
    // A line end is the fault itself unless a blank line follows the
    // unfinished one.
    if (!token || !lastConsumed || lastConsumed->getType() != VLTokenTypes::EOL || token->getLine() < 2 ||
        (token->getType() == VLTokenTypes::EOL && token->getLine() <= lastConsumed->getLine()))
        return false;
    int line = lineBefore(token->getLine());
    // A file whose last statement is unfinished (`x = x +`): the fault is
    // that line's end, not the end of the file.
    if (token->getType() == antlr::Token::EOF_TYPE)
        return !lineHasMessage(line) && unfinishedEnd(lineText(line)).at != std::string::npos;
    return lineHasMessage(line) || unfinishedEnd(lineText(line)).at != std::string::npos;
}

void reportContinuedLine(const antlr::RecognitionException &error) {
    int line = lineBefore(tokenOf(error)->getLine());
    if (lineHasMessage(line))
        return;
    UnfinishedEnd end = unfinishedEnd(lineText(line));
    int column = static_cast<int>(end.at) + 1;
    if (end.bracket)
        reportSyntax(line, column, column, "the `" + end.written + "` is not closed on its line",
                     "write `" + std::string(1, closerOf(end.written[0])) + "` where what it holds ends");
    else
        reportSyntax(line, column, column + static_cast<int>(end.written.size()) - 1,
                     "expected a value after `" + end.written + "`, found the end of the line",
                     "a statement ends with its line: write the value after `" + end.written + "`");
}

bool cameAfterLineEnd(const antlr::RecognitionException &error, const antlr::RefToken &lastConsumed) {
    antlr::RefToken token = tokenOf(error);
    return token && lastConsumed && lastConsumed->getType() == VLTokenTypes::EOL &&
           token->getType() != antlr::Token::EOF_TYPE && token->getLine() > lastConsumed->getLine();
}

bool placeOnUnfinishedLine(const antlr::RecognitionException &error) {
    antlr::RefToken token = tokenOf(error);
    if (!token || token->getLine() < 2)
        return false;
    int line = lineBefore(token->getLine());
    UnfinishedEnd end = unfinishedEnd(lineText(line));
    if (end.at == std::string::npos || end.bracket || end.written == ",")
        return false;
    // The numbered line stays the one the parse stopped on (the operator
    // took the line end, so the condition went on); the unfinished line is
    // named beside it.
    int column = static_cast<int>(end.at) + 1;
    currentSink().relateLast({diagnostics.sourceName, line, column});
    currentSink().hintLast("line " + std::to_string(line) + " ends with `" + end.written +
                           "`: write the value after it on the same line");
    return true;
}

std::string continuedLineHint(int line) {
    if (line < 2 || !beginsAStatement(lineText(line)))
        return "";
    int before = lineBefore(line);
    UnfinishedEnd end = unfinishedEnd(lineText(before));
    if (end.at == std::string::npos || end.bracket || end.written == ",")
        return "";
    // The `?>` of PHP ends no value: its line was told with the `<?php`.
    std::string::size_type first = lineText(before).find_first_not_of(" \t");
    if (first != std::string::npos && lineText(before).compare(first, 2, "?>") == 0)
        return "";
    return "line " + std::to_string(before) + " ends with `" + end.written +
           "`, so this line is read as the value after it: write that value on line " + std::to_string(before);
}
