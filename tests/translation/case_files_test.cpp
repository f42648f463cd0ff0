// The translations of cases/*.txt: each case is a source and what velc must
// make of it. A file holds many cases:
//
//   # a comment (outside a source)
//   == Suite.Name                  a case, named in the test list Suite_Name
//   print 1                        the source, line by line
//   --
//   status: 0                      velc's exit status (or "status: not 0")
//   cpp: vel_out << 1<< "\n";    a whole statement of the implementation
//   no cpp: ...                    a statement the implementation must not have
//   report: prog.vel L1: ...       a whole line of velc's report
//   no report: ...
//   report is empty / no syntax errors
//   has: "text"  lacks: "text"  count N: "text"      the implementation's text
//   header has: "text"  header lacks: "text"  report has: "text"  report lacks: "text"
//   syntax errors have: "text"     the parser's own reports
//   after prologue: "text"         the whole implementation: the prologue, then the text
//   file lib.hpp has: "text"  file lib.hpp lacks: "text"   another file of the directory
//   json: {"code":46,...}          a whole line of the report with messages=json
//   excerpt: "text"                part of the report with excerpts=always
//   compiles quietly with: g++ em++   every C++ file of the directory compiles
//                                  (-O2 -Wall) without an error or a warning
//                                  from each compiler named; a compiler not
//                                  installed skips the case
//
// Every case is translated a second time with messages=json: each line must
// parse as an object of the documented fields, and each located line of the
// console report (standard output and error) must stand there as an object of
// the same line, column, message and code (json_report.hpp). So must the
// lines of the programs of tests/e2e/programs that have a .msg.
// A quoted text takes \n, \t, \" and \\. In a source, a line "-- file lib.vel" starts
// another source beside prog.vel, which prog.vel may include, and a line
// "|N* text" stands for N copies of the text, with {i} counting them from 0
// ({i+1} from 1), \n for a line end inside one, \r for a carriage return
// (a file of Windows) and \ufeff for the byte order mark some editors
// write first.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../velc_beside.hpp"
#include "json_report.hpp"

namespace {

struct Expectation {
    int line;
    std::string kind;
    std::string value;
};

struct TranslationCase {
    std::string name;  // Suite_Name
    std::string place; // file:line of its == line
    std::map<std::string, std::string> sources;  // prog.vel and the sources beside it
    std::vector<Expectation> expectations;
};

std::string readWholeFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A line of the implementation as a statement: without its indentation, and
// a file-level variable of the main source without the unnamed namespace of
// its own line.
std::string statementOf(const std::string &line) {
    std::size_t start = line.find_first_not_of(' ');
    std::string statement = start == std::string::npos ? "" : line.substr(start);
    const std::string open = "namespace { ", close = " }";
    if (statement.size() > open.size() + close.size() && statement.compare(0, open.size(), open) == 0 &&
        statement.compare(statement.size() - close.size(), close.size(), close) == 0)
        return statement.substr(open.size(), statement.size() - open.size() - close.size());
    return statement;
}

// What velc -c made of prog.vel, in the directory it ran in.
struct Translation {
    std::string directory;
    int status = -1;
    std::string report;       // velc's standard output: diagnostics and summary
    std::string syntaxErrors; // velc's standard error: the parser's own reports
    std::string implementation;
    std::string header;
    std::string json;         // the report with messages=json
    std::string excerpts;     // standard output and error with excerpts=always

    bool hasStatement(const std::string &statement) const {
        for (const std::string &line : splitLines(implementation))
            if (statementOf(line) == statement)
                return true;
        return false;
    }
    bool reportHasLine(const std::string &line) const {
        std::vector<std::string> lines = splitLines(report);
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

std::string unquoted(const std::string &text, const std::string &place) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"')
        throw std::runtime_error(place + ": a quoted text was expected");
    std::string result;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] != '\\') {
            result += text[i];
            continue;
        }
        char next = text[++i];
        result += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    return result;
}

