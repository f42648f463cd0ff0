// velc.ini: the settings of the files in cases/velc_ini.txt, and what a
// table cannot hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <vector>

#include "driver_test_support.hpp"

namespace {

using ConfigurationTest = DriverStateTest;

std::string unescaped(const std::string &text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            result += text[i];
        } else if (text[++i] == 'x') {
            result += char(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            result += text[i] == 'r' ? '\r' : text[i] == 't' ? '\t' : text[i];
        }
    }
    return result;
}

// A setting as the table writes it.
std::string setting(const std::string &key) {
    const ToolchainSettings &s = toolchainSettings;
    if (key == "headers") {
        std::string all;
        for (const std::string &header : s.headers)
            all += (all.empty() ? "" : " | ") + header;
        return all;
    }
    const std::map<std::string, std::string> texts = {
        {"id", s.id}, {"compiler", s.compiler}, {"options", s.options}, {"linker", s.linker},
        {"loptions", s.loptions}, {"objects", s.objects}, {"extension", s.extension}, {"pch", s.pch},
        {"launcher", s.launcher},        {"jobs", std::to_string(s.jobs)}, {"lines", s.lines ? "1" : "0"}, {"pieces", std::to_string(s.pieceLines)}};
    return texts.at(key);
}

struct IniCase {
    std::string name;
    std::string file;
    std::vector<std::pair<std::string, std::string>> settings;
};

std::vector<IniCase> readIniCases() {
    std::vector<IniCase> cases;
    std::ifstream table(VELC_SOURCE_DIR "/tests/unit/cases/velc_ini.txt");
    for (std::string line; std::getline(table, line);) {
        if (line.compare(0, 3, "== ") == 0)
            cases.push_back({line.substr(3), "", {}});
        else if (cases.empty() || line.empty() || line[0] == '#')
            continue;
        else if (line.compare(0, 2, "> ") == 0)
            cases.back().file += (cases.back().file.empty() ? "" : "\n") + unescaped(line.substr(2));
        else if (line.back() == ':')
            cases.back().settings.push_back({line.substr(0, line.size() - 1), ""});
        else
            cases.back().settings.push_back({line.substr(0, line.find(": ")), unescaped(line.substr(line.find(": ") + 2))});
    }
    return cases;
}

TEST_F(ConfigurationTest, EachFileOfTheTableGivesItsSettings) {
    std::vector<IniCase> cases = readIniCases();
    ASSERT_GT(cases.size(), 15u);
    for (const IniCase &c : cases) {
        toolchainSettings = ToolchainSettings();
        writeFile("velc.ini", c.file);
        readConfiguration("velc.ini");
        for (const auto &[key, value] : c.settings)
            EXPECT_EQ(setting(key), value) << c.name << ": " << key;
    }
}

TEST_F(ConfigurationTest, MissingFileKeepsTheDefaults) {
    toolchainSettings.compiler = "g++";
    readConfiguration("no-such-dir/velc.ini");
    EXPECT_EQ(toolchainSettings.compiler, "g++");
}

TEST_F(ConfigurationTest, VeryLongLineStaysOneSetting) {
    std::string longValue(70000, 'x');
    writeFile("velc.ini", "options=" + longValue + "linker=ld\n");
    readConfiguration("velc.ini");
    EXPECT_EQ(toolchainSettings.options, longValue + "linker=ld");
    EXPECT_EQ(toolchainSettings.linker, "emcc");
}

}  // namespace
