#include "translator/read_as_meant.hpp"

#include <string>

#include "VLTokenTypes.hpp"
#include "translator/foreign_heads.hpp"
#include "translator/foreign_words.hpp"
#include "translator/word_guesses.hpp"

using T = VLTokenTypes;

bool ReadAsMeant::takeDeclarationWord() {
    if (!guessing()) {
        dropMutability(tokens_);
        if (LA(1) == T::LITERAL_let && readTypeAfterName(tokens_))
            return true;
    }
    antlr::RefToken meant = guessing() ? antlr::RefToken() : declarationWordInPlaceOf(LT(1), LT(2), LT(3));
    if (meant)
        tokens_.replaceNext(meant);
    return meant;
}

void ReadAsMeant::takeDeclarationWordAfterLineEnd() {
    if (guessing() || (LA(1) != T::EOL && LA(1) != T::COLON))
        return;
    dropMutability(tokens_, 2);
    antlr::RefToken meant = declarationWordInPlaceOf(LT(2), LT(3), LT(4));
    if (meant)
        tokens_.replaceAt(2, meant);
}

void ReadAsMeant::takeForeignCatch() {
    if (!guessing())
        readForeignCatch(tokens_);
}

void ReadAsMeant::takeMisspeltKeyword() {
    if (guessing())
        return;
    readForeignHead(tokens_);
    if (LA(1) != T::IDENT || takeDeclarationWord())
        return;
    int keyword = misspeltKeyword(LT(1), LA(2));
    if (keyword == 0)
        return;
    antlr::RefToken written = LT(1);
    int next = LA(2);
    tokens_.replaceNext(keywordInPlaceOf(keyword, written));
    // C#'s `foreach (var v in a) {` is read as the loop it means, whose
    // message tells the whole line; a trial parse could not take the `}`
    // that closes it.
    bool foreach = written->getText() == "foreach";
    if (foreach)
        readForeignHead(tokens_);
    if (foreach || statementParses())
        reportMisspeltKeyword(written, next, keyword);
    else
        tokens_.replaceNext(written);
}

bool ReadAsMeant::statementParses() {
    unsigned int start = parser_.mark();
    parser_.getInputState()->guessing++;
    bool parses = true;
    try {
        statement_();
    } catch (antlr::RecognitionException &) {
        parses = false;
    }
    parser_.getInputState()->guessing--;
    parser_.rewind(start);
    return parses;
}

bool ReadAsMeant::functionReturnAhead() {
    takeMisspeltKeyword();
    if (definitionAhead())
        closeBeforeDefinition();
    return LA(1) == T::LITERAL_return;
}

void ReadAsMeant::closeClassBeforeStatement() {
    antlr::RefToken close = guessing() ? antlr::RefToken() : classEndsBefore(LT(1), tokenNamer());
    if (close)
        tokens_.insertNext(close);
}

bool ReadAsMeant::definitionAhead() {
    return !guessing() && readingAFunction() && ahead_.functionDefinitionAhead() && firstOnItsLine(LT(1));
}

void ReadAsMeant::closeBeforeDefinition() {
    unsigned int name = 1;
    while (LA(name + 1) != T::LEFTPAR && LA(name + 1) != antlr::Token::EOF_TYPE)
        name++;
    for (const antlr::RefToken &token : closeForDefinition(LT(1), LT(name)->getText(), tokenNamer()))
        tokens_.insertNext(token);
}

bool ReadAsMeant::takeClassBrace() {
    if (guessing())
        return false;
    if (methodBraceAt(LT(1))) {
        tokens_.drop();
        if (LA(1) == T::SEMI)
            tokens_.drop();
        return true;
    }
    ForeignClose close = foreignClose(LT(1), LT(2), LT(3));
    if (close == ForeignClose::closes) {
        tokens_.replaceNext(closerInPlaceOf(LT(1)));
    } else if (close == ForeignClose::misspelt) {
        // `/clss`: the class ends there, and its name is known after it.
        antlr::RefToken closer = misspeltCloserInPlaceOf(LT(1), LT(2));
        tokens_.drop();
        tokens_.replaceNext(closer);
    }
    return false;
}

void ReadAsMeant::takeBraceAsReturn() {
    if (!guessing() && braceEndsFunction(LT(1)))
        tokens_.replaceNext(closerInPlaceOf(LT(1)));
}

bool ReadAsMeant::foreignCloseAhead() {
    return !guessing() && (foreignClose(LT(1), LT(2), LT(3)) != ForeignClose::none || definitionAhead());
}

bool ReadAsMeant::takeForeignClose() {
    if (guessing())
        return false;
    if (definitionAhead()) {
        closeBeforeDefinition();
        return true;
    }
    antlr::RefToken word = LT(1);
    ForeignClose close = foreignClose(word, LT(2), LT(3));
    if (close == ForeignClose::closes) {
        tokens_.replaceNext(closerInPlaceOf(word));
    } else if (close == ForeignClose::misspelt) {
        antlr::RefToken closer = misspeltCloserInPlaceOf(word, LT(2));
        tokens_.drop();
        tokens_.replaceNext(closer);
    } else if (close == ForeignClose::endsDo) {
        tokens_.insertNext(doCloserBefore(word));
    } else if (close == ForeignClose::goesOn) {
        tokens_.drop();
        if (LA(1) == T::SEMI)
            tokens_.drop();
        blockStatements_();
    } else if (close == ForeignClose::elseIf || close == ForeignClose::skipped) {
        bool elseAlone = word->getType() == T::LITERAL_else && !elseIfAhead(word, LT(2));
        antlr::RefToken taken = elseAlone ? antlr::RefToken() : elseInPlaceOf(word, LT(2));
        unsigned int kept = taken ? 2 : 1;
        if (taken)
            tokens_.replaceNext(taken);
        // The condition has no place after `else`.
        while (!endsLine(LA(kept)) && LA(kept) != antlr::Token::EOF_TYPE)
            tokens_.drop(kept);
        if (!taken)
            blockStatements_();
    }
    return close != ForeignClose::none;
}
