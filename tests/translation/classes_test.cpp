// Classes: the class written into the header, its constructors, its
// members reached from objects and class names, and the diagnostics.
#include "translation_support.hpp"

namespace {

using Classes = TranslationTest;

bool headerHas(const Translation &t, const std::string &text) {
    return t.header.find(text) != std::string::npos;
}

TEST_F(Classes, Diagnostics) {
    Translation t = translate(
        "class A\n    int x = 1\n/class\n"               // 1-3
        "class B\n    int y = 2\n/class\n"               // 4-6
        "class C is A, B\n    int z = 3\n/class\n"       // 7-9
        "class D\n    int D()\n    return 1\n/class\n"   // 10-13
        "class E\n    void E()\n    return\n    int late = 2\n/class\n"  // 14-18
        "class F\n    int v = 1\n    static int s = 0\n"
        "    static int total()\n    return s\n"
        "    int get()\n    return v\n/class\n"          // 19-26
        "Pointer p\n"                                    // 27
        "A a\n"
        "a.shout()\n"                                    // 29
        "print F.v\n"                                    // 30
        "print F.s, F.total()\n"                         // 31
        "print F.get()\n");                              // 32
    EXPECT_TRUE(t.reportHasLine("prog.vel L7: multiple inheritance not yet available.")) << t.report;
    EXPECT_TRUE(headerHas(t, "class C: public A, public B\n")) << t.header;
    EXPECT_TRUE(t.reportHasLine("prog.vel L11: constructor must return void.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L17: declaration must precede the constructor.")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L27: \"Pointer\" class not defined")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L29: \"shout\" method not found")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L30: \"v\" is not a static attribute")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L32: static method can't use dynamic attribute.")) << t.report;
    EXPECT_EQ(t.status, 7) << t.report;
}

}  // namespace
