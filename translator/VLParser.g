header "pre_include_hpp" {
// The Velmora parser. Its rules translate while they parse: every action
// calls a translator operation (translator/*.hpp) that writes C++ text.
}
header "post_include_hpp" {
#include "translator/look_ahead.hpp"
#include "translator/token_queue.hpp"
#include "translator/translator.hpp"
#include "translator/syntax_errors.hpp"
#include "translator/syntax_recovery.hpp"
#include "translator/read_as_meant.hpp"
#include "translator/brackets.hpp"
}
options { language="Cpp"; }

class VLParser extends Parser;
options {
    importVocab=VLBase;
    exportVocab=VL;
    k=2;
    defaultErrorHandler=true;
}

{
    TokenQueue tokenQueue;
    LookAhead ahead{tokenQueue};
    SyntaxRecovery recovery{*this, tokenQueue};
    ReadAsMeant meant{*this, tokenQueue, ahead, [this] { LA(1) == LITERAL_return ? returnInBody() : statement(); },
                      [this] { blockStatements(); }};
public:
    // Look-ahead goes through the parser's own token queue, which must be
    // given the token source before the first rule.
    void readTokensFrom(antlr::TokenStream &source) { tokenQueue.readFrom(source); }
    int LA(unsigned int i) override { return tokenQueue.LA(i); }
    antlr::RefToken LT(unsigned int i) override { return tokenQueue.LT(i); }
    void consume() override {
        // The names an editor's index places come from their tokens.
        if (!guessing() && LA(1) == IDENT && symbolIndex())
            noteNameToken(LT(1)->getText(), LT(1)->getLine(), LT(1)->getColumn());
        tokenQueue.consume();
    }
    unsigned int mark() override { return tokenQueue.mark(); }
    void rewind(unsigned int position) override { tokenQueue.rewind(position); }
    bool guessing() const { return inputState->guessing > 0; }
    const TokenQueue &tokens() const { return tokenQueue; }

    void reportError(const antlr::RecognitionException &ex) override { recovery.report(ex); }
    void reportError(const std::string &message) override { reportSyntax(LT(1)->getLine(), 0, 0, message); }
    void recover(const antlr::RecognitionException &, const antlr::BitSet &follow) override { recovery.recover(follow); }
    void consumeUntil(int type) override { recovery.consumeUntil(type); }
    void consumeUntil(const antlr::BitSet &follow) override { recovery.consumeUntil(follow); }
    bool skipStrayLine(bool inBlock) { return meant.takeDeclarationWord() || recovery.skipStrayLine(inBlock); }
    // The block that the last word read opens, until its rule returns.
    void opens(BlockOpening &opening, int closer) { opening.open(closer, tokenQueue.lastConsumed()); }
    antlr::RefToken functionName_;   // of the function whose head was read last
}

// ---------------------------------------------------------------------------
// The frame of one source

sourceFile
    :   { beginSourceFile(); }
        sourceBody
        EOF
        { endSourceFile(); }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        reportError(ex);
        consumeUntil(antlr::Token::EOF_TYPE);
        endSourceFile();
    }

sourceBody
    :   ( options { greedy=true; } : headerItem )*
        { writeOwnHeaderInclude(); }
        topLevelItems
    ;

topLevelItems
    :   ( { meant.takeMisspeltKeyword(); } topLevelItem )*
        { if (skipStrayLine(false)) topLevelItems(); }
    ;

headerItem
    :   EOL { lineEnd(); }
    |   comment
    |   defineDeclaration
    |   importBlock
    |   includeLine
    |   externBlock
    ;

comment
    :   c:Q_COMMENT { writeComment(c->getText()); }
    ;

includeLine { std::string path; }
    :   "include" { beginInclude(); }
        ( LEFTPAR )?
        (   s:STRING_LITERAL { includeQuoted(s->getText()); }
        |   includeAnglePath
        |   b:IDENT { path = b->getText(); }
            (   ( DOT { path += "."; } | DIV { path += "/"; } | MINUS { path += "-"; } )
                n:IDENT { path += n->getText(); }
            )*
            { includeQuoted("\"" + path + "\""); }
        )
        ( RIGHTPAR )?
        EOL { lineEnd(); }
    ;

includeAnglePath { std::string path; }
    :   (   x:XOPEN { path = x->getText().substr(1); }
        |   LESSER i:IDENT { path = i->getText(); }
        )
        (   ( DOT { path += "."; } | DIV { path += "/"; } | ANTISLASH { path += "\\"; } | MINUS { path += "-"; } )
            ( p:IDENT { path += p->getText(); } | q:INTEGER { path += q->getText(); } )
        )*
        GREATER
        { includeAngle(path); }
    ;

importBlock
    :   "import" { beginImport(); }
        ( EOL { lineEnd(); } | COLON )
        (   EOL { lineEnd(); }
        |   declaredClass[CLASS_IMPORTED]
        )*
        SLASHIMPORT
        { endImport(); }
    ;

// Declarations of things defined outside the program's sources. Their
// native texts go to the header; the declarations themselves write nothing.
externBlock
    :   "extern" { switchToHeader(); }
        (   ( EOL { countLineEnd(); } | COLON )
            (   EOL { countLineEnd(); }
            |   c:Q_COMMENT { countLineEnd(); }
            |   n:NATIVE { writeNative(n->getText()); emit("\n"); }
            |   { ahead.classAhead() }? declaredClass[CLASS_EXTERN]
            |   { ahead.functionDefinitionAhead() || ahead.declarationAhead(false) }? externDeclaration
            |   ~( SLASHEXTERN | EOL | Q_COMMENT | NATIVE )
            )*
            SLASHEXTERN
        |   externDeclaration
        )
        { switchToImplementation(); }
    ;

// A class of an import or extern block: its attributes and method heads.
declaredClass[ClassKind kind]
    :   ( modifier )*
        "class" n:IDENT { beginClass(n->getText(), kind); }
        (   "is" b:IDENT { classBase(b->getText()); }
            (   COMMA ( EOL { countLineEnd(); } )?
                c:IDENT { classFurtherBase(c->getText()); }
            )*
        )?
        ( EOL { countLineEnd(); } | COLON )
        { openClassBody(); }
        (   EOL { countLineEnd(); }
        |   Q_COMMENT { countLineEnd(); }
        |   { ahead.functionDefinitionAhead() }?
            { beginFunctionDefinition(true); }
            functionHead
            { endFunctionHead(); closeFunctionDefinition(); }
            ( EOL { countLineEnd(); } | SEMI )
        |   { ahead.declarationAhead(false) }?
            { writeIndent(); }
            localDeclaration
        )*
        SLASHCLASS
        { endClass(); }
    ;

