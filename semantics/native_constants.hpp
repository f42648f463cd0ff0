#pragma once
// The native constants a program may name with $(NAME): the integer macros
// that the headers of every generated file define alike on the host
// compiler and under em++, and the macros the source's own native texts
// define. Any other name would reach the C++ compiler undeclared.
#include <string>

// Notes every "#define NAME" of a native text written into the output.
void noteNativeDefinitions(const std::string &nativeText);
bool isNativeConstant(const std::string &name);
