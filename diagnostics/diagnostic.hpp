#pragma once
// One message about the program being translated, as data: what it says,
// where it points and how it is written on the console. The printers
// (console_printer.hpp, json_printer.hpp) and the tools that place
// messages in an editor read it; nothing has to parse a printed line.
#include <string>

struct SourcePosition {
    std::string file;
    int line = 0;     // from 1; 0 when the message names no line
    int column = 0;   // byte of the line from 1 (a tab is one); 0 when unknown
};

enum class DiagnosticKind {
    numbered,   // a message of the catalogue: "prog.vel L3: ..." on standard output
    syntax,     // the parser's or the lexer's: "prog.vel L3:5: ..." on standard error
    internal,   // an inconsistency of the translator itself
    warning,    // not counted
};

struct Diagnostic {
    DiagnosticKind kind = DiagnosticKind::numbered;
    int code = 0;            // the catalogue code (1 for a syntax error, 0 for an internal one)
    std::string file;
    int line = 0;
    int column = 0;          // first column of the fault, from 1; 0 when unknown
    int endColumn = 0;       // its last column (inclusive)
    std::string message;     // the text after the place, as the console line has it
    std::string text;        // the whole console line, exactly as printed
    std::string hint;        // what to write instead, when velc can tell
    SourcePosition related;  // another place the message speaks of (line 0: none)
    // Where the parse went on, on the message's line, after the syntax
    // error it tells: what is found there on is news (line 0: nothing more
    // of its line is).
    SourcePosition resumed;

    bool counted() const { return kind != DiagnosticKind::warning; }
    // Whether a later message at `line` and `column` stands where the
    // parse had gone on after this one.
    bool resumedBefore(int line, int column) const {
        return resumed.line != 0 && column > 0 &&
               (line > resumed.line || (line == resumed.line && column >= resumed.column));
    }
};