// A function or variable defined outside the program's sources: known to
// the program, written nowhere.
externDeclaration { std::string name; }
    :   { ahead.functionDefinitionAhead() }?
        { beginFunctionDefinition(true); }
        functionHead
        { endFunctionHead(); closeFunctionDefinition(); }
    |   { beginDeclaration(); }
        ( modifier )*
        typeSpec
        a:IDENT { declareExternVariable(a->getText()); }
        ( options { greedy=true; } : COMMA b:IDENT { declareExternVariable(b->getText()); } )*
    ;

topLevelItem
    :   SEMI
    |   EOL { lineEnd(); }
    |   enumDeclaration
    |   defineDeclaration
    |   topLevelReturn
    |   { ahead.functionDefinitionAhead() }?
        functionDefinition
        { endTopLevelStatement(); }
    |   { ahead.classAhead() }?
        classDefinition
        { endTopLevelStatement(); }
    |   { ahead.declarationAhead(true) }?
        { continueMainIfLong(); writeIndent(); }
        localDeclaration
        { endTopLevelStatement(); }
    |   ( swapProbe ) =>
        { openMainForCall(LT(1)->getText()); beginStatement(); }
        swapStatement
        { endTopLevelStatement(); }
    |   ( IDENT LEFTPAR ) =>
        { openMainForCall(LT(1)->getText()); writeIndent(); }
        topLevelCall
        { endTopLevelStatement(); }
    |   ( Q_COMMENT ) => comment
    // An XML literal before main is a file-level variable with its value.
    |   ( XOPEN ) =>
        { continueMainIfLong(); beginStatement(); }
        xmlStatement
        { endTopLevelStatement(); }
    |   { openMainIfNeeded(); beginTopLevelStatement(LA(1) == LITERAL_while || LA(1) == LITERAL_for || LA(1) == LITERAL_do); }
        statement
        { output().blankLines = 0; endTopLevelStatement(); }
    ;

topLevelCall { ExprValue v; }
    :   v=postfixExpression
        { emit(v.text); }
        statementEnd
    ;

topLevelReturn { ExprValue v; }
    :   "return" { writeIndent(); emit("return"); }
        (   v=expression { emit(" " + v.text); }
            ( COMMA v=expression { emit(", " + v.text); } )*
        )?
        { ::reportError(E_RETURN_MISPLACED); }
        statementEnd
    ;

// Matches a type keyword without translating it, for the trial parse of "int()".
typeKeywordToken
    :   "void" | "bool" | "byte" | "number" | "int" | "real" | "integer" | "natural"
    |   "var" | "array" | "dict" | "file" | "text" | "cstring" | "function" | "char" | "object"
    ;

// ---------------------------------------------------------------------------
// Classes

// The class goes to the header; its methods are written inside it.
classDefinition { BlockOpening opening; }
    :   ( modifier )*
        "class" { opens(opening, SLASHCLASS); } n:IDENT { beginClass(n->getText()); }
        (   "is" b:IDENT { classBase(b->getText()); }
            (   COMMA ( EOL { countLineEnd(); } )?
                c:IDENT { classFurtherBase(c->getText()); }
            )*
        )?
        ( EOL { countLineEnd(); } | COLON )
        { openClassBody(); }
        classMembers
        { meant.closeClassBeforeStatement(); }
        SLASHCLASS
        { endClass(); }
        ( options { greedy=true; } : EOL { countLineEnd(); } | SEMI )?
    ;

// A method's `}` after its return goes on to the next member; the class's
// own `}` closes it as `/class` does.
classMembers
    :   ( classMember )*
        { if (meant.takeClassBrace()) classMembers(); }
    ;

classMember
    :   EOL { countLineEnd(); }
    |   ( Q_COMMENT ) => comment
    |   { ahead.functionDefinitionAhead() }?
        functionDefinition
    |   { ahead.declarationAhead(false) }?
        { writeIndent(); }
        localDeclaration
    ;

// ---------------------------------------------------------------------------
// Functions

// A definition ends with the return at the function's own level; a return
// inside one of its blocks is an early return.
functionDefinition { BlockOpening opening; }
    :   { beginFunctionDefinition(false); }
        functionHead
        { opening.open(LITERAL_return, functionName_); endFunctionHead(); }
        functionBody
        { closeFunctionDefinition(); }
    ;

functionHead
    :   ( modifier )*
        resultType
        ( COMMA ( EOL { countLineEnd(); } )* resultType )*
        n:IDENT { setFunctionName(n->getText()); functionName_ = n; }
        LEFTPAR ( EOL { countLineEnd(); } )* parameterList RIGHTPAR
    ;

resultType { bool arrayOfClass = false; }
    :   typeSpec { addReturnType(); }
    |   c:IDENT ( LEFTSQUARE RIGHTSQUARE { arrayOfClass = true; } )?
        { addClassReturnType(c->getText(), arrayOfClass); }
    ;

parameterList
    :   (   parameter
            ( COMMA ( EOL { countLineEnd(); } )* parameter )*
        )?
    ;

parameter { ExprValue v; }
    :   { beginParameter(); }
        ( "const" { parameterConst(); } )?
        ( "alias" { parameterAlias(); } )?
        (   typeSpec { parameterTypeFromDeclaration(); }
        |   "string" { parameterString(); }
        |   t:IDENT { parameterNamedType(t->getText()); }
            ( LEFTSQUARE RIGHTSQUARE { parameterArrayOfClass(t->getText()); } )?
        )
        ( "alias" { parameterAlias(); } )?
        ( MUL { parameterPointer(); } )*
        ( EOL { countLineEnd(); } )?
        (   n:IDENT { parameterName(n->getText()); }
        |   { parameterUnnamed(); }
        )
        (   EQUAL { beginParameterDefault(); }
            v=expression { endParameterDefault(); parameterDefault(v); }
        )?
        { endParameterDefault(); endParameter(); }
    ;

functionBody
    :   ( EOL { countLineEnd(); } | COLON )
        functionStatements
        { meant.takeBraceAsReturn(); }
        functionReturn
    |   ( QUESTION | "let" )
        (   functionReturn
        |   EOL { countLineEnd(); } functionReturn
        )
    |   functionReturn
    ;

