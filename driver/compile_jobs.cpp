#include "driver/compile_jobs.hpp"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>

#include "driver/settings.hpp"

extern char **environ;

namespace {

void announce(const CompileJob &job, const std::string &command) {
    if (!driverSettings.quiet)
        std::printf("Compiling %s\n", job.cppFile.c_str());
    if (driverSettings.verbose)
        std::printf("%s\n", command.c_str());
}

// A failed compilation must not leave the previous object to be linked;
// without its object the source is translated again next time.
void reportFailure(const CompileJob &job) {
    std::remove(job.objectFile.c_str());
    std::printf("Compilation of %s failed\n", job.cppFile.c_str());
}

void copyInto(FILE *from, FILE *to) {
    if (!from)
        return;
    std::rewind(from);
    char buffer[8192];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, from)) > 0;)
        std::fwrite(buffer, 1, got, to);
    std::fflush(to);
}

// em++ and emcc end a failed compile with a line holding the whole internal
// command they ran ("em++: error: '/usr/bin/clang++ ...' failed (returned
// 1)"); the compiler's own messages above it say what went wrong.
bool isDriverCommandEcho(const std::string &line) {
    static const std::regex echo("^(em\\+\\+|emcc)(\\.py)?: error: '.*' failed \\(returned -?[0-9]+\\)\r?\n?$");
    return std::regex_match(line, echo);
}

// The compiler's messages without its driver's command line.
void copyCompilerMessages(FILE *from, FILE *to) {
    if (!from)
        return;
    std::rewind(from);
    std::string line;
    for (int c; (c = std::fgetc(from)) != EOF;) {
        line += static_cast<char>(c);
        if (c != '\n')
            continue;
        if (!isDriverCommandEcho(line))
            std::fwrite(line.data(), 1, line.size(), to);
        line.clear();
    }
    if (!line.empty() && !isDriverCommandEcho(line))
        std::fwrite(line.data(), 1, line.size(), to);
    std::fflush(to);
}

void closeFile(FILE *&file) {
    if (file)
        std::fclose(file);
    file = nullptr;
}

struct RunningCompile {
    pid_t pid = -1;
    FILE *output = nullptr;   // the compiler's standard output, held back
    FILE *errors = nullptr;   // and its standard error
    bool finished = false;
    int status = 0;
    std::string command;      // the command line last started
    bool fellBack = false;
};

// Starts compiles while fewer than `parallel` run, and reports the oldest
// one as soon as it has finished: the output is that of one at a time.
class CompileScheduler {
public:
    CompileScheduler(const std::vector<CompileJob> &jobs, int parallel)
        : jobs(jobs), state(jobs.size()), parallel(parallel < 1 ? 1 : parallel) {}

    int run() {
        std::size_t head = 0;
        bool announced = false;
        while (head < jobs.size()) {
            while (running < parallel && next < jobs.size()) {
                start(next, firstCommand(jobs[next]));
                next++;
            }
            if (!announced) {
                announce(jobs[head], state[head].command);
                announced = true;
            }
            if (state[head].finished) {
                report(head++);
                announced = false;
            } else {
                collectOne();
            }
        }
        return failures;
    }

private:
    const std::string &firstCommand(const CompileJob &job) const {
        return withoutPrologue && !job.fallbackCommand.empty() ? job.fallbackCommand : job.command;
    }

    void start(std::size_t index, const std::string &command) {
        RunningCompile &compile = state[index];
        closeFile(compile.output);
        closeFile(compile.errors);
        compile.command = command;
        compile.output = std::tmpfile();
        compile.errors = std::tmpfile();
        std::remove(jobs[index].objectFile.c_str());
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (compile.output && compile.errors) {
            posix_spawn_file_actions_adddup2(&actions, fileno(compile.output), STDOUT_FILENO);
            posix_spawn_file_actions_adddup2(&actions, fileno(compile.errors), STDERR_FILENO);
        }
        const char *arguments[] = {"sh", "-c", command.c_str(), nullptr};
        std::fflush(stdout);
        int failed = compile.output && compile.errors
                         ? posix_spawn(&compile.pid, "/bin/sh", &actions, nullptr,
                                       const_cast<char *const *>(arguments), environ)
                         : ENOMEM;
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            compile.finished = true;
            compile.status = -1;
            return;
        }
        running++;
        byProcess[compile.pid] = index;
    }

    // Waits for one compile to end; a compile that fails with the
    // precompiled prologue is run again without it, and so is every compile
    // not yet started: its failure says the prologue does not fit this run.
    void collectOne() {
        int status = 0;
        pid_t pid = waitpid(-1, &status, 0);
        if (pid == -1) {
            if (errno != EINTR)
                abandonRunning();
            return;
        }
        auto found = byProcess.find(pid);
        if (found == byProcess.end())
            return;
        std::size_t index = found->second;
        byProcess.erase(found);
        running--;
        const CompileJob &job = jobs[index];
        RunningCompile &compile = state[index];
        if (status != 0 && !job.fallbackCommand.empty() && compile.command != job.fallbackCommand) {
            withoutPrologue = true;
            compile.fellBack = true;
            start(index, job.fallbackCommand);
            return;
        }
        compile.finished = true;
        compile.status = status;
    }

    // No child is left to wait for: whatever is still running is lost.
    void abandonRunning() {
        for (auto &entry : byProcess) {
            state[entry.second].finished = true;
            state[entry.second].status = -1;
        }
        byProcess.clear();
        running = 0;
    }

    void report(std::size_t index) {
        RunningCompile &compile = state[index];
        if (compile.fellBack && driverSettings.verbose)
            std::printf("%s\n", compile.command.c_str());
        std::fflush(stdout);
        copyInto(compile.output, stdout);
        copyCompilerMessages(compile.errors, stderr);
        closeFile(compile.output);
        closeFile(compile.errors);
        if (compile.status != 0) {
            reportFailure(jobs[index]);
            failures++;
        }
    }

    const std::vector<CompileJob> &jobs;
    std::vector<RunningCompile> state;
    std::map<pid_t, std::size_t> byProcess;
    std::size_t parallel;
    std::size_t next = 0;
    std::size_t running = 0;
    bool withoutPrologue = false;
    int failures = 0;
};

}  // namespace

int runCompileJobs(const std::vector<CompileJob> &jobs, int parallel) {
    // One at a time too: the compiler's messages pass through a filter.
    return CompileScheduler(jobs, parallel).run();
}
