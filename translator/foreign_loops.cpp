#include "translator/foreign_loops.hpp"

#include <antlr/CommonToken.hpp>

#include <string>
#include <vector>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/foreign_head_parts.hpp"
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
using namespace foreign_head_parts;

// The place of the `to` or `,` that ends the first bound of `for i = 1 to 3`
// on the line, or 0.
unsigned int boundsSeparator(TokenQueue &tokens, unsigned int first) {
    int depth = 0;
    for (unsigned int at = first; !endsTheLine(tokens.LA(at)); at++) {
        int type = tokens.LA(at);
        if (type == T::LEFTPAR || type == T::LEFTSQUARE)
            depth++;
        else if (type == T::RIGHTPAR || type == T::RIGHTSQUARE)
            depth--;
        else if (depth == 0 && (type == T::COMMA || (type == T::IDENT && tokens.LT(at)->getText() == "to")))
            return at > first ? at : 0;
    }
    return 0;
}

// `for i = 1 to 3`, `for i = 1, 3 do`, `for x of a`.
void readAssignedLoop(TokenQueue &tokens) {
    unsigned int variable = isTypeWord(tokens.LA(2)) ? 3 : 2;
    if (tokens.LA(variable) != T::IDENT)
        return;
    antlr::RefToken word = tokens.LT(variable + 1);   // a copy: reading further may move the queue
    if (word->getType() == T::IDENT && word->getText() == "of") {
        absorbBlockStart(word->getLine());
        reportWord(word, "a loop over the elements of an array is written with `in`: for x in a" + blockClosing(word));
        tokens.replaceAt(variable + 1, tokenAt(T::LITERAL_in, "in", word));
        return;
    }
    if (word->getType() != T::EQUAL)
        return;
    unsigned int separator = boundsSeparator(tokens, variable + 2);
    if (separator == 0)
        return;
    antlr::RefToken bound = tokens.LT(separator);
    std::string head = velmoraForm("for " + textBetween(tokens.LT(1), word) + " in " + textBetween(word, bound) +
                                   ".." + trimmed(textAfter(bound)));
    absorbBlockStart(word->getLine());
    translation().foreignHeadLines.insert(word->getLine());
    reportWord(word, "a loop over numbers names its range: write `" + head + "` (both ends counted)" +
                         blockClosing(word));
    tokens.replaceAt(separator, tokenAt(T::DOTDOT, "..", bound));
    tokens.replaceAt(variable + 1, tokenAt(T::LITERAL_in, "in", word));
}

// The step of a C loop's third part (`i++`, `i -= 2`, `i = i + 1`) for the
// variable `name`, or 0 when it is none of those.
int cLoopStep(TokenQueue &tokens, unsigned int first, unsigned int last, const std::string &name) {
    std::vector<int> types;
    for (unsigned int at = first; at <= last; at++)
        types.push_back(tokens.LA(at));
    auto isName = [&](unsigned int at) { return tokens.LA(at) == T::IDENT && tokens.LT(at)->getText() == name; };
    auto number = [&](unsigned int at) { return tokens.LA(at) == T::INTEGER ? std::stoi(tokens.LT(at)->getText()) : 0; };
    if (types == std::vector<int>{T::IDENT, T::PLUS, T::PLUS} && isName(first))
        return 1;
    if (types == std::vector<int>{T::PLUS, T::PLUS, T::IDENT} && isName(last))
        return 1;
    if (types == std::vector<int>{T::IDENT, T::MINMIN} && isName(first))
        return -1;
    if (types == std::vector<int>{T::MINMIN, T::IDENT} && isName(last))
        return -1;
    if (types.size() == 4 && isName(first) && types[2] == T::EQUAL && (types[1] == T::PLUS || types[1] == T::MINUS))
        return types[1] == T::PLUS ? number(last) : -number(last);
    if (types.size() == 5 && isName(first) && types[1] == T::EQUAL && isName(first + 2) &&
        (types[3] == T::PLUS || types[3] == T::MINUS))
        return types[3] == T::PLUS ? number(last) : -number(last);
    return 0;
}

// Where a C loop's message points: from `from` to `to`, the `(` when null.
struct LoopFault {
    antlr::RefToken from, to;
    std::string message;
};