// The statements of a function's own level, up to its closing return.
functionStatements
    :   ( options { greedy=true; } : { !meant.functionReturnAhead() }? bodyStatement )*
    ;

functionReturn { ExprValue v; std::vector<ExprValue> values; }
    :   "return"
        (   options { greedy=true; } :
            v=expression { values.push_back(v); }
            ( COMMA v=expression { values.push_back(v); } )*
        )?
        { writeReturn(values); emit(";\n"); }
        // A definition is closed by its line end. Were it optional, every
        // statement's first word could follow an expression and the
        // recovery from a faulty expression would stop there.
        (   EOL { countLineEnd(); }
        |   SEMI
        )
    ;

// ---------------------------------------------------------------------------
// Statements

statement
    :   { beginStatement(); }
        (   c:Q_COMMENT { writeStatementComment(c->getText()); }
        |   ( ATIDENT ~LEFTPAR ) => atStatement
        |   controlStatement
        |   n:NATIVE { writeNative(n->getText()); }
        |   printStatement
        |   echoStatement
        |   inputStatement
        |   globalStatement
        |   superCall
        |   { ahead.declarationAhead(false) }? localDeclaration
        |   xmlStatement
        |   expressionStatement
        )
    ;

atStatement { ExprValue v; }
    :   a:ATIDENT { noteObjectsMayBeReleased(); emit(a->getText().substr(1) + " "); }
        v=postfixExpression { emit(v.text); }
        statementEnd
    ;

// Ends every simple statement.
statementEnd
    :   EOL { emit(";\n"); countLineEnd(); }
    |   SEMI { emit(";\n"); }
    ;

// The statements that hold blocks, nested no deeper than the language allows.
controlStatement { BlockNestingGuard nesting; }
    :   ifStatement
    |   doStatement
    |   switchStatement
    |   errorStatement
    |   whileStatement
    |   forStatement
    |   tryStatement
    ;

bodyStatement
    :   { meant.takeMisspeltKeyword(); noteStatementStart(); }
        (   EOL { lineEnd(); }
    |   returnInBody
    |   "break" { writeIndent(); writeBreak(); } statementEnd
    |   "continue" { writeIndent(); writeContinue(); } statementEnd
    |   statement
        )
    ;

// The base class's constructor runs by itself: the call is checked and
// nothing is written for it.
superCall { ExprValue v; }
    :   "super" { beginSuperCall(); }
        LEFTPAR v=callArguments[std::move(v)]
        { endSuperCall(); }
        ( EOL { countLineEnd(); } | SEMI )
    ;

// A return inside a block of a function leaves the function early.
returnInBody { ExprValue v; std::vector<ExprValue> values; }
    :   "return"
        (   v=expression { values.push_back(v); }
            ( COMMA v=expression { values.push_back(v); } )*
        )?
        { writeReturn(values); }
        statementEnd
    ;

// The statements of a block, up to the word that closes it.
blockStatements
    :   ( options { greedy=true; } : { !meant.foreignCloseAhead() }? bodyStatement )*
        { if (!meant.takeForeignClose() && skipStrayLine(true)) blockStatements(); }
    ;

// A block body: its statements one level deeper, then the closing brace.
blockBody
    :   { enterControlBlock(); }
        blockStatements
        { leaveControlBlock(); writeClosingBrace(); }
    ;

// The one statement of a one-line form, inside its own braces.
controlledOneLine
    :   { enterControlBlock(); }
        oneLineBody
        { leaveControlBlock(); writeClosingBrace(); }
    ;

// After a one-line branch, `else` may be followed by an assignment or a
// call as it is by a print: `if c ? a = 1 else a = 2`.
controlledExpressionLine
    :   { enterControlBlock(); beginStatement(); }
        expressionStatement
        { leaveControlBlock(); writeClosingBrace(); }
    ;

oneLineBody
    :   QUESTION
        (   returnInBody
        |   "break" { writeIndent(); writeBreak(); } statementEnd
        |   "continue" { writeIndent(); writeContinue(); } statementEnd
        |   statement
        )
    |   "let" statement
    |   printStatementLine
    |   echoStatementLine
    |   inputStatementLine
    |   returnInBody
    |   "break" { writeIndent(); writeBreak(); } statementEnd
    |   "continue" { writeIndent(); writeContinue(); } statementEnd
    ;

printStatementLine : { beginStatement(); } printStatement ;
echoStatementLine : { beginStatement(); } echoStatement ;
inputStatementLine : { beginStatement(); } inputStatement ;

blockOpener
    :   EOL { countLineEnd(); }
    |   COLON
    ;

// The condition, or the subject of a composite if, is parsed once; the
// line after it tells the two forms apart.
ifStatement { SyntaxContext outer; ExprValue c; BlockOpening opening; int headLine = 0; }
    :   "if" { opens(opening, SLASHIF); outer = enterSyntaxContext(SYNTAX_IF); headLine = tokens().lastConsumed()->getLine(); }
        c=expression
        { meant.takeDeclarationWordAfterLineEnd(); }
        (   { ahead.compositeIfAhead() }? compositeIf[c]
        |   ordinaryIf[c]
        )
        { restoreSyntaxContext(outer); }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        if (recovery.skipBrokenIf(ex, outer, headLine))
            brokenBlockBody(SLASHIF);
    }

// The body of a block statement whose first line failed. Only actions
// call it, so its words are matched in them: the grammar knows nothing of
// what may follow it.
brokenBlockBody[int closer]
    :   { enterControlBlock(); }
        blockStatements
        { if (recovery.takeElseOfBrokenBody(closer)) blockStatements(); leaveControlBlock(); match(closer); }
    ;

ordinaryIf[ExprValue c]
    options { defaultErrorHandler=false; }
    :   { writeControlLine("if(" + controlConditionText(c) + ")"); }
        (   blockOpener { suspendSyntaxContext(); } blockBody
            (   "else" ( COLON )? { writeElse(); } blockBody
            )?
            SLASHIF
        |   controlledOneLine
            (   options { greedy=true; } :
                ( COLON | "else" ) { writeElse(); }
                (   controlledOneLine
                |   controlledExpressionLine
                )
            )?
        )
    ;

compositeIf[ExprValue subject]
    options { defaultErrorHandler=false; }
    :   { beginBranches(subject, false); }
        blockOpener { suspendSyntaxContext(); } ( EOL { countLineEnd(); } )*
        compositeBranch
        ( options { greedy=true; } : { nextBranch(); } compositeBranch )*
        (   "else" ( COLON )? { writeElse(); } blockBody
        )?
        SLASHIF
        { endBranches(false); }
    ;

