#include "translator/foreign_heads.hpp"

#include <antlr/CommonToken.hpp>

#include <string>
#include <vector>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "semantics/classes.hpp"
#include "translator/foreign_statements.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/head_brackets.hpp"
#include "translator/hints.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"
#include "translator/token_places.hpp"
#include "translator/word_guesses.hpp"

namespace {

using T = VLTokenTypes;
using Tokens = std::vector<antlr::RefToken>;

std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The source text between two tokens of a line, both left out.
std::string textBetween(const antlr::RefToken &after, const antlr::RefToken &before) {
    const std::string &line = lineOf(after);
    int from = afterOf(after) - 1, to = columnOf(before) - 1;
    if (before->getLine() != after->getLine() || to > static_cast<int>(line.size()))
        to = static_cast<int>(line.size());
    return from < to ? trimmed(line.substr(static_cast<std::string::size_type>(from),
                                           static_cast<std::string::size_type>(to - from)))
                     : "";
}

// The rest of the token's line after it.
std::string textAfter(const antlr::RefToken &token) {
    const std::string &line = lineOf(token);
    std::string::size_type from = static_cast<std::string::size_type>(afterOf(token) - 1);
    return from < line.size() ? line.substr(from) : "";
}

void reportWord(const antlr::RefToken &word, const std::string &hint) {
    int column = columnOf(word);
    reportSyntax(word->getLine(), column, afterOf(word) - 1, "unexpected `" + word->getText() + "`", hint);
}

bool endsTheLine(int type) { return type == T::EOL || type == T::Q_COMMENT || type == antlr::Token::EOF_TYPE; }

bool isTypeWord(int type) {
    static const int types[] = {T::LITERAL_int, T::LITERAL_integer, T::LITERAL_natural, T::LITERAL_real,
                                T::LITERAL_number, T::LITERAL_var, T::LITERAL_text, T::LITERAL_byte,
                                T::LITERAL_char, T::LITERAL_bool};
    for (int candidate : types)
        if (candidate == type)
            return true;
    return false;
}

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

// The place of the bracket that closes the one at `open` on its line, or 0.
unsigned int closingBracket(TokenQueue &tokens, unsigned int open) {
    int opening = tokens.LA(open);
    int closing = opening == T::LEFTPAR ? T::RIGHTPAR : opening == T::LEFTSQUARE ? T::RIGHTSQUARE : T::RIGHTCURLY;
    int depth = 0;
    for (unsigned int at = open; !endsTheLine(tokens.LA(at)); at++) {
        if (tokens.LA(at) == opening)
            depth++;
        else if (tokens.LA(at) == closing && --depth == 0)
            return at;
    }
    return 0;
}

std::string blockClosing(const antlr::RefToken &token) { return foreignBlockClosing(lineOf(token)); }

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
    std::string head = "for " + std::string(type ? tokens.LT(type)->getText() + " " : "") + name + " in " +
                       textBetween(tokens.LT(variable + 1), tokens.LT(first)) + (inclusive ? ".." : "--") +
                       textBetween(tokens.LT(first + 2), tokens.LT(second)) +
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

// `unless x = 2`: read as `if not (x = 2)`.
void readUnless(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    int next = tokens.LA(2);
    if (word->getType() != T::IDENT || word->getText() != "unless" || isDeclaredName("unless") || endsTheLine(next) ||
        next == T::EQUAL || next == T::DOT || next == T::LEFTSQUARE || next == T::COMMA ||
        (next == T::LEFTPAR && sourceDefinesFunction("unless")))
        return;
    unsigned int end = 2;
    int depth = 0;
    for (; !endsTheLine(tokens.LA(end)); end++) {
        int type = tokens.LA(end);
        if (type == T::LEFTPAR || type == T::LEFTSQUARE)
            depth++;
        else if (type == T::RIGHTPAR || type == T::RIGHTSQUARE)
            depth--;
        else if (depth == 0 && (type == T::COLON || type == T::QUESTION))
            break;
    }
    std::string condition = velmoraForm("if " + textAfter(word)).substr(3);
    reportWordAsWritten(word, next, "`unless` is written `if not`: write `if not (" + condition + ")`" +
                                        blockClosing(word));
    absorbBlockStart(word->getLine());
    translation().foreignHeadLines.insert(word->getLine());
    // The `then` or `{` that begins the block in other languages.
    antlr::RefToken last = tokens.LT(end - 1);
    if (end > 3 && (last->getType() == T::LEFTCURLY || (last->getType() == T::IDENT && last->getText() == "then"))) {
        if (last->getType() == T::LEFTCURLY)
            translation().braceLines.push_back(word->getLine());
        tokens.drop(--end);
    }
    tokens.replaceRange(end, end, {tokenAt(T::RIGHTPAR, ")", tokens.LT(end)), tokens.LT(end)});
    tokens.replaceRange(1, 1, {tokenAt(T::LITERAL_if, "if", word), tokenAt(T::LITERAL_not, "not", word),
                               tokenAt(T::LEFTPAR, "(", word)});
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

// `int b[3]`, `int b[] = {1, 2}`: read as `int[] b`, `int[] b = [1, 2]`.
void readCArray(TokenQueue &tokens) {
    if (!isTypeWord(tokens.LA(1)) || tokens.LA(2) != T::IDENT || tokens.LA(3) != T::LEFTSQUARE)
        return;
    unsigned int close = closingBracket(tokens, 3);
    if (close == 0 || !(endsTheLine(tokens.LA(close + 1)) || tokens.LA(close + 1) == T::EQUAL ||
                        tokens.LA(close + 1) == T::SEMI))
        return;
    antlr::RefToken type = tokens.LT(1), name = tokens.LT(2), open = tokens.LT(3);
    std::string declaration = type->getText() + "[] " + name->getText();
    unsigned int values = tokens.LA(close + 1) == T::EQUAL && tokens.LA(close + 2) == T::LEFTCURLY ? close + 2 : 0;
    unsigned int valuesEnd = values ? closingBracket(tokens, values) : 0;
    if (values && valuesEnd) {
        std::string list = textBetween(tokens.LT(values), tokens.LT(valuesEnd));
        declaration += " = [" + list + "]";
        tokens.replaceAt(values, tokenAt(T::LEFTSQUARE, "[", tokens.LT(values)));
        tokens.replaceAt(valuesEnd, tokenAt(T::RIGHTSQUARE, "]", tokens.LT(valuesEnd)));
    } else if (tokens.LA(close + 1) == T::EQUAL) {
        declaration += " = " + velmoraForm(textAfter(tokens.LT(close + 1)));
    }
    reportSyntaxAt(open, "unexpected `[`",
                   "a typed array names `[]` after its type and grows as needed, without a size: write `" +
                       declaration + "`");
    currentSink().placeLast(columnOf(open), afterOf(tokens.LT(close)) - 1);
    tokens.replaceRange(1, close, {type, tokenAt(T::LEFTSQUARE, "[", open), tokenAt(T::RIGHTSQUARE, "]", open), name});
}

// The type a value written alone has (`1`, `1.5`, `"a"`, `true`), or
// `var` for any other value from `at` to the end of the line.
antlr::RefToken typeOfValue(TokenQueue &tokens, unsigned int at) {
    antlr::RefToken place = tokens.LT(at);
    bool alone = endsTheLine(tokens.LA(at + 1)) || tokens.LA(at + 1) == T::SEMI;
    int type = place->getType();
    if (alone && type == T::INTEGER)
        return tokenAt(T::LITERAL_int, "int", place);
    if (alone && type == T::REAL_LITERAL)
        return tokenAt(T::LITERAL_real, "real", place);
    if (alone && type == T::STRING_LITERAL)
        return tokenAt(T::LITERAL_text, "text", place);
    if (alone && (type == T::LITERAL_true || type == T::LITERAL_false))
        return tokenAt(T::LITERAL_bool, "bool", place);
    return tokenAt(T::LITERAL_var, "var", place);
}

// `x := 1`: read as `int x = 1`.
void readShortDeclaration(TokenQueue &tokens) {
    antlr::RefToken name = tokens.LT(1), colon = tokens.LT(2), equal = tokens.LT(3);
    if (name->getType() != T::IDENT || colon->getType() != T::COLON || equal->getType() != T::EQUAL ||
        equal->getLine() != colon->getLine() || equal->getColumn() != colon->getColumn() + 1 ||
        endsTheLine(tokens.LA(4)))
        return;
    antlr::RefToken type = typeOfValue(tokens, 4);
    reportSyntax(colon->getLine(), columnOf(colon), columnOf(colon) + 1, "unexpected `:=`",
                 "a variable is declared with its type, or `var` for a value of any type: write `" +
                     type->getText() + " " + name->getText() + " = " + velmoraForm(textAfter(equal)) + "`");
    tokens.replaceRange(1, 2, {type, name});
}

// `const x = 1`: read as `const int x = 1`.
void readUntypedConstant(TokenQueue &tokens) {
    if (tokens.LA(2) != T::IDENT || tokens.LA(3) != T::EQUAL || endsTheLine(tokens.LA(4)))
        return;
    antlr::RefToken type = typeOfValue(tokens, 4), word = tokens.LT(1);
    reportSyntaxAt(word, "unexpected `const`",
                   "a constant names its type: write `const " + type->getText() + " " + tokens.LT(2)->getText() +
                       " = " + velmoraForm(textAfter(tokens.LT(3))) + "`");
    tokens.replaceRange(2, 2, {type, tokens.LT(2)});
}

// The type this language writes for a type of another (`Int`, `f64`,
// `String`), or `var`; a class of the program stays itself.
antlr::RefToken typeNamed(const antlr::RefToken &written) {
    static const char *const integers[] = {"int", "Int", "Int32", "Int64", "Long", "long", "short", "i32", "i64",
                                           "u32", "u64", "usize", "isize", "int32", "int64", "uint"};
    static const char *const reals[] = {"Double", "Float", "double", "float", "f32", "f64", "float32", "float64"};
    static const char *const texts[] = {"String", "string", "str", "text"};
    static const char *const truths[] = {"Bool", "Boolean", "bool", "boolean"};
    const std::string &text = written->getText();
    auto among = [&text](const auto &names) {
        for (const char *name : names)
            if (text == name)
                return true;
        return false;
    };
    if (among(integers))
        return tokenAt(T::LITERAL_int, "int", written);
    if (among(reals))
        return tokenAt(T::LITERAL_real, "real", written);
    if (among(texts))
        return tokenAt(T::LITERAL_text, "text", written);
    if (among(truths))
        return tokenAt(T::LITERAL_bool, "bool", written);
    if (written->getType() == T::IDENT && findClass(text) >= 0)
        return written;
    return tokenAt(T::LITERAL_var, "var", written);
}

// Kotlin's `when (x) {` and Rust's `match x {`: a `switch`, whose block of
// arms velc does not read; told once, its lines say nothing more.
void readForeignSwitch(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    const std::string &text = word->getText();
    const std::string &line = lineOf(word);
    std::string::size_type last = line.find_last_not_of(" \t\r");
    if ((text != "when" && text != "match") || last == std::string::npos || line[last] != '{' ||
        isDeclaredName(text) || sourceDefinesFunction(text))
        return;
    std::string subject = trimmed(line.substr(static_cast<std::string::size_type>(afterOf(word) - 1),
                                              last - static_cast<std::string::size_type>(afterOf(word) - 1)));
    if (subject.size() > 1 && subject.front() == '(' && subject.back() == ')')
        subject = trimmed(subject.substr(1, subject.size() - 2));
    absorbBlockStart(word->getLine());
    reportWord(word, "a choice among the values of one subject is a `switch`: switch " + subject +
                         " ... case 1 ... default ... /switch");
    explainForeignBlock(word->getLine());
}

// `interface Shape {`, Swift's `protocol`, Rust's `trait` (a block of
// method heads), Rust's `impl Point {` (the methods of a class, apart from
// it): blocks that velc does not read. Told once, with their lines.
void readInterface(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    const std::string &text = word->getText();
    const std::string &line = lineOf(word);
    std::string::size_type last = line.find_last_not_of(" \t\r");
    bool impl = text == "impl" || text == "extension";
    if ((text != "interface" && text != "protocol" && text != "trait" && !impl) || tokens.LA(2) != T::IDENT ||
        last == std::string::npos || line[last] != '{' || isDeclaredName(text))
        return;
    std::string name = tokens.LT(2)->getText();
    absorbBlockStart(word->getLine());
    if (impl) {
        // Rust's `impl Point {`, Swift's `extension Point {`.
        reportWord(word, "the methods of a class are written inside it, with its attributes: class " + name +
                             " ... /class");
        explainForeignBlock(word->getLine());
        return;
    }
    reportWord(word, "the methods that classes share are written in a base class, which each derives from: class " +
                         name + " ... /class, then class Circle is " + name);
    explainForeignBlock(word->getLine());
}

}  // namespace

bool readTypeAfterName(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1), name = tokens.LT(2);
    bool declares = word->getType() == T::LITERAL_var || word->getType() == T::LITERAL_let ||
                    (word->getType() == T::IDENT && word->getText() == "val" && !isDeclaredName("val"));
    if (!declares || name->getType() != T::IDENT || !firstOnItsLine(word))
        return false;
    unsigned int type = tokens.LA(3) == T::COLON ? 4 : 3;
    antlr::RefToken written = tokens.LT(type);
    int after = tokens.LA(type + 1);
    bool typeWord = written->getType() == T::IDENT || isTypeWord(written->getType()) ||
                    written->getType() == T::LITERAL_string;
    if (!typeWord || !(after == T::EQUAL || after == T::SEMI || endsTheLine(after)) ||
        (type == 3 && word->getType() != T::LITERAL_var))
        return false;
    antlr::RefToken meant = typeNamed(written);
    std::string declaration = meant->getText() + " " + name->getText();
    if (after == T::EQUAL)
        declaration += " = " + velmoraForm(textAfter(tokens.LT(type + 1)));
    antlr::RefToken fault = tokens.LT(type - 1 == 3 ? 3 : type);
    reportSyntax(fault->getLine(), columnOf(fault), afterOf(type == 4 ? written : fault) - 1,
                 "unexpected `" + fault->getText() + "`",
                 "a variable's type comes before its name: write `" + declaration + "`");
    tokens.replaceRange(1, type, {meant, name});
    return true;
}

