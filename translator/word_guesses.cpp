#include "translator/word_guesses.hpp"

#include <antlr/CommonToken.hpp>

#include <algorithm>
#include <cctype>
#include <iterator>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/hints.hpp"
#include "translator/late_classes.hpp"
#include "semantics/classes.hpp"
#include "semantics/symbols.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"

namespace {

using T = VLTokenTypes;

struct Keyword {
    const char *text;
    int type;
};

// The keywords a slip is read as: those that begin a statement whose line
// shows whether the reading holds.
const Keyword keywords[] = {
    {"while", T::LITERAL_while}, {"for", T::LITERAL_for},     {"if", T::LITERAL_if},
    {"switch", T::LITERAL_switch}, {"print", T::LITERAL_print}, {"echo", T::LITERAL_echo},
    {"input", T::LITERAL_input}, {"return", T::LITERAL_return},
};

const Keyword closers[] = {
    {"/if", T::SLASHIF},         {"/while", T::SLASHWHILE}, {"/for", T::SLASHFOR},   {"/do", T::SLASHDO},
    {"/switch", T::SLASHSWITCH}, {"/error", T::SLASHERROR}, {"/try", T::SLASHTRY},   {"/class", T::SLASHCLASS},
    {"return", T::LITERAL_return},
};

// How other languages end a block.
const char *const endWords[] = {"end", "endif", "endwhile", "endfor", "wend", "done", "fi", "endswitch", "next"};

const char *closerText(int type) {
    for (const Keyword &closer : closers)
        if (closer.type == type)
            return closer.text;
    return nullptr;
}

const std::string &positionsLine(int line) {
    static const std::string none;
    return translation().positions ? translation().positions->line(line) : none;
}

const std::string &lineOf(const antlr::RefToken &token) { return positionsLine(token->getLine()); }

int columnOf(const antlr::RefToken &token) { return byteColumn(lineOf(token), token->getColumn()); }

int lastColumnOf(const antlr::RefToken &token) {
    return columnOf(token) + static_cast<int>(token->getText().size()) - 1;
}

bool startsItsLine(const antlr::RefToken &token) {
    const std::string &line = lineOf(token);
    std::string::size_type first = line.find_first_not_of(" \t");
    return first != std::string::npos && static_cast<int>(first) + 1 == columnOf(token);
}

bool opensABlock(int keyword) {
    return keyword == T::LITERAL_while || keyword == T::LITERAL_for || keyword == T::LITERAL_if ||
           keyword == T::LITERAL_switch;
}

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool endsAStatement(int type) {
    return type == T::EOL || type == T::SEMI || type == T::Q_COMMENT || type == antlr::Token::EOF_TYPE;
}

const OpenBlock *innermostBlock() {
    const std::vector<OpenBlock> &open = translation().openBlocks;
    return open.empty() ? nullptr : &open.back();
}

// Whether the innermost open block's first line, or a line of one of its
// branches before the line `before`, ended with a `{` that was left out:
// its `}` is the close the user meant.
bool openedByBrace(const OpenBlock &block, int before) {
    const std::vector<int> &lines = translation().braceLines;
    int opener = block.opener->getLine();
    if (std::find(lines.begin(), lines.end(), opener) != lines.end())
        return true;
    // Or its `else {`: a branch line of its indentation before the word.
    const TokenPositions *positions = translation().positions;
    if (!positions)
        return false;
    std::string::size_type indent = positions->line(opener).find_first_not_of(" \t");
    for (int line : translation().branchBraceLines)
        if (line > opener && line < before && positions->line(line).find_first_not_of(" \t") == indent)
            return true;
    return false;
}

bool isElseIf(const std::string &text) { return text == "elseif" || text == "elsif" || text == "elif"; }

// The blocks whose `elseif` was read as `else`.
bool hadElseIf(const OpenBlock &block) {
    const std::vector<antlr::RefToken> &taken = translation().elseIfBlocks;
    return std::find(taken.begin(), taken.end(), block.opener) != taken.end();
}

bool isBranchWord(const antlr::RefToken &token) {
    return token && (token->getType() == T::LITERAL_else || token->getType() == T::LITERAL_catch ||
                     (token->getType() == T::IDENT && isElseIf(token->getText())));
}

// Whether the token starts its line, or follows only the `}` that starts
// it (`} elseif x = 2 {`).
bool startsItsLineAfterABrace(const antlr::RefToken &token) {
    if (startsItsLine(token))
        return true;
    const std::string &line = lineOf(token);
    std::string::size_type first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != '}')
        return false;
    std::string::size_type next = line.find_first_not_of(" \t", first + 1);
    return next != std::string::npos && static_cast<int>(next) + 1 == columnOf(token);
}

