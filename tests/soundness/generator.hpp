#pragma once

// The generator of random programs, shared by its files: the names in
// scope and the choices (program_generator.cpp), expressions
// (generator_expressions.cpp), declarations and simple statements
// (generator_statements.cpp) and the control structures
// (generator_control.cpp). Each choice draws from one random sequence, so
// the order of the draws is what makes a seed's program.

#include "program_generator.hpp"
#include "program_model.hpp"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace soundness {
namespace generation {

using namespace model;

inline constexpr const char *wordPool[] = {"alpha", "beta", "gamma", "delta", "pear", "plum", "kiwi", "fig", "rose",
                                           "oak",   "elm",  "ash",   "ivy",   "sun",  "moon", "star", "mor",  "ab"};

class Generator {
public:
    Generator(std::uint64_t seed, const GeneratorOptions &options);

    // The statements of a whole program, ending with a print of every
    // variable still visible.
    std::vector<SP> program();

    std::map<std::string, Ty> types;  // every name declared, for the interpreter
    std::vector<std::pair<std::string, int>> hiddenValues;  // enumeration items

private:
    struct VarInfo {
        std::string name;
        Ty type;
        bool readOnly;
        int length;  // container or text length known when it was declared (a hint for indexes)
    };

    std::mt19937_64 rng;
    GeneratorOptions opt;
    std::vector<std::string> tricky;
    size_t trickyUsed = 0;
    int counter = 0;
    std::vector<std::vector<VarInfo>> scopes;
    std::set<std::string> frozen;  // names the current loop body must not assign
    int loopDepth = 0;
    bool continueOk = true;  // false in the case clauses of a do (a continue there would skip the counter)

    std::set<std::string> loopVars;
    // Containers a for loop is walking: their cursor is their own, so a
    // loop inside over the same one would end the outer loop too.
    std::set<std::string> iterating;
    std::map<std::string, std::string> declaredWord;  // the type word of each declared variable
    bool skipped(const char *what) const { return opt.skip.count(what) > 0; }

    int pick(int n) { return n <= 1 ? 0 : int(rng() % unsigned(n)); }
    bool chance(int percent) { return pick(100) < percent; }

    std::string freshName();
    std::vector<VarInfo> visible(std::function<bool(const VarInfo &)> test);
    std::vector<VarInfo> visibleOf(Ty t);
    template <class T> const T &oneOf(const std::vector<T> &v) { return v[pick(int(v.size()))]; }
    // A visible variable of type t, `percent` times in a hundred when there is one; else null.
    EP someName(Ty t, int percent);
    std::vector<VarInfo> assignableOf(Ty t);

    static bool printable(Ty t) { return t != Ty::Char; }

    void declare(const std::string &n, Ty t, bool readOnly, int length = 0);

    // ------------------------------------------------ expressions

    static EP node(EK kind, Ty t, std::string text, std::vector<EP> kids = {}) {
        auto e = std::make_shared<Expr>();
        e->kind = kind;
        e->type = t;
        e->text = std::move(text);
        e->kids = std::move(kids);
        return e;
    }
    static EP lit(Ty t, const std::string &text, Val v) {
        EP e = node(EK::Lit, t, text);
        e->lit = std::move(v);
        return e;
    }
    static EP quoted(const std::string &s) { return lit(Ty::Text, "\"" + s + "\"", mkS(s)); }
    static EP name(const std::string &n, Ty t) { return node(EK::Name, t, n); }
    static EP unary(const std::string &op, EP k, Ty t) { return node(EK::Unary, t, op, {std::move(k)}); }
    static EP binary(const std::string &op, EP a, EP b, Ty t) { return node(EK::Binary, t, op, {std::move(a), std::move(b)}); }
    static EP paren(EP k) { return node(EK::Paren, k->type, "", {k}); }
    // name[index], read as a value of type t.
    static EP indexExpr(const std::string &name, Ty t, EP index) { return node(EK::Index, t, name, {std::move(index)}); }

    EP intLit(int lo, int hi);
    EP smallIndex(int length);
    EP intExpr(int depth);
    // An expression of type real exactly (not number): a real literal or
    // variable, or an integer.
    EP realElement();
    EP realLit();
    EP realExpr(int depth);
    std::string plainWords(int maxWords);
    EP textLit();
    EP textExpr(int depth);
    EP sliceOf(const VarInfo &v, Ty t);
    EP interpolation();
    EP boolExpr(int depth);
    EP containment(int depth);
    EP natExpr(int depth);
    EP exprOf(Ty t, int depth);
    // Any printable thing.
    EP printItem();

    // ------------------------------------------------ statements

    SP stmt(SK k) {
        auto s = std::make_shared<Stmt>();
        s->kind = k;
        return s;
    }

    EP containerLiteral(Ty t, int &length);
    void declaration(std::vector<SP> &body, bool topLevel);
    void enumeration(std::vector<SP> &body);
    std::vector<SP> block(int depth, bool inLoop);
    SP assignment(const std::string &target, EP value);
    SP printStatement();

    // While a loop's body is written: the loop's own names stay unassigned,
    // and a continue is allowed (a case clause of a do forbids it again).
    class LoopBody {
    public:
        LoopBody(Generator &generator, std::vector<std::string> names)
            : g(generator), frozenNames(std::move(names)), keptContinue(generator.continueOk) {
            for (auto &n : frozenNames) g.frozen.insert(n);
            ++g.loopDepth;
            g.continueOk = true;
        }
        ~LoopBody() {
            g.continueOk = keptContinue;
            --g.loopDepth;
            for (auto &n : frozenNames) g.frozen.erase(n);
        }
        std::vector<SP> block(int depth) { return g.block(depth, true); }

    private:
        Generator &g;
        std::vector<std::string> frozenNames;
        bool keptContinue;
    };

    SP simpleStatement(bool inLoop);
    void statement(std::vector<SP> &body, int depth, bool inLoop);

    // ------------------------------------------------ control structures

    // A range of case values from one of the first `starts` integers on,
    // `shortest` to `shortest + spread` wide.
    EP caseRange(int starts, int shortest, int spread);
    void compositeIf(std::vector<SP> &body, int depth, bool inLoop);
    void counted(std::vector<SP> &body, int depth, SK kind);
    void forRange(std::vector<SP> &body, int depth);
    void forEach(std::vector<SP> &body, int depth);
    void switchStatement(std::vector<SP> &body, int depth, bool inLoop);
};

}  // namespace generation
}  // namespace soundness
