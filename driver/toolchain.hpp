#pragma once
// Tool-chain settings read from velc.ini beside the velc program.
#include <string>
#include <vector>

#include "diagnostics/console_printer.hpp"
#include "translator/translation_job.hpp"

struct ToolchainSettings {
    std::string id = "emcc";
    std::string compiler = "em++";
    std::string linker = "emcc";
    std::string options = "-c -std=c++17 -fwrapv -I. -I/velmorac/";
    std::string loptions = "-I. -I/velmorac/ ";
    std::string objects = "/velmorac/velmora/velmora.a";
    std::string extension = ".o";
    std::vector<std::string> headers;   // extra #include lines of every generated file
    // The precompiled prologue of generated files, when there is one; used
    // only while its stamp shows it matches the tools, options and headers.
    std::string pch;
    int jobs = 1;                        // C++ files compiled at the same time
    // A program put in front of every compile (ccache, distcc); empty for
    // none. It changes where an object is made, never what it holds.
    std::string launcher;
    // Folders a program run under wasmer may reach besides the current
    // directory, one per "folder" line; wasmer gives it nothing else.
    std::vector<std::string> folders;
    // Line directives in generated files, so that compiler messages,
    // run-time errors and debuggers name the Velmora source line.
    bool lines = false;
    // A main source of this many lines or more (not counting blank and
    // comment lines) is compiled in pieces; 0 never.
    int pieceLines = 2000;
    // How messages are printed: the console form, with excerpts on a
    // terminal unless told otherwise, or JSON lines.
    MessageForm messages = MessageForm::text;
    ExcerptChoice excerpts = ExcerptChoice::automatic;
    // Blanks per block level of velc --format.
    int indentWidth = 4;
    // "html": every build also writes the program's page (as --html does).
    std::string target;
};

// Beyond a machine's processors, since a launcher such as distcc spreads the
// compiles over a farm, but a mistyped value must not start thousands of
// compilers.
constexpr int maximumJobs = 256;
// More lines than a source can hold in memory.
constexpr int maximumPieceLines = 1000000000;
// Wider indentation helps no reader.
constexpr int maximumIndentWidth = 16;

extern ToolchainSettings toolchainSettings;

// An option of the compile or link commands that follows from the
// precompiled prologue setting. Deciding it reads stamps and tool files, so
// it is decided once per setting, not once per command.
class OptionPerPrologue {
public:
    // The option for the current setting; decide(pch) gives it when the
    // setting changed since the last decision.
    template <class Decide> const std::string &get(Decide decide) {
        if (!decided_ || pch_ != toolchainSettings.pch) {
            pch_ = toolchainSettings.pch;
            decided_ = true;
            option_ = decide(pch_);
        }
        return option_;
    }
    // No option for the current setting, whatever its stamp says.
    void drop() {
        pch_ = toolchainSettings.pch;
        decided_ = true;
        option_.clear();
    }

private:
    std::string pch_;   // the setting the decision was made for
    bool decided_ = false;
    std::string option_;
};


// Reads the file if it can be opened; a missing file keeps the defaults.
void readConfiguration(const std::string &path);
// Stores one key's value; unknown keys are ignored.
void applySetting(const std::string &key, const std::string &value);
// A whole decimal number from 1 up; larger than maximumJobs gives maximumJobs.
// False for anything else, which leaves the setting as it was.
bool parseJobCount(const std::string &value, int &jobs);
// The same for a count of source lines, from 0 up to maximumPieceLines.
bool parseLineCount(const std::string &value, int &lines);
// The same for the indentation of velc --format, from 1 up to maximumIndentWidth.
bool parseIndentWidth(const std::string &value, int &width);
// Handles one line of the file: comments, "key = value", anything else ignored.
void applyConfigurationLine(const std::string &line);
