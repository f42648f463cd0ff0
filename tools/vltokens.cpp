// vltokens file.vel: prints the token stream of a Velmora source, one token a
// line (type, display name, text, line, column), to see what the parser is
// given. A lexical error is printed with its position and ends the listing
// with status 1.
#include <fstream>
#include <iostream>

#include <antlr/TokenStreamException.hpp>

#include "VLLexer.hpp"
#include "lexer/token_listing.hpp"

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: vltokens file.vel\n";
        return 2;
    }
    std::ifstream source(argv[1], std::ios::binary);
    if (!source) {
        std::cerr << argv[1] << ": cannot be opened\n";
        return 2;
    }
    VLLexer lexer(source);
    lexer.setFilename(argv[1]);
    try {
        // Printed as they come, so the tokens before an error stay visible.
        for (;;) {
            antlr::RefToken token = lexer.nextToken();
            std::cout << formatTokenLine(toListedToken(token)) << '\n';
            if (token->getType() == antlr::Token::EOF_TYPE)
                break;
        }
    } catch (const antlr::TokenStreamRecognitionException &error) {
        // On the listing's own stream, so the error shows where the tokens stop.
        std::cout << describeLexicalError(error) << std::endl;
        return 1;
    } catch (const antlr::TokenStreamException &error) {
        std::cout << argv[1] << ": " << error.getMessage() << std::endl;
        return 1;
    }
    return 0;
}
