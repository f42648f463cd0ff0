#include "translator/output.hpp"

#include <cerrno>

OutputState output;

namespace {

void noteWriteFailure() {
    if (output.failedFile)
        return;
    output.failedFile = output.currentOutput;
    output.writeError = errno != 0 ? errno : EIO;
}

}  // namespace

void emit(const std::string &text) {
    if (output.currentOutput && fwrite(text.data(), 1, text.size(), output.currentOutput) != text.size())
        noteWriteFailure();
}

void emitChar(char c) {
    if (output.currentOutput && fputc(c, output.currentOutput) == EOF)
        noteWriteFailure();
}

void newlineOnce() {
    if (output.blankLines < 1) {
        emitChar('\n');
        output.blankLines++;
    }
}

void writeIndent() {
    output.blankLines = 0;
    for (int i = 0; i < output.indentLevel; i++)
        emit("    ");
}

void emitIndented(const std::string &text) {
    writeIndent();
    emit(text);
}

void switchToHeader() {
    output.currentOutput = output.headerFile;
    output.writingHeader = true;
    output.savedIndentImplementation = output.indentLevel;
    output.indentLevel = output.savedIndentHeader;
}

void switchToImplementation() {
    output.currentOutput = output.savedImplementation;
    output.writingHeader = false;
    output.savedIndentHeader = output.indentLevel;
    output.indentLevel = output.savedIndentImplementation;
}
