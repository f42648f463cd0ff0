#include "translator/main_pieces.hpp"
#include "translator/translation_job.hpp"

#include <sys/stat.h>
#include <fcntl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "diagnostics/diagnostics.hpp"
#include "translator/frame.hpp"
#include "translator/output.hpp"
#include "translator/source_translation.hpp"

namespace {

TranslatedPieces &lastPieces() { return translation().pieces; }

const std::string pieceCountPrefix = "// velc pieces: ";

std::string readFile(const std::string &path, bool &found) {
    std::ifstream file(path, std::ios::binary);
    found = static_cast<bool>(file);
    std::ostringstream text;
    if (found)
        text << file.rdbuf();
    return text.str();
}

std::string textOf(FILE *file) {
    std::string text;
    std::fflush(file);
    std::rewind(file);
    char buffer[8192];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    return text;
}

std::string directoryOf(const std::string &path) {
    std::string::size_type separator = path.find_last_of("/\\");
    return separator == std::string::npos ? "" : path.substr(0, separator + 1);
}

// A header without the line of its source's digest: an edit that leaves
// the header's declarations alone does not make every piece stale.
std::string withoutSourceDigest(const std::string &header) {
    const std::string prefix = "\n" + sourceDigestLine("");
    std::string::size_type at = header.find(prefix);
    if (at == std::string::npos)
        return header;
    std::string::size_type end = header.find('\n', at + 1);
    return header.substr(0, at) + (end == std::string::npos ? "" : header.substr(end));
}

// The files a text includes by a quoted name, as the compiler finds them:
// beside the including file first, then in the directory of the run (-I.).
void addQuotedIncludes(const std::string &text, const std::string &directory, std::set<std::string> &seen,
                       std::string &contents) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.compare(0, 10, "#include \"") != 0)
            continue;
        std::string::size_type close = line.find('"', 10);
        if (close == std::string::npos)
            continue;
        std::string name = line.substr(10, close - 10);
        for (const std::string &path : {directory + name, name}) {
            bool found = false;
            std::string included = readFile(path, found);
            if (!found)
                continue;
            if (seen.insert(path).second) {
                contents += "\n//" + path + "\n" + withoutSourceDigest(included);
                addQuotedIncludes(included, directoryOf(path), seen, contents);
            }
            break;
        }
    }
}

// What every piece's object depends on besides its own text: the header and
// each file it or the preamble includes by a quoted name (the headers of
// included sources, the configured headers). The header records the stamp
// of velc, libvel and the tool chain. Written into each piece, so that a
// piece whose text is unchanged is one whose object is still good.
std::string dependencyDigest(const std::string &preamble, const std::string &headerPath, const std::string &header) {
    std::set<std::string> seen{headerPath};
    std::string contents = withoutSourceDigest(header);
    addQuotedIncludes(preamble, "", seen, contents);
    addQuotedIncludes(header, directoryOf(headerPath), seen, contents);
    return textDigest(contents);
}

bool sameTime(const std::string &path) {
    return utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0;
}

std::string objectOf(const std::string &cppFile) {
    return cppFile.substr(0, cppFile.rfind('.')) + translatedSource().objectExtension;
}

bool objectIsCurrent(const std::string &cppFile) {
    struct stat cpp, object;
    if (stat(cppFile.c_str(), &cpp) != 0 || stat(objectOf(cppFile).c_str(), &object) != 0)
        return false;
    if (object.st_mtim.tv_sec != cpp.st_mtim.tv_sec)
        return object.st_mtim.tv_sec > cpp.st_mtim.tv_sec;
    return object.st_mtim.tv_nsec >= cpp.st_mtim.tv_nsec;
}

void writeWhole(const std::string &path, const std::string &text) {
    std::string partial = partialOutputName(path);
    FILE *file = std::fopen(partial.c_str(), "wb");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int cause = errno;
    if (file && std::fclose(file) != 0 && written) {
        written = false;
        cause = errno;
    }
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) {
        if (written)
            cause = errno;
        std::remove(partial.c_str());
        throw OutputWriteError("Cannot write " + path + ": " + std::strerror(cause != 0 ? cause : EIO));
    }
}

// The file at path holds the same text as the partial one, and its object
// was compiled from it: both get the time of this run.
bool keptUnchanged(const std::string &path, const std::string &text) {
    bool found = false;
    std::string existing = readFile(path, found);
    if (!found || existing != text || translatedSource().rebuildAll || !objectIsCurrent(path))
        return false;
    return sameTime(path) && sameTime(objectOf(path));
}

