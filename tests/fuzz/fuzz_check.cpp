#include "fuzz_check.hpp"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace fuzz {
namespace {

// The sanitizers' status. velc's own status is its count of errors, which
// may be 86 as well: a run whose output ends with velc's summary line
// ended by itself, unless a report stands on its standard error.
constexpr int sanitizerStatus = 86;

bool endsWithSummary(const std::string &output) {
    static const std::regex summary(R"(compiled \d+ lines?, there (is|are) \d+ errors?\n?$)");
    return std::regex_search(output, summary);
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Outcome {
    bool started = false;  // the program was found and began to run
    int status = -1;       // exit status
    int signal = 0;   // the signal that ended it, or 0
    bool timedOut = false;
    std::string out, err;
};

// The time a child has had since it started, less the time it waited for
// a processor: on a machine busy with other work (the campaign runs under
// nice) a translation that waits its turn is no hang, while one that runs
// or sleeps that long is. Where the kernel does not tell the wait, all of it.
std::chrono::nanoseconds activeTime(pid_t child, std::chrono::nanoseconds elapsed) {
    std::ifstream stats("/proc/" + std::to_string(child) + "/schedstat");
    long long onProcessor = 0, waiting = 0;
    if (stats >> onProcessor >> waiting)
        elapsed -= std::chrono::nanoseconds(waiting);
    return elapsed;
}

// Runs `arguments` in `dir` without a shell, so that a signal is told from
// a status, under a time limit (and, with `addressSpace`, that many bytes
// of address space), its outputs in files named after `tag`. Whether the
// program started is told by a pipe that closes on exec, not by a status:
// velc's own statuses count its errors and reach 126 and 127 too.
Outcome run(const std::string &dir, const std::string &tag, const std::vector<std::string> &arguments, int seconds,
            const std::vector<std::string> &environment = {}, std::size_t addressSpace = 0) {
    std::string outPath = dir + "/" + tag + ".out", errPath = dir + "/" + tag + ".err";
    Outcome o;
    int startPipe[2];
    if (pipe2(startPipe, O_CLOEXEC) != 0) return o;
    pid_t child = fork();
    if (child == 0) {
        close(startPipe[0]);
        // One byte before _exit says the exec did not happen.
        auto fail = [&] {
            char failed = 1;
            (void)!write(startPipe[1], &failed, 1);
            _exit(127);
        };
        if (chdir(dir.c_str()) != 0) fail();
        int in = open("/dev/null", O_RDONLY), out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
            err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) fail();
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (addressSpace > 0) {
            rlimit limit{addressSpace, addressSpace};
            setrlimit(RLIMIT_AS, &limit);
        }
        for (const auto &variable : environment) putenv(const_cast<char *>(variable.c_str()));
        std::vector<char *> argv;
        for (const auto &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        fail();
    }
    close(startPipe[1]);
    if (child < 0) {
        close(startPipe[0]);
        return o;
    }
    char failed = 0;
    ssize_t got;
    while ((got = read(startPipe[0], &failed, 1)) < 0 && errno == EINTR) {
    }
    close(startPipe[0]);
    o.started = got == 0;
    auto start = std::chrono::steady_clock::now();
    int raw = 0;
    while (waitpid(child, &raw, WNOHANG) == 0) {
        if (activeTime(child, std::chrono::steady_clock::now() - start) >= std::chrono::seconds(seconds)) {
            kill(child, SIGKILL);
            waitpid(child, &raw, 0);
            o.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(raw)) o.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw) && !o.timedOut) o.signal = WTERMSIG(raw);
    o.out = readFile(outPath);
    o.err = readFile(errPath);
    return o;
}

std::string clip(const std::string &text, std::size_t limit = 4000) {
    return text.size() <= limit ? text : text.substr(0, limit) + "\n[... " + std::to_string(text.size() - limit) + " more]\n";
}

std::string messages(const Outcome &o) {
    return (o.signal ? "signal " + std::to_string(o.signal) : "status " + std::to_string(o.status)) + "\n--- stdout\n" + clip(o.out) + "--- stderr\n" + clip(o.err);
}

// Lines of the C++ compiler's warnings that speak of the Velmora program
// rather than of its translation: a variable the program never reads is
// the program's own, and so is the way it mixes && with || or arithmetic
// with bit operators, whose order velc keeps as C++ defines it, and a
// comparison of its own constants. g++ also warns of two changes of one
// variable in a chain of << or an assignment, which C++17 sequences (the
// warning is for C and older C++).
const char *const programWarnings[] = {"-Wno-unused-variable", "-Wno-unused-but-set-variable", "-Wno-parentheses",
                                      "-Wno-tautological-compare", "-Wno-sequence-point"};
// clang also warns of an integer constant of the program that a real
// cannot hold exactly (`w * 9223372036854775807` with `w` real), which
// rounds in Velmora as it does in C++. g++ has no such option.
const char *const clangProgramWarnings[] = {"-Wno-implicit-const-int-float-conversion"};

// The lines of a source that hold C++ of the user's own (between `~~`
// and `~~`), which velc copies without checking: what the C++ compiler says
// of them is the program's, not a fault of the translation.
std::set<long> nativeLines(const std::string &source) {
    std::set<long> lines;
    bool inside = false;
    long line = 1;
    for (std::size_t at = 0; at < source.size(); at++) {
        if (source.compare(at, 2, "~~") == 0) {
            lines.insert(line);
            inside = !inside;
            at++;
        } else if (source[at] == '\n') {
            line++;
            if (inside) lines.insert(line);
        }
    }
    return lines;
}

// Whether the compiler's first error or warning lies in the program's own
// C++ (placed in a Velmora source by the line directives). What follows it
// is taken as its consequence: a quote or brace left open there makes the
// compiler read velc's C++ after it wrongly.
bool nativeCodeFaultedFirst(const std::string &workDir, const std::string &errors) {
    static const std::regex located(R"(^([^:\n]+\.vel):(\d+):\d+: (error|warning):)");
    std::istringstream lines(errors);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_search(line, match, located))
            return nativeLines(readFile(workDir + "/" + match[1].str())).count(std::stol(match[2])) > 0;
        if (line.find(": error:") != std::string::npos || line.find(": warning:") != std::string::npos) return false;
    }
    return false;
}