// `throw new Error("x")`, `raise ValueError("x")`: no statement raises an
// error here. The line is told once and read as empty, so that what it
// holds is not taken for the head of a function.
void readRaise(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if ((word->getText() != "throw" && word->getText() != "raise") || isDeclaredName(word->getText()) ||
        endsTheLine(tokens.LA(2)) || tokens.LA(2) == T::EQUAL || tokens.LA(2) == T::LEFTPAR)
        return;
    unsigned int end = 2;
    while (!endsTheLine(tokens.LA(end)))
        end++;
    reportWordAsWritten(word, tokens.LA(2), "");
    tokens.replaceRange(1, end - 1, {});
}

// Rust's `loop {`: read as `while forever`, which its `}` closes.
void readEndlessLoop(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getText() != "loop" || isDeclaredName("loop") || tokens.LA(2) != T::LEFTCURLY || !endsTheLine(tokens.LA(3)))
        return;
    reportSyntax(word->getLine(), columnOf(word), afterOf(tokens.LT(2)) - 1, "unexpected `loop`",
                 "a loop that only a `break` ends is `while forever` ... /while");
    absorbBlockStart(word->getLine());
    translation().braceLines.push_back(word->getLine());
    tokens.replaceRange(1, 2, {tokenAt(T::LITERAL_while, "while", word), tokenAt(T::LITERAL_forever, "forever", word)});
}