// `for (int i = 0; i < n; i++)`: read as `for int i in 0--n`.
bool readCLoop(TokenQueue &tokens, unsigned int close, unsigned int first, unsigned int second,
               LoopFault fault = LoopFault()) {
    unsigned int at = 3;
    // `let i = 0` of JavaScript declares as `int i` would.
    if (tokens.LA(at) == T::LITERAL_let || tokens.LA(at) == T::LITERAL_const)
        at++;
    unsigned int type = isTypeWord(tokens.LA(at)) ? at++ : 0;
    unsigned int variable = at;
    if (tokens.LA(variable) != T::IDENT || tokens.LA(variable + 1) != T::EQUAL || variable + 2 >= first)
        return false;
    std::string name = tokens.LT(variable)->getText();
    int compare = tokens.LA(first + 2);
    if (tokens.LA(first + 1) != T::IDENT || tokens.LT(first + 1)->getText() != name || first + 3 >= second)
        return false;
    int step = second + 1 < close ? cLoopStep(tokens, second + 1, close - 1, name) : 0;
    bool up = compare == T::LESSER || compare == T::LESS_EQUAL || compare == T::NOT_EQUAL;
    bool down = compare == T::GREATER || compare == T::GREAT_EQUAL || compare == T::NOT_EQUAL;
    if (step == 0 || (step > 0 && !up) || (step < 0 && !down))
        return false;
    bool inclusive = compare == T::LESS_EQUAL || compare == T::GREAT_EQUAL;
    antlr::RefToken open = tokens.LT(2);
    bool lengthAttribute = second >= first + 5 && tokens.LA(second - 2) == T::DOT &&
                           tokens.LA(second - 1) == T::IDENT && tokens.LT(second - 1)->getText() == "length";
    std::string end = textBetween(tokens.LT(first + 2), tokens.LT(second));
    if (lengthAttribute && end.size() > 6)
        end = end.substr(0, end.size() - 6) + "size()";
    std::string head = "for " + std::string(type ? tokens.LT(type)->getText() + " " : "") + name + " in " +
                       textBetween(tokens.LT(variable + 1), tokens.LT(first)) + (inclusive ? ".." : "--") + end +
                       (step != 1 ? " step " + std::to_string(step) : "");
    absorbBlockStart(open->getLine());
    if (!fault.from)
        fault = LoopFault{open, open, "unexpected `(`"};
    reportSyntax(fault.from->getLine(), columnOf(fault.from), afterOf(fault.to) - 1, fault.message,
                 "a loop over numbers names its range: write `" + head + "` (" +
                     (inclusive ? "both ends counted" : "the end left out") + ")" + blockClosing(open));
    Tokens loop;
    if (type)
        loop.push_back(tokens.LT(type));
    loop.push_back(tokens.LT(variable));
    loop.push_back(tokenAt(T::LITERAL_in, "in", tokens.LT(variable + 1)));
    for (unsigned int i = variable + 2; i < first; i++)
        loop.push_back(tokens.LT(i));
    loop.push_back(inclusive ? tokenAt(T::DOTDOT, "..", tokens.LT(first)) : tokenAt(T::MINMIN, "--", tokens.LT(first)));
    for (unsigned int i = first + 3; i < second; i++)
        loop.push_back(tokens.LT(i));
    // `i < a.length` of JavaScript: the array's length is its size().
    if (lengthAttribute) {
        loop.back() = tokenAt(T::IDENT, "size", loop.back());
        loop.push_back(tokenAt(T::LEFTPAR, "(", loop.back()));
        loop.push_back(tokenAt(T::RIGHTPAR, ")", loop.back()));
    }
    if (step != 1) {
        antlr::RefToken place = tokens.LT(second);
        loop.push_back(tokenAt(T::LITERAL_step, "step", place));
        if (step < 0)
            loop.push_back(tokenAt(T::MINUS, "-", place));
        loop.push_back(tokenAt(T::INTEGER, std::to_string(step < 0 ? -step : step), place));
    }
    tokens.replaceRange(2, close, loop);
    return true;
}

