#include "translator/syntax_recovery.hpp"

#include <antlr/CommonToken.hpp>
#include <antlr/NoViableAltException.hpp>

#include <string>

#include "VLTokenTypes.hpp"
#include "diagnostics/sink.hpp"
#include "translator/continued_lines.hpp"

using T = VLTokenTypes;

void SyntaxRecovery::report(const antlr::RecognitionException &error) {
    // Counted by the diagnostics when the construct's message is written.
    // An if whose condition ran into the next line keeps that line as its
    // body's first, as it always has.
    int context = currentSyntaxContext();
    bool continued = !guessing() && context != SYNTAX_IF && ranIntoNextLine(error, tokens_.lastConsumed());
    if (continued && context == SYNTAX_PLAIN) {
        reportContinuedLine(error);
        endStatementBeforeLine();
        return;
    }
    if (reportUnclosedBlock(error, tokenNamer())) {
        keepClosingWord_ = isClosingWord(LA(1));
        return;
    }
    std::size_t before = currentSink().all().size();
    if (reportInSyntaxContext()) {
        if (currentSink().all().size() > before)
            placeConstructReport(error);
        // `if x >` and its body's first line: the condition is what is unfinished.
        if (currentSink().all().size() > before && context == SYNTAX_IF &&
            cameAfterLineEnd(error, tokens_.lastConsumed()))
            placeOnUnfinishedLine(error);
        if (continued)
            endStatementBeforeLine();
        return;
    }
    reportRecognitionError(error, tokenNamer());
}

void SyntaxRecovery::recover(const antlr::BitSet &follow) {
    if (atStatementEnd())
        return;
    // The closing word of an enclosing block, which came before the inner
    // block was closed, is left for the block it closes.
    if (keepClosingWord_) {
        keepClosingWord_ = false;
        if (isClosingWord(LA(1)))
            return;
    }
    if (!endsLine(LA(1)) || LT(1) == lastRecoveredAt_) {
        lastRecoveredAt_ = LT(1);
        consumeCounting();
    } else {
        lastRecoveredAt_ = LT(1);
        return;
    }
    while (LA(1) != antlr::Token::EOF_TYPE && !endsLine(LA(1)) && !follow.member(LA(1)))
        consumeCounting();
}

void SyntaxRecovery::consumeUntil(int type) {
    while (LA(1) != antlr::Token::EOF_TYPE && LA(1) != type && !atStatementEnd())
        consumeCounting();
}

void SyntaxRecovery::consumeUntil(const antlr::BitSet &follow) {
    while (LA(1) != antlr::Token::EOF_TYPE && !follow.member(LA(1)) && !atStatementEnd())
        consumeCounting();
}

void SyntaxRecovery::skipRestOfLine() { consumeUntil(T::EOL); }

void SyntaxRecovery::consumeCounting() {
    if (!guessing())
        countSkippedLines(LA(1), LT(1)->getText());
    parser_.consume();
}

void SyntaxRecovery::endStatementBeforeLine() {
    if (atStatementEnd())
        return;
    antlr::RefToken end(new antlr::CommonToken(T::SEMI, ";"));
    end->setLine(LT(1)->getLine());
    end->setColumn(LT(1)->getColumn());
    tokens_.insertNext(end);
    statementEnd_ = end;
}

bool SyntaxRecovery::atStatementEnd() { return statementEnd_ && LT(1) == statementEnd_; }

bool SyntaxRecovery::skipStrayLine(bool inBlock) {
    if (guessing() || !isStrayToken(LA(1), inBlock))
        return false;
    reportStrayToken(LT(1), tokenNamer());
    while (!endsLine(LA(1)) && LA(1) != antlr::Token::EOF_TYPE)
        consumeCounting();
    return true;
}

bool SyntaxRecovery::skipBrokenHead(const antlr::RecognitionException &error, int headLine, int closer) {
    if (!blockHeadFailed(error, headLine, closer)) {
        recover(antlr::BitSet());
        return false;
    }
    skipRestOfLine();
    return LA(1) == T::EOL;
}

bool SyntaxRecovery::skipBrokenIf(const antlr::RecognitionException &error, const SyntaxContext &outer, int headLine) {
    bool unclosed = reportUnclosedBlock(error, tokenNamer());
    // An `if` on the last line of the file: its first line is whole, what
    // is missing is the body and its `/if`.
    if (!unclosed && LA(1) == T::EOL && LA(2) == antlr::Token::EOF_TYPE) {
        antlr::NoViableAltException atEnd(LT(2), "");
        unclosed = reportUnclosedBlock(atEnd, tokenNamer());
    }
    std::size_t before = currentSink().all().size();
    if (!unclosed)
        reportSyntaxFailure(SYNTAX_IF);
    if (currentSink().all().size() > before)
        placeConstructReport(error);
    // `if x >` and its body's first line: the condition is what is unfinished.
    if (currentSink().all().size() > before && cameAfterLineEnd(error, tokens_.lastConsumed()))
        placeOnUnfinishedLine(error);
    restoreSyntaxContext(outer);
    if (unclosed)
        return false;
    bool headFailed = blockHeadFailed(error, headLine, T::SLASHIF);
    skipRestOfLine();
    return headFailed && LA(1) == T::EOL;
}

bool SyntaxRecovery::takeElseOfBrokenBody(int closer) {
    if (closer != T::SLASHIF || LA(1) != T::LITERAL_else)
        return false;
    parser_.consume();
    if (LA(1) == T::COLON)
        parser_.consume();
    return true;
}

void SyntaxRecovery::skipBrokenArguments(const antlr::RecognitionException &error, const SyntaxContext &outer) {
    std::size_t before = currentSink().all().size();
    reportSyntaxFailure(SYNTAX_CALL);
    if (currentSink().all().size() > before)
        placeConstructReport(error);
    if (ranIntoNextLine(error, tokens_.lastConsumed()))
        endStatementBeforeLine();
    restoreSyntaxContext(outer);
    skipToCallEnd();
    if (LA(1) == T::RIGHTPAR)
        parser_.consume();
    noteResumedAt(tokens_.LT(1));
}

void SyntaxRecovery::skipToCallEnd() {
    int depth = 0;
    while (LA(1) != T::EOL && LA(1) != antlr::Token::EOF_TYPE && !atStatementEnd()) {
        if (LA(1) == T::RIGHTPAR && depth-- == 0)
            return;
        if (LA(1) == T::LEFTPAR)
            depth++;
        parser_.consume();
    }
}

void SyntaxRecovery::skipBrokenClause(int kind, const SyntaxContext &outer) {
    reportSyntaxFailure(kind);
    restoreSyntaxContext(outer);
    skipRestOfLine();
}
