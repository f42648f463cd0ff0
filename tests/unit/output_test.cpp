#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "translator/output.hpp"
#include "translation_under_test.hpp"

namespace {

std::string captureOutput(void (*body)()) {
    FILE *file = tmpfile();
    {
        TranslationUnderTest translation;
        output().currentOutput = file;
        body();
    }
    std::string text;
    rewind(file);
    int c;
    while ((c = fgetc(file)) != EOF)
        text += char(c);
    fclose(file);
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
