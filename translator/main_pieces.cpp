#include "translator/main_pieces.hpp"
#include "translator/translation_job.hpp"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>

#include "diagnostics/diagnostics.hpp"
#include "translator/frame.hpp"
#include "translator/output.hpp"
#include "translator/source_translation.hpp"

namespace {

const std::string pieceCountPrefix = "// velc pieces: ";

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
            std::string included = readEarlierOutput(path, found);
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

std::string preambleText() {
    return output().implementation.substr(0, output().preambleSize);
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
    const std::string &part = output().mainPieces[index];
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
    OutputText *saved = output().currentOutput;
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
    for (std::size_t end : output().functionEnds) {
        std::string::size_type to = std::min(end, text.size());
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
    if (output().mainPieces.empty() && countsOwnLines()) {
        switchToHeader();
        emit("extern const int " + pieceLinesTableName() + "[];\n");
        switchToImplementation();
    }
    output().mainPieces.emplace_back();
    OutputText *piece = &output().mainPieces.back();
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
        continueMappingOf(&output().mainPieces[i]);
    }
    discardMainPieces();
}

std::vector<std::string> finishMainPieces() {
    std::vector<std::string> pieces;
    if (!output().mainPieces.empty()) {
        std::string preamble = withoutComments(preambleText());
        std::string dependsLine = dependsPrefix + dependencyDigest(preamble, translatedSource().headerPath, output().header) + "\n";
        // The last piece keeps the table of first lines: a line inserted
        // before it then compiles the piece it went to and the last one, both
        // far smaller than the implementation file.
        for (size_t i = 0; i < output().mainPieces.size(); i++)
            pieces.push_back(preamble + dependsLine + pieceText(i) +
                             (i + 1 == output().mainPieces.size() ? pieceLinesTable() : ""));
        for (const std::string &functions : functionPieceTexts())
            pieces.push_back(preamble + dependsLine + functions);
        output().header += pieceCountLine(static_cast<int>(pieces.size())) + "\n";
    } else {
        writePieceLinesTable();
    }
    discardMainPieces();
    return pieces;
}

void noteFunctionEnd() {
    if (output().splitMain && output().currentOutput == output().functionsFile)
        output().functionEnds.push_back(output().functionsFile->size());
}

void keepFunctionsForPieces() {
    output().functionsText = *output().functionsFile;
}

void discardMainPieces() {
    output().functionsText.clear();
    output().functionEnds.clear();
    output().mainPieces.clear();
    output().pieceLoops.clear();
    output().loopText.clear();
    output().loopFile = nullptr;
}

void beginTopLevelStatement(bool isLoop) {
    // The parts after the first are functions without locals, so that a
    // loop there reads and writes nothing but file-level variables. (The
    // first part is main, which holds the program's arguments.)
    if (!isLoop || output().mainPieces.empty() || output().loopFile || output().writingHeader)
        return;
    output().loopText.clear();
    OutputText *loop = output().loopFile = &output().loopText;
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
    loops.functions += output().loopText;
    output().loopText.clear();
    output().loopFile = nullptr;
    output().currentOutput = output().savedImplementation = &output().mainPieces.back();
    emitIndented(output().loopName + "();\n");
}

void noteLoopInMain() {
    if (!output().mainPieces.empty() && !output().loopFile && output().currentOutput == &output().mainPieces.back())
        output().pieceLoops.back().loopInPart = true;
}

std::string readEarlierOutput(const std::string &path, bool &found) {
    std::ifstream file(path, std::ios::binary);
    found = static_cast<bool>(file);
    std::ostringstream text;
    if (found)
        text << file.rdbuf();
    return text.str();
}
