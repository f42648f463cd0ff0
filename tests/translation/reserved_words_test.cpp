// A keyword written where a declaration's name belongs: one message naming
// the word, no parser reports, and the rest of the source read normally.
#include "translation_support.hpp"

namespace {

struct MisnamedSource {
    const char *label;
    const char *source;
    const char *message;   // the one diagnostic line expected
};

const MisnamedSource misnamedSources[] = {
    {"FunctionNamedStep",
     "void step(int n)\n    print n\nreturn\nstep(3)\n",
     "prog.vel L1: a name required, found the reserved word \"step\"."},
    {"VariableNamedFor", "int x = 2\nint for = 1\nprint for + x\nfor = 3\n",
     "prog.vel L2: a name required, found the reserved word \"for\"."},
    {"ParameterNamedIn", "int twice(int in)\nreturn in * 2\nprint twice(4)\n",
     "prog.vel L1: a name required, found the reserved word \"in\"."},
    {"TypedArrayNamedStep", "int[] step = [1, 2]\nprint step[0]\n",
     "prog.vel L1: a name required, found the reserved word \"step\"."},
    {"ClassNamedPrint", "class print\n    int n = 1\n/class\n",
     "prog.vel L1: a name required, found the reserved word \"print\"."},
    {"TextNamedInclude", "\n\ntext include = \"a\"\nprint include.length()\n",
     "prog.vel L3: a name required, found the reserved word \"include\"."},
};

void PrintTo(const MisnamedSource &misnamed, std::ostream *out) { *out << misnamed.label; }

class ReservedWordAsName : public TranslationTest,
                           public testing::WithParamInterface<MisnamedSource> {};

TEST_P(ReservedWordAsName, GetsOneMessage) {
    const MisnamedSource &misnamed = GetParam();
    Translation t = translate(misnamed.source);
    EXPECT_EQ(t.status, 1) << t.report << t.syntaxErrors;
    EXPECT_TRUE(t.reportHasLine(misnamed.message)) << t.report;
    EXPECT_EQ(t.syntaxErrors, "");
}

INSTANTIATE_TEST_SUITE_P(Declarations, ReservedWordAsName, testing::ValuesIn(misnamedSources),
                         [](const testing::TestParamInfo<MisnamedSource> &info) { return info.param.label; });

using ReservedWords = TranslationTest;

// Each misnamed declaration is reported on its own line; the keyword keeps
// its meaning where it is used as one.
TEST_F(ReservedWords, KeywordsKeepTheirUseAfterAReport) {
    Translation t = translate("int step = 2\n"
                              "for i in 1..9 step 4\n"
                              "    print i\n"
                              "/for\n"
                              "text do = \"x\"\n");
    EXPECT_TRUE(t.reportHasLine("prog.vel L1: a name required, found the reserved word \"step\".")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L5: a name required, found the reserved word \"do\".")) << t.report;
    EXPECT_EQ(t.status, 2) << t.report << t.syntaxErrors;
    EXPECT_EQ(t.syntaxErrors, "");
}

// Words that only differ from a keyword in letter case, or that hold one,
// are plain names.
TEST_F(ReservedWords, NamesNearKeywordsAreAccepted) {
    Translation t = translate("int Step = 1\nint steps = 2\nvoid For(int into)\n    print into\nreturn\n"
                              "For(Step + steps)\n");
    EXPECT_EQ(t.status, 0) << t.report << t.syntaxErrors;
    EXPECT_EQ(t.syntaxErrors, "");
}

}  // namespace
