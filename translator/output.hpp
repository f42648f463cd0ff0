#pragma once
// The two output files of the source being translated and the few operations
// through which every translating rule writes C++.
#include <cstdio>
#include <stdexcept>
#include <string>

struct OutputState {
    FILE *implementationFile = nullptr;
    FILE *headerFile = nullptr;
    FILE *currentOutput = nullptr;
    FILE *savedImplementation = nullptr;
    FILE *functionsFile = nullptr;   // function definitions, appended after main
    bool writingHeader = false;
    int lineCounter = 1;       // source line; every diagnostic prints it
    int blankLines = 0;        // line ends written since the last text
    int indentLevel = 0;       // four blanks per level
    int savedIndentImplementation = 0;
    int savedIndentHeader = 0;
    bool mainOpened = false;
    bool mainWritten = false;  // the generated main has been opened in this source
    bool topLevelItemsSeen = false;  // a declaration, definition or statement
    bool mainHasArgv = false;  // main holds the program's arguments in a local argv
    int mainParts = 0;         // functions that continue main (see frame.hpp)
    int mainPartStatements = 0;
    bool inImport = false;
    bool importSeen = false;
    bool includeSeen = false;
    // The first write that failed: the file it went to and the C library's
    // error number. The outputs of a source with a failed write are thrown
    // away at its end.
    FILE *failedFile = nullptr;
    int writeError = 0;
};

extern OutputState output;

// A translation whose outputs could not be written completely; its text
// names the file and the cause.
struct OutputWriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void emit(const std::string &text);
void emitChar(char c);
void newlineOnce();
void writeIndent();
void emitIndented(const std::string &text);
void switchToHeader();
void switchToImplementation();
