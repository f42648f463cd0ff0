#include "driver/translate_call.hpp"
#include "lexer/memory_input.hpp"
#include "lexer/pooled_token.hpp"
#include "translator/frame.hpp"
#include "translator/one_line_branches.hpp"
#include "translator/reserved_words.hpp"
#include "VLLexer.hpp"
#include "VLParser.hpp"
#include <iterator>

void translateStream(std::istream &input, const std::string &sourceName) {
    MemoryInputBuffer text{std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>())};
    VLLexer lexer(text);
    lexer.readFromMemory(text);
    lexer.setTokenObjectFactory(&PooledToken::factory);
    lexer.setFilename(sourceName);
    ReservedWordFilter names(lexer);
    OneLineBranchFilter branches(names);
    VLParser parser(branches);
    parser.readTokensFrom(branches);
    parser.setFilename(sourceName);
    try {
        parser.sourceFile();
    } catch (...) {
        // The files must be complete and closed whatever ended the parse.
        endSourceFile();
        throw;
    }
}
