#pragma once
// The fixture of the command-line tests: a private copy of velc in a scratch
// directory with stand-in tools that record how they were called.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/velc_beside.hpp"

namespace cli_test {

namespace fs = std::filesystem;

inline const std::string banner = "\nVelmora to WebAssembly Compiler - V. 21.7\n";
// A stand-in tool: logs its arguments one per bracket, creates the object
// named by -o<file> or /Fo<file>, and makes the linked target a copy of
// itself so that running the program is logged too.
inline const char *standInTool = R"SCRIPT(#!/bin/sh
{ printf '%s' "$(basename "$0")"; for a in "$@"; do printf ' [%s]' "$a"; done; echo; } >> "LOG"
prev=
target=
for a in "$@"; do
  if [ "$prev" = "-o" ]; then target="$a"; fi
  case "$a" in
    -o) ;;
    -o*) : > "${a#-o}" ;;
    /Fo*) : > "${a#/Fo}" ;;
    /out:*) target="${a#/out:}" ;;
  esac
  prev="$a"
done
if [ -n "$target" ]; then cp "$0" "$target"; chmod +x "$target"; fi
exit STATUS
)SCRIPT";

class VelcCommandLine : public testing::Test {
protected:
    void SetUp() override {
        char path[] = "/tmp/velc_cli_XXXXXX";
        ASSERT_NE(mkdtemp(path), nullptr);
        directory = path;
        fs::create_directories(directory + "/bin");
        placeVelcAt(directory + "/velc");
        for (const char *tool : {"em++", "emcc", "wasmer", "compiler", "linker"})
            writeTool(tool, 0);
        writeTool("failing-linker", 1);
        writeTool("failing-compiler", 1);
    }

    void TearDown() override { fs::remove_all(directory); }

    void writeTool(const std::string &name, int status) {
        std::string script = standInTool;
        script.replace(script.find("LOG"), 3, directory + "/tools.log");
        script.replace(script.find("STATUS"), 6, std::to_string(status));
        std::string path = directory + "/bin/" + name;
        std::ofstream(path) << script;
        fs::permissions(path, fs::perms::owner_all);
    }

    // A name with folders ("lib/util.vel") makes them.
    void writeFile(const std::string &name, const std::string &text) {
        std::filesystem::create_directories(std::filesystem::path(directory + "/" + name).parent_path());
        std::ofstream(directory + "/" + name) << text;
    }

    std::string readFile(const std::string &name) {
        std::ifstream file(directory + "/" + name);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    // Takes the tools' log so the next run starts a fresh one.
    std::string takeToolLog() {
        std::string log = readFile("tools.log");
        fs::remove(directory + "/tools.log");
        return log;
    }

    void setModificationTime(const std::string &name, time_t when) {
        struct utimbuf times = {when, when};
        ASSERT_EQ(utime((directory + "/" + name).c_str(), &times), 0);
    }

    // Runs "velcCommand arguments" in the scratch directory, the tools first
    // on the PATH; returns the status.
    int run(const std::string &arguments, const std::string &velcCommand = "./velc") {
        std::string command = "cd '" + directory + "' && export PATH='" + directory + "/bin:" + directory +
                              ":/usr/bin:/bin' && { " + velcCommand + " " + arguments +
                              "; } > stdout.txt 2> stderr.txt";
        int status = std::system(command.c_str());
        stdoutText = readFile("stdout.txt");
        stderrText = readFile("stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    time_t modificationTime(const std::string &name) {
        struct stat status;
        return stat((directory + "/" + name).c_str(), &status) == 0 ? status.st_mtime : 0;
    }

    // After a first build: every source an hour old and every output half
    // an hour old, so that touching a source makes it newer than its outputs.
    void ageBuild(const std::vector<std::string> &sources) {
        for (const std::string &source : sources) {
            setModificationTime(source + ".vel", past - 3600);
            for (const char *output : {".cpp", ".hpp", ".o"})
                setModificationTime(source + output, past);
        }
        setModificationTime("prog.wasm", past);
    }

    const time_t past = time(nullptr) - 1800;

    std::string directory;
    std::string stdoutText;
    std::string stderrText;
};

}  // namespace cli_test
