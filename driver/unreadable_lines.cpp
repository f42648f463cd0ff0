#include "driver/unreadable_lines.hpp"

#include <unistd.h>

#include <climits>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "driver/shell_quote.hpp"
#include "translator/hints.hpp"

namespace {

std::string ownPath() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : "";
}

// What `velc --index` prints for the source, checked as a main source in
// its folder: its messages as data, and no file written.
std::string indexOf(const std::string &path) {
    std::string velc = ownPath();
    if (velc.empty())
        return "";
    std::string::size_type slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string command = "cd " + shellQuote(folder) + " && " + shellQuote(velc) + " --index " + shellQuote(name) +
                          " 2>/dev/null </dev/null";
    std::string output;
    if (std::FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[8192];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

}  // namespace

std::string firstUnreadableLine(const std::string &path) {
    nlohmann::json document = nlohmann::json::parse(indexOf(path), nullptr, false);
    if (!document.is_object() || !document.contains("diagnostics") || !document["diagnostics"].is_array())
        return "";
    std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    const nlohmann::json *first = nullptr;
    for (const nlohmann::json &diagnostic : document["diagnostics"]) {
        if (!diagnostic.is_object() || diagnostic.value("file", "") != name || !diagnostic["line"].is_number())
            continue;
        // A syntax error, or a function of another language, whose lines
        // velc reads by their indentation.
        bool unreadable = diagnostic.value("code", -1) == 1 || diagnostic.value("hint", "") == foreignFunctionHint;
        if (unreadable && (!first || diagnostic["line"].get<int>() < (*first)["line"].get<int>()))
            first = &diagnostic;
    }
    if (!first)
        return "";
    return "line " + std::to_string((*first)["line"].get<int>()) + " (" + first->value("message", "") + ")";
}
