// Translation of the pending sources: the comment-free copy, the
// call of the translator and the order in which sources are taken.
#include <antlr/ANTLRException.hpp>

#include <sys/stat.h>
#include <utime.h>

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <unordered_set>

#include "diagnostics/console_printer.hpp"
#include "diagnostics/diagnostics.hpp"
#include "diagnostics/json_printer.hpp"
#include "driver/editor_index.hpp"
#include "driver/include_closure.hpp"
#include "driver/native_build.hpp"
#include "driver/output_files.hpp"
#include "driver/source_texts.hpp"
#include "driver/stripped_source.hpp"
#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/text_tools.hpp"
#include "driver/toolchain.hpp"
#include "translator/main_pieces.hpp"
#include "translator/output.hpp"
#include "translator/translation_job.hpp"

namespace {

// Moves a file's access and modification times to the given second.
void setFileTimes(const std::string &path, time_t when) {
    struct utimbuf times;
    times.actime = when;
    times.modtime = when;
    utime(path.c_str(), &times);
}

// A compile option of the -g family: the objects carry the lines a
// debugger shows. Line tables alone (-gline-tables-only or -g1, which the
// tool chains give for the callers of run-time errors) leave the pieces
// counting their own lines, which keeps an edit from compiling every later
// piece again.
bool asksForDebugInformation(const std::string &options) {
    std::istringstream words(options);
    for (std::string word; words >> word;)
        if (word.compare(0, 2, "-g") == 0 && word != "-g0" && word != "-g1" && word != "-gline-tables-only")
            return true;
    return false;
}

// What the translator is told of a source; `splitMain` tells that its
// generated main is written in pieces, compiled apart.
SourceToTranslate sourceToTranslate(const ProgramSource &program, bool declarationsOnly, bool splitMain) {
    SourceToTranslate source;
    source.sourceName = program.path;
    source.baseName = program.baseName;
    source.fileName = program.fileName;
    source.cppPath = program.cppName;
    source.headerPath = program.headerPath;
    source.headerInclude = program.headerInclude;
    source.role = program.role;
    source.isMain = program.isMain;
    source.declarationsOnly = declarationsOnly;
    source.headers = toolchainSettings.headers;
    source.mapLines = toolchainSettings.lines;
    source.piecesCountOwnLines = toolchainSettings.lines && !asksForDebugInformation(toolchainSettings.options);
    source.integerSuffix = driverSettings.integerSuffix;
    source.buildStamp = project.buildStamp;
    source.sourceDigest = program.sourceDigest;
    source.classesAhead = program.classesAhead;
    source.includedHeaders = program.includedHeaders;
    source.splitMain = splitMain && !declarationsOnly;
    source.rebuildAll = driverSettings.rebuildAll;
    source.objectExtension = toolchainSettings.extension;
    return source;
}

TranslationResult translate(std::istream &input, const SourceToTranslate &source) {
    TranslateFunction translator = project.translate ? project.translate : translateStream;
    return translator(input, source, project.tables);
}

// The source counts as failed (its reports and the failure) and its
// outputs are not trusted by the next run.
void abandonTranslation(const ProgramSource &source, int reported) {
    project.sourceErrorCount = reported + 1;
    markSourceStale(source);
}

void failTranslation(const ProgramSource &source, const std::string &description, int reported) {
    std::printf("Exception in parser: %s\n", description.c_str());
    abandonTranslation(source, reported);
}

// While it lives, standard output and standard error go to the null
// device: a source read for its declarations was reported on when it was
// translated, and the ANTLR run-time writes its syntax errors itself.
class SilencedConsole {
public:
    SilencedConsole() {
        flushAll();
        int sink = open("/dev/null", O_WRONLY);
        if (sink < 0)
            return;
        savedOutput = dup(STDOUT_FILENO);
        savedError = dup(STDERR_FILENO);
        dup2(sink, STDOUT_FILENO);
        dup2(sink, STDERR_FILENO);
        close(sink);
    }
    ~SilencedConsole() {
        flushAll();
        restore(savedOutput, STDOUT_FILENO);
        restore(savedError, STDERR_FILENO);
    }
    SilencedConsole(const SilencedConsole &) = delete;
    SilencedConsole &operator=(const SilencedConsole &) = delete;

private:
    static void flushAll() {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stdout);
        std::fflush(stderr);
    }
    static void restore(int saved, int target) {
        if (saved < 0)
            return;
        dup2(saved, target);
        close(saved);
    }
    int savedOutput = -1;
    int savedError = -1;
};

// A translation's messages in the form velc.ini asks for; the excerpts
// show the source as the user wrote it, comments included.
void printMessages(const std::vector<Diagnostic> &diagnostics, const std::string &sourcePath) {
    if (driverSettings.checkOnly) {
        keepCheckedDiagnostics(diagnostics);
        return;
    }
    if (toolchainSettings.messages == MessageForm::json) {
        printJsonDiagnostics(diagnostics);
        return;
    }
    std::string text;
    if (toolchainSettings.excerpts != ExcerptChoice::never && !diagnostics.empty()) {
        std::ifstream source(sourcePath, std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(source), std::istreambuf_iterator<char>());
    }
    printConsoleDiagnostics(diagnostics, SourceLines(text), toolchainSettings.excerpts);
}