std::optional<Finding> compileCheck(const CheckSettings &settings, const std::string &workDir, const std::string &velcOutput) {
    std::vector<std::string> units;
    for (const auto &entry : fs::directory_iterator(workDir))
        if (entry.path().extension() == ".cpp") units.push_back(entry.path().filename().string());
    if (units.empty()) return Finding{"velc wrote no C++", velcOutput};
    std::vector<std::pair<std::string, std::string>> compilers = {{settings.compiler, "g++"}};
    if (!settings.secondCompiler.empty()) compilers.push_back({settings.secondCompiler, "clang++"});
    for (const auto &unit : units) {
        for (const auto &compiler : compilers) {
            std::vector<std::string> command = {compiler.first, "-std=c++17", "-fwrapv", "-O2", "-fsyntax-only", "-Wall"};
            command.insert(command.end(), std::begin(programWarnings), std::end(programWarnings));
            if (compiler.second == "clang++")
                command.insert(command.end(), std::begin(clangProgramWarnings), std::end(clangProgramWarnings));
            command.insert(command.end(), {"-I.", "-I" + settings.includeDir});
            if (!settings.prologueHeader.empty()) command.insert(command.end(), {"-include", settings.prologueHeader});
            command.push_back(unit);
            Outcome c = run(workDir, compiler.second, command, settings.compileSeconds);
            std::string generated = "--- " + unit + "\n" + clip(readFile(workDir + "/" + unit), 6000);
            if (!c.started) return Finding{compiler.second + " did not start", messages(c)};
            if (c.timedOut) return Finding{compiler.second + " hang", unit + generated};
            bool faulted = c.status != 0 || c.err.find("warning:") != std::string::npos;
            if (faulted && nativeCodeFaultedFirst(workDir, c.err)) continue;
            if (c.status != 0) return Finding{compiler.second + " refused", clip(c.err, 6000) + generated};
            if (faulted) return Finding{compiler.second + " warned", clip(c.err, 6000) + generated};
        }
    }
    return std::nullopt;
}

}  // namespace