compositeBranch
    options { defaultErrorHandler=false; }
    { ExprValue v; RangeOrValue f; int op = 0; }
    :   (   op=comparisonOperator v=bitOrExpression
            { writeControlLine("if(" + branchComparison(op, v) + ")"); }
        |   "in" f=rangeOrValue
            { writeControlLine("if(" + (f.isRange ? branchRange(f.low, f.high, f.inclusive) : branchContainer(f.value)) + ")"); }
        )
        blockOpener blockBody
    ;

comparisonOperator returns [int op = 0]
    :   LESSER { op = LESSER; }
    |   GREATER { op = GREATER; }
    |   EQUAL { op = EQUAL; }
    |   LESS_EQUAL { op = LESS_EQUAL; }
    |   GREAT_EQUAL { op = GREAT_EQUAL; }
    |   NOT_EQUAL { op = NOT_EQUAL; }
    |   PASDIFF { op = PASDIFF; }
    ;

switchStatement { ExprValue subject; BlockOpening opening; }
    :   "switch" { opens(opening, SLASHSWITCH); } subject=expression { beginBranches(subject, true); }
        blockOpener ( EOL { countLineEnd(); } )*
        caseClause
        ( { nextBranch(); } caseClause )*
        (   "default" ( COLON )? { writeElse(); } blockBody
        )?
        SLASHSWITCH
        { endBranches(true); }
    ;

caseClause { std::string condition; std::string test; int count = 1; }
    :   "case" test=caseValue { condition = test; }
        ( COMMA test=caseValue { condition += " || " + test; count++; } )*
        { writeControlLine("if(" + condition + ")"); }
        blockOpener blockBody
    ;

caseValue returns [std::string test] { RangeOrValue f; }
    :   f=rangeOrValue
        { test = f.isRange ? caseRange(f.low, f.high, f.inclusive) : caseEquals(f.value); }
    ;

whileStatement { ExprValue c; BlockOpening opening; OpenLoop loop(abandonWhile); int headLine = 0; }
    :   "while" { opens(opening, SLASHWHILE); beginWhile(); loop.begun(); headLine = tokens().lastConsumed()->getLine(); }
        (   "forever" { writeWhileHeader(""); }
        |   c=expression { writeWhileHeader(controlConditionText(c)); }
        )
        (   controlledOneLine
        |   blockOpener
            { enterControlBlock(); beginWhileBody(); }
            blockStatements
            { endWhileBody(LA(1) == LITERAL_let); }
            (   SLASHWHILE
            |   letClause ( options { greedy=true; } : letClause )*
            )
            { leaveControlBlock(); endWhileBlock(); }
        )
        { loop.ended(); endWhile(); }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        reportError(ex);
        if (recovery.skipBrokenHead(ex, headLine, SLASHWHILE))
            brokenBlockBody(SLASHWHILE);
    }

letClause
    :   "let" { countLetClause(); } statement
    ;

doStatement { ExprValue c; BlockOpening opening; }
    :   "do" { opens(opening, SLASHDO); beginDo(); }
        (   ( ( EOL | COLON )* "case" ) =>
            ( EOL { countLineEnd(); } | COLON )*
            doCaseChain
        |   ( COLON )? blockStatements
        )
        { endDoBody(); }
        (   SLASHDO
            (   "until" c=expression { writeDoEnding("while(!(" + conditionText(c) + "))"); }
            |   "forever" { writeDoEnding("while(true)"); }
            |   "while"
                (   "forever" { writeDoEnding("while (true)"); }
                |   c=expression { writeDoEnding("while (" + controlConditionText(c) + ")"); }
                )
            |   { writeDoEnding("while(false)"); }
            )
        |   "until" c=expression { writeDoEnding("while(!(" + conditionText(c) + "))"); }
        )
        statementEnd
        { endDo(); }
    ;

doCaseChain
    :   firstDoCase
        ( options { greedy=true; } : { nextBranch(); } furtherDoCase )*
        (   ( "else" | "default" ) ( COLON )? { writeElse(); } blockBody
        )?
        (   "always" ( COLON )? blockStatements
        )?
    ;

firstDoCase { ExprValue c; SyntaxContext outer; }
    :   "case" { outer = enterSyntaxContext(SYNTAX_FIRST_CASE); } c=expression { writeIndent(); writeControlLine("if(" + controlConditionText(c) + ")"); }
        blockOpener { suspendSyntaxContext(); } blockBody
        { restoreSyntaxContext(outer); }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        recovery.skipBrokenClause(SYNTAX_FIRST_CASE, outer);
    }

furtherDoCase { ExprValue c; SyntaxContext outer; }
    :   "case" { outer = enterSyntaxContext(SYNTAX_FURTHER_CASE); } c=expression { writeControlLine("if(" + controlConditionText(c) + ")"); }
        blockOpener { suspendSyntaxContext(); } blockBody
        { restoreSyntaxContext(outer); }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        recovery.skipBrokenClause(SYNTAX_FURTHER_CASE, outer);
    }

forStatement { ExprValue low; ExprValue high; ExprValue step; ExprValue container;
               std::string first; std::string second; int declaredType = 0; bool inclusive = true; bool descending = false; bool hasStep = false;
               BlockOpening opening; OpenLoop loop(abandonFor); int headLine = 0; }
    :   "for" { opens(opening, SLASHFOR); beginFor(); loop.begun(); headLine = tokens().lastConsumed()->getLine(); }
        (   declaredType=loopVariableType )?
        a:IDENT { first = a->getText(); }
        ( COMMA b:IDENT { second = b->getText(); } )?
        "in"
        (   ( additiveExpression ( DOTDOT | MINMIN ) ) =>
            low=additiveExpression ( DOTDOT | MINMIN { inclusive = false; } ) high=additiveExpression
            (   "step" { hasStep = true; }
                (   ( MINUS INTEGER ) => MINUS { descending = true; } s1:INTEGER { step = integerLiteral("-" + s1->getText()); }
                |   ( PLUS INTEGER ) => PLUS s2:INTEGER { step = integerLiteral(s2->getText()); }
                |   step=additiveExpression { descending = stepIsNegative(step); }
                )
            )?
            { writeRangeFor(declaredType, first, low, high, inclusive, descending, hasStep, step, ahead); }
        |   container=expression
            { writeContainerFor(declaredType, first, second, container); }
        )
        (   controlledOneLine
        |   blockOpener blockBody SLASHFOR
        )
        { loop.ended(); endFor(); }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        reportError(ex);
        if (blockHeadFailed(ex, headLine, SLASHFOR))
            declareVariablesOfBrokenFor(declaredType, first, second);
        if (recovery.skipBrokenHead(ex, headLine, SLASHFOR))
            brokenBlockBody(SLASHFOR);
    }

