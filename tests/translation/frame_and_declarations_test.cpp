// The frame of a generated file and the C++ written for declarations.
#include "translation_support.hpp"

#include <fstream>
#include <iterator>

namespace {

using Frame = TranslationTest;

TEST_F(Frame, EmptyMainSourceIsPrologueAndOwnHeaderOnly) {
    Translation t = translate("");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_EQ(t.implementation, implementationPrologue() + "\n#include \"prog.hpp\"\n\n");
}

TEST_F(Frame, SinglePrintIsWrappedInMain) {
    Translation t = translate("print \"Hello, World!\"\n");
    std::string expectedMain = "int main()\n{\n    std::cout << \"Hello, World!\"<< \"\\n\";\n"
                               "\nreturn 0;\n}\n";
    ASSERT_GE(t.implementation.size(), expectedMain.size());
    EXPECT_EQ(t.implementation.substr(t.implementation.size() - expectedMain.size()), expectedMain);
}

TEST_F(Frame, MainTakesArgumentsWhenArgvIsDeclared) {
    Translation t = translate("array argv = []\nprint argv\n");
    EXPECT_NE(t.implementation.find("int main(int argc, char *_A_1[])\n{\n velarray argv(_A_1);"),
              std::string::npos)
        << t.implementation;
}

TEST_F(Frame, TopLevelReturnIsReportedOnItsLine) {
    Translation t = translate("print 1\nreturn\nprint 2\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: return misplaced.")) << t.report;
    EXPECT_EQ(t.status, 1);
}

TEST_F(Frame, HashCommentBecomesLineCommentAndCountsItsLine) {
    Translation t = translate("print 1\n# a note\nprint missing\n");
    EXPECT_TRUE(t.hasStatement("// a note")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"missing\" not declared")) << t.report;
}

TEST_F(Frame, BlankLinesCollapseToOne) {
    Translation t = translate("print 1\n\n\n\nprint 2\n");
    EXPECT_NE(t.implementation.find("std::cout << 1<< \"\\n\";\n\n    std::cout << 2"),
              std::string::npos)
        << t.implementation;
}

using Declarations = TranslationTest;

TEST_F(Declarations, DefaultsByType) {
    Translation t = translate("int x\ntext t\ndict d\nfile f\narray a\nint[] ia\ntext[] ta\n");
    EXPECT_EQ(t.status, 0) << t.report;
    for (const char *statement : {"int x=0;", "text t=\"\";", "dict d=dict();", "FILE *f=NULL;",
                                  "velarray a=velarray();", "_intArr ia= _intArr();",
                                  "_arr32 ta= _arr32();"})
        EXPECT_TRUE(t.hasStatement(statement)) << statement << "\n" << t.implementation;
}

// The program's own file-level variables have internal linkage, so that the
// C++ compiler may keep them in registers; what an included source declares
// stays visible to the other units.
TEST_F(Declarations, FileLevelVariablesOfTheProgramAreItsOwn) {
    std::ofstream(directory + "/lib.vel") << "int shared = 1\n";
    Translation t = translate("include \"lib.vel\"\nint limit = 10\nstatic int kept = 2\n"
                              "class P\n    int x = 1\n/class\nP thing = P()\n"
                              "print limit\nint late = 3\nprint late, kept, shared, thing.x\n");
    EXPECT_EQ(t.status, 0) << t.report;
    EXPECT_NE(t.implementation.find("\nnamespace { int limit=10; }\n"), std::string::npos) << t.implementation;
    EXPECT_NE(t.implementation.find("\nnamespace { int late=0; }\n"), std::string::npos) << t.implementation;
    EXPECT_NE(t.header.find("\nnamespace { extern int limit; }\n"), std::string::npos) << t.header;
    EXPECT_NE(t.header.find("\nnamespace { extern int late; }\n"), std::string::npos) << t.header;
    EXPECT_NE(t.implementation.find("\nstatic int kept=2;\n"), std::string::npos) << t.implementation;
    EXPECT_NE(t.header.find("\nnamespace { extern P *thing; }\n"), std::string::npos) << t.header;
    std::ifstream libraryHeader(directory + "/lib.hpp");
    std::string library(std::istreambuf_iterator<char>(libraryHeader), {});
    EXPECT_NE(library.find("\nextern int shared;\n"), std::string::npos) << library;
}

// A source starts outside any class, function or block whatever the source
// translated before it left open.
TEST_F(Declarations, IncludedSourceLeftOpenDoesNotChangeTheNext) {
    for (const char *unclosed : {"void f()\n    if 1 = 1\n        while 1 = 1\n",
                                 "class Q\n    int z = 1\n    void m()\n        if 1 = 1\n",
                                 "if 1 = 1\n    for i = 1 to 3\n"}) {
        std::ofstream(directory + "/lib.vel") << unclosed;
        Translation t = translate("include \"lib.vel\"\nint limit = 10\nprint limit\n");
        EXPECT_NE(t.implementation.find("\nnamespace { int limit=10; }\n"), std::string::npos)
            << unclosed << t.implementation;
        EXPECT_NE(t.header.find("\nnamespace { extern int limit; }\n"), std::string::npos) << unclosed << t.header;
        EXPECT_EQ(t.report.find("prog.vel L"), std::string::npos) << unclosed << t.report;
    }
}

TEST_F(Declarations, RealArrayGetsSixtyFourBitStorage) {
    Translation t = translate("real[] r\n");
    int at = -1;
    std::vector<std::string> all = t.statements();
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        if (all[i].rfind("_array64 r= _array64(", 0) == 0)
            at = i;
    }
    ASSERT_GE(at, 0) << t.implementation;
    const std::string &statement = all[at];
    EXPECT_EQ(statement.substr(statement.size() - 6), ", 16);") << statement;
}

TEST_F(Declarations, TwoDeclaratorsStandOnTwoLinesWithTheFullType) {
    Translation t = translate("int a, b = 3\n");
    int first = t.findStatement("int a=0;");
    ASSERT_GE(first, 0) << t.implementation;
    EXPECT_EQ(t.statementAfter(first), "int b=3;");
}

TEST_F(Declarations, FileLevelVariablesAreDeclaredExternInTheHeader) {
    Translation t = translate("int shared = 1\nwhile false\n    int inner = 2\n/while\n");
    EXPECT_NE(t.header.find("extern int shared;"), std::string::npos) << t.header;
    EXPECT_EQ(t.header.find("inner"), std::string::npos) << t.header;
}

TEST_F(Declarations, ValueOnTheNextLineIsAcceptedAndCounted) {
    Translation t = translate("int x =\n    5\nprint missing\n");
    EXPECT_TRUE(t.hasStatement("int x=5;")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"missing\" not declared")) << t.report;
}

TEST_F(Declarations, NaturalLiteralGetsTheUnsignedSuffix) {
    Translation t = translate("natural n = 12n\n");
    EXPECT_TRUE(t.hasStatement("natural n=12ULL;")) << t.implementation;
}

}  // namespace
