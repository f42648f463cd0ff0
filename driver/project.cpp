#include "driver/project.hpp"
#include "driver/native_build.hpp"
#include "translator/main_pieces.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "diagnostics/diagnostics.hpp"
#include "driver/build_stamp.hpp"
#include "driver/settings.hpp"
#include "driver/source_texts.hpp"
#include "driver/text_tools.hpp"
#include "driver/toolchain.hpp"
#include "translator/frame.hpp"

ProjectState project;

namespace {

constexpr const char *velmoraExtension = ".vel";

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string::size_type lastSeparator(const std::string &path) {
    return path.find_last_of("/\\");
}

// True when the text from the last "." on is ".vel" in any letter case.
bool endsInVelmoraExtension(const std::string &name) {
    std::string::size_type dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4)
        return false;
    for (int i = 0; i < 4; i++) {
        if (std::tolower(static_cast<unsigned char>(name[dot + i])) != velmoraExtension[i])
            return false;
    }
    return true;
}

// A source velc can read as text: a regular file it may open. A folder
// opens for reading as well, and would be translated as an empty source, so
// each other case ends the run with its own reason before anything is
// translated.
// The generated C++ includes each source's header by a quoted name, which
// cannot hold a double quote or a line end: such a source is refused
// before anything is written.
void requireUsableName(const std::string &path) {
    for (char c : path)
        if (c == '"' || static_cast<unsigned char>(c) < 32)
            fatalMessage(path + ": a source name cannot hold a double quote or a control character; rename the "
                                "file. Compilation aborted.");
}

void requireReadableSource(const std::string &path) {
    if (hasUnsavedText(path))
        return;
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        // A name longer than the system takes names no file either.
        if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG)
            fatalMessage(path + " not found. Compilation aborted.");
        fatalMessage(path + " cannot be read: " + std::strerror(errno) + ". Compilation aborted.");
    }
    if (S_ISDIR(status.st_mode))
        fatalMessage(path + " is a folder, not a source file. Compilation aborted.");
    if (!S_ISREG(status.st_mode))
        fatalMessage(path + " is not a regular file. Compilation aborted.");
    std::FILE *file = std::fopen(path.c_str(), "r");
    if (!file)
        fatalMessage(path + " cannot be read: " + std::strerror(errno) + ". Compilation aborted.");
    std::fclose(file);
}

// The pieces the source's header records.
std::vector<std::string> recordedPieces(const ProgramSource &source) {
    std::vector<std::string> pieces;
    int count = recordedPieceCount(source.headerPath);
    for (int number = 1; number <= count; number++)
        pieces.push_back(pieceCppName(source.cppName, number));
    return pieces;
}

// The oldest time among the outputs a later run relies on: the C++ file and
// the header, and the object unless only C++ is produced. 0 when one is
// missing or its time cannot be read, and when the object is older than the
// C++ file it is compiled from (a run with -c, or one that stopped before
// the compile, translated the source again).
FileTime oldestOutputTime(const ProgramSource &source) {
    FileTime cppTime = 0, headerTime = 0, objectTime = 0;
    if (!fileTime(source.cppName, cppTime) || !fileTime(source.headerPath, headerTime) ||
        cppTime == 0 || headerTime == 0)
        return 0;
    FileTime oldest = std::min(cppTime, headerTime);
    if (!driverSettings.cppOnly) {
        if (!fileTime(source.objectName, objectTime) || objectTime < cppTime)
            return 0;
        oldest = std::min(oldest, objectTime);
    }
    // The pieces of a main compiled in pieces are outputs like the others.
    for (const std::string &piece : recordedPieces(source)) {
        FileTime pieceTime = 0, pieceObjectTime = 0;
        if (!fileTime(piece, pieceTime) || pieceTime == 0)
            return 0;
        oldest = std::min(oldest, pieceTime);
        if (driverSettings.cppOnly)
            continue;
        if (!fileTime(objectFileFor(piece), pieceObjectTime) || pieceObjectTime < pieceTime)
            return 0;
        oldest = std::min(oldest, pieceObjectTime);
    }
    return oldest;
}

