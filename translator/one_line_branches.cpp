#include "translator/one_line_branches.hpp"

#include <antlr/CommonToken.hpp>
#include "VLTokenTypes.hpp"

antlr::RefToken OneLineBranchFilter::terminatorBefore(const antlr::RefToken &token) {
    antlr::RefToken terminator(new antlr::CommonToken(VLTokenTypes::SEMI, ";"));
    terminator->setLine(token->getLine());
    terminator->setColumn(token->getColumn());
    return terminator;
}

void OneLineBranchFilter::track(const antlr::RefToken &token) {
    int type = token->getType();
    if (type == VLTokenTypes::EOL || type == VLTokenTypes::SEMI || type == antlr::Token::EOF_TYPE) {
        atLineStart_ = true;
        ifLine_ = questionSeen_ = false;
        brackets_ = 0;
        return;
    }
    if (atLineStart_)
        ifLine_ = type == VLTokenTypes::LITERAL_if;
    atLineStart_ = false;
    if (type == VLTokenTypes::LEFTPAR || type == VLTokenTypes::LEFTSQUARE || type == VLTokenTypes::LEFTCURLY)
        brackets_++;
    else if ((type == VLTokenTypes::RIGHTPAR || type == VLTokenTypes::RIGHTSQUARE || type == VLTokenTypes::RIGHTCURLY) &&
             brackets_ > 0)
        brackets_--;
    else if (type == VLTokenTypes::QUESTION && brackets_ == 0)
        questionSeen_ = true;
}

antlr::RefToken OneLineBranchFilter::nextToken() {
    if (pending_) {
        antlr::RefToken token = pending_;
        pending_ = antlr::nullToken;
        track(token);
        return token;
    }
    antlr::RefToken token = source_.nextToken();
    int type = token->getType();
    bool needsTerminator = !atLineStart_ &&
                           ((type == VLTokenTypes::LITERAL_else) ||
                            (type == VLTokenTypes::COLON && ifLine_ && questionSeen_ && brackets_ == 0));
    if (needsTerminator) {
        pending_ = token;
        antlr::RefToken terminator = terminatorBefore(token);
        track(terminator);
        // The branch word continues the line of the if.
        atLineStart_ = false;
        return terminator;
    }
    track(token);
    return token;
}
