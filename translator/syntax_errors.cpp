#include "translator/syntax_errors.hpp"

#include "diagnostics/diagnostics.hpp"
#include "translator/source_translation.hpp"

void reportRecognitionError(const antlr::RecognitionException &error) {
    int line = error.getLine();
    const std::string &text = translation().positions ? translation().positions->line(line) : std::string();
    int column = error.getColumn() > 0 ? byteColumn(text, error.getColumn()) : 0;
    reportSyntax(line, column, column, error.getMessage());
}