// Reads the entry's times; true when its outputs are not older than it.
bool recordTimes(ProjectEntry &entry, const ProgramSource &source) {
    FileTime sourceTime = 0;
    entry.sourceTime = fileTime(source.path, sourceTime) ? sourceTime : 0;
    entry.outputTime = oldestOutputTime(source);
    return entry.sourceTime != 0 && entry.outputTime != 0 && entry.outputTime >= entry.sourceTime;
}

// Outputs made by another velc, libvel or tool chain are not trusted.
bool outputsUpToDate(ProjectEntry &entry, const ProgramSource &source) {
    return recordTimes(entry, source) && recordedStamp(source.headerPath) == project.buildStamp;
}

// Where a comment that hides include lines from the scan stands.
enum class ScanComment { none, block, angle };

// The state after a closing pair: another comment may open in the rest of the line.
ScanComment stateAfterClosing(const std::string &rest) {
    std::string::size_type block = rest.find("/*");
    std::string::size_type angle = rest.find("<-");
    if (block == std::string::npos && angle == std::string::npos)
        return ScanComment::none;
    return block < angle ? ScanComment::block : ScanComment::angle;
}

// Decides whether a trimmed line may hold an include, updating the state.
bool lineMayInclude(const std::string &line, ScanComment &state) {
    std::string::size_type searchFrom = 0;
    if (state == ScanComment::none) {
        if (line[0] == '#' || line.compare(0, 2, "//") == 0)
            return false;
        if (line.compare(0, 2, "/*") == 0)
            state = ScanComment::block;
        else if (line.compare(0, 2, "<-") == 0)
            state = ScanComment::angle;
        else
            return true;
        searchFrom = 2;
    }
    const char *closing = state == ScanComment::block ? "*/" : "->";
    std::string::size_type end = line.find(closing, searchFrom);
    if (end != std::string::npos)
        state = stateAfterClosing(line.substr(end + 2));
    return false;
}

}  // namespace

std::string::size_type afterIncludeWord(const std::string &line) {
    std::string::size_type word = line.find_first_not_of(" \t");
    if (word == std::string::npos || line.compare(word, 7, "include") != 0)
        return std::string::npos;
    std::string::size_type after = word + 7;
    if (after < line.size()) {
        unsigned char next = static_cast<unsigned char>(line[after]);
        if (std::isalnum(next) || next == '_')
            return std::string::npos;
    }
    return after;
}

namespace {

void followIncludes(std::istream &source, int entry) {
    ScanComment state = ScanComment::none;
    std::string line;
    while (std::getline(source, line)) {
        line = trimRight(line);
        if (line.size() < 2 || !lineMayInclude(line, state) || line.size() < 7)
            continue;
        std::string::size_type after = afterIncludeWord(line);
        if (after == std::string::npos)
            continue;
        std::string name = includeName(line, after);
        if (name.empty())
            continue;
        if (driverSettings.verbose)
            std::printf("included: %s\n", name.c_str());
        int included = findSource(sourceIdentity(includedSourcePath(name)));
        if (included == -1)
            included = scanSource(name, false);
        addInclude(entry, included, name);
    }
}

}  // namespace

void resetProject() {
    project = ProjectState();
    project.entries.emplace_back();
}

void resetDriverState() {
    driverSettings = DriverSettings();
    toolchainSettings = ToolchainSettings();
    diagnostics = DiagnosticsState();
    diagnostics.lineCounter = 1;
    currentSink().errorCount = 0;
    resetProject();
}

bool isAbsolutePath(const std::string &path) {
    return (!path.empty() && isSeparator(path[0])) || (path.size() > 1 && path[1] == ':');
}

