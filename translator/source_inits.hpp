#pragma once
// A program of several sources gives its file-level variables their values
// in include order: a source's after those of every source it includes,
// directly or not, and the main source's after all of them. C++ would
// initialise them in link order, which puts the main source first, so that
// a variable whose value reads a variable of an included source would read
// it before it had one.
//
// A source that has included another gives a file-level variable declared
// after the include line, whose value is not a constant to C++, its
// default value where it is defined; it receives its value later, in the
// order of the declarations: in main, first thing, in the main source, and
// in the source's init function in an included one. Every source another
// includes has an init function, named after the source as include lines
// name it, declared in its header: it runs once, calls the init functions
// of the sources it includes, then assigns its waiting variables. main
// calls those of the sources the main source includes. A source that
// includes nothing, and so every single-source program, is translated as
// before.
#include <string>

struct ExprValue;

// An include line named another source (a ".vel" one).
void noteIncludedSource(const std::string &includeName);
// Whether a file-level variable declared now, whose value is no constant,
// waits for the sources included so far.
bool waitsForIncludedSources();
// A value C++ gives at compile time, which reads nothing of another source.
bool isConstantValue(const ExprValue &value);
// The assignment that gives a waiting variable its value.
void addWaitingValue(const std::string &assignment);
// Right after main has opened: the calls of the included sources' init
// functions, then the main source's waiting values. Opened by a statement,
// the calls are placed on its line; otherwise on none.
void writeMainStart(bool atStatement);
// Once the source is read: the init function of a source another may
// include, and its declaration in the header.
void writeSourceInit();
