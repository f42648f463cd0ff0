// The name a generated file includes another source's header by, seen from
// the folder of the source that includes it.
#include <gtest/gtest.h>

#include <string>

#include "translator/include_paths.hpp"

namespace {

struct Seen {
    const char *source;  // its path without ".vel", from the main source's folder
    const char *header;  // as an include line names it, from the main source's folder
    const char *written;
};

TEST(IncludePaths, AHeaderIsNamedFromTheFolderOfTheSourceThatIncludesIt) {
    const Seen rows[] = {
        {"util", "helper.hpp", "helper.hpp"},
        {"util", "lib/helper.hpp", "lib/helper.hpp"},
        {"lib/util", "helper.hpp", "../helper.hpp"},
        {"lib/util", "lib/helper.hpp", "helper.hpp"},
        {"lib/deep/util", "lib/helper.hpp", "../helper.hpp"},
        {"lib/deep/util", "other/x/helper.hpp", "../../other/x/helper.hpp"},
        {"lib\\util", "helper.hpp", "../helper.hpp"},
        // Names that do not start at the main source's folder stay as written.
        {"lib/util", "/abs/helper.hpp", "/abs/helper.hpp"},
        {"lib/util", "./helper.hpp", "./helper.hpp"},
        {"lib/util", "../helper.hpp", "../helper.hpp"},
        {"../lib/util", "helper.hpp", "helper.hpp"},
        {"/abs/lib/util", "helper.hpp", "helper.hpp"},
    };
    for (const Seen &row : rows)
        EXPECT_EQ(headerSeenFrom(row.source, row.header), row.written) << row.source << " includes " << row.header;
}

}  // namespace