// `/whlie` or `/foreach` for the closing word of the block: a `/` at the
// start of its line with a word close to the block's right after it.
bool isEndWord(const std::string &text) {
    return std::find(std::begin(endWords), std::end(endWords), text) != std::end(endWords);
}

bool misspeltCloser(const OpenBlock &block, const antlr::RefToken &slash, const antlr::RefToken &word) {
    const char *closer = closerText(block.closer);
    if (!word || word->getType() != T::IDENT || word->getLine() != slash->getLine() ||
        word->getColumn() != slash->getColumn() + 1 || !closer || closer[0] != '/')
        return false;
    const std::string &text = word->getText();
    std::string meant = closer + 1;
    return (meant == "for" && text == "foreach") || (meant == "if" && text == "unless") || isEndWord(text) ||
           !closestName(text, {meant}).empty();
}

// The `{` message of the block's first line learns where its `}` was.
void tellTheBraceOfItsClose(const OpenBlock &block, const antlr::RefToken &brace, const char *closer) {
    std::string hint = block.closer == T::LITERAL_return
                           ? "a function has no braces: its first line ends, and the `return` at its own level ends it"
                           : "a block has no braces: its first line ends, and `" + std::string(closer) + "` closes it";
    std::string ending = velmoraForm(lineOf(brace).substr(lineOf(brace).find('}') + 1));
    if (block.closer == T::SLASHDO && !ending.empty())
        hint = "a block has no braces: `do` ends its line, and `/do " + ending + "` closes it";
    std::string place = ", in place of the `}` of line " + std::to_string(brace->getLine());
    DiagnosticSink &sink = currentSink();
    const std::vector<Diagnostic> &all = sink.all();
    for (int line : {block.opener->getLine(), block.opener->getLine() + 1}) {
        // The line after the block's first one counts only for the `{` alone on it.
        if (line != block.opener->getLine()) {
            const TokenPositions *positions = translation().positions;
            const std::string text = positions ? positions->line(line) : std::string();
            std::string::size_type first = text.find_first_not_of(" \t");
            if (first == std::string::npos || text[first] != '{')
                continue;
        }
        for (std::size_t i : sink.onLine(line)) {
            if (all[i].kind == DiagnosticKind::syntax && all[i].message == "unexpected `{`")
                sink.rehint(i, hint + place);
            // The message that took the `{` in tells the whole line.
            else if (blockStartAbsorbed(all[i].line) && !all[i].hint.empty() &&
                     all[i].hint.find(place) == std::string::npos)
                sink.rehint(i, all[i].hint + place);
        }
    }
}

