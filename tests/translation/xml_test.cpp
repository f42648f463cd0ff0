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

TEST_F(XmlLiterals, TheOutermostElementDeclaresAVariableOfItsName) {
    Translation t = translate(
        "<book lang=\"en\">\n"
        "    \"Velmora\"\n"
        "</book>\n"
        "print book[\"lang\"]\n");
    ASSERT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    EXPECT_NE(t.implementation.find("map<string, string>book={\n"
                                    "    {\"_00\",\"book\"},{\"lang\",\"en\"},\n"
                                    "    {\"data\",\"Velmora\"}};\n"),
              std::string::npos)
        << t.implementation;
    EXPECT_NE(t.header.find("extern map<string, string> book;"), std::string::npos) << t.header;
}

TEST_F(XmlLiterals, NestedElementsBalanceTheirBracesAndSeparateLaterEntries) {
    Translation t = translate(
        "<a>\n"
        "    <b n=1>\n"
        "        2.5\n"
        "    </b>\n"
        "    \"after\"\n"
        "    `raw \"text\"`\n"
        "</a>\n");
    ASSERT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    EXPECT_NE(t.implementation.find("map<string, string>a={\n"
                                    "    {\"_00\",\"a\"},\n"
                                    "    {\"_01\",{\n"
                                    "        {\"n\",1},{\"tag\",\"b\"},\n"
                                    "        {\"data\",2.5}}},\n"
                                    "    {\"data\",\"after\"},\n"
                                    "    {\"data\",\"raw \\\"text\\\"\"}};\n"),
              std::string::npos)
        << t.implementation;
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

TEST_F(XmlLiterals, OnlyIdAndIDKeyAnElement) {
    Translation t = translate(
        "<doc>\n"
        "  <p id=\"intro\" ID=\"kept\">\n  </p>\n"
        "  <q ID=7>\n  </q>\n"
        "  <r Id=\"plain\">\n  </r>\n"
        "</doc>\n"
        "<shelf id=\"main_shelf\" xml:lang=\"fr\" data-size=3>\n</shelf>\n");
    ASSERT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    EXPECT_NE(t.implementation.find("    {\"intro\",{\n        {\"tag\",\"p\"},{\"ID\",\"kept\"}}}"), std::string::npos)
        << t.implementation;
    EXPECT_NE(t.implementation.find("    {7,{\n        {\"tag\",\"q\"}}}"), std::string::npos) << t.implementation;
    EXPECT_NE(t.implementation.find("    {\"_01\",{\n        {\"Id\",\"plain\"},{\"tag\",\"r\"}}}"),
              std::string::npos)
        << t.implementation;
    // The outermost element takes its variable's name from its id.
    EXPECT_NE(t.implementation.find("map<string, string>main_shelf={\n"
                                    "    {\"_00\",\"main_shelf\"},{\"tag\",\"shelf\"},{\"xml,lang\",\"fr\"},"
                                    "{\"data-size\",3}};"),
              std::string::npos)
        << t.implementation;
}

TEST_F(XmlLiterals, AttributeNamesMayBeWordsOfTheLanguage) {
    Translation t = translate("<label for=\"name\" class=\"big\" data-for=1 xml:class=2>\n</label>\n");
    ASSERT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    EXPECT_NE(t.implementation.find("{\"for\",\"name\"},{\"class\",\"big\"},{\"data-for\",1},{\"xml,class\",2}};"),
              std::string::npos)
        << t.implementation;
}

TEST_F(XmlLiterals, AnIdThatIsNoNameLeavesTheVariableItsElementName) {
    Translation t = translate("<item id=\"two words\">\n</item>\nprint item.size()\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L1: \"two words\" cannot be used here")) << t.report;
    EXPECT_NE(t.implementation.find("map<string, string>item={"), std::string::npos) << t.implementation;
    EXPECT_FALSE(t.reportHasLine("prog.vel L3: \"item\" not declared")) << t.report;
}

TEST_F(XmlLiterals, AnUnbalancedClosingTagIsReportedOnItsLineAndStillCloses) {
    Translation t = translate(
        "<library>\n"
        "    <writer>\n"
        "\n"
        "        \"Zoe\"\n"
        "    </writter>\n"
        "</library>\n"
        "print missing\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L5: \"</writter>\" unbalanced XML tag")) << t.report;
    // Lines inside the element still count.
    EXPECT_TRUE(t.reportHasLine("prog.vel L7: \"missing\" not declared")) << t.report;
    EXPECT_NE(t.implementation.find("{\"data\",\"Zoe\"}}}};\n"), std::string::npos) << t.implementation;
}

TEST_F(XmlLiterals, AnElementNeedsItsHeadEndAndAClosingTagEndingItsLine) {
    Translation selfClosing = translate("<a/>\n");
    EXPECT_FALSE(selfClosing.syntaxErrors.empty());
    EXPECT_NE(selfClosing.status, 0);
    Translation oneLine = translate("<a><b>1</b></a>\n");
    EXPECT_FALSE(oneLine.syntaxErrors.empty());
    EXPECT_NE(oneLine.status, 0);
}

TEST_F(XmlLiterals, AfterMainOpensTheVariableStaysFileLevel) {
    Translation t = translate(
        "print 1\n"
        "<late>\n"
        "    \"x\"\n"
        "</late>\n"
        "function show()\n"
        "    print late[\"data\"]\n"
        "return\n");
    ASSERT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    EXPECT_NE(t.implementation.find("    late=map<string, string>{\n"), std::string::npos) << t.implementation;
    EXPECT_TRUE(t.hasStatement("map<string, string> late;")) << t.implementation;
    EXPECT_NE(t.header.find("extern map<string, string> late;"), std::string::npos) << t.header;
}

TEST_F(XmlLiterals, ElementsNestUpTo128Deep) {
    Translation deepest = translate(nested(128));
    EXPECT_EQ(deepest.status, 0) << deepest.report << deepest.syntaxErrors;
    Translation tooDeep = translate(nested(129));
    EXPECT_TRUE(tooDeep.reportHasLine("prog.vel L129: stack overflow in XML tag.")) << tooDeep.report;
    EXPECT_NE(tooDeep.status, 0);
}

}  // namespace
