#include "driver/watch.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <set>

#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/toolchain.hpp"

namespace {

volatile sig_atomic_t interrupted = 0;

void noteInterrupt(int) { interrupted = 1; }

// What a build ends with when Ctrl-C ended the watch, as a shell reports it.
constexpr int interruptedStatus = 128 + SIGINT;
// Changes that come together (an editor's write, rename and touch) are one.
constexpr int quietMilliseconds = 80;

std::string timeOfDayNow() {
    std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", std::localtime(&now));
    return text;
}

// The scan runs in a child, since it ends the process when a source is
// missing; the child writes each source's path on a line of the pipe.
void scanInChild(const std::string &sourceName, int output) {
    int nothing = open("/dev/null", O_WRONLY);
    if (nothing >= 0)
        dup2(nothing, STDOUT_FILENO);
    driverSettings.verbose = false;
    resetProject();
    std::string mainName = describeSource(sourceName, true).path;
    readConfiguration(driverSettings.configPath);
    scanSource(mainName, true);
    std::string paths;
    for (std::size_t i = 1; i < project.entries.size(); i++)
        paths += project.entries[i].identity + "\n";
    (void)!write(output, paths.data(), paths.size());
    _exit(0);
}

// Starts this velc with the build's arguments and waits for it; the child
// shares the terminal, so Ctrl-C reaches it and the program it runs.
int runBuild(const std::vector<std::string> &arguments) {
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        std::vector<char *> argv;
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        std::perror("velc: cannot start a build");
        _exit(127);
    }
    if (child < 0)
        return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string directoryOf(const std::string &path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileNameOf(const std::string &path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The directories of the sources watched for a change of one of them:
// editors that save by renaming a new file over the old one leave a watch
// on the file itself behind.
class SourceWatch {
public:
    SourceWatch() : descriptor_(inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {}
    ~SourceWatch() {
        if (descriptor_ >= 0)
            close(descriptor_);
    }

    bool usable() const { return descriptor_ >= 0; }

    void watch(const std::vector<std::string> &sources) {
        for (const std::string &source : sources) {
            std::string directory = directoryOf(source);
            if (!directories_.count(directory)) {
                int handle = inotify_add_watch(descriptor_, directory.c_str(),
                                               IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_ATTRIB | IN_DELETE);
                if (handle < 0)
                    continue;
                directories_[directory] = handle;
            }
            names_[directories_[directory]].insert(fileNameOf(source));
        }
    }

    // Waits for a change of a watched source; "" when Ctrl-C came first.
    std::string nextChange() {
        std::string changed;
        while (!interrupted) {
            pollfd wait = {descriptor_, POLLIN, 0};
            int ready = poll(&wait, 1, changed.empty() ? -1 : quietMilliseconds);
            if (ready < 0 && errno != EINTR)
                return "";
            if (ready == 0)
                return changed;
            if (ready > 0) {
                std::string name = readChanges();
                if (changed.empty())
                    changed = name;
            }
        }
        return "";
    }

private:
    // The first watched source among the notifications waiting.
    std::string readChanges() {
        alignas(inotify_event) char buffer[8192];
        std::string first;
        for (;;) {
            ssize_t length = read(descriptor_, buffer, sizeof buffer);
            if (length <= 0)
                return first;
            for (char *at = buffer; at < buffer + length;) {
                const inotify_event *event = reinterpret_cast<const inotify_event *>(at);
                at += sizeof(inotify_event) + event->len;
                if (event->len == 0 || !first.empty())
                    continue;
                auto watched = names_.find(event->wd);
                if (watched != names_.end() && watched->second.count(event->name))
                    first = event->name;
            }
        }
    }

    int descriptor_;
    std::map<std::string, int> directories_;
    std::map<int, std::set<std::string>> names_;
};

}  // namespace

std::vector<std::string> programSources(const std::string &sourceName) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        scanInChild(sourceName, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    std::string text;
    char buffer[4096];
    ssize_t length;
    while ((length = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (length < 0 && errno == EINTR))
        if (length > 0)
            text.append(buffer, static_cast<std::size_t>(length));
    close(pipeEnds[0]);
    int status = 0;
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::vector<std::string> sources;
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return sources;
    for (std::string::size_type start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        sources.push_back(text.substr(start, end - start));
    return sources;
}

std::string watchSeparator(const std::string &changed, const std::string &timeOfDay) {
    return "---- " + timeOfDay + " " + changed + " changed ----";
}

int watchProgram(const std::vector<std::string> &buildArguments, const std::string &sourceName) {
    struct sigaction action = {};
    action.sa_handler = noteInterrupt;
    sigaction(SIGINT, &action, nullptr);
    SourceWatch watch;
    if (!watch.usable()) {
        std::printf("velc: the file notifications of the kernel cannot be used: %s\n", std::strerror(errno));
        return 1;
    }
    std::vector<std::string> sources;
    for (;;) {
        // The sources are found again before each build: an edit may
        // include another source. While one is missing, the last list stays.
        std::vector<std::string> found = programSources(sourceName);
        if (!found.empty())
            sources = found;
        watch.watch(sources);
        runBuild(buildArguments);
        if (interrupted)
            return interruptedStatus;
        if (sources.empty())
            watch.watch({sourceName.size() > 4 && sourceName.compare(sourceName.size() - 4, 4, ".vel") == 0
                             ? sourceName
                             : sourceName + ".vel"});
        std::string changed = watch.nextChange();
        if (changed.empty())
            return interruptedStatus;
        std::printf("%s\n", watchSeparator(changed, timeOfDayNow()).c_str());
    }
}
