#pragma once
// Whether velc can read a source as Velmora before the formatter changes
// its blanks. Where it cannot, velc reads what was meant from the source as
// written, indentation included: the body of a function written as another
// language writes it is the lines indented deeper than its first line. A
// new layout would change what velc makes of such a source, so the
// formatter leaves it alone.
#include <string>

// The first line of the source (a path) that velc cannot read, as
// "line 3 (unexpected `local`)", or "" when it reads every line; also ""
// when velc could not be asked.
std::string firstUnreadableLine(const std::string &path);
