#include "translator/syntax_errors.hpp"

#include <antlr/MismatchedTokenException.hpp>
#include <antlr/NoViableAltException.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <map>
#include <unordered_set>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/continued_lines.hpp"
#include "translator/first_guesses.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/hints.hpp"
#include "translator/line_code.hpp"
#include "translator/other_languages.hpp"
#include "translator/source_translation.hpp"
#include "translator/token_words.hpp"
#include "translator/word_guesses.hpp"

namespace {

using T = VLTokenTypes;

const std::string &lineText(int line) {
    static const std::string none;
    return translation().positions ? translation().positions->line(line) : none;
}

// `function f(x)`, `func f(x: Int) -> Int {`, Lua's `local function
// f(x)`, Java's `public static void main(String[] args) {`.
bool startsWithFunctionWord(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t");
    if (first != std::string::npos && text.compare(first, 6, "local ") == 0)
        first = text.find_first_not_of(" \t", first + 6);
    if (first == std::string::npos)
        return false;
    std::string::size_type end = first;
    while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
        end++;
    std::string word = text.substr(first, end - first);
    bool head = text.find('(', end) != std::string::npos && end < text.size() && (text[end] == ' ' || text[end] == '\t');
    return word == "function" || (head && (isForeignFunctionWord(word) || word == "public" || word == "protected"));
}

// The `{`, `then` or `do` that ends a block's first line, as other
// languages begin a block.
bool isBlockStartMessage(const Diagnostic &diagnostic) {
    return diagnostic.kind == DiagnosticKind::syntax &&
           (diagnostic.message == "unexpected `{`" || diagnostic.message == "unexpected `then`" ||
            diagnostic.message == "unexpected `do`");
}

bool isLoneBangMessage(const Diagnostic &diagnostic) {
    return diagnostic.kind == DiagnosticKind::syntax && diagnostic.message == "`!` alone is not an operator" &&
           diagnostic.hint.compare(0, 11, "write `not ") == 0;
}

// The lines that have had their syntax error (or only a block start that
// a message of the whole line may take in).
bool lineAlreadyFailed(int line, bool besidesBlockStart = false) {
    const DiagnosticSink &sink = currentSink();
    for (std::size_t place : sink.onLine(line)) {
        const Diagnostic &diagnostic = sink.all()[place];
        if ((diagnostic.kind == DiagnosticKind::syntax || diagnostic.kind == DiagnosticKind::numbered) &&
            !(besidesBlockStart && isBlockStartMessage(diagnostic)))
            return true;
    }
    return false;
}

}  // namespace

void absorbBlockStart(int line) {
    translation().absorbedBlockStarts.insert(line);
    // The line as velc writes it has `not` for a lone `!` too; the last
    // first, so that the places still to look at stay where they are.
    DiagnosticSink &sink = currentSink();
    std::vector<std::size_t> places = sink.onLine(line);
    for (auto place = places.rbegin(); place != places.rend(); ++place)
        if (isBlockStartMessage(sink.all()[*place]) || isLoneBangMessage(sink.all()[*place]))
            sink.withdraw(*place);
}

bool blockStartAbsorbed(int line) {
    return translation().absorbedBlockStarts.count(line) != 0;
}

bool blockStartTold(int line) {
    const DiagnosticSink &sink = currentSink();
    for (std::size_t place : sink.onLine(line))
        if (isBlockStartMessage(sink.all()[place]))
            return true;
    return false;
}

void noteResumedAt(const antlr::RefToken &next) {
    int type = next ? next->getType() : antlr::Token::EOF_TYPE;
    if (type == T::EOL || type == T::Q_COMMENT || type == antlr::Token::EOF_TYPE)
        return;
    int line = next->getLine();
    DiagnosticSink &sink = currentSink();
    const std::vector<std::size_t> &places = sink.onLine(line);
    for (auto place = places.rbegin(); place != places.rend(); ++place) {
        if (cutsItsLineShort(sink.all()[*place])) {
            sink.resume(*place, {diagnostics.sourceName, line, byteColumn(lineText(line), next->getColumn())});
            return;
        }
    }
}

void reportSyntaxAt(const antlr::RefToken &token, const std::string &message, const std::string &hint) {
    int line = token->getLine();
    if (lineAlreadyFailed(line))
        return;
    // The end of the file after a last line that failed is that fault's.
    if (token->getType() == antlr::Token::EOF_TYPE && line > 1 && lineAlreadyFailed(lineBefore(line)))
        return;
    const std::string &text = lineText(line);
    int column = token->getColumn() > 0 ? byteColumn(text, token->getColumn()) : 0;
    int length = static_cast<int>(token->getText().size());
    bool onOneLine = token->getText().find('\n') == std::string::npos;
    int end = column > 0 && length > 0 && onOneLine ? column + length - 1 : column;
    reportSyntax(line, column, end, message, hint);
}

