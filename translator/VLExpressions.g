// Assignments, expression statements and expressions: the grammar that
// the statements (VLStatements.g) extend.

class VLExpressions extends Parser;

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
                { sliceTarget(t, false, low, hasHigh, high, inclusive); hasHigh = false; inclusive = true; }
            |   index=expression
                (   RIGHTSQUARE
                    { indexTarget(t, index, LA(1) == LEFTSQUARE); }
                |   ( DOTDOT | MINMIN { inclusive = false; } )
                    ( high=expression { hasHigh = true; } )?
                    RIGHTSQUARE
                    { sliceTarget(t, true, index, hasHigh, high, inclusive); hasHigh = false; inclusive = true; }
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
        { v = inTested(item, f, negated); }
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
            // What follows a call the parse could not read is news.
            if (syntaxContextFailed() && !guessing())
                noteResumedAt(LT(1));
            v = endArguments(std::move(v), outer);
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
