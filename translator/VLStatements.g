// The statements of the language: simple and control statements, print,
// echo and input, and declarations. The parser's grammar (VLParser.g)
// extends this one and gives it the members its actions use.

class VLStatements extends VLExpressions;
// The tokens of the lexer's vocabulary, as in the grammars around it.
options { importVocab=VLBase; }

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
    :   a:ATIDENT { writeAtWord(a->getText()); }
        v=postfixExpression { emit(v.text); }
        statementEnd
    ;

// Ends every simple statement.
statementEnd
    :   EOL { writeStatementEnd(); countLineEnd(); }
    |   SEMI { writeStatementEnd(); }
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
    :   "if" { opens(opening, SLASHIF); outer = enterSyntaxContext(SYNTAX_IF); headLine = lastLine(); }
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
    :   { writeIfLine(c); }
        (   blockOpener { suspendSyntaxContext(); } blockBody
            (   "else" ( COLON )? { writeElse(); } blockBody
            )?
            SLASHIF
        |   controlledOneLine
            // Always true: the `else` is taken here, as a trial parse
            // takes it too, without checking what may follow the statement
            // (a `}` is read as the close of an outer block only later).
            { takeOneLineElse() }?
        )
    ;

// The `else` of a one-line if, called by takeOneLineElse only.
oneLineElse
    options { defaultErrorHandler=false; }
    :   ( COLON | "else" ) { writeElse(); }
        (   controlledOneLine
        |   controlledExpressionLine
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
            { writeComparisonBranch(op, v); }
        |   "in" f=rangeOrValue
            { writeInBranch(f); }
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

caseClause { std::string test; std::vector<std::string> tests; }
    :   "case" test=caseValue { tests.push_back(test); }
        ( COMMA test=caseValue { tests.push_back(test); } )*
        { writeCaseLine(tests); }
        blockOpener blockBody
    ;

caseValue returns [std::string test] { RangeOrValue f; }
    :   f=rangeOrValue
        { test = caseTest(f); }
    ;

whileStatement { ExprValue c; BlockOpening opening; OpenLoop loop(abandonWhile); int headLine = 0; }
    :   "while" { opens(opening, SLASHWHILE); beginWhile(); loop.begun(); headLine = lastLine(); }
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
            (   "until" c=expression { writeDoUntil(c); }
            |   "forever" { writeDoForever(); }
            |   "while"
                (   "forever" { writeDoWhileForever(); }
                |   c=expression { writeDoWhile(c); }
                )
            |   { writeDoOnce(); }
            )
        |   "until" c=expression { writeDoUntil(c); }
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
    :   "case" { outer = enterSyntaxContext(SYNTAX_FIRST_CASE); } c=expression { writeIndent(); writeIfLine(c); }
        blockOpener { suspendSyntaxContext(); } blockBody
        { restoreSyntaxContext(outer); }
    ;
    exception
    catch [antlr::RecognitionException &ex] {
        if (guessing()) throw;
        recovery.skipBrokenClause(SYNTAX_FIRST_CASE, outer);
    }

furtherDoCase { ExprValue c; SyntaxContext outer; }
    :   "case" { outer = enterSyntaxContext(SYNTAX_FURTHER_CASE); } c=expression { writeIfLine(c); }
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
    :   "for" { opens(opening, SLASHFOR); beginFor(); loop.begun(); headLine = lastLine(); }
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
    :   "try" { opens(opening, SLASHTRY); beginTry(); }
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
    :   "error" { opens(opening, SLASHERROR); writeErrorLine(); }
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
        (   { writeEmptyPrint(); }
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
    exception
    catch [antlr::RecognitionException &ex] {
        if (!guessing() && n && !hasValue)
            declareAfterBrokenValue(n->getText());
        throw;
    }

classTypeName { std::string name; }
    :   a:IDENT { name = a->getText(); }
        ( DOT b:IDENT { name += "." + b->getText(); } )*
        { beginObjectDeclaration(name); }
        ( LEFTSQUARE RIGHTSQUARE { applyObjectArraySuffix(); } )*
    ;

objectDeclarator
    :   objectNamed
        (   COMMA ( EOL { countLineEnd(); } )?
            { betweenObjectDeclarators(); }
            objectNamed
        )*
        (   EOL { countLineEnd(); }
        |   SEMI
        )
    ;

objectNamed { ExprValue v; int form = 0; }
    :   n:IDENT
        (   ( EQUAL ( EOL )? "null" ) =>
            EQUAL ( EOL { countLineEnd(); } )? "null" { form = 1; }
        |   EQUAL ( EOL { countLineEnd(); } )? v=expression { form = 2; }
        )?
        { writeObjectDeclarator(n->getText(), form, v); }
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