bool fileTime(const std::string &path, FileTime &time) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    time = static_cast<FileTime>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
    return true;
}

ProgramSource describeSource(const std::string &name, bool isMain) {
    ProgramSource names;
    names.isMain = isMain;
    std::string &source = names.path;
    source = name;
    if (endsInVelmoraExtension(source)) {
        names.baseName = source.substr(0, source.rfind('.'));
    } else {
        names.baseName = source;
        source += velmoraExtension;
    }
    std::string::size_type separator = lastSeparator(names.baseName);
    names.fileName =
        separator == std::string::npos ? names.baseName : names.baseName.substr(separator + 1);
    names.baseDirectory = !isMain                       ? project.baseDirectory
                          : separator == std::string::npos ? ""
                                                           : names.baseName.substr(0, separator);
    names.cppName = names.baseName + cppExtension;
    names.objectName = names.baseName + toolchainSettings.extension;
    names.headerInclude =
        (isAbsolutePath(names.baseName) ? names.baseName : names.fileName) + headerExtension;
    names.headerPath = names.baseName + headerExtension;
    if (!isMain && !names.baseDirectory.empty() && !isAbsolutePath(source)) {
        std::string prefix = names.baseDirectory + "/";
        names.headerPath = prefix + names.headerPath;
        names.cppName = prefix + names.cppName;
        names.objectName = prefix + names.objectName;
        source = prefix + source;
    }
    requireUsableName(source);
    requireReadableSource(source);
    return names;
}

int scanSource(const std::string &name, bool isMain) {
    if (driverSettings.verbose)
        std::printf("Analyzing %s\n", name.c_str());
    ProgramSource source = describeSource(name, isMain);
    if (isMain)
        project.baseDirectory = source.baseDirectory;
    project.lastDescribedBaseName = source.baseName;
    const std::string &path = source.path;
    int entry = findOrAddSource(name, sourceIdentity(path));
    if (isMain)
        project.entries[entry].isMain = true;
    addObjectName(source.objectName);
    project.sourceObjectNames.push_back(source.objectName);
    project.sourceObjectSet.insert(source.objectName);
    for (const std::string &piece : recordedPieces(source)) {
        addObjectName(objectFileFor(piece));
        project.piecedSourceObjects.insert(source.objectName);
    }
    if (!driverSettings.rebuildAll) {
        if (outputsUpToDate(project.entries[entry], source)) {
            project.entries[entry].done = true;
            project.entries[entry].outputRole = recordedRole(source.headerPath);
        } else
            driverSettings.incremental = false;
    }
    try {
        std::unique_ptr<std::istream> file = openSource(path);
        if (!file)
            requireReadableSource(path);
        std::ostringstream contents;
        contents << file->rdbuf();
        project.entries[entry].contentDigest = textDigest(contents.str());
        project.entries[entry].recordedDigest = recordedSourceDigest(source.headerPath);
        std::istringstream text(contents.str());
        followIncludes(text, entry);
    } catch (const std::exception &e) {
        std::printf("Exception in vel: %s\n", e.what());
    }
    return entry;
}

void addObjectName(const std::string &name) {
    if (!project.objectNameSet.insert(name).second)
        return;
    project.objectNames.push_back(name);
    project.objectList += " " + name;
}

namespace {

bool isSourceObject(const std::string &name) {
    return project.sourceObjectSet.count(name) > 0;
}

// Whether name is the object of some piece of the source: the object of
// piece 1 with other digits in place of the 1, and no source's own (an
// included prog.1.vel keeps the main source whole, and its object).
bool isPieceObject(const ProgramSource &source, const std::string &name) {
    if (isSourceObject(name))
        return false;
    std::string first = objectFileFor(pieceCppName(source.cppName, 1));
    std::string::size_type digit = first.size() - toolchainSettings.extension.size() - 1;
    std::string::size_type tail = first.size() - digit - 1;
    if (name.size() <= digit + tail || name.compare(0, digit, first, 0, digit) != 0 ||
        name.compare(name.size() - tail, tail, first, digit + 1, tail) != 0)
        return false;
    std::string number = name.substr(digit, name.size() - digit - tail);
    return number.find_first_not_of("0123456789") == std::string::npos && number[0] != '0';
}

}  // namespace

