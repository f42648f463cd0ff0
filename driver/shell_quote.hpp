#pragma once
// Words of the command lines velc hands to the shell.
#include <string>

// A word as the shell reads it back unchanged: plain words stay as they are,
// anything else is put between single quotes.
std::string shellQuote(const std::string &word);
