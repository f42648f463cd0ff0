// velc --watch with the stand-in tools: it builds and runs, then again after
// a change of an included source (not of another file beside it), shows a
// build error and goes on, and ends on Ctrl-C. Each wait has a generous
// deadline; the tests measure no time.
#include "velc_command_line.hpp"

#include <signal.h>

#include <chrono>
#include <thread>

namespace {

using namespace cli_test;

class Watch : public VelcCommandLine {
protected:
    void TearDown() override {
        if (watcher > 0) {
            kill(watcher, SIGKILL);
            waitpid(watcher, nullptr, 0);
        }
        VelcCommandLine::TearDown();
    }

    void startWatch(const std::string &arguments) {
        std::string command = "cd '" + directory + "' && export PATH='" + directory + "/bin:/usr/bin:/bin' && exec ./velc " +
                              arguments + " > watch.txt 2>&1";
        watcher = fork();
        if (watcher == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
    }

    int countOf(const std::string &text, const std::string &part) {
        int count = 0;
        for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size())
            count++;
        return count;
    }

    // Waits until the program has been run that many times in all.
    bool waitForRuns(int runs) {
        for (int i = 0; i < 600; i++) {
            if (countOf(readFile("tools.log"), "wasmer [prog.wasm]") >= runs)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    bool waitForOutput(const std::string &part) {
        for (int i = 0; i < 600; i++) {
            if (readFile("watch.txt").find(part) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    // Ctrl-C: the watch ends with the status a shell gives it.
    int interrupt() {
        kill(watcher, SIGINT);
        int status = 0;
        waitpid(watcher, &status, 0);
        watcher = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    pid_t watcher = 0;
};

TEST_F(Watch, RebuildsAndRunsAfterAChangeOfAnIncludedSource) {
    writeFile("prog.vel", "include lib.vel\nprint greet()\n");
    writeFile("lib.vel", "text greet()\nreturn \"one\"\n");
    startWatch("-q --watch prog");
    ASSERT_TRUE(waitForRuns(1)) << readFile("watch.txt");
    // Another source beside the program is not one of its sources.
    writeFile("other.vel", "print 2\n");
    writeFile("lib.vel", "text greet()\nreturn \"two\"\n");
    ASSERT_TRUE(waitForRuns(2)) << readFile("watch.txt");
    std::string output = readFile("watch.txt");
    EXPECT_NE(output.find(" lib.vel changed ----\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("other.vel"), std::string::npos) << output;
    EXPECT_EQ(countOf(output, "----\n"), 1) << output;
    EXPECT_EQ(interrupt(), 130);
}

TEST_F(Watch, ABuildErrorIsShownAndTheNextGoodEditRunsAgain) {
    writeFile("prog.vel", "include lib.vel\nprint greet()\n");
    writeFile("lib.vel", "text greet()\nreturn \"one\"\n");
    startWatch("--watch prog");
    ASSERT_TRUE(waitForRuns(1)) << readFile("watch.txt");
    writeFile("lib.vel", "text greet()\nreturn nosuch\n");
    ASSERT_TRUE(waitForOutput("there is 1 error")) << readFile("watch.txt");
    writeFile("lib.vel", "text greet()\nreturn \"three\"\n");
    ASSERT_TRUE(waitForRuns(2)) << readFile("watch.txt");
    // An include added by an edit is watched from the next build on.
    writeFile("more.vel", "int twice(int x)\nreturn 2 * x\n");
    writeFile("prog.vel", "include lib.vel\ninclude more.vel\nprint greet(), twice(2)\n");
    ASSERT_TRUE(waitForRuns(3)) << readFile("watch.txt");
    writeFile("more.vel", "int twice(int x)\nreturn x + x\n");
    ASSERT_TRUE(waitForRuns(4)) << readFile("watch.txt");
    EXPECT_EQ(interrupt(), 130);
}

}  // namespace
