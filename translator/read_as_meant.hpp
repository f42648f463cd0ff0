#pragma once
// Words read as the user meant them, before the grammar looks at them: a
// slip for a keyword, a declaration or a block closed as another language
// writes it, a block left open before a definition. The tokens ahead are
// replaced, dropped or added, so that the rules read only this language.
#include <antlr/Parser.hpp>
#include <functional>
#include "translator/look_ahead.hpp"
#include "translator/parser_access.hpp"
#include "translator/syntax_errors.hpp"
#include "translator/token_queue.hpp"

class ReadAsMeant : private ParserAccess {
public:
    // `statement` parses one statement of a block, a return included;
    // `blockStatements` the statements of a block up to its closing word.
    ReadAsMeant(antlr::Parser &parser, TokenQueue &tokens, LookAhead &ahead, std::function<void()> statement,
                std::function<void()> blockStatements)
        : ParserAccess(parser), tokens_(tokens), ahead_(ahead), statement_(std::move(statement)),
          blockStatements_(std::move(blockStatements)) {}

    // A first word that is a slip for a keyword ("whle count > 0") is read
    // as the keyword when its statement then parses: one message, and the
    // rest is checked as the user meant it.
    void takeMisspeltKeyword();
    // A declaration led by a word of another language (`let x = 1`,
    // `boolean b`) is read with the word this language writes.
    bool takeDeclarationWord();
    // The first word of a block's first statement, which the forms of an
    // `if` are told apart by: a declaration word of another language there
    // is read as this language's before the forms are looked at.
    void takeDeclarationWordAfterLineEnd();
    // A `catch` written as another language writes it.
    void takeForeignCatch();

    // Whether the return that closes a function comes next; a definition
    // that comes first closes the blocks left open before it.
    bool functionReturnAhead();
    // A statement where a class's members go: the class was not closed.
    // Reported at its opening and closed here, so that the statement is
    // read as one of the program's.
    void closeClassBeforeStatement();
    // A method's `}` after its return (true: the class's members go on), or
    // the class closed as another language closes it.
    bool takeClassBrace();
    // The `}` of a function written with braces ends it as its return would.
    void takeBraceAsReturn();
    // A block closed as another language closes it (`end`, `}`), or an
    // `elseif`: read as the words the language has.
    bool foreignCloseAhead();
    bool takeForeignClose();

private:
    // Whether the statement ahead parses, tried without translating it.
    bool statementParses();
    // A function's definition where the statements of another function go
    // on: that function, or a block of it, was not closed. Reported at its
    // opening and closed here, so that the definition is read as one.
    bool definitionAhead();
    void closeBeforeDefinition();

    TokenQueue &tokens_;
    LookAhead &ahead_;
    std::function<void()> statement_;
    std::function<void()> blockStatements_;
};
