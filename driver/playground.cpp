// velc --playground: Node serves the page and runs this velc on the
// sources it is sent (web/playground_server.mjs); velc only starts it, with
// its own path, so that the playground compiles with the velc and velc.ini
// it was started as.
#include "driver/playground.hpp"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "driver/web_page.hpp"

namespace {

std::string ownPath() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : "velc";
}

}  // namespace

int runPlayground(const std::string &executableDirectory, int port) {
    std::string web = webDirectory(executableDirectory);
    if (web.empty()) {
        std::printf("The playground is not installed beside velc (web/playground_server.mjs)\n");
        return 1;
    }
    std::string server = web + "playground_server.mjs";
    std::string velc = ownPath();
    std::string portText = std::to_string(port > 0 ? port : playgroundDefaultPort);
    std::fflush(stdout);
    for (const char *node : {"node", "nodejs"})
        execlp(node, node, server.c_str(), velc.c_str(), portText.c_str(), static_cast<char *>(nullptr));
    std::printf("The playground needs Node.js (node), which is not installed\n");
    return 127;
}