namespace {

std::string trimmed(const std::string &text) {
    std::string::size_type first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// The token a recognition error stopped at, when it names one.
antlr::RefToken tokenOf(const antlr::RecognitionException &error) {
    if (auto mismatch = dynamic_cast<const antlr::MismatchedTokenException *>(&error))
        return mismatch->token;
    if (auto noViable = dynamic_cast<const antlr::NoViableAltException *>(&error))
        return noViable->token;
    return antlr::RefToken();
}

// The byte (from 0) of the last `(` of a line that no `)` closes, outside
// texts; npos when every one is closed.
std::string::size_type unclosedParenthesis(const std::string &line) {
    std::vector<std::string::size_type> open;
    walkLineCode(line, [&](std::string::size_type at, char c) {
        if (c == '(')
            open.push_back(at);
        else if (c == ')' && !open.empty())
            open.pop_back();
        return true;
    });
    return open.empty() ? std::string::npos : open.back();
}

// `print(x, end="")`, `print("a", "b")`: the values of a print stand
// without brackets.
std::string printCallHint(const std::string &line) {
    std::string code = trimmed(line);
    if (code.compare(0, 6, "print(") != 0 && code.compare(0, 7, "print (") != 0)
        return "";
    if (code.find("end=") != std::string::npos || code.find("end =") != std::string::npos)
        return "`echo` writes values without a line end: echo x";
    return "`print` writes its values without brackets, separated by `,`: print \"x = \", x";
}

std::string unclosedParenthesisHint(int line) {
    std::string::size_type open = unclosedParenthesis(lineText(line));
    if (open == std::string::npos)
        return "";
    return "the `(` of column " + std::to_string(open + 1) + " is not closed: write `)` where what it holds ends";
}

void reportGuess(const Guess &guess) {
    if (guess.absorbsBlockStart)
        absorbBlockStart(guess.line);
    reportSyntax(guess.line, guess.column, guess.end, guess.message, guess.hint);
}

bool reportFirstGuess(const antlr::RecognitionException &error) {
    antlr::RefToken token = tokenOf(error);
    Guess guess;
    if (!token || lineAlreadyFailed(token->getLine(), true) || !guessAt(token, guess))
        return false;
    reportGuess(guess);
    return true;
}

std::string unexpected(const antlr::RefToken &token, const TokenNamer &names) {
    std::string found = foundWords(token, names);
    if (found.compare(0, 4, "the ") == 0 && found.compare(0, 8, "the end ") == 0)
        found = found.substr(4);
    return "unexpected " + found;
}

}  // namespace

namespace {

// `print `x = ${x}``: no statement goes on with a template, so the parse
// fails at `print`; the fault is the template after it.
bool reportTemplateAfterWord(const antlr::RefToken &token) {
    if (token->getType() != T::LITERAL_print && token->getType() != T::LITERAL_echo)
        return false;
    const std::string &text = lineText(token->getLine());
    int column = byteColumn(text, token->getColumn());
    if (column < 1 || lineAlreadyFailed(token->getLine()))
        return false;
    std::string::size_type at =
        text.find_first_not_of(" \t", static_cast<std::string::size_type>(column - 1) + token->getText().size());
    if (at == std::string::npos || text[at] != '`')
        return false;
    std::string::size_type close = text.find('`', at + 1);
    if (close == std::string::npos)
        return false;
    reportSyntax(token->getLine(), static_cast<int>(at) + 1, static_cast<int>(close) + 1,
                 "unexpected `" + text.substr(at + 1, close - at - 1) + "`", interpolatedTextHint(text, at));
    return true;
}

}  // namespace

void reportRecognitionError(const antlr::RecognitionException &error, const TokenNamer &names) {
    if (reportFirstGuess(error))
        return;
    if (antlr::RefToken token = tokenOf(error))
        if (reportTemplateAfterWord(token))
            return;
    if (auto mismatch = dynamic_cast<const antlr::MismatchedTokenException *>(&error)) {
        if (mismatch->token && mismatch->mismatchType == antlr::MismatchedTokenException::TOKEN) {
            if (!translation().foreignFunctions.empty() && mismatch->expecting == T::LITERAL_return &&
                mismatch->token->getType() == antlr::Token::EOF_TYPE)
                return;
            std::string hint = startsWithFunctionWord(lineText(mismatch->token->getLine())) ? foreignFunctionHint : "";
            if (hint.empty() && mismatch->expecting == T::RIGHTPAR)
                hint = unclosedParenthesisHint(mismatch->token->getLine());
            if (hint.empty())
                hint = printCallHint(lineText(mismatch->token->getLine()));
            reportSyntaxAt(mismatch->token,
                           "expected " + tokenWords(mismatch->expecting, names) + ", found " +
                               foundWords(mismatch->token, names),
                           hint);
            return;
        }
        if (mismatch->token) {
            reportSyntaxAt(mismatch->token, unexpected(mismatch->token, names), unexpectedHint(mismatch->token, names));
            return;
        }
    }
    if (auto noViable = dynamic_cast<const antlr::NoViableAltException *>(&error)) {
        if (noViable->token) {
            reportSyntaxAt(noViable->token, unexpected(noViable->token, names), unexpectedHint(noViable->token, names));
            return;
        }
    }
    int line = error.getLine();
    if (lineAlreadyFailed(line))
        return;
    int column = error.getColumn() > 0 ? byteColumn(lineText(line), error.getColumn()) : 0;
    reportSyntax(line, column, column, error.getMessage());
}

namespace {

const int closers[] = {T::SLASHIF, T::SLASHWHILE, T::SLASHFOR, T::SLASHDO, T::SLASHSWITCH, T::SLASHERROR,
                       T::SLASHTRY, T::SLASHCLASS, T::SLASHENUM, T::SLASHIMPORT, T::SLASHEXTERN};

bool isCloser(int type) { return std::find(std::begin(closers), std::end(closers), type) != std::end(closers); }

// The words that go on a block after its statements: `else`, `case`...,
// and the comparison or `in` that begins a branch of a composite if.
bool continuesABlock(int type) {
    static const int words[] = {T::LITERAL_else, T::LITERAL_case, T::LITERAL_default, T::LITERAL_always,
                                T::LITERAL_catch, T::LITERAL_let, T::LITERAL_until, T::LITERAL_in,
                                T::LESSER, T::GREATER, T::EQUAL, T::LESS_EQUAL, T::GREAT_EQUAL,
                                T::NOT_EQUAL, T::PASDIFF};
    return std::find(std::begin(words), std::end(words), type) != std::end(words);
}

std::vector<OpenBlock> &openBlocks() { return translation().openBlocks; }

// The word that opens a block closed by `closer`, as the user writes it.
std::string openerWords(const OpenBlock &block) {
    if (block.closer == T::LITERAL_return)
        return "function `" + block.opener->getText() + "`";
    return "`" + block.opener->getText() + "`";
}

// Statements that a class body cannot hold: where one comes, the class was
// not closed.
bool beginsAStatement(int type) {
    static const int words[] = {T::LITERAL_print, T::LITERAL_echo, T::LITERAL_input, T::LITERAL_if,
                                T::LITERAL_while, T::LITERAL_for, T::LITERAL_do, T::LITERAL_switch,
                                T::LITERAL_try, T::LITERAL_error, T::LITERAL_global, T::LITERAL_class};
    return std::find(std::begin(words), std::end(words), type) != std::end(words);
}

// An `else if` inside the block: the `if` after `else` opens a block of
// its own, which takes the `/if` meant for the first.
std::string elseIfHint(int from, int to) {
    const TokenPositions *positions = translation().positions;
    for (int line = from; positions && line <= to; line++) {
        const std::string &text = positions->line(line);
        std::string::size_type first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text.compare(first, 5, "else ") != 0)
            continue;
        std::string::size_type next = text.find_first_not_of(" \t", first + 5);
        if (next != std::string::npos && text.compare(next, 3, "if ") == 0)
            return "the `else if` of line " + std::to_string(line) +
                   " opens an `if` of its own, which takes this `/if`: write `else`, then the `if` on the next "
                   "line with its own `/if`, or compare one subject in a composite if";
    }
    return "";
}

// The lines that begin with `word` and have a message: a block whose first
// line failed was never opened, so its closing word is no news.
// The lines of messages found so far to start with one word, and how many
// messages of the sink they were found among: a run of stray closers asks
// again after each message, and only the new ones are read.
struct OpenerLines {
    std::uint64_t generation = 0;
    std::size_t read = 0;
    std::unordered_set<int> lines;
};

int failedOpeners(const std::string &word) {
    static std::map<std::string, OpenerLines> known;
    OpenerLines &found = known[word];
    const DiagnosticSink &sink = currentSink();
    if (found.generation != sink.generation() || found.read > sink.all().size())
        found = OpenerLines{sink.generation(), 0, {}};
    const std::vector<Diagnostic> &all = sink.all();
    for (; found.read < all.size(); found.read++) {
        const Diagnostic &diagnostic = all[found.read];
        if (diagnostic.kind == DiagnosticKind::warning || found.lines.count(diagnostic.line) != 0)
            continue;
        const std::string &text = lineText(diagnostic.line);
        std::string::size_type first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text.compare(first, word.size(), word) != 0)
            continue;
        std::string::size_type after = first + word.size();
        if (after < text.size() && (std::isalnum(static_cast<unsigned char>(text[after])) || text[after] == '_'))
            continue;
        found.lines.insert(diagnostic.line);
    }
    return static_cast<int>(found.lines.size());
}

}  // namespace

