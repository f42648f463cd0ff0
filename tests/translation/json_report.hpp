#pragma once
// What the `messages=json` form of a translation must say of its console
// form: every line is a JSON object of the documented fields, one object
// for each located console line (same line, column and message), and each
// numbered message carries the code whose catalogue text it prints.
#include <string>
#include <vector>

// The lines of a text, without their line ends.
std::vector<std::string> splitLines(const std::string &text);

// The disagreements, one per line; empty when the two forms agree.
// `console` is standard output then standard error of the text form,
// `json` the output of the JSON form, `file` the source the lines name.
std::string jsonDisagreements(const std::string &console, const std::string &json, const std::string &file);
