#pragma once
// The one call through which the driver hands a prepared source to the
// translator. It builds VLLexer and VLParser on the stream and runs the
// start rule, which writes the source's .cpp and .hpp files. It may throw
// antlr::ANTLRException (lexical errors) or std::exception.
#include <istream>
#include <string>

void translateStream(std::istream &input, const std::string &sourceName);