BlockOpening::~BlockOpening() {
    if (blocks_ && !blocks_->empty())
        blocks_->pop_back();
}

void BlockOpening::open(int closer, const antlr::RefToken &opener) {
    if (!opener || blocks_)
        return;
    blocks_ = &openBlocks();
    blocks_->push_back({closer, opener});
}

bool reportUnclosedBlock(const antlr::RecognitionException &error, const TokenNamer &names) {
    antlr::RefToken token = tokenOf(error);
    if (!token)
        return false;
    int found = token->getType();
    auto mismatch = dynamic_cast<const antlr::MismatchedTokenException *>(&error);
    bool expected = mismatch && mismatch->mismatchType == antlr::MismatchedTokenException::TOKEN;
    bool classEnds = expected && mismatch->expecting == T::SLASHCLASS && beginsAStatement(found);
    if (found != antlr::Token::EOF_TYPE && !isCloser(found) && !classEnds)
        return false;
    const std::vector<OpenBlock> &open = openBlocks();
    auto closes = [&](int closer) {
        return std::find_if(open.rbegin(), open.rend(), [&](const OpenBlock &b) { return b.closer == closer; });
    };
    auto block = open.rend();
    if (expected && (isCloser(mismatch->expecting) || mismatch->expecting == T::LITERAL_return))
        block = closes(mismatch->expecting);
    else if (dynamic_cast<const antlr::NoViableAltException *>(&error) && !open.empty())
        block = open.rbegin();
    // A closing word of no open block is a stray one, not the end of this block.
    if (block == open.rend() ||
        (found != antlr::Token::EOF_TYPE && !classEnds && (found == block->closer || closes(found) == open.rend())))
        return false;
    bool atEnd = found == antlr::Token::EOF_TYPE;
    // An inner block told before the same word took the function's `return`.
    bool sameStop = translation().unclosedStopLine == token->getLine() &&
                    translation().unclosedStopColumn == token->getColumn();
    if (block->closer == T::LITERAL_return) {
        // A block of the function that was not closed took its `return`;
        // a function written as another language writes it is explained.
        if ((atEnd && translation().unclosedAtEnd) || sameStop ||
            !translation().foreignFunctions.empty())
            return true;
    }
    translation().unclosedAtEnd = translation().unclosedAtEnd || atEnd;
    translation().unclosedStopLine = token->getLine();
    translation().unclosedStopColumn = token->getColumn();
    const antlr::RefToken &stop = token;
    int line = block->opener->getLine();
    std::string closer = tokenWords(block->closer, names);
    std::string hint = elseIfHint(line, stop->getLine());
    if (hint.empty() && block->closer == T::LITERAL_return)
        hint = "a function ends with the `return` at its own level: write it where the function of line " +
               std::to_string(line) + " ends";
    if (hint.empty())
        hint = "write " + closer + " where the block of line " + std::to_string(line) + " ends";
    if (lineAlreadyFailed(line))
        return true;
    reportSyntaxAt(block->opener, openerWords(*block) + " of line " + std::to_string(line) + " is not closed by " +
                                      closer + ": " + foundWords(stop, names) + " came first",
                   hint);
    SourcePosition related{diagnostics.sourceName, stop->getLine(),
                           byteColumn(lineText(stop->getLine()), stop->getColumn())};
    currentSink().relateLast(related);
    return true;
}

