#pragma once
// What velc tells of the names, methods and habits that other languages
// have and Velmora writes otherwise: `parseInt(t)`, `s.toUpperCase()`,
// `Math.max(a, b)`, `throw`, `x => x * 2`, `break 2`, `s[1:3]`...
#include <antlr/Token.hpp>

#include <string>

#include "diagnostics/diagnostic.hpp"

// The hint for a method, a function or a name that another language has,
// or empty. `line` is the text of the line the name stands on.
std::string otherLanguageMethodHint(const std::string &name);
std::string otherLanguageFunctionHint(const std::string &name);
std::string otherLanguageNameHint(const Diagnostic &diagnostic, const std::string &name, const std::string &line);

// `a = [1, 2]` where no `a` is declared: the declaration it needs, or empty.
std::string declarationHint(const std::string &name, const std::string &line);

// The hint for a numbered message that names no word (`keys must be texts`
// for `s[1:3]`), or empty.
std::string otherLanguageTemplateHint(const Diagnostic &diagnostic, const std::string &line);

// The hint for a token the parse did not expect, where another language
// puts it (`lambda`, the count of `break 2`, `input` inside an expression),
// or empty.
std::string otherLanguageTokenHint(const antlr::RefToken &token, const std::string &line);