// `struct Point {` of C, Go, Rust and Swift, or `struct Point` alone on its
// line: read as the class it means.
void readStruct(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if ((word->getText() != "struct" && word->getText() != "record") || isDeclaredName(word->getText()) ||
        tokens.LA(2) != T::IDENT)
        return;
    bool brace = tokens.LA(3) == T::LEFTCURLY && endsTheLine(tokens.LA(4));
    if (!brace && !endsTheLine(tokens.LA(3)))
        return;
    absorbBlockStart(word->getLine());
    reportWordAsWritten(word, T::IDENT, "a record is a class: class " + tokens.LT(2)->getText() + " ... /class");
    if (brace)
        translation().braceLines.push_back(word->getLine());
    tokens.replaceRange(1, brace ? 3 : 2, {tokenAt(T::LITERAL_class, "class", word), tokens.LT(2)});
}

void readForeignHead(TokenQueue &tokens) {
    if (!firstOnItsLine(tokens.LT(1)))
        return;
    mendHeadBrackets(tokens);
    if (readForeignStatement(tokens))
        return;
    int first = tokens.LA(1);
    if (first == T::LITERAL_for) {
        readLoop(tokens);
    } else if (first == T::LITERAL_var || first == T::LITERAL_let) {
        readTypeAfterName(tokens);
    } else if (first == T::IDENT) {
        readTypeAfterName(tokens);
        readForeignSwitch(tokens);
        readUnless(tokens);
        readShortDeclaration(tokens);
        readEach(tokens);
        readRaise(tokens);
        readEndlessLoop(tokens);
        readStruct(tokens);
        readInterface(tokens);
    } else if (first == T::LITERAL_const) {
        readUntypedConstant(tokens);
    } else {
        readCArray(tokens);
    }
}

