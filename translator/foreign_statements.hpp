#pragma once
// Lines of other languages read as the statements they mean: Swift's
// `if let x = f()` and C's `scanf("%d", &x)`, which give a variable its
// value as they test or read it, Lua's `function f()` closed by `end` and
// its `repeat` ... `until`, a class of Python, and a class's base named as
// other languages name it (`class Dog extends Animal`). Each is told once with what to
// write, and read as that, so that what follows says nothing more.
#include "translator/token_queue.hpp"

// Reads such a line when it is next in `tokens`; whether it was one.
bool readForeignStatement(TokenQueue &tokens);