// "count 2: ..." keeps its number in the kind.
Expectation parseExpectation(const std::string &line, int number, const std::string &place) {
    for (const char *whole : {"report is empty", "no syntax errors"})
        if (line == whole)
            return {number, whole, ""};
    std::size_t colon = line.find(": ");
    if (colon == std::string::npos)
        throw std::runtime_error(place + ": not an expectation: " + line);
    std::string kind = line.substr(0, colon), value = line.substr(colon + 2);
    static const std::vector<std::string> wholeLines = {"status", "cpp",  "no cpp", "report",
                                                        "no report", "json", "compiles quietly with"};
    if (std::find(wholeLines.begin(), wholeLines.end(), kind) == wholeLines.end())
        value = unquoted(value, place);
    return {number, kind, value};
}

// A line of a source, or the N lines that "|N* text" stands for.
std::string sourceLines(const std::string &line) {
    std::string::size_type star = line.find("* ");
    if (line.size() < 2 || line[0] != '|' || star == std::string::npos ||
        line.find_first_not_of("0123456789", 1) != star)
        return line + "\n";
    std::string lines, text = line.substr(star + 2);
    for (int i = 0, times = std::stoi(line.substr(1, star - 1)); i < times; i++) {
        std::string one = text;
        for (std::string::size_type at; (at = one.find("\\n")) != std::string::npos;)
            one.replace(at, 2, "\n");
        for (std::string::size_type at; (at = one.find("\\r")) != std::string::npos;)
            one.replace(at, 2, "\r");
        for (std::string::size_type at; (at = one.find("\\ufeff")) != std::string::npos;)
            one.replace(at, 6, "\xEF\xBB\xBF");
        for (std::string::size_type at; (at = one.find("{i+1}")) != std::string::npos;)
            one.replace(at, 5, std::to_string(i + 1));
        for (std::string::size_type at; (at = one.find("{i}")) != std::string::npos;)
            one.replace(at, 3, std::to_string(i));
        lines += one + "\n";
    }
    return lines;
}

std::vector<TranslationCase> readCaseFile(const std::filesystem::path &path) {
    std::vector<TranslationCase> cases;
    std::ifstream file(path);
    std::string line;
    bool inSource = false;
    std::string source;
    for (int number = 1; std::getline(file, line); ++number) {
        std::string place = path.filename().string() + ":" + std::to_string(number);
        if (line.compare(0, 3, "== ") == 0) {
            std::string name = line.substr(3);
            std::replace(name.begin(), name.end(), '.', '_');
            cases.push_back({name, place, {{"prog.vel", ""}}, {}});
            source = "prog.vel";
            inSource = true;
        } else if (cases.empty()) {
            continue;
        } else if (inSource && line == "--") {
            inSource = false;
        } else if (inSource && line.compare(0, 8, "-- file ") == 0) {
            source = line.substr(8);
        } else if (inSource) {
            cases.back().sources[source] += sourceLines(line);
        } else if (!line.empty() && line[0] != '#') {
            cases.back().expectations.push_back(parseExpectation(line, number, place));
        }
    }
    return cases;
}

std::vector<TranslationCase> allCases() {
    std::vector<std::filesystem::path> files;
    for (const auto &entry : std::filesystem::directory_iterator(CASES_DIR))
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<TranslationCase> cases;
    for (const auto &file : files)
        for (TranslationCase &one : readCaseFile(file))
            cases.push_back(std::move(one));
    return cases;
}

// The programs of the end-to-end tests that velc refuses (a .msg beside
// each): their JSON form is checked as a case's is.
std::vector<TranslationCase> messagePrograms() {
    std::vector<TranslationCase> cases;
    for (const auto &entry : std::filesystem::directory_iterator(PROGRAMS_DIR)) {
        if (entry.path().extension() != ".msg")
            continue;
        std::filesystem::path source = entry.path();
        source.replace_extension(".vel");
        TranslationCase c;
        c.name = "Refused_" + source.stem().string();
        c.place = source.string() + ":1";
        c.sources["prog.vel"] = readWholeFile(source.string());
        c.expectations.push_back({1, "status", "not 0"});
        cases.push_back(std::move(c));
    }
    std::sort(cases.begin(), cases.end(),
              [](const TranslationCase &a, const TranslationCase &b) { return a.name < b.name; });
    return cases;
}

