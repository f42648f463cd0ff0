// The command-line runs of runs/*.txt: each case is a series of steps in a
// scratch directory of its own (a private velc and stand-in tools that log
// how they were called, see velc_command_line.hpp). A file holds many cases:
//
//   # a comment
//   (steps before the first case start every case of the file)
//   == Suite.Name              a case, named in the test list Suite_Name
//   write prog.vel             a file, its lines below ("| text", "|" for an
//   | print 1                  empty one, "|N* text" for N lines with {i} = 0..N-1,
//                              "|N*K text" with {i} = K..K+N-1)
//   script bin/cc              the same, made executable
//   tool wasmer 3              a stand-in tool that ends with that status
//   time lib.vel -60.5         a file's modification time, in seconds from the start
//   age prog lib               the sources an hour and a half old, their outputs half an hour
//   run -q prog                ./velc with these arguments, with a fresh tool log
//   shell cp velc velc.new     any command (the same PATH and capture as run)
//   needs ccache distccd       skips the rest of the case unless each program is
//                              on the PATH (tools that only some machines have)
//   status 1 / status not 0    the last command's status
//   SUBJECT is                 the whole text, in the lines below (none: empty)
//   SUBJECT has "a\n" or "b"   contains one of the texts (lacks, starts, ends)
//   SUBJECT count 2 "text"     contains the text that many times
//   exists a.o / missing a.o   files there or not
//   compiled a.cpp prog.cpp    the C++ files the last run reported compiling
//   untouched lib.o / touched prog.cpp     left at the time age gave, or not
//   snapshot prog.cpp / unchanged prog.cpp  a file as it was at the snapshot
//   remember / as remembered   the last command's status and output
//
// A SUBJECT is stdout, stderr, log (the stand-in tools' log) or file NAME. A
// quoted text takes \n, \t, \" and \\; an unquoted one is the rest of the
// line. {dir} stands for the scratch directory, {path} for the PATH the tests
// started with, and the names the build gives (RUN_NAMES in CMakeLists.txt:
// {emreplay}, {native_ini}...) for its programs and files.
#include <fcntl.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>
#include <stdexcept>

#include "velc_command_line.hpp"

namespace {

using namespace cli_test;

struct Step {
    std::string place;  // file:line
    std::string line;
    std::vector<std::string> block;  // its "|" lines
};

struct RunCase {
    std::string name;
    std::vector<Step> steps;
};

// Test names show a case by its name.
void PrintTo(const RunCase &one, std::ostream *out) { *out << one.name; }

// Steps before the first case start every case of the file.
std::vector<RunCase> readRunFile(const fs::path &path) {
    std::vector<RunCase> cases(1);
    std::ifstream file(path);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        std::string place = path.filename().string() + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#')
            continue;
        if (line.compare(0, 3, "== ") == 0) {
            std::string name = line.substr(3);
            std::replace(name.begin(), name.end(), '.', '_');
            cases.push_back({name, cases.front().steps});
        } else if (line[0] == '|') {
            if (cases.back().steps.empty())
                throw std::runtime_error(place + ": a text line before any step");
            cases.back().steps.back().block.push_back(line);
        } else {
            cases.back().steps.push_back({place, line, {}});
        }
    }
    cases.erase(cases.begin());
    return cases;
}

std::vector<RunCase> allRunCases() {
    std::vector<fs::path> files;
    for (const auto &entry : fs::directory_iterator(RUNS_DIR))
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<RunCase> cases;
    for (const fs::path &file : files)
        for (RunCase &one : readRunFile(file))
            cases.push_back(std::move(one));
    return cases;
}

// The texts of `one "two" or "three"`: a quoted list, or the line as it is.
std::vector<std::string> textsOf(const std::string &value) {
    if (value.empty() || value[0] != '"')
        return {value};
    std::vector<std::string> texts(1);
    std::size_t i = 1;
    for (; i < value.size() && value[i] != '"'; ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            texts.back() += next == 'n' ? '\n' : next == 't' ? '\t' : next;
        } else {
            texts.back() += value[i];
        }
    }
    if (value.compare(i, 5, "\" or ") == 0)
        for (std::string &more : textsOf(value.substr(i + 5)))
            texts.push_back(more);
    return texts;
}