bool isLoopWord(const antlr::RefToken &token) {
    int type = token->getType();
    return type == T::LITERAL_in || type == T::COLON || (type == T::IDENT && token->getText() == "of");
}

std::string withoutDollar(const antlr::RefToken &token) { return token->getText().substr(1); }

// PHP's `foreach ($a as $v)` and `foreach ($a as $k => $v)`: read as
// `for v in a` and `for k, v in a`.
bool readPhpForeach(TokenQueue &tokens, unsigned int close) {
    antlr::RefToken open = tokens.LT(2);
    if (tokens.LA(3) != T::PHPID || tokens.LA(4) != T::LITERAL_as ||
        tokens.LA(5) != T::PHPID)
        return false;
    bool pair = close == 9 && tokens.LA(6) == T::EQUAL && tokens.LA(7) == T::GREATER && tokens.LA(8) == T::PHPID;
    if (!pair && close != 6)
        return false;
    antlr::RefToken container = tokens.LT(3), first = tokens.LT(5), second = tokens.LT(pair ? 8 : 5);
    std::string head = "for " + withoutDollar(first) + (pair ? ", " + withoutDollar(second) : "") + " in " +
                       withoutDollar(container);
    absorbBlockStart(open->getLine());
    reportSyntaxAt(open, "unexpected `(`",
                   "a loop's first line has no parentheses, and a name no `$`: write `" + head + "`" +
                       blockClosing(open));
    Tokens loop{tokenAt(T::IDENT, withoutDollar(first), first)};
    if (pair) {
        loop.push_back(tokenAt(T::COMMA, ",", second));
        loop.push_back(tokenAt(T::IDENT, withoutDollar(second), second));
    }
    loop.push_back(tokenAt(T::LITERAL_in, "in", tokens.LT(4)));
    loop.push_back(tokenAt(T::IDENT, withoutDollar(container), container));
    tokens.replaceRange(2, close, loop);
    return true;
}

// `for (x in a)`, `for (const x of a)`, `for (int x : a)`: read as `for x in a`.
bool readParenthesisedLoop(TokenQueue &tokens, unsigned int close) {
    if (readPhpForeach(tokens, close))
        return true;
    unsigned int at = 3;
    antlr::RefToken open = tokens.LT(2);
    bool declared = tokens.LA(at) == T::LITERAL_let || tokens.LA(at) == T::LITERAL_const ||
                    (tokens.LA(at) == T::IDENT && tokens.LT(at)->getText() == "auto" && tokens.LA(at + 1) == T::IDENT);
    unsigned int from = declared ? ++at : at;
    if (isTypeWord(tokens.LA(at)))
        at++;
    if (tokens.LA(at) != T::IDENT)
        return false;
    if (tokens.LA(at + 1) == T::COMMA && tokens.LA(at + 2) == T::IDENT)
        at += 2;
    unsigned int word = at + 1;
    if (!isLoopWord(tokens.LT(word)) || word + 1 >= close)
        return false;
    std::string variables = textBetween(tokens.LT(from - 1), tokens.LT(word));
    std::string head = "for " + variables + " in " + textBetween(tokens.LT(word), tokens.LT(close));
    absorbBlockStart(open->getLine());
    reportSyntaxAt(open, "unexpected `(`",
                   "a loop's first line has no parentheses: write `" + head + "`" + blockClosing(open));
    Tokens loop;
    for (unsigned int i = from; i < close; i++)
        loop.push_back(i == word ? tokenAt(T::LITERAL_in, "in", tokens.LT(i)) : tokens.LT(i));
    tokens.replaceRange(2, close, loop);
    return true;
}

