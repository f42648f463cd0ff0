#pragma once
// The sources of one program: the names that belong to a source, the project
// list built by following include lines, the incremental test and the
// translation of the pending sources.
#include <istream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "semantics/source_semantics.hpp"
#include "driver/output_files.hpp"
#include "translator/translation_job.hpp"

// A file's modification time in nanoseconds: two edits within one second
// are told apart.
using FileTime = long long;

// One source of the program: the path it is opened by, the names of its
// outputs and what it is in this run. The driver makes one for each source
// it scans, translates or reads and hands it to each step.
struct ProgramSource {
    std::string path;            // as opened: ".vel" added, an included name under the main's directory
    std::string baseName;        // the path without ".vel"
    std::string fileName;        // baseName without its directory
    std::string baseDirectory;   // the main source's directory, no trailing separator
    std::string cppName;
    std::string objectName;
    std::string headerPath;      // the header the translation writes
    std::string headerInclude;   // the name generated C++ includes it by
    bool isMain = false;
    SourceRole role = SourceRole::includedMain;
    std::string sourceDigest;    // of it and what it includes, recorded in its header
    std::vector<std::string> classesAhead;  // its header declares them first
    std::unordered_map<std::string, IncludedHeaders> includedHeaders;  // what each include writes
};

struct ProjectEntry {
    std::string name;            // as first met: main source name or include name as written
    std::string identity;        // the file actually opened; sources are matched by it
    bool done = false;
    int pendingCount = 0;
    bool isMain = false;
    // Up to date, but a source translated again includes it: it is read
    // again only for what it declares, and its outputs are left alone.
    bool declarationsOnly = false;
    FileTime sourceTime = 0;     // the source's time, as scanned
    FileTime outputTime = 0;     // oldest of its outputs; 0 when one is missing
    std::vector<int> includes;   // one element per include statement met
    // The same with the names as written, never struck: the include graph
    // the generated includes follow.
    std::vector<std::pair<int, std::string>> includeEdges;
    // Sources that include each other, directly or through others, share
    // a cycle number; a source in no cycle has one of its own.
    int cycle = 0;
    std::string baseName;        // as describeSource gave it when the source was last translated or read
    // What reading it ahead of its cycle declared, taken back before it is translated.
    DeclaredNames readAhead;
    bool wasReadAhead = false;
    SourceRole outputRole = SourceRole::unread;  // as the existing header records it
    // File times that tie (a file system keeping whole seconds) cannot tell
    // an edit from the build before it; the contents can. contentDigest is
    // of the source as scanned, sourceDigest of it and every source it
    // includes, directly or not, and recordedDigest the one its header holds.
    std::string contentDigest;
    std::string sourceDigest;
    std::string recordedDigest;
};

using TranslateFunction = TranslationResult (*)(std::istream &input, const SourceToTranslate &source, RunTables &run);

struct ProjectState {
    std::vector<ProjectEntry> entries;      // index 0 is reserved
    std::unordered_map<std::string, int> entryByIdentity;  // the entries by their identity
    // Found with the cycles, so that choosing the next source and striking
    // its includes take time in proportion to its cycle and its includers,
    // not to the whole program: each cycle's members in list order, each
    // entry's includers with the place of its first include in theirs, and
    // the first cycle left to translate.
    std::vector<std::vector<int>> cycleMembers;
    std::vector<std::vector<std::pair<int, std::size_t>>> includers;
    int firstOpenCycle = 1;
    std::string objectList;                 // " a.o b.o", as the link step prints it
    std::vector<std::string> objectNames;   // the same names, one each
    std::vector<std::string> sourceObjectNames;  // those of the scanned sources (not of pieces)
    // The same names as sets, so that a program of thousands of sources
    // keeps its lists in time proportional to their length.
    std::unordered_set<std::string> objectNameSet, sourceObjectSet;
    // The objects of the sources compiled in pieces whose pieces' objects
    // are in the list: only theirs are replaced after a translation.
    std::unordered_set<std::string> piecedSourceObjects;
    std::vector<std::string> cppFileList;   // translated without errors in this run
    int translatedCount = 0;
    std::string baseDirectory;              // the main source's directory, no trailing separator
    // The link line names the source described last (scanned, translated or read).
    std::string lastDescribedBaseName;
    bool inBlockComment = false;
    int sourceErrorCount = 0;               // errors of the last source translated
    int runErrorTotal = 0;                  // errors of every source translated in this run
    int compileFailures = 0;                // C++ files the compiler refused in this run
    int programStatus = 0;                  // how the program run by velc ended (0: normally)
    TranslateFunction translate = nullptr;  // null: the translator's translateStream
    RunTables tables;                       // what the run's sources declare
    // Of velc, libvel and the tool chain of this run; every header written
    // records it, and outputs recording another are made again.
    std::string buildStamp;
};

