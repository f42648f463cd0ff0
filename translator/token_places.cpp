#include "translator/token_places.hpp"

#include <antlr/CommonToken.hpp>

#include "translator/positions.hpp"
#include "translator/source_translation.hpp"

const std::string &lineOf(const antlr::RefToken &token) {
    static const std::string none;
    return translation().positions ? translation().positions->line(token->getLine()) : none;
}

int columnOf(const antlr::RefToken &token) { return byteColumn(lineOf(token), token->getColumn()); }

int afterOf(const antlr::RefToken &token) { return columnOf(token) + static_cast<int>(token->getText().size()); }

antlr::RefToken tokenAt(int type, const std::string &text, const antlr::RefToken &place) {
    antlr::RefToken token(new antlr::CommonToken(type, text));
    token->setLine(place->getLine());
    token->setColumn(place->getColumn());
    return token;
}
