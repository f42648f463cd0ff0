header "pre_include_hpp" {
// The Velmora lexer: turns one source into the tokens that VLParser reads.
}
header "post_include_hpp" {
#include "lexer/memory_input.hpp"
#include <unordered_map>
}
options { language="Cpp"; }

// nextToken tries the rules that need two characters of lookahead ("//",
// "<=", "@x" ...) before the one-character rules that share their first
// character ("/", "<", "@"), each group in the order written here.  The
// single characters that begin longer tokens are therefore kept at the end.
class VLLexer extends Lexer;
options {
    importVocab=VL;
    k=2;
    caseSensitive=true;
    caseSensitiveLiterals=true;
    testLiterals=false;
    charVocabulary='\3'..'\377';
}

{
    enum NumberForm { PLAIN_NUMBER, REAL_FRACTION, REAL_EXPONENT, REAL_SUFFIXED };

    static bool isDigit(int c) { return c >= '0' && c <= '9'; }

public:
    // Reading from memory, the per-character look-ahead and step call the
    // buffer directly instead of going through two virtual layers.
    void readFromMemory(MemoryInputBuffer &input) { memoryInput_ = &input; }
    int LA(unsigned int i) override { return memoryInput_ ? memoryInput_->at(i) : CharScanner::LA(i); }
    void consume() override {
        if (!memoryInput_) {
            CharScanner::consume();
            return;
        }
        if (inputState->guessing == 0) {
            int c = memoryInput_->at(1);
            append(static_cast<char>(c));
            if (c == '\t')
                tab();
            else
                inputState->column++;
        }
        memoryInput_->advance();
    }
    // Keywords through a hash table instead of the scanner's ordered map.
    int testLiteralsTable(int type) const override {
        if (keywordTypes_.empty())
            keywordTypes_.insert(literals.begin(), literals.end());
        auto found = keywordTypes_.find(text);
        return found == keywordTypes_.end() ? type : found->second;
    }
private:
    MemoryInputBuffer *memoryInput_ = nullptr;
    mutable std::unordered_map<std::string, int> keywordTypes_;

    // The scanner's own text handling, without its per-character replace
    // and its assignment from an empty C string.
    void append(char c) override {
        if (saveConsumedInput)
            text.push_back(c);
    }
    void resetText() override {
        text.clear();
        inputState->tokenStartColumn = inputState->column;
        inputState->tokenStartLine = inputState->line;
    }

    // What the digits at the current position begin: a real with a
    // fraction ("1.5", not the range "1..5"), with an exponent ("1e5"),
    // with a real suffix ("2r"), or anything else.
    NumberForm numberAhead() {
        int i = 1;
        while (isDigit(LA(i)))
            i++;
        if (i == 1)
            return PLAIN_NUMBER;
        int next = LA(i);
        if (next == '.' && isDigit(LA(i + 1)))
            return REAL_FRACTION;
        if ((next == 'e' || next == 'E') &&
            (isDigit(LA(i + 1)) || ((LA(i + 1) == '+' || LA(i + 1) == '-') && isDigit(LA(i + 2)))))
            return REAL_EXPONENT;
        if (next == 'f' || next == 'F' || next == 'r' || next == 'R')
            return REAL_SUFFIXED;
        return PLAIN_NUMBER;
    }

    // Whether the slash word just matched ends here: what may follow one is
    // what separates words, or nothing at all.
    bool slashWordEnds() {
        int next = LA(1);
        return next == '\n' || next == '\r' || next == ' ' || next == '\t' || next == '\f' || next == ';' ||
               next == EOF_CHAR;
    }
}

// ---------------------------------------------------------------------------
// Blanks, line ends and the skipped control character.

WS_ : (' ' | '\t' | '\f')+ { $setType(antlr::Token::SKIP); } ;

// Every line end is delivered: statements end at line ends.
EOL
    : ( '\n'
      | '\r' ( options { greedy=true; } : '\n' )?
      )
      { newline(); }
    ;

// A stray code 23 (ETB) between tokens is dropped rather than rejected.
EOF : '\27' { $setType(antlr::Token::SKIP); } ;

