// Function definitions and calls of the program's functions: the C++ they
// write, the prototypes in the header, main, extern blocks, function types
// and the diagnostics of the checks.
#include "translation_support.hpp"

namespace {

using FunctionDefinitions = TranslationTest;

bool headerHas(const Translation &t, const std::string &line) {
    return t.header.find(line + "\n") != std::string::npos;
}

TEST_F(FunctionDefinitions, HeadsBodiesAndPrototypes) {
    Translation t = translate(
        "int, text pair(int n)\n"
        "return n, \"one\"\n"
        "void bump(alias int x, text label = \"n\", int amount = 1)\n"
        "    x = x + amount\n"
        "return\n"
        "int square(int x) ? return x * x\n"
        "int cube(int x) return x * x * x\n"
        "bool positive(real r) let\n"
        "return r > 0\n");
    ASSERT_EQ(t.status, 0) << t.report;
    // Several return values travel in one array.
    EXPECT_TRUE(headerHas(t, "velarray pair(int n);")) << t.header;
    EXPECT_TRUE(t.hasStatement("velarray pair(int n)")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("return velarray{dyn(n),dyn(\"one\")};")) << t.implementation;
    // An alias is a reference; defaults stand in the prototype only.
    EXPECT_TRUE(headerHas(t, "void bump(int &x, text label=\"n\", int amount=1);")) << t.header;
    EXPECT_TRUE(t.hasStatement("void bump(int &x, text label, int amount)")) << t.implementation;
    // The one-line forms have one statement each.
    EXPECT_TRUE(t.hasStatement("return x*x;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("return x*x*x;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("return r>0;")) << t.implementation;
    // Definitions alone make a program that links and does nothing.
    EXPECT_EQ(t.countOccurrences("int main("), 1) << t.implementation;
    EXPECT_TRUE(t.hasStatement("int main()")) << t.implementation;
}

TEST_F(FunctionDefinitions, FunctionsAreWrittenAtFileScopeWhereverTheyStand) {
    Translation t = translate(
        "print twice(2)\n"
        "int twice(int x)\n"
        "return x * 2\n"
        "print twice(3)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    int mainAt = t.findStatement("int main()");
    int endOfMain = t.findStatement("return 0;", mainAt);
    int definition = t.findStatement("int twice(int x)");
    ASSERT_GE(mainAt, 0) << t.implementation;
    EXPECT_GT(definition, endOfMain) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << twice(3)<< \"\\n\";")) << t.implementation;
}

TEST_F(FunctionDefinitions, ReturnedValuesAreConvertedToTheDeclaredType) {
    Translation t = translate(
        "int truncated(real r)\n"
        "return r\n"
        "text nothing()\n"
        "return nil\n"
        "int, int divide(int a, int b)\n"
        "return a / b, a mod b\n"
        "int q, r\n"
        "q, r = divide(17, 5)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("return intval(r);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("return \"\";")) << t.implementation;
}

TEST_F(FunctionDefinitions, ParametersOfReservedNamesStillCompile) {
    Translation t = translate("int index(int new, int time = 2)\nreturn new * time\nprint index(3)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("int index_(int new_, int time_)")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << index_(3)<< \"\\n\";")) << t.implementation;
}

TEST_F(FunctionDefinitions, DiagnosticsOfDefinitionsAndCalls) {
    Translation t = translate(
        "int add(int a, int b)\n"
        "return a + b\n"
        "int twice(int x)\n"
        "return x * 2\n"
        "int max(int a, int b)\n"
        "return a\n"
        "void f(int Count1)\n"
        "    int Count1 = 2\n"
        "return\n"
        "int one()\n"
        "return 1, 2\n"
        "print add(1)\n"
        "print twice(\"x\")\n"
        "print add(1, 2, 3)\n"
        "print one(1)\n"
        "return\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L5: \"max\" already declared in builtins.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L8: \"Count1\" already declared in function.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L11: \"one\" must return 1 and not 2 values.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L12: \"add\" requires 2 arguments, 1 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L13: bad argument in \"twice\" call, integer expected, text found."))
        << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L14: \"add\" requires 2 arguments, 3 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L15: \"one\" requires 0 argument, 1 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L16: return misplaced.")) << t.report;
    EXPECT_EQ(t.status, 8) << t.report;
}

using ProgramCalls = TranslationTest;

TEST_F(ProgramCalls, ArgumentsAreConvertedToTheirParameters) {
    Translation t = translate(
        "int takeInt(int a)\nreturn a\n"
        "var takeVar(var v)\nreturn v\n"
        "text greet(text name = \"world\", text mark = \"!\")\nreturn name + mark\n"
        "print takeInt(2.5)\nprint takeVar(3)\n"
        "print greet()\nprint greet(\"you\")\nprint greet(\"you\", \"?\")\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("std::cout << takeInt(intval(2.5))<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << takeVar(dyn(3))<< \"\\n\";")) << t.implementation;
    // Missing arguments take the prototype's defaults.
    EXPECT_TRUE(t.hasStatement("std::cout << greet()<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << greet(\"you\",\"?\")<< \"\\n\";")) << t.implementation;
}

