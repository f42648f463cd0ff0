// Builds every example with g++ and the host libvel and checks what the
// program prints, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "example_runner.hpp"

namespace {

class NativeExample : public testing::TestWithParam<std::string> {};

TEST_P(NativeExample, PrintsExpectedOutput) {
    const std::string name = GetParam();
    ExampleWorkspace workspace("native_" + name, NATIVE_INI);
    workspace.addSource(name, exampleSource(name));

    CommandOutcome build = workspace.build(name);
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_TRUE(workspace.hasFile(name + ".wasm")) << describe(build);

    CommandOutcome program = workspace.run("./" + name + ".wasm", exampleInputPath(name));
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_EQ(program.standardOutput, expectedOutput(name));
}

INSTANTIATE_TEST_SUITE_P(Examples, NativeExample, testing::ValuesIn(exampleNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

// Small programs for faults found while writing the examples. Each builds and
// runs a program and checks its output.
class NativeProgram : public testing::Test {
protected:
    std::string buildAndRun(const std::string &source) { return buildAndRunNative("program", source); }
};

TEST_F(NativeProgram, SwitchOnACallTestsTheValueOnce) {
    EXPECT_EQ(buildAndRun("int x = -3\n"
                          "switch abs(x)\n"
                          "case 3\n"
                          "    print \"three\"\n"
                          "default\n"
                          "    print \"other\"\n"
                          "/switch\n"),
              "three\n");
}

// Element variables in every place a statement may stand, under names that
// C++ reserves, read from functions and passed as dicts.
TEST_F(NativeProgram, XmlLiteralsCompileWhereverAStatementStands) {
    EXPECT_EQ(buildAndRun("text who = \"Ann\"\n"
                          "print \"start\"\n"
                          "<map owner='$x'>\n"
                          "    \"Hi $who\"\n"
                          "    <main id=\"m\">\n"
                          "    </main>\n"
                          "    2\n"
                          "</map>\n"
                          "int count(dict element)\n"
                          "    <local n=1>\n"
                          "    </local>\n"
                          "    print local.toXML()\n"
                          "return element.size() + map.size()\n"
                          "if true\n"
                          "    <inner>\n"
                          "    </inner>\n"
                          "    print count(inner)\n"
                          "/if\n"
                          "print map.toXML()\n"),
              "start\n<local n=\"1\"/>\n5\n<map owner=\"$x\">Hi Ann2<main id=\"m\"/></map>\n");
}

TEST_F(NativeProgram, DescendingForWithStep) {
    EXPECT_EQ(buildAndRun("for int i in 10..1 step -3\n"
                          "    echo i, \" \"\n"
                          "/for\n"
                          "for j in 0 -- 10 step 4\n"
                          "    echo j, \" \"\n"
                          "/for\n"
                          "print\n"),
              "10 7 4 1 0 4 8 \n");
}

TEST_F(NativeProgram, SliceOfAnArray) {
    EXPECT_EQ(buildAndRun("int[] a = [10, 20, 30, 40]\n"
                          "print a[1..2]\n"
                          "print a[1 -- 3]\n"),
              "[20, 30]\n[20, 30]\n");
}

TEST_F(NativeProgram, SwapExchangesTwoVariables) {
    EXPECT_EQ(buildAndRun("text t = \"a\"\n"
                          "text u = \"b\"\n"
                          "swap(t, u)\n"
                          "int p = 1\n"
                          "int q = 2\n"
                          "swap(p, q)\n"
                          "print t, u, p, q\n"),
              "b a 2 1\n");
}

TEST_F(NativeProgram, CompoundAssignmentFromAVarValue) {
    EXPECT_EQ(buildAndRun("dict d = {\"a\": 1, \"b\": 2}\n"
                          "int total = 0\n"
                          "for k, v in d\n"
                          "    total + v\n"
                          "/for\n"
                          "print total\n"),
              "3\n");
}

TEST_F(NativeProgram, DictLoopIntoDeclaredTextKey) {
    EXPECT_EQ(buildAndRun("dict d = {\"a\": 1, \"b\": 2}\n"
                          "text k = \"\"\n"
                          "int v = 0\n"
                          "for k, v in d\n"
                          "    print k, v\n"
                          "/for\n"),
              "a 1\nb 2\n");
}

TEST_F(NativeProgram, PrintsAnArrayReturnedByAMethod) {
    EXPECT_EQ(buildAndRun("array a = [3, 1, 3]\n"
                          "print a.unique()\n"),
              "[3, 1]\n");
}

// A source in a directory of its own defines functions with defaults, a
// global and a main of its own; the program calls them with every count.
TEST_F(NativeProgram, FunctionsOfAnIncludedSourceKeepTheirDefaults) {
    ExampleWorkspace workspace("program_included_functions", NATIVE_INI);
    std::filesystem::create_directories(workspace.directory() + "/lib");
    workspace.addSource("lib/util", "int counter = 0\n"
                                    "text label(int n, text prefix = \"item\", text suffix = \".\")\n"
                                    "    counter = counter + 1\n"
                                    "return prefix + \" \" + n.toText() + suffix\n"
                                    "void main()\n"
                                    "    print \"never\"\n"
                                    "return\n");
    workspace.addSource("prog", "include lib/util.vel\n"
                                "print label(1)\n"
                                "print label(2, \"row\")\n"
                                "print label(3, \"row\", \"!\")\n"
                                "print counter\n");
    CommandOutcome build = workspace.build("prog");
    ASSERT_EQ(build.status, 0) << describe(build);
    EXPECT_EQ(workspace.run("./prog.wasm").standardOutput, "item 1.\nrow 2.\nrow 3!\n3\n");
}

// The base's constructor takes an argument; the derived class's own
// constructor still compiles and the base's methods reach its attributes.
TEST_F(NativeProgram, DerivedClassOfABaseWhoseConstructorTakesArguments) {
    EXPECT_EQ(buildAndRun(
                          "class Account\n"
                          "    text owner = \"nobody\"\n"
                          "    real balance = 0\n"
                          "    static int opened = 0\n"
                          "    void Account(text name)\n"
                          "        owner = name\n"
                          "        opened = opened + 1\n"
                          "    return\n"
                          "    void deposit(real amount)\n"
                          "        balance = balance + amount\n"
                          "    return\n"
                          "/class\n"
                          "class Savings is Account\n"
                          "    real rate = 0.02\n"
                          "    void Savings(text name)\n"
                          "        owner = name\n"
                          "    return\n"
                          "/class\n"
                          "Account ann = Account(\"Ann\")\n"
                          "ann.deposit(50)\n"
                          "Savings sue = Savings(\"Sue\")\n"
                          "sue.deposit(10)\n"
                          "print ann.balance, sue.owner, Account.opened\n"),
              "50 Sue 1\n");
}

// A member of a null object is a run-time error, not a crash.
TEST_F(NativeProgram, MemberOfANullObjectStopsTheProgram) {
    ExampleWorkspace workspace("program_null_object", NATIVE_INI);
    workspace.addSource("prog", "class P\n    int x = 1\n/class\nP none = null\nprint \"before\"\nprint none.x\n");
    workspace.build("prog");
    ASSERT_TRUE(workspace.hasFile("prog.wasm"));
    CommandOutcome program = workspace.run("./prog.wasm");
    EXPECT_EQ(program.status, 1) << describe(program);
    EXPECT_EQ(program.standardOutput, "before\n");
    EXPECT_NE(program.standardError.find("Run-time error: member of a null object"), std::string::npos)
        << describe(program);
}

}  // namespace
