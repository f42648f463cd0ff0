options { language="Cpp"; }

class VLLexer extends Lexer;
options {
    importVocab=VL;
    k=2;
    caseSensitive=true;
    caseSensitiveLiterals=true;
    testLiterals=false;
    charVocabulary='\3'..'\377';
}

WS_ : (' ' | '\t' | '\f')+ { $setType(antlr::Token::SKIP); } ;
IDENT options { testLiterals=true; } : ('a'..'z'|'A'..'Z') ('a'..'z'|'A'..'Z'|'0'..'9'|'_')* ;