int occurrences(const std::string &text, const std::string &part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Whether the translation holds one expectation.
bool holds(const Translation &t, const Expectation &e) {
    const std::string &k = e.kind, &v = e.value;
    if (k == "status") return v == "not 0" ? t.status != 0 : t.status == std::stoi(v);
    if (k == "cpp") return t.hasStatement(v);
    if (k == "no cpp") return !t.hasStatement(v);
    if (k == "report") return t.reportHasLine(v);
    if (k == "no report") return !t.reportHasLine(v);
    if (k == "report is empty") return t.report.empty();
    if (k == "no syntax errors") return t.syntaxErrors.empty();
    if (k == "has") return occurrences(t.implementation, v) > 0;
    if (k == "lacks") return occurrences(t.implementation, v) == 0;
    if (k == "header has") return occurrences(t.header, v) > 0;
    if (k == "header lacks") return occurrences(t.header, v) == 0;
    if (k == "report has") return occurrences(t.report, v) > 0;
    if (k == "report lacks") return occurrences(t.report, v) == 0;
    if (k == "syntax errors have") return occurrences(t.syntaxErrors, v) > 0;
    if (k == "json") {
        std::vector<std::string> lines = splitLines(t.json);
        return std::find(lines.begin(), lines.end(), v) != lines.end();
    }
    if (k == "excerpt") return occurrences(t.excerpts, v) > 0;
    if (k.compare(0, 6, "count ") == 0) return occurrences(t.implementation, v) == std::stoi(k.substr(6));
    if (k == "after prologue") return t.implementation == readWholeFile(PROLOGUE_FILE) + v;
    if (k == "compiles quietly with") return true;  // checked by compilerComplaints, which has more to say
    std::size_t fileEnd = k.find(' ', 5);
    if (k.compare(0, 5, "file ") == 0 && fileEnd != std::string::npos) {
        std::string text = readWholeFile(t.directory + "/" + k.substr(5, fileEnd - 5));
        if (k.compare(fileEnd, std::string::npos, " has") == 0) return occurrences(text, v) > 0;
        if (k.compare(fileEnd, std::string::npos, " lacks") == 0) return occurrences(text, v) == 0;
    }
    throw std::runtime_error("unknown expectation " + k);
}

bool installed(const std::string &program) {
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

// What the compilers named say of the C++ files of the translation's
// directory, compiled with optimisation (some warnings come only from the
// optimiser) and every usual warning; empty when none said anything.
std::string compilerComplaints(const Translation &t, const std::string &compilers) {
    std::string complaints;
    std::istringstream names(compilers);
    for (std::string compiler; names >> compiler;) {
        for (const auto &entry : std::filesystem::directory_iterator(t.directory)) {
            if (entry.path().extension() != ".cpp")
                continue;
            std::string command = "cd '" + t.directory + "' && " + compiler +
                                  " -std=c++17 -fwrapv -O2 -Wall -c -I. -I'" + INCLUDE_DIR + "' '" +
                                  entry.path().filename().string() + "' -o compiled.o > compiler.txt 2>&1";
            int status = std::system(command.c_str());
            std::string said = readWholeFile(t.directory + "/compiler.txt");
            if (status != 0 || said.find("warning:") != std::string::npos || said.find("error:") != std::string::npos)
                complaints += compiler + " on " + entry.path().filename().string() + ":\n" + said.substr(0, 4000);
        }
    }
    return complaints;
}

void PrintTo(const TranslationCase &c, std::ostream *out) { *out << c.place; }

// Each case translates in a directory of its own, named after it, with a velc
// of its own beside its velc.ini. A passing case leaves nothing behind.
class CaseFile : public testing::TestWithParam<TranslationCase> {
protected:
    void SetUp() override {
        directory = std::string(SCRATCH_ROOT) + "/" + GetParam().name;
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        placeVelcAt(directory + "/velc");
        std::filesystem::copy_file(VELC_INI, directory + "/velc.ini");
        // The exact texts compared are those of a translation without line directives.
        std::ofstream(directory + "/velc.ini", std::ios::app) << "lines=0\n";
    }

    void TearDown() override {
        if (!HasFailure())
            std::filesystem::remove_all(directory);
    }

    // velc -q -b -c prog.vel, its standard output to `out` and its standard error to `err`.
    int runVelc(const std::string &out, const std::string &err) {
        std::string command =
            "cd '" + directory + "' && ./velc -q -b -c prog.vel < /dev/null > " + out + " 2> " + err;
        return std::system(command.c_str());
    }

    // The same translation with one more setting, standard error after standard output.
    std::string reportWith(const std::string &setting) {
        std::string ini = readWholeFile(directory + "/velc.ini");
        std::ofstream(directory + "/velc.ini", std::ios::app) << setting << "\n";
        runVelc("other.txt", "other_err.txt");
        std::ofstream(directory + "/velc.ini", std::ios::trunc) << ini;
        return readWholeFile(directory + "/other.txt") + readWholeFile(directory + "/other_err.txt");
    }

    Translation translate(const std::map<std::string, std::string> &sources, bool excerpts) {
        for (const auto &[name, text] : sources)
            std::ofstream(directory + "/" + name, std::ios::binary) << text;
        int status = runVelc("report.txt", "syntax.txt");
        Translation result;
        result.directory = directory;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.report = readWholeFile(directory + "/report.txt");
        result.syntaxErrors = readWholeFile(directory + "/syntax.txt");
        result.implementation = readWholeFile(directory + "/prog.cpp");
        result.header = readWholeFile(directory + "/prog.hpp");
        result.json = reportWith("messages=json");
        if (excerpts)
            result.excerpts = reportWith("excerpts=always");
        return result;
    }

    std::string directory;
};

TEST_P(CaseFile, Holds) {
    const TranslationCase &c = GetParam();
    ASSERT_FALSE(c.expectations.empty()) << c.place << ": a case without expectations";
    bool excerpts = std::any_of(c.expectations.begin(), c.expectations.end(),
                                [](const Expectation &e) { return e.kind == "excerpt"; });
    std::string compilers;
    for (const Expectation &e : c.expectations)
        if (e.kind == "compiles quietly with")
            compilers += " " + e.value;
    std::istringstream wanted(compilers);
    for (std::string compiler; wanted >> compiler;)
        if (!installed(compiler))
            GTEST_SKIP() << compiler << " is not installed";
    Translation t = translate(c.sources, excerpts);
    std::string failed = jsonDisagreements(t.report + t.syntaxErrors, t.json, "prog.vel") +
                         compilerComplaints(t, compilers);
    for (const Expectation &e : c.expectations)
        if (!holds(t, e))
            failed += c.place.substr(0, c.place.find(':')) + ":" + std::to_string(e.line) + ": " + e.kind + ": " +
                      e.value + "\n";
    EXPECT_EQ(failed, "") << "--- status " << t.status << ", report\n"
                          << t.report << t.syntaxErrors << "--- json\n"
                          << t.json << t.excerpts << "--- implementation\n"
                          << t.implementation << "--- header\n"
                          << t.header;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseFile, testing::ValuesIn(allCases()),
                         [](const testing::TestParamInfo<TranslationCase> &info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Programs, CaseFile, testing::ValuesIn(messagePrograms()),
                         [](const testing::TestParamInfo<TranslationCase> &info) { return info.param.name; });

}  // namespace