TEST_F(ProgramCalls, AnAliasArgumentMustBeAVariableOfItsType) {
    Translation t = translate(
        "void bump(alias int x)\n    x = x + 1\nreturn\n"
        "int k = 1\nreal r = 1\nbump(k)\nbump(5)\nbump(r)\n");
    EXPECT_TRUE(t.hasStatement("bump(k);")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L7: a literal is not allowed here or this method with a literal."))
        << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L8: bad argument in \"bump\" call, integer expected, real found."))
        << t.report;
    EXPECT_EQ(t.status, 2) << t.report;
}

TEST_F(ProgramCalls, CallsBeforeTheDefinitionAreCheckedAtTheEnd) {
    Translation t = translate(
        "print later(2)\n"
        "later(1, 2)\n"
        "print nowhere(1)\n"
        "int later(int x)\nreturn x + 1\n");
    EXPECT_TRUE(t.hasStatement("std::cout << later(2)<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L2: \"later\" requires 1 argument, 2 found.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L3: \"nowhere\" function not defined")) << t.report;
    EXPECT_EQ(t.status, 2) << t.report;
}

TEST_F(ProgramCalls, FunctionsPassedByName) {
    Translation t = translate(
        "int twice(int x)\nreturn x * 2\n"
        "text same(text x)\nreturn x\n"
        "define Fn = \"twice\"\n"
        "int apply(Fn f, int v)\nreturn f(v)\n"
        "int untyped(function g)\nreturn 0\n"
        "text name = \"twice\"\n"
        "print apply(\"twice\", 5)\n"   // L11
        "print apply(name, 5)\n"        // L12: not a literal
        "print apply(\"nothere\", 5)\n" // L13
        "print apply(\"same\", 5)\n"    // L14: another signature
        "print untyped(\"twice\")\n"    // L15: the parameter has none
        "define Gn = \"missing\"\n");   // L16
    EXPECT_TRUE(headerHas(t, "typedef decltype(&twice) Fn;")) << t.header;
    EXPECT_TRUE(t.hasStatement("int apply(Fn f, int v)")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("return f(v);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << apply(twice,5)<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L12: requires a name of function as literal string.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L13: \"nothere\" function not defined")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L13: \"nothere\" incompatible function as parameter")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L14: \"same\" incompatible function as parameter")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L15: \"twice\" unexpected")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L15: \"twice\" incompatible function as parameter")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L16: \"missing\" function not defined")) << t.report;
    EXPECT_EQ(t.status, 7) << t.report;
}

using MainFunction = TranslationTest;

TEST_F(MainFunction, MainAloneIsCalledByTheGeneratedMain) {
    Translation t = translate("int main(array args)\n    print args.size()\nreturn 3\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("int _main_prog(char *_A_args[])")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("velarray args(_A_args);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("int main(int argc, char *argv[])")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("return _main_prog(argv);")) << t.implementation;
    EXPECT_EQ(t.countOccurrences("int main("), 1) << t.implementation;
}

TEST_F(MainFunction, StatementsRunFirstThenMain) {
    Translation t = translate("print \"before\"\nvoid main()\n    print \"in main\"\nreturn\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_EQ(t.countOccurrences("int main("), 1) << t.implementation;
    int before = t.findStatement("std::cout << \"before\"<< \"\\n\";");
    ASSERT_GE(before, 0) << t.implementation;
    EXPECT_EQ(t.statementAfter(before), "_main_prog();") << t.implementation;
}

TEST_F(MainFunction, AStatementThatCallsMainRunsItThere) {
    Translation t = translate("main()\nprint \"after\"\nvoid main()\n    print \"in main\"\nreturn\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_EQ(t.countOccurrences("int main("), 1) << t.implementation;
    EXPECT_EQ(t.countOccurrences("_main_prog();"), 1) << t.implementation;
    int call = t.findStatement("_main_prog();");
    EXPECT_EQ(t.statementAfter(call), "std::cout << \"after\"<< \"\\n\";") << t.implementation;
}

using ExternBlocks = TranslationTest;

TEST_F(ExternBlocks, DeclarationsAreKnownButNotWritten) {
    Translation t = translate(
        "extern\n"
        "    int cfun(int a, real b = 1.5)\n"
        "    int cvar\n"
        "~~\n#define CFUN_READY 1\n~~\n"
        "/extern\n"
        "print cvar, cfun(2)\n"
        "print cfun()\n");
    EXPECT_TRUE(t.header.find("#define CFUN_READY 1") != std::string::npos) << t.header;
    EXPECT_EQ(t.countOccurrences("cfun(int"), 0) << t.implementation;
    EXPECT_EQ(t.header.find("cfun("), std::string::npos) << t.header;
    EXPECT_TRUE(t.hasStatement("std::cout << cvar<< \" \" << cfun(2)<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L9: \"cfun\" requires 2 arguments, 0 found.")) << t.report;
}

}  // namespace
