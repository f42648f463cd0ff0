#pragma once
// What the driver asks of the translator for one source, and what it gets
// back. Everything a translation needs to know of the run comes in here, so
// that nothing below the driver reads the driver's state.
#include <istream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "diagnostics/diagnostic.hpp"
#include "translator/main_pieces.hpp"

struct RunTables;   // semantics/source_semantics.hpp

// Generated files always use these; they are not configurable.
constexpr const char *cppExtension = ".cpp";
constexpr const char *headerExtension = ".hpp";

// What a source is translated as. The outputs differ (only the main source
// defines main(); only a main source no other source includes keeps its
// file-level variables to itself), so outputs of one role are never reused
// in another.
enum class SourceRole {
    unread,        // no header has been read for the entry
    unrecorded,    // its header names no role
    included,      // a source the main source includes, directly or not
    includedMain,  // the main source, which another source includes back
    program,       // the main source, included by no other
};

// The line of a header that records the role it was translated in; the
// driver reads it back to decide whether the outputs may be reused.
std::string roleLine(SourceRole role);

// What an include of another source writes, found by the driver from the
// whole include graph: the headers of everything the included source
// reaches, in the order the preprocessor would meet them if each header
// opened the next, the included one last. The implementation includes them
// one after another, so that a long chain of includes costs the compiler no
// nesting. A source of the includer's own cycle is left out of its header:
// the implementations bring the whole cycle in, and headers that open each
// other would nest as deep as the cycle is long.
struct IncludedHeaders {
    std::vector<std::string> inOrder;
    bool sameCycle = false;
};

struct SourceToTranslate {
    std::string sourceName;      // the source's path, as messages name it
    std::string baseName;        // the source without ".vel": where classes and functions come from
    std::string fileName;        // baseName without its directory
    std::string cppPath;         // the implementation file to write
    std::string headerPath;      // the header file to write
    std::string headerInclude;   // the name the implementation includes the header by
    SourceRole role = SourceRole::includedMain;
    bool isMain = true;
    bool declarationsOnly = false;     // read for what it declares: nothing is written
    std::vector<std::string> headers;  // included by every implementation after the prologue
    // Classes of the other sources of its include cycle, by their C++ names:
    // the header declares them ahead of its includes, since a header of the
    // cycle may be read before the one that defines them.
    std::vector<std::string> classesAhead;
    // By the name an include line gives; an include missing here writes
    // the included header alone.
    std::unordered_map<std::string, IncludedHeaders> includedHeaders;
    bool mapLines = false;             // line directives give the C++ its Velmora lines
    // The pieces' line directives count from each piece's first line, so
    // that a line inserted before a piece leaves its text alone; off for a
    // debug build, whose debugger reads the lines from the objects.
    bool piecesCountOwnLines = false;
    std::string integerSuffix = "ULL"; // of unsigned literals
    std::string buildStamp;            // recorded in the header
    std::string sourceDigest;          // of the source and its includes, recorded in the header
    // Main goes on in implementation files of their own (main_pieces.hpp);
    // a piece keeps its object unless it changed or all is rebuilt.
    bool splitMain = false;
    bool rebuildAll = false;
    std::string objectExtension = ".o";
};

// The generated texts of one source, for the driver to write.
struct TranslatedTexts {
    std::string header;                // for headerPath
    std::string implementation;        // for cppPath
    std::vector<std::string> pieces;   // of a split main: pieceCppName(cppPath, 1), ...
};

struct TranslationResult {
    int errorCount = 0;
    std::vector<Diagnostic> diagnostics;   // in the order reported
    int lineCount = 0;           // lines of the source read
    TranslatedTexts texts;       // empty for a source read for its declarations
};

// A translation that stopped before the end of its source (a lexical error,
// a limit of the translator): what it says, and the texts as far as they got,
// complete C++ files all the same.
struct TranslationStopped : std::runtime_error {
    TranslationStopped(const std::string &description, TranslationResult result)
        : std::runtime_error(description), result(std::move(result)) {}
    TranslationResult result;
};

// Builds the lexer and the parser on the source's text and runs the start
// rule on a translation state of its own; what the run's earlier sources
// declared is found in `run`. Writes no file. It may throw
// TranslationStopped.
TranslationResult translateStream(std::istream &input, const SourceToTranslate &source, RunTables &run);

// The source being translated, for the rules.
const SourceToTranslate &translatedSource();
