#include "soundness_check.hpp"

#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace soundness {
namespace {

std::string quote(const std::string &text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

struct Outcome {
    int status = -1;      // exit status, or 128 + signal
    bool timedOut = false;
    std::string out, err;
};

// Runs `command` in `dir` under a time limit; standard output and error
// go to files named after `tag`.
// Limits: 8 MB per file written (a precompiled header needs more), 2 GB of memory.
Outcome run(const std::string &dir, const std::string &tag, const std::string &command, int seconds,
            int fileKilobytes = 8192) {
    std::string line = "cd " + quote(dir) + " && ulimit -f " + std::to_string(fileKilobytes * 2) +
                       " && ulimit -v 2097152 && timeout -s KILL " + std::to_string(seconds) + " " + command +
                       " < /dev/null > " + tag + ".out 2> " + tag + ".err";
    int raw = std::system(line.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    o.timedOut = o.status == 128 + 9;  // timeout -s KILL: the command was killed
    o.out = readFile(dir + "/" + tag + ".out");
    o.err = readFile(dir + "/" + tag + ".err");
    return o;
}

std::string clip(const std::string &text, size_t limit = 3000) {
    return text.size() <= limit ? text : text.substr(0, limit) + "\n[... " + std::to_string(text.size() - limit) +
                                             " more characters]\n";
}

std::string messages(const Outcome &o) {
    return "status " + std::to_string(o.status) + "\n--- stdout\n" + clip(o.out) + "--- stderr\n" + clip(o.err);
}

// The first line where two outputs part, for the report.
std::string firstDifference(const std::string &expected, const std::string &actual) {
    std::istringstream e(expected), a(actual);
    std::string le, la;
    for (int line = 1;; ++line) {
        bool he = bool(std::getline(e, le)), ha = bool(std::getline(a, la));
        if (!he && !ha) return "outputs differ only in the final line end";
        if (le != la || he != ha)
            return "first difference at line " + std::to_string(line) + ":\n  expected: " +
                   (he ? le : "(end of output)") + "\n  actual:   " + (ha ? la : "(end of output)");
    }
}

}  // namespace

CheckSettings CheckSettings::fromBuildTree() {
    CheckSettings s;
    s.velc = VELC_PROGRAM;
    s.includeDir = SOUNDNESS_INCLUDE_DIR;
    s.library = SOUNDNESS_LIBRARY;
    s.scratch = SOUNDNESS_SCRATCH;
    s.secondCompiler = SOUNDNESS_CLANG;
    return s;
}

void precompilePrologue(CheckSettings &settings) {
    std::string dir = settings.scratch + "/prologue";
    fs::create_directories(dir);
    writeFile(dir + "/prologue.hpp", readFile(SOUNDNESS_PROLOGUE));
    std::string header = " -std=c++17 -fwrapv -O2 -x c++-header -I" + quote(settings.includeDir) + " prologue.hpp -o prologue.hpp";
    const int headerKilobytes = 512 * 1024;
    if (run(dir, "gch", quote(settings.compiler) + header + ".gch", settings.compileSeconds, headerKilobytes).status != 0)
        return;
    if (!settings.secondCompiler.empty() &&
        run(dir, "pch", quote(settings.secondCompiler) + header + ".pch", settings.compileSeconds, headerKilobytes).status != 0)
        return;
    settings.prologueInclude = " -include " + quote(dir + "/prologue.hpp");
}

std::optional<Failure> checkProgram(const CheckSettings &settings, const GeneratedProgram &program, bool build,
                                    const std::string &workDir, CheckSummary *tally) {
    fs::remove_all(workDir);
    fs::create_directories(workDir);
    writeFile(workDir + "/prog.vel", program.source);
    Failure f;
    f.seed = program.seed;
    f.source = program.source;
    auto fail = [&](const std::string &kind, const std::string &detail) {
        f.kind = kind;
        f.detail = detail;
        writeFile(workDir + "/expected.out", program.expected);
        return std::optional<Failure>(f);
    };

    Outcome t = run(workDir, "velc", quote(settings.velc) + " -q -c prog.vel", settings.translateSeconds);
    if (t.timedOut)
        return fail("velc timeout", "translation took more than " + std::to_string(settings.translateSeconds) + " s");
    if (t.status >= 128) return fail("velc crash", "velc died of signal " + std::to_string(t.status - 128) + "\n" + messages(t));
    if (!program.expectedMessage.empty()) {
        if (t.status == 0) return fail("velc missed the message", "expected: " + program.expectedMessage + "\n" + messages(t));
        if (t.out.find(program.expectedMessage + "\n") == std::string::npos)
            return fail("velc gave another message", "expected: " + program.expectedMessage + "\n" + messages(t));
        fs::remove_all(workDir);
        return std::nullopt;
    }
    if (t.status != 0) return fail("velc rejected", messages(t));
    if (!t.out.empty() || !t.err.empty()) return fail("velc diagnostics", messages(t));
    if (!fs::exists(workDir + "/prog.cpp")) return fail("velc wrote no C++", messages(t));
    if (tally) ++tally->accepted;

    // The compiler's own warnings stay on: each one a user would see points
    // at generated text to mend.
    std::string cxx = quote(settings.compiler) + " -std=c++17 -fwrapv -I. -I" + quote(settings.includeDir) +
                      settings.prologueInclude + " prog.cpp";
    auto refusedOrWarned = [&](const Outcome &c, const std::string &by = "g++") -> std::optional<Failure> {
        const std::string generated = "--- C++\n" + clip(readFile(workDir + "/prog.cpp"), 6000);
        if (c.status != 0) return fail(by + " refused", clip(c.err, 6000) + generated);
        if (c.err.find("warning:") != std::string::npos) return fail(by + " warned", clip(c.err, 6000) + generated);
        return std::nullopt;
    };
    // em++ is clang: what only clang refuses or warns about (an ambiguous
    // overload, unsequenced changes) shows without the slow WebAssembly build.
    if (!settings.secondCompiler.empty()) {
        Outcome c = run(workDir, "clang", quote(settings.secondCompiler) + " -std=c++17 -fwrapv -O2 -fsyntax-only -I. -I" +
                                              quote(settings.includeDir) + settings.prologueInclude + " prog.cpp",
                        settings.compileSeconds);
        if (auto failure = refusedOrWarned(c, "clang++")) return failure;
    }
    if (!build) {
        // -O2 as the build below and the precompiled prologue have it.
        Outcome c = run(workDir, "cxx", cxx + " -O2 -fsyntax-only", settings.compileSeconds);
        if (auto failure = refusedOrWarned(c)) return failure;
        if (tally) ++tally->compiled;
        fs::remove_all(workDir);
        return std::nullopt;
    }
    Outcome c = run(workDir, "cxx", cxx + " -O2 " + quote(settings.library) + " -o prog", settings.compileSeconds);
    if (auto failure = refusedOrWarned(c)) return failure;
    if (tally) ++tally->compiled;

    Outcome r = run(workDir, "run", "./prog", settings.runSeconds);
    if (tally) ++tally->ran;
    if (r.timedOut)
        return fail("run timeout", "the program ran for more than " + std::to_string(settings.runSeconds) +
                                       " s\n--- stdout (start)\n" + clip(r.out, 1500));
    if (r.status == 128 + 25) return fail("run output too long", "the program printed more than 8 MB\n--- stdout (start)\n" + clip(r.out, 1500));
    if (r.status >= 128) return fail("run crash", "the program died of signal " + std::to_string(r.status - 128) + "\n" + messages(r));
    if (r.status != 0) return fail("run error", messages(r));
    if (program.outputKnown) {
        if (tally) ++tally->outputsCompared;
        if (r.out != program.expected)
            return fail("wrong output", firstDifference(program.expected, r.out) + "\n--- expected\n" +
                                            clip(program.expected) + "--- actual\n" + clip(r.out));
    }
    fs::remove_all(workDir);
    return std::nullopt;
}

CheckSummary checkRange(const CheckSettings &settings, std::uint64_t firstSeed, int count,
                        const GeneratorOptions &options) {
    CheckSummary summary;
    std::mutex lock;
    std::atomic<int> next{0};
    std::map<int, Failure> failures;  // by position, so the report does not depend on timing
    auto worker = [&]() {
        for (;;) {
            int i = next++;
            if (i >= count) return;
            std::uint64_t seed = firstSeed + std::uint64_t(i);
            GeneratedProgram p = generateProgram(seed, options);
            // A program whose run the generator could not follow may rightly
            // need too much memory or time: it is only translated and compiled.
            bool build = settings.runEvery > 0 && i % settings.runEvery == 0 && p.outputKnown;
            CheckSummary local;
            auto f = checkProgram(settings, p, build, settings.scratch + "/seed-" + std::to_string(seed), &local);
            std::lock_guard<std::mutex> guard(lock);
            ++summary.programs;
            summary.accepted += local.accepted;
            summary.compiled += local.compiled;
            summary.ran += local.ran;
            summary.outputsCompared += local.outputsCompared;
            if (f) failures[i] = *f;
        }
    };
    std::vector<std::thread> threads;
    for (int j = 0; j < std::max(1, settings.jobs); ++j) threads.emplace_back(worker);
    for (auto &t : threads) t.join();
    for (auto &f : failures) summary.failures.push_back(f.second);
    return summary;
}

std::string describe(const CheckSummary &summary, int fullListings) {
    std::ostringstream out;
    out << summary.programs << " programs: " << summary.accepted << " translated, " << summary.compiled
        << " compiled, " << summary.ran << " run, " << summary.outputsCompared << " outputs compared, "
        << summary.failures.size() << " failures\n";
    std::map<std::string, int> kinds;
    for (auto &f : summary.failures) ++kinds[f.kind];
    for (auto &k : kinds) out << "  " << k.first << ": " << k.second << "\n";
    int listed = 0;
    for (auto &f : summary.failures) {
        if (listed++ < fullListings) {
            out << "\n==== seed " << f.seed << ": " << f.kind
                << " (program again: soundness_tool program " << f.seed << ")\n"
                << f.source << "---- " << f.kind << "\n" << f.detail << "\n";
        } else {
            out << "seed " << f.seed << ": " << f.kind << "\n";
        }
    }
    return out.str();
}

}  // namespace soundness
