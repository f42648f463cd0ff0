#include "program_generator.hpp"
#include "program_model.hpp"
#include "program_pieces.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace soundness {
namespace {

using namespace model;

// ---------------------------------------------------------------- generator

const char *const wordPool[] = {"alpha", "beta", "gamma", "delta", "pear", "plum", "kiwi", "fig", "rose",
                                "oak",   "elm",  "ash",   "ivy",   "sun",  "moon", "star", "mor",  "ab"};

class Generator {
public:
    Generator(std::uint64_t seed, const GeneratorOptions &options) : rng(seed), opt(options) {
        tricky = namesKnownToCpp();
        std::shuffle(tricky.begin(), tricky.end(), rng);
    }

    std::vector<SP> program() {
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

    std::map<std::string, Ty> types;  // every name declared, for the interpreter

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

    std::string freshName() {
        if (opt.trickyNames && trickyUsed < tricky.size() && chance(30)) return tricky[trickyUsed++];
        static const char *const stems[] = {"v", "n", "total", "item", "acc", "w", "tmp", "k"};
        return std::string(stems[pick(8)]) + std::to_string(++counter);
    }

    std::vector<VarInfo> visible(std::function<bool(const VarInfo &)> test) {
        std::vector<VarInfo> out;
        for (auto &s : scopes)
            for (auto &v : s)
                if (test(v)) out.push_back(v);
        return out;
    }
    std::vector<VarInfo> visibleOf(Ty t) {
        return visible([t](const VarInfo &v) { return v.type == t; });
    }
    template <class T> const T &oneOf(const std::vector<T> &v) { return v[pick(int(v.size()))]; }
    // A visible variable of type t, `percent` times in a hundred when there is one; else null.
    EP someName(Ty t, int percent) {
        auto vs = visibleOf(t);
        return !vs.empty() && chance(percent) ? name(oneOf(vs).name, t) : nullptr;
    }
    std::vector<VarInfo> assignableOf(Ty t) {
        return visible([&](const VarInfo &v) { return v.type == t && !v.readOnly && !frozen.count(v.name); });
    }

    static bool printable(Ty t) { return t != Ty::Char; }

    void declare(const std::string &n, Ty t, bool readOnly, int length = 0) {
        scopes.back().push_back({n, t, readOnly, length});
        types[n] = t;
    }

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

    EP intLit(int lo, int hi) {
        int v = lo + pick(hi - lo + 1);
        if (v < 0) return unary("-", intLit(-v, -v), Ty::Int);
        return lit(Ty::Int, std::to_string(v), mkI(v));
    }

    EP smallIndex(int length) {
        int hi = std::max(0, length - 1);
        if (chance(70)) return intLit(0, hi);
        auto ints = visibleOf(Ty::Int);
        if (!ints.empty() && chance(50)) {
            auto v = oneOf(ints);
            return paren(binary("mod", name(v.name, Ty::Int), intLit(hi + 1, hi + 1), Ty::Int));
        }
        return intLit(0, hi + 1);
    }

    EP intExpr(int depth) {
        int r = pick(100);
        if (depth <= 0 || r < 30) {
            if (EP v = someName(Ty::Int, 60)) return v;
            auto arrs = visibleOf(Ty::IntArr);
            if (!arrs.empty() && chance(25)) {
                auto a = oneOf(arrs);
                return indexExpr(a.name, Ty::Int, smallIndex(a.length));
            }
            return chance(85) ? intLit(0, 20) : intLit(0, 40000);
        }
        if (r < 40) {
            static const char *const ops[] = {"-", "+", "~"};
            return unary(ops[pick(3)], intExpr(depth - 1), Ty::Int);
        }
        if (r < 47) return paren(intExpr(depth - 1));
        static const char *const ops[] = {"+", "-", "*", "mod", "&", "|", "^", "<<", ">>", "+", "-", "*"};
        std::string op = ops[pick(12)];
        EP b = (op == "<<" || op == ">>") ? intLit(0, 6) : op == "mod" ? intLit(1, 9) : intExpr(depth - 1);
        if (op == "mod" && chance(30)) b = intExpr(depth - 1);
        return binary(op, intExpr(depth - 1), b, Ty::Int);
    }

    // An expression of type real exactly (not number): a real literal or
    // variable, or an integer.
    EP realElement() {
        auto reals = visible([&](const VarInfo &v) { return v.type == Ty::Real && declaredWord[v.name] == "real"; });
        if (!reals.empty() && chance(40)) return name(oneOf(reals).name, Ty::Real);
        if (chance(30)) return intExpr(1);
        return realLit();
    }

    EP realLit() {
        static const char *const lits[] = {"0.5", "2.5", "0.75", "1.25", "3.0", "10.5", "100.25", "0.125"};
        std::string t = lits[pick(8)];
        return lit(Ty::Real, t, mkR(std::stod(t)));
    }

    EP realExpr(int depth) {
        int r = pick(100);
        if (depth <= 0 || r < 30) {
            if (EP v = someName(Ty::Real, 60)) return v;
            return realLit();
        }
        if (r < 50) return binary("/", intExpr(depth - 1), intExpr(depth - 1), Ty::Real);
        if (r < 58) return unary("-", realExpr(depth - 1), Ty::Real);
        static const char *const ops[] = {"+", "-", "*", "/"};
        std::string op = ops[pick(4)];
        EP a = realExpr(depth - 1);
        EP b = chance(30) ? intExpr(depth - 1) : realExpr(depth - 1);
        if (chance(20)) std::swap(a, b);
        return binary(op, a, b, Ty::Real);
    }

    std::string plainWords(int maxWords) {
        std::string out;
        int n = 1 + pick(maxWords);
        for (int i = 0; i < n; ++i) {
            if (i) out += chance(80) ? " " : chance(50) ? "-" : ", ";
            out += wordPool[pick(int(sizeof wordPool / sizeof *wordPool))];
        }
        if (chance(8)) out += " #" + std::to_string(pick(10));
        if (chance(8)) out += "!";
        return out;
    }

    EP textLit() {
        std::string s = chance(10) ? "" : plainWords(3);
        if (chance(15)) return lit(Ty::Text, "'" + s + "'", mkS(s));
        return quoted(s);
    }

    EP textExpr(int depth) {
        int r = pick(100);
        auto texts = visibleOf(Ty::Text);
        if (depth <= 0 || r < 35) {
            if (!texts.empty() && chance(60)) return name(oneOf(texts).name, Ty::Text);
            return textLit();
        }
        if (r < 55) return binary("+", textExpr(depth - 1), textExpr(depth - 1), Ty::Text);
        if (r < 70 && !texts.empty()) {
            auto t = oneOf(texts);
            return indexExpr(t.name, Ty::Text, smallIndex(t.length));
        }
        if (r < 82 && !texts.empty()) return sliceOf(oneOf(texts), Ty::Text);
        if (r < 92) return interpolation();
        auto tas = visibleOf(Ty::TextArr);
        if (!tas.empty()) {
            auto t = oneOf(tas);
            return indexExpr(t.name, Ty::Text, smallIndex(t.length));
        }
        return textLit();
    }

    EP sliceOf(const VarInfo &v, Ty t) {
        EP e = node(EK::Slice, t, v.name);
        int len = std::max(1, v.length);
        int lo = pick(len);
        int hi = lo + pick(len - lo);
        e->inclusive = chance(70);
        if (!e->inclusive) hi = std::min(len, hi + 1);
        e->loOmitted = lo == 0 && chance(40);
        e->hiOmitted = chance(20);
        e->kids = {intLit(lo, lo), intLit(hi, hi)};
        return e;
    }

    EP interpolation() {
        EP e = node(EK::Interp, Ty::Text, "");
        bool constants = !skipped("constants-in-text");
        auto refs = visible([&](const VarInfo &v) {
            bool simple = v.type == Ty::Int || v.type == Ty::Text;
            return (simple || chance(40)) && (constants || !v.readOnly || loopVars.count(v.name));
        });
        e->parts.push_back({false, wordPool[pick(10)] + std::string(chance(50) ? " " : "=")});
        int n = 1 + pick(2);
        for (int i = 0; i < n && !refs.empty(); ++i) {
            e->parts.push_back({true, oneOf(refs).name});
            e->parts.push_back({false, chance(50) ? " " : chance(50) ? ", " : "! "});
        }
        if (refs.empty()) return textLit();
        return e;
    }

    EP boolExpr(int depth) {
        int r = pick(100);
        if (depth <= 0 || r < 12) {
            if (EP v = someName(Ty::Bool, 60)) return v;
            if (chance(30)) return chance(50) ? lit(Ty::Bool, "true", mkB(true)) : lit(Ty::Bool, "false", mkB(false));
            return binary("<", intExpr(1), intExpr(1), Ty::Bool);
        }
        if (r < 40) {
            static const char *const ops[] = {"=", "!=", "<>", "<", ">", "<=", ">="};
            EP a = chance(75) ? intExpr(depth - 1) : realExpr(depth - 1);
            EP b = chance(75) ? intExpr(depth - 1) : realExpr(depth - 1);
            return binary(ops[pick(7)], a, b, Ty::Bool);
        }
        if (r < 48) {
            static const char *const ops[] = {"=", "!=", "<>"};
            return binary(ops[pick(3)], textExpr(depth - 1), textExpr(depth - 1), Ty::Bool);
        }
        if (r < 60) {
            EP e = node(EK::InRange, Ty::Bool, "");
            e->negated = chance(25);
            e->inclusive = chance(60);
            e->kids = {intExpr(depth - 1), intExpr(depth - 1), intExpr(depth - 1)};
            return e;
        }
        if (r < 72) return containment(depth);
        if (r < 80) return unary("not", boolExpr(depth - 1), Ty::Bool);
        if (r < 85) return paren(boolExpr(depth - 1));
        return binary(chance(50) ? "and" : "or", boolExpr(depth - 1), boolExpr(depth - 1), Ty::Bool);
    }

    EP containment(int depth) {
        EP e = node(EK::InCont, Ty::Bool, "");
        e->negated = chance(25);
        int r = pick(5);
        std::vector<VarInfo> c;
        if (r == 0 && !(c = visibleOf(Ty::IntArr)).empty()) {
            e->kids = {intExpr(depth - 1), name(oneOf(c).name, Ty::IntArr)};
        } else if (r == 1 && !(c = visibleOf(Ty::TextArr)).empty()) {
            e->kids = {textExpr(depth - 1), name(oneOf(c).name, Ty::TextArr)};
        } else if (r == 2 && !(c = visibleOf(Ty::Dict)).empty()) {
            e->kids = {textLit(), name(oneOf(c).name, Ty::Dict)};
        } else if (r == 3 && !(c = visibleOf(Ty::Array)).empty()) {
            e->kids = {chance(50) ? intExpr(depth - 1) : textLit(), name(oneOf(c).name, Ty::Array)};
        } else {
            auto texts = visibleOf(Ty::Text);
            EP container = !texts.empty() && chance(70) ? name(oneOf(texts).name, Ty::Text) : textLit();
            EP item = chance(60) ? quoted(wordPool[pick(18)]) : textExpr(depth - 1);
            e->kids = {item, container};
        }
        return e;
    }

    EP natExpr(int depth) {
        auto nats = visibleOf(Ty::Natural);
        if (depth <= 0 || chance(40)) {
            if (!nats.empty() && chance(60)) return name(oneOf(nats).name, Ty::Natural);
            unsigned long long v = chance(70) ? unsigned(pick(50)) : 1000000000ULL * unsigned(1 + pick(9000));
            return lit(Ty::Natural, std::to_string(v) + "n", mkN(v));
        }
        return binary(chance(60) ? "+" : "*", natExpr(depth - 1), natExpr(depth - 1), Ty::Natural);
    }

    EP exprOf(Ty t, int depth) {
        switch (t) {
        case Ty::Int: return intExpr(depth);
        case Ty::Real: return chance(70) ? realExpr(depth) : intExpr(depth);
        case Ty::Bool: return boolExpr(depth);
        case Ty::Text: return textExpr(depth);
        case Ty::Natural: return natExpr(depth);
        default: throw std::logic_error("no expression of this type");
        }
    }

    // Any printable thing.
    EP printItem() {
        int r = pick(100);
        if (r < 25) return intExpr(2);
        if (r < 37) return realExpr(2);
        if (r < 50) return boolExpr(2);
        if (r < 68) return textExpr(2);
        if (r < 73) return natExpr(2);
        auto any = visible([](const VarInfo &v) { return printable(v.type); });
        if (any.empty()) return intExpr(1);
        auto v = oneOf(any);
        if ((v.type == Ty::Array || v.type == Ty::IntArr || v.type == Ty::TextArr || v.type == Ty::RealArr) &&
            chance(40)) {
            if (chance(50)) return sliceOf(v, v.type);
            return indexExpr(v.name, v.type == Ty::IntArr ? Ty::Int : v.type == Ty::TextArr ? Ty::Text : Ty::Var, smallIndex(v.length + (chance(10) ? 2 : 0)));
        }
        if (v.type == Ty::Dict && chance(30)) {  // a key range
            std::string from = wordPool[pick(6)], to = wordPool[pick(6)];
            return node(EK::KeyRange, Ty::Dict, v.name, {quoted(from), quoted(to)});
        }
        if (v.type == Ty::Dict && chance(50)) {
            std::string k = wordPool[pick(6)];
            return indexExpr(v.name, Ty::Var, quoted(k));
        }
        return name(v.name, v.type);
    }

    // ------------------------------------------------ statements

    SP stmt(SK k) {
        auto s = std::make_shared<Stmt>();
        s->kind = k;
        return s;
    }

    EP containerLiteral(Ty t, int &length) {
        EP e = node(EK::Lit, t, "");
        length = pick(5);
        std::string text = t == Ty::Dict ? "{" : "[";
        Val v = t == Ty::Dict ? mkD() : mkA();
        std::set<std::string> keys;
        for (int i = 0; i < length; ++i) {
            std::string item;
            Val x;
            if (t == Ty::IntArr || ((t == Ty::Array || t == Ty::Dict) && chance(40))) {
                int n = pick(30) - (t == Ty::IntArr ? 5 : 0);
                item = std::to_string(n);
                x = mkI(n);
            } else if (t == Ty::RealArr || (t == Ty::Array && chance(40))) {
                static const char *const lits[] = {"2.5", "0.75", "1.5", "10.25"};
                item = lits[pick(4)];
                x = mkR(std::stod(item));
            } else if (t == Ty::NatArr) {
                unsigned n = unsigned(pick(100));
                item = std::to_string(n) + "n";
                x = mkN(n);
            } else {
                std::string w = wordPool[pick(18)];
                item = "\"" + w + "\"";
                x = mkS(w);
            }
            if (t == Ty::Dict) {
                std::string key = wordPool[pick(6)];
                if (keys.count(key)) continue;
                keys.insert(key);
                text += std::string(v.d.empty() ? "" : ", ") + "\"" + key + "\": " + item;
                v.d.push_back({mkS(key), x});
            } else {
                text += std::string(v.a.empty() ? "" : ", ") + item;
                v.a.push_back(x);
            }
        }
        length = int(t == Ty::Dict ? v.d.size() : v.a.size());
        e->text = text + (t == Ty::Dict ? "}" : "]");
        e->lit = v;
        return e;
    }

    void declaration(std::vector<SP> &body, bool topLevel) {
        static const struct {
            Ty type;
            const char *word;
        } kinds[] = {{Ty::Int, "int"},       {Ty::Int, "integer"},     {Ty::Real, "real"},     {Ty::Real, "number"},
                     {Ty::Bool, "bool"},     {Ty::Text, "text"},       {Ty::Text, "text"},     {Ty::Natural, "natural"},
                     {Ty::Byte, "byte"},     {Ty::Var, "var"},         {Ty::CString, "cstring"}, {Ty::Char, "char"},
                     {Ty::Array, "array"},   {Ty::Dict, "dict"},       {Ty::IntArr, "int[]"},  {Ty::TextArr, "text[]"},
                     {Ty::RealArr, "real[]"}, {Ty::RealArr, "number[]"}, {Ty::NatArr, "natural[]"}, {Ty::Int, "int"}};
        auto k = kinds[pick(int(sizeof kinds / sizeof *kinds))];
        auto s = stmt(SK::Decl);
        s->keyword = k.word;
        std::string n = freshName();
        declaredWord[n] = k.word;
        s->names.push_back(n);
        int length = 0;
        EP init;
        switch (k.type) {
        case Ty::Int:
        case Ty::Real:
        case Ty::Bool:
        case Ty::Natural: init = exprOf(k.type, 2); break;
        case Ty::Text: init = textExpr(2); break;
        case Ty::Byte: init = intLit(0, 255); break;
        case Ty::Var:
            init = chance(40) ? intLit(-5, 50) : chance(50) ? textLit() : realExpr(0);
            break;
        case Ty::CString: init = textLit(); break;
        case Ty::Char: {
            auto texts = visibleOf(Ty::Text);
            if (!texts.empty() && chance(40)) {  // a character taken from a text
                auto t = oneOf(texts);
                auto e = indexExpr(t.name, Ty::Text, intLit(0, std::max(0, t.length - 1)));
                init = e;
                break;
            }
            std::string c(1, char('a' + pick(26)));
            init = lit(Ty::Char, "\"" + c + "\"", mkS(c));
            break;
        }
        default: init = containerLiteral(k.type, length); break;
        }
        if (k.type == Ty::Text && init->kind == EK::Lit) length = int(init->lit.s.size());
        if (k.type == Ty::Text && init->kind == EK::Name) {
            for (auto &sc : scopes)
                for (auto &v : sc)
                    if (v.name == init->text) length = v.length;
        }
        bool withoutValue = !topLevel && chance(10) && k.type != Ty::Char && k.type != Ty::CString;
        // A constant of a simple type, now and then.
        if ((k.type == Ty::Int || k.type == Ty::Text) && chance(12)) s->isConst = true;
        s->exprs.push_back(withoutValue && !s->isConst ? nullptr : init);
        bool readOnly = s->isConst || k.type == Ty::Char;
        // A second declarator of the same type in the same statement.
        if (!s->isConst && (k.type == Ty::Int || k.type == Ty::Real) && chance(15)) {
            std::string m = freshName();
            s->names.push_back(m);
            s->exprs.push_back(exprOf(k.type, 1));
            body.push_back(s);
            declare(n, k.type, readOnly, length);
            declare(m, k.type, false);
        } else {
            body.push_back(s);
            declare(n, k.type, readOnly, length);
        }
        if (!s->exprs[0]) {  // give it a value before anything reads it
            EP value;
            if (isContainer(k.type)) value = containerLiteral(k.type, scopes.back().back().length);
            else if (k.type == Ty::Byte || k.type == Ty::Var) value = intLit(0, 99);
            else value = exprOf(k.type, 1);
            body.push_back(assignment(n, value));
        }
        if (k.type == Ty::Char || k.type == Ty::CString) {
            auto p = stmt(SK::Print);
            p->exprs = {name(n, k.type)};
            body.push_back(p);
        }
    }

    void enumeration(std::vector<SP> &body) {
        auto s = stmt(SK::Enum);
        s->flag = chance(40);
        int value = 0, items = 1 + pick(4);
        for (int i = 0; i < items; ++i) {
            std::string n = freshName();
            std::string given;
            if (chance(30)) {
                value = value + pick(20);
                given = std::to_string(value);
            }
            s->enumItems.push_back({n, given});
            declare(n, Ty::Int, true);
            hiddenValues.push_back({n, value});
            ++value;
        }
        body.push_back(s);
    }

public:
    std::vector<std::pair<std::string, int>> hiddenValues;  // enumeration items

private:
    std::vector<SP> block(int depth, bool inLoop) {
        scopes.emplace_back();
        std::vector<SP> body;
        int n = 1 + pick(depth > 1 ? 2 : 3);
        for (int i = 0; i < n; ++i) statement(body, depth, inLoop);
        scopes.pop_back();
        return body;
    }

    SP assignment(const std::string &target, EP value) {
        auto s = stmt(SK::Assign);
        s->names = {target};
        s->exprs = {std::move(value)};
        return s;
    }

    SP printStatement() {
        auto s = stmt(SK::Print);
        s->exprs = {printItem()};
        return s;
    }

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

    SP simpleStatement(bool inLoop) {
        int r = pick(100);
        if (inLoop && r < 8) return stmt(chance(50) || !continueOk ? SK::Break : SK::Continue);
        if (r < 45) {
            auto s = stmt(chance(85) ? SK::Print : SK::Echo);
            int n = s->kind == SK::Print && chance(4) ? 0 : 1 + pick(3);  // "print" alone ends the line
            for (int i = 0; i < n; ++i) s->exprs.push_back(printItem());
            return s;
        }
        static const Ty targets[] = {Ty::Int, Ty::Int, Ty::Real, Ty::Text, Ty::Bool, Ty::Natural};
        Ty t = targets[pick(6)];
        auto vs = assignableOf(t);
        if (vs.empty()) return printStatement();
        auto v = oneOf(vs);
        if (r < 70) return assignment(v.name, exprOf(t, 2));
        auto s = stmt(SK::Compound);
        s->names = {v.name};
        if (t == Ty::Int) {
            static const char *const ops[] = {"+", "-", "*", "mod", "&", "|", "^", "<<", ">>", "/"};
            s->keyword = ops[pick(10)];
            s->exprs = {s->keyword == "<<" || s->keyword == ">>" ? intLit(0, 4)
                        : s->keyword == "mod" || s->keyword == "/" ? intLit(1, 7)
                                                                      : intExpr(1)};
        } else if (t == Ty::Real) {
            static const char *const ops[] = {"+", "-", "*", "/"};
            s->keyword = ops[pick(4)];
            s->exprs = {realExpr(1)};
        } else if (t == Ty::Text) {
            s->keyword = "+";
            s->exprs = {textExpr(1)};
        } else if (t == Ty::Natural) {
            s->keyword = chance(70) ? "+" : "*";
            s->exprs = {natExpr(0)};
        } else {
            s = assignment(v.name, boolExpr(2));
        }
        return s;
    }

    void statement(std::vector<SP> &body, int depth, bool inLoop) {
        int r = pick(100);
        bool nest = depth < opt.maxDepth;
        if (r < 28) {
            body.push_back(simpleStatement(inLoop));
        } else if (r < 34) {
            if (loopDepth > 0 && skipped("declarations-in-loops")) body.push_back(simpleStatement(inLoop));
            else declaration(body, false);
        } else if (r < 38) {
            if (depth == 0) enumeration(body);
            else body.push_back(simpleStatement(inLoop));
        } else if (r < 44 && !skipped("multiple-assignment")) {  // multiple assignment
            static const Ty ts[] = {Ty::Int, Ty::Text, Ty::Real};
            Ty t = ts[pick(3)];
            auto vs = assignableOf(t);
            if (vs.size() < 2) return body.push_back(simpleStatement(inLoop));
            std::shuffle(vs.begin(), vs.end(), rng);
            auto s = stmt(SK::Assign);
            size_t n = std::min<size_t>(vs.size(), 2 + pick(2));
            for (size_t i = 0; i < n; ++i) s->names.push_back(vs[i].name);
            if (chance(60)) {  // a rotation: a, b = b, a
                for (size_t i = 0; i < n; ++i) s->exprs.push_back(name(vs[(i + 1) % n].name, t));
            } else {
                for (size_t i = 0; i < n; ++i) s->exprs.push_back(exprOf(t, 1));
            }
            body.push_back(s);
        } else if (r < 50) {  // element assignment
            auto cs = visible([&](const VarInfo &v) {
                return (isContainer(v.type) || v.type == Ty::Text) && !v.readOnly && !frozen.count(v.name);
            });
            if (cs.empty()) return body.push_back(simpleStatement(inLoop));
            auto c = oneOf(cs);
            if (isTypedArray(c.type) && (chance(30) || c.type == Ty::RealArr || c.type == Ty::NatArr)) {  // append
                EP item;
                // Another array of the same declared type, or itself.
                std::string word = declaredWord[c.name];
                auto same = visible([&](const VarInfo &v) { return v.type == c.type && declaredWord[v.name] == word; });
                if (chance(25) && !same.empty()) item = name(oneOf(same).name, c.type);
                else if (c.type == Ty::IntArr) item = intExpr(1);
                else if (c.type == Ty::TextArr) item = chance(50) ? textLit() : textExpr(1);
                else if (c.type == Ty::RealArr && word == "number[]") item = realExpr(1);
                else if (c.type == Ty::RealArr) item = realElement();  // a real[] takes reals and integers only
                else item = natExpr(1);
                if (chance(35)) {  // xs = xs + item
                    return body.push_back(assignment(c.name, binary("+", name(c.name, c.type), item, c.type)));
                }
                auto s = stmt(SK::Compound);
                s->names = {c.name};
                s->keyword = "+";
                s->exprs = {item};
                return body.push_back(s);
            }
            if ((c.type == Ty::Text || c.type == Ty::IntArr || c.type == Ty::TextArr || c.type == Ty::Array) &&
                chance(25)) {  // slice assignment
                auto s = stmt(SK::SliceSet);
                EP target = sliceOf(c, c.type);
                EP value;
                int len = 0;
                if (c.type == Ty::Text) value = textExpr(1);
                else if (c.type == Ty::IntArr) value = chance(60) ? containerLiteral(Ty::IntArr, len) : intExpr(1);
                else if (c.type == Ty::TextArr) value = chance(60) ? containerLiteral(Ty::TextArr, len) : textLit();
                else value = containerLiteral(Ty::Array, len);  // an array takes no single value by '='
                s->exprs = {target, value};
                return body.push_back(s);
            }
            auto s = stmt(SK::ElemSet);
            s->names = {c.name};
            EP key;
            if (c.type == Ty::Dict) {
                std::string k = wordPool[pick(8)];
                key = quoted(k);
            } else {
                key = smallIndex(c.length + 1);
            }
            EP value;
            if (c.type == Ty::IntArr) value = intExpr(1);
            else if (c.type == Ty::Text) {
                std::string ch(1, char('a' + pick(26)));
                value = quoted(ch);
            } else if (c.type == Ty::TextArr) value = textExpr(1);
            else value = chance(50) ? intExpr(1) : textLit();
            s->exprs = {key, value};
            body.push_back(s);
        } else if (!nest) {
            body.push_back(simpleStatement(inLoop));
        } else if (r < 58) {
            auto s = stmt(SK::If);
            s->exprs = {boolExpr(2)};
            s->body = block(depth + 1, inLoop);
            if ((s->hasElse = chance(50))) s->elseBody = block(depth + 1, inLoop);
            body.push_back(s);
        } else if (r < 63) {
            auto s = stmt(SK::OneLineIf);
            s->exprs = {boolExpr(2)};
            s->body = {simpleStatement(inLoop)};
            if ((s->hasElse = !skipped("one-line-else") && chance(12))) s->elseBody = {printStatement()};
            body.push_back(s);
        } else if (r < 67) {
            compositeIf(body, depth, inLoop);
        } else if (r < 73) {
            counted(body, depth, chance(70) ? (chance(35) ? SK::WhileLet : SK::While) : SK::Forever);
        } else if (r < 81) {
            forRange(body, depth);
        } else if (r < 86) {
            forEach(body, depth);
        } else if (r < 90) {
            counted(body, depth, chance(35) ? SK::DoCase : SK::Do);
        } else if (r < 96) {
            switchStatement(body, depth, inLoop);
        } else {
            auto s = stmt(SK::Try);
            s->body = block(depth + 1, inLoop);
            body.push_back(s);
        }
    }

    // A range of case values from one of the first `starts` integers on,
    // `shortest` to `shortest + spread` wide.
    EP caseRange(int starts, int shortest, int spread) {
        EP e = node(EK::InRange, Ty::Int, "");
        e->inclusive = chance(60);
        int lo = pick(starts);
        e->kids = {nullptr, intLit(lo, lo), intLit(lo + shortest + pick(spread), lo + shortest + spread)};
        return e;
    }

    void compositeIf(std::vector<SP> &body, int depth, bool inLoop) {
        auto texts = visibleOf(Ty::Text);
        if (!texts.empty() && chance(25)) {  // a text subject, compared with words
            auto s = stmt(SK::CompositeIf);
            s->exprs = {name(oneOf(texts).name, Ty::Text)};
            int n = 1 + pick(3);
            for (int i = 0; i < n; ++i) {
                static const char *const ops[] = {"=", "=", "!=", "<>"};
                std::string w = wordPool[pick(18)];
                Case c;
                c.values = {node(EK::Binary, Ty::Int, ops[pick(4)], {quoted(w)})};
                c.body = block(depth + 1, inLoop);
                s->cases.push_back(c);
            }
            if ((s->hasElse = chance(50))) s->elseBody = block(depth + 1, inLoop);
            return body.push_back(s);
        }
        auto s = stmt(SK::CompositeIf);
        EP subject = someName(Ty::Int, 80);
        s->exprs = {subject ? subject : intExpr(1)};
        int n = 1 + pick(3);
        for (int i = 0; i < n; ++i) {
            Case c;
            if (chance(25)) {
                c.values = {caseRange(20, 0, 10)};
            } else {
                static const char *const ops[] = {"=", "!=", "<", ">", "<=", ">="};
                std::string op = ops[pick(6)];
                c.values = {node(EK::Binary, Ty::Int, op, {intLit(0, 20)})};
            }
            c.body = block(depth + 1, inLoop);
            s->cases.push_back(c);
        }
        if ((s->hasElse = chance(50))) s->elseBody = block(depth + 1, inLoop);
        body.push_back(s);
    }

    void counted(std::vector<SP> &body, int depth, SK kind) {
        std::string counterName = freshName();
        auto d = stmt(SK::Decl);
        d->keyword = "int";
        d->names = {counterName};
        d->exprs = {intLit(0, 0)};
        body.push_back(d);
        declare(counterName, Ty::Int, false);
        auto s = stmt(kind);
        s->names = {counterName};
        s->number = 1 + pick(4);
        if (kind == SK::Do) {
            s->number = 1 + pick(6);
            s->flag = chance(15);  // "/do" alone: the body runs once
            if (chance(15)) {      // "/do forever" or "/do while forever", left by a break
                s->keyword = "forever";
                s->flag = chance(50);
            }
        }
        LoopBody loop(*this, {counterName});
        if (kind == SK::DoCase) {
            s->number = 1 + pick(6);
            int n = 1 + pick(3);
            continueOk = false;
            for (int i = 0; i < n; ++i) {
                Case c;
                if (chance(60)) {  // a test of the counter
                    static const char *const ops[] = {"=", "!=", "<", ">", "<=", ">="};
                    EP counter = name(counterName, Ty::Int);
                    if (chance(30)) counter = binary("mod", counter, intLit(2, 3), Ty::Int);
                    c.values = {binary(ops[pick(6)], counter, intLit(0, 6), Ty::Bool)};
                } else {
                    c.values = {boolExpr(1)};
                }
                c.body = block(depth + 1, true);
                s->cases.push_back(c);
            }
            if ((s->hasElse = chance(50))) {
                s->keyword = chance(50) ? "else" : "default";
                s->elseBody = block(depth + 1, true);
            }
            continueOk = true;
            if (chance(50)) s->always = block(depth + 1, true);
        } else {
            s->body = block(depth + 1, true);
            // A let clause right after an inner while-let would be taken as
            // that loop's second let clause.
            if (kind == SK::WhileLet && s->body.back()->kind == SK::WhileLet) s->body.push_back(printStatement());
        }
        body.push_back(s);
    }

    void forRange(std::vector<SP> &body, int depth) {
        auto s = stmt(SK::ForRange);
        std::string n = freshName();
        s->keyword = chance(60) ? "int" : "";
        s->names = {n};
        s->flag = chance(65);
        int step = chance(60) ? 0 : (1 + pick(3)) * (chance(35) ? -1 : 1);
        s->number = step;
        if (!skipped("int-max-loops") && chance(4)) {  // an end next to the largest int
            s->exprs = {intLit(2147483640 + pick(5), 2147483645), lit(Ty::Int, "2147483647", mkI(2147483647))};
            s->flag = true;
            if (step < 0) s->number = -step;
        } else {
            int lo = pick(8), hi = lo + pick(6);
            if (step < 0) std::swap(lo, hi);
            EP loE = intLit(lo, lo), hiE = intLit(hi, hi);
            auto ints = visible([&](const VarInfo &v) { return v.type == Ty::Int && v.readOnly; });
            if (!ints.empty() && chance(20)) hiE = name(oneOf(ints).name, Ty::Int);
            if (chance(15)) loE = binary("+", intLit(0, 2), intLit(0, 2), Ty::Int);
            s->exprs = {loE, hiE};
        }
        scopes.emplace_back();
        declare(n, Ty::Int, true);
        loopVars.insert(n);
        s->body = LoopBody(*this, {n}).block(depth + 1);
        scopes.pop_back();
        body.push_back(s);
    }

    void forEach(std::vector<SP> &body, int depth) {
        auto cs = visible([&](const VarInfo &v) {
            return (isContainer(v.type) || v.type == Ty::Text) && !iterating.count(v.name);
        });
        auto s = stmt(SK::ForEach);
        std::string n = freshName();
        std::string walked;
        scopes.emplace_back();
        std::vector<std::string> frozenHere;
        if (cs.empty() || chance(20)) {
            s->kind = SK::ForText;
            s->keyword = chance(50) ? "text" : "";
            s->names = {n, ""};
            s->exprs = {textLit()};
            declare(n, Ty::Text, true, 1);
        } else {
            auto c = oneOf(cs);
            s->names = {n, c.name};
            frozenHere.push_back(c.name);
            if (c.type != Ty::Text) walked = c.name;
            if (c.type == Ty::Text) {
                s->kind = SK::ForText;
                s->keyword = chance(50) ? "text" : "";
                declare(n, Ty::Text, true, 1);
            } else if (c.type == Ty::Dict) {
                std::string value = freshName();
                s->names.push_back(value);
                declare(n, Ty::Var, true);
                declare(value, Ty::Var, true);
                frozenHere.push_back(value);
            } else if (chance(20)) {  // position and element of an array
                std::string value = freshName();
                s->names.push_back(value);
                declare(n, Ty::Var, true);
                declare(value, c.type == Ty::IntArr ? Ty::Int : c.type == Ty::TextArr ? Ty::Text : Ty::Var, true,
                        c.type == Ty::TextArr ? 1 : 0);
                frozenHere.push_back(value);
            } else if (c.type == Ty::RealArr) {
                s->keyword = chance(30) ? "real" : chance(40) ? "number" : "";
                declare(n, s->keyword.empty() ? Ty::Var : Ty::Real, true);
            } else if (c.type == Ty::NatArr) {
                s->keyword = chance(50) ? "natural" : "";
                declare(n, s->keyword.empty() ? Ty::Var : Ty::Natural, true);
            } else if (c.type == Ty::IntArr) {
                s->keyword = chance(50) ? "int" : "";
                declare(n, Ty::Int, true);
            } else if (c.type == Ty::TextArr) {
                s->keyword = chance(50) ? "text" : "";
                declare(n, Ty::Text, true, 1);
            } else {
                declare(n, Ty::Var, true);
            }
        }
        frozenHere.push_back(n);
        if (!walked.empty()) iterating.insert(walked);
        s->body = LoopBody(*this, frozenHere).block(depth + 1);
        iterating.erase(walked);
        scopes.pop_back();
        body.push_back(s);
    }

    void switchStatement(std::vector<SP> &body, int depth, bool inLoop) {
        auto s = stmt(SK::Switch);
        auto texts = visibleOf(Ty::Text);
        bool onText = !texts.empty() && chance(25);
        if (onText) {
            s->exprs = {name(oneOf(texts).name, Ty::Text)};
        } else {
            EP subject = someName(Ty::Int, 70);
            s->exprs = {subject ? subject : intExpr(1)};
        }
        int n = 1 + pick(3);
        for (int i = 0; i < n; ++i) {
            Case c;
            int values = 1 + pick(2);
            for (int j = 0; j < values; ++j) {
                if (onText) {
                    std::string w = wordPool[pick(18)];
                    c.values.push_back(quoted(w));
                } else if (chance(30)) {
                    c.values.push_back(caseRange(15, 1, 6));
                } else {
                    c.values.push_back(intLit(0, 12));
                }
            }
            c.body = block(depth + 1, inLoop);
            s->cases.push_back(c);
        }
        if ((s->hasElse = chance(60))) s->elseBody = block(depth + 1, inLoop);
        body.push_back(s);
    }
};

}  // namespace

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