bool isClosingWord(int type) { return isCloser(type); }

namespace {

// Whether the word may go on the innermost open block: `else` an `if`, a
// `case` a `switch`... A block velc does not follow lets every word pass.
bool continuesInnermostBlock(int type) {
    const std::vector<OpenBlock> &open = openBlocks();
    if (open.empty())
        return true;
    int closer = open.back().closer;
    switch (type) {
    case T::LITERAL_else:
        return closer == T::SLASHIF || closer == T::SLASHDO || closer == T::SLASHSWITCH;
    case T::LITERAL_case:
    case T::LITERAL_default:
        return closer == T::SLASHSWITCH || closer == T::SLASHDO;
    case T::LITERAL_always:
    case T::LITERAL_until:
        return closer == T::SLASHDO;
    case T::LITERAL_catch:
        return closer == T::SLASHTRY;
    case T::LITERAL_let:
        return closer == T::SLASHWHILE;
    default:
        return closer == T::SLASHIF;   // a branch of a composite if
    }
}

bool closesAnOpenBlock(int type) {
    const std::vector<OpenBlock> &open = openBlocks();
    return std::any_of(open.begin(), open.end(), [&](const OpenBlock &block) { return block.closer == type; });
}

}  // namespace

namespace {

// `object Main {` ... `}`, `x match {` ... `}`: a `}` alone on its line that
// closes a line of its indentation ending in `{` which had its message.
bool closesAToldLine(const antlr::RefToken &brace) {
    const TokenPositions *positions = translation().positions;
    if (!positions)
        return false;
    const std::string &closing = positions->line(brace->getLine());
    std::string::size_type indent = closing.find_first_not_of(" \t");
    if (indent == std::string::npos || closing.find_first_not_of(" \t;", indent + 1) != std::string::npos)
        return false;
    for (int line = brace->getLine() - 1; line >= 1; line--) {
        const std::string &text = positions->line(line);
        std::string::size_type first = text.find_first_not_of(" \t");
        if (first == std::string::npos || first > indent)
            continue;
        if (first < indent)
            return false;
        std::string::size_type end = walkLineCode(text, [](std::string::size_type, char) { return true; });
        std::string::size_type last = end == 0 ? std::string::npos : text.find_last_not_of(" \t\r", end - 1);
        if (last == std::string::npos || text[last] != '{')
            return false;
        const DiagnosticSink &sink = currentSink();
        return std::any_of(sink.onLine(line).begin(), sink.onLine(line).end(),
                           [&](std::size_t place) { return sink.all()[place].counted(); });
    }
    return false;
}

}  // namespace

