#pragma once
// Programs of faults/ that fail at run time: each <name>.vel stands beside
// what it prints before it fails (<name>.out) and the error line it ends
// with (<name>.err), which names the source line of the fault.
#include <string>
#include <vector>

std::vector<std::string> faultNames();

// Builds faults/<name>.vel with the configuration, extended by `extraSetting`
// (a velc.ini line, or ""), runs it with each of `runners` (a command the
// module's name follows; "" for a native program) and checks its output,
// its error line and its status 1. `placed` is false where the error line
// is expected without its place.
void checkFault(const std::string &name, const std::string &configuration, const std::vector<std::string> &runners,
                const std::string &extraSetting, bool placed);
