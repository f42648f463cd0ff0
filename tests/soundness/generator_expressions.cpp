// Expressions of every type the programs use, reading the names in scope.
#include "generator.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace soundness {
namespace generation {

EP Generator::intLit(int lo, int hi) {
    int v = lo + pick(hi - lo + 1);
    if (v < 0) return unary("-", intLit(-v, -v), Ty::Int);
    return lit(Ty::Int, std::to_string(v), mkI(v));
}

EP Generator::smallIndex(int length) {
    int hi = std::max(0, length - 1);
    if (chance(70)) return intLit(0, hi);
    auto ints = visibleOf(Ty::Int);
    if (!ints.empty() && chance(50)) {
        auto v = oneOf(ints);
        return paren(binary("mod", name(v.name, Ty::Int), intLit(hi + 1, hi + 1), Ty::Int));
    }
    return intLit(0, hi + 1);
}

EP Generator::intExpr(int depth) {
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

EP Generator::realElement() {
    auto reals = visible([&](const VarInfo &v) { return v.type == Ty::Real && declaredWord[v.name] == "real"; });
    if (!reals.empty() && chance(40)) return name(oneOf(reals).name, Ty::Real);
    if (chance(30)) return intExpr(1);
    return realLit();
}

EP Generator::realLit() {
    static const char *const lits[] = {"0.5", "2.5", "0.75", "1.25", "3.0", "10.5", "100.25", "0.125"};
    std::string t = lits[pick(8)];
    return lit(Ty::Real, t, mkR(std::stod(t)));
}

EP Generator::realExpr(int depth) {
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

std::string Generator::plainWords(int maxWords) {
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

EP Generator::textLit() {
    std::string s = chance(10) ? "" : plainWords(3);
    if (chance(15)) return lit(Ty::Text, "'" + s + "'", mkS(s));
    return quoted(s);
}

EP Generator::textExpr(int depth) {
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

EP Generator::sliceOf(const VarInfo &v, Ty t) {
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

EP Generator::interpolation() {
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

EP Generator::boolExpr(int depth) {
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

EP Generator::containment(int depth) {
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

EP Generator::natExpr(int depth) {
    auto nats = visibleOf(Ty::Natural);
    if (depth <= 0 || chance(40)) {
        if (!nats.empty() && chance(60)) return name(oneOf(nats).name, Ty::Natural);
        unsigned long long v = chance(70) ? unsigned(pick(50)) : 1000000000ULL * unsigned(1 + pick(9000));
        return lit(Ty::Natural, std::to_string(v) + "n", mkN(v));
    }
    return binary(chance(60) ? "+" : "*", natExpr(depth - 1), natExpr(depth - 1), Ty::Natural);
}

EP Generator::exprOf(Ty t, int depth) {
    switch (t) {
    case Ty::Int: return intExpr(depth);
    case Ty::Real: return chance(70) ? realExpr(depth) : intExpr(depth);
    case Ty::Bool: return boolExpr(depth);
    case Ty::Text: return textExpr(depth);
    case Ty::Natural: return natExpr(depth);
    default: throw std::logic_error("no expression of this type");
    }
}

EP Generator::printItem() {
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

}  // namespace generation
}  // namespace soundness
