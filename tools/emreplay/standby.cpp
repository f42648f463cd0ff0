#include "standby.hpp"
#include "path_text.hpp"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <time.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>

#include "recipe.hpp"
#include "standby_protocol.hpp"

namespace {

using emreplay_text::baseName;
using emreplay_text::startsWith;

const char *const namePrefix = "velc-standby-";
const char *const switchVariable = "VELC_EMREPLAY_STANDBY=";
const char *const libraryName = "libvelc_standby.so";

// FNV-1a over everything that makes one standby serve a run.
std::uint64_t digestOf(const std::vector<std::string> &parts) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::string &part : parts) {
        for (unsigned char c : part)
            hash = (hash ^ c) * 1099511628211ull;
        hash = (hash ^ 0xffu) * 1099511628211ull;
    }
    return hash;
}

std::string workingDirectory() {
    char directory[PATH_MAX];
    return getcwd(directory, sizeof directory) ? directory : "";
}

bool turnedOff(const std::vector<std::string> &environment) {
    for (const std::string &assignment : environment)
        if (startsWith(assignment, switchVariable))
            return assignment.substr(std::strlen(switchVariable)) == "0";
    return false;
}

// The gate library: beside this program in the build tree, under
// lib/velmora/ in an installed layout; empty when neither has it.
std::string gateLibrary() {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "";
    std::string folder(self, static_cast<std::size_t>(length));
    folder = folder.substr(0, folder.rfind('/'));
    for (const std::string &candidate : {folder + "/" + libraryName, folder + "/../lib/velmora/" + libraryName})
        if (access(candidate.c_str(), R_OK) == 0)
            return candidate;
    return "";
}

int connectTo(const std::string &name) {
    sockaddr_un address{};
    socklen_t length = standby::abstractAddress(name.c_str(), address);
    int fd = length ? socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0) : -1;
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr *>(&address), length) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

bool writeFully(int fd, const char *bytes, std::size_t size) {
    while (size > 0) {
        ssize_t n = send(fd, bytes, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool sendRequest(int fd, const std::vector<std::string> &args, const int streams[3]) {
    std::string arguments;
    for (const std::string &arg : args)
        arguments.append(arg).push_back('\0');
    if (arguments.size() > standby::largestArguments)
        return false;
    standby::Header header{};
    std::memcpy(header.magic, standby::magic, sizeof header.magic);
    header.argumentBytes = static_cast<std::uint32_t>(arguments.size());
    iovec part{&header, sizeof header};
    char control[CMSG_SPACE(sizeof(int) * 3)] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *attached = CMSG_FIRSTHDR(&message);
    attached->cmsg_level = SOL_SOCKET;
    attached->cmsg_type = SCM_RIGHTS;
    attached->cmsg_len = CMSG_LEN(sizeof(int) * 3);
    std::memcpy(CMSG_DATA(attached), streams, sizeof(int) * 3);
    return sendmsg(fd, &message, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof header) &&
           writeFully(fd, arguments.data(), arguments.size());
}

// The names of this user's standbys that wait now, from the kernel's list
// of Unix sockets (abstract names show with a leading "@").
std::vector<std::string> waitingStandbys() {
    std::ifstream sockets("/proc/net/unix");
    std::string own = "@" + std::string(namePrefix) + std::to_string(getuid()) + "-";
    std::vector<std::string> names;
    for (std::string line; std::getline(sockets, line);) {
        std::string::size_type at = line.find(own);
        if (at != std::string::npos)
            names.push_back(line.substr(at + 1, line.find_first_of(" \n", at) - at - 1));
    }
    return names;
}

// Ends a waiting standby.
void dismiss(const std::string &name) {
    int fd = connectTo(name);
    if (fd < 0)
        return;
    standby::Header header{};
    std::memcpy(header.magic, standby::quitMagic, sizeof header.magic);
    send(fd, &header, sizeof header, MSG_NOSIGNAL);
    close(fd);
}

}  // namespace

bool standsBy(const std::string &program) {
    std::string name = baseName(program);
    return startsWith(name, "clang") || startsWith(name, "wasm-ld");
}

std::string standbyName(const std::string &program, const std::vector<std::string> &environment) {
    std::vector<std::string> parts = {program, fileSignature(program), workingDirectory()};
    parts.insert(parts.end(), environment.begin(), environment.end());
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(digestOf(parts)));
    return namePrefix + std::to_string(getuid()) + "-" + digest;
}

std::optional<int> runOnStandby(const std::string &program, const std::vector<std::string> &args,
                                const std::vector<std::string> &environment, const int streams[3]) {
    if (!standsBy(program) || turnedOff(environment))
        return std::nullopt;
    int fd = connectTo(standbyName(program, environment));
    if (fd < 0)
        return std::nullopt;
    int status = 0;
    bool answered = sendRequest(fd, args, streams) && recv(fd, &status, sizeof status, MSG_WAITALL) == sizeof status;
    close(fd);
    if (!answered)
        return std::nullopt;
    return status;
}

void startStandby(const std::string &program, const std::vector<std::string> &environment) {
    if (!standsBy(program) || turnedOff(environment))
        return;
    std::string name = standbyName(program, environment);
    int probe = connectTo(name);
    if (probe >= 0) {
        close(probe);   // one waits already
        return;
    }
    std::string library = gateLibrary();
    if (library.empty())
        return;
    // Too many wait (left by builds of other folders): one of them makes
    // room, as this folder's is the one the next build needs.
    std::vector<std::string> waiting = waitingStandbys();
    if (static_cast<int>(waiting.size()) >= mostStandbys)
        dismiss(waiting.front());
    std::vector<std::string> variables;
    std::string preload = "=";
    bool hadPreload = false;
    for (const std::string &assignment : environment) {
        if (startsWith(assignment, "LD_PRELOAD=")) {
            preload += assignment.substr(11);
            hadPreload = true;
        } else if (!startsWith(assignment, "VELC_STANDBY_")) {
            variables.push_back(assignment);
        }
    }
    variables.push_back("LD_PRELOAD=" + library + (hadPreload && preload.size() > 1 ? ":" + preload.substr(1) : ""));
    variables.push_back(std::string(standby::preloadVariable) + "=" + (hadPreload ? preload : ""));
    variables.push_back(std::string(standby::nameVariable) + "=" + name);
    variables.push_back(std::string(standby::secondsVariable) + "=" + std::to_string(standbySeconds));
    std::vector<char *> envp;
    for (std::string &assignment : variables)
        envp.push_back(assignment.data());
    envp.push_back(nullptr);
    std::string harmless = "--version";
    char *argv[] = {const_cast<char *>(program.c_str()), harmless.data(), nullptr};

    std::cout.flush();
    std::cerr.flush();
    if (fork() != 0)
        return;
    // Its own session: an interrupt at the terminal stops the run that
    // uses it (the standby passes it on), not a standby at rest.
    setsid();
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal = 1; signal < NSIG; signal++)
        std::signal(signal, SIG_DFL);
    // Nothing of velc's stays open in it: a pipe that velc's caller reads
    // to its end must not wait for a standby.
    int null = open("/dev/null", O_RDWR);
    for (int stream = 0; stream < 3; stream++)
        dup2(null, stream);
    close_range(3, ~0u, 0);
    // The build that started it goes on (a link, the program's run): the
    // standby loads after it rather than taking a processor from it.
    timespec delay{0, standbyDelayMilliseconds * 1000000};
    nanosleep(&delay, nullptr);
    execve(program.c_str(), argv, envp.data());
    _exit(127);
}