void replacePieceObjects(const ProgramSource &source, const std::vector<std::string> &pieces) {
    // Only a source with pieces, now or before, has anything to replace:
    // the list is rebuilt for it alone, not after every source of the program.
    if (pieces.empty() && project.piecedSourceObjects.count(source.objectName) == 0)
        return;
    if (pieces.empty())
        project.piecedSourceObjects.erase(source.objectName);
    else
        project.piecedSourceObjects.insert(source.objectName);
    std::vector<std::string> names;
    for (const std::string &name : project.objectNames) {
        if (isPieceObject(source, name))
            continue;
        names.push_back(name);
        if (name == source.objectName)
            for (const std::string &piece : pieces)
                names.push_back(objectFileFor(piece));
    }
    project.objectNames.clear();
    project.objectNameSet.clear();
    project.objectList.clear();
    for (const std::string &name : names)
        addObjectName(name);
}

std::string includeName(const std::string &line, std::string::size_type position) {
    std::string rest = position < line.size() ? line.substr(position) : "";
    std::string::size_type bound = rest.find(';');
    if (bound == std::string::npos)
        bound = rest.size();
    std::string::size_type start = rest.find_first_not_of(" \t");
    if (start == std::string::npos || start >= bound)
        return "";
    std::string::size_type end;
    if (rest[start] == '"' || rest[start] == '\'') {
        // A quoted name runs to its closing quote, blanks included.
        char quote = rest[start++];
        end = rest.find(quote, start);
        if (end == std::string::npos || end > bound)
            end = bound;
        // A quote kept in the name by a backslash would end up in the
        // generated C++'s quoted names: said of the whole name written.
        if (end < bound && end > start && rest[end - 1] == '\\' && quote == '"') {
            std::string::size_type last = rest.rfind(quote, bound - 1);
            fatalMessage(rest.substr(start, (last > end ? last : end + 1) - start) +
                         ": a source name cannot hold a double quote or a control character; rename the file. "
                         "Compilation aborted.");
        }
    } else {
        end = start;
        while (end < bound && std::string("\n\r \t\"'").find(rest[end]) == std::string::npos)
            end++;
    }
    std::string name = rest.substr(start, end - start);
    // An empty name is text that merely mentions the word, not an include.
    if (name.empty() || name[0] == '(' || name[0] == '_')
        return "";
    // A name without quotes ends at a blank or a quote: "include my lib.vel"
    // would look for "my". Said as it is, before the scan looks for the
    // wrong file.
    std::string whole = rest.substr(start, bound - start);
    whole.erase(whole.find_last_not_of(" \t\r") + 1);
    if (rest[start] != '"' && rest[start] != '\'' && end < bound && !hasVelmoraExtension(name) &&
        hasVelmoraExtension(whole) && whole.find('"') == std::string::npos)
        fatalMessage(whole + ": a source name with a blank or a quote is written in quotes: include \"" + whole +
                     "\". Compilation aborted.");
    if (!hasVelmoraExtension(rest)) {
        if (driverSettings.verbose)
            std::printf("%s not velmora, skipped\n", rest.c_str());
        return "";
    }
    std::string path = resolveIncludePath(name);
    requireReadableSource(path);
    return name;
}

bool hasVelmoraExtension(const std::string &text) {
    std::string::size_type end = text.size();
    if (end < 5)
        return false;
    if (text[end - 1] == '\'' || text[end - 1] == '"') {
        if (end < 6)
            return false;
        end--;
    }
    for (int i = 0; i < 4; i++) {
        if ((text[end - 4 + i] | 0x20) != (velmoraExtension[i] | 0x20))
            return false;
    }
    return true;
}