bool isStrayToken(int type, bool inBlock) {
    if (type == antlr::Token::EOF_TYPE || type == T::EOL)
        return false;
    if (!inBlock)
        return true;
    // A closing word of no open block, or a word that goes on a block of
    // another kind (`else` in a `for`), is stray here as at the top level.
    if (isCloser(type))
        return !closesAnOpenBlock(type);
    if (continuesABlock(type))
        return !continuesInnermostBlock(type);
    return true;
}

void reportStrayToken(const antlr::RefToken &token, const TokenNamer &names) {
    int type = token->getType();
    std::vector<std::string> &guessed = translation().guessedOpeners;
    if (isCloser(type)) {
        std::string word = token->getText().substr(1);
        auto opener = std::find(guessed.begin(), guessed.end(), word);
        if (opener != guessed.end()) {
            guessed.erase(opener);
            return;
        }
        if (failedOpeners(word) > translation().closersOfFailedOpeners[word]) {
            translation().closersOfFailedOpeners[word]++;
            return;
        }
    }
    if (type == T::RIGHTCURLY && translation().functionBraces > 0) {
        // The `}` of a function whose `{` was reported: its `return` ended it.
        translation().functionBraces--;
        return;
    }
    if (type == T::RIGHTCURLY && closesAToldLine(token))
        return;
    if (type == T::LITERAL_else)
        guessed.push_back("if");   // an `else` of no `if`: its `/if` is no news
    Guess guess;
    if (!isCloser(type) && type != T::LEFTCURLY && type != T::RIGHTCURLY && guessAt(token, guess)) {
        reportGuess(guess);
        return;
    }
    std::string hint;
    if (type == T::LEFTCURLY || type == T::RIGHTCURLY)
        hint = openBlocks().empty()
                   ? "a block has no braces: its first line ends, and its own word closes it (`/if`, `/while`...)"
                   : "a block has no braces: close this one with " + tokenWords(openBlocks().back().closer, names);
    else
        hint = unexpectedHint(token, names);
    reportSyntaxAt(token, unexpected(token, names), hint);
}

