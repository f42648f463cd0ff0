#include "translator/translator.hpp"
#include "translator/translation_job.hpp"
#include "translator/source_translation.hpp"
#include "translator/include_paths.hpp"
#include "translator/source_inits.hpp"
#include <sys/stat.h>
#include <unistd.h>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include "semantics/native_constants.hpp"
#include "semantics/symbols.hpp"
#include "prologue_text.hpp"

namespace {

bool endsWithNoCase(const std::string &text, const std::string &end) {
    if (text.size() < end.size())
        return false;
    for (size_t i = 0; i < end.size(); i++)
        if (tolower((unsigned char)text[text.size() - end.size() + i]) != tolower((unsigned char)end[i]))
            return false;
    return true;
}

// The function definitions follow everything else of the implementation.
void appendFunctions() {
    if (!output().functionsFile)
        return;
    OutputText *saved = output().currentOutput;
    output().currentOutput = output().implementationFile;
    if (!translatedSource().declarationsOnly && !output().mainPieces.empty()) {
        keepFunctionsForPieces();
    } else if (!translatedSource().declarationsOnly) {
        emit(*output().functionsFile);
        continueMappingOf(output().functionsFile);
    }
    output().currentOutput = saved;
    output().functionsFile = nullptr;
}

}  // namespace

std::string roleLine(SourceRole role) {
    switch (role) {
    case SourceRole::included: return "// velc: translated as an included source";
    case SourceRole::includedMain: return "// velc: translated as the main source, included by another source";
    case SourceRole::program: return "// velc: translated as the main source of the program";
    default: return "";
    }
}

