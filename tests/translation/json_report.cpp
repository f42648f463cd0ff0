#include "json_report.hpp"

#include <nlohmann/json.hpp>

#include <sstream>
#include <vector>

#include "diagnostics/diagnostics.hpp"

namespace {

struct Placed {
    int line = 0;
    int column = 0;
    std::string message;
    int code = -1;
};

// Whether `message` is the catalogue's text of `code`: a message of its
// own (with a quoted name before it, and a full stop after it or not), or a
// template whose "$" places were filled.
bool saysCode(const std::string &message, int code) {
    std::string text = catalogueText(code);
    if (text.empty())
        return false;
    if (code < 79 || code > 89) {
        std::string::size_type at = message.rfind(text);
        return at != std::string::npos &&
               (at + text.size() == message.size() || message.substr(at + text.size()) == ".");
    }
    // A filled template: its fixed pieces, in order, the last one before the full stop.
    std::string pattern = text + ".";
    std::string::size_type from = 0, place = 0;
    while (true) {
        std::string::size_type dollar = pattern.find('$', place);
        std::string piece = pattern.substr(place, dollar == std::string::npos ? std::string::npos : dollar - place);
        if (dollar == std::string::npos)
            return message.size() >= from + piece.size() &&
                   message.compare(message.size() - piece.size(), piece.size(), piece) == 0;
        std::string::size_type found = message.find(piece, from);
        if (found == std::string::npos || (place == 0 && found != 0))
            return false;
        from = found + piece.size();
        place = dollar + 1;
    }
}

}  // namespace

std::string jsonDisagreements(const std::string &console, const std::string &json, const std::string &file) {
    std::string found;
    std::vector<Placed> objects;
    std::size_t errors = 0;   // the located objects that are not warnings
    for (const std::string &line : splitLines(json)) {
        nlohmann::json object;
        try {
            object = nlohmann::json::parse(line);
        } catch (const nlohmann::json::parse_error &e) {
            found += "json: not JSON (" + std::string(e.what()) + "): " + line + "\n";
            continue;
        }
        bool fields = object.is_object() && object["code"].is_number_integer() && object["file"].is_string() &&
                      object["line"].is_number_integer() && object["column"].is_number_integer() &&
                      object["endColumn"].is_number_integer() && object["message"].is_string() &&
                      (!object.contains("hint") || object["hint"].is_string());
        if (!fields) {
            found += "json: an object without its fields: " + line + "\n";
            continue;
        }
        if (object["column"].get<int>() > object["endColumn"].get<int>())
            found += "json: a column after its end column: " + line + "\n";
        bool warning = object.contains("severity") && object["severity"] == "warning";
        if (object["file"] == file && object["line"].get<int>() > 0 && !warning)
            errors++;
        if (object["file"] == file && object["line"].get<int>() > 0)
            objects.push_back({object["line"].get<int>(), object["column"].get<int>(),
                               object["message"].get<std::string>(), object["code"].get<int>()});
    }
    std::size_t located = 0;
    const std::string prefix = file + " L";
    for (const std::string &line : splitLines(console)) {
        std::string::size_type colon = line.find(": ");
        if (line.compare(0, prefix.size(), prefix) != 0 || colon == std::string::npos)
            continue;
        if (line.find(": warning: ") == std::string::npos)
            located++;
        std::string::size_type afterNumber = line.find_first_not_of("0123456789", prefix.size());
        bool numbered = line[afterNumber] == ':' && afterNumber == colon;
        Placed wanted{std::stoi(line.substr(prefix.size())),
                      numbered ? 0 : std::stoi(line.substr(afterNumber + 1)), line.substr(colon + 2)};
        bool matched = false;
        for (const Placed &object : objects) {
            if (object.line != wanted.line || object.message != wanted.message ||
                (wanted.column != 0 && object.column != wanted.column))
                continue;
            matched = true;
            if (numbered && !saysCode(object.message, object.code))
                found += "json: code " + std::to_string(object.code) + " does not print: " + line + "\n";
            if (!numbered && object.code != 1 && object.code != 0)
                found += "json: a syntax error's code is 1, not " + std::to_string(object.code) + ": " + line + "\n";
        }
        if (!matched)
            found += "json lacks: " + line + "\n";
    }
    if (errors != located)
        found += "json: " + std::to_string(errors) + " located errors for " + std::to_string(located) +
                 " located lines\n";
    return found;
}

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}
