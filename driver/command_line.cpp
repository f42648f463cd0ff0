#include "driver/command_line.hpp"

#include <algorithm>
#include <cstring>

namespace {

void askHelp(DriverSettings &settings, const std::string &) { settings.showHelp = true; }
void askVersion(DriverSettings &settings, const std::string &) { settings.showVersion = true; }
void askWatch(DriverSettings &settings, const std::string &) { settings.watch = true; }
void askFormat(DriverSettings &settings, const std::string &) { settings.formatSources = true; }
void askPage(DriverSettings &settings, const std::string &) { settings.webPage = true; }
void addPageFile(DriverSettings &settings, const std::string &path) { settings.pageFiles.push_back(path); }
void askPlayground(DriverSettings &settings, const std::string &) { settings.playground = true; }
void askFormatCheck(DriverSettings &settings, const std::string &) {
    settings.formatSources = true;
    settings.formatCheckOnly = true;
}

// False for a letter velc does not know.
bool applyOptionLetter(char letter, DriverSettings &settings, bool &eOrR) {
    switch (letter) {
    case 'b': settings.rebuildAll = true; return true;
    case 'c': settings.cppOnly = true; return true;
    case 'q': settings.quiet = true; return true;
    case 'v': settings.verbose = true; return true;
    case '~': settings.keepTemporary = true; return true;
    case 'e':
    case 'r': eOrR = true; return true;
    default: return false;
    }
}

// "--name" or "--name=value"; false when no entry takes it as written.
bool applyLongOption(const std::string &argument, DriverSettings &settings) {
    std::string::size_type equals = argument.find('=');
    std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    for (const LongOption &option : longOptions()) {
        if (name != option.name)
            continue;
        bool hasValue = equals != std::string::npos;
        if (hasValue != (option.valueName != nullptr))
            return false;
        option.apply(settings, hasValue ? argument.substr(equals + 1) : "");
        return true;
    }
    return false;
}

}  // namespace

const std::vector<LongOption> &longOptions() {
    static const std::vector<LongOption> options = {
        {"help", nullptr, "print this text", askHelp},
        {"version", nullptr, "print the versions of velc, libvel and the tool chain", askVersion},
        {"watch", nullptr, "build and run, then again after every change of a source, until Ctrl-C", askWatch},
        {"format", nullptr, "rewrite the sources named in the canonical layout", askFormat},
        {"check", nullptr, "with --format: name the sources it would change, change none", askFormatCheck},
        {"html", nullptr, "build, and write a page that runs the program in a browser instead of running it",
         askPage},
        {"html-file", "FILE", "with --html: put FILE into the page's folder too (may be given again)", addPageFile},
        {"playground", nullptr, "serve a playground on 127.0.0.1 (a port may follow, 8460 otherwise)",
         askPlayground},
    };
    return options;
}

OptionReading readOptions(int argc, char **argv, DriverSettings &settings) {
    OptionReading reading;
    for (int i = 1; i < argc && argv[i][0] == '-'; i++) {
        reading.optionCount++;
        const char *argument = argv[i];
        if (argument[1] == '-' && argument[2] != '\0') {
            if (!applyLongOption(argument, settings)) {
                reading.invalid = argument;
                return reading;
            }
            continue;
        }
        for (const char *letter = argument + 1; *letter; letter++) {
            if (!applyOptionLetter(*letter, settings, reading.eOrR)) {
                reading.invalid = std::string("-") + *letter;
                return reading;
            }
        }
    }
    return reading;
}

std::string longOptionHelp() {
    std::string text = "Long options:\n";
    for (const LongOption &option : longOptions()) {
        std::string head = std::string(" --") + option.name;
        if (option.valueName)
            head += std::string("=") + option.valueName;
        head.resize(std::max<std::size_t>(head.size() + 2, 13), ' ');
        text += head + option.description + "\n";
    }
    return text;
}
