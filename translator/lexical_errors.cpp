#include "translator/lexical_errors.hpp"

#include <antlr/CommonToken.hpp>
#include <antlr/TokenStreamRecognitionException.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "diagnostics/sink.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/hints.hpp"
#include "translator/source_translation.hpp"

namespace {

using T = VLTokenTypes;

// Where the text that the bytes before `end` leave open starts: its quote,
// or npos when every quote is closed.
std::string::size_type openQuote(const std::string &line, std::string::size_type end) {
    char quote = 0;
    std::string::size_type at = std::string::npos;
    for (std::string::size_type i = 0; i < end && i < line.size(); i++) {
        if (quote && line[i] == '\\')
            i++;
        else if (quote && line[i] == quote)
            quote = 0;
        else if (!quote && (line[i] == '"' || line[i] == '\'')) {
            quote = line[i];
            at = i;
        }
    }
    return quote ? at : std::string::npos;
}

// `else`, or the `elseif` of other languages, or the `catch` that goes on
// a `try`.
bool isBranchWord(const antlr::RefToken &token) {
    if (token->getType() == T::LITERAL_else || token->getType() == T::LITERAL_catch)
        return true;
    const std::string &text = token->getText();
    return token->getType() == T::IDENT && (text == "elseif" || text == "elsif" || text == "elif");
}

}  // namespace

namespace {

std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

const char *const anyValueHint = "a variable is declared with its type, or `var` for a value of any type";

// `let v = vec![1, 2]`: the message of the declaration word writes the
// whole line; another one adds what it says of the array.
bool addToLinesMessage(const std::string &text, int line, const std::string &hint) {
    DiagnosticSink &sink = currentSink();
    for (std::size_t place : sink.onLine(line)) {
        const Diagnostic &earlier = sink.all()[place];
        if (earlier.kind != DiagnosticKind::syntax || earlier.hint.empty())
            continue;
        std::string::size_type first = text.find_first_not_of(" \t"), macro = text.find("![");
        std::string::size_type name = text.find(' ', first);
        if (earlier.hint.compare(0, std::strlen(anyValueHint), anyValueHint) == 0 && name != std::string::npos &&
            macro != std::string::npos) {
            std::string::size_type start = macro;
            while (start > 0 && (std::isalnum(static_cast<unsigned char>(text[start - 1])) || text[start - 1] == '_'))
                start--;
            std::string rest = text.substr(name, start - name) + text.substr(macro + 1);
            rest = rest.substr(0, rest.find_last_not_of(" \t\r;") + 1);
            if (rest.compare(0, 5, " mut ") == 0)
                rest.erase(0, 4);
            sink.rehint(place, std::string(anyValueHint) + ", and an array is written with its values in brackets: "
                               "write `var" + rest + "`");
        } else {
            sink.rehint(place, earlier.hint + "; " + hint);
        }
        return true;
    }
    return false;
}

}  // namespace

