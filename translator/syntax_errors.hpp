#pragma once
// Syntax errors in the language's words, placed at the token they concern:
// the generated parser's token names become what the user writes ("/for",
// ")", "the end of the file").
#include <antlr/RecognitionException.hpp>
#include <antlr/Token.hpp>
#include <functional>
#include <string>

// The parser's name of a token type ("SLASHFOR", "\"if\"").
using TokenNamer = std::function<std::string(int)>;

// What the user writes for a token type: "`/for`", "`)`", "the end of the line".
std::string tokenWords(int type, const TokenNamer &names);
// A token as the user wrote it: "`whle`", "the number `5`", "the end of the file".
std::string foundWords(const antlr::RefToken &token, const TokenNamer &names);

// A recognition error of the parser, reported unless its line already has
// a syntax error (the faults that follow from the first are not news).
void reportRecognitionError(const antlr::RecognitionException &error, const TokenNamer &names);

// A syntax error at a token, unless its line already has one.
void reportSyntaxAt(const antlr::RefToken &token, const std::string &message, const std::string &hint = "");
