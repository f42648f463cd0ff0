#include "translator/output.hpp"
#include "translator/source_translation.hpp"

#include "diagnostics/diagnostics.hpp"

OutputState &output() { return translation().output; }

namespace {

LineMapping *mappingOf(const OutputText *file) {
    if (!output().mapLines || !file)
        return nullptr;
    for (LineMapping &mapping : output().mappings)
        if (mapping.file == file)
            return &mapping;
    return nullptr;
}

// Follows the compiler's count of lines through the text written.
void advanceMapping(const char *text, size_t size) {
    LineMapping *mapping = mappingOf(output().currentOutput);
    if (!mapping || size == 0)
        return;
    for (size_t i = 0; i < size; i++)
        if (text[i] == '\n' && mapping->presumedLine > 0)
            mapping->presumedLine++;
    mapping->atLineStart = text[size - 1] == '\n';
}

std::string quotedName(const std::string &name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

void emit(const std::string &text) {
    if (!output().currentOutput)
        return;
    output().currentOutput->append(text);
    advanceMapping(text.data(), text.size());
}

void emitChar(char c) {
    if (!output().currentOutput)
        return;
    output().currentOutput->push_back(c);
    advanceMapping(&c, 1);
}

void beginLineMapping(const std::string &sourceName, bool piecesCountOwnLines) {
    output().mapLines = true;
    output().mappedSourceName = quotedName(sourceName);
    output().mappedPieceName = quotedName(sourceName + pieceLineMark);
    output().piecesCountOwnLines = piecesCountOwnLines;
    const OutputText *files[] = {output().implementationFile, output().headerFile, output().functionsFile};
    for (int i = 0; i < 3; i++)
        output().mappings[i] = LineMapping{files[i], 0, true, false};
    output().mappings[3] = output().mappings[4] = LineMapping{};
}

void startPieceMapping(const OutputText *piece) {
    if (output().mapLines)
        output().mappings[3] = LineMapping{piece, 0, true, false};
}

void startLoopMapping(const OutputText *loop) {
    if (output().mapLines)
        output().mappings[4] = LineMapping{loop, 0, true, false};
}

void startFunctionMapping() {
    if (output().mapLines && output().splitMain)
        output().mappings[2].presumedLine = 0;
}

void mapSourceLine() { mapSourceLine(diagnostics.lineCounter); }

void mapSourceLine(int sourceLine) {
    LineMapping *mapping = mappingOf(output().currentOutput);
    if (!mapping || !mapping->atLineStart)
        return;
    // In a piece's text a line is counted from the piece's first line, so
    // that the text does not depend on where the piece stands in the
    // source; the program adds the piece's first line when it reports one.
    bool inPiece = mapping == &output().mappings[3] || mapping == &output().mappings[4];
    int pieceLine = inPiece && output().piecesCountOwnLines && !output().pieceFirstLines.empty()
                        ? sourceLine - output().pieceFirstLines.back() + 1
                        : 0;
    bool countsFromPiece = pieceLine > 0;
    int line = countsFromPiece ? pieceLine : sourceLine;
    if (mapping->presumedLine == line && mapping->countsFromPiece == countsFromPiece)
        return;
    std::string directive = "#line " + std::to_string(line) + " " +
                            (countsFromPiece ? output().mappedPieceName : output().mappedSourceName) + "\n";
    output().currentOutput->append(directive);
    mapping->presumedLine = line;
    mapping->countsFromPiece = countsFromPiece;
}

void mapSourceLineOnNewLine() {
    const LineMapping *mapping = mappingOf(output().currentOutput);
    if (mapping && !mapping->atLineStart)
        emit("\n");
    mapSourceLine();
}

void continueMappingOf(const OutputText *copied) {
    LineMapping *from = mappingOf(copied), *to = mappingOf(output().currentOutput);
    if (from && to && from->presumedLine > 0)
        *to = LineMapping{to->file, from->presumedLine, from->atLineStart, from->countsFromPiece};
}

std::string presentLineDirective() {
    const LineMapping *mapping = mappingOf(output().currentOutput);
    if (!mapping || mapping->presumedLine <= 0 || !mapping->atLineStart)
        return "";
    return "#line " + std::to_string(mapping->presumedLine) + " " +
           (mapping->countsFromPiece ? output().mappedPieceName : output().mappedSourceName) + "\n";
}

void forgetPresentLine() {
    if (LineMapping *mapping = mappingOf(output().currentOutput))
        mapping->presumedLine = 0;
}

void newlineOnce() {
    if (output().blankLines < 1) {
        emitChar('\n');
        output().blankLines++;
    }
}

void writeIndent() {
    output().blankLines = 0;
    mapSourceLine();
    for (int i = 0; i < output().indentLevel; i++)
        emit("    ");
}

void emitIndented(const std::string &text) {
    writeIndent();
    emit(text);
}

void emitIndentedAt(int sourceLine, const std::string &text) {
    output().blankLines = 0;
    mapSourceLine(sourceLine);
    for (int i = 0; i < output().indentLevel; i++)
        emit("    ");
    emit(text);
}

void switchToHeader() {
    output().currentOutput = output().headerFile;
    output().writingHeader = true;
    output().savedIndentImplementation = output().indentLevel;
    output().indentLevel = output().savedIndentHeader;
}

void switchToImplementation() {
    output().currentOutput = output().savedImplementation;
    output().writingHeader = false;
    output().savedIndentHeader = output().indentLevel;
    output().indentLevel = output().savedIndentImplementation;
}
