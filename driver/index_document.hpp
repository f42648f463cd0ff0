#pragma once
// The JSON an editor reads of a translated program: its names and the
// built-in methods and functions.
#include <nlohmann/json.hpp>

#include "semantics/symbol_index.hpp"

// Declarations and uses, with the sources they are in, as
// {"sources": [...], "declarations": [...], "uses": [...], "builtinUses": [...]};
// a use is [source, line, column, endColumn, declaration or built-in row].
nlohmann::json indexDocument(const SymbolIndex &index);
// Every built-in method and function: name, receiver type ("" for a
// function), signature with its defaults, result type and a line of
// documentation.
nlohmann::json builtinsDocument();