// ---------------------------------------------------------------------------
// Single characters and fixed pairs.

NOT_EQUAL   : "!=" ;
AND_BIN     : '&' ;
LEFTPAR     : '(' ;
RIGHTPAR    : ')' ;
MUL         : '*' ;
PLUS        : '+' ;
COMMA       : ',' ;
COLON       : ':' ;
SEMI        : ';' ;
EQUAL       : '=' ;
QUESTION    : '?' ;
LEFTSQUARE  : '[' ;
ANTISLASH   : '\\' ;
RIGHTSQUARE : ']' ;
XOR_BIN     : '^' ;
LEFTCURLY   : '{' ;
OR_BIN      : '|' ;
RIGHTCURLY  : '}' ;

// ---------------------------------------------------------------------------
// Words.

IDENT options { testLiterals=true; }
    : ('a'..'z' | 'A'..'Z') ('a'..'z' | 'A'..'Z' | '0'..'9' | '_')*
    ;

// ---------------------------------------------------------------------------
// Literals.

// A single-quoted text is taken as written: a backslash keeps the sign
// after it, so that 'C:\data' is a text and \' is a quote inside one.
STRING_LITERAL
    : '\'' ( '\\' ~('\n' | '\r') | ~('\'' | '\\' | '\n' | '\r') )* '\''
    | '"' ( ESC | ~('"' | '\\' | '\n' | '\r') )* '"'
    ;

// The text keeps the escape as written; the generated C++ reads it again.
protected ESC
    : '\\'
      ( 'n' | 'r' | 't' | 'b' | 'f' | '"' | '\'' | '\\' | '$'
      | ('u')+ HEX_DIGIT HEX_DIGIT HEX_DIGIT HEX_DIGIT
      | '0'..'3'
        ( options { greedy=true; }
        : '0'..'7' ( options { greedy=true; } : '0'..'7' )?
        )?
      | '4'..'7' ( options { greedy=true; } : '0'..'9' )?
      )
    ;

protected HEX_DIGIT : '0'..'9' | 'A'..'F' | 'a'..'f' ;

protected EXPONENT : ('e' | 'E') ('+' | '-')? ('0'..'9')+ ;

protected REAL_SUFFIX : 'f' | 'F' | 'r' | 'R' ;

// One rule for everything that starts with a digit or a dot, so that a
// range "1..10" is not taken for the real "1." followed by ".10".
//
// The forms are told apart by looking ahead over the digits (numberAhead)
// rather than by trial matches, which would cost an exception for every
// integer of the source.
INTEGER
    : { LA(2) == '.' }? ".." { $setType(DOTDOT); }
    | { numberAhead() == REAL_FRACTION }?
      ('0'..'9')+ '.' ('0'..'9')+ (EXPONENT)? (REAL_SUFFIX)?
      { $setType(REAL_LITERAL); }
    | { numberAhead() == REAL_EXPONENT }?
      ('0'..'9')+ EXPONENT (REAL_SUFFIX)?
      { $setType(REAL_LITERAL); }
    | { numberAhead() == REAL_SUFFIXED }?
      ('0'..'9')+ REAL_SUFFIX
      { $setType(REAL_LITERAL); }
    | { LA(2) >= '0' && LA(2) <= '9' }?
      '.' ('0'..'9')+ (EXPONENT)? (REAL_SUFFIX)?
      { $setType(REAL_LITERAL); }
    | '.' { $setType(DOT); }
    | ( '0'
        ( ('0'..'7')+
        | ('b' | 'B') ('0' | '1')+
        | ('x' | 'X') (HEX_DIGIT)+
        )?
      | '1'..'9' ('0'..'9')*
      )
      ('L' | 'n' | 'l')?
    ;

// ---------------------------------------------------------------------------
// Comments.  "#" comments reach the parser, which copies them into the C++.

Q_COMMENT : '#' (~('\n' | '\r'))* EOL ;

SL_COMMENT
    : "//" (~('\n' | '\r'))* EOL
      { $setType(antlr::Token::SKIP); }
    ;

