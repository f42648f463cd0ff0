// The translations of cases/*.txt: each case is a source and what velc must
// make of it. A file holds many cases:
//
//   # a comment (outside a source)
//   == Suite.Name                  a case, named in the test list Suite_Name
//   print 1                        the source, line by line
//   --
//   status: 0                      velc's exit status (or "status: not 0")
//   cpp: std::cout << 1<< "\n";    a whole statement of the implementation
//   no cpp: ...                    a statement the implementation must not have
//   report: prog.vel L1: ...       a whole line of velc's report
//   no report: ...
//   report is empty / no syntax errors
//   has: "text"  lacks: "text"  count N: "text"      the implementation's text
//   header has: "text"  header lacks: "text"  report has: "text"  report lacks: "text"
//   syntax errors have: "text"     the parser's own reports
//
// A quoted text takes \n, \t, \" and \\.
#include "translation_support.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

struct Expectation {
    int line;
    std::string kind;
    std::string value;
};

struct TranslationCase {
    std::string name;  // Suite_Name
    std::string place; // file:line of its == line
    std::string source;
    std::vector<Expectation> expectations;
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
    static const std::vector<std::string> wholeLines = {"status", "cpp", "no cpp", "report", "no report"};
    if (std::find(wholeLines.begin(), wholeLines.end(), kind) == wholeLines.end())
        value = unquoted(value, place);
    return {number, kind, value};
}

std::vector<TranslationCase> readCaseFile(const std::filesystem::path &path) {
    std::vector<TranslationCase> cases;
    std::ifstream file(path);
    std::string line;
    bool inSource = false;
    for (int number = 1; std::getline(file, line); ++number) {
        std::string place = path.filename().string() + ":" + std::to_string(number);
        if (line.compare(0, 3, "== ") == 0) {
            std::string name = line.substr(3);
            std::replace(name.begin(), name.end(), '.', '_');
            cases.push_back({name, place, "", {}});
            inSource = true;
        } else if (cases.empty()) {
            continue;
        } else if (inSource && line == "--") {
            inSource = false;
        } else if (inSource) {
            cases.back().source += line + "\n";
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
    if (k.compare(0, 6, "count ") == 0) return occurrences(t.implementation, v) == std::stoi(k.substr(6));
    throw std::runtime_error("unknown expectation " + k);
}

void PrintTo(const TranslationCase &c, std::ostream *out) { *out << c.place; }

class CaseFile : public TranslationTest, public testing::WithParamInterface<TranslationCase> {};

TEST_P(CaseFile, Holds) {
    const TranslationCase &c = GetParam();
    ASSERT_FALSE(c.expectations.empty()) << c.place << ": a case without expectations";
    Translation t = translate(c.source);
    std::string failed;
    for (const Expectation &e : c.expectations)
        if (!holds(t, e))
            failed += c.place.substr(0, c.place.find(':')) + ":" + std::to_string(e.line) + ": " + e.kind + ": " +
                      e.value + "\n";
    EXPECT_EQ(failed, "") << "--- status " << t.status << ", report\n"
                          << t.report << t.syntaxErrors << "--- implementation\n"
                          << t.implementation << "--- header\n"
                          << t.header;
}

INSTANTIATE_TEST_SUITE_P(Cases, CaseFile, testing::ValuesIn(allCases()),
                         [](const testing::TestParamInfo<TranslationCase> &info) { return info.param.name; });

}  // namespace
