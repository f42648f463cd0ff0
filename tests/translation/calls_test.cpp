// Calls of built-in methods and functions: the C++ each form writes, the
// result types that later operators see, and the diagnostics of the checks.
#include "translation_support.hpp"

namespace {

using MethodForms = TranslationTest;

TEST_F(MethodForms, EachFormWritesItsCall) {
    Translation t = translate(
        "text s = \"a,b\"\narray a = [1]\nnumber n = 2.5\nfile f\nvar v = 1\n"
        "print s.length()\n"         // 5: the name
        "print s.len()\n"            // 12: the target
        "print s.split(\",\")\n"      // 1: target, receiver's data first
        "print n.totext()\n"         // 1 on a number
        "f.open(\"x.txt\", \"r\")\n"  // 6: assigned to the receiver
        "a.insert(0, 5)\n"           // 4
        "a.store(\"a.txt\")\n"        // 11
        "print a.find(2)\n"          // 14
        "print s.totext()\n"         // 9: the receiver alone
        "print v.isText()\n");       // 12 on var
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << s.length()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << s.length()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << _vel_dumpArray(explode(s.data,\",\"))<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << str(n)<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("_vel_opened(f= _vel_open(\"x.txt\",\"r\"));")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("a.insert(1 - 1 + 0,dyn(5));") || t.hasStatement("a.insert(0,dyn(5));"))
        << t.implementation;
    EXPECT_TRUE(t.hasStatement("dyn::error.set(a.store(\"a.txt\"));")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << a.find(dyn(2))<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << s<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << v.isText()<< \"\\n\";")) << t.implementation;
}

using MethodErrors = TranslationTest;

using BuiltinFunctions = TranslationTest;

using EvaluationOrder = TranslationTest;

}  // namespace
