#include <gtest/gtest.h>
#include <string>
#include "translator/output.hpp"
#include "translation_under_test.hpp"

namespace {

std::string captureOutput(void (*body)()) {
    OutputText text;
    TranslationUnderTest translation;
    output().currentOutput = &text;
    body();
    return text;
}

TEST(Output, NewlineOnceCollapsesBlankLines) {
    EXPECT_EQ(captureOutput([] {
                  emit("a");
                  newlineOnce();
                  newlineOnce();
                  newlineOnce();
                  writeIndent();
                  emit("b");
                  newlineOnce();
              }),
              "a\nb\n");
}

TEST(Output, IndentIsFourBlanksPerLevel) {
    EXPECT_EQ(captureOutput([] {
                  output().indentLevel = 2;
                  emitIndented("x;");
              }),
              "        x;");
}

}  // namespace
