#pragma once
// velc --playground: a page on 127.0.0.1 to write Velmora and run it.
#include <string>

// The port the playground listens on when none is given.
constexpr int playgroundDefaultPort = 8460;

// Serves the playground (web/playground_server.mjs, run by Node) until it
// is stopped; returns the process status.
int runPlayground(const std::string &executableDirectory, int port);