namespace {

// Whether a line begins with `word` (a keyword, or a closing word with its
// slash), as a whole word.
bool beginsWith(const std::string &line, const std::string &word) {
    std::string::size_type first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line.compare(first, word.size(), word) != 0)
        return false;
    std::string::size_type after = first + word.size();
    return after == line.size() || !isNameCharacter(line[after]);
}

// Whether a line has the `?` of a one-line form, outside texts and comments.
bool hasOneLineMark(const std::string &text) {
    bool found = false;
    walkLineCode(text, [&](std::string::size_type, char c) {
        found = c == '?';
        return !found;
    });
    return found;
}

// Whether the closing word of a block opened by `word` on `headLine` comes
// later, the blocks of the same word between counted in.
bool closedLater(int headLine, const std::string &word) {
    const TokenPositions *positions = translation().positions;
    if (!positions)
        return false;
    int open = 1;
    for (int line = headLine + 1; line <= positions->lineCount(); line++) {
        const std::string &text = positions->line(line);
        if (beginsWith(text, "/" + word))
            open--;
        else if (beginsWith(text, word) && !hasOneLineMark(text))
            open++;
        if (open == 0)
            return true;
    }
    return false;
}

}  // namespace

bool blockHeadFailed(const antlr::RecognitionException &error, int headLine, int closer) {
    antlr::RefToken token = tokenOf(error);
    int line = token ? token->getLine() : error.getLine();
    if (headLine <= 0 || line != headLine || (token && token->getType() == antlr::Token::EOF_TYPE))
        return false;
    std::string word = closer == T::SLASHIF ? "if" : closer == T::SLASHWHILE ? "while" : "for";
    return !hasOneLineMark(lineText(headLine)) && closedLater(headLine, word);
}

void countSkippedLines(int type, const std::string &text) {
    if (type == T::EOL || type == T::Q_COMMENT)
        countLineEnd();
    else if (type == T::TEMPLATE || type == T::NATIVE)
        countLinesIn(text);
}

namespace {

// A value that stands right after another on its line, where a `,` would
// separate them (`max(1 2)`).
bool followsAValue(const antlr::RefToken &token) {
    int type = token->getType();
    if (type != T::IDENT && type != T::INTEGER && type != T::REAL_LITERAL && type != T::STRING_LITERAL)
        return false;
    const std::string &text = lineText(token->getLine());
    int column = byteColumn(text, token->getColumn());
    std::string before = text.substr(0, static_cast<std::string::size_type>(column > 0 ? column - 1 : 0));
    std::string::size_type last = before.find_last_not_of(" \t");
    if (last == std::string::npos || last + 1 == before.size())
        return false;
    char c = before[last];
    return isNameCharacter(c) || c == ')' || c == ']' || c == '"';
}

// `int[] b = new int[3]` makes an array as Java does; any other `new`, an object.
std::string newArrayHint(const std::string &text, int column) {
    std::string::size_type after = text.find_first_not_of(" \t", static_cast<std::string::size_type>(column + 2));
    std::string::size_type bracket = after == std::string::npos ? after : text.find('[', after);
    std::string::size_type sign = text.rfind('=', static_cast<std::string::size_type>(column > 0 ? column - 1 : 0));
    bool typeThenBracket = bracket != std::string::npos && text.find_first_of(" \t(", after) > bracket;
    if (!typeThenBracket || sign == std::string::npos)
        return "an object is made by calling its class: Point p = Point()";
    return "a typed array starts empty and grows as needed, without a size: write `" + trimmed(text.substr(0, sign)) +
           "`";
}

}  // namespace

