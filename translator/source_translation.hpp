#pragma once
// Everything one translation works on: made by translateStream for its
// source, handed the run's tables, and gone when the source's texts are
// handed back. A new source starts from a new object, so that nothing one
// source leaves open reaches the next.
#include <map>
#include <unordered_set>

#include "diagnostics/sink.hpp"
#include "semantics/source_semantics.hpp"
#include "translator/main_pieces.hpp"
#include "translator/positions.hpp"
#include "translator/syntax_errors.hpp"
#include "translator/output.hpp"
#include "translator/xml.hpp"
#include "translator/statements.hpp"
#include "translator/functions.hpp"
#include "translator/declarations.hpp"
#include "translator/classes.hpp"
#include "translator/expressions.hpp"
#include "translator/evaluation_order.hpp"
#include "translator/hints.hpp"
#include "translator/console.hpp"
#include "translator/calls.hpp"
#include "translator/functions_ahead.hpp"
#include "translator/assignments.hpp"
#include "translator/translation_job.hpp"

struct SourceTranslation : SourceSemantics {
    SourceTranslation(const SourceToTranslate &source, RunTables &run) : SourceSemantics(run), source(source) {}

    const SourceToTranslate source;
    DiagnosticSink reports;   // every message of the source, counted
    const TokenPositions *positions = nullptr;   // the lines and the parse's place, for columns
    std::vector<OpenBlock> openBlocks;           // innermost last
    // Block words a misspelt first word was taken for ("whle": "while"):
    // their closing words are no news.
    std::vector<std::string> guessedOpeners;
    std::map<std::string, int> closersOfFailedOpeners;   // skipped so far, by block word
    // Lines whose first message explains the rest of the line: a word taken
    // for a keyword, `System.out.println(x)`, a `catch` without its class.
    std::unordered_set<int> keywordGuessLines;
    std::vector<std::string> membersOfUnclosedClasses;
    // The variables of loops whose first line was told as another
    // language's: their uses in the body are no news.
    std::vector<std::string> variablesOfToldLoops;
    // The first lines of blocks whose `{` was left out: their `}` closes them.
    std::vector<int> braceLines;
    // Block lines whose `{`, `then` or `do` the message of the line took in.
    std::unordered_set<int> absorbedBlockStarts;
    // Block lines read as another language writes them (`unless x > 1`,
    // `a.each do |v|`): the `end` that closes the block is part of the slip.
    std::unordered_set<int> foreignHeadLines;
    // The lines of `else` and `elseif` branches that end with a `{`.
    std::vector<int> branchBraceLines;
    int functionBraces = 0;       // functions whose `{` was reported and whose `}` is still to come
    // Blocks of the function being read, closed where another was defined.
    int blocksClosedBeforeDefinition = 0;
    bool unclosedAtEnd = false;   // a block was reported not closed when the file ended
    // The place of the token before which the last unclosed block was told.
    int unclosedStopLine = 0, unclosedStopColumn = 0;
    // The `if` blocks whose `elseif` was read as `else`, by their first word.
    std::vector<antlr::RefToken> elseIfBlocks;
    std::map<int, int> elseIfLines;   // the line of each one's first `elseif`, by the line of its `if`
    // Functions written as another language writes them, once explained:
    // what the parser makes of their lines says nothing new.
    ForeignFunctions foreignFunctions;
    // The line of a class used before its definition, once told: the rest
    // of the source is read without the class, and what it says is no news.
    int lateClassLine = 0;
    // Blocks of another language that velc does not read (`when (x) {`), once told.
    LineSpans foreignBlocks;
    // The methods and attributes of classes written as Python writes them,
    // once told: what a use of them finds missing is no news.
    std::unordered_set<std::string> membersOfForeignClasses;
    OutputState output;
    TranslatedTexts texts;
    XmlState xml;
    StatementState statements;
    SyntaxContext syntaxContext;
    FunctionState functionState;
    SourceFunctions sourceFunctions;
    DeclaredTypeSnapshot typeValueSnapshot;
    DeclarationState declarations;
    ClassState classState;
    ExpressionState expressions;
    OrderState order;
    PrintList printList;
    CallState calls;
    FunctionsAhead functionsAhead;
    AssignmentState assignment;
};

// The translation in progress (translateStream makes it current).
SourceTranslation &translation();
