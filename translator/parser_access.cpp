#include "translator/parser_access.hpp"

#include <string>

#include "VLTokenTypes.hpp"

bool ParserAccess::guessing() const { return parser_.getInputState()->guessing > 0; }

TokenNamer ParserAccess::tokenNamer() const {
    return [this](int type) { return std::string(parser_.getTokenName(type)); };
}

bool ParserAccess::endsLine(int type) { return type == VLTokenTypes::EOL || type == VLTokenTypes::Q_COMMENT; }
