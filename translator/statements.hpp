#pragma once
// Control structures: blocks, conditions, loops with their labels, switch,
// try and the error block.
#include <string>
#include <vector>
#include "translator/checked_stack.hpp"
#include "translator/values.hpp"

class LookAhead;
struct Symbol;

// Counts the control statements that enclose the one being parsed, trial
// parses included. The one past the language's limit is reported and ends
// the translation of the source (NestingTooDeep) before it opens anything.
// A control statement that a syntax error ends before its closing word
// still leaves its scopes, loop and branch frames and indentation as it
// found them, so that a run of broken statements nests nothing.
struct BlockNestingGuard {
    BlockNestingGuard();
    ~BlockNestingGuard();
    BlockNestingGuard(const BlockNestingGuard &) = delete;
    BlockNestingGuard &operator=(const BlockNestingGuard &) = delete;

private:
    int depth_ = 0;
    int indent_ = 0;
    std::size_t loops_ = 0, branches_ = 0;
};

// Where a syntax error has a message of its own: the condition and
// one-line body of an if ("bad if syntax"), the first clause of a do-case
// chain ("case expected"), its further clauses ("case block expected") and
// the arguments of a call ("bad call syntax"). One message per construct
// replaces the parser's reports.
enum SyntaxContextKind { SYNTAX_PLAIN = 0, SYNTAX_IF, SYNTAX_FIRST_CASE, SYNTAX_FURTHER_CASE, SYNTAX_CALL };
struct SyntaxContext {
    int kind = SYNTAX_PLAIN;
    bool reported = false;
};
// Each returns the context it replaces, for restoreSyntaxContext.
SyntaxContext enterSyntaxContext(int kind);
SyntaxContext suspendSyntaxContext();
void restoreSyntaxContext(const SyntaxContext &previous);
// Reports a syntax error in the current context; false in a plain one.
bool reportInSyntaxContext();
// The construct whose message a syntax error now has (SYNTAX_PLAIN: none).
int currentSyntaxContext();
// Whether the current context has had its syntax error.
bool syntaxContextFailed();
// A construct that failed as a whole: its message, unless already given.
// The caller restores the context it replaced afterwards.
void reportSyntaxFailure(int kind);

// Start of every statement: indentation and a fresh expression state.
void beginStatement();
void writeStatementComment(const std::string &tokenText);
void writeNative(const std::string &tokenText);
// A value standing as a statement ("a", a call).
void writeExpressionStatement(const ExprValue &value);
// The end of a simple statement.
void writeStatementEnd();
// A statement led by a word of C++ ("@delete p"): the word, its operand next.
void writeAtWord(const std::string &tokenText);

// A block of a control structure: one level deeper and a scope of its own.
void enterControlBlock();
void leaveControlBlock();
// The controlling line ("if(c)", "while(c)", ...) and the brace that opens its block.
void writeControlLine(const std::string &text);
// The line of an if, or of a clause of a do-case chain, on its condition.
void writeIfLine(const ExprValue &condition);
// The line of an error statement: its block runs when no error is pending.
void writeErrorLine();
// A try's line, its block entered.
void beginTry();
void writeClosingBrace();
void writeElse();

// Branch chains of switch, composite if and do-case.
void beginBranches(const ExprValue &subject, bool isSwitch);
void nextBranch();
void endBranches(bool isSwitch);
// The line of a branch of a composite if: the subject compared with a
// value, or looked for in a range or a container.
void writeComparisonBranch(int comparisonToken, const ExprValue &value);
void writeInBranch(const RangeOrValue &tested);
// What one value (or range) of a case tests; the case's line, any of whose
// tests selects its block.
std::string caseTest(const RangeOrValue &tested);
void writeCaseLine(const std::vector<std::string> &tests);

// Loops.
void writeBreak();
void writeContinue();
void beginWhile();
// The condition's text, empty for "forever".
void writeWhileHeader(const std::string &condition);
// After the statements of a while's block, before its let clause if one
// follows; then at the end of the block.
void endWhileBody(bool letFollows);
// Where a while's body starts (its block entered), and where each
// statement of a block starts.
void beginWhileBody();
void noteStatementStart();
void endWhileBlock();
void countLetClause();
void endWhile();
void beginDo();
void endDoBody();
// The endings of a do loop: `until c`, `while c`, `forever`, `while
// forever`, and none (its block runs once).
void writeDoUntil(const ExprValue &condition);
void writeDoWhile(const ExprValue &condition);
void writeDoForever();
void writeDoWhileForever();
void writeDoOnce();
void endDo();
void beginFor();
bool stepIsNegative(const ExprValue &step);
// `ahead` tells whether the body may reach code that sees a file-level
// variable the loop counts in (which the loop then keeps in memory).
void writeRangeFor(int declaredType, const std::string &variable, const ExprValue &low,
                   const ExprValue &high, bool inclusive, bool descending, bool hasStep,
                   const ExprValue &step, LookAhead &ahead);