// Blank lines and comment lines (empty in the stripped copy) do not count.
bool isLongEnoughToSplit(const std::string &copy) {
    int wanted = toolchainSettings.pieceLines;
    if (wanted <= 0)
        return false;
    int lines = 0;
    bool blank = true;
    for (char c : copy) {
        if (c == '\n') {
            lines += blank ? 0 : 1;
            if (lines >= wanted)
                return true;
            blank = true;
        } else if (c != ' ' && c != '\t' && c != '\r')
            blank = false;
    }
    return false;
}

}  // namespace

void readDeclarations(const ProgramSource &source) {
    try {
        SilencedConsole silence;
        StrippedSource stripped = strippedSource(source.path);
        std::istringstream input(stripped.text);
        translate(input, sourceToTranslate(source, true, false));
        placeIndexInSource(project.tables.index, source.path, stripped);
    } catch (const antlr::ANTLRException &) {
        // What the source declared before the failure stays known; the
        // failure itself was reported when the source was translated.
    } catch (const std::exception &) {
    }
}

void markSourceStale(const ProgramSource &source) {
    if (driverSettings.checkOnly)
        return;
    struct stat sourceStatus;
    time_t staleTime = -2;
    if (stat(source.path.c_str(), &sourceStatus) == 0)
        staleTime = sourceStatus.st_mtime - 2;
    setFileTimes(source.cppName, staleTime);
    // The incremental test looks at the object file, not the C++ file, unless
    // only C++ is produced: an object left from an earlier good build would
    // otherwise make the failed source look up to date.
    setFileTimes(source.objectName, staleTime);
}

