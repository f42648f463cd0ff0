// Every row of the built-in table, called on every receiver that reaches
// it, translated by velc and compiled against the host libvel.
#include <gtest/gtest.h>

#include "builtin_rows.hpp"
#include "example_runner.hpp"

namespace {

TEST(BuiltinRows, EveryRowTranslatesCompilesAndRunsNatively) {
    ExampleWorkspace workspace("builtin_rows_native", NATIVE_INI);
    workspace.addSource("rows", builtinRowsProgram());
    CommandOutcome build = workspace.build("rows");
    ASSERT_EQ(build.status, 0) << describe(build);
    ASSERT_EQ(build.standardOutput.find("error"), std::string::npos) << describe(build);
    CommandOutcome program = workspace.run("./rows.wasm");
    EXPECT_EQ(program.status, 0) << describe(program);
    EXPECT_NE(program.standardOutput.find("done\n"), std::string::npos) << describe(program);
}

}  // namespace
