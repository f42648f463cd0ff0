#pragma once
// How the parse goes on after a syntax error: what is reported, what is
// skipped, and where the parse takes up again. The parser's own hooks
// (reportError, recover, consumeUntil) and the handlers of its rules come
// here, so that the grammar holds only what it reads.
#include <antlr/BitSet.hpp>
#include <antlr/Parser.hpp>
#include <antlr/RecognitionException.hpp>
#include "translator/statements.hpp"
#include "translator/parser_access.hpp"
#include "translator/syntax_errors.hpp"
#include "translator/token_queue.hpp"

class SyntaxRecovery : private ParserAccess {
public:
    SyntaxRecovery(antlr::Parser &parser, TokenQueue &tokens) : ParserAccess(parser), tokens_(tokens) {}

    // A syntax error is counted like every other error of the source: its
    // C++ would be incomplete, so it must not be compiled and run.
    void report(const antlr::RecognitionException &error);
    // Recovery stays on the line of the error: the line end is left for the
    // statement loops, which go on at the next line. A line end recovered
    // at twice is skipped, so that the parse always moves on.
    void recover(const antlr::BitSet &follow);
    void consumeUntil(int type);
    void consumeUntil(const antlr::BitSet &follow);
    // Recovery inside a statement: the rest of its line is skipped.
    void skipRestOfLine();

    // A line that begins with a word no statement begins with (a stray `}`
    // or `/if`): reported, and skipped with its line end, so that the next
    // line is read as a statement again.
    bool skipStrayLine(bool inBlock);

    // A block statement whose first line failed: the rest of that line is
    // skipped, and true when its body is to be read as its own, up to its
    // closing word, so that the body is checked where it stands and nothing
    // after it is news. Any other fault is recovered from as usual.
    bool skipBrokenHead(const antlr::RecognitionException &error, int headLine, int closer);
    // The same for an if, whose faults have the message of the construct:
    // reported, the context before it restored.
    bool skipBrokenIf(const antlr::RecognitionException &error, const SyntaxContext &outer, int headLine);
    // In the body of a broken if, the `else` that goes on to its second
    // block (true: read it), matched here since the grammar knows nothing
    // of what may follow a broken body.
    bool takeElseOfBrokenBody(int closer);

    // A syntax error among a call's arguments: one message for the call,
    // then up to the ")" that closes it, so that the statement around it
    // goes on.
    void skipBrokenArguments(const antlr::RecognitionException &error, const SyntaxContext &outer);
    // A clause whose fault has the construct's message (a case of a
    // do-case chain): reported, and the rest of its line skipped.
    void skipBrokenClause(int kind, const SyntaxContext &outer);

private:
    // The tokens that recovery skips still count their line ends, so that
    // the messages after a syntax error name the right lines.
    void consumeCounting();
    // The statement that ran into the next line ends before it: a `;` in
    // its place, which recovery does not skip, so that the line is read as
    // the statement it begins.
    void endStatementBeforeLine();
    bool atStatementEnd();
    void skipToCallEnd();

    TokenQueue &tokens_;
    antlr::RefToken lastRecoveredAt_;
    bool keepClosingWord_ = false;
    antlr::RefToken statementEnd_;  // put where a statement ran into the next line
};
