#pragma once
// Words of other languages where a declaration begins (`let x = 1`,
// `string s = "a"`, `boolean b = true`, `double d = 1.5`): reported once
// with the word this language writes, which is read in their place, so
// that the variable is declared and its uses say nothing more.
#include <antlr/Token.hpp>

#include "translator/token_queue.hpp"

// The word to read in place of `word` (reported), or null when `word`
// followed by `second` and `third` is no such declaration.
antlr::RefToken declarationWordInPlaceOf(const antlr::RefToken &word, const antlr::RefToken &second,
                                         const antlr::RefToken &third);

// A loop of another language (`for i = 1 to 3`, `for i = 1, 3`, `for x of
// a`) next in `tokens`: reported once, and its words replaced by those
// this language writes (`in`, `..`).
void readForeignLoop(TokenQueue &tokens);