std::string resolveIncludePath(const std::string &name) {
    // The same rule as describeSource, so the file checked is the file translated.
    const std::string &directory = project.baseDirectory;
    if (directory.empty() || isAbsolutePath(name))
        return name;
    return directory + "/" + name;
}

std::string includedSourcePath(const std::string &name) {
    return resolveIncludePath(endsInVelmoraExtension(name) ? name : name + velmoraExtension);
}

std::string sourceIdentity(const std::string &path) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::canonical(path, error);
    if (error)
        return std::filesystem::path(path).lexically_normal().string();
    return canonical.string();
}

int findSource(const std::string &identity) {
    auto found = project.entryByIdentity.find(identity);
    return found == project.entryByIdentity.end() ? -1 : found->second;
}

int findOrAddSource(const std::string &name, const std::string &identity) {
    if (project.entries.empty())
        resetProject();
    int found = findSource(identity);
    if (found != -1)
        return found;
    ProjectEntry entry;
    entry.name = name;
    entry.identity = identity;
    project.entries.push_back(entry);
    int index = static_cast<int>(project.entries.size()) - 1;
    project.entryByIdentity.emplace(entry.identity, index);
    return index;
}

void addInclude(int entry, int included, const std::string &name) {
    project.entries[entry].includes.push_back(included);
    project.entries[entry].includeEdges.emplace_back(included, name);
    project.entries[entry].pendingCount++;
}

void findIncludeCycles() {
    // Tarjan's strongly connected components, without recursion: a long
    // chain of includes must not exhaust the stack.
    const int count = static_cast<int>(project.entries.size());
    std::vector<int> order(count, -1), lowest(count, 0), stack;
    std::vector<bool> onStack(count, false);
    int visited = 0, cycles = 0;
    struct Step { int entry; std::size_t next; };
    for (int root = 1; root < count; root++) {
        if (order[root] >= 0)
            continue;
        std::vector<Step> path{{root, 0}};
        order[root] = lowest[root] = visited++;
        stack.push_back(root);
        onStack[root] = true;
        while (!path.empty()) {
            Step &step = path.back();
            const std::vector<int> &includes = project.entries[step.entry].includes;
            if (step.next < includes.size()) {
                int included = includes[step.next++];
                if (included <= 0)
                    continue;
                if (order[included] < 0) {
                    order[included] = lowest[included] = visited++;
                    stack.push_back(included);
                    onStack[included] = true;
                    path.push_back({included, 0});
                } else if (onStack[included]) {
                    lowest[step.entry] = std::min(lowest[step.entry], order[included]);
                }
                continue;
            }
            int entry = step.entry;
            path.pop_back();
            if (!path.empty())
                lowest[path.back().entry] = std::min(lowest[path.back().entry], lowest[entry]);
            if (lowest[entry] != order[entry])
                continue;
            cycles++;
            int member;
            do {
                member = stack.back();
                stack.pop_back();
                onStack[member] = false;
                project.entries[member].cycle = cycles;
            } while (member != entry);
        }
    }
    project.cycleMembers.assign(static_cast<std::size_t>(cycles) + 1, {});
    project.includers.assign(static_cast<std::size_t>(count), {});
    for (int i = 1; i < count; i++) {
        project.cycleMembers[static_cast<std::size_t>(project.entries[i].cycle)].push_back(i);
        const std::vector<int> &includes = project.entries[i].includes;
        for (std::size_t place = 0; place < includes.size(); place++) {
            int included = includes[place];
            if (included > 0 && (project.includers[included].empty() || project.includers[included].back().first != i))
                project.includers[included].push_back({i, place});
        }
    }
    project.firstOpenCycle = 1;
}