loopVariableType returns [int type = 0]
    :   { beginDeclaration(); } typeSpec { type = currentDeclaredType(); }
    ;

tryStatement { BlockOpening opening; }
    :   "try" { opens(opening, SLASHTRY); writeControlLine("try"); enterControlBlock(); }
        ( COLON )?
        blockStatements
        { leaveControlBlock(); writeClosingBrace(); }
        (   { meant.takeForeignCatch(); }
            "catch" LEFTPAR ( EOL { countLineEnd(); } )?
            cls:IDENT v:IDENT RIGHTPAR
            { beginCatch(cls->getText(), v->getText()); }
            ( COLON )?
            blockStatements
            { leaveControlBlock(); writeClosingBrace(); }
        |   { writeEmptyCatch(); }
        )
        SLASHTRY
    ;

errorStatement { BlockOpening opening; }
    :   "error" { opens(opening, SLASHERROR); writeControlLine("if(dyn::error==false)"); }
        (   controlledOneLine
        |   blockOpener blockBody SLASHERROR
        )
    ;

globalStatement
    :   "global" IDENT
    ;

// ---------------------------------------------------------------------------
// print, echo and input

printStatement
    :   "print"
        (   { emit("vel_out << \"\\n\""); }
        |   { beginList(); } printList { writePrintLine(true); }
        )
        statementEnd
    ;

echoStatement
    :   "echo" { beginList(); } printList { writePrintLine(false); } statementEnd
    ;

printList { ExprValue v; }
    :   v=expression { recordItem(v); }
        (   COMMA ( EOL { countLineEnd(); } )?
            v=expression { recordItem(v); }
        )*
    ;

inputStatement { AssignTarget t; std::string prompt; }
    :   "input"
        (   p:STRING_LITERAL { prompt = p->getText(); }
            COMMA ( EOL { countLineEnd(); } )?
        )?
        t=assignTarget
        { writeInput(t, prompt); }
        statementEnd
    ;

// ---------------------------------------------------------------------------
// Declarations

modifier
    :   "private" { addAccessModifier("private "); }
    |   "protected" { addAccessModifier("protected "); }
    |   "static" { addStaticModifier(); }
    |   "volatile" { addModifier("volatile "); }
    |   "inline" { addModifier("inline "); }
    |   "const" { addConstModifier(); }
    ;

typeKeyword
    :   "void" { setDeclaredType(T_VOID, "void "); }
    |   "bool" { setDeclaredType(T_BOOLEAN, "bool "); }
    |   "byte" { setDeclaredType(T_BYTE, "unsigned char "); }
    |   "number" { setDeclaredType(T_NUMBER, "double "); }
    |   "int" { setDeclaredType(T_INTEGER, "int "); }
    |   "real" { setDeclaredType(T_REAL, "double "); }
    |   "integer" { setDeclaredType(T_INTEGER, "int "); }
    |   "natural" { setDeclaredType(T_NATURAL, "natural "); }
    |   "var" { setDeclaredType(T_VAR, "dyn "); }
    |   "array" { setDeclaredType(T_ARRAY, "velarray "); }
    |   "dict" { setDeclaredType(T_DICT, "dict "); }
    |   "file" { setDeclaredType(T_FILE, "FILE *"); }
    |   "text" { setDeclaredType(T_TEXT, "text "); }
    |   "cstring" { setDeclaredType(T_CHARPTR, "char *"); }
    |   "function" { setDeclaredType(T_FUNCTION, "function "); }
    |   "char" { setDeclaredType(T_CHAR, "char "); }
    |   "object" { setDeclaredType(T_OBJECT, "velarray "); }
    ;

typeSpec
    :   typeKeyword
        ( LEFTSQUARE RIGHTSQUARE { applyArraySuffix(); } )*
    ;

localDeclaration
    :   { beginDeclaration(); }
        ( modifier )*
        (   typeSpec declaratorList
        |   classTypeName objectDeclarator
        )
    ;

declaratorList
    :   declarator
        (   COMMA ( EOL { countLineEnd(); } )?
            { betweenDeclarators(); }
            declarator
        )*
        (   EOL { endDeclarationList(); countLineEnd(); }
        |   SEMI { endDeclarationList(); }
        )
    ;

declarator { ExprValue v; bool hasValue = false; }
    :   n:IDENT
        (   EQUAL ( EOL { countLineEnd(); } )?
            v=expression { hasValue = true; }
        )?
        { writeDeclarator(n->getText(), hasValue, v); }
    ;

classTypeName { std::string name; }
    :   a:IDENT { name = a->getText(); }
        ( DOT b:IDENT { name += "." + b->getText(); } )*
        { beginObjectDeclaration(name); }
        ( LEFTSQUARE RIGHTSQUARE { applyObjectArraySuffix(); } )*
    ;

objectDeclarator { ExprValue v; int form = 0; }
    :   n:IDENT
        (   ( EQUAL ( EOL )? "null" ) =>
            EQUAL ( EOL { countLineEnd(); } )? "null" { form = 1; }
        |   EQUAL ( EOL { countLineEnd(); } )? v=expression { form = 2; }
        )?
        { writeObjectDeclarator(n->getText(), form, v); }
        (   EOL { countLineEnd(); }
        |   SEMI
        )
    ;

enumDeclaration
    :   "enum" { beginEnumeration(); }
        (   ( EOL { countLineEnd(); } | COLON )
            ( EOL { countLineEnd(); } )*
            enumItems
            ( EOL { countLineEnd(); } )*
            SLASHENUM
        |   ( ( "let" | QUESTION ) ( EOL { countLineEnd(); } )? )?
            enumItems
        )
    ;

enumItems
    :   enumItem
        (   COMMA ( EOL { countLineEnd(); } )*
            enumItem
        )*
    ;

enumItem
    :   n:IDENT
        (   EQUAL i:INTEGER { enumItemNumbered(n->getText(), i->getText()); }
        |   COLON
            (   r:REAL_LITERAL { enumItemValued(n->getText(), r->getText(), T_REAL); }
            |   j:INTEGER { enumItemValued(n->getText(), j->getText(), T_INTEGER); }
            |   s:STRING_LITERAL { enumItemValued(n->getText(), s->getText(), T_TEXT); }
            )
        |   { enumItemCounted(n->getText()); }
        )
    ;