// The `end` of a block whose first line was written as another language
// writes it (`unless x > 1`, `if x = 1 then`, or an `elsif x then` of the
// block), and told so: that line's message learns where the block was
// closed, and the `end` is no news. Whether such a message was there to learn it.
bool tellTheEndOfItsClose(const OpenBlock &block, const antlr::RefToken &word, const char *closer) {
    const std::unordered_set<int> &heads = translation().foreignHeadLines;
    std::vector<int> lines{block.opener->getLine()};
    auto elseIf = translation().elseIfLines.find(block.opener->getLine());
    if (elseIf != translation().elseIfLines.end())
        lines.push_back(elseIf->second);
    int told = 0;
    for (int line : lines) {
        bool foreign = heads.count(line) != 0 ||
                       endsAsAForeignBlock(positionsLine(line));
        if (foreign && (blockStartAbsorbed(line) || blockStartTold(line))) {
            told = line;
            break;
        }
    }
    if (told == 0)
        return false;
    std::string closing = ", and close the block with `" + std::string(closer) + "`";
    std::string place = ", in place of the `" + word->getText() + "` of line " + std::to_string(word->getLine());
    bool hinted = false;
    const std::vector<Diagnostic> &all = currentSink().all();
    for (std::size_t i : currentSink().onLine(told)) {
        if (all[i].hint.empty())
            continue;
        std::string hint = all[i].hint;
        if (hint.find(closing) == std::string::npos)
            hint += closing;
        if (hint.find(place) == std::string::npos)
            hint += place;
        currentSink().rehint(i, hint);
        hinted = true;
    }
    return hinted;
}

antlr::RefToken tokenAt(int type, const std::string &text, const antlr::RefToken &place) {
    antlr::RefToken token(new antlr::CommonToken(type, text));
    token->setLine(place->getLine());
    token->setColumn(place->getColumn());
    return token;
}

}  // namespace

bool sourceDefinesFunction(const std::string &name) {
    const TokenPositions *positions = translation().positions;
    if (!positions)
        return true;
    for (int number = 1; number <= positions->lineCount(); number++) {
        const std::string &line = positions->line(number);
        for (std::string::size_type at = line.find(name); at != std::string::npos; at = line.find(name, at + 1)) {
            std::string::size_type after = line.find_first_not_of(" \t", at + name.size());
            bool wordStarts = at == 0 || !isNameCharacter(line[at - 1]);
            std::string::size_type first = line.find_first_not_of(" \t");
            if (wordStarts && after != std::string::npos && line[after] == '(' && first < at)
                return true;
        }
    }
    return false;
}

void reportWordAsWritten(const antlr::RefToken &word, int next, const std::string &guess) {
    std::string late = lateClassHint(word->getLine(), word->getText());
    const std::string &hint = late.empty() ? guess : late;
    if (next == T::IDENT)
        reportNamed(E_CLASS_NOT_DEFINED, word->getText(), hint);
    else if (next == T::LEFTPAR)
        reportNamed(E_FUNCTION_NOT_DEFINED, word->getText(), hint);
    else if (endsAStatement(next))
        reportNamed(E_NOT_DECLARED, word->getText(), hint);
    else {
        reportSyntaxAt(word, "unexpected `" + word->getText() + "`", hint);
        return;
    }
    currentSink().placeLast(columnOf(word), lastColumnOf(word));
}

int misspeltKeyword(const antlr::RefToken &word, int next) {
    bool inFunction = scopes().inFunction;
    if (!word || word->getType() != T::IDENT || !startsItsLine(word))
        return 0;
    const std::string &text = word->getText();
    // `foreach` is the loop over elements of other languages.
    std::string keyword = text == "foreach" ? "for" : closestName(text, statementKeywords());
    for (const Keyword &candidate : keywords) {
        if (keyword != candidate.text || (candidate.type == T::LITERAL_return && !inFunction))
            continue;
        if (next == T::LEFTPAR && (!opensABlock(candidate.type) || sourceDefinesFunction(text)))
            return 0;
        return isDeclaredName(text) ? 0 : candidate.type;
    }
    return 0;
}

antlr::RefToken keywordInPlaceOf(int keyword, const antlr::RefToken &word) {
    for (const Keyword &candidate : keywords)
        if (candidate.type == keyword)
            return tokenAt(keyword, candidate.text, word);
    return word;
}

