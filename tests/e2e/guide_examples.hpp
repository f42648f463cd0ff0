#pragma once
// The example programs of docs/guide.md with the output the guide shows for
// each, so that the guide is checked against what velc does.
#include <ostream>
#include <string>
#include <vector>

struct GuideExample {
    std::string label;                 // "guide_7": its place among the examples
    std::string source;                // the program, built as prog.vel
    std::vector<std::pair<std::string, std::string>> otherSources;  // file name, text
    std::string input;                 // what it reads on standard input
    std::string output;                // what it prints on standard output
    std::string errorOutput;           // what it prints on standard error
    int status = 0;                    // its exit status
};

// A program of the guide that velc refuses, with the messages the guide
// shows for it.
struct GuideFault {
    std::string label;                   // "guide_fault_2"
    std::string source;                  // the program, translated as prog.vel
    std::vector<std::string> messages;   // each a block velc prints whole
};

// Every "faulty" block of the guide with the "messages" blocks after it.
// A block holding a source line ("    2 | ...") is printed with the
// excerpts on (excerpts=always), any other without them.
std::vector<GuideFault> guideFaults();
void PrintTo(const GuideFault &fault, std::ostream *out);

// A source of the guide as written ("messy") and as `velc --format`
// leaves it ("formatted", the block right after).
struct GuideLayout {
    std::string label;       // "guide_layout_1"
    std::string written;
    std::string formatted;
};
std::vector<GuideLayout> guideLayouts();
void PrintTo(const GuideLayout &layout, std::ostream *out);

// Every "vel" block of the guide, in order. A block "vel name.vel" is a
// further source of the next program; an "input" block (what the program
// reads), an "output" block (optionally
// "output status N") and then an "error" block may follow a program.
std::vector<GuideExample> guideExamples();

// Writes the example's input into the workspace and gives the path to run
// the program with ("/dev/null" for an example that reads nothing).
std::string guideInputPath(const GuideExample &example, const std::string &workspaceDirectory);

// The words of the guide's "reserved" block, in the order written.
std::vector<std::string> guideReservedWords();

// Test names show an example by its label.
void PrintTo(const GuideExample &example, std::ostream *out);
