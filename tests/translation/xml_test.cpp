// XML literals: the declaration written for an element, its keys, and the
// diagnostics of closing tags and nesting.
#include "translation_support.hpp"

namespace {

using XmlLiterals = TranslationTest;

std::string nested(int depth) {
    std::string source;
    for (int i = 0; i < depth; i++)
        source += "<e" + std::to_string(i) + ">\n";
    for (int i = depth - 1; i >= 0; i--)
        source += "</e" + std::to_string(i) + ">\n";
    return source;
}

TEST_F(XmlLiterals, GeneratedKeysCountOverAStatementAndStartAgainInTheNext) {
    Translation t = translate(
        "<first>\n  <x>\n  </x>\n  <y>\n    <z>\n    </z>\n  </y>\n</first>\n"
        "<second>\n  <x>\n  </x>\n</second>\n");
    ASSERT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    size_t second = t.implementation.find("{\"_00\",\"second\"}");
    ASSERT_NE(second, std::string::npos) << t.implementation;
    std::string first = t.implementation.substr(0, second);
    EXPECT_NE(first.find("{\"_01\",{\n"), std::string::npos) << first;
    EXPECT_NE(first.find("{\"_02\",{\n"), std::string::npos) << first;
    EXPECT_NE(first.find("{\"_03\",{\n"), std::string::npos) << first;
    EXPECT_EQ(t.implementation.find("\"_02\"", second), std::string::npos) << t.implementation;
    EXPECT_NE(t.implementation.find("\"_01\"", second), std::string::npos) << t.implementation;
}

TEST_F(XmlLiterals, AnElementNeedsItsHeadEndAndAClosingTagEndingItsLine) {
    Translation selfClosing = translate("<a/>\n");
    EXPECT_FALSE(selfClosing.syntaxErrors.empty());
    EXPECT_NE(selfClosing.status, 0);
    Translation oneLine = translate("<a><b>1</b></a>\n");
    EXPECT_FALSE(oneLine.syntaxErrors.empty());
    EXPECT_NE(oneLine.status, 0);
}

TEST_F(XmlLiterals, ElementsNestUpTo128Deep) {
    Translation deepest = translate(nested(128));
    EXPECT_EQ(deepest.status, 0) << deepest.report << deepest.syntaxErrors;
    Translation tooDeep = translate(nested(129));
    EXPECT_TRUE(tooDeep.reportHasLine("prog.vel L129: stack overflow in XML tag.")) << tooDeep.report;
    EXPECT_NE(tooDeep.status, 0);
}

}  // namespace
