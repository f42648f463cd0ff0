// The variables of XML literals: the dict an initializer builds and the XML
// text it is written back as.
#include <velmora/libvel.hpp>

#include <gtest/gtest.h>

namespace {

TEST(XmlElement, TheInitializerBuildsNestedDictsInWrittenOrder) {
    map<string, string> book = {{"_00", "book"}, {"lang", "en"}, {"data", "Velmora"},
                                {"_01", {{"n", 1}, {"tag", "chapter"}, {"data", 2.5}}}};
    EXPECT_EQ(book.size(), 4);
    EXPECT_EQ(dyn::toText(book.at("lang")).data, "en");
    ASSERT_EQ(book.at("_01").kind(), dyn::DICT);
    EXPECT_EQ(dyn::toText(book.at("_01").asDict()->at("tag")).data, "chapter");
    EXPECT_EQ(dyn::toText(book.keys()).data, "[\"_00\", \"lang\", \"data\", \"_01\"]");
}

TEST(XmlElement, SeveralDataItemsAreKeptInOneArray) {
    map<string, string> note = {{"_00", "note"}, {"data", "a"}, {"_01", {{"tag", "b"}}}, {"data", 3}};
    ASSERT_EQ(note.at("data").kind(), dyn::ARRAY);
    EXPECT_EQ(dyn::toText(note.at("data")).data, "[\"a\", 3]");
    EXPECT_EQ(note.toXML().data, "<note>a3<b/></note>");
}

TEST(XmlElement, ToXmlRestoresIdsNamespacesAndEscapes) {
    map<string, string> doc = {{"_00", "main"},
                               {"tag", "shelf"},
                               {"xml,lang", "fr"},
                               {"note", "a<b & \"c\""},
                               {"b1", {{"tag", "book"}, {"Id", "x"}, {"data", "1 < 2"}}},
                               {"_01", {{"tag", "empty"}}}};
    EXPECT_EQ(doc.toXML().data,
              "<shelf id=\"main\" xml:lang=\"fr\" note=\"a&lt;b &amp; &quot;c&quot;\">"
              "<book id=\"b1\" Id=\"x\">1 &lt; 2</book><empty/></shelf>");
}

TEST(XmlElement, AChangedElementIsWrittenWithItsChanges) {
    map<string, string> point = {{"_00", "point"}, {"x", 1}};
    point["x"] = dyn(5);
    point["label"] = dyn("p");
    EXPECT_EQ(point.toXML().data, "<point x=\"5\" label=\"p\"/>");
    // A plain dict assigned to the variable is written as any dict is.
    point = dict{dyn(new vel_pair(dyn("k"), dyn(1)))};
    EXPECT_EQ(point.toXML().data, "<k>1</k>");
}

}  // namespace
