#pragma once
// The options of velc's command line: the option letters and the long
// options, read into the driver settings.
#include <string>
#include <vector>

#include "driver/settings.hpp"

// A long option, typed "--name", or "--name=value" when it takes a value.
// It only records what it asks for in the settings; the run does it
// (driver/velc.cpp). A new long option is one entry of longOptions(), a
// field of DriverSettings and the place of the run that reads it.
struct LongOption {
    const char *name;          // without the two dashes
    const char *valueName;     // nullptr when the option takes no value; its name in --help
    const char *description;   // its line in --help
    void (*apply)(DriverSettings &settings, const std::string &value);
};

const std::vector<LongOption> &longOptions();

struct OptionReading {
    int optionCount = 0;    // leading arguments that were options
    bool eOrR = false;      // letter e or r
    std::string invalid;    // the first option velc does not know, as typed; empty when none
};

// Reads the options that lead the arguments, up to the first argument that
// does not begin with "-" (the source). Stops at the first invalid one.
OptionReading readOptions(int argc, char **argv, DriverSettings &settings);

// The lines --help adds after the usage text, one per long option.
std::string longOptionHelp();
