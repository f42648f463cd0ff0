#include <gtest/gtest.h>

#include <string>

#include "diagnostics/diagnostics.hpp"
#include "semantics/spellings.hpp"
#include "semantics/types.hpp"
#include "translator/output.hpp"
#include "translation_under_test.hpp"

namespace {

class Spellings : public ::testing::Test {
protected:
    TranslationUnderTest translation;

    void SetUp() override {
        diagnostics.sourceName = "a.vel";
        diagnostics.lineCounter = 7;
        diagnostics.errorCount = 0;
    }
};

TEST_F(Spellings, DeclarationSpellings) {
    EXPECT_EQ(cppTypeSpelling(T_INTEGER), "int ");
    EXPECT_EQ(cppTypeSpelling(T_REAL), "double ");
    EXPECT_EQ(cppTypeSpelling(T_TEXT), "text ");
    EXPECT_EQ(cppTypeSpelling(T_ARRAY), "velarray ");
    EXPECT_EQ(cppTypeSpelling(T_FILE), "FILE *");
    EXPECT_EQ(cppTypeSpelling(T_CHARPTR), "char *");
    EXPECT_EQ(cppTypeSpelling(T_VAR), "dyn ");
    EXPECT_EQ(cppTypeSpelling(T_BYTE), "unsigned char ");
    EXPECT_EQ(cppTypeSpelling(T_INTARRAY), "_intArr ");
    EXPECT_EQ(cppTypeSpelling(T_REALARRAY), "_array64 ");
    EXPECT_EQ(cppTypeSpelling(T_FILEARRAY), "_arr32 ");
}

TEST_F(Spellings, ConversionPrefixes) {
    EXPECT_EQ(castTo(T_BYTE), "intval(");
    EXPECT_EQ(castTo(T_REAL), "doubleval(");
    EXPECT_EQ(castTo(T_CHARPTR), "text(");
    EXPECT_EQ(castTo(T_DIR), "_VelmoraDir(");
    EXPECT_EQ(castTo(T_OBJECT), "");
    EXPECT_EQ(castTo(T_VAR, T_TEXT), "dyn(");
    EXPECT_EQ(convertTo(T_VAR, T_INTARRAY, "a.at(1)"), "dyn((a.at(1)))");
    EXPECT_EQ(convertTo(T_VAR, T_REALARRAY, "x"), "dyn((double)(x))");
    EXPECT_EQ(convertTo(T_NATURAL, T_INTEGER, "n"), "natural(n)");
    EXPECT_EQ(convertTo(T_OBJECT, T_OBJECT, "o"), "o");
    EXPECT_EQ(castElement(T_TEXTARRAY), "text(");
    EXPECT_EQ(castElement(T_FILEARRAY), "(FILE *)(");
    EXPECT_EQ(closingFor("(natural)("), ")");
    EXPECT_EQ(castPlain(T_TEXT), "(char *)");
    EXPECT_EQ(castPlain(T_FILE), "");
    EXPECT_EQ(convertInItem(T_REAL, "x"), "(double)(x)");
    EXPECT_EQ(convertInItem(T_INTEGER, "x"), "x");
    EXPECT_EQ(typeTag(T_REAL), "TYPE_NUMBER");
    EXPECT_EQ(typeTag(T_DICT), "TYPE_OBJECT");
}

TEST_F(Spellings, ConversionsOutOfDynamicValues) {
    EXPECT_EQ(fromDyn(T_INTEGER, "v"), "dyn::toInt(v)");
    EXPECT_EQ(fromDyn(T_REAL, "v"), "dyn::toReal(v)");
    EXPECT_EQ(fromDyn(T_BOOLEAN, "v"), "dyn::toBoolean(v)");
    EXPECT_EQ(fromDyn(T_DIR, "v"), "dyn::toDir(v)");
    EXPECT_EQ(fromDyn(T_OBJECT, "v", "Point"), "(Point *)(v)");
    EXPECT_EQ(fromDyn(T_VAR, "v"), "v");
}

TEST_F(Spellings, NilByType) {
    EXPECT_EQ(nilFor(T_TEXT), "\"\"");
    EXPECT_EQ(nilFor(T_CHARPTR), "\"\"");
    EXPECT_EQ(nilFor(T_INTEGER), "-1");
    EXPECT_EQ(nilFor(T_NATURAL), "NULL");
    EXPECT_EQ(nilFor(T_CHAR), "NULL");
    EXPECT_EQ(nilFor(T_LIST), "velarray()");
    EXPECT_EQ(nilFor(T_DICT), "dict()");
    EXPECT_EQ(nilFor(T_INTARRAY), "_intArr()");
    EXPECT_EQ(nilFor(T_OBJECTARRAY), "_arr32()");
    EXPECT_EQ(nilFor(T_BOOLEAN), "false");
    EXPECT_EQ(nilFor(T_PLACEHOLDER), "false");
}

TEST_F(Spellings, TemporariesAreNumberedInTurn) {
    EXPECT_EQ(newTemp(), "_I_1");
    EXPECT_EQ(newTemp(), "_I_2");
}

TEST_F(Spellings, SwapOfSameTypes) {
    EXPECT_EQ(swapText("a", T_TEXT, "b", T_TEXT), "{text _I_1=a; a=b; b=_I_1;}");
    EXPECT_EQ(swapText("p", T_OBJECT, "q", T_OBJECT), "{auto _I_2=p; p=q; q=_I_2;}");
    EXPECT_EQ(diagnostics.errorCount, 0);
}

TEST_F(Spellings, SwapOfDifferentTypesIsAnError) {
    ::testing::internal::CaptureStdout();
    std::string block = swapText("a", T_TEXT, "b", T_INTEGER);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Error line 7 can't swap text andinteger\n");
    EXPECT_EQ(block, "");
    EXPECT_EQ(diagnostics.errorCount, 1);
}

TEST_F(Spellings, InterpolatedStrings) {
    EXPECT_EQ(phpString("\"Hello $name!\""), "_vel_phpstring(\"\",\"Hello \",str(name),\"!\",NULL)");
    EXPECT_EQ(phpString("\"$a$b_2\""), "_vel_phpstring(\"\",str(a),str(b_2),NULL)");
    // An escaped "$" is a plain character and loses its backslash.
    EXPECT_EQ(phpString("\"cost \\$total\""), "_vel_phpstring(\"\",\"cost $total\",NULL)");
    // An escaped backslash does not escape the "$" after it.
    EXPECT_EQ(phpString("\"dir\\\\$name\""), "_vel_phpstring(\"\",\"dir\\\\\",str(name),NULL)");
    // Escape pairs stay whole, "$" without a name stays plain.
    EXPECT_EQ(phpString("\"say \\\"$who\\\" $ 5$\""),
              "_vel_phpstring(\"\",\"say \\\"\",str(who),\"\\\" $ 5$\",NULL)");
    EXPECT_EQ(phpString("\"$9 and $_x\""), "_vel_phpstring(\"\",\"$9 and \",str(_x),NULL)");
}

}  // namespace
