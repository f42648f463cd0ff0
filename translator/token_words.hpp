#pragma once
// Tokens named as the user writes them: the generated parser's token names
// ("SLASHFOR", "RIGHTPAR") become "`/for`", "`)`", "the end of the file".
#include <antlr/Token.hpp>
#include <functional>
#include <string>

// The parser's name of a token type ("SLASHFOR", "\"if\"").
using TokenNamer = std::function<std::string(int)>;

// What the user writes for a token type: "`/for`", "`)`", "the end of the line".
std::string tokenWords(int type, const TokenNamer &names);
// A token as the user wrote it: "`whle`", "the number `5`", "the end of the file".
std::string foundWords(const antlr::RefToken &token, const TokenNamer &names);