void reportMisspeltKeyword(const antlr::RefToken &word, int next, int keyword) {
    std::string hint = "did you mean `" + keywordInPlaceOf(keyword, word)->getText() + "`?";
    reportWordAsWritten(word, next, hint);
}

namespace {

// `do` ... `while x < 3`, the `while` at the level of the `do` and no
// `/while` or `/do` after it: the loop's end as C writes it, not a loop.
bool whileEndsDo(const OpenBlock &block, const antlr::RefToken &word) {
    const TokenPositions *positions = translation().positions;
    if (!positions || !startsItsLine(word))
        return false;
    std::string::size_type indent = positions->line(block.opener->getLine()).find_first_not_of(" \t");
    if (positions->line(word->getLine()).find_first_not_of(" \t") != indent)
        return false;
    for (int line = word->getLine() + 1; line <= positions->lineCount(); line++) {
        const std::string &text = positions->line(line);
        std::string::size_type first = text.find_first_not_of(" \t");
        if (first != std::string::npos && (text.compare(first, 6, "/while") == 0 || text.compare(first, 3, "/do") == 0))
            return false;
    }
    return true;
}

}  // namespace

antlr::RefToken doCloserBefore(const antlr::RefToken &word) {
    std::string rest = lineOf(word).substr(static_cast<std::string::size_type>(columnOf(word) - 1));
    std::string::size_type last = rest.find_last_not_of(" \t;");
    std::string condition = velmoraForm(rest.substr(0, last == std::string::npos ? 0 : last + 1));
    reportSyntaxAt(word, "unexpected `while`", "a `do` loop is closed by `/do`: write `/do " + condition + "`");
    currentSink().placeLast(columnOf(word), lastColumnOf(word));
    return tokenAt(T::SLASHDO, "/do", word);
}

ForeignClose foreignClose(const antlr::RefToken &word, const antlr::RefToken &secondToken,
                          const antlr::RefToken &thirdToken) {
    const OpenBlock *block = innermostBlock();
    if (!word || !block || !closerText(block->closer))
        return ForeignClose::none;
    int type = word->getType();
    int second = secondToken ? secondToken->getType() : 0;
    int third = thirdToken ? thirdToken->getType() : 0;
    if (type == T::RIGHTCURLY) {
        if (!startsItsLine(word))
            return ForeignClose::none;
        // A `}` alone on its line closes the block open there, as `end` does.
        if (!openedByBrace(*block, word->getLine()))
            return block->closer != T::LITERAL_return && block->closer != T::SLASHCLASS && endsAStatement(second)
                       ? ForeignClose::closes
                       : ForeignClose::none;
        bool lineEnds = second == T::SEMI || second == T::EOL;
        if (isBranchWord(secondToken) || (lineEnds && isBranchWord(thirdToken)))
            return ForeignClose::goesOn;
        // Both the `}` and the block's own closing word: the word closes it.
        if (lineEnds && third == block->closer)
            return ForeignClose::goesOn;
        // `} while (x < 3);` ends a `do` as `/do while x < 3` does.
        if (block->closer == T::SLASHDO && (second == T::LITERAL_while || second == T::LITERAL_until))
            return ForeignClose::closes;
        return endsAStatement(second) ? ForeignClose::closes : ForeignClose::none;
    }
    if (type == T::LITERAL_while && block->closer == T::SLASHDO && !endsAStatement(second) &&
        whileEndsDo(*block, word))
        return ForeignClose::endsDo;
    if (!startsItsLineAfterABrace(word))
        return ForeignClose::none;
    if (block->closer == T::LITERAL_return)
        return ForeignClose::none;   // only a function's `}`, read where its return is looked for
    if (type == T::DIV && misspeltCloser(*block, word, secondToken))
        return ForeignClose::misspelt;
    if (type == T::LITERAL_else) {
        // A chain of braces goes on with `} else if`, as an `elseif` would.
        bool braces = openedByBrace(*block, word->getLine()) || hadElseIf(*block);
        if (elseIfAhead(word, secondToken) && block->closer == T::SLASHIF && braces)
            return hadElseIf(*block) ? ForeignClose::skipped : ForeignClose::elseIf;
        return hadElseIf(*block) ? ForeignClose::skipped : ForeignClose::none;
    }
    if (type != T::IDENT || isDeclaredName(word->getText()))
        return ForeignClose::none;
    const std::string &text = word->getText();
    if (isEndWord(text) && endsAStatement(second))
        return ForeignClose::closes;
    if (isElseIf(text) && block->closer == T::SLASHIF)
        return hadElseIf(*block) ? ForeignClose::skipped : ForeignClose::elseIf;
    return ForeignClose::none;
}

