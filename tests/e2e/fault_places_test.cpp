// Run-time errors of native programs name the Velmora source line of the
// fault, and the function it is in; without line directives they name none.
#include <gtest/gtest.h>

#include "fault_runner.hpp"

namespace {

class NativeFault : public testing::TestWithParam<std::string> {};

TEST_P(NativeFault, NamesTheSourceLine) { checkFault(GetParam(), NATIVE_INI, "", "", true); }

TEST_P(NativeFault, NamesNoPlaceWithoutLineDirectives) { checkFault(GetParam(), NATIVE_INI, "", "lines=0", false); }

INSTANTIATE_TEST_SUITE_P(Faults, NativeFault, testing::ValuesIn(faultNames()),
                         [](const testing::TestParamInfo<std::string> &info) { return info.param; });

}  // namespace
