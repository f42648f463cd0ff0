#pragma once
// Words of other languages where a declaration begins (`let x = 1`,
// `string s = "a"`, `boolean b = true`, `double d = 1.5`): reported once
// with the word this language writes, which is read in their place, so
// that the variable is declared and its uses say nothing more.
#include <antlr/Token.hpp>

// The word to read in place of `word` (reported), or null when `word`
// followed by `second` and `third` is no such declaration.
antlr::RefToken declarationWordInPlaceOf(const antlr::RefToken &word, const antlr::RefToken &second,
                                         const antlr::RefToken &third);