std::string unexpectedHint(const antlr::RefToken &token, const TokenNamer &names) {
    int type = token->getType();
    if (type == T::LEFTCURLY || type == T::RIGHTCURLY)
        return openBlocks().empty()
                   ? "a block has no braces: its first line ends, and its own word closes it (`/if`, `/while`...)"
                   : "a block has no braces: its first line ends, and " +
                         tokenWords(openBlocks().back().closer, names) + " closes it";
    if (isCloser(type))
        return "no open block is closed by " + tokenWords(type, names);
    // A line that ends right after an opening bracket: what it holds is missing.
    if (type == T::EOL) {
        const std::string &line = lineText(token->getLine());
        std::string::size_type last = line.find_last_not_of(" \t");
        if (last != std::string::npos && (line[last] == '(' || line[last] == '['))
            return "the `" + std::string(1, line[last]) + "` of column " + std::to_string(last + 1) +
                   " is not closed: write what it holds, then `" + (line[last] == '(' ? ")" : "]") + "`";
    }
    if ((type == T::LITERAL_break || type == T::LITERAL_continue) && firstOnItsLine(token))
        return "`" + token->getText() + "` stands inside a loop: a `while`, a `for` or a `do`";
    // `char *s = "a"` of C: a text.
    if (type == T::LITERAL_char && firstOnItsLine(token)) {
        const std::string &line = lineText(token->getLine());
        std::string::size_type after =
            static_cast<std::string::size_type>(byteColumn(line, token->getColumn()) - 1) + token->getText().size();
        std::string::size_type star = line.find('*', after);
        std::string::size_type name = star == std::string::npos ? star : line.find_first_not_of(" \t", star + 1);
        if (name != std::string::npos && trimmed(line.substr(after, star - after)).empty())
            return "a text is declared `text`: write `text " + velmoraForm(trimmed(line.substr(name))) + "`";
    }
    if (continuesABlock(type) && firstOnItsLine(token) && !openBlocks().empty() && !continuesInnermostBlock(type)) {
        const OpenBlock &open = openBlocks().back();
        const char *owner = type == T::LITERAL_else                                   ? "an `if`"
                            : type == T::LITERAL_case || type == T::LITERAL_default ? "a `switch`"
                            : type == T::LITERAL_catch                              ? "a `try`"
                            : type == T::LITERAL_let                                ? "a `while`"
                            : type == T::LITERAL_always || type == T::LITERAL_until ? "a `do`"
                                                                                    : "a composite if";
        return "`" + token->getText() + "` goes on " + owner + ", not on the " + openerWords(open) + " of line " +
               std::to_string(open.opener->getLine());
    }
    if (continuesABlock(type) && firstOnItsLine(token))
        return "`" + token->getText() + "` belongs inside a block that it continues";
    if (token->getText() == "new")
        return newArrayHint(lineText(token->getLine()), byteColumn(lineText(token->getLine()), token->getColumn()));
    if (type == T::DOTDOT)
        return "texts are joined with `+`: \"a\" + b; `..` stands only in a range: 1..3";
    // `"a" . "b"` of PHP and Perl.
    if (type == T::DOT && lineText(token->getLine()).find('"') != std::string::npos)
        return "texts are joined with `+`: \"a\" + b";
    const std::string &text = lineText(token->getLine());
    std::string code = trimmed(text);
    if (!token->getText().empty() && token->getText()[0] == '`') {
        std::string hint = interpolatedTextHint(text, static_cast<std::string::size_type>(
                                                          byteColumn(text, token->getColumn()) - 1));
        if (!hint.empty())
            return hint;
    }
    if (type == T::IDENT && (token->getText() == "f" || token->getText() == "F")) {
        std::string hint = filledTextHint(text, static_cast<std::string::size_type>(
                                                    byteColumn(text, token->getColumn()) - 1));
        if (!hint.empty())
            return hint;
    }
    if (type == T::IDENT && (token->getText() == "puts" || token->getText() == "printf") && firstOnItsLine(token))
        return "`print` writes values and a line end: print x";
    // `for x < 3`: a loop on a condition, as Go writes it.
    bool comparison = type == T::LESSER || type == T::GREATER || type == T::EQUAL || type == T::LESS_EQUAL ||
                      type == T::GREAT_EQUAL || type == T::NOT_EQUAL || type == T::PASDIFF;
    if (code.compare(0, 4, "for ") == 0 && type == T::IDENT && token->getText() != "in" &&
        editDistance(token->getText(), "in", 2) == 1)
        return "did you mean `in`?";
    if (code.compare(0, 4, "for ") == 0 && comparison && code.find(" in ") == std::string::npos &&
        code.find(';') == std::string::npos)
        return "a loop on a condition is a `while`: write `while " + trimmed(code.substr(4)) + "`";
    if (code.compare(0, 5, "for (") == 0 || code.compare(0, 4, "for(") == 0)
        return "a loop over numbers names its range: for i in 0..2 (both ends counted) or for i in 0--3 (the end left out)";
    // `public class P`, `public int get()` of Java and C#: what is declared
    // is public unless it says otherwise.
    if (token->getText() == "public" && firstOnItsLine(token) && code.find('{') == std::string::npos &&
        code.find('[') == std::string::npos)
        return "a class, a function and a member are public unless marked `private` or `protected`: write `" +
               trimmed(code.substr(6)) + "`";
    // Perl's `my @list = (1, 2)`, `my %ages`.
    if (token->getText() == "my" && firstOnItsLine(token))
        return "a variable is declared with its type and a name without a sign: int n = 1, int[] a = [1, 2], "
               "dict d = {\"k\": 1}";
    if (startsWithFunctionWord(text))
        return foreignFunctionHint;
    // `/function`, `/def`: a function ends with its `return`.
    if (type == T::DIV && firstOnItsLine(token) && (code.compare(0, 9, "/function") == 0 || code == "/def"))
        return "a function ends with its `return`: leave out `" + code + "`";
    // `input("Name? ", name)`: the prompt and the variable without brackets.
    if (type == T::LEFTPAR && code.compare(0, 5, "input") == 0 && code.back() == ')' &&
        trimmed(code.substr(5)).compare(0, 1, "(") == 0) {
        std::string inside = trimmed(code.substr(5));
        return "`input` takes its prompt and its variable without brackets: write `input " +
               inside.substr(1, inside.size() - 2) + "`";
    }
    // `greet "Bo"`: a call of the program's function without its brackets.
    if (type == T::IDENT && firstOnItsLine(token) && sourceDefinesFunction(token->getText()) &&
        trimmed(text).size() > token->getText().size()) {
        std::string rest = trimmed(trimmed(text).substr(token->getText().size()));
        if (!rest.empty() && rest[0] != '(' && rest[0] != '=' && rest[0] != '.' && rest[0] != '[')
            return "a function is called with its arguments in brackets: write `" + token->getText() + "(" + rest + ")`";
    }
    // `x = x + 1 print x`: two statements on one line.
    bool oneLineForm = beginsWith(code, "if") || beginsWith(code, "else") || code.find('?') != std::string::npos;
    if ((type == T::LITERAL_print || type == T::LITERAL_echo) && !firstOnItsLine(token) && !oneLineForm)
        return "a statement stands on a line of its own: put `" + token->getText() + "` on the next line";
    // `print "x = " x`: two values with nothing between them.
    std::string::size_type mark = static_cast<std::string::size_type>(byteColumn(text, token->getColumn()) - 1);
    std::string::size_type keywordEnd = text.find_first_not_of(" \t") + (beginsWith(code, "print") ? 5 : 4);
    if ((beginsWith(code, "print") || beginsWith(code, "echo")) && followsAValue(token) &&
        text.find_first_not_of(" \t", keywordEnd) < mark)
        return "the values of a `print` are separated by `,`: write one before `" + token->getText() + "`";
    return otherLanguageTokenHint(token, text);
}


