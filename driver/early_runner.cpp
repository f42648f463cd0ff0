#include "driver/early_runner.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const char *const readyVariable = "VELMORA_WASMER_READY_FD";
const char readyByte = '1';
// A wasmer that waits names the variable in its first lines; an older one
// of ours, or another, would run the module before it is linked.

struct WaitingRunner {
    pid_t pid = -1;
    int readyPipe = -1;   // velc's end
};

WaitingRunner runner;

// The first word of a command line, and the file the shell would start for
// it: a name with a slash as it is, any other looked up in PATH.
std::string programOf(const std::string &command) {
    std::string::size_type start = command.find_first_not_of(" \t");
    if (start == std::string::npos)
        return "";
    std::string word = command.substr(start, command.find_first_of(" \t", start) - start);
    if (word.find_first_of("'\"\\$=") != std::string::npos)
        return "";
    if (word.find('/') != std::string::npos)
        return word;
    const char *path = std::getenv("PATH");
    std::string folders = path ? path : "";
    for (std::string::size_type at = 0; at <= folders.size();) {
        std::string::size_type end = folders.find(':', at);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(at, end - at);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + word;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        at = end + 1;
    }
    return "";
}

void closeReadyPipe() {
    if (runner.readyPipe >= 0)
        close(runner.readyPipe);
    runner.readyPipe = -1;
}

// The runner's wait status, or nothing when it was already gone (another
// wait collected it).
bool waitForRunner(int &status) {
    pid_t pid = runner.pid;
    runner.pid = -1;
    for (;;) {
        if (waitpid(pid, &status, 0) == pid)
            return true;
        if (errno != EINTR)
            return false;
    }
}

}  // namespace

bool waitsForTheBuild(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    char start[2048] = {};
    file.read(start, sizeof start);
    return std::string(start, static_cast<std::size_t>(file.gcount())).find(readyVariable) != std::string::npos;
}

void startRunnerEarly(const std::string &command) {
    if (runner.pid != -1)
        return;
    std::string program = programOf(command);
    if (program.empty() || !waitsForTheBuild(program))
        return;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return;
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t pid = fork();
    if (pid == 0) {
        // The runner keeps the end it reads; velc's end closes with exec.
        fcntl(ends[0], F_SETFD, 0);
        setenv(readyVariable, std::to_string(ends[0]).c_str(), 1);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(ends[0]);
    if (pid < 0) {
        close(ends[1]);
        return;
    }
    runner.pid = pid;
    runner.readyPipe = ends[1];
}

bool runnerWaiting() { return runner.pid != -1; }

int releaseRunner() {
    std::fflush(stdout);
    std::fflush(stderr);
    // A runner that could not be told (it ended already) leaves the run to
    // the caller: -2.
    struct sigaction ignore = {}, oldPipe = {}, oldInterrupt = {}, oldQuit = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &oldPipe);
    bool told = write(runner.readyPipe, &readyByte, 1) == 1;
    sigaction(SIGPIPE, &oldPipe, nullptr);
    closeReadyPipe();
    int status = 0;
    // While it runs, the runner owns the terminal's interrupt as a program
    // started by system() does: velc waits for it to end.
    sigaction(SIGINT, &ignore, &oldInterrupt);
    sigaction(SIGQUIT, &ignore, &oldQuit);
    bool waited = waitForRunner(status);
    sigaction(SIGINT, &oldInterrupt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    return told && waited ? status : -2;
}

void dismissRunner() {
    if (runner.pid == -1)
        return;
    closeReadyPipe();
    int status = 0;
    waitForRunner(status);
}
