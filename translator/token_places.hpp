#pragma once
// Where a token of the source in translation stands in its text: the line
// as written and byte columns from 1, for messages that quote or point into
// the line, and tokens that rewrites put in the place of others.
#include <antlr/Token.hpp>

#include <string>

// The line of the token as the source writes it (empty when the translation
// keeps no lines).
const std::string &lineOf(const antlr::RefToken &token);

// The byte column of the token's first character, and the one after its last.
int columnOf(const antlr::RefToken &token);
int afterOf(const antlr::RefToken &token);

// A token of the given type and text, standing where `place` stands.
antlr::RefToken tokenAt(int type, const std::string &text, const antlr::RefToken &place);
