#pragma once
// velc --format: rewrites Velmora sources in the canonical layout. Only the
// blanks change: each line is indented by its block level, block ends stand
// at their opening's level, binary operators get one blank on each side and
// commas one after, trailing blanks go and empty lines do not repeat.
// Comments, texts, XML elements, templates and native blocks keep their
// text; a line whose tokens the new blanks would change stays as written.
#include <string>
#include <vector>

// The source in the canonical layout, with `indentWidth` blanks per level.
std::string formatSource(const std::string &text, int indentWidth = 4);

// Formats each file in place, or with checkOnly only names those that
// would change ("prog.vel would be reformatted"). A file with lines velc
// cannot read as Velmora is left as it is, and named with the first. The
// status is 0 when nothing needed changing or every change was written, 1
// when checkOnly found a file to change, 2 when a file could not be read,
// read as Velmora or written.
int formatSourceFiles(const std::vector<std::string> &files, bool checkOnly, int indentWidth);