LexicalMessage describeLexicalError(const std::string &line, int column, const std::string &scannerMessage) {
    std::string::size_type at = column > 0 ? static_cast<std::string::size_type>(column - 1) : 0;
    char c = at < line.size() ? line[at] : '\n';
    unsigned char byte = static_cast<unsigned char>(c);
    std::string::size_type quote = openQuote(line, at);
    if (quote != std::string::npos) {
        // The caret spans the text from its quote, where the fault began.
        std::string::size_type last = line.find_last_not_of(" \t\r");
        std::string filled = interpolatedTextHint(line, quote);
        if (!filled.empty())
            return {"`\\(` puts no value into a text", filled, static_cast<int>(quote) + 1,
                    static_cast<int>(last == std::string::npos || last < quote ? quote : last) + 1};
        return {"the text is not closed on its line",
                "a text ends on the line it starts; write `\\n` for a line end inside it", static_cast<int>(quote) + 1,
                static_cast<int>(last == std::string::npos || last < quote ? quote : last) + 1};
    }
    if (c == '!' || (at > 0 && at <= line.size() && line[at - 1] == '!')) {
        // `println!("{}", x)`: a macro of Rust, where a name ends in `!`.
        std::string::size_type bang = c == '!' ? at : at - 1;
        bool macro = bang > 0 && (std::isalnum(static_cast<unsigned char>(line[bang - 1])) || line[bang - 1] == '_') &&
                     bang + 1 < line.size() && line[bang + 1] == '(';
        // The scanner stops after the `!` when another sign follows it.
        int column = static_cast<int>(bang) + 1;
        if (macro)
            return {"`!` alone is not an operator", "a call has no `!`; `print` writes values and a line end: print x",
                    column};
        // `vec![1, 2]`: the array of Rust, whose values stand in the brackets.
        std::string::size_type close = line.find(']', bang);
        if (bang > 0 && (std::isalnum(static_cast<unsigned char>(line[bang - 1])) || line[bang - 1] == '_') &&
            bang + 1 < line.size() && line[bang + 1] == '[' && close != std::string::npos)
            return {"`!` alone is not an operator",
                    "an array is written with its values in brackets: " + line.substr(bang + 1, close - bang), column};
        return {"`!` alone is not an operator", "write `not x`, or `!=` to compare", column};
    }
    if (c == '%') {
        // `"%d" % x`: Python's format, after the text it fills.
        std::string::size_type before = at == 0 ? std::string::npos : line.find_last_not_of(" \t", at - 1);
        if (before != std::string::npos && line[before] == '"')
            return {"`%` is not an operator",
                    "a text takes no values inside it; `print` writes them one after another: print \"x = \", x"};
        return {"`%` is not an operator", "the remainder is written `mod`: a mod b"};
    }
    // `<?php` and `?>` of PHP around the code.
    std::string::size_type tag = line.find("<?");
    if (tag != std::string::npos && at >= tag && at <= tag + 2 && line.compare(tag, 9, "<?elmora>") != 0) {
        std::string::size_type end = tag + 2;
        while (end < line.size() && std::isalpha(static_cast<unsigned char>(line[end])))
            end++;
        return {"`" + line.substr(tag, end - tag) + "` cannot stand here",
                "a source holds only the program: leave out `" + line.substr(tag, end - tag) + "` and `?>`",
                static_cast<int>(tag) + 1, static_cast<int>(end)};
    }
    if (c == '_')
        return {"a name cannot start with `_`", "start it with a letter"};
    // `int größe = 1`: a letter of another alphabet inside a name.
    if (byte >= 128 && at > 0 && (std::isalnum(static_cast<unsigned char>(line[at - 1])) || line[at - 1] == '_'))
        return {"this character can stand only in a text or a comment",
                "a name is written with the letters a to z and A to Z, digits and `_`"};
    if (byte >= 128)
        return {"this character can stand only in a text or a comment", ""};
    if (at < line.size() && byte > 32)
        return {"`" + std::string(1, c) + "` cannot stand here", ""};
    return {"cannot read this: " + scannerMessage, ""};
}

