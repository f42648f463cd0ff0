#include "translation_support.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "../velc_beside.hpp"

namespace fs = std::filesystem;

namespace {

std::string readWholeFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string withoutIndentation(const std::string &line) {
    size_t start = line.find_first_not_of(' ');
    return start == std::string::npos ? "" : line.substr(start);
}

// A file-level variable of a program's main source stands in an unnamed
// namespace of its own line; as a statement it is the declaration inside.
std::string withoutOwnNamespace(const std::string &line) {
    const std::string open = "namespace { ", close = " }";
    if (line.size() > open.size() + close.size() && line.compare(0, open.size(), open) == 0 &&
        line.compare(line.size() - close.size(), close.size(), close) == 0)
        return line.substr(open.size(), line.size() - open.size() - close.size());
    return line;
}

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        lines.push_back(line);
    return lines;
}

}  // namespace

std::string implementationPrologue() {
    std::ifstream file(PROLOGUE_FILE, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> Translation::statements() const {
    std::vector<std::string> result;
    for (const std::string &line : splitLines(implementation))
        result.push_back(withoutOwnNamespace(withoutIndentation(line)));
    return result;
}

bool Translation::hasStatement(const std::string &statement) const {
    return findStatement(statement) >= 0;
}

int Translation::findStatement(const std::string &statement, int from) const {
    std::vector<std::string> all = statements();
    for (int i = from; i < static_cast<int>(all.size()); ++i) {
        if (all[i] == statement)
            return i;
    }
    return -1;
}

std::string Translation::statementAfter(int index) const {
    std::vector<std::string> all = statements();
    for (int i = index + 1; i < static_cast<int>(all.size()); ++i) {
        if (!all[i].empty())
            return all[i];
    }
    return "";
}

int Translation::countOccurrences(const std::string &text) const {
    int count = 0;
    for (size_t at = implementation.find(text); at != std::string::npos;
         at = implementation.find(text, at + text.size()))
        ++count;
    return count;
}

bool Translation::reportHasLine(const std::string &line) const {
    for (const std::string &reported : splitLines(report)) {
        if (reported == line)
            return true;
    }
    return false;
}

void TranslationTest::SetUp() {
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    directory = std::string(SCRATCH_ROOT) + "/" + test->test_suite_name() + "_" + test->name();
    fs::remove_all(directory);
    fs::create_directories(directory);
    placeVelcAt(directory + "/velc");
    fs::copy_file(VELC_INI, directory + "/velc.ini");
    // The exact texts compared are those of a translation without line directives.
    std::ofstream(directory + "/velc.ini", std::ios::app) << "lines=0\n";
}

void TranslationTest::TearDown() {
    if (!HasFailure())
        fs::remove_all(directory);
}

Translation TranslationTest::translate(const std::string &source) {
    std::ofstream(directory + "/prog.vel", std::ios::binary) << source;
    fs::remove(directory + "/prog.cpp");
    fs::remove(directory + "/prog.hpp");
    std::string command = "cd '" + directory +
                          "' && ./velc -q -b -c prog.vel < /dev/null > report.txt 2> syntax.txt";
    int status = std::system(command.c_str());
    Translation result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.report = readWholeFile(directory + "/report.txt");
    result.syntaxErrors = readWholeFile(directory + "/syntax.txt");
    result.implementation = readWholeFile(directory + "/prog.cpp");
    result.header = readWholeFile(directory + "/prog.hpp");
    return result;
}