defineDeclaration
    :   "define" n:IDENT
        (   "as" { defineType(n->getText(), true); }
        |   EQUAL s:STRING_LITERAL { defineFunctionType(n->getText(), s->getText()); }
        |   { defineType(n->getText(), false); }
        )
        (   EOL { countLineEnd(); }
        |   SEMI
        )
    ;

// ---------------------------------------------------------------------------
// Assignments and expression statements

xmlStatement
    :   { beginXmlStatement(); }
        xmlElement
        { endXmlStatement(); }
    ;

xmlElement
    :   x:XOPEN { openXmlElement(x->getText()); }
        ( xmlAttribute | EOL { countLineEnd(); } )*
        GREATER { writeXmlElementHead(); }
        (   i:INTEGER { writeXmlData(integerLiteral(i->getText())); }
        |   r:REAL_LITERAL { writeXmlData(realLiteral(r->getText())); }
        |   s:STRING_LITERAL { writeXmlData(stringLiteral(s->getText())); }
        |   t:TEMPLATE { writeXmlTemplate(t->getText()); }
        |   EOL { countLineEnd(); }
        |   xmlElement
        )*
        c:XCLOSE EOL { closeXmlElement(c->getText()); }
    ;

xmlAttribute { std::string name; std::string part; }
    :   name=xmlName
        (   COLON part=xmlName { name += "," + part; }
        |   ( MINUS part=xmlName { name += "-" + part; } )+
        )?
        EQUAL
        (   r:REAL_LITERAL { addXmlAttribute(name, realLiteral(r->getText()).text); }
        |   i:INTEGER { addXmlAttribute(name, integerLiteral(i->getText()).text); }
        |   s:STRING_LITERAL { addXmlAttribute(name, s->getText()); }
        )
    ;

// Attribute names are names of XML: the words of the language count too
// (class="...", for="...").
xmlName returns [std::string name]
    :   { name = LT(1)->getText(); }
        (   IDENT
        |   "private" | "protected" | "static" | "volatile" | "inline" | "if" | "do" | "switch" | "always"
        |   "error" | "enum" | "catch" | "case" | "super" | "and" | "or" | "is" | "in"
        |   "as" | "define" | "mod" | "alias" | "void" | "bool" | "byte" | "number" | "int"
        |   "real" | "integer" | "natural" | "var" | "array" | "dict" | "file" | "text" | "string"
        |   "cstring" | "function" | "char" | "object" | "zero" | "nil" | "true" | "false" | "null"
        |   "class" | "import" | "include" | "else" | "print" | "return" | "echo" | "while" | "until"
        |   "for" | "default" | "forever" | "let" | "global" | "extern" | "not" | "this" | "step"
        |   "break" | "continue" | "try" | "input" | "const"
        )
    ;

expressionStatement { ExprValue v; }
    :   ( swapProbe ) => swapStatement
    |   ( assignTargetProbe ( COMMA assignTargetProbe )* assignmentOperator ) =>
        assignment
    |   v=postfixExpression { writeExpressionStatement(v); }
        statementEnd
    ;

// swap of two places that an assignment could write: variables, elements
// and attributes. Any other swap is a call, whose arguments are values.
swapProbe
    :   { LT(1)->getText() == "swap" }? IDENT LEFTPAR assignTargetProbe COMMA assignTargetProbe RIGHTPAR
    ;

swapStatement { AssignTarget a; AssignTarget b; }
    :   IDENT LEFTPAR a=assignTarget COMMA b=assignTarget RIGHTPAR
        { writeSwap(a, b); }
        assignmentEnd
    ;

assignmentOperator
    :   EQUAL | PLUS | MINUS | MUL | DIV | "mod" | AND_BIN | OR_BIN | XOR_BIN | SHIFT_LEFT | SHIFT_RIGHT
    ;

assignTargetProbe
    :   IDENT
        (   subscriptProbe
        |   DOT IDENT
        )*
    |   "this" ( DOT IDENT )+
    |   PHPID
    ;

// A subscript skipped whole, brackets of the index nested inside it
// included, so that counts[keys[m]] = 1 is seen as an assignment.
subscriptProbe
    :   LEFTSQUARE ( subscriptProbe | ~( LEFTSQUARE | RIGHTSQUARE ) )* RIGHTSQUARE
    ;

assignment { AssignTarget t; ExprValue v; char op = '='; }
    :   { beginAssignment(); }
        t=assignTarget { addAssignTarget(t); }
        ( COMMA t=assignTarget { addAssignTarget(t); } )*
        (   EQUAL
        |   PLUS { op = '+'; }
        |   MINUS { op = '-'; }
        |   MUL { op = '*'; }
        |   DIV { op = '/'; }
        |   "mod" { op = '%'; }
        |   AND_BIN { op = '&'; }
        |   OR_BIN { op = '|'; }
        |   XOR_BIN { op = '^'; }
        |   SHIFT_LEFT { op = '<'; }
        |   SHIFT_RIGHT { op = '>'; }
        )
        ( EOL { countLineEnd(); } )?
        v=expression { addAssignValue(v); }
        ( COMMA ( EOL { countLineEnd(); } )? v=expression { addAssignValue(v); } )*
        { writeAssignment(op); }
        assignmentEnd
    ;

// An assignment writes its own line ends; the terminator only counts the line.
assignmentEnd
    :   EOL { countLineEnd(); }
    |   SEMI
    ;

assignTarget returns [AssignTarget t] { ExprValue index; ExprValue low; ExprValue high; bool inclusive = true; bool hasHigh = false; }
    :   (   n:IDENT { t = beginTarget(n->getText()); }
        |   "this" { t = thisTarget(); }
        )
        (   LEFTSQUARE
            (   RIGHTSQUARE { currentElementTarget(t, LA(1) == LEFTSQUARE); }
            |   ( DOTDOT | MINMIN { inclusive = false; } )
                ( high=expression { hasHigh = true; } )?
                RIGHTSQUARE
                { sliceTarget(t, false, low, hasHigh, high, inclusive); }
            |   index=expression
                (   RIGHTSQUARE
                    { indexTarget(t, index, LA(1) == LEFTSQUARE); }
                |   ( DOTDOT | MINMIN { inclusive = false; } )
                    ( high=expression { hasHigh = true; } )?
                    RIGHTSQUARE
                    { sliceTarget(t, true, index, hasHigh, high, inclusive); }
                )
            )
        |   DOT m:IDENT { memberTarget(t, m->getText()); }
        )*
    |   p:PHPID { t = beginTarget(p->getText().substr(1)); }
    ;