// A piece of the same text keeps its file, and its object when that was
// compiled from it; both then get the time of this run, as every output of
// a translated source does. A rebuild of everything compiles every piece.
void placePiece(const std::string &path, const std::string &text) {
    lastPieces().cppFiles.push_back(path);
    if (keptUnchanged(path, text))
        return;
    // The object of the text replaced must not pass for the new one's: with
    // file times of whole seconds it could look as new as the text.
    std::remove(objectOf(path).c_str());
    writeWhole(path, text);
    lastPieces().toCompile.push_back(path);
}

const std::string dependsPrefix = "// velc depends: ";

// A file of a piece's name that is not a piece is another source's output
// (prog.1.vel's prog.1.cpp), written in this run: it is left alone.
bool isAnotherSourcesOutput(const std::string &path) {
    bool found = false;
    std::string text = readFile(path, found);
    return found && text.find("\n" + dependsPrefix) == std::string::npos;
}

void removeLaterPieces(const std::string &cppName, int from, int to) {
    for (int number = from; number <= to; number++) {
        std::string piece = pieceCppName(cppName, number);
        if (isAnotherSourcesOutput(piece))
            continue;
        std::remove(piece.c_str());
        std::remove(objectOf(piece).c_str());
    }
}

// What the partial outputs hold so far.
std::string partialText(FILE *file, const std::string &path, long size) {
    std::fflush(file);
    bool found = false;
    std::string text = readFile(partialOutputName(path), found);
    return size >= 0 && static_cast<size_t>(size) < text.size() ? text.substr(0, static_cast<size_t>(size)) : text;
}

std::string preambleText() {
    return partialText(output().implementationFile, translatedSource().cppPath, output().preambleSize);
}

std::string headerText() {
    return partialText(output().headerFile, translatedSource().headerPath, -1);
}

// A piece repeats the preamble, so it may hold nothing that defines
// anything: includes, line directives, comments and blank lines.
bool onlyDirectives(const std::string &preamble) {
    std::istringstream lines(preamble);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#' && line.compare(0, 2, "//") != 0)
            return false;
    return true;
}

// The preamble as a piece repeats it: the comments of the source's header
// section are the implementation file's, so that rewriting one leaves the
// pieces alone.
std::string withoutComments(const std::string &preamble) {
    std::istringstream lines(preamble);
    std::string kept;
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, 2, "//") != 0)
            kept += line + "\n";
    return kept;
}

// A part that holds no loop runs once, so compiling it fully optimised buys
// nothing but compile time: clang (em++) compiles it without optimisation,
// other compilers as everything else.
const char *const runOnce = "#ifdef __clang__\n__attribute__((optnone))\n#endif\n";

// A piece's part, after its file-level variables and the declarations of
// its loops, and before the loops' definitions.
std::string pieceText(size_t index) {
    const PieceLoops &loops = output().pieceLoops[index];
    std::string part = textOf(output().mainPieces[index]);
    return loops.definitions + loops.prototypes + (loops.loopInPart ? "" : runOnce) + part + loops.functions;
}

bool countsOwnLines() {
    return translatedSource().piecesCountOwnLines && output().mapLines;
}

std::string pieceLinesTableName() {
    std::string name = "_vel_piece_lines_";
    for (char c : translatedSource().fileName)
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '_' ? c : '_';
    return name;
}

// The first line of each piece, which the piece's line directives count
// from: the only text that moves when a line is inserted before a piece.
std::string pieceLinesTable() {
    if (!countsOwnLines() || output().pieceFirstLines.empty())
        return "";
    std::string table = "\n// Where each piece of main starts in the source.\nconst int " + pieceLinesTableName() + "[] = {";
    for (size_t i = 0; i < output().pieceFirstLines.size(); i++)
        table += (i % 16 == 0 ? "\n    " : " ") + std::to_string(output().pieceFirstLines[i]) + ",";
    return table + "\n};\n";
}

// A main kept in one file keeps the table there too.
void writePieceLinesTable() {
    FILE *saved = output().currentOutput;
    output().currentOutput = output().implementationFile;
    emit(pieceLinesTable());
    output().currentOutput = saved;
}

// The text of the source lines [first, end), as the lexer read them.
std::string sourceLines(int first, int end) {
    std::vector<std::size_t> &starts = output().lineStarts;
    const std::string &text = *output().sourceText;
    if (starts.empty()) {
        starts.push_back(0);
        for (std::size_t i = 0; i < text.size(); i++)
            if (text[i] == '\n')
                starts.push_back(i + 1);
    }
    auto offset = [&](int line) {
        std::size_t index = static_cast<std::size_t>(std::max(line, 1) - 1);
        return index < starts.size() ? starts[index] : text.size();
    };
    std::size_t from = offset(first), to = std::max(from, offset(end));
    return text.substr(from, to - from);
}

