#pragma once
// Fixture for tests of the driver and diagnostics: fresh process-wide state
// and a private working directory that disappears afterwards.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "diagnostics/diagnostics.hpp"
#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/toolchain.hpp"
#include "translator/output.hpp"

class DriverStateTest : public testing::Test {
protected:
    void SetUp() override {
        char path[] = "/tmp/velc_unit_XXXXXX";
        ASSERT_NE(mkdtemp(path), nullptr);
        directory = path;
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previousDirectory = cwd;
        ASSERT_EQ(chdir(path), 0);
        resetDriverState();
    }

    void TearDown() override {
        EXPECT_EQ(chdir(previousDirectory.c_str()), 0);
        std::filesystem::remove_all(directory);
        resetDriverState();
    }

    static void writeFile(const std::string &path, const std::string &text) {
        std::filesystem::path parent = std::filesystem::path(path).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent);
        std::ofstream(path, std::ios::binary) << text;
    }

    static std::string readFile(const std::string &path) {
        std::ifstream file(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    static void setModificationTime(const std::string &path, time_t when) {
        struct utimbuf times = {when, when};
        ASSERT_EQ(utime(path.c_str(), &times), 0);
    }

    // Outputs in the making, whatever process wrote them.
    static bool partialOutputLeft() {
        for (const auto &entry : std::filesystem::directory_iterator("."))
            if (entry.path().extension() == ".part")
                return true;
        return false;
    }

    static time_t modificationTime(const std::string &path) {
        struct stat status;
        if (stat(path.c_str(), &status) != 0)
            return -1;
        return status.st_mtime;
    }

    std::string directory;
    std::string previousDirectory;
};