// Go's `for i := 0; i < 3; i++ {`: read as C's loop is, in its brackets.
bool readGoLoop(TokenQueue &tokens) {
    unsigned int end = 2;
    std::vector<unsigned int> semicolons;
    for (; !endsTheLine(tokens.LA(end)); end++)
        if (tokens.LA(end) == T::SEMI)
            semicolons.push_back(end);
    if (semicolons.size() != 2 || tokens.LA(2) != T::IDENT)
        return false;
    Tokens written;
    for (unsigned int at = 2; at < end; at++)
        written.push_back(tokens.LT(at));
    // The whole head is the slip: from the `for` to the end of its third part.
    LoopFault fault{tokens.LT(1), written.back(), "a `for` names a range, not three parts between `;`"};
    Tokens bracketed{tokenAt(T::LEFTPAR, "(", written.front())};
    for (std::size_t i = 0; i < written.size(); i++) {
        bool declares = i == 1 && written[i]->getType() == T::COLON && i + 1 < written.size() &&
                        written[i + 1]->getType() == T::EQUAL;
        if (!declares)
            bracketed.push_back(written[i]);
    }
    bracketed.push_back(tokenAt(T::RIGHTPAR, ")", tokens.LT(end)));
    // The `(` moves the `;`s one on, the `:` of a `:=` one back.
    unsigned int moved = bracketed.size() == written.size() + 1 ? 0 : 1;
    tokens.replaceRange(2, end - 1, bracketed);
    unsigned int close = 2 + static_cast<unsigned int>(bracketed.size()) - 1;
    if (readCLoop(tokens, close, semicolons[0] + moved, semicolons[1] + moved, fault))
        return true;
    tokens.replaceRange(2, close, written);
    return false;
}

// Swift's `for i in 0..<3`: read as `for i in 0--3`.
void readHalfOpenRange(TokenQueue &tokens) {
    for (unsigned int at = 2; !endsTheLine(tokens.LA(at)); at++) {
        antlr::RefToken dots = tokens.LT(at), less = tokens.LT(at + 1);
        if (dots->getType() != T::DOTDOT || less->getType() != T::LESSER || less->getLine() != dots->getLine() ||
            columnOf(less) != afterOf(dots))
            continue;
        std::string line = lineOf(dots);
        line.replace(static_cast<std::string::size_type>(columnOf(dots) - 1), 3, "--");
        absorbBlockStart(dots->getLine());
        reportSyntax(dots->getLine(), columnOf(dots), columnOf(less), "`..<` is not a range",
                     "a range without its end is written with `--`: write `" + velmoraForm(line) + "`" +
                         blockClosing(dots));
        tokens.replaceRange(at, at + 1, {tokenAt(T::MINMIN, "--", dots)});
        return;
    }
}

// Go's `for i := range a`, `for i, v := range a`: read as `for i in a` and
// `for i, v in a`.
bool readGoRange(TokenQueue &tokens) {
    unsigned int sign = tokens.LA(3) == T::COMMA && tokens.LA(4) == T::IDENT ? 5 : 3;
    if (tokens.LA(2) != T::IDENT || tokens.LA(sign) != T::COLON || tokens.LA(sign + 1) != T::EQUAL ||
        tokens.LA(sign + 2) != T::IDENT || tokens.LT(sign + 2)->getText() != "range" ||
        endsTheLine(tokens.LA(sign + 3)))
        return false;
    antlr::RefToken range = tokens.LT(sign + 2);
    std::string container = trimmed(textAfter(range));
    if (!container.empty() && container.back() == '{')
        container = trimmed(container.substr(0, container.size() - 1));
    std::string names = tokens.LT(2)->getText() + (sign == 5 ? ", " + tokens.LT(4)->getText() : "");
    absorbBlockStart(range->getLine());
    reportSyntax(tokens.LT(sign)->getLine(), columnOf(tokens.LT(sign)), afterOf(range) - 1, "unexpected `:=`",
                 sign == 5 ? "a loop over the places and the elements of an array: write `for " + names + " in " +
                                 container + "`" + blockClosing(range)
                           : "a loop over the places of an array: write `for " + names + " in 0--" + container +
                                 ".size()`; `for v in " + container + "` gives its elements" + blockClosing(range));
    tokens.replaceRange(sign, sign + 2, {tokenAt(T::LITERAL_in, "in", range)});
    return true;
}

// The place of the `.` before `each do` on the line, outside brackets, or 0.
unsigned int eachDot(TokenQueue &tokens) {
    int depth = 0;
    for (unsigned int at = 1; !endsTheLine(tokens.LA(at)); at++) {
        int type = tokens.LA(at);
        if (type == T::LEFTPAR || type == T::LEFTSQUARE)
            depth++;
        else if (type == T::RIGHTPAR || type == T::RIGHTSQUARE)
            depth--;
        else if (depth == 0 && type == T::DOT && tokens.LA(at + 1) == T::IDENT && tokens.LA(at + 2) == T::LITERAL_do)
            return at > 1 ? at : 0;
    }
    return 0;
}