void dropMutability(TokenQueue &tokens, unsigned int at) {
    if (tokens.LA(at) == T::LITERAL_let && tokens.LA(at + 1) == T::IDENT && tokens.LT(at + 1)->getText() == "mut" &&
        tokens.LA(at + 2) == T::IDENT && firstOnItsLine(tokens.LT(at)))
        tokens.drop(at + 1);
}

void readForeignCatch(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getType() != T::LITERAL_catch)
        return;
    unsigned int end = 2;
    std::vector<antlr::RefToken> names;
    bool parenthesis = tokens.LA(2) == T::LEFTPAR;
    if (parenthesis && tokens.LA(3) == T::EOL)
        return;   // its class and name on the next line
    for (; !endsTheLine(tokens.LA(end)) && tokens.LA(end) != T::COLON; end++)
        if (tokens.LA(end) == T::IDENT && tokens.LT(end)->getText() != "as")
            names.push_back(tokens.LT(end));
    bool written = parenthesis && end == 6 && names.size() == 2 && tokens.LA(5) == T::RIGHTPAR;
    if (written || names.size() > 2)
        return;
    std::string className = names.size() == 2 ? names[0]->getText() : "Oops";
    std::string variable = names.empty() ? "e" : names.back()->getText();
    antlr::RefToken found = tokens.LT(parenthesis ? 3 : 2);
    reportSyntaxAt(found, std::string("expected ") + (names.size() == 2 ? "`(`" : "a class and a name") + ", found " +
                              (endsTheLine(found->getType()) ? "the end of the line" : "`" + found->getText() + "`"),
                   "a `catch` names a class of the program and a variable for the object thrown: write `catch(" +
                       className + " " + variable + ")`");
    // The class it names is no news: the message told what to write.
    translation().keywordGuessLines.insert(word->getLine());
    Tokens head{word, tokenAt(T::LEFTPAR, "(", word)};
    head.push_back(names.size() == 2 ? names[0] : tokenAt(T::IDENT, className, word));
    head.push_back(names.empty() ? tokenAt(T::IDENT, variable, word) : names.back());
    head.push_back(tokenAt(T::RIGHTPAR, ")", tokens.LT(end)));
    tokens.replaceRange(1, end - 1, head);
}
