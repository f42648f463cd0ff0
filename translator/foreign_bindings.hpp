#pragma once
// Lines of other languages that give a variable its value while they test
// or read it: Swift's `if let x = f()` and C's `scanf("%d", &x)`. Each is
// told once with what to write, and read as that, so that the variable is
// declared or given its value and its later uses say nothing more.
#include "translator/token_queue.hpp"

// Reads such a line when it is next in `tokens`; whether it was one.
bool readForeignBinding(TokenQueue &tokens);