std::uint64_t mixedHash(const std::string &text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    // FNV-1a leaves texts that differ in their last characters alike in
    // most bits ("n = n + 1", "n = n + 2"): mixed, every bit depends on all.
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53ULL;
    hash ^= hash >> 33;
    return hash;
}

bool marksCut(const std::string &statementText) {
    return mixedHash(statementText) % MAIN_PIECE_MARK_SPACING == 0;
}

// Whether a function's text marks a cut, by the text without its line
// directives (which a line inserted above changes); a longer function
// marks one more often.
bool functionMarksCut(const std::string &definition, long lines) {
    std::istringstream text(definition);
    std::string kept;
    for (std::string line; std::getline(text, line);)
        if (line.compare(0, 6, "#line ") != 0)
            kept += line + "\n";
    return static_cast<long>(mixedHash(kept) % FUNCTION_PIECE_LINES) < lines;
}

// The function definitions cut into the texts of their pieces.
std::vector<std::string> functionPieceTexts() {
    const std::string &text = output().functionsText;
    std::vector<std::string> pieces;
    std::string::size_type start = 0, from = 0;
    long sinceMark = 0, inPiece = 0;
    for (long end : output().functionEnds) {
        std::string::size_type to = std::min(static_cast<std::string::size_type>(end), text.size());
        std::string definition = text.substr(from, to - from);
        long lines = std::count(definition.begin(), definition.end(), '\n');
        bool mark = functionMarksCut(definition, lines);
        from = to;
        sinceMark += lines;
        inPiece += lines;
        if ((mark && sinceMark >= FUNCTION_PIECE_LINES / 4) || inPiece >= 4 * FUNCTION_PIECE_LINES) {
            pieces.push_back(text.substr(start, to - start));
            start = to;
            inPiece = 0;
        }
        if (mark)
            sinceMark = 0;
    }
    if (start < text.size())
        pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace

std::string pieceCppName(const std::string &cppName, int number) {
    std::string::size_type dot = cppName.rfind('.');
    std::string stem = dot == std::string::npos ? cppName : cppName.substr(0, dot);
    return stem + "." + std::to_string(number) + cppExtension;
}

std::string pieceCountLine(int count) {
    return pieceCountPrefix + std::to_string(count);
}

int recordedPieceCount(const std::string &headerPath) {
    std::ifstream header(headerPath, std::ios::binary);
    if (!header)
        return 0;
    // The count is the header's last line.
    header.seekg(0, std::ios::end);
    std::streamoff size = header.tellg();
    std::streamoff tail = std::min<std::streamoff>(size, 64);
    header.seekg(size - tail);
    std::string text(static_cast<size_t>(tail), '\0');
    header.read(&text[0], tail);
    std::string::size_type at = text.rfind(pieceCountPrefix);
    if (at == std::string::npos)
        return 0;
    std::string digits = text.substr(at + pieceCountPrefix.size());
    int count = 0;
    for (char c : digits) {
        if (c < '0' || c > '9' || count > 100000)
            break;
        count = count * 10 + (c - '0');
    }
    return count;
}

void beginMainPiece() {
    FILE *piece = std::tmpfile();
    if (!piece)
        throw OutputWriteError(std::string("Cannot write a temporary file: ") + std::strerror(errno));
    if (output().mainPieces.empty() && countsOwnLines()) {
        switchToHeader();
        emit("extern const int " + pieceLinesTableName() + "[];\n");
        switchToImplementation();
    }
    output().mainPieces.push_back(piece);
    output().pieceLoops.emplace_back();
    output().pieceFirstLines.push_back(diagnostics.lineCounter);
    // A piece's temporaries are its own functions' locals: numbered from
    // the piece's start, they do not depend on what the pieces before hold.
    sourceSemantics().run.emission.temporaryCounter = 0;
    output().currentOutput = output().savedImplementation = piece;
    startPieceMapping(piece);
}

std::string pieceEntry(int part) {
    if (!countsOwnLines())
        return "";
    return "    vel_piece_first_line = " + pieceLinesTableName() + "[" + std::to_string(part - 1) + "];\n";
}

void noteStatementEnd() {
    if (!output().splitMain || !output().sourceText)
        return;
    int first = output().statementFirstLine, end = diagnostics.lineCounter;
    output().statementFirstLine = end;
    // Whether a mark cuts depends on the statements since the mark before
    // it, not on where the part began: an edit moves only the cuts next to it.
    bool mark = marksCut(sourceLines(first, end));
    output().statementsSinceMark++;
    output().cutAfterStatement = mark && output().statementsSinceMark >= MAIN_PIECE_MARK_SPACING;
    if (mark)
        output().statementsSinceMark = 0;
}

void keepMainInOneFile() {
    output().mainKeptWhole = true;
}

void endMainPieces() {
    if (output().mainPieces.empty())
        return;
    output().currentOutput = output().savedImplementation = output().implementationFile;
    if (!output().mainKeptWhole && onlyDirectives(preambleText()))
        return;
    for (size_t i = 0; i < output().mainPieces.size(); i++) {
        emit(pieceText(i));
        continueMappingOf(output().mainPieces[i]);
    }
    discardMainPieces();
}

void writeMainPieces() {
    const std::string &cppName = translatedSource().cppPath, &headerPath = translatedSource().headerPath;
    int before = recordedPieceCount(headerPath);
    int number = 0;
    lastPieces().split = !output().mainPieces.empty();
    if (lastPieces().split) {
        std::string preamble = withoutComments(preambleText());
        std::string dependsLine = dependsPrefix + dependencyDigest(preamble, headerPath, headerText()) + "\n";
        // The last piece keeps the table of first lines: a line inserted
        // before it then compiles the piece it went to and the last one, both
        // far smaller than the implementation file.
        for (size_t i = 0; i < output().mainPieces.size(); i++)
            placePiece(pieceCppName(cppName, ++number), preamble + dependsLine + pieceText(i) +
                                                            (i + 1 == output().mainPieces.size() ? pieceLinesTable() : ""));
        for (const std::string &functions : functionPieceTexts())
            placePiece(pieceCppName(cppName, ++number), preamble + dependsLine + functions);
        FILE *saved = output().currentOutput;
        output().currentOutput = output().headerFile;
        emit(pieceCountLine(number) + "\n");
        output().currentOutput = saved;
    } else {
        writePieceLinesTable();
    }
    removeLaterPieces(cppName, number + 1, before);
    discardMainPieces();
}

bool placeImplementation(const std::string &partial, const std::string &path) {
    if (lastPieces().split) {
        bool found = false;
        if (keptUnchanged(path, readFile(partial, found)) && found) {
            lastPieces().implementationToCompile = false;
            std::remove(partial.c_str());
            return true;
        }
    }
    std::remove(objectOf(path).c_str());
    return std::rename(partial.c_str(), path.c_str()) == 0;
}

void noteFunctionEnd() {
    if (output().splitMain && output().currentOutput == output().functionsFile)
        output().functionEnds.push_back(std::ftell(output().functionsFile));
}

void keepFunctionsForPieces() {
    output().functionsText = textOf(output().functionsFile);
}

void discardMainPieces() {
    output().functionsText.clear();
    output().functionEnds.clear();
    for (FILE *piece : output().mainPieces)
        std::fclose(piece);
    output().mainPieces.clear();
    output().pieceLoops.clear();
    if (output().loopFile)
        std::fclose(output().loopFile);
    output().loopFile = nullptr;
}

void beginTopLevelStatement(bool isLoop) {
    // The parts after the first are functions without locals, so that a
    // loop there reads and writes nothing but file-level variables. (The
    // first part is main, which holds the program's arguments.)
    if (!isLoop || output().mainPieces.empty() || output().loopFile || output().writingHeader)
        return;
    FILE *loop = std::tmpfile();
    if (!loop)
        throw OutputWriteError(std::string("Cannot write a temporary file: ") + std::strerror(errno));
    output().loopFile = loop;
    // Numbered within the piece, so that the pieces before do not change it.
    output().loopName = "_vel_loop_" + std::to_string(output().mainPieces.size()) + "_" +
                        std::to_string(++output().pieceLoops.back().count);
    output().currentOutput = output().savedImplementation = loop;
    startLoopMapping(loop);
    emit("static void " + output().loopName + "()\n{\n");
}

void endTopLevelLoop() {
    if (!output().loopFile)
        return;
    emit("}\n");
    PieceLoops &loops = output().pieceLoops.back();
    loops.prototypes += "static void " + output().loopName + "();\n";
    loops.functions += textOf(output().loopFile);
    std::fclose(output().loopFile);
    output().loopFile = nullptr;
    output().currentOutput = output().savedImplementation = output().mainPieces.back();
    emitIndented(output().loopName + "();\n");
}

void noteLoopInMain() {
    if (!output().mainPieces.empty() && !output().loopFile && output().currentOutput == output().mainPieces.back())
        output().pieceLoops.back().loopInPart = true;
}
