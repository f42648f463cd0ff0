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

TEST_F(MethodForms, NamesInAnyLetterCaseUseTheTablesSpelling) {
    Translation t = translate("text s = \"a\"\nprint s.LENGTH()\nprint s.ToInt()\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << s.length()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << s.toInt()<< \"\\n\";")) << t.implementation;
}

TEST_F(MethodForms, ChainsAndLiteralReceivers) {
    Translation t = translate("text s = \" a \"\nprint s.trim().upper()\nprint \"x,y\".split(\",\")\n"
                              "print 'ab'.length()\nprint s.split(\",\")[0]\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << s.trim().upper()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << _vel_dumpArray(explode(\"x,y\",\",\"))<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << text(\"ab\").length()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << explode(s.data,\",\").at(0)<< \"\\n\";")) << t.implementation;
}

TEST_F(MethodForms, ResultTypesReachTheNextOperator) {
    // length() is an integer, so "+ 1" adds; split gives an array.
    Translation t = translate("text s = \"a\"\nint n = s.length() + 1\narray parts = s.split(\",\")\n"
                              "int[] ia = [3, 1]\nint[] u = ia.unique()\n");
    EXPECT_EQ(t.status, 0) << t.report;
}

TEST_F(MethodForms, UpdatingMethodsReachTheVariableOrElement) {
    Translation t = translate("array a = [[1]]\na[0].push(2)\nfile f\nf.open(\"x\", \"r\")\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("a[0].push(dyn(2));")) << t.implementation;
}

TEST_F(MethodForms, VarReceiversFallBackOnEveryRow) {
    Translation t = translate("var v = \"abc\"\nprint v.upper()\nv.push(1)\nprint v.hasKey(\"k\")\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << v.upper()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("v.push(dyn(1));")) << t.implementation;
}

TEST_F(MethodForms, DictsReachArrayRowsAfterTheirOwn) {
    Translation t = translate("dict d = {\"a\": 1}\nprint d.size()\nprint d.join(\",\")\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << d.size()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << d.join(\",\")<< \"\\n\";")) << t.implementation;
}

using MethodErrors = TranslationTest;

TEST_F(MethodErrors, ArgumentCountsAndTypes) {
    Translation t = translate("array a = []\na.push(1, 2)\ntext s = \"a\"\nprint s.dup()\n"
                              "print s.length(1)\nprint s.dup(a)\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"push\" requires 1 argument, 2 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L4: \"dup\" requires 1 argument, 0 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L5: \"length\" requires 0 arguments, 1 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L6: \"dup\" called with bad arguments")) << t.report;
    EXPECT_EQ(t.status, 4) << t.report;
}

TEST_F(MethodErrors, UnknownMethodsReceiversAndLiterals) {
    Translation t = translate("text s = \"a\"\nprint s.nosuch(1)\nbool b = true\nprint b.totext()\n"
                              "char c = 'x'\nprint c.totext()\n\"abc\".fill(\"-\", 2)\nprint s.length()\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"nosuch\" method not found")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L4: \"totext\" method not found")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L6: \"c\" has no method")) << t.report;
    EXPECT_TRUE(t.reportHasLine(
        "prog.vel L7: a literal is not allowed here or this method with a literal.")) << t.report;
    // The translation goes on after each of them.
    EXPECT_TRUE(t.hasStatement("std::cout << s.length()<< \"\\n\";")) << t.implementation;
}

TEST_F(MethodErrors, AssigningMethodsMayBeTheFirstUse) {
    Translation t = translate("file f\nf.open(\"x\", \"r\")\nfile g\nprint g.eof()\n");
    EXPECT_FALSE(t.reportHasLine("prog.vel L2: \"f\" used before assignment")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L4: \"g\" used before assignment")) << t.report;
}

using BuiltinFunctions = TranslationTest;

TEST_F(BuiltinFunctions, TargetsAndConvertedArguments) {
    Translation t = translate("text s = \"ab\"\nprint abs(-2), sqrt(4), ord(s), pad(s, 5)\n"
                              "var v = 2\nprint intval(v), range(1, 3)\nint x = 1\nint y = 2\nswap(x, y)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << abs(-2)<< \" \" << sqrt(4)<< \" \" << ord(s.data)<< \" \" << "
                               "\tstr_pad(s.data,5)<< \"\\n\";"))
        << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << intval(v)<< \" \" << _vel_dumpArray(_vel_range(1,3))<< \"\\n\";"))
        << t.implementation;
}

TEST_F(BuiltinFunctions, CountsAndTypes) {
    Translation t = translate("print sqrt()\nprint pow(1)\nprint pow(1, 2, 3)\nprint sqrt([1])\nprint rand(1)\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L1: \"sqrt\" requires 1 argument, 0 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"pow\" requires 2 arguments, 1 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"pow\" requires 2 arguments, 3 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L4: \"sqrt\" called with bad arguments")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L5: \"rand\" requires 0 arguments, 1 found.")) << t.report;
}

using EvaluationOrder = TranslationTest;

// Only operands that a call could change are handed over in order: the
// rest of an expression is written as it stands.
TEST_F(EvaluationOrder, OnlyOperandsNextToACallAreSequenced) {
    Translation t = translate("int f(int x)\nreturn x\nint a = 1\nint b = 2\n"
                              "print a * b + 1, f(1) + 2, f(a) - 3\nprint f(1) - a, f(a) + f(b)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << a*b+1<< \" \" << f(1)+2<< \" \" << f(a)-3<< \"\\n\";"))
        << t.implementation;
    EXPECT_EQ(t.countOccurrences("_vel_inOrder{f(1), a}"), 1) << t.implementation;
    EXPECT_EQ(t.countOccurrences("_vel_inOrder{f(a), f(b)}"), 1) << t.implementation;
}

// A range test reads its tested value twice: plain, it is written as it
// stands; a call is evaluated once, before the bounds.
TEST_F(EvaluationOrder, RangeTestsEvaluateTheTestedValueOnce) {
    Translation t = translate("int f(int x)\nreturn x\nint a = 1\n"
                              "print a in 1..10, a in a--5\nprint f(a) in 1..10\nprint a in f(1)..f(2)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << (a>=1&&a<=10)<< \" \" << (a>=+(a)&&a<5)<< \"\\n\";"))
        << t.implementation;
    EXPECT_EQ(t.countOccurrences("_vel_inOrder{f(a)}([&](auto &_vel_o0) { return (_vel_o0>=1&&_vel_o0<=10); })"), 1)
        << t.implementation;
    EXPECT_EQ(t.countOccurrences("_vel_inOrder{a, f(1), f(2)}"), 1) << t.implementation;
}

// Outside every function a lambda may capture nothing.
TEST_F(EvaluationOrder, FileLevelValuesCaptureNothing) {
    Translation t = translate("int f(int x)\nreturn x\nint k = f(1) - f(2)\nprint k\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_EQ(t.countOccurrences("_vel_inOrder{f(1), f(2)}([](auto &_vel_o0, auto &_vel_o1)"), 1)
        << t.implementation;
}

}  // namespace
