// Files, directories, commands and random numbers at their edges: null and
// closed handles, missing names, reading past the end. Every test runs in a
// fresh directory of its own, removed afterwards.
#include <gtest/gtest.h>

#include <velmora/libvel.hpp>

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <sstream>
#include <string>

namespace {

void removeTree(const std::string &path) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return;
    if (S_ISDIR(info.st_mode)) {
        if (DIR *stream = ::opendir(path.c_str())) {
            while (struct dirent *entry = ::readdir(stream)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") removeTree(path + "/" + name);
            }
            ::closedir(stream);
        }
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

class InScratchDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        char here[PATH_MAX];
        ASSERT_NE(::getcwd(here, sizeof here), nullptr);
        home = here;
        char pattern[] = "/tmp/vel_files_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        scratch = pattern;
        ASSERT_EQ(::chdir(scratch.c_str()), 0);
        dyn::error.set(false);
    }
    void TearDown() override {
        ASSERT_EQ(::chdir(home.c_str()), 0);
        removeTree(scratch);
        dyn::error.set(false);
    }
    void write(const char *name, const std::string &content) {
        FILE *f = std::fopen(name, "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(content.data(), 1, content.size(), f);
        (std::fclose)(f);  // parenthesised: libvel.hpp redirects fclose(...)
    }
    std::string home, scratch;
};

using NullFileHandle = InScratchDirectory;
using FileReading = InScratchDirectory;
using FileNames = InScratchDirectory;
using DirectoryHandles = InScratchDirectory;
using Commands = InScratchDirectory;

TEST_F(NullFileHandle, EveryFileFunctionGivesItsFailureResult) {
    FILE *none = nullptr;
    EXPECT_EQ(fclose(none), EOF);
    EXPECT_TRUE(feof(none));
    EXPECT_EQ(fgets(none).data, "");
    EXPECT_EQ(fread(none, 10).data, "");
    EXPECT_EQ(fwrite(none, "data"), 0);
    fputs(none, "line");
    EXPECT_EQ(fseek(none, 0), -1);
    EXPECT_EQ(filesize(none), 0u);
    EXPECT_EQ(filemtime(none), 0u);
    EXPECT_FALSE(file_exists(none));
}

TEST_F(NullFileHandle, AFailedOpenGivesItAndRaisesTheErrorFlag) {
    EXPECT_EQ(_vel_open("missing.txt", "r"), nullptr);
    EXPECT_TRUE(static_cast<bool>(dyn::error));
    dyn::error.set(false);
    EXPECT_EQ(fopen(std::string("missing.txt"), "r"), nullptr);
    EXPECT_TRUE(static_cast<bool>(dyn::error));
    dyn::error.set(false);
    EXPECT_EQ(_vel_open("", "r"), nullptr);
    EXPECT_EQ(_vel_open("no/such/dir/file.txt", "w"), nullptr);
}

TEST_F(NullFileHandle, VarsHoldingNoFileActAsTheNullHandle) {
    dyn values[] = {dyn(), dyn(5), dyn(velarray{dyn(1)}), open_dir(".")};
    for (dyn &value : values) {
        EXPECT_EQ(fgets(value).data, "");
        EXPECT_EQ(fread(value, 3).data, "");
        EXPECT_EQ(fwrite(value, "x"), 0);
        fputs(value, "x");
        EXPECT_TRUE(feof(value));
        EXPECT_EQ(fseek(value, 0), -1);
        EXPECT_EQ(filesize(value), 0u);
        EXPECT_EQ(filemtime(value), 0u);
        EXPECT_FALSE(file_exists(value));
        EXPECT_EQ(fclose(value), EOF);
    }
    close_dir(values[3]);
}

TEST_F(NullFileHandle, ClosingAVarEmptiesItSoASecondCloseIsHarmless) {
    dyn file;
    file = _vel_open("a.txt", "w");
    ASSERT_FALSE(file.isNil());
    fputs(file, "kept");
    EXPECT_EQ(fclose(file), 0);
    EXPECT_TRUE(file.isNil());
    EXPECT_EQ(fclose(file), EOF);
    EXPECT_EQ(_vel_ftostr("a.txt").data, "kept\n");
}

TEST_F(NullFileHandle, ClosingAFileVariableNullsItSoASecondCloseIsHarmless) {
    FILE *file = _vel_open("b.txt", "w");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(fclose(file), 0);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(fclose(file), EOF);
}

TEST_F(FileReading, ReadingPastTheEndGivesWhatIsLeftThenNothing) {
    write("a.txt", "abc");
    FILE *f = _vel_open("a.txt", "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fread(f, 0).data, "");
    EXPECT_EQ(fread(f, -4).data, "");
    EXPECT_FALSE(feof(f));
    EXPECT_EQ(fread(f, 10).data, "abc");
    EXPECT_TRUE(feof(f));
    EXPECT_EQ(fread(f, 10).data, "");
    EXPECT_EQ(fgets(f).data, "");
    fclose(f);
}

TEST_F(FileReading, LinesLoseTheirEndsAndTheLastNeedsNone) {
    write("a.txt", "one\r\n\ntwo\nthree");
    FILE *f = _vel_open("a.txt", "r");
    EXPECT_EQ(fgets(f).data, "one");
    EXPECT_EQ(fgets(f).data, "");
    EXPECT_FALSE(feof(f));
    EXPECT_EQ(fgets(f).data, "two");
    EXPECT_EQ(fgets(f).data, "three");
    EXPECT_TRUE(feof(f));
    fclose(f);
    velarray lines = _vel_ftoarr("a.txt");
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(dyn::toText(lines[0]).data, "one");
    EXPECT_EQ(dyn::toText(lines[3]).data, "three");
}

TEST_F(FileReading, ANegativeSeekIsRefusedAndKeepsThePosition) {
    write("a.txt", "0123456789");
    FILE *f = _vel_open("a.txt", "r");
    EXPECT_EQ(fseek(f, 4), 0);
    EXPECT_EQ(fseek(f, -2), -1);
    EXPECT_EQ(fread(f, 2).data, "45");
    EXPECT_EQ(fseek(f, 50), 0);
    EXPECT_EQ(fread(f, 2).data, "");
    fclose(f);
}

TEST_F(FileReading, SizeCountsWritesStillBuffered) {
    FILE *f = _vel_open("a.txt", "w");
    fwrite(f, "12345");
    EXPECT_EQ(filesize(f), 5u);
    fputs(f, "6");
    EXPECT_EQ(filesize(f), 7u);
    fclose(f);
    EXPECT_EQ(filesize("a.txt"), 7.0);
}

TEST_F(FileReading, TextsWithZeroBytesAreWrittenWhole) {
    FILE *f = _vel_open("a.txt", "wb");
    fputs(f, text(std::string("a\0b", 3)));
    EXPECT_EQ(fwrite(f, text(std::string("c\0", 2))), 2);
    fclose(f);
    EXPECT_EQ(_vel_ftostr("a.txt").data, std::string("a\0b\nc\0", 6));
}

TEST_F(FileNames, MissingNamesGiveTheDocumentedResults) {
    EXPECT_EQ(_vel_ftostr("missing.txt").data, "");
    EXPECT_TRUE(static_cast<bool>(dyn::error));
    dyn::error.set(false);
    EXPECT_EQ(_vel_ftoarr("missing.txt").size(), 0);
    EXPECT_TRUE(static_cast<bool>(dyn::error));
    EXPECT_EQ(filesize("missing.txt"), -1.0);
    EXPECT_EQ(filemtime(std::string("missing.txt")), -1.0);
    EXPECT_EQ(filetype("missing.txt").data, "");
    EXPECT_FALSE(file_exists("missing.txt"));
    EXPECT_FALSE(_vel_isfile("missing.txt"));
    EXPECT_FALSE(_vel_isdir("missing.txt"));
    EXPECT_FALSE(_vel_unlink("missing.txt"));
    EXPECT_FALSE(_vel_ren("missing.txt", "other.txt"));
    EXPECT_FALSE(_vel_rmdir("missing"));
    EXPECT_FALSE(_vel_chdir("missing"));
    EXPECT_FALSE(_vel_chdir(""));
    EXPECT_FALSE(_vel_mkdir(""));
    EXPECT_FALSE(_vel_rmdir(""));
}

TEST_F(FileNames, KindsOfNamesAreToldApart) {
    write("a.txt", "x");
    ASSERT_TRUE(_vel_mkdir("d"));
    EXPECT_EQ(filetype("a.txt").data, "file");
    EXPECT_EQ(filetype("d").data, "dir");
    EXPECT_EQ(filetype("/dev/null").data, "unknown");
    EXPECT_TRUE(_vel_isfile("a.txt"));
    EXPECT_FALSE(_vel_isfile("d"));
    EXPECT_TRUE(_vel_isdir("d"));
    EXPECT_FALSE(_vel_isdir("a.txt"));
    EXPECT_TRUE(file_exists("d"));
    EXPECT_TRUE(file_exists(dyn("a.txt")));
    EXPECT_EQ(filesize(dyn("a.txt")), 1u);
    EXPECT_EQ(filesize(dyn("missing.txt")), 0u);
}

TEST_F(FileNames, DirectoriesAreMadeRemovedAndEntered) {
    EXPECT_TRUE(_vel_mkdir("d"));
    EXPECT_FALSE(_vel_mkdir("d"));
    write("d/f.txt", "x");
    EXPECT_FALSE(_vel_rmdir("d"));
    EXPECT_FALSE(_vel_unlink("d"));
    EXPECT_FALSE(_vel_chdir("d/f.txt"));
    text start = getcwd();
    EXPECT_TRUE(_vel_chdir("d"));
    EXPECT_EQ(getcwd().data, start.data + "/d");
    EXPECT_TRUE(file_exists("f.txt"));
    EXPECT_TRUE(_vel_chdir(".."));
    EXPECT_EQ(getcwd().data, start.data);
    EXPECT_TRUE(_vel_ren("d/f.txt", "g.txt"));
    EXPECT_TRUE(file_exists("g.txt"));
    EXPECT_TRUE(_vel_rmdir("d"));
    EXPECT_FALSE(_vel_isdir("d"));
}

TEST_F(DirectoryHandles, AClosedHandleReadsAsTheEndForever) {
    write("a.txt", "");
    dyn d = open_dir(".");
    ASSERT_FALSE(d.isNil());
    close_dir(d);
    EXPECT_EQ(read_dir(d).data, "");
    rewind_dir(d);
    EXPECT_EQ(read_dir(d).data, "");
    close_dir(d);
    // A directory opened afterwards must not bring the old handle back.
    dyn other = open_dir(".");
    EXPECT_EQ(read_dir(d).data, "");
    EXPECT_EQ(read_dir(other).data, "a.txt");
    close_dir(other);
}

TEST_F(DirectoryHandles, ValuesThatAreNoDirectoryReadAsTheEnd) {
    FILE *f = _vel_open("a.txt", "w");
    dyn values[] = {dyn(), dyn(3), dyn("."), dyn(static_cast<void *>(f))};
    for (const dyn &value : values) {
        EXPECT_EQ(read_dir(value).data, "");
        rewind_dir(value);
        close_dir(value);
    }
    EXPECT_EQ(fwrite(f, "still open"), 10);
    fclose(f);
}

TEST_F(DirectoryHandles, ListingsLeaveOutDotsAndRewindStartsAgain) {
    write("b.txt", "");
    write("a.txt", "");
    ASSERT_TRUE(_vel_mkdir("c"));
    dyn d = open_dir(".");
    velarray first;
    for (text name; !(name = read_dir(d)).empty();) first.push(dyn(name));
    EXPECT_EQ(first.size(), 3);
    EXPECT_EQ(read_dir(d).data, "");
    rewind_dir(d);
    velarray second;
    for (text name; !(name = read_dir(d)).empty();) second.push(dyn(name));
    close_dir(d);
    first.sort();
    second.sort();
    EXPECT_EQ(text(first).data, text(second).data);
    velarray sorted = scandir(".");
    std::ostringstream shown;
    shown << sorted;
    EXPECT_EQ(shown.str(), "[\"a.txt\", \"b.txt\", \"c\"]");
}

TEST_F(DirectoryHandles, MissingDirectoriesGiveNilAndNothing) {
    dyn d = open_dir("missing");
    EXPECT_TRUE(d.isNil());
    EXPECT_TRUE(static_cast<bool>(dyn::error));
    dyn::error.set(false);
    EXPECT_EQ(scandir("missing").size(), 0);
    EXPECT_TRUE(static_cast<bool>(dyn::error));
    EXPECT_TRUE(open_dir("").isNil());
    write("a.txt", "");
    EXPECT_TRUE(open_dir("a.txt").isNil());
}

TEST_F(Commands, AsAnIntegerACommandGivesItsExitStatus) {
    int status = system(text("exit 3"));
    EXPECT_EQ(status, 3);
    int success = system(text("true"));
    EXPECT_EQ(success, 0);
    int empty = system(text(""));
    EXPECT_EQ(empty, -1);
}

TEST_F(Commands, AsATextACommandGivesItsOutput) {
    text output = system(text("printf 'one\\ntwo'"));
    EXPECT_EQ(output.data, "one\ntwo");
    dyn held = system(text("echo held"));
    EXPECT_EQ(dyn::toText(held).data, "held\n");
    std::ostringstream printed;
    printed << system(text("echo printed"));
    EXPECT_EQ(printed.str(), "printed\n");
    text nothing = system(text(""));
    EXPECT_EQ(nothing.data, "");
}

TEST_F(Commands, TextMethodsWorkOnTheOutput) {
    EXPECT_EQ(system(text("echo hi")).output().trim().data, "hi");
}

TEST_F(Commands, ACommandRunsOnceEvenWhenItsResultIsDropped) {
    system(text("echo x >> ran.txt"));
    EXPECT_EQ(_vel_ftostr("ran.txt").data, "x\n");
    {
        vel_command command = system(text("echo y >> ran.txt"));
        int first = command, second = command;
        EXPECT_EQ(first, 0);
        EXPECT_EQ(second, 0);
    }
    EXPECT_EQ(_vel_ftostr("ran.txt").data, "x\ny\n");
}

TEST(RandomNumbers, ASeedGivesTheSameSequenceAgain) {
    srand(7);
    int first[8];
    for (int &value : first) value = rand();
    srand(7);
    for (int value : first) EXPECT_EQ(rand(), value);
    srand(8);
    EXPECT_NE(rand(), first[0]);
}

TEST(RandomNumbers, ValuesCoverTheWholeRangeEvenly) {
    srand(12345);
    const int count = 20000;
    double sum = 0;
    int odd = 0, high = 0;
    for (int i = 0; i < count; ++i) {
        int value = rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RAND_MAX);
        sum += value;
        odd += value & 1;
        high += value > RAND_MAX / 2;
    }
    EXPECT_NEAR(sum / count / RAND_MAX, 0.5, 0.02);
    EXPECT_NEAR(static_cast<double>(odd) / count, 0.5, 0.02);
    EXPECT_NEAR(static_cast<double>(high) / count, 0.5, 0.02);
}

}  // namespace
