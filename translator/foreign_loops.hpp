#pragma once
// Loop heads written as another language writes them (`for i = 1 to 3`,
// `for i = 1, 3 do`, `for x of a`, `for (int i = 0; i < n; i++)`, Go's and
// Swift's loops, Ruby's `items.each do |v|`): each told once and read as
// the `for` it means, so that its body is checked.
#include "translator/token_queue.hpp"

// A line that begins with `for`.
void readLoop(TokenQueue &tokens);

// A line whose value calls `each do |v|` (a name or a bracketed array).
void readEach(TokenQueue &tokens);