std::string internalFault(const std::string &output) {
    static const char *const signs[] = {"Internal error", "stack underflow in ", "stack overflow in ", "Exception in "};
    for (const char *sign : signs) {
        std::size_t at = output.find(sign);
        if (at == std::string::npos) continue;
        std::size_t start = output.rfind('\n', at);
        start = start == std::string::npos ? 0 : start + 1;
        return output.substr(start, output.find('\n', at) - start);
    }
    return "";
}

std::string sanitizerReport(const std::string &errors) {
    static const char *const signs[] = {"AddressSanitizer:DEADLYSIGNAL", "ERROR: AddressSanitizer", "runtime error: "};
    for (const char *sign : signs) {
        std::size_t at = errors.find(sign);
        if (at != std::string::npos) return errors.substr(errors.rfind('\n', at) == std::string::npos ? 0 : errors.rfind('\n', at) + 1);
    }
    return "";
}

std::optional<Finding> checkCase(const CheckSettings &settings, const FuzzCase &input, const std::string &workDir) {
    fs::remove_all(workDir);
    fs::create_directories(workDir);
    for (const auto &file : input.files) {
        if (file.first.empty() || file.first.find('/') != std::string::npos) continue;
        std::ofstream out(workDir + "/" + file.first, std::ios::binary);
        out << file.second;
    }
    // Leaks are not looked for: velc frees little on purpose, at its end.
    std::vector<std::string> environment = {
        "ASAN_OPTIONS=detect_leaks=0:hard_rss_limit_mb=3072:exitcode=" + std::to_string(sanitizerStatus),
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=" + std::to_string(sanitizerStatus)};
    const std::size_t fourGigabytes = std::size_t(4) << 30;
    // A velc missing for a moment, as when its tree is rebuilt under a
    // running campaign, is waited for: only one that stays missing is a
    // finding.
    Outcome t;
    for (int waited = 0;;) {
        t = run(workDir, "velc", {settings.velc, "-q", "-c", "prog.vel"}, settings.translateSeconds, environment,
                settings.sanitized ? 0 : fourGigabytes);
        if (t.started || waited >= settings.startWaitSeconds) break;
        int pause = std::min(std::max(1, waited), settings.startWaitSeconds - waited);
        std::this_thread::sleep_for(std::chrono::seconds(pause));
        waited += pause;
    }
    // The status tells a report from a program's errors: velc's syntax
    // messages on the same stream may quote any text of the program.
    if (t.status == sanitizerStatus && (!sanitizerReport(t.err).empty() || !endsWithSummary(t.out))) {
        std::string report = sanitizerReport(t.err);
        return Finding{"sanitizer report", clip(report.empty() ? t.err : report, 8000)};
    }
    if (!t.started) return Finding{"velc did not start", messages(t)};
    if (t.timedOut) return Finding{"velc hang", "no end within " + std::to_string(settings.translateSeconds) + " s"};
    if (t.signal) return Finding{"velc crash", messages(t)};
    // The translator's own faults are reported on standard output, where
    // the syntax messages, which quote the program, are not.
    std::string fault = internalFault(t.out);
    if (!fault.empty()) return Finding{"internal error", fault + "\n" + messages(t)};
    if (t.status == 0 && settings.compile) return compileCheck(settings, workDir, messages(t));
    return std::nullopt;
}

}  // namespace fuzz