const std::vector<int> &membersOfCycle(int cycle) {
    static const std::vector<int> none;
    return cycle > 0 && static_cast<std::size_t>(cycle) < project.cycleMembers.size()
               ? project.cycleMembers[static_cast<std::size_t>(cycle)]
               : none;
}

int nextPending() {
    // Cycles are numbered included ones first: the unfinished cycle of the
    // smallest number waits for nothing outside itself. Sources are only
    // ever marked done here, so the cycles before it stay done.
    const std::vector<std::vector<int>> &cycles = project.cycleMembers;
    auto allDone = [](const std::vector<int> &members) {
        return std::all_of(members.begin(), members.end(), [](int i) { return project.entries[i].done; });
    };
    while (static_cast<std::size_t>(project.firstOpenCycle) < cycles.size() &&
           allDone(cycles[static_cast<std::size_t>(project.firstOpenCycle)]))
        project.firstOpenCycle++;
    if (static_cast<std::size_t>(project.firstOpenCycle) >= cycles.size())
        return -1;
    int fewest = -1;
    for (int i : cycles[static_cast<std::size_t>(project.firstOpenCycle)]) {
        const ProjectEntry &entry = project.entries[i];
        if (entry.done)
            continue;
        if (entry.pendingCount == 0)
            return i;
        // A cycle begins at the source of it that waits for the fewest
        // includes, the one met first on a tie.
        if (fewest < 0 || entry.pendingCount < project.entries[fewest].pendingCount)
            fewest = i;
    }
    return fewest;
}

void resolveIncluded(int index) {
    if (index <= 0 || static_cast<std::size_t>(index) >= project.includers.size())
        return;
    // Only the first include of it is struck: a source included twice by
    // one file keeps one pending include until the cycle rule picks it.
    for (const auto &[i, place] : project.includers[static_cast<std::size_t>(index)]) {
        ProjectEntry &entry = project.entries[i];
        if (entry.done)
            continue;
        if (place < entry.includes.size() && entry.includes[place] == index) {
            entry.includes[place] = 0;
            entry.pendingCount--;
            continue;
        }
        for (int &included : entry.includes) {
            if (included == index) {
                included = 0;
                entry.pendingCount--;
                break;
            }
        }
    }
}

void markIncludersPending() {
    // Every source that includes a pending one, directly or not, is pending.
    std::vector<std::vector<int>> includers(project.entries.size());
    std::vector<int> toVisit;
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        for (int included : project.entries[i].includes)
            if (included > 0)
                includers[static_cast<std::size_t>(included)].push_back(static_cast<int>(i));
        if (!project.entries[i].done)
            toVisit.push_back(static_cast<int>(i));
    }
    while (!toVisit.empty()) {
        int pending = toVisit.back();
        toVisit.pop_back();
        for (int includer : includers[static_cast<std::size_t>(pending)]) {
            if (project.entries[includer].done) {
                project.entries[includer].done = false;
                toVisit.push_back(includer);
            }
        }
    }
}

void markOlderThanIncludesPending() {
    // newest[i]: the newest source time among entry i and what it includes,
    // directly or not; include cycles settle when nothing grows any more.
    std::vector<FileTime> newest(project.entries.size(), 0);
    for (std::size_t i = 1; i < project.entries.size(); i++)
        newest[i] = project.entries[i].sourceTime;
    // The scan lists a source before what it includes, so that going from
    // the last to the first settles all but cycles and shared includes met
    // earlier in one round, where the list order would take one per level.
    bool changed = true;
    while (changed) {
        changed = false;
        for (std::size_t i = project.entries.size(); i-- > 1;) {
            for (int included : project.entries[i].includes) {
                if (included > 0 && newest[included] > newest[i]) {
                    newest[i] = newest[included];
                    changed = true;
                }
            }
        }
    }
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        ProjectEntry &entry = project.entries[i];
        if (entry.done && newest[i] > entry.outputTime) {
            entry.done = false;
            driverSettings.incremental = false;
        }
    }
}