std::string textDigest(const std::string &text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

std::string stampLine(const std::string &stamp) {
    return "// velc build stamp: " + stamp;
}

std::string sourceDigestLine(const std::string &digest) {
    return "// velc source digest: " + digest;
}

std::string partialOutputName(const std::string &path) {
    return path + "." + std::to_string(getpid()) + ".part";
}

std::string prologueText() {
    return generatedFilePrologue;
}

void beginSourceFile() {
    discardMainPieces();
    output().splitMain = translatedSource().splitMain && translatedSource().isMain && !translatedSource().declarationsOnly;
    output().implementationFile = &output().implementation;
    output().headerFile = &output().header;
    output().functionsFile = &output().functions;
    output().currentOutput = output().savedImplementation = output().implementationFile;
    if (translatedSource().mapLines && !translatedSource().declarationsOnly)
        beginLineMapping(translatedSource().sourceName, translatedSource().piecesCountOwnLines);
    // Headers include the headers of the sources they include, so that a
    // cycle of includes must not make the preprocessor loop.
    switchToHeader();
    emit("#pragma once\n" + roleLine(translatedSource().role) + "\n" + stampLine(translatedSource().buildStamp) + "\n" +
         sourceDigestLine(translatedSource().sourceDigest) + "\n");
    for (const std::string &name : translatedSource().classesAhead)
        emit("class " + name + ";\n");
    switchToImplementation();
    emit(prologueText());
    for (const std::string &header : translatedSource().headers)
        emit("#include \"" + header + "\"\n");
    emit("\n");
}

void writeOwnHeaderInclude() {
    OutputText *saved = output().currentOutput;
    output().currentOutput = output().implementationFile;
    emit("#include \"" + translatedSource().headerInclude + "\"\n\n");
    output().preambleSize = output().implementationFile->size();
    output().currentOutput = saved;
}

void endSourceFile() {
    if (!output().implementationFile)
        return;
    if (output().writingHeader)
        switchToImplementation();
    if (output().mainOpened) {
        if (translatedSource().isMain) {
            bool returned = callProgramMainIfUncalled();
            emit(output().mainParts == 0 && !returned ? "\nreturn 0;\n}\n" : "}\n");
        }
        output().mainOpened = false;
        output().indentLevel--;
    }
    endMainPieces();
    writeLateGlobals();
    if (definingFunction())
        closeFunctionDefinition();
    checkForwardCalls();
    appendFunctions();
    writeSourceInit();
    // Without line directives the table names no source and no line: its
    // calls still tell a cycle of functions by one name.
    emit(functionPlacesTable(translatedSource().mapLines ? output().mappedSourceName : ""));
    if (translatedSource().isMain)
        writeMainForProgramFunction();
    std::vector<std::string> pieces;
    if (!translatedSource().declarationsOnly)
        pieces = finishMainPieces();
    output().currentOutput = output().savedImplementation = nullptr;
    output().implementationFile = output().headerFile = nullptr;
    // A source read for its declarations leaves no text at all.
    if (translatedSource().declarationsOnly)
        return;
    TranslatedTexts &texts = translation().texts;
    texts.pieces = std::move(pieces);
    // A class body that calls functions defined after it gets their
    // prototypes ahead of it, known only once the whole source is read.
    texts.header = needsEarlyPrototypes() ? headerWithEarlyPrototypes(output().header) : std::move(output().header);
    texts.implementation = std::move(output().implementation);
}

void endSourceFileAfterFailure() {
    try {
        endSourceFile();
    } catch (...) {
        // What the end could not finish is dropped.
        output().currentOutput = output().savedImplementation = nullptr;
        output().implementationFile = output().headerFile = output().functionsFile = nullptr;
        throw;
    }
}

void lineEnd() {
    countLineEnd();
    newlineOnce();
}

void writeComment(const std::string &tokenText) {
    emit("//" + tokenText.substr(1));
    countLineEnd();
}

namespace {

// The extensions of the C and C++ files an include may name beside the
// sources: headers, and the sources some libraries are included as.
bool namesCppHeader(const std::string &name) {
    for (const char *extension : {".h", ".hh", ".hpp", ".hxx", ".h++", ".inl", ".ipp", ".tpp", ".tcc", ".inc",
                                  ".c", ".cc", ".cpp", ".cxx", ".c++"})
        if (endsWithNoCase(name, extension) && name.size() > std::strlen(extension) &&
            name[name.size() - std::strlen(extension) - 1] != '/')
            return true;
    return false;
}

// Where the sources of the program are looked for: the main source's folder.
std::string sourceFolderPath(const std::string &name) {
    if (name.empty() || name[0] == '/' || name[0] == '.' || (name.size() > 1 && name[1] == ':'))
        return name;
    std::string::size_type separator = translatedSource().sourceName.find_last_of("/\\");
    return separator == std::string::npos ? name : translatedSource().sourceName.substr(0, separator + 1) + name;
}

// An include that is no source goes to the C++ compiler as a header: one
// that names nothing, a folder or a file that is no header is refused here,
// at its line, rather than by the compiler.
void checkHeaderInclude(const std::string &name) {
    const char *problem = nullptr;
    struct stat status;
    if (name.empty())
        problem = "an include names a source file, as in include \"lib.vel\"";
    else if (name.back() == '/' || name.back() == '\\' ||
             (stat(sourceFolderPath(name).c_str(), &status) == 0 && S_ISDIR(status.st_mode)))
        problem = "this names a folder: an include names a source file in it, as in include \"lib.vel\"";
    else if (!namesCppHeader(name))
        problem = "an included source ends in .vel (a C++ header in .h or .hpp)";
    if (problem)
        reportNamed(E_CANNOT_BE_USED, name, problem);
}

}  // namespace

void beginInclude() {
    output().blankLines = 0;
}

void includeQuoted(const std::string &literal) {
    std::string name = literal.substr(1, literal.size() >= 2 ? literal.size() - 2 : 0);
    if (!endsWithNoCase(name, ".vel")) {
        checkHeaderInclude(name);
        emit("#include \"" + name + "\"\n");
        return;
    }
    noteIncludedSource(name);
    // The main source's own path names its folder, which every include
    // line names sources from.
    const std::string from = translatedSource().isMain ? "" : translatedSource().baseName;
    std::string header = headerSeenFrom(from, name.substr(0, name.size() - 4) + ".hpp");
    const auto &known = translatedSource().includedHeaders;
    auto found = known.find(name);
    if (found == known.end()) {
        emit("#include \"" + header + "\"\n");
    } else {
        // Each header once, the ones it needs before it.
        for (const std::string &needed : found->second.inOrder)
            if (output().includedHeaders.insert(needed).second)
                emit("#include \"" + headerSeenFrom(from, needed) + "\"\n");
        if (found->second.sameCycle)
            return;
    }
    // What an included source declares is visible to every source that
    // includes this one, as it is to the translator.
    switchToHeader();
    emit("#include \"" + header + "\"\n");
    switchToImplementation();
}

void includeAngle(const std::string &path) {
    emit("#include <" + path + ">\n");
}

void beginImport() {
    switchToHeader();
    output().inImport = true;
}

void endImport() {
    output().importSeen = true;
    switchToImplementation();
}

void openMainIfNeeded() {
    if (output().mainOpened) {
        continueMainIfLong();
        return;
    }
    if (!translatedSource().isMain) {
        // Only the main source has a main to run statements in, and C++
        // takes no statement at file level.
        reportError(E_STATEMENT_OUTSIDE_FUNCTION);
        return;
    }
    emit("int main(");
    output().indentLevel++;
    // An array named argv holds the program's arguments; a variable of
    // another type is the program's own and keeps its value.
    int argv = findExact(symbolTable().globals, "argv");
    if (argv >= 0 && symbolTable().globals[argv]->type() != T_ARRAY)
        argv = -1;
    if (argv >= 0) {
        emit("int argc, char *_A_1[])\n{\n velarray argv(_A_1);");
        output().mainHasArgv = true;
        // main fills argv with the program's arguments.
        symbolTable().globals[argv]->flags |= SYMBOL_ASSIGNED;
    } else
        emit(")\n{");
    emit("\n");
    writeMainStart(true);
    output().blankLines = 1;
    output().mainOpened = true;
    output().mainWritten = true;
    // A split main holds no statement of its own: every one goes to a
    // piece, where loops become functions and the rest compiles quickly.
    if (output().splitMain && translatedSource().isMain && !output().writingHeader)
        continueMain();
}

namespace {

// Parts are named after the source so that sources never share one.
std::string mainPartName(int part) {
    std::string name = "_vel_main_";
    for (char c : translatedSource().fileName)
        name += (isalnum((unsigned char)c) || c == '_') ? c : '_';
    return name + "_" + std::to_string(part);
}

}  // namespace

void endTopLevelStatement() {
    endTopLevelLoop();
    output().topLevelItemsSeen = true;
    if (output().mainOpened)
        output().mainPartStatements++;
    noteStatementEnd();
}

namespace {

bool mainPartIsFull() {
    int held = output().mainPartStatements;
    if (!output().splitMain)
        return held >= MAIN_PART_STATEMENTS;
    return held >= MAIN_PIECE_STATEMENTS || (held > 0 && output().cutAfterStatement);
}

}  // namespace

void continueMainIfLong() {
    if (!output().mainOpened || !translatedSource().isMain || output().writingHeader || !mainPartIsFull())
        return;
    continueMain();
}

void continueMain() {
    output().mainPartStatements = 0;
    std::string next = mainPartName(++output().mainParts);
    // A split main declares each part where it calls it: in the header the
    // declaration would stand where the part began, and every piece would
    // change with it.
    if (!output().splitMain) {
        switchToHeader();
        emit("void " + next + "();\n");
        switchToImplementation();
    }
    newlineOnce();
    // The later parts see the program's arguments in the file-level argv.
    if (output().mainHasArgv && output().mainParts == 1)
        emitIndented("::argv = argv;\n");
    if (output().splitMain)
        emitIndented("void " + next + "();\n");
    emitIndented(next + "();\n");
    emit(output().mainParts == 1 ? "\nreturn 0;\n}\n" : "}\n");
    if (output().splitMain)
        beginMainPiece();
    emit("void " + next + "()\n{\n");
    if (output().splitMain)
        emit(pieceEntry(output().mainParts));
    output().blankLines = 1;
}

// main is an ordinary function of the program: a call of it is a
// statement of the generated main like any other.
void openMainForCall(const std::string &) {
    openMainIfNeeded();
}
