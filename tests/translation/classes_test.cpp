// Classes: the class written into the header, its constructors, its
// members reached from objects and class names, and the diagnostics.
#include "translation_support.hpp"

namespace {

using Classes = TranslationTest;

bool headerHas(const Translation &t, const std::string &text) {
    return t.header.find(text) != std::string::npos;
}

TEST_F(Classes, AClassWithoutConstructorGetsOneWithItsInitialValues) {
    Translation t = translate(
        "class Shape\n"
        "    real width = 1\n"
        "    text name\n"
        "    real area()\n"
        "    return width * 2\n"
        "/class\n"
        "class Square is Shape\n"
        "    void Square(real side, int sides = 4)\n"
        "        width = side\n"
        "    return\n"
        "/class\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(headerHas(t, "\n\nclass Shape\n{\n    public:\n    double width;\n    text name;\n")) << t.header;
    // The generated constructor keeps the declaration order.
    EXPECT_TRUE(headerHas(t, "    Shape()\n    {\n        width=1;\n        name=\"\";\n    }\n};\n")) << t.header;
    EXPECT_TRUE(headerHas(t, "\nclass Square: public Shape\n{\n")) << t.header;
    // An explicit constructor keeps its defaults; its body starts with nothing
    // to initialise since Square declares no attribute.
    EXPECT_TRUE(headerHas(t, "    Square(double side, int sides=4)\n    {\n        width = side;\n")) << t.header;
    EXPECT_TRUE(headerHas(t, "    double area()\n    {\n        return width*2;\n    }\n")) << t.header;
}

TEST_F(Classes, AnExplicitConstructorStartsWithTheInitialisations) {
    Translation t = translate(
        "class Counter\n"
        "    int count = 5\n"
        "    static int made = 0\n"
        "    void Counter(int start)\n"
        "        count = count + start\n"
        "        made = made + 1\n"
        "    return\n"
        "/class\n"
        "Counter c = Counter(2)\n"
        "print c.count, Counter.made\n"
        "c.count = 7\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(headerHas(t, "    Counter(int start)\n    {\n        count=5;\n        count = count+start;\n"))
        << t.header;
    EXPECT_TRUE(headerHas(t, "    static int made;\n")) << t.header;
    EXPECT_TRUE(t.hasStatement("int Counter::made=0;")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("Counter *c=(Counter *) new Counter(2);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << _vel_obj(c)->count<< \" \" << Counter::made<< \"\\n\";"))
        << t.implementation;
    EXPECT_TRUE(t.hasStatement("_vel_obj(c)->count = 7;")) << t.implementation;
}

TEST_F(Classes, MethodsOfTheBaseAreFoundAndChecked) {
    Translation t = translate(
        "class Shape\n"
        "    real width = 1\n"
        "    void scale(real by)\n"
        "        width = width * by\n"
        "    return\n"
        "/class\n"
        "class Square is Shape\n"
        "    real side = 2\n"
        "/class\n"
        "Square s\n"
        "s.scale(3)\n"
        "print s.width\n"
        "s.scale(\"x\")\n"
        "s.scale()\n");
    EXPECT_TRUE(t.hasStatement("Square *s=new Square();")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("_vel_obj(s)->scale(3);")) << t.implementation;
    EXPECT_TRUE(t.hasStatement("std::cout << _vel_obj(s)->width<< \"\\n\";")) << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L13: bad argument in \"scale\" call, real expected, text found."))
        << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L14: \"scale\" requires 1 argument, 0 found.")) << t.report;
    EXPECT_EQ(t.status, 2) << t.report;
}

TEST_F(Classes, AnObjectWhoseConstructorNeedsArgumentsStartsNull) {
    Translation t = translate(
        "class P\n    int x = 0\n    void P(int v)\n        x = v\n    return\n/class\n"
        "P none\nP one = P(1)\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(t.hasStatement("P *none=NULL;")) << t.implementation;
}

TEST_F(Classes, SuperWritesNothingAndWarns) {
    Translation t = translate(
        "class A\n    int n = 1\n/class\n"
        "class B is A\n"
        "    void B()\n"
        "        super()\n"
        "    return\n"
        "/class\n"
        "super(1)\n");
    EXPECT_TRUE(t.reportHasLine("Warning: super ignored in method body line:6")) << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L9: \": super\" cannot be used here")) << t.report;
    // The refused super of line 9 has its error and no warning.
    EXPECT_EQ(t.report.find("line:9"), std::string::npos) << t.report;
    EXPECT_EQ(t.countOccurrences("super"), 0) << t.implementation;
    EXPECT_EQ(t.header.find("super"), std::string::npos) << t.header;
    EXPECT_EQ(t.status, 1) << t.report;
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

TEST_F(Classes, FunctionsGiveObjectsAndThisNamesTheObject) {
    Translation t = translate(
        "class Point\n"
        "    int x = 0\n"
        "    void Point(int a)\n"
        "        this.x = a\n"
        "    return\n"
        "    Point twice()\n"
        "    return Point(x * 2)\n"
        "/class\n"
        "Point make(int v)\n"
        "return Point(v)\n"
        "print make(2).twice().x\n");
    ASSERT_EQ(t.status, 0) << t.report;
    EXPECT_TRUE(headerHas(t, "        _vel_obj(this)->x = a;\n")) << t.header;
    EXPECT_TRUE(headerHas(t, "    Point *twice()\n    {\n        return new Point(x*2);\n")) << t.header;
    EXPECT_TRUE(headerHas(t, "Point *make(int v);")) << t.header;
    EXPECT_TRUE(t.hasStatement("std::cout << _vel_obj(_vel_obj(make(2))->twice())->x<< \"\\n\";")) << t.implementation;
}

TEST_F(Classes, ImportedClassesGetStubsAndExternClassesNothing) {
    Translation t = translate(
        "import\n"
        "class Gadget\n"
        "    int size = 3\n"
        "    void Gadget(int s)\n"
        "    int grow(int by)\n"
        "/class\n"
        "/import\n"
        "extern\n"
        "class Native\n"
        "    int v\n"
        "    int twice()\n"
        "/class\n"
        "/extern\n"
        "Gadget g = Gadget(2)\n"
        "Native n = Native()\n"
        "print g.grow(1), n.twice()\n"
        "g.grow(\"x\")\n"
        "class Counter\n    void counter()\n    return\n/class\n");
    EXPECT_TRUE(headerHas(t, "    Gadget(int s) { size=3; }\n")) << t.header;
    EXPECT_TRUE(headerHas(t, "    int grow(int by) { return 0; }\n")) << t.header;
    EXPECT_EQ(t.header.find("class Native"), std::string::npos) << t.header;
    EXPECT_TRUE(t.hasStatement("std::cout << _vel_obj(g)->grow(1)<< \" \" << _vel_obj(n)->twice()<< \"\\n\";"))
        << t.implementation;
    EXPECT_TRUE(t.reportHasLine("prog.vel L17: bad argument in \"grow\" call, integer expected, text found."))
        << t.report;
    EXPECT_TRUE(t.reportHasLine("prog.vel L19: \"counter and Counter\" declared with different case")) << t.report;
    EXPECT_EQ(t.status, 2) << t.report;
}

}  // namespace