bool elseIfAhead(const antlr::RefToken &word, const antlr::RefToken &next) {
    return word && next && word->getType() == T::LITERAL_else && next->getType() == T::LITERAL_if &&
           next->getLine() == word->getLine();
}

bool braceEndsFunction(const antlr::RefToken &word) {
    const OpenBlock *block = innermostBlock();
    return word && word->getType() == T::RIGHTCURLY && block && block->closer == T::LITERAL_return &&
           openedByBrace(*block, word->getLine()) && startsItsLine(word);
}

bool methodBraceAt(const antlr::RefToken &word) {
    const OpenBlock *block = innermostBlock();
    if (!word || word->getType() != T::RIGHTCURLY || !startsItsLine(word) || translation().functionBraces == 0 ||
        !block || block->closer != T::SLASHCLASS)
        return false;
    translation().functionBraces--;
    return true;
}

antlr::RefToken closerInPlaceOf(const antlr::RefToken &word) {
    const OpenBlock &block = *innermostBlock();
    const char *closer = closerText(block.closer);
    if (word->getType() == T::RIGHTCURLY && !openedByBrace(block, word->getLine())) {
        reportSyntaxAt(word, "unexpected `}`",
                       "a block is closed by its own word: write `" + std::string(closer) + "` to close the `" +
                           block.opener->getText() + "` of line " + std::to_string(block.opener->getLine()));
    } else if (word->getType() == T::RIGHTCURLY) {
        tellTheBraceOfItsClose(block, word, closer);
        if (block.closer == T::LITERAL_return)
            translation().functionBraces--;
    } else if (!tellTheEndOfItsClose(block, word, closer)) {
        // The message a name no one declared has, told what closes the block.
        reportNamed(E_NOT_DECLARED, word->getText(),
                    "a block is closed by its own word: write `" + std::string(closer) + "` to close the `" +
                        block.opener->getText() + "` of line " + std::to_string(block.opener->getLine()));
        currentSink().placeLast(columnOf(word), lastColumnOf(word));
    }
    return tokenAt(block.closer, closer, word);
}

antlr::RefToken misspeltCloserInPlaceOf(const antlr::RefToken &slash, const antlr::RefToken &word) {
    const OpenBlock &block = *innermostBlock();
    std::string closer = closerText(block.closer);
    // The `/unless` of an `unless` read as `if not`: its message told it.
    const std::string &opener = lineOf(block.opener);
    std::string::size_type first = opener.find_first_not_of(" \t");
    if (word->getText() == "unless" && first != std::string::npos && opener.compare(first, 6, "unless") == 0 &&
        (first + 6 == opener.size() || !isNameCharacter(opener[first + 6])))
        return tokenAt(block.closer, closer, slash);
    reportSyntaxAt(slash, "unexpected `/" + word->getText() + "`",
                   "did you mean `" + closer + "`? It closes the `" + block.opener->getText() + "` of line " +
                       std::to_string(block.opener->getLine()));
    currentSink().placeLast(columnOf(slash), lastColumnOf(word));
    return tokenAt(block.closer, closer, slash);
}