extern ProjectState project;

constexpr const char *temporaryFile = "EraseMe.Tmp.$$$.tmp";

// Empties the list and puts the reserved entry at index 0.
void resetProject();
// The driver's state as a run starts: the settings, the tool chain, the
// project list and the diagnostics.
void resetDriverState();

// The paths of a source named as the command line or an include line names
// it; ends the run when it cannot be read. An included name is found under
// the main source's directory.
ProgramSource describeSource(const std::string &name, bool isMain);
// Adds the source and, recursively, what it includes to the project list.
int scanSource(const std::string &name, bool isMain);
int compileAll();
// The pieces the source was split into; none when its translation failed.
TranslatedPieces translateSource(const ProgramSource &source);
// Runs the translator over the source for the names, classes and
// functions it declares only: nothing is written, printed or counted.
void readDeclarations(const ProgramSource &source);
// Makes the source's C++ and object files older than the source, so that the next run translates it again.
void markSourceStale(const ProgramSource &source);

int findOrAddSource(const std::string &name, const std::string &identity);
int findSource(const std::string &identity);
void addInclude(int entry, int included, const std::string &name = "");
// Numbers the include cycles (before any include is struck), the cycles a
// source includes before it; a source in no cycle is a cycle of its own.
void findIncludeCycles();
// The sources of a cycle, in list order (none before the cycles are found).
const std::vector<int> &membersOfCycle(int cycle);
// Both work on the list as it was when its cycles were found.
int nextPending();
void resolveIncluded(int index);
// Sources that include an out-of-date source, directly or not, are out of date too.
void markIncludersPending();
// A source whose outputs are older than a source it includes, directly or
// not, is out of date: an earlier run may have stopped between the two.
void markOlderThanIncludesPending();
// A source translated again needs the declarations of every source it
// includes: those that are up to date are read for their declarations only.
void markIncludedForDeclarations();
// A source whose outputs were translated in another role is out of date.
void markRoleChangesPending();
// Each entry's sourceDigest, from the contents of what it includes.
void computeSourceDigests();
// A source whose contents differ from those its outputs were made from is
// out of date, whatever the file times say.
void markChangedContentPending();
// The rules above, in the order a run applies them.
void markRelatedSourcesPending();
// The role a source of the project has in this run.
SourceRole roleOf(int index);
// The header's line that records the role; read back by recordedRole.
SourceRole recordedRole(const std::string &headerPath);
// Up-to-date sources are never translated: they no longer hold back their includers.
void resolveUpToDateIncludes();

// Where the name of an include starts: after the word "include" when it is
// the line's first word, npos otherwise (a text or a comment that only
// mentions the word includes nothing).
std::string::size_type afterIncludeWord(const std::string &line);
std::string includeName(const std::string &line, std::string::size_type position);
bool hasVelmoraExtension(const std::string &text);
std::string resolveIncludePath(const std::string &name);
// The path under which an include name is opened and translated.
std::string includedSourcePath(const std::string &name);
// The key two spellings of one file share; the path itself when it cannot be resolved.
std::string sourceIdentity(const std::string &path);
bool isAbsolutePath(const std::string &path);

// Modification time to the nanosecond; false when it cannot be read.
bool fileTime(const std::string &path, FileTime &time);
void addObjectName(const std::string &name);
// The objects of the source's pieces, in place of those the scan found
// recorded: right after its own object.
void replacePieceObjects(const ProgramSource &source, const std::vector<std::string> &pieceCppFiles);