void writeContainerFor(int declaredType, const std::string &first, const std::string &second,
                       const ExprValue &container);
void endFor();
// A for or while statement that a syntax error ends before its end: the
// scope, loop and views it opened are given back, so that what follows is
// translated in the scopes it stands in (and a run of broken loops opens
// none).
void abandonFor();
void abandonWhile();
// The variables a for statement names, when its first line failed before
// declaring them: its body, read all the same, uses them.
void declareVariablesOfBrokenFor(int declaredType, const std::string &first, const std::string &second);

// Held by the for and while rules: a loop begun and not ended when the
// rule returns (its error handler skipped the rest) is abandoned.
class OpenLoop {
public:
    explicit OpenLoop(void (*abandon)()) : abandon(abandon) {}
    OpenLoop(const OpenLoop &) = delete;
    OpenLoop &operator=(const OpenLoop &) = delete;
    ~OpenLoop() {
        if (open)
            abandon();
    }
    void begun() { open = true; }
    void ended() { open = false; }

private:
    void (*abandon)();
    bool open = false;
};

void beginCatch(const std::string &className, const std::string &variable);

// The label text of a loop label number, a valid C++ identifier.
std::string labelName(int number);
// A try without a catch clause still needs a handler in C++.
void writeEmptyCatch();

// Part of the state of one translation (translator/source_translation.hpp).
enum LoopKind { LOOP_FOR = 0, LOOP_WHILE = 1, LOOP_DO = 2 };
enum ForForm { FOR_RANGE = 0, FOR_CONTAINER = 1 };

struct LoopFrame {
    int kind = LOOP_FOR;
    int labelBase = 0;
    int labelsUsed = 0;        // bit 1: continue label, bit 2: exit label
    int letCount = 0;
    int forForm = FOR_RANGE;
    std::string steppedCondition;  // a range loop written as do-while: its "while" condition
    bool steppedScope = false;     // ... which declares its variable in a scope of its own
    std::string copiedVariable;    // ... or counts in a copy of this file-level variable
    int viewsOpened = 0;       // array views this loop declared, in a scope of their own
    bool walksName = false;    // a container loop over a plain name (see walkedContainers)
    // A while: the text it is written to, where it and its body start, the
    // condition (empty for forever), and the line directive the body's
    // first line needs when it moves; where its let clause starts when the
    // clause moves before the body (0 when it stays).
    std::string *bodyOutput = nullptr;
    std::size_t headerStart = 0, bodyStart = 0, letStart = 0;
    std::string condition, bodyDirective;
    // A while's body: its block depth, where its latest statement at that
    // depth starts, and from the first continue on, where the statement
    // holding it starts and how many names the body had declared before it.
    int bodyDepth = -1;
    std::size_t statementStart = 0;
    std::size_t continuedFrom = std::string::npos;
    std::size_t namesBeforeContinue = 0;
};

// A number array that the enclosing loops reach through a view of its
// block (vel_block_view): its elements are read, written and pushed
// through the view's name. The array is known by its emitted name, which
// within the loops names no other variable (the body declares none of it).
struct ArrayView {
    std::string array;
    std::string view;
};

// A container that a loop walks by name, and the name of the loop's position.
struct WalkedContainer {
    std::string container;
    std::string position;
};

struct BranchFrame {
    std::string subject;
    int subjectType = 0;
    int subjectClass = -1;   // an object's class, which its cases are compared with
    bool isSwitch = false;
    // A `break` of C ending a case was told: the next ones of the switch
    // are the same habit.
    bool breakTold = false;
};

// Control-structure state of the translation: the loops and branch chains
// being translated, innermost last.
struct StatementState {
    int nextLabel = 0;
    int nesting = 0;   // control statements open around the parser
    CheckedStack<LoopFrame> loops{"loop stack"};
    CheckedStack<BranchFrame> branches{"case stack"};
    // Containers that the enclosing loops walk by name, innermost last.
    std::vector<WalkedContainer> walkedContainers;
    // File-level variables that the enclosing loops count in copies of.
    std::vector<const Symbol *> copiedVariables;
    // Arrays that the enclosing loops view, innermost last.
    std::vector<ArrayView> arrayViews;
    // Braces the enclosing loops opened beside their blocks' own.
    int extraBraces = 0;
};

// The braces that loops may open beside those of the blocks, for their
// faster forms: compilers limit how deep braces nest (clang to 256), and the
// blocks themselves may nest 128 deep. A loop past it takes a plain form.
constexpr int EXTRA_BRACES_LIMIT = 32;
bool extraBracesLeft(int count);

// The loop variable's position of the innermost loop over the container of
// this emitted name, or nullptr when no loop being translated walks it.
const std::string *walkedPositionOf(const std::string &container);

// The view through which the loops being translated reach the array of
// this emitted name, or nullptr when there is none.
const std::string *arrayViewOf(const std::string &array);