ML_COMMENT
    : "/*"
      ( options { greedy=false; }
      : ('\r' '\n') => '\r' '\n' { newline(); }
      | '\r' { newline(); }
      | '\n' { newline(); }
      | ~('\n' | '\r')
      )*
      "*/"
      { $setType(antlr::Token::SKIP); }
    ;

// ---------------------------------------------------------------------------
// Embedded texts: a template in backticks and native C++ between "~~".

TEMPLATE
    : '`'
      ( ('\r' '\n') => '\r' '\n' { newline(); }
      | '\r' { newline(); }
      | '\n' { newline(); }
      | ~('`' | '\n' | '\r')
      )*
      '`'
    ;

NATIVE
    : "~~"
      ( options { greedy=false; }
      : ('\r' '\n') => '\r' '\n' { newline(); }
      | '\r' { newline(); }
      | '\n' { newline(); }
      | ~('\n' | '\r')
      )*
      "~~"
    ;

// ---------------------------------------------------------------------------
// Operators of two characters.

LESS_EQUAL  : "<=" ;
GREAT_EQUAL : ">=" ;
MINMIN      : "--" ;
SHIFT_RIGHT : ">>" ;

SHIFTL
    : "<<" { $setType(SHIFT_LEFT); }
    | "<>" { $setType(PASDIFF); }
    ;

OPENDOC : "<!" ;

ATIDENT
    : '@' ('@' | '_' | 'a'..'z' | 'A'..'Z')
      ('a'..'z' | 'A'..'Z' | '0'..'9' | '_')*
    ;

// XML tags: "<" directly followed by a letter always opens a tag.
XOPEN
    : '<' ('a'..'z' | 'A'..'Z') ('a'..'z' | 'A'..'Z' | '0'..'9' | '_')*
    ;

XCLOSE
    : "</" ('a'..'z' | 'A'..'Z') ('a'..'z' | 'A'..'Z' | '0'..'9' | '_')* '>'
    ;

OPENVELMORA : "<?elmora>" ;

PHPID
    : '$' ('_' | 'a'..'z' | 'A'..'Z') ('a'..'z' | 'A'..'Z' | '0'..'9' | '_')*
    ;

PHPCONSTANT
    : "$(" ('_' | 'a'..'z' | 'A'..'Z') ('a'..'z' | 'A'..'Z' | '0'..'9' | '_')* ')'
    ;

// ---------------------------------------------------------------------------
// Slash words close blocks ("/if", "/while" ...).  They count only when a
// line end, a blank (a tab or form feed too), ";" or the end of the input
// follows, so "/ifx" and "a/if" stay divisions.

TERMINATOR
    : ("/class" {slashWordEnds()}?) => "/class" { $setType(SLASHCLASS); }
    | ("/if" {slashWordEnds()}?) => "/if" { $setType(SLASHIF); }
    | ("/while" {slashWordEnds()}?) => "/while" { $setType(SLASHWHILE); }
    | ("/for" {slashWordEnds()}?) => "/for" { $setType(SLASHFOR); }
    | ("/do" {slashWordEnds()}?) => "/do" { $setType(SLASHDO); }
    | ("/switch" {slashWordEnds()}?) => "/switch" { $setType(SLASHSWITCH); }
    | ("/error" {slashWordEnds()}?) => "/error" { $setType(SLASHERROR); }
    | ("/enum" {slashWordEnds()}?) => "/enum" { $setType(SLASHENUM); }
    | ("/try" {slashWordEnds()}?) => "/try" { $setType(SLASHTRY); }
    | ("/extern" {slashWordEnds()}?) => "/extern" { $setType(SLASHEXTERN); }
    | ("/import" {slashWordEnds()}?) => "/import" { $setType(SLASHIMPORT); }
    | '/' { $setType(DIV); }
    ;

// ---------------------------------------------------------------------------
// Single characters that also begin the pairs above.

MINUS   : '-' ;
GREATER : '>' ;
NOT_BIN : '~' ;
LESSER  : '<' ;
ATCHAR  : '@' ;
