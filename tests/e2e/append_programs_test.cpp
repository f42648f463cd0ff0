// Texts and arrays built by "t = t + ..." give what the plain sum gives,
// also when the pieces name the target itself. Built with g++ and the host
// libvel; the C++ right side must be complete before the target changes.
#include <gtest/gtest.h>

#include "example_runner.hpp"

namespace {

std::string buildAndRun(const std::string &source) { return buildAndRunNative("append", source); }

TEST(AppendProgram, TextsGrowAsTheirSums) {
    EXPECT_EQ(buildAndRun("text s = \"ab\"\n"
                          "s = s + s\n"
                          "print s\n"
                          "s = s + \"-\" + s\n"
                          "print s\n"
                          "text u = \"u\"\n"
                          "s = u + s\n"
                          "print s\n"
                          "var v = 7\n"
                          "var r = 2.5\n"
                          "char c = 'z'\n"
                          "text t = \"\"\n"
                          "t = t + v + r + c\n"
                          "t = t + str(3) + t.upper()\n"
                          "print t\n"),
              "abab\nabab-abab\nuabab-abab\n72.5z372.5Z\n");
}

TEST(AppendProgram, AliasParameterNamingTheTargetTwice) {
    EXPECT_EQ(buildAndRun("void twice(alias text a, alias text b)\n"
                          "    a = a + \"x\" + b\n"
                          "return\n"
                          "text s = \"s\"\n"
                          "twice(s, s)\n"
                          "print s\n"),
              "sxs\n");
}

TEST(AppendProgram, ArraysAppendOneOperandAndThemselves) {
    EXPECT_EQ(buildAndRun("array a = [1]\n"
                          "a = a + a\n"
                          "a = a + \"x\"\n"
                          "a = a + 2 + 3\n"
                          "print a\n"
                          "int[] n = [1]\n"
                          "n = n + n\n"
                          "n = n + 3\n"
                          "print n\n"),
              "[1, 1, \"x\", 2, 3]\n[1, 1, 3]\n");
}

// Changed in place or not, an element's sum is the plain sum: nil, texts,
// numbers, missing keys and elements past the end alike.
TEST(AppendProgram, VarElementsGrowAsTheirSums) {
    EXPECT_EQ(buildAndRun("dict d = {}\n"
                          "text k = \"a\"\n"
                          "d[k] = d[k] + 1\n"
                          "d[k] = d[k] + 1\n"
                          "d[\"b\"] = d[\"b\"] + 2.5\n"
                          "d[\"t\"] = \"x\"\n"
                          "d[\"t\"] = d[\"t\"] + 1\n"
                          "d[2] = d[2] + 1\n"
                          "array a = []\n"
                          "int i = 2\n"
                          "a[i] = a[i] + 1\n"
                          "a[0] = a[0] + 1.5\n"
                          "print d, a\n"),
              "{\"a\": 2, \"b\": 2.5, \"t\": \"x1\", 2: 1} [1.5, nil, 1]\n");
}

TEST(AppendProgram, LongTextIsBuiltInPlace) {
    EXPECT_EQ(buildAndRun("text s = \"\"\n"
                          "for int i in 0 -- 100000\n"
                          "    s = s + \"abc\"\n"
                          "/for\n"
                          "print s.length(), s[299999]\n"),
              "300000 c\n");
}

}  // namespace
