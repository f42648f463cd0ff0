#pragma once
// The brackets of a function's first line, one too many or one too few:
// `int f((int n)`, `int f(int n))`, `int f(int n`. Read with them mended,
// the line is told once and the function keeps its parameters, so that its
// body and its calls are checked as the user meant them.
#include "translator/token_queue.hpp"

// Mends such a line when it is next in `tokens`.
void mendHeadBrackets(TokenQueue &tokens);
