#pragma once
// A program's texts may hold any bytes, but the C++ compilers read their
// source as UTF-8 and warn of a literal that is not (clang: "illegal
// character encoding"). The bytes that are not UTF-8 go into the C++
// literals as octal escapes, which stand for the same bytes.
#include <string>

// `cppText`, a C++ expression, with every byte inside its quoted literals
// that does not belong to a well-formed UTF-8 character written as an
// octal escape. A backslash before such a byte, which C++ would take for
// an unknown escape, is dropped: the byte stands for itself.
std::string withEncodableBytes(const std::string &cppText);
