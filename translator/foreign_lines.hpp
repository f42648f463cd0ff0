#pragma once
// A line written as another language writes it, rewritten as this one
// does, for the hint of its message: `if (x == 1) {` is `if x = 1`, a
// block that `/if` closes.
#include <string>

// The line as this language writes it: the condition of a block's first
// line without the parentheses around it and without the `{`, `then`, `do`
// or `:` after it; `=` for `==` and `===`, `!=` for `!==`, `and` and `or`
// for `&&` and `||`; no `;` at its end. Texts are left as they are.
std::string velmoraForm(const std::string &line);

// The closing word of the block whose first line `line` is (`/while` for
// `while (x < 3) {`), or empty when it opens none.
std::string blockCloserOf(const std::string &line);

// Whether the line ends as other languages begin a block's statements:
// `{`, `then`, `do`.
bool endsAsAForeignBlock(const std::string &line);

// ", and close the block with `/if`" for a block begun as another language
// begins one, or empty.
std::string foreignBlockClosing(const std::string &line);

// "write `if x = 1`", and, for a block begun as another language begins
// one, that its own word closes it.
std::string velmoraFormHint(const std::string &line);

// A filled text of another language (`f"x = {x}"`, whose `f` stands at
// `prefix` of `line`) as this one writes it: its parts written one after
// another by `print`, or joined with `+`; empty when it is none.
std::string filledTextHint(const std::string &line, std::string::size_type prefix);

// A text that fills in values as Swift (`"x = \(x)"`) or JavaScript
// (`` `x = ${x}` ``) writes it, from its quote at `quote`: told as a filled
// text is; empty when it is none.
std::string interpolatedTextHint(const std::string &line, std::string::size_type quote);