void markIncludedForDeclarations() {
    std::vector<int> toVisit;
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        if (!project.entries[i].done)
            toVisit.push_back(static_cast<int>(i));
    }
    while (!toVisit.empty()) {
        int index = toVisit.back();
        toVisit.pop_back();
        for (int included : project.entries[index].includes) {
            ProjectEntry &entry = project.entries[included];
            if (included > 0 && entry.done) {
                entry.done = false;
                entry.declarationsOnly = true;
                toVisit.push_back(included);
            }
        }
    }
}

SourceRole roleOf(int index) {
    if (!project.entries[index].isMain)
        return SourceRole::included;
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        if (static_cast<int>(i) == index)
            continue;
        for (int included : project.entries[i].includes)
            if (included == index)
                return SourceRole::includedMain;
    }
    return SourceRole::program;
}

SourceRole recordedRole(const std::string &headerPath) {
    std::ifstream header(headerPath);
    std::string line;
    // The role follows "#pragma once".
    for (int lineNumber = 0; lineNumber < 2 && std::getline(header, line); lineNumber++) {
        for (SourceRole role : {SourceRole::included, SourceRole::includedMain, SourceRole::program})
            if (line == roleLine(role))
                return role;
    }
    return SourceRole::unrecorded;
}

void markRoleChangesPending() {
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        ProjectEntry &entry = project.entries[i];
        if (entry.done && entry.outputRole != SourceRole::unread &&
            entry.outputRole != roleOf(static_cast<int>(i))) {
            entry.done = false;
            driverSettings.incremental = false;
        }
    }
}

void computeSourceDigests() {
    // A cycle's digest is of its sources' contents and of the digests of the
    // cycles they include, in the order of the include lines: cycles are
    // numbered included ones first, so each is made once, from digests made
    // before it, and a change anywhere below a source changes its digest.
    findIncludeCycles();
    const std::size_t cycles = project.cycleMembers.size();
    std::vector<std::string> cycleDigest(cycles);
    std::vector<std::size_t> seenIn(cycles, 0);
    for (std::size_t cycle = 1; cycle < cycles; cycle++) {
        std::string contents;
        for (int member : project.cycleMembers[cycle])
            contents += project.entries[member].contentDigest;
        for (int member : project.cycleMembers[cycle]) {
            for (int included : project.entries[member].includes) {
                if (included <= 0)
                    continue;
                std::size_t below = static_cast<std::size_t>(project.entries[included].cycle);
                if (below == cycle || seenIn[below] == cycle)
                    continue;
                seenIn[below] = cycle;
                contents += cycleDigest[below];
            }
        }
        cycleDigest[cycle] = textDigest(contents);
    }
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        ProjectEntry &entry = project.entries[i];
        entry.sourceDigest = textDigest(entry.contentDigest + cycleDigest[static_cast<std::size_t>(entry.cycle)]);
    }
}

void markChangedContentPending() {
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        ProjectEntry &entry = project.entries[i];
        if (entry.done && entry.recordedDigest != entry.sourceDigest) {
            entry.done = false;
            driverSettings.incremental = false;
        }
    }
}

void markRelatedSourcesPending() {
    computeSourceDigests();
    if (driverSettings.rebuildAll)
        return;
    markChangedContentPending();
    markRoleChangesPending();
    markOlderThanIncludesPending();
    markIncludersPending();
    markIncludedForDeclarations();
}

void resolveUpToDateIncludes() {
    // Every include of an up-to-date source is struck, repeats too: a repeat
    // left pending would let the cycle rule translate the includer too early.
    for (std::size_t i = 1; i < project.entries.size(); i++) {
        ProjectEntry &entry = project.entries[i];
        if (entry.done)
            continue;
        for (int &included : entry.includes) {
            if (included > 0 && project.entries[included].done) {
                included = 0;
                entry.pendingCount--;
            }
        }
    }
}
