// Texts and arrays built by "t = t + ..." give what the plain sum gives,
// also when the pieces name the target itself. Built with g++ and the host
// libvel; the C++ right side must be complete before the target changes.
#include <gtest/gtest.h>

#include "example_runner.hpp"

namespace {

std::string buildAndRun(const std::string &source) { return buildAndRunNative("append", source); }

}  // namespace