std::vector<std::string> wordsOf(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string replaceAll(std::string text, const std::string &from, const std::string &to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

class RunFile : public VelcCommandLine, public testing::WithParamInterface<RunCase> {
protected:
    void runStep(const Step &step) {
        std::string line = expanded(step.line);
        std::string keyword = line.substr(0, line.find(' '));
        std::string rest = line.size() > keyword.size() ? line.substr(keyword.size() + 1) : "";
        if (keyword == "needs")
            skipWithout(wordsOf(rest));
        else if (!act(keyword, rest, step.block))
            check(keyword, rest, step.block);
    }

    void skipWithout(const std::vector<std::string> &programs) {
        for (const std::string &program : programs)
            if (run("command -v " + program + " > /dev/null", "") != 0)
                GTEST_SKIP() << program << " is not installed";
    }

    // The steps that make files or run commands; false for a check.
    bool act(const std::string &keyword, const std::string &rest, const std::vector<std::string> &block) {
        std::vector<std::string> words = wordsOf(rest);
        if (keyword == "write" || keyword == "script") {
            writeFile(rest, blockText(block));
            if (keyword == "script")
                fs::permissions(directory + "/" + rest, fs::perms::owner_all);
        } else if (keyword == "tool") {
            writeTool(words.at(0), std::stoi(words.at(1)));
        } else if (keyword == "time") {
            setTime(words.at(0), std::stod(words.at(1)));
        } else if (keyword == "age") {
            ageBuild(words);
        } else if (keyword == "run" || keyword == "shell") {
            fs::remove(directory + "/tools.log");
            status = run(rest, keyword == "run" ? "./velc" : "");
        } else if (keyword == "snapshot") {
            for (const std::string &name : words)
                snapshots[name] = readFile(name);
        } else if (keyword == "remember") {
            remembered = {std::to_string(status), stdoutText, stderrText};
        } else {
            return false;
        }
        return true;
    }

    void check(const std::string &keyword, const std::string &rest, const std::vector<std::string> &block) {
        std::vector<std::string> words = wordsOf(rest);
        if (keyword == "status") {
            if (rest == "not 0")
                EXPECT_NE(status, 0);
            else
                EXPECT_EQ(status, std::stoi(rest));
        } else if (keyword == "exists" || keyword == "missing") {
            for (const std::string &name : words)
                EXPECT_EQ(fs::exists(directory + "/" + name), keyword == "exists") << name;
        } else if (keyword == "compiled") {
            EXPECT_EQ(compiledFiles(), words) << stdoutText;
        } else if (keyword == "untouched" || keyword == "touched") {
            for (const std::string &name : words)
                EXPECT_EQ(modificationTime(name) == past, keyword == "untouched") << name;
        } else if (keyword == "unchanged") {
            for (const std::string &name : words)
                EXPECT_EQ(readFile(name), snapshots.at(name)) << name;
        } else if (keyword == "as") {
            EXPECT_EQ(remembered, (std::vector<std::string>{std::to_string(status), stdoutText, stderrText}));
        } else {
            checkSubject(keyword, rest, block);
        }
    }

    // "stdout has ...", "file prog.cpp ends ...".
    void checkSubject(const std::string &subject, std::string rest, const std::vector<std::string> &block) {
        std::string text;
        if (subject == "stdout")
            text = stdoutText;
        else if (subject == "stderr")
            text = stderrText;
        else if (subject == "log")
            text = readFile("tools.log");
        else if (subject == "file") {
            std::string name = rest.substr(0, rest.find(' '));
            text = readFile(name);
            rest = rest.substr(std::min(rest.size(), name.size() + 1));
        } else
            throw std::runtime_error("not a step: " + subject);
        std::string verb = rest.substr(0, rest.find(' '));
        std::string value = rest.substr(std::min(rest.size(), verb.size() + 1));
        if (verb == "is") {
            EXPECT_EQ(text, blockText(block));
        } else if (verb == "count") {
            std::string::size_type space = value.find(' ');
            EXPECT_EQ(occurrences(text, textsOf(value.substr(space + 1)).at(0)), std::stoi(value.substr(0, space)))
                << text;
        } else {
            bool found = false;
            for (const std::string &wanted : textsOf(value))
                found = found || holds(verb, text, wanted);
            EXPECT_TRUE(verb == "lacks" ? !found : found)
                << subject << " " << rest << "\n--- it is\n" << text;
        }
    }

    static bool holds(const std::string &verb, const std::string &text, const std::string &wanted) {
        if (verb == "has" || verb == "lacks")
            return text.find(wanted) != std::string::npos;
        if (verb == "starts")
            return text.compare(0, wanted.size(), wanted) == 0;
        if (verb == "ends")
            return text.size() >= wanted.size() && text.compare(text.size() - wanted.size(), wanted.size(), wanted) == 0;
        throw std::runtime_error("not a check: " + verb);
    }

    static int occurrences(const std::string &text, const std::string &wanted) {
        int count = 0;
        for (std::string::size_type at = 0; (at = text.find(wanted, at)) != std::string::npos; at += wanted.size())
            count++;
        return count;
    }

    std::string blockText(const std::vector<std::string> &block) {
        std::string text;
        for (const std::string &line : block) {
            std::string::size_type star = line.find('*');
            bool repeated = line.size() > 1 && std::isdigit(static_cast<unsigned char>(line[1])) && star != std::string::npos;
            if (!repeated) {
                text += expanded(line.size() > 2 ? line.substr(2) : "") + "\n";
                continue;
            }
            std::string::size_type space = line.find(' ', star);
            int times = std::stoi(line.substr(1, star - 1));
            int first = space > star + 1 ? std::stoi(line.substr(star + 1, space - star - 1)) : 0;
            for (int i = first; i < first + times; i++)
                text += replaceAll(expanded(line.substr(space + 1)), "{i}", std::to_string(i)) + "\n";
        }
        return text;
    }

    // {dir}, {path} (the PATH the tests started with) and the names the
    // build gives, "{name}=value" each, separated by "|".
    std::string expanded(std::string text) {
        const char *path = std::getenv("PATH");
        text = replaceAll(replaceAll(text, "{dir}", directory), "{path}", path ? path : "/usr/bin:/bin");
        std::istringstream names(RUN_NAMES);
        for (std::string name; std::getline(names, name, '|');)
            text = replaceAll(text, name.substr(0, name.find('=')), name.substr(name.find('=') + 1));
        return text;
    }

    void setTime(const std::string &name, double offset) {
        double when = static_cast<double>(start) + offset;
        time_t seconds = static_cast<time_t>(when);
        struct timespec times[2] = {{seconds, static_cast<long>((when - seconds) * 1e9)}, {}};
        times[1] = times[0];
        ASSERT_EQ(utimensat(AT_FDCWD, (directory + "/" + name).c_str(), times, 0), 0) << name;
    }

    // The C++ files in the order velc reports compiling them.
    std::vector<std::string> compiledFiles() {
        std::vector<std::string> files;
        std::istringstream lines(stdoutText);
        for (std::string line; std::getline(lines, line);)
            if (line.compare(0, 10, "Compiling ") == 0 && line.size() > 14 &&
                line.compare(line.size() - 4, 4, ".cpp") == 0)
                files.push_back(line.substr(10));
        return files;
    }

    const time_t start = past + 1800;
    int status = 0;
    std::map<std::string, std::string> snapshots;
    std::vector<std::string> remembered;
};

TEST_P(RunFile, Holds) {
    for (const Step &step : GetParam().steps) {
        SCOPED_TRACE(step.place + ": " + step.line);
        runStep(step);
        if (HasFatalFailure() || IsSkipped())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, RunFile, testing::ValuesIn(allRunCases()),
                         [](const testing::TestParamInfo<RunCase> &info) { return info.param.name; });

}  // namespace
