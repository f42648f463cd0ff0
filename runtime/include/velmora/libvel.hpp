#pragma once
// libvel: the run-time library of programs written in Velmora.
//
// The C++ that velc writes includes this header and links velmora.a. Every
// name below is spelled the way the generated code spells it.
//
// Value semantics
// ---------------
// * `text` is a byte string. It prints as its characters, without quotes.
// * `dyn` (also named `var`) holds nil, a boolean, an integer (64-bit signed),
//   a real (double), a natural (64-bit unsigned), a text, an array, a dict, a
//   key/value pair or a pointer. Containers inside a dyn are owned by it and
//   copied with it: a dyn never aliases another dyn's array.
// * Containers print as [1, 2, "a"] and {"a": 1, 2: "b"}: texts inside a
//   container are quoted, nil inside a container prints as nil. A nil printed
//   on its own prints nothing. Reals print in the default C++ stream format;
//   booleans print as true and false. print and echo write with vel_out
//   (output.hpp), not with the C++ streams.
// * Dicts keep the order in which keys were first inserted. Keys are texts or
//   integers; a number used as a key is truncated to an integer; any other
//   key is a run-time error.
//
// Out of range
// ------------
// * Reading past either end of an array, text or typed array, or reading a
//   key a dict does not hold, gives the default value: nil for arrays and
//   dicts, "" for texts, 0 for numeric arrays, a nil/"" element for _arr32.
// * Writing past the end grows the array (the gap is filled with default
//   values) or the text (padded with blanks).
// * Writing at a negative index, using a key that is neither a text nor a
//   number, or indexing a value that is no container prints
//   "Run-time error: ..." on stderr and ends the program with status 1.
// * Integer arithmetic of dyn values wraps around on overflow; an integer
//   modulo by zero is a run-time error. Division of dyn values always gives a
//   real; dividing an integer by the integer 0 is a run-time error, and as
//   soon as one operand is a real the IEEE rules hold (x / 0.0 is an
//   infinity).
//
// Iteration
// ---------
// Containers, texts and dyn values share one cursor protocol:
//     c.reset(); while(c.inBound()) { k = c.key(); v = c.value(); c.bound(); ... }
// bound() only marks the step; the cursor moves at the next inBound(), so that
// key(), value() and c[c.key()] inside the loop body still denote the element
// being visited.

// The sections of the library, each a header of its own, in the order in
// which they build on each other.
#include "foundations.hpp"
#include "text.hpp"
#include "dyn.hpp"
#include "containers.hpp"
#include "several_results.hpp"
#include "program_functions.hpp"
#include "arithmetic.hpp"
#include "system.hpp"
#include "native_calls.hpp"

// The built-in methods of the typed arrays and the templates of the other
// containers' built-in methods.
#include "builtin_methods.hpp"

// Operands evaluated from left to right.
#include "evaluation_order.hpp"
