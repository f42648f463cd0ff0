header "pre_include_hpp" {
// The Velmora parser. Its rules translate while they parse: every action
// calls a translator operation (translator/*.hpp) that writes C++ text.
}
// This grammar reads the frame of a source, its classes and functions; it
// extends the grammar of statements (VLStatements.g), which extends that
// of expressions (VLExpressions.g). Its members serve the rules of all three.
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

class VLParser extends VLStatements;
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
    // The line of the last word read: a block statement's first line.
    int lastLine() const { return tokenQueue.lastConsumed()->getLine(); }
    bool takeOneLineElse() {
        if ((LA(1) == COLON || LA(1) == LITERAL_else) && beginsOneLineBranch(LA(2)))
            oneLineElse();
        return true;
    }
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

// Outside a function nothing can be left: the values are still checked, but
// only the empty statement is written, which stands anywhere in C++.
topLevelReturn { ExprValue v; }
    :   "return" { writeIndent(); }
        (   v=expression
            ( COMMA v=expression )*
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
        { writeReturn(values); writeStatementEnd(); noteClosingReturn(); }
        // A definition is closed by its line end. Were it optional, every
        // statement's first word could follow an expression and the
        // recovery from a faulty expression would stop there.
        (   EOL { countLineEnd(); }
        |   SEMI
        )
    ;
