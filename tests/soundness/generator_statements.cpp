// Declarations, enumerations, assignments, prints and the choice of the
// next statement.
#include "generator.hpp"

#include <algorithm>
#include <set>
#include <string>

namespace soundness {
namespace generation {

EP Generator::containerLiteral(Ty t, int &length) {
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

void Generator::declaration(std::vector<SP> &body, bool topLevel) {
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

void Generator::enumeration(std::vector<SP> &body) {
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

std::vector<SP> Generator::block(int depth, bool inLoop) {
    scopes.emplace_back();
    std::vector<SP> body;
    int n = 1 + pick(depth > 1 ? 2 : 3);
    for (int i = 0; i < n; ++i) statement(body, depth, inLoop);
    scopes.pop_back();
    return body;
}

SP Generator::assignment(const std::string &target, EP value) {
    auto s = stmt(SK::Assign);
    s->names = {target};
    s->exprs = {std::move(value)};
    return s;
}

SP Generator::printStatement() {
    auto s = stmt(SK::Print);
    s->exprs = {printItem()};
    return s;
}

SP Generator::simpleStatement(bool inLoop) {
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

void Generator::statement(std::vector<SP> &body, int depth, bool inLoop) {
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

}  // namespace generation
}  // namespace soundness