antlr::RefToken elseInPlaceOf(const antlr::RefToken &word, const antlr::RefToken &next) {
    const char *hint = "write `else`, then the `if` on the next line with its own `/if`, or compare one subject in a "
                       "composite if";
    if (elseIfAhead(word, next)) {
        reportSyntaxAt(word, "unexpected `if` after `else`", hint);
        currentSink().placeLast(columnOf(word), lastColumnOf(next));
    } else {
        // Ruby's `elsif x then`: the `then` is part of this slip.
        absorbBlockStart(word->getLine());
        reportWordAsWritten(word, next ? next->getType() : 0, hint);
    }
    const OpenBlock &block = *innermostBlock();
    if (hadElseIf(block))
        return antlr::RefToken();
    translation().elseIfBlocks.push_back(block.opener);
    translation().elseIfLines[block.opener->getLine()] = word->getLine();
    return tokenAt(T::LITERAL_else, "else", word);
}

bool readingAFunction() { return scopes().inFunction; }

bool firstOnItsLine(const antlr::RefToken &token) { return token && startsItsLine(token); }

std::vector<antlr::RefToken> closeForDefinition(const antlr::RefToken &definition, const std::string &name,
                                                const TokenNamer &names) {
    const OpenBlock *block = innermostBlock();
    if (!block)
        return {};
    bool function = block->closer == T::LITERAL_return;
    int &closedInside = translation().blocksClosedBeforeDefinition;
    if (!function || closedInside == 0) {
        int line = block->opener->getLine();
        std::string closer = tokenWords(block->closer, names);
        std::string opener = function ? "function `" + block->opener->getText() + "`" : "`" + block->opener->getText() + "`";
        std::string hint = function ? "a function ends with the `return` at its own level: write it where the "
                                      "function of line " + std::to_string(line) + " ends"
                                    : "write " + closer + " where the block of line " + std::to_string(line) + " ends";
        reportSyntaxAt(block->opener, opener + " of line " + std::to_string(line) + " is not closed by " + closer +
                                          ": the definition of `" + name + "` came first",
                       hint);
        currentSink().relateLast({diagnostics.sourceName, definition->getLine(), columnOf(definition)});
    }
    closedInside = function ? 0 : closedInside + 1;
    // A closing word that a statement end follows where its rule needs one.
    std::vector<antlr::RefToken> tokens;
    if (function || block->closer == T::SLASHDO)
        tokens.push_back(tokenAt(T::SEMI, ";", definition));
    const char *text = closerText(block->closer);
    tokens.push_back(tokenAt(block->closer, text ? text : "", definition));
    return tokens;
}

antlr::RefToken classEndsBefore(const antlr::RefToken &statement, const TokenNamer &names) {
    static const int statements[] = {T::LITERAL_print, T::LITERAL_echo,   T::LITERAL_input, T::LITERAL_if,
                                     T::LITERAL_while, T::LITERAL_for,    T::LITERAL_do,    T::LITERAL_switch,
                                     T::LITERAL_try,   T::LITERAL_global, T::LITERAL_class};
    const OpenBlock *block = innermostBlock();
    if (!statement || !block || block->closer != T::SLASHCLASS || !startsItsLine(statement) ||
        std::find(std::begin(statements), std::end(statements), statement->getType()) == std::end(statements))
        return antlr::RefToken();
    int line = block->opener->getLine();
    reportSyntaxAt(block->opener, "`class` of line " + std::to_string(line) + " is not closed by `/class`: " +
                                      foundWords(statement, names) + " came first",
                   "write `/class` where the class of line " + std::to_string(line) + " ends");
    currentSink().relateLast({diagnostics.sourceName, statement->getLine(), columnOf(statement)});
    // The variables the class took for its members are the program's: a
    // use of one is no news.
    for (const Symbol *member : localScopes().classMembers.members)
        if (member)
            translation().membersOfUnclosedClasses.push_back(member->name);
    return tokenAt(T::SLASHCLASS, "/class", statement);
}