// `items.each do |v|`, `h.each do |k, v|`, `items.each_with_index do |v,
// i|`: Ruby's loop over the elements of a container, read as `for v in
// items`, `for k, v in h` and `for i, v in items`, closed by `/for`.
}  // namespace

void readLoop(TokenQueue &tokens) {
    readHalfOpenRange(tokens);
    if (tokens.LA(2) != T::LEFTPAR) {
        if (!readGoRange(tokens) && !readGoLoop(tokens))
            readAssignedLoop(tokens);
        return;
    }
    unsigned int close = closingBracket(tokens, 2);
    if (close == 0 || !endsTheLine(tokens.LA(close + 1)))
        return;
    std::vector<unsigned int> semicolons;
    for (unsigned int at = 3; at < close; at++)
        if (tokens.LA(at) == T::SEMI)
            semicolons.push_back(at);
    // PHP's `for ($i = 0; $i < 3; $i++)`: its names are read without their `$`.
    if (tokens.LA(3) == T::PHPID && semicolons.size() == 2)
        for (unsigned int at = 3; at < close; at++)
            if (tokens.LA(at) == T::PHPID)
                tokens.replaceAt(at, tokenAt(T::IDENT, tokens.LT(at)->getText().substr(1), tokens.LT(at)));
    if (semicolons.size() == 2)
        readCLoop(tokens, close, semicolons[0], semicolons[1]);
    else if (semicolons.empty())
        readParenthesisedLoop(tokens, close);
}

// `items.each do |v|`, `h.each do |k, v|`, `items.each_with_index do |v,
// i|`: Ruby's loop over the elements of a container, read as `for v in
// items`, `for k, v in h` and `for i, v in items`, closed by `/for`.
void readEach(TokenQueue &tokens) {
    unsigned int dot = eachDot(tokens);
    if (dot == 0)
        return;
    antlr::RefToken method = tokens.LT(dot + 1);
    bool indexed = method->getText() == "each_with_index";
    unsigned int bar = dot + 3;
    if ((!indexed && method->getText() != "each") || tokens.LA(bar) != T::OR_BIN || tokens.LA(bar + 1) != T::IDENT)
        return;
    unsigned int close = bar + 2;
    bool pair = tokens.LA(close) == T::COMMA && tokens.LA(close + 1) == T::IDENT;
    if (pair)
        close += 2;
    if (tokens.LA(close) != T::OR_BIN || !endsTheLine(tokens.LA(close + 1)) || (indexed && !pair))
        return;
    antlr::RefToken first = tokens.LT(1), value = tokens.LT(bar + 1);
    Tokens variables{value};
    if (pair)
        variables = indexed ? Tokens{tokens.LT(bar + 3), tokens.LT(bar + 2), value}
                            : Tokens{value, tokens.LT(bar + 2), tokens.LT(bar + 3)};
    const std::string &line = lineOf(first);
    std::string container = trimmed(line.substr(static_cast<std::string::size_type>(columnOf(first) - 1),
                                                static_cast<std::string::size_type>(columnOf(tokens.LT(dot)) - columnOf(first))));
    std::string names = variables.size() == 1 ? value->getText()
                                                : variables[0]->getText() + ", " + variables[2]->getText();
    absorbBlockStart(first->getLine());
    translation().foreignHeadLines.insert(first->getLine());
    reportSyntax(first->getLine(), columnOf(method), afterOf(tokens.LT(close)) - 1,
                 "unexpected `" + method->getText() + "`",
                 "a loop over the elements of a container is written with `for`: write `for " + names + " in " +
                     container + "`, and close the block with `/for`");
    Tokens loop{tokenAt(T::LITERAL_for, "for", first)};
    loop.insert(loop.end(), variables.begin(), variables.end());
    loop.push_back(tokenAt(T::LITERAL_in, "in", method));
    for (unsigned int at = 1; at < dot; at++)
        loop.push_back(tokens.LT(at));
    tokens.replaceRange(1, close, loop);
}
