// print, echo and input statements.
#include "translation_support.hpp"

namespace {

const char *declarations = "int a = 1\nint b = 2\narray arr = [1, 2]\n";

using Print = TranslationTest;

TEST_F(Print, EmptyPrintEndsTheLine) {
    Translation t = translate("print\n");
    EXPECT_TRUE(t.hasStatement("std::cout << \"\\n\";")) << t.implementation;
}

TEST_F(Print, ValuesAreSeparatedByABlank) {
    Translation t = translate(std::string(declarations) + "print a\nprint a, b\n");
    EXPECT_TRUE(t.hasStatement("std::cout << a<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << a<< \" \" << b<< \"\\n\";")) << t.implementation;
}

TEST_F(Print, EchoHasNoSeparatorAndNoLineEnd) {
    Translation t = translate(std::string(declarations) + "echo a, b\n");
    EXPECT_TRUE(t.hasStatement("std::cout << a<< b;")) << t.implementation;
    EXPECT_EQ(t.countOccurrences("\"\\n\""), 0) << t.implementation;
}

TEST_F(Print, ArrayByNameUsesToStringAndOnlyForItsOwnSlot) {
    Translation t = translate(std::string(declarations) + "print arr, a\n");
    EXPECT_TRUE(t.hasStatement("std::cout << arr.toString()<< \" \" << a<< \"\\n\";"))
        << t.implementation;
}

TEST_F(Print, ArrayExpressionIsDumped) {
    Translation t = translate(std::string(declarations) + "print arr[0..1]\n");
    EXPECT_TRUE(t.hasStatement("std::cout << _vel_dumpArray(arr.slice(0,1,1))<< \"\\n\";"))
        << t.implementation;
}

TEST_F(Print, ListContinuesAfterACommaOnTheNextLine) {
    Translation t = translate(std::string(declarations) + "print a,\n    b\nprint missing\n");
    EXPECT_TRUE(t.hasStatement("std::cout << a<< \" \" << b<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L6: \"missing\" not declared")) << t.report;
}

using Input = TranslationTest;

TEST_F(Input, CallDependsOnTheTargetType) {
    Translation t = translate("int age = 0\nbool ok = false\nreal r = 0.5\nnatural n = 1n\n"
                              "text name = \"\"\n"
                              "input \"Age? \", age\ninput age\ninput ok\ninput r\ninput n\n"
                              "input \"Name: \", name\n");
    EXPECT_EQ(t.status, 0) << t.report;
    for (const char *statement :
         {"age= (int) _vel_inputNumber(\"Age? \");", "age= (int) _vel_inputNumber();",
          "ok=(bool) _vel_inputNumber();", "r= _vel_inputNumber();",
          "n= (natural) _vel_inputNumber();", "name= _vel_inputText(\"Name: \");"})
        EXPECT_TRUE(t.hasStatement(statement)) << statement << "\n" << t.implementation;
}

TEST_F(Input, IntoADictIsASemanticError) {
    Translation t = translate("dict d = {}\ninput d\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: semantic error.")) << t.report;
    EXPECT_EQ(t.status, 1);
}

}  // namespace
