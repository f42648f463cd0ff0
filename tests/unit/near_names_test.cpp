// The index of near names answers as a search of every name in order
// would: the first name at the smallest distance, none when the name itself
// is there. Names of a few letters from a small alphabet put many of them
// within one or two edits of each other, with doubled letters, swaps and
// letter case.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "translator/hints.hpp"
#include "translator/near_names.hpp"

namespace {

std::string randomName(std::mt19937 &random) {
    static const char letters[] = "aabAB_1";
    std::uniform_int_distribution<int> length(1, 9), letter(0, 6);
    std::string name;
    for (int i = length(random); i > 0; i--)
        name += letters[letter(random)];
    return name;
}

TEST(NearNamesTest, AnswersAsASearchOfEveryName) {
    std::mt19937 random(41);
    std::vector<std::string> names;
    NearNames index;
    for (int i = 0; i < 400; i++) {
        names.push_back(randomName(random));
        index.add(names.back());
    }
    names.push_back(std::string(60, 'a'));  // longer than the index holds
    index.add(names.back());
    int hinted = 0;
    for (int i = 0; i < 3000; i++) {
        std::string name = i == 0 ? std::string(59, 'a') : randomName(random);
        ClosestSoFar closest(name);
        index.search(closest);
        std::string expected = closestName(name, names);
        EXPECT_EQ(closest.answer(), expected) << name;
        hinted += !expected.empty();
    }
    EXPECT_GT(hinted, 100);
}

TEST(NearNamesTest, FindsANameWhateverItsLetterCase) {
    NearNames index;
    index.add("Total");
    index.add(std::string(50, 'x') + "Long");
    EXPECT_TRUE(index.holdsFolded("tOTAL"));
    EXPECT_TRUE(index.holdsFolded(std::string(50, 'X') + "long"));
    EXPECT_FALSE(index.holdsFolded("Totals"));
}

}  // namespace
