// Control structures: composite ifs, counted loops, for over ranges and
// containers, switch.
#include "generator.hpp"

#include <algorithm>
#include <string>

namespace soundness {
namespace generation {

EP Generator::caseRange(int starts, int shortest, int spread) {
    EP e = node(EK::InRange, Ty::Int, "");
    e->inclusive = chance(60);
    int lo = pick(starts);
    e->kids = {nullptr, intLit(lo, lo), intLit(lo + shortest + pick(spread), lo + shortest + spread)};
    return e;
}

void Generator::compositeIf(std::vector<SP> &body, int depth, bool inLoop) {
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

void Generator::counted(std::vector<SP> &body, int depth, SK kind) {
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

void Generator::forRange(std::vector<SP> &body, int depth) {
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

void Generator::forEach(std::vector<SP> &body, int depth) {
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

void Generator::switchStatement(std::vector<SP> &body, int depth, bool inLoop) {
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

}  // namespace generation
}  // namespace soundness
