#pragma once
// Words that stand where a statement begins or a block ends and mean
// something the language writes otherwise: a misspelt keyword ("whle",
// "pritn", "fro"), a block closed by `end` or by `}`, an `elseif`. Each is
// reported once, and the parse goes on as if the word meant had been
// written, so that the rest of the file is checked as the user meant it
// and the slip says nothing more.
#include <antlr/Token.hpp>
#include <string>
#include <vector>

#include "translator/syntax_errors.hpp"

// The keyword (its token type) that the first word of a statement is a
// slip for, or 0; `next` is the type of the token after it. `return` is
// one only inside a function. A word before `(` may call a function
// defined further on: it is a slip only for a block word (`whle (x > 0)`)
// and only when the source defines no function of its name.
int misspeltKeyword(const antlr::RefToken &word, int next);
// The keyword's token, standing where the slip was written.
antlr::RefToken keywordInPlaceOf(int keyword, const antlr::RefToken &word);
// Whether a line of the source defines a function `name`: the name stands
// before a `(` after the words of a type (`int whle(int n)`).
bool sourceDefinesFunction(const std::string &name);
// The message a word read in place of another would have had read as
// written: a declaration of an unknown class, a call of an unknown
// function, an undeclared name, or a word that cannot begin a statement.
void reportWordAsWritten(const antlr::RefToken &word, int next, const std::string &hint);
// The message for a slip taken as `keyword`; `next` is the token type after it.
void reportMisspeltKeyword(const antlr::RefToken &word, int next, int keyword);

// What a word of another language at the end of a block's statements does.
enum class ForeignClose {
    none,     // not such a word
    closes,   // `end`, `}`: closes the innermost open block
    goesOn,   // `}` before `else`: left out, the block goes on
    elseIf,   // `elseif x = 2`, or `else if x = 2` in a block with braces:
              // read as `else`, its condition left out
    skipped,  // a further `elseif`, or the `else` after one: its line goes
              // on the branch before
    misspelt, // `/whlie`, `/foreach`: the closing word of the innermost block
    endsDo,   // `while x < 3` at the level of its `do` (C's do ... while):
              // read as `/do while x < 3`
};
// `second` and `third` are the tokens after `word`.
ForeignClose foreignClose(const antlr::RefToken &word, const antlr::RefToken &second, const antlr::RefToken &third);
// The `/do` read before the `while` that ends a `do` as C ends it, told.
antlr::RefToken doCloserBefore(const antlr::RefToken &word);
// Whether `word` and `next` are an `else if` on one line.
bool elseIfAhead(const antlr::RefToken &word, const antlr::RefToken &next);
// A function's `}` where its `return` is looked for (its `{` was reported).
bool braceEndsFunction(const antlr::RefToken &word);
// The `}` of a method whose `{` was reported and whose `return` ended it,
// where the class's next member goes: counted as come.
bool methodBraceAt(const antlr::RefToken &word);
// Reports the word where it is news, and gives the closing word of the
// innermost open block to read in its place.
antlr::RefToken closerInPlaceOf(const antlr::RefToken &word);
// Reports a misspelt closing word (its `/` and its word) and gives the
// innermost block's closing word to read in their place.
antlr::RefToken misspeltCloserInPlaceOf(const antlr::RefToken &slash, const antlr::RefToken &word);
// Reports an `elseif` (or an `else if` of a block with braces): the first
// of a block gives the `else` to read in its place; a further one, nothing
// (null).
antlr::RefToken elseInPlaceOf(const antlr::RefToken &word, const antlr::RefToken &next);

// Whether the statements read now are a function's.
bool readingAFunction();
// Whether nothing but blanks stands before the token on its line.
bool firstOnItsLine(const antlr::RefToken &token);
// A definition of the function `name` at `definition` where a function's
// statements go on: the innermost open block of that function, or the
// function itself when none, is reported not closed (the function only
// when no block of it was), and the tokens that close it are given, the
// last to read first.
std::vector<antlr::RefToken> closeForDefinition(const antlr::RefToken &definition, const std::string &name,
                                                const TokenNamer &names);
// A statement that no class body holds, where a class's members go: the
// class is reported not closed, and its `/class` given (null otherwise).
antlr::RefToken classEndsBefore(const antlr::RefToken &statement, const TokenNamer &names);
