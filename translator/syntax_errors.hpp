#pragma once
// Syntax errors in the language's words, placed at the token they concern:
// the generated parser's token names become what the user writes ("/for",
// ")", "the end of the file").
#include <antlr/RecognitionException.hpp>
#include <antlr/Token.hpp>
#include <functional>
#include <string>
#include <vector>

#include "translator/token_words.hpp"


// A recognition error of the parser, reported unless its line already has
// a syntax error (the faults that follow from the first are not news).
void reportRecognitionError(const antlr::RecognitionException &error, const TokenNamer &names);

// A line begun as another language begins a block (`if (x == 1) {`) whose
// message says how to write the whole line: the `{`, `then` or `do` at its
// end says nothing more (its message, if it came first, is taken back).
void absorbBlockStart(int line);
bool blockStartAbsorbed(int line);
// Whether the line's `{`, `then` or `do` has a message of its own.
bool blockStartTold(int line);

// The parse went on at `next` after the last syntax error of its line:
// what is found from there on is news.
void noteResumedAt(const antlr::RefToken &next);

// A syntax error at a token, unless its line already has one.
void reportSyntaxAt(const antlr::RefToken &token, const std::string &message, const std::string &hint = "");

// A block open while its rule runs: the word that opened it and the word
// that closes it. A block never closed is reported once, at its opening.
struct OpenBlock {
    int closer = 0;
    antlr::RefToken opener;
};
class BlockOpening {
public:
    BlockOpening() = default;
    ~BlockOpening();
    BlockOpening(const BlockOpening &) = delete;
    BlockOpening &operator=(const BlockOpening &) = delete;
    void open(int closer, const antlr::RefToken &opener);

private:
    std::vector<OpenBlock> *blocks_ = nullptr;
};

// An error where a block's closing word was expected and the source ended,
// or the closing word of an enclosing block came: reported at the block's
// opening. False (nothing reported) for any other error.
bool reportUnclosedBlock(const antlr::RecognitionException &error, const TokenNamer &names);

// Whether a token that ends a run of statements belongs to no open block:
// a stray `}`, `end` or `/if`. It is reported (once per line) and the
// caller skips its line.
bool isStrayToken(int type, bool inBlock);
// `/if`, `/for`...: a word that closes a block.
bool isClosingWord(int type);
void reportStrayToken(const antlr::RefToken &token, const TokenNamer &names);
// What to write instead of a token that cannot stand where it is: braces,
// a closing word of no open block, `function f(x)`.
std::string unexpectedHint(const antlr::RefToken &token, const TokenNamer &names);

// Whether a block statement failed on its first line (`headLine`) in its
// block form (no `?` of the one-line form there) and its closing word
// (`closer`) comes later: its body is then read as its own so that the
// closing word closes it. A head that nothing closes opens nothing.
bool blockHeadFailed(const antlr::RecognitionException &error, int headLine, int closer);

// The line ends inside a token that error recovery skips.
void countSkippedLines(int type, const std::string &text);

// The message a construct gave for a syntax error inside it ("bad if
// syntax."): its columns become the token's, with a hint for a first guess.
void placeConstructReport(const antlr::RecognitionException &error);