namespace {

bool endsWithVelmoraExtension(const std::string &name) {
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char &c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".vel";
}

// The pieces of a long main source are named after it (prog.1.cpp,
// prog.2.cpp, ...): an included source named like one (prog.1.vel) would
// write the same files, so the main source is then compiled whole.
bool sourceSharesAPieceName(const ProgramSource &source) {
    const std::string stem = source.fileName + ".";
    for (const ProjectEntry &entry : project.entries) {
        std::string name = entry.name;
        if (entry.isMain || !endsWithVelmoraExtension(name))
            continue;
        name.resize(name.size() - 4);
        if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0)
            continue;
        std::string number = name.substr(stem.size());
        if (number.find_first_not_of("0123456789") == std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

TranslatedPieces translateSource(const ProgramSource &program) {
    const std::string &sourcePath = program.path;
    if (driverSettings.verbose)
        std::printf("Compiling source %s\n", sourcePath.c_str());
    SourceToTranslate source;
    StrippedSource stripped;
    project.sourceErrorCount = 0;
    try {
        stripped = strippedSource(sourcePath);
        const std::string &copy = stripped.text;
        bool splitMain = program.isMain && !driverSettings.checkOnly && isLongEnoughToSplit(copy) &&
                         !sourceSharesAPieceName(program);
        std::istringstream input(copy);
        source = sourceToTranslate(program, false, splitMain);
        TranslationResult result = translate(input, source);
        placeInSource(result.diagnostics, sourcePath, stripped);
        placeIndexInSource(project.tables.index, sourcePath, stripped);
        project.sourceErrorCount = result.errorCount;
        TranslatedPieces pieces;
        if (!driverSettings.checkOnly)
            pieces = writeTranslatedFiles(source, result.texts);
        printMessages(result.diagnostics, sourcePath);
        if (toolchainSettings.messages == MessageForm::text)
            printSummary(result.errorCount, driverSettings.quiet);
        if (result.errorCount > 0)
            markSourceStale(program);
        return pieces;
    } catch (const TranslationStopped &e) {
        // The files are written all the same and marked stale.
        try {
            if (!driverSettings.checkOnly)
                writeTranslatedFiles(source, e.result.texts);
        } catch (const OutputWriteError &) {
        }
        std::vector<Diagnostic> diagnostics = e.result.diagnostics;
        placeInSource(diagnostics, sourcePath, stripped);
        printMessages(diagnostics, sourcePath);
        failTranslation(program, e.what(), e.result.errorCount);
    } catch (const OutputWriteError &e) {
        // A full disk or a directory that became read-only: the message
        // names the file and the cause.
        std::printf("%s\n", e.what());
        abandonTranslation(program, project.sourceErrorCount);
    } catch (const antlr::ANTLRException &e) {
        failTranslation(program, e.toString(), 0);
    } catch (const std::exception &e) {
        failTranslation(program, e.what(), 0);
    }
    return TranslatedPieces();
}

namespace {

// Entry k as the steps of a translation see it, in the role it has in this run.
ProgramSource sourceAt(int k, const std::vector<SourceRole> &roles) {
    ProjectEntry &entry = project.entries[k];
    ProgramSource source = describeSource(entry.name, entry.isMain);
    source.role = roles[k];
    source.sourceDigest = entry.sourceDigest;
    entry.baseName = source.baseName;
    project.lastDescribedBaseName = source.baseName;
    return source;
}

// The classes that the other sources of k's cycle define, by their C++ names.
std::vector<std::string> classesOfTheCycle(int k) {
    std::vector<std::string> names;
    const ProjectEntry &source = project.entries[k];
    std::unordered_set<std::string> others;
    for (int i : membersOfCycle(source.cycle))
        if (i != k)
            others.insert(project.entries[i].baseName);
    if (others.empty())
        return names;
    for (const ClassRecord &record : project.tables.classes.records)
        if (!record.external && !record.emittedName.empty() && record.source != source.baseName &&
            others.count(record.source))
            names.push_back(record.emittedName);
    return names;
}

// The sources of a cycle include each other: before the first of them is
// translated, the others are read for what they declare, so that each one
// sees the declarations of all.
void readRestOfCycle(int first, const std::vector<SourceRole> &roles) {
    for (int i : membersOfCycle(project.entries[first].cycle)) {
        const ProjectEntry &entry = project.entries[i];
        if (i == first || entry.done)
            continue;
        ProgramSource source = sourceAt(i, roles);
        ProjectEntry &member = project.entries[i];
        member.readAhead = startDeclaredNames(project.tables);
        readDeclarations(source);
        finishDeclaredNames(project.tables, member.readAhead);
        member.wasReadAhead = true;
    }
}

// The C++ of a source that includes one with errors, directly or not,
// reads the failed source's header, which holds what could not be
// translated: such a source is not compiled, so that the compiler is never
// the one to refuse the program. The others are compiled as usual.
void dropReadersOfFailedSources(const std::vector<int> &failed,
                                const std::vector<std::vector<std::string>> &filesOf) {
    std::vector<bool> reads(project.entries.size(), false);
    std::vector<int> toVisit(failed);
    while (!toVisit.empty()) {
        int source = toVisit.back();
        toVisit.pop_back();
        for (const auto &[includer, place] : project.includers[static_cast<std::size_t>(source)])
            if (!reads[static_cast<std::size_t>(includer)]) {
                reads[static_cast<std::size_t>(includer)] = true;
                toVisit.push_back(includer);
            }
    }
    std::unordered_set<std::string> dropped;
    for (std::size_t k = 1; k < project.entries.size(); k++)
        if (reads[k] && !filesOf[k].empty()) {
            dropped.insert(filesOf[k].begin(), filesOf[k].end());
            project.translatedCount--;
        }
    std::vector<std::string> kept;
    for (const std::string &file : project.cppFileList)
        if (dropped.count(file) == 0)
            kept.push_back(file);
    project.cppFileList.swap(kept);
}

}  // namespace

int compileAll() {
    project.translatedCount = 0;
    std::size_t passes = 0, translations = 0;
    std::vector<int> failed;                              // translated with errors in this run
    std::vector<std::vector<std::string>> filesOf(project.entries.size());  // the C++ files each gave to compile
    // Roles and cycles first: resolving includes strikes the lists they are read from.
    std::vector<SourceRole> roles(project.entries.size(), SourceRole::included);
    for (std::size_t i = 1; i < project.entries.size(); i++)
        roles[i] = roleOf(static_cast<int>(i));
    findIncludeCycles();
    resolveUpToDateIncludes();
    for (int k = nextPending(); k != -1; k = nextPending()) {
        if (project.entries[k].pendingCount > 0)
            readRestOfCycle(k, roles);
        ProgramSource source = sourceAt(k, roles);
        project.entries[k].done = true;
        resolveIncluded(k);
        if (++passes > project.entries.size())
            fatalInternal(1);
        if (project.entries[k].declarationsOnly) {
            if (!project.entries[k].wasReadAhead)
                readDeclarations(source);
            continue;
        }
        if (project.entries[k].wasReadAhead)
            forgetDeclaredNames(project.tables, project.entries[k].readAhead);
        source.classesAhead = classesOfTheCycle(k);
        source.includedHeaders = includedHeadersOf(k);
        TranslatedPieces pieces = translateSource(source);
        translations++;
        project.runErrorTotal += project.sourceErrorCount;
        replacePieceObjects(source, pieces.cppFiles);
        if (project.sourceErrorCount > 0)
            failed.push_back(k);
        if (!driverSettings.cppOnly && project.sourceErrorCount == 0) {
            std::vector<std::string> &files = filesOf[static_cast<std::size_t>(k)];
            if (pieces.implementationToCompile)
                files.push_back(source.cppName);
            files.insert(files.end(), pieces.toCompile.begin(), pieces.toCompile.end());
            project.cppFileList.insert(project.cppFileList.end(), files.begin(), files.end());
            project.translatedCount++;
        }
    }
    if (!failed.empty())
        dropReadersOfFailedSources(failed, filesOf);
    if (!driverSettings.cppOnly)
        compileCppFiles();
    if (driverSettings.verbose)
        std::printf("%d/%zu compiled\n", project.translatedCount, translations);
    return project.translatedCount;
}
