#include "driver/translate_call.hpp"
#include "translator/frame.hpp"
#include "translator/one_line_branches.hpp"
#include "VLLexer.hpp"
#include "VLParser.hpp"

void translateStream(std::istream &input, const std::string &sourceName) {
    VLLexer lexer(input);
    lexer.setFilename(sourceName);
    OneLineBranchFilter branches(lexer);
    VLParser parser(branches);
    parser.setFilename(sourceName);
    try {
        parser.sourceFile();
    } catch (...) {
        // The files must be complete and closed whatever ended the parse.
        endSourceFile();
        throw;
    }
}
