#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "translator/output.hpp"

namespace {

std::string captureOutput(void (*body)()) {
    FILE *file = tmpfile();
    OutputState saved = output;
    output = OutputState();
    output.currentOutput = file;
    body();
    output = saved;
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
                  output.indentLevel = 2;
                  emitIndented("x;");
              }),
              "        x;");
}

}  // namespace
