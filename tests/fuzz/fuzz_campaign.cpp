#include "fuzz_campaign.hpp"

#include "../soundness/soundness_check.hpp"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace fuzz {
namespace {

// What tells one fault from another: the kind and the line of the report
// that names it, without its numbers (lines, columns, signals) and without
// the place before a compiler's "error:" or "warning:".
std::string signatureOf(const Finding &finding) {
    std::istringstream lines(finding.detail);
    std::string first, line;
    std::getline(std::istringstream(finding.detail), first);
    while (std::getline(lines, line)) {
        for (const char *word : {"error: ", "warning: "}) {
            std::size_t at = line.find(word);
            if (at != std::string::npos && first.find(word) == std::string::npos) {
                first = line.substr(at);
                break;
            }
        }
        if (first.find("error: ") != std::string::npos || first.find("warning: ") != std::string::npos) break;
    }
    std::string plain;
    for (char c : first.substr(0, 160)) plain += std::isdigit(static_cast<unsigned char>(c)) ? '#' : c;
    return finding.kind + ": " + plain;
}

void keep(const fs::path &workDir, const fs::path &into, const FuzzCase &input, std::uint64_t seed,
          const Finding &finding) {
    fs::remove_all(into);
    fs::create_directories(into);
    std::error_code error;
    fs::copy(workDir, into, fs::copy_options::recursive, error);
    std::ofstream(into / "finding.txt") << "seed " << seed << ": " << finding.kind << "\ninput: " << input.origin
                                        << "\n\n" << finding.detail << "\n";
}

}  // namespace

CampaignSettings CampaignSettings::fromBuildTree() {
    CampaignSettings s;
    s.check.velc = VELC_PROGRAM;
    s.check.includeDir = FUZZ_INCLUDE_DIR;
    s.check.sanitized = FUZZ_VELC_SANITIZED;
    s.check.translateSeconds = FUZZ_VELC_SANITIZED ? 30 : 10;
    s.scratch = FUZZ_SCRATCH;
    for (const char *folder : {"examples", "tests/e2e/programs", "tests/e2e/faults", "tests/e2e/sanitized",
                               "tests/translation/cases", "bench/programs", "tests/web/programs",
                               "tests/fuzz/seeds"})
        s.corpus.push_back(std::string(FUZZ_SOURCE_DIR) + "/" + folder);
    return s;
}

CampaignResult runCampaign(CampaignSettings settings, std::ostream &log) {
    // Each check runs in its work folder: a relative name would be taken from there.
    settings.scratch = fs::absolute(settings.scratch).string();
    if (settings.check.compile) {
        // The prologue of generated files, precompiled once: most of the
        // compile of a small program is its headers.
        soundness::CheckSettings prologue = soundness::CheckSettings::fromBuildTree();
        prologue.includeDir = settings.check.includeDir;
        prologue.scratch = settings.scratch;
        prologue.secondCompiler = settings.useClang ? prologue.secondCompiler : "";
        soundness::precompilePrologue(prologue);
        if (!prologue.prologueInclude.empty()) settings.check.prologueHeader = settings.scratch + "/prologue/prologue.hpp";
        settings.check.secondCompiler = prologue.secondCompiler;
    }
    Mutator mutator(loadCorpus(settings.corpus));
    log << "velc " << settings.check.velc << (settings.check.sanitized ? " (ASan, UBSan)" : "") << ", "
        << mutator.corpusSize() << " programs to mutate, seeds from " << settings.firstSeed << "\n"
        << std::flush;

    CampaignResult result;
    std::mutex lock;
    std::atomic<int> next{0};
    auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    auto worker = [&](int job) {
        std::string workDir = settings.scratch + "/job-" + std::to_string(job);
        for (;;) {
            int i = next++;
            if ((settings.count > 0 && i >= settings.count) || (settings.seconds > 0 && elapsed() >= settings.seconds))
                break;
            std::uint64_t seed = settings.firstSeed + std::uint64_t(i);
            FuzzCase input = mutator.make(seed);
            auto finding = checkCase(settings.check, input, workDir);
            std::lock_guard<std::mutex> guard(lock);
            ++result.inputs;
            if (!finding) continue;
            ++result.findings;
            auto &signature = result.signatures[signatureOf(*finding)];
            if (signature.count++ == 0) {
                signature.firstSeed = seed;
                log << "seed " << seed << ": " << signatureOf(*finding) << "\n  input: " << input.origin << "\n"
                    << std::flush;
            }
            if (signature.count <= settings.keptPerSignature) {
                std::string into = settings.findings + "/seed-" + std::to_string(seed);
                keep(workDir, into, input, seed, *finding);
                if (signature.count == 1) signature.keptIn = into;
            }
        }
        fs::remove_all(workDir);
    };
    std::vector<std::thread> threads;
    for (int j = 0; j < std::max(1, settings.jobs); ++j) threads.emplace_back(worker, j);
    for (auto &t : threads) t.join();
    result.seconds = elapsed();
    return result;
}

std::string summary(const CampaignResult &result) {
    std::ostringstream out;
    out << result.inputs << " inputs in " << int(result.seconds) << " s: " << result.findings << " findings of "
        << result.signatures.size() << " kinds\n";
    for (const auto &s : result.signatures)
        out << "  " << s.second.count << " x " << s.first << "\n    first: seed " << s.second.firstSeed
            << " (velc_fuzz show " << s.second.firstSeed << " DIR), kept in " << s.second.keptIn << "\n";
    return out.str();
}

}  // namespace fuzz
