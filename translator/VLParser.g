header "pre_include_hpp" {
// The Velmora parser: its rules translate as they parse.
}
options { language="Cpp"; }

class VLParser extends Parser;
options {
    importVocab=VLBase;
    exportVocab=VL;
    k=2;
    defaultErrorHandler=false;
}

sourceFile : (~EOF)* EOF ;
