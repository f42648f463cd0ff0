#pragma once
// What velc_emreplay and a tool waiting on standby (standby_gate.cpp) say
// to each other over a Unix socket: the client sends a Header with its
// standard input, output and error attached (SCM_RIGHTS), then the
// arguments, each ending in a NUL; the standby answers with the run's wait
// status (an int, as waitpid gives it) once the run has ended.
//
// The socket lives in Linux's abstract namespace: nothing is left in the
// file system, and the name is free again as soon as the standby ends.
#include <sys/socket.h>
#include <sys/un.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace standby {

// The variables that make a preloaded gate a standby; it removes them
// before the program's main runs. The preload one holds "=" and the
// LD_PRELOAD to restore, or nothing when there was none.
constexpr const char *nameVariable = "VELC_STANDBY_NAME";
constexpr const char *secondsVariable = "VELC_STANDBY_SECONDS";
constexpr const char *preloadVariable = "VELC_STANDBY_PRELOAD";

constexpr char magic[4] = {'v', 's', 'b', '1'};
// A header with this instead, and nothing attached, ends the standby: room
// for another when too many wait.
constexpr char quitMagic[4] = {'v', 's', 'b', 'q'};
constexpr std::uint32_t largestArguments = 16u << 20;
constexpr std::size_t largestName = 100;

struct Header {
    char magic[4];
    std::uint32_t argumentBytes;
};

// The address of an abstract socket named `name`, and its length (0 when
// the name is too long).
inline socklen_t abstractAddress(const char *name, sockaddr_un &address) {
    std::size_t length = std::strlen(name);
    if (length > largestName || length + 1 > sizeof address.sun_path)
        return 0;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name, length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

}  // namespace standby