// ---------------------------------------------------------------------------
// Expressions. Each rule returns the C++ text and the type of what it parsed.

expression returns [ExprValue v] { NestingGuard guard; }
    :   v=orExpression { checkBracketDepth(v); }
    ;

orExpression returns [ExprValue v] { ExprValue r; }
    :   v=andExpression
        (   "or" ( EOL { countLineEnd(); } )?
            r=andExpression
            { v = logicalOperator(std::move(v), "||", r); }
        )*
    ;

andExpression returns [ExprValue v] { ExprValue r; }
    :   v=relationExpression
        (   "and" ( EOL { countLineEnd(); } )?
            r=relationExpression
            { v = logicalOperator(std::move(v), "&&", r); }
        )*
    ;

relationExpression returns [ExprValue v] { ExprValue r; int op = 0; }
    :   v=bitOrExpression
        (   (   op=comparisonOperator ( EOL { countLineEnd(); } )?
                r=bitOrExpression
                { v = comparison(std::move(v), op, r); }
            )+
        |   v=inTail[v]
        )?
    ;

inTail[ExprValue item] returns [ExprValue v] { bool negated = false; RangeOrValue f; }
    :   ( "not" { negated = true; } )? "in" ( EOL { countLineEnd(); } )?
        f=rangeOrValue
        { v = f.isRange ? inRange(item, f.low, f.high, f.inclusive, negated) : inContainer(item, f.value, negated); }
    ;

// The first operand is parsed once and the token after it tells a range
// from a value: a guess over the operand would parse it twice per level of
// nesting, which doubles the time of every "in (...)" written inside another.
rangeOrValue returns [RangeOrValue f] { ExprValue first; ExprValue high; }
    :   first=additiveExpression
        (   options { generateAmbigWarnings=false; } :
            ( DOTDOT | MINMIN { f.inclusive = false; } ) high=additiveExpression
            { f.isRange = true; f.low = std::move(first); f.high = std::move(high); }
        |   first=bitOrFrom[first] { f.value = std::move(first); }
        )
    ;

// The operator levels from "|" down to the shifts, each after a first
// operand already parsed.
bitOrExpression returns [ExprValue v] { ExprValue first; }
    :   first=additiveExpression v=bitOrFrom[first]
    ;

bitOrFrom[ExprValue first] returns [ExprValue v] { ExprValue r; }
    :   v=bitXorFrom[first]
        (   OR_BIN ( EOL { countLineEnd(); } )?
            r=bitXorExpression
            { v = bitOperator(std::move(v), "|", r); }
        )*
    ;

bitXorExpression returns [ExprValue v] { ExprValue first; }
    :   first=additiveExpression v=bitXorFrom[first]
    ;

bitXorFrom[ExprValue first] returns [ExprValue v] { ExprValue r; }
    :   v=bitAndFrom[first]
        (   XOR_BIN ( EOL { countLineEnd(); } )?
            r=bitAndExpression
            { v = bitOperator(std::move(v), "^", r); }
        )*
    ;

bitAndExpression returns [ExprValue v] { ExprValue first; }
    :   first=additiveExpression v=bitAndFrom[first]
    ;

bitAndFrom[ExprValue first] returns [ExprValue v] { ExprValue r; }
    :   v=shiftFrom[first]
        (   ( AND_BIN | SHARP ) ( EOL { countLineEnd(); } )?
            r=shiftExpression
            { v = bitOperator(std::move(v), "&", r); }
        )*
    ;

shiftExpression returns [ExprValue v] { ExprValue first; }
    :   first=additiveExpression v=shiftFrom[first]
    ;

shiftFrom[ExprValue first] returns [ExprValue v] { ExprValue r; bool left = true; }
    :   { v = std::move(first); }
        (   ( SHIFT_LEFT { left = true; } | SHIFT_RIGHT { left = false; } )
            ( EOL { countLineEnd(); } )?
            r=additiveExpression
            { v = shiftOperator(std::move(v), left, r); }
        )*
    ;

additiveExpression returns [ExprValue v] { ExprValue r; bool plus = true; }
    :   v=multiplicativeExpression
        (   options { greedy=true; } :
            ( PLUS { plus = true; } | MINUS { plus = false; } )
            ( EOL { countLineEnd(); } )?
            r=multiplicativeExpression
            { v = additiveOperator(std::move(v), plus, r); }
        )*
    ;

multiplicativeExpression returns [ExprValue v] { ExprValue r; int op = 0; }
    :   v=unaryExpression
        (   options { greedy=true; } :
            ( MUL { op = MUL; } | DIV { op = DIV; } | "mod" { op = LITERAL_mod; } )
            ( EOL { countLineEnd(); } )?
            r=unaryExpression
            { v = multiplicativeOperator(std::move(v), op, r); }
        )*
    ;

// Prefix operators apply from the operand outwards: "- not x" negates !x.
unaryExpression returns [ExprValue v] { std::string prefix; }
    :   (   MINUS { prefix = appendPrefix(std::move(prefix), "-"); }
        |   PLUS { prefix = appendPrefix(std::move(prefix), "+"); }
        |   NOT_BIN { prefix = appendPrefix(std::move(prefix), "~"); }
        |   "not" { prefix = appendPrefix(std::move(prefix), "!"); }
        )*
        v=postfixExpression
        { v = prefixed(prefix, v); }
    ;

postfixExpression returns [ExprValue v]
    :   ( IDENT LEFTPAR ) => v=functionCall ( options { greedy=true; } : v=memberOrMethod[std::move(v)] )*
    |   a:ATIDENT { v = beginExternalCall(a->getText()); } LEFTPAR v=callArguments[std::move(v)]
    |   v=nameChain
    |   v=atom ( options { greedy=true; } : v=memberOrMethod[std::move(v)] )*
    ;

