#pragma once
// What velc knows of the files of its tool chain: their identity, the
// programs a command line starts, and the words of a setting.
#include <string>
#include <vector>

// Size and modification time to the nanosecond, or "missing": an edit, a
// copy over the file or a reinstall changes one of them.
std::string toolFileSignature(const std::string &path);

// A setting split at its blanks.
std::vector<std::string> settingWords(const std::string &text);

// Where the shell would find a program named without a directory.
std::string programOnPath(const std::string &name);

// The programs a command setting starts: its first word after the variables
// set for it and, where that is a launcher (velc_emreplay em++), the program
// it starts in turn: the words up to the first option.
std::vector<std::string> commandPrograms(const std::string &command);