void placeConstructReport(const antlr::RecognitionException &error) {
    antlr::RefToken token = tokenOf(error);
    if (!token || currentSink().all().empty() || currentSink().all().back().line != token->getLine())
        return;
    Guess guess;
    if (guessAt(token, guess)) {
        currentSink().placeLast(guess.column, guess.end);
        currentSink().hintLast(guess.hint);
        if (guess.absorbsBlockStart)
            absorbBlockStart(guess.line);
        return;
    }
    // A `(` left open: on the line of the message, or on the line before,
    // whose line end the call's arguments took.
    for (int line : {token->getLine(), lineBefore(token->getLine())}) {
        std::string::size_type open = unclosedParenthesis(lineText(line));
        if (line < 1 || open == std::string::npos)
            continue;
        // At the end of the file no line follows to name: the message
        // goes to the bracket's own.
        bool atEnd = token->getType() == antlr::Token::EOF_TYPE;
        if (line == token->getLine())
            currentSink().placeLast(static_cast<int>(open) + 1, static_cast<int>(open) + 1);
        else if (atEnd)
            currentSink().moveLast(line, static_cast<int>(open) + 1, static_cast<int>(open) + 1);
        std::string place = line == token->getLine() || atEnd ? "" : " of line " + std::to_string(line);
        currentSink().hintLast("the `(` of column " + std::to_string(open + 1) + place +
                               " is not closed: write `)` where what it holds ends");
        return;
    }
    int column = byteColumn(lineText(token->getLine()), token->getColumn());
    int length = static_cast<int>(token->getText().size());
    if (token->getType() != T::EOL && token->getType() != antlr::Token::EOF_TYPE && length > 0)
        currentSink().placeLast(column, column + length - 1);
    if (currentSink().all().back().message == "bad call syntax." && followsAValue(token))
        currentSink().hintLast("the arguments of a call are separated by `,`: write one before `" +
                               token->getText() + "`");
}
