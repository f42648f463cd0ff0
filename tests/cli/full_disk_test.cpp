// A build on a full disk: velc says which file it could not write and why,
// ends with a non-zero status, and leaves nothing that the next run trusts.
// The disk is a 1 MB tmpfs, which only root can mount.
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "velc_command_line.hpp"

namespace cli_test {
namespace {

// A source whose C++ file is far larger than the room left on the disk.
std::string largeSource() {
    std::string text;
    for (int i = 0; i < 2000; i++)
        text += "int value_" + std::to_string(i) + "(int v)\n    return v + " + std::to_string(i) + "\n";
    return text + "print value_1999(1)\n";
}

class FullDisk : public VelcCommandLine {
protected:
    void SetUp() override {
        VelcCommandLine::SetUp();
        if (geteuid() != 0)
            GTEST_SKIP() << "mounting the small tmpfs needs root";
        disk = directory + "/disk";
        fs::create_directories(disk);
        if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mounted = true;
        writeFile("disk/prog.vel", largeSource());
    }

    void TearDown() override {
        if (mounted)
            umount(disk.c_str());
        VelcCommandLine::TearDown();
    }

    // Leaves about `room` bytes free on the disk.
    void fillDisk(std::size_t room) {
        std::string command = "cd '" + disk + "' && rm -f filler && "
                              "{ dd if=/dev/zero of=filler bs=4k 2>/dev/null; true; } && "
                              "truncate -s -" + std::to_string(room) + " filler";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    void freeDisk() { fs::remove(disk + "/filler"); }

    // The functions of the long main follow its parts in pieces: the last
    // piece holds the last function.
    std::string lastPiece() {
        std::string header = readFile("disk/prog.hpp");
        std::string::size_type at = header.rfind("// velc pieces: ");
        return at == std::string::npos ? "" : readFile("disk/prog." + std::to_string(std::stoi(header.substr(at + 16))) + ".cpp");
    }

    // velc and its velc.ini stay outside the disk (velc alone is larger);
    // what velc prints is kept outside too.
    int runOnDisk(const std::string &arguments) {
        return run(arguments, "sh -c 'cd disk && exec ../velc \"$@\"' velc");
    }

    void expectNothingPartial() {
        for (const auto &entry : fs::directory_iterator(disk))
            EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
    }

    std::string disk;
    bool mounted = false;
};

TEST_F(FullDisk, TranslationFailsWithTheFileAndTheCause) {
    fillDisk(16 * 1024);
    EXPECT_NE(runOnDisk("-c -q prog"), 0) << stdoutText;
    EXPECT_NE(stdoutText.find("Cannot write prog."), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find(": No space left on device\n"), std::string::npos) << stdoutText;
    EXPECT_FALSE(fs::exists(disk + "/prog.cpp"));
    EXPECT_FALSE(fs::exists(disk + "/prog.hpp"));
    expectNothingPartial();
    // Still full: the run fails again instead of trusting anything.
    EXPECT_NE(runOnDisk("-c -q prog"), 0) << stdoutText;

    freeDisk();
    EXPECT_EQ(runOnDisk("-c -q prog"), 0) << stdoutText;
    EXPECT_NE(lastPiece().find("int value_1999(int v)\n{"), std::string::npos);
    EXPECT_EQ(runOnDisk("-c prog"), 0) << stdoutText;
    EXPECT_EQ(stdoutText, banner + "All done (use -b to rebuild)...\n");
}

TEST_F(FullDisk, EditedSourceOnAFullDiskKeepsNoHalfOutputs) {
    ASSERT_EQ(runOnDisk("-q prog"), 0) << stdoutText;
    std::string before = readFile("disk/prog.hpp");
    // A new function: the header declares it, and the last piece defines it.
    writeFile("disk/prog.vel", largeSource() + "int extra(int v)\n    return v\nprint extra(2)\n");
    setModificationTime("disk/prog.vel", time(nullptr) + 10);
    fillDisk(16 * 1024);
    EXPECT_NE(runOnDisk("-q prog"), 0) << stdoutText;
    EXPECT_NE(stdoutText.find(": No space left on device\n"), std::string::npos) << stdoutText;
    EXPECT_EQ(readFile("disk/prog.hpp"), before);
    expectNothingPartial();

    freeDisk();
    takeToolLog();
    EXPECT_EQ(runOnDisk("-q prog"), 0) << stdoutText;
    EXPECT_NE(readFile("disk/prog.hpp"), before);
    EXPECT_NE(lastPiece().find("int extra(int v)\n{"), std::string::npos);
    EXPECT_NE(takeToolLog().find("[prog.1.cpp]"), std::string::npos) << "the edited source is compiled";
}

TEST_F(FullDisk, LinkOnAFullDiskLeavesNoTarget) {
    // A linker that writes a target larger than the disk, as a real one would.
    writeFile("bin/big-linker", "#!/bin/sh\nfor a; do out=$a; done\n"
                                "while [ $# -gt 0 ]; do [ \"$1\" = -o ] && out=$2; shift; done\n"
                                "head -c 2000000 /dev/zero > \"$out\"\n");
    fs::permissions(directory + "/bin/big-linker", fs::perms::owner_all);
    writeFile("velc.ini", "linker=big-linker\n");
    EXPECT_NE(runOnDisk("-q prog"), 0) << stdoutText;
    EXPECT_NE(stdoutText.find("Not build"), std::string::npos) << stdoutText;
    EXPECT_FALSE(fs::exists(disk + "/prog.wasm"));
    expectNothingPartial();

    writeFile("velc.ini", "");
    takeToolLog();
    EXPECT_EQ(runOnDisk("-q prog"), 0) << stdoutText;
    EXPECT_NE(takeToolLog().find("wasmer [prog.wasm]"), std::string::npos);
}

}  // namespace
}  // namespace cli_test
