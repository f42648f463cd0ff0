// Builds on a file system that keeps whole seconds (ext4 with small inodes,
// as FAT and many network file systems do): an edit made in the second of
// the build before it ties with that build's outputs, and is still seen. The
// file system is an image mounted through a loop device, which needs root
// and mkfs.ext4.
#include <sys/mount.h>
#include <unistd.h>

#include "velc_command_line.hpp"

namespace cli_test {
namespace {

class CoarseTimes : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting a file system image needs root";
        disk = directory + "/disk";
        fs::create_directories(disk);
        std::string image = directory + "/seconds.img";
        std::string make = "truncate -s 16M '" + image + "' && mkfs.ext4 -q -I 128 '" + image + "' 2>/dev/null";
        if (std::system(make.c_str()) != 0)
            GTEST_SKIP() << "mkfs.ext4 cannot make the image";
        if (std::system(("mount -o loop '" + image + "' '" + disk + "' 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "no loop device can mount the image here";
        mounted = true;
        writeFile("disk/probe", "");
        struct stat probe;
        ASSERT_EQ(stat((disk + "/probe").c_str(), &probe), 0);
        // The file system is the one meant only when it drops the fraction.
        if (probe.st_mtim.tv_nsec != 0)
            GTEST_SKIP() << "the image keeps fractions of seconds";
    }

    void TearDown() override {
        if (mounted)
            umount(disk.c_str());
        VelcCommandLine::TearDown();
    }

    int runOnDisk(const std::string &arguments) {
        return run(arguments, "sh -c 'cd disk && exec ../velc \"$@\"' velc");
    }

    std::string disk;
    bool mounted = false;
};

// Each edit follows the run before it at once, most in the same second.
TEST_F(CoarseTimes, EveryQuickEditIsTranslated) {
    writeFile("disk/lib.vel", "int shared = 0\n");
    writeFile("disk/prog.vel", "include lib.vel\nprint shared\n");
    ASSERT_EQ(runOnDisk("-c -q prog"), 0) << stdoutText;
    for (int edit = 1; edit <= 8; edit++) {
        std::string value = std::to_string(edit * 11);
        if (edit % 2)
            writeFile("disk/lib.vel", "int shared = " + value + "\n");
        else
            writeFile("disk/prog.vel", "include lib.vel\nprint shared + " + value + "\n");
        ASSERT_EQ(runOnDisk("-c -q prog"), 0) << stdoutText;
        std::string cpp = readFile(edit % 2 ? "disk/lib.cpp" : "disk/prog.cpp");
        EXPECT_NE(cpp.find(value), std::string::npos) << "edit " << edit << " lost:\n" << cpp;
    }
}

// Full builds: an edit compiles its C++ and links the program again, also
// after a run with -c translated it in the second of the last build.
TEST_F(CoarseTimes, EveryQuickEditIsBuilt) {
    writeFile("disk/prog.vel", "print 0\n");
    ASSERT_EQ(runOnDisk("-q prog"), 0) << stdoutText;
    for (int edit = 1; edit <= 6; edit++) {
        writeFile("disk/prog.vel", "print " + std::to_string(edit) + "\n");
        if (edit % 2)
            ASSERT_EQ(runOnDisk("-c -q prog"), 0) << stdoutText;
        takeToolLog();
        ASSERT_EQ(runOnDisk("-q prog"), 0) << stdoutText;
        std::string log = takeToolLog();
        EXPECT_NE(log.find("[prog.cpp] [-oprog.o]"), std::string::npos) << "edit " << edit << ":\n" << log;
        EXPECT_NE(log.find("emcc "), std::string::npos) << "edit " << edit << ":\n" << log;
    }
}

}  // namespace
}  // namespace cli_test
