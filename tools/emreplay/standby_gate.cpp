// The standby gate: a library that velc_emreplay preloads (LD_PRELOAD) into
// a compiler or linker it starts ahead of need. Most of a small compile's or
// link's time is the tool's own start: the dynamic loader mapping and
// relocating libLLVM and libclang-cpp, and their static constructors. The
// gate lets all of that happen, then holds the process before main until a
// velc_emreplay run hands it its arguments and its standard input, output
// and error over a Unix socket; the tool then runs in a child forked from the
// loaded process, and the gate sends back the child's wait status.
//
// The tool is started with one harmless argument ("--version"), which the
// request's arguments replace: where the library could not be preloaded,
// the tool prints its version to /dev/null and ends, and never runs a
// command early. The variables below name the
// socket, how long to wait for a request, and the LD_PRELOAD to restore;
// the gate removes them before main runs.
//
// Only the C library is used here: the gate runs before main, inside any
// program.
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "emreplay/standby_protocol.hpp"

namespace {

using MainFunction = int (*)(int, char **, char **);
using StartMain = int (*)(MainFunction, int, char **, void (*)(), void (*)(), void (*)(), void *);

MainFunction programMain;

const int standardStreams = 3;

long long monotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// The environment as the program would have had it without the standby.
void restoreEnvironment() {
    const char *preload = getenv(standby::preloadVariable);
    if (preload && preload[0] == '=')
        setenv("LD_PRELOAD", preload + 1, 1);
    else
        unsetenv("LD_PRELOAD");
    unsetenv(standby::preloadVariable);
    unsetenv(standby::nameVariable);
    unsetenv(standby::secondsVariable);
}

bool readFully(int fd, char *into, size_t size) {
    while (size > 0) {
        ssize_t n = read(fd, into, size);
        if (n <= 0)
            return false;
        into += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

struct Request {
    int streams[standardStreams] = {-1, -1, -1};
    char *arguments = nullptr;   // NUL-separated
    size_t size = 0;
};

void closeStreams(Request &request) {
    for (int &fd : request.streams)
        if (fd >= 0)
            close(fd), fd = -1;
}

// One request from a client of the same user: the header with the three
// streams attached, then the arguments. False (and nothing kept) for a
// probe that only checked the standby is there, or anything malformed.
bool receiveRequest(int connection, Request &request) {
    ucred peer{};
    socklen_t peerSize = sizeof peer;
    if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) != 0 || peer.uid != getuid())
        return false;
    standby::Header header{};
    iovec part{&header, sizeof header};
    char control[CMSG_SPACE(sizeof(int) * standardStreams)] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = recvmsg(connection, &message, MSG_CMSG_CLOEXEC | MSG_WAITALL);
    if (got == static_cast<ssize_t>(sizeof header) && memcmp(header.magic, standby::quitMagic, sizeof header.magic) == 0)
        _exit(0);
    cmsghdr *attached = CMSG_FIRSTHDR(&message);
    if (attached && attached->cmsg_level == SOL_SOCKET && attached->cmsg_type == SCM_RIGHTS &&
        attached->cmsg_len == CMSG_LEN(sizeof(int) * standardStreams))
        memcpy(request.streams, CMSG_DATA(attached), sizeof request.streams);
    bool whole = got == static_cast<ssize_t>(sizeof header) && request.streams[0] >= 0 &&
                 memcmp(header.magic, standby::magic, sizeof header.magic) == 0 &&
                 header.argumentBytes <= standby::largestArguments;
    if (whole) {
        request.size = header.argumentBytes;
        request.arguments = static_cast<char *>(malloc(request.size + 1));
        whole = request.arguments && readFully(connection, request.arguments, request.size);
    }
    if (!whole) {
        closeStreams(request);
        free(request.arguments);
        request.arguments = nullptr;
    }
    return whole;
}

// Waits for a request on the socket named by the variable; -1 when none
// came in time or the name is taken by another standby.
int awaitRequest(const char *name, long seconds, Request &request) {
    int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    socklen_t length = standby::abstractAddress(name, address);
    if (listener < 0 || length == 0 || bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        listen(listener, 4) != 0)
        return -1;
    long long deadline = monotonicMilliseconds() + seconds * 1000;
    for (;;) {
        long long left = deadline - monotonicMilliseconds();
        pollfd waiting{listener, POLLIN, 0};
        if (left <= 0 || poll(&waiting, 1, static_cast<int>(left)) == 0)
            return close(listener), -1;
        int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        if (receiveRequest(connection, request)) {
            // Later clients find no standby and start the tool themselves.
            close(listener);
            return connection;
        }
        close(connection);
    }
}

// The argument vector of the run: what the program was started with but
// the harmless last argument (the program's name, and a script's own path
// after its interpreter's), then the request's arguments.
char **argumentsOf(int argc, char **argv, Request &request, int &count) {
    int kept = argc > 1 ? argc - 1 : 1;
    count = kept;
    for (size_t i = 0; i < request.size; i++)
        count += request.arguments[i] == '\0';
    char **arguments = static_cast<char **>(calloc(static_cast<size_t>(count) + 1, sizeof(char *)));
    if (!arguments)
        return nullptr;
    memcpy(arguments, argv, sizeof(char *) * static_cast<size_t>(kept));
    int next = kept;
    for (size_t start = 0, i = 0; i < request.size; i++)
        if (request.arguments[i] == '\0')
            arguments[next++] = request.arguments + start, start = i + 1;
    return arguments;
}

// Waits for the run; when the client goes away first (interrupted), the
// run is interrupted as the client's own child would have been.
int statusOf(pid_t child, int connection) {
    int status = 0;
    int process = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    if (process >= 0) {
        pollfd both[2] = {{process, POLLIN, 0}, {connection, POLLIN, 0}};
        while (poll(both, 2, -1) >= 0 && !(both[0].revents & POLLIN))
            if (both[1].revents) {
                kill(child, SIGINT);
                break;
            }
    }
    while (waitpid(child, &status, 0) < 0) {
    }
    return status;
}

int standbyMain(int argc, char **argv, char **environment) {
    const char *name = getenv(standby::nameVariable);
    const char *seconds = getenv(standby::secondsVariable);
    if (!name || !seconds) {
        restoreEnvironment();
        return programMain(argc, argv, environment);
    }
    char ownName[standby::largestName + 1] = {};
    strncpy(ownName, name, standby::largestName);
    long wait = atol(seconds);
    restoreEnvironment();
    Request request;
    int connection = awaitRequest(ownName, wait, request);
    if (connection < 0)
        _exit(0);
    int count = 0;
    char **arguments = argumentsOf(argc, argv, request, count);
    pid_t child = arguments ? fork() : -1;
    if (child == 0) {
        for (int stream = 0; stream < standardStreams; stream++)
            dup2(request.streams[stream], stream);
        closeStreams(request);
        close(connection);
        return programMain(count, arguments, environ);
    }
    closeStreams(request);
    int status = child > 0 ? statusOf(child, connection) : W_EXITCODE(127, 0);
    ssize_t sent = write(connection, &status, sizeof status);
    (void)sent;
    _exit(0);
}

}  // namespace

// The C library's entry, which calls main: the standby waits in between.
extern "C" __attribute__((visibility("default"))) int __libc_start_main(MainFunction main, int argc, char **argv,
                                                                       void (*init)(), void (*fini)(),
                                                                       void (*loaderFini)(), void *stackEnd) {
    StartMain start = reinterpret_cast<StartMain>(dlsym(RTLD_NEXT, "__libc_start_main"));
    programMain = main;
    return start(standbyMain, argc, argv, init, fini, loaderFini, stackEnd);
}
