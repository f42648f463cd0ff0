#pragma once
// Where the driver reads a source: the text an editor holds unsaved for its
// path when there is one, else the file.
#include <istream>
#include <memory>
#include <string>

// Reads `text` in place of the file at `path` for the rest of the run.
void holdUnsavedText(const std::string &path, std::string text);
// Whether an editor gave a text for the path.
bool hasUnsavedText(const std::string &path);
// The source's text as a stream, after a UTF-8 byte-order mark when it
// starts with one; null when it can be read neither way.
std::unique_ptr<std::istream> openSource(const std::string &path);
