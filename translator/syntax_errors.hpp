#pragma once
// Syntax errors in the language's words, placed at the token they concern.
#include <antlr/RecognitionException.hpp>

// A recognition error of the parser, reported unless the line already has
// a syntax error (the faults that follow from the first are not news).
void reportRecognitionError(const antlr::RecognitionException &error);