// After a call or an atom ("this", a literal): a method, an attribute of
// an object, an element or a slice: "mk()[1]", "'abc'[1]", "[4, 5][0]", "\"hello\"[1..3]".
memberOrMethod[ExprValue owner] returns [ExprValue v] { ExprValue index; ExprValue low; ExprValue high; bool inclusive = true; bool hasHigh = false; }
    :   { LA(3) == LEFTPAR }? v=methodCall[std::move(owner)]
    |   DOT m:IDENT { v = memberOfName(std::move(owner), m->getText()); }
    |   LEFTSQUARE
        (   ( DOTDOT | MINMIN { inclusive = false; } )
            ( high=expression { hasHigh = true; } )?
            RIGHTSQUARE
            { v = sliceOfValue(std::move(owner), false, low, hasHigh, high, inclusive); }
        |   index=expression
            (   RIGHTSQUARE
                { v = indexOfValue(std::move(owner), index, LA(1) == LEFTSQUARE); }
            |   ( DOTDOT | MINMIN { inclusive = false; } )
                ( high=expression { hasHigh = true; } )?
                RIGHTSQUARE
                { v = sliceOfValue(std::move(owner), true, index, hasHigh, high, inclusive); }
            )
        )
    ;

// A method of the value before the dot: "s.trim()", "'a,b'.split(',')".
methodCall[ExprValue receiver] returns [ExprValue v] { std::string name; }
    :   DOT
        // "in" is a keyword and also the name of an array method.
        ( m:IDENT { name = m->getText(); } | "in" { name = "in"; } )
        LEFTPAR { v = beginMethodCall(std::move(receiver), name); }
        v=callArguments[std::move(v)]
    ;

functionCall returns [ExprValue v]
    :   n:IDENT { v = beginCall(n->getText()); }
        LEFTPAR v=callArguments[std::move(v)]
    ;

// The arguments and the closing ")". A syntax error among them is one
// "bad call syntax" message; the call's checks, which would only see the
// arguments parsed so far, are left out.
callArguments[ExprValue call] returns [ExprValue v] { ExprValue a; SyntaxContext outer; }
    :   { v = std::move(call); openArguments(); outer = enterSyntaxContext(SYNTAX_CALL); }
        ( EOL { countLineEnd(); } )*
        (   a=expression { addArgument(a); }
            (   COMMA ( EOL { countLineEnd(); } )*
                a=expression { addArgument(a); }
            )*
            // After a failed argument the line end is the statement's.
            ( { !syntaxContextFailed() }? EOL { countLineEnd(); } )*
        )?
        RIGHTPAR
        {
            bool failed = syntaxContextFailed();
            restoreSyntaxContext(outer);
            v = failed ? abandonArguments(v) : closeArguments(std::move(v));
        }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        recovery.skipBrokenArguments(ex, outer);
        v = abandonArguments(v);
    }

nameChain returns [ExprValue v] { ExprValue index; ExprValue low; ExprValue high; bool inclusive = true; bool hasHigh = false; bool afterSlice = false; }
    :   n:IDENT { v = beginName(n->getText(), LA(1) == DOT && LA(3) == LEFTPAR); }
        (   options { greedy=true; } :
            LEFTSQUARE
            // The first expression is parsed once; what follows it tells an
            // index from a slice or a key range.
            (   RIGHTSQUARE { v = currentElementOfName(std::move(v), afterSlice); }
            |   ( DOTDOT | MINMIN { inclusive = false; } )
                ( high=expression { hasHigh = true; } )?
                RIGHTSQUARE
                { v = sliceOfName(std::move(v), false, low, hasHigh, high, inclusive); hasHigh = false; inclusive = true; afterSlice = true; }
            |   index=expression
                (   RIGHTSQUARE
                    { v = indexOfName(std::move(v), index, LA(1) == LEFTSQUARE); }
                |   ( DOTDOT | MINMIN { inclusive = false; } )
                    ( high=expression { hasHigh = true; } )?
                    RIGHTSQUARE
                    { v = sliceOfName(std::move(v), true, index, hasHigh, high, inclusive); hasHigh = false; inclusive = true; afterSlice = true; }
                |   COLON high=expression RIGHTSQUARE
                    { v = keyRangeOfName(std::move(v), index, high); }
                )
            )
        |   { LA(3) == LEFTPAR }? v=methodCall[std::move(v)]
        |   DOT m:IDENT { v = memberOfName(std::move(v), m->getText()); }
        )*
    ;

atom returns [ExprValue v] { ExprValue inner; }
    :   "true" { v = constantValue("true", T_BOOLEAN); }
    |   "false" { v = constantValue("false", T_BOOLEAN); }
    |   "null" { v = constantValue("NULL", T_OBJECT); }
    |   "nil" { v = constantValue("nil", T_NIL); }
    |   "zero" { v = constantValue("0", T_NUMBER); }
    |   "this" { v = thisValue(); }
    |   i:INTEGER { v = integerLiteral(i->getText()); }
    |   r:REAL_LITERAL { v = realLiteral(r->getText()); }
    |   s:STRING_LITERAL { v = stringLiteral(s->getText()); }
    |   c:PHPCONSTANT { v = phpConstant(c->getText()); }
    |   p:PHPID { v = beginName(p->getText().substr(1)); }
    |   LEFTPAR inner=expression RIGHTPAR { v = parenthesized(inner); }
    |   ( typeKeywordToken LEFTPAR RIGHTPAR ) => { beginTypeValue(); } typeKeyword LEFTPAR RIGHTPAR { v = emptyContainer(currentDeclaredType()); endTypeValue(); }
    |   v=listLiteral
    |   v=dictLiteral
    ;

listLiteral returns [ExprValue v] { ExprValue e; std::vector<ExprValue> items; }
    :   LEFTSQUARE
        ( EOL { countLineEnd(); } )*
        (   e=listElement { items.push_back(e); }
            (   COMMA ( EOL { countLineEnd(); } )*
                (   e=listElement { items.push_back(e); } )?
            )*
        )?
        RIGHTSQUARE
        { v = makeListLiteral(items); }
    ;

dictLiteral returns [ExprValue v] { ExprValue e; std::vector<ExprValue> items; }
    :   LEFTCURLY
        ( EOL { countLineEnd(); } )*
        (   e=listElement { items.push_back(e); }
            (   COMMA ( EOL { countLineEnd(); } )*
                (   e=listElement { items.push_back(e); } )?
            )*
        )?
        RIGHTCURLY
        { v = makeDictLiteral(items); }
    ;

// An element of a list, or a key and its value.
listElement returns [ExprValue v] { ExprValue value; }
    :   v=expression
        (   COLON ( EOL { countLineEnd(); } )? value=expression
            { v = dictionaryEntry(v, value); }
        )?
        ( EOL { countLineEnd(); } )*
    ;
