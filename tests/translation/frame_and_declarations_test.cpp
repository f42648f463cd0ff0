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

using Declarations = TranslationTest;

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

}  // namespace