antlr::RefToken LexicalErrorFilter::nextToken() {
    antlr::RefToken token = pending_ ? pending_ : readToken();
    pending_ = antlr::RefToken();
    if (phpTold_ && atLineStart_ && token->getType() == T::QUESTION) {
        // The `?>` that closes a told `<?php`: its message named it.
        antlr::RefToken next = readToken();
        if (next->getType() == T::GREATER && next->getLine() == token->getLine())
            token = readToken();
        else
            pending_ = next;
    }
    if (token->getType() == T::SLASHSWITCH)
        caseArrowTold_ = false;
    if (token->getType() == T::QUESTION && !pending_)
        token = readNilOperator(token);
    if ((token->getType() == T::MINUS || token->getType() == T::EQUAL) && !pending_ && !atLineStart_ &&
        (lineStart_ == T::LITERAL_case || lineStart_ == T::LITERAL_default))
        token = readCaseArrow(token);
    if (token->getType() == T::LEFTCURLY) {
        antlr::RefToken next = readToken();
        // A `{` alone on its line belongs to the line before.
        int openerLine = atLineStart_ ? lineStartLine_ : token->getLine();
        bool branchBrace = branchLine_ && endsItsLine(token, next);
        if (branchBrace)
            translation().branchBraceLines.push_back(openerLine);
        if (branchBrace && (lineStart_ == T::RIGHTCURLY || wordLineStart_ == T::RIGHTCURLY)) {
            // `} else {`, `}` then `elseif x = 2 {`: the block's first `{`
            // has had its message.
            token = next;
        } else if (opensFunctionByBrace(token, next)) {
            const TokenPositions *positions = translation().positions;
            int column = positions ? byteColumn(positions->line(token->getLine()), token->getColumn()) : 0;
            reportSyntax(token->getLine(), column, column, "unexpected `{`",
                         "a function has no braces: its first line ends, and the `return` at its own level ends it");
            translation().braceLines.push_back(openerLine);
            translation().functionBraces++;
            token = next;
        } else if (opensBlockByBrace(token, next)) {
            std::string closer = branchLine_ ? branchCloser_ : "/" + std::string(
                lineStart_ == T::LITERAL_while ? "while" : lineStart_ == T::LITERAL_for ? "for" :
                lineStart_ == T::LITERAL_if ? "if" : lineStart_ == T::LITERAL_switch ? "switch" :
                lineStart_ == T::LITERAL_do ? "do" : lineStart_ == T::LITERAL_try ? "try" : "class");
            const TokenPositions *positions = translation().positions;
            int column = positions ? byteColumn(positions->line(token->getLine()), token->getColumn()) : 0;
            if (!blockStartAbsorbed(token->getLine()))
                reportSyntax(token->getLine(), column, column, "unexpected `{`",
                             "a block has no braces: its first line ends, and `" + closer + "` closes it");
            translation().braceLines.push_back(openerLine);
            token = next;
        } else {
            pending_ = next;
        }
    }
    if (token->getType() == T::DIV && atLineStart_ && !pending_) {
        // `/foreach` closes a `foreach`, which is read as the `for` it means.
        antlr::RefToken next = readToken();
        if (next->getType() == T::IDENT && next->getText() == "foreach" && next->getLine() == token->getLine() &&
            next->getColumn() == token->getColumn() + 1) {
            const TokenPositions *positions = translation().positions;
            int column = positions ? byteColumn(positions->line(token->getLine()), token->getColumn()) : 0;
            reportSyntax(token->getLine(), column, column + 7, "unexpected `/foreach`", "write `/for`");
            antlr::RefToken closer(new antlr::CommonToken(T::SLASHFOR, "/for"));
            closer->setLine(token->getLine());
            closer->setColumn(token->getColumn());
            token = closer;
        } else {
            pending_ = next;
        }
    }
    if (endsACondition(token)) {
        antlr::RefToken next = readToken();
        if (endsItsLine(token, next)) {
            const TokenPositions *positions = translation().positions;
            int column = positions ? byteColumn(positions->line(token->getLine()), token->getColumn()) : 0;
            if (!blockStartAbsorbed(token->getLine()))
                reportSyntax(token->getLine(), column, column + static_cast<int>(token->getText().size()) - 1,
                             "unexpected `" + token->getText() + "`",
                             "a block's first line ends with its condition: leave out `" + token->getText() + "`");
            token = next;
        } else {
            pending_ = next;
        }
    }
    int type = token->getType();
    if (atLineStart_) {
        if (lineStart_ != T::EOL && lineStart_ != T::Q_COMMENT)
            wordLineStart_ = lineStart_;
        // `foreach (x in a) {` begins a block as the `for` it means.
        lineStart_ = type == T::IDENT && token->getText() == "foreach" ? static_cast<int>(T::LITERAL_for) : type;
        lineStartLine_ = token->getLine();
        branchLine_ = isBranchWord(token);
        branchCloser_ = token->getType() == T::LITERAL_catch ? "/try" : "/if";
    } else if (lineStart_ == T::RIGHTCURLY && previous_ == T::RIGHTCURLY && token->getLine() == lineStartLine_) {
        branchLine_ = isBranchWord(token);
        branchCloser_ = token->getType() == T::LITERAL_catch ? "/try" : "/if";
    }
    if (type == T::EOL)
        lastOfLine_ = previous_;
    atLineStart_ = type == T::EOL || type == T::Q_COMMENT;
    previous_ = type;
    return token;
}

// `a ?? 2`, `a ?: 2` and `s?.length()` of C#, Kotlin, Swift and
// JavaScript: told once. The `?.` call is read as a plain one; the choice
// of a value in place of nil leaves its left value alone.
antlr::RefToken LexicalErrorFilter::readNilOperator(const antlr::RefToken &question) {
    antlr::RefToken next = readToken();
    int type = next->getType();
    bool glued = next->getLine() == question->getLine() && next->getColumn() == question->getColumn() + 1;
    if (!glued || (type != T::QUESTION && type != T::COLON && type != T::DOT)) {
        pending_ = next;
        return question;
    }
    const TokenPositions *positions = translation().positions;
    std::string text = positions ? positions->line(question->getLine()) : std::string();
    int column = byteColumn(text, question->getColumn());
    std::string written = type == T::QUESTION ? "??" : type == T::COLON ? "?:" : "?.";
    if (type == T::DOT) {
        reportSyntax(question->getLine(), column, column + 1, "`?.` is not an operator",
                     "a method or an attribute is reached with `.`, on a value that is not nil: test it with an "
                     "if first");
        return next;
    }
    // `var b = a ?? 2`: the declaration of `a`, then the if that replaces nil.
    std::string::size_type at = static_cast<std::string::size_type>(column - 1);
    std::string::size_type sign = text.rfind('=', at);
    std::string hint = "a value in place of nil is chosen by an if: `if v = nil ? v = 2`";
    if (sign != std::string::npos && sign > 0 && text.find('"') == std::string::npos) {
        std::string target = trimmed(text.substr(0, sign));
        std::string::size_type blank = target.find_last_of(" \t");
        std::string name = blank == std::string::npos ? target : target.substr(blank + 1);
        std::string left = trimmed(text.substr(sign + 1, at - sign - 1));
        std::string right = trimmed(text.substr(at + 2));
        right = right.substr(0, right.find_last_not_of(" \t\r;") + 1);
        hint = "a value in place of nil is chosen by an if: write `" + target + " = " + left + "`, then `if " + name +
               " = nil ? " + name + " = " + right + "`";
    }
    reportSyntax(question->getLine(), column, column + 1, "`" + written + "` is not an operator", hint);
    // The rest of the line is the value that the if gives.
    antlr::RefToken rest = readToken();
    while (rest->getType() != T::EOL && rest->getType() != T::SEMI && rest->getType() != antlr::Token::EOF_TYPE &&
           rest->getType() != T::Q_COMMENT)
        rest = readToken();
    return rest;
}

