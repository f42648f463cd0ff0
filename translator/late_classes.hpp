#pragma once
// A class the source uses before the line that defines it. The translator
// knows a class from its definition on, so such a use is told once, with
// where the class is and that it must move up; what the rest of the source
// makes of the unknown class is not told again.
#include <string>

// The hint for `name` used on `line` when the source defines a class of
// that name further down, or "".
std::string lateClassHint(int line, const std::string &name);
// Whether a hint is one of lateClassHint's.
bool isLateClassHint(const std::string &hint);
