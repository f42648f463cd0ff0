#pragma once
// First lines written as another language writes them: loops (`for i = 1
// to 3`, `for i = 1, 3 do`, `for x of a`, `for (x in a)`, `for (int i = 0;
// i < n; i++)`), `unless x = 2`, the C array `int b[3]`, declarations
// without a type (`x := 1`, `const x = 1`) and `catch (e)`. Each is
// reported once, with the line as this language writes it, and its tokens
// are replaced by that line's, so that the block under it is checked as
// the user meant it and the slip says nothing more.
#include "translator/token_queue.hpp"

// Reads such a line when it is next in `tokens`.
void readForeignHead(TokenQueue &tokens);

// `var y: Int = 5`, `let y: Int`, `val y: String = "a"` (a type after a
// `:`) and Go's `var y int = 5`, next in `tokens`: reported once and read as
// `int y = 5`. Whether it was such a line.
bool readTypeAfterName(TokenQueue &tokens);

// `let mut x = 1` at `at`: read as `let x = 1`, whose declaration word is told.
void dropMutability(TokenQueue &tokens, unsigned int at = 1);

// A `catch` without its class and name in brackets (`catch (e)`, `catch
// e`): reported once and read with them, so that the handler is checked.
void readForeignCatch(TokenQueue &tokens);