// `case 1 -> print 1` of Java and Kotlin, `case 1 => print 1` of Scala
// and C#: read as `case 1: print 1`.
antlr::RefToken LexicalErrorFilter::readCaseArrow(const antlr::RefToken &sign) {
    antlr::RefToken next = readToken();
    if (next->getType() != T::GREATER || next->getLine() != sign->getLine() ||
        next->getColumn() != sign->getColumn() + 1) {
        pending_ = next;
        return sign;
    }
    const TokenPositions *positions = translation().positions;
    int column = positions ? byteColumn(positions->line(sign->getLine()), sign->getColumn()) : 0;
    std::string arrow = sign->getType() == T::MINUS ? "->" : "=>";
    // Told once for the switch: its other cases have the same habit.
    if (!caseArrowTold_)
        reportSyntax(sign->getLine(), column, column + 1, "unexpected `" + arrow + "`",
                     "a case's values end with `:` or with their line: write `:` in place of `" + arrow +
                         "` in the cases of this switch");
    caseArrowTold_ = true;
    antlr::RefToken colon(new antlr::CommonToken(T::COLON, ":"));
    colon->setLine(sign->getLine());
    colon->setColumn(sign->getColumn());
    return colon;
}

// `if x = 1 then`, `while x < 3 do`: the word that other languages put
// between a block's condition and its statements.
bool LexicalErrorFilter::endsACondition(const antlr::RefToken &word) const {
    bool then = word->getType() == T::IDENT && word->getText() == "then";
    if (atLineStart_ || pending_ || !(then || word->getType() == T::LITERAL_do))
        return false;
    if (then)
        return lineStart_ == T::LITERAL_if || (branchLine_ && lineStart_ != T::LITERAL_else);
    return lineStart_ == T::LITERAL_while || lineStart_ == T::LITERAL_for;
}

bool LexicalErrorFilter::endsItsLine(const antlr::RefToken &brace, const antlr::RefToken &next) {
    if (next->getType() == T::EOL)
        return next->getLine() == brace->getLine();
    return next->getType() == T::Q_COMMENT && next->getLine() == brace->getLine() + 1;
}

bool LexicalErrorFilter::opensBlockByBrace(const antlr::RefToken &brace, const antlr::RefToken &next) const {
    static const int blockWords[] = {T::LITERAL_while, T::LITERAL_for, T::LITERAL_if, T::LITERAL_else,
                                     T::LITERAL_switch, T::LITERAL_do, T::LITERAL_try, T::LITERAL_class};
    if (!endsItsLine(brace, next) || (atLineStart_ && previous_ != T::EOL))
        return false;
    return branchLine_ || std::find(std::begin(blockWords), std::end(blockWords), lineStart_) != std::end(blockWords);
}

// `int add(int a, int b) {`: a line that starts with a type and whose `{`
// follows the parameters' `)`. A line that starts with `function` is told
// as a whole.
bool LexicalErrorFilter::opensFunctionByBrace(const antlr::RefToken &brace, const antlr::RefToken &next) const {
    static const int types[] = {T::LITERAL_void, T::LITERAL_bool, T::LITERAL_byte, T::LITERAL_number,
                                T::LITERAL_int, T::LITERAL_real, T::LITERAL_integer, T::LITERAL_natural,
                                T::LITERAL_var, T::LITERAL_array, T::LITERAL_dict, T::LITERAL_file,
                                T::LITERAL_text, T::LITERAL_cstring, T::LITERAL_char, T::LITERAL_object,
                                // `static int count() {`: a modifier before the type
                                T::LITERAL_static, T::LITERAL_private, T::LITERAL_protected, T::LITERAL_inline};
    int beforeBrace = atLineStart_ && previous_ == T::EOL ? lastOfLine_ : previous_;
    if (beforeBrace != T::RIGHTPAR || !endsItsLine(brace, next))
        return false;
    return std::find(std::begin(types), std::end(types), lineStart_) != std::end(types);
}

