#include "program_generator.hpp"
#include "generator.hpp"
#include "program_pieces.hpp"

#include <algorithm>
#include <stdexcept>

namespace soundness {
namespace generation {

Generator::Generator(std::uint64_t seed, const GeneratorOptions &options) : rng(seed), opt(options) {
    tricky = namesKnownToCpp();
    std::shuffle(tricky.begin(), tricky.end(), rng);
}

std::vector<SP> Generator::program() {
    scopes.emplace_back();
    std::vector<SP> body;
    int declarations = 3 + pick(4);
    for (int i = 0; i < declarations; ++i) declaration(body, true);
    int statements = 2 + pick(opt.topStatements);
    for (int i = 0; i < statements; ++i) statement(body, 0, false);
    // The last statement prints every variable that is still visible.
    auto last = std::make_shared<Stmt>();
    last->kind = SK::Print;
    for (auto &v : scopes.back())
        if (printable(v.type)) last->exprs.push_back(name(v.name, v.type));
    if (!last->exprs.empty()) body.push_back(last);
    return body;
}

std::string Generator::freshName() {
    if (opt.trickyNames && trickyUsed < tricky.size() && chance(30)) return tricky[trickyUsed++];
    static const char *const stems[] = {"v", "n", "total", "item", "acc", "w", "tmp", "k"};
    return std::string(stems[pick(8)]) + std::to_string(++counter);
}

std::vector<Generator::VarInfo> Generator::visible(std::function<bool(const VarInfo &)> test) {
    std::vector<VarInfo> out;
    for (auto &s : scopes)
        for (auto &v : s)
            if (test(v)) out.push_back(v);
    return out;
}

std::vector<Generator::VarInfo> Generator::visibleOf(Ty t) {
    return visible([t](const VarInfo &v) { return v.type == t; });
}

EP Generator::someName(Ty t, int percent) {
    auto vs = visibleOf(t);
    return !vs.empty() && chance(percent) ? name(oneOf(vs).name, t) : nullptr;
}

std::vector<Generator::VarInfo> Generator::assignableOf(Ty t) {
    return visible([&](const VarInfo &v) { return v.type == t && !v.readOnly && !frozen.count(v.name); });
}

void Generator::declare(const std::string &n, Ty t, bool readOnly, int length) {
    scopes.back().push_back({n, t, readOnly, length});
    types[n] = t;
}

}  // namespace generation

using generation::Generator;
using namespace model;

GeneratedProgram generateProgram(std::uint64_t seed, const GeneratorOptions &options) {
    GeneratedProgram result;
    result.seed = seed;
    if (options.diagnosticEvery > 0 && seed % std::uint64_t(options.diagnosticEvery) == 0) {
        DiagnosticCase c = voidValueCase(seed);
        result.source = c.source;
        result.expectedMessage = c.message;
        return result;
    }
    // Several attempts: the first program whose run the interpreter can
    // follow to the end is taken.
    for (int attempt = 0; attempt < 40; ++attempt) {
        Generator g(seed * 1000003ULL + std::uint64_t(attempt) * 7919ULL + 17, options);
        std::vector<SP> body = g.program();
        std::string source;
        renderBlock(body, 0, source);
        Interpreter run;
        run.types = g.types;
        for (auto &e : g.hiddenValues) run.vars[e.first] = mkI(e.second);
        std::set<std::string> taken;
        for (auto &t : g.types) taken.insert(t.first);
        std::mt19937_64 pieceRandom(seed * 31 + std::uint64_t(attempt));
        Piece pieces = writePieces(pieceRandom, taken, options.trickyNames,
                                   options.pieces > 0 ? 1 + int(pieceRandom() % unsigned(options.pieces)) : 0);
        result.source = source + pieces.text;
        try {
            run.run(body);
        } catch (Unpredictable &) {
            result.outputKnown = false;
            continue;
        } catch (BreakSignal &) {
            throw std::logic_error("break outside a loop");
        }
        result.expected = run.output + pieces.expected;
        result.outputKnown = true;
        break;
    }
    if (options.plantWrongOutput) result.expected += "a line the program never prints\n";
    return result;
}

}  // namespace soundness
