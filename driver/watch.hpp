#pragma once
// velc --watch: builds and runs the program, then waits for a change of one
// of its sources (the include graph as the scan finds it, through the
// kernel's file notifications) and builds and runs it again, after a line
// with the time; a build that fails does not end the watch, Ctrl-C does.
#include <string>
#include <vector>

// argv without the --watch argument: the command line of each build, run by
// this same velc. Returns the status when Ctrl-C ends the watch (130).
int watchProgram(const std::vector<std::string> &buildArguments, const std::string &sourceName);

// The files of the program whose main source is named, as the scan finds
// them; empty when the scan cannot finish (a source is missing).
std::vector<std::string> programSources(const std::string &sourceName);

// "prog.vel changed" between dashes, with the time of day.
std::string watchSeparator(const std::string &changed, const std::string &timeOfDay);