antlr::RefToken LexicalErrorFilter::readToken() {
    for (;;) {
        try {
            return lexer_.nextToken();
        } catch (const antlr::TokenStreamRecognitionException &error) {
            int line = error.getLine();
            const TokenPositions *positions = translation().positions;
            const std::string text = positions ? positions->line(line) : std::string();
            int column = error.getColumn() > 0 ? byteColumn(text, error.getColumn()) : 0;
            antlr::RefToken foreign = foreignFunctionName(text, column, error.getColumn(), line);
            if (foreign)
                return foreign;
            LexicalMessage described = describeLexicalError(text, column, error.getMessage());
            int at = described.column > 0 ? described.column : column;
            // A lone `!` on a line whose message wrote the whole line with `not` is no news.
            bool told = blockStartAbsorbed(line) && described.hint.compare(0, 11, "write `not ") == 0;
            // `let v = vec![1, 2]`: the line's first habit had its message,
            // which now tells the array too.
            if (!told && described.hint.compare(0, 17, "an array is writt") == 0)
                told = addToLinesMessage(text, line, described.hint);
            if (!told)
                reportSyntax(line, at, std::max(at, described.endColumn), described.message, described.hint);
            phpTold_ = phpTold_ || described.message.compare(0, 3, "`<?") == 0;
            skipRestOfLine();
            // `if i % 2 == 0 {`: the `{` skipped with the line still opened
            // its block, whose `}` closes it.
            std::string::size_type last = text.find_last_not_of(" \t\r");
            if (last != std::string::npos && text[last] == '{' && static_cast<int>(last) + 1 > column)
                translation().braceLines.push_back(line);
            std::string::size_type quote = column > 0 ? openQuote(text, static_cast<std::string::size_type>(column - 1))
                                                      : std::string::npos;
            if (quote != std::string::npos && text[quote] == '"')
                return textClosedAtLineEnd(text, quote, line);
        }
    }
}

// A text not closed on its line is read as closed at its end, so that the
// statement around it is checked as written.
antlr::RefToken LexicalErrorFilter::textClosedAtLineEnd(const std::string &line, std::string::size_type quote,
                                                         int number) {
    std::string::size_type end = line.find_last_not_of("\r\n");
    std::string text = line.substr(quote, end == std::string::npos || end < quote ? 1 : end + 1 - quote) + "\"";
    antlr::RefToken token(new antlr::CommonToken(T::STRING_LITERAL, text));
    token->setLine(number);
    token->setColumn(static_cast<int>(quote) + 1);
    return token;
}

// `def __init__(self, x):` of Python, `func f(_ a: Int)` of Swift: the
// name with its `_` is read as a name, so that the line is told as the function of another language it
// is, with its lines, and not as a character velc cannot read.
antlr::RefToken LexicalErrorFilter::foreignFunctionName(const std::string &text, int column, int scannerColumn,
                                                        int line) {
    std::string::size_type at = column > 0 ? static_cast<std::string::size_type>(column - 1) : text.size();
    std::string::size_type first = text.find_first_not_of(" \t");
    if (at >= text.size() || text[at] != '_' || first == std::string::npos || first >= at)
        return antlr::RefToken();
    std::string::size_type wordEnd = first;
    while (wordEnd < at && std::isalpha(static_cast<unsigned char>(text[wordEnd])))
        wordEnd++;
    // Its name (`def __init__`) or a name of its parameters (`func f(_ a: Int)`).
    if (wordEnd == first || !isForeignFunctionWord(text.substr(first, wordEnd - first)))
        return antlr::RefToken();
    std::string name;
    for (int c = lexer_.LA(1); c == '_' || std::isalnum(c); c = lexer_.LA(1)) {
        name += static_cast<char>(c);
        lexer_.consume();
    }
    if (name.empty())
        return antlr::RefToken();
    antlr::RefToken token(new antlr::CommonToken(T::IDENT, name));
    token->setLine(line);
    token->setColumn(scannerColumn);
    return token;
}

void LexicalErrorFilter::skipRestOfLine() {
    for (int c = lexer_.LA(1); c != '\n' && c != '\r' && c != antlr::CharScanner::EOF_CHAR; c = lexer_.LA(1))
        lexer_.consume();
}
