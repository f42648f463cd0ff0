// The values of a generated program and the reference interpreter that
// runs its tree.
#include "program_model.hpp"

#include <climits>
#include <cmath>
#include <sstream>
#include <stdexcept>

namespace soundness {
namespace model {

// ---------------------------------------------------------------- values

// Texts and arrays longer than this are not followed.
constexpr size_t kLargest = 20000;

// A zero prints as 0 whatever its sign.
std::string realText(double r) {
    std::ostringstream out;
    out << (r == 0 ? 0.0 : r);
    return out.str();
}

std::string show(const Val &v, bool inner) {
    switch (v.k) {
    case Val::Nil: return inner ? "nil" : "";
    case Val::B: return v.b ? "true" : "false";
    case Val::I: return std::to_string(v.i);
    case Val::R: return realText(v.r);
    case Val::N: return std::to_string(v.n);
    case Val::S: {
        if (!inner) return v.s;
        std::string q = "\"";
        for (char c : v.s) {
            if (c == '"' || c == '\\') q += '\\';
            q += c;
        }
        return q + "\"";
    }
    case Val::A: {
        std::string out = "[";
        for (size_t i = 0; i < v.a.size(); ++i) out += (i ? ", " : "") + show(v.a[i], true);
        return out + "]";
    }
    case Val::D: {
        std::string out = "{";
        for (size_t i = 0; i < v.d.size(); ++i)
            out += (i ? ", " : "") + show(v.d[i].first, true) + ": " + show(v.d[i].second, true);
        return out + "}";
    }
    }
    return "";
}

bool sameVal(const Val &x, const Val &y) {
    if (x.k != y.k) return false;
    switch (x.k) {
    case Val::Nil: return true;
    case Val::B: return x.b == y.b;
    case Val::I: return x.i == y.i;
    case Val::R: return x.r == y.r;
    case Val::N: return x.n == y.n;
    case Val::S: return x.s == y.s;
    default: throw Unpredictable();
    }
}

long long checkedInt(long long v) {
    if (v < INT_MIN || v > INT_MAX) throw Unpredictable();
    return v;
}

double num(const Val &v) {
    if (v.k == Val::I) return double(v.i);
    if (v.k == Val::R) return v.r;
    if (v.k == Val::N) return double(v.n);
    throw Unpredictable();
}

// ---------------------------------------------------------------- reference interpreter

void Interpreter::tick() {
    if (++steps > 20000 || output.size() > 20000) throw Unpredictable();
}

Val Interpreter::eval(const Expr &e) {
    switch (e.kind) {
    case EK::Lit: return e.lit;
    case EK::Name: {
        auto it = vars.find(e.text);
        if (it == vars.end()) throw std::logic_error("generator used an unknown name " + e.text);
        return it->second;
    }
    case EK::Paren: return eval(*e.kids[0]);
    case EK::Unary: {
        Val v = eval(*e.kids[0]);
        if (e.text == "not") return mkB(!v.b);
        if (e.text == "+") return v;
        if (e.text == "~") return mkI(checkedInt(~v.i));
        if (v.k == Val::R) return mkR(-v.r);
        return mkI(checkedInt(-v.i));
    }
    case EK::Binary: return binary(e);
    case EK::Index: return index(e);
    case EK::Slice: return slice(e);
    case EK::InRange: {
        double x = num(eval(*e.kids[0])), lo = num(eval(*e.kids[1])), hi = num(eval(*e.kids[2]));
        bool in = x >= lo && (e.inclusive ? x <= hi : x < hi);
        return mkB(in != e.negated);
    }
    case EK::InCont: {
        Val item = eval(*e.kids[0]), c = eval(*e.kids[1]);
        bool in = false;
        if (c.k == Val::S) {
            in = c.s.find(item.s) != std::string::npos;
        } else if (c.k == Val::A) {
            for (auto &x : c.a) in = in || sameVal(x, item);
        } else if (c.k == Val::D) {
            for (auto &x : c.d) in = in || sameVal(x.first, item);
        }
        return mkB(in != e.negated);
    }
    case EK::Interp: {
        std::string out;
        for (auto &p : e.parts) out += p.first ? show(vars.at(p.second), false) : p.second;
        return mkS(out);
    }
    case EK::KeyRange: {  // the entries from one key to another, in insertion order
        const Val &d = vars.at(e.text);
        Val from = eval(*e.kids[0]), to = eval(*e.kids[1]);
        long first = -1, last = -1;
        for (size_t i = 0; i < d.d.size(); ++i) {
            if (first < 0 && sameVal(d.d[i].first, from)) first = long(i);
            if (last < 0 && sameVal(d.d[i].first, to)) last = long(i);
        }
        Val out = mkD();
        if (first >= 0 && last >= first) out.d.assign(d.d.begin() + first, d.d.begin() + last + 1);
        return out;
    }
    }
    return Val();
}

// A value as a typed array of type t keeps it.
Val Interpreter::element(Ty t, Val v) {
    if (t == Ty::RealArr && v.k != Val::R) return mkR(num(v));
    if (t == Ty::IntArr && v.k == Val::N) return mkI(checkedInt((long long)v.n));
    return v;
}

// Appends v (its elements, when it is an array) to the typed array c.
void Interpreter::append(Ty t, Val &c, const Val &v) {
    if (c.a.size() + v.a.size() > kLargest) throw Unpredictable();
    if (v.k == Val::A) {
        std::vector<Val> items = v.a;  // v may be c itself
        for (auto &x : items) c.a.push_back(element(t, x));
    } else {
        c.a.push_back(element(t, v));
    }
}

Val Interpreter::binary(const Expr &e) {
    const std::string &o = e.text;
    if (o == "and") return mkB(eval(*e.kids[0]).b && eval(*e.kids[1]).b);
    if (o == "or") return mkB(eval(*e.kids[0]).b || eval(*e.kids[1]).b);
    Val a = eval(*e.kids[0]), b = eval(*e.kids[1]);
    if (a.k == Val::A && o == "+") {  // a typed array and an element or another array
        Val out = a;
        append(e.type, out, b);
        return out;
    }
    if (o == "=" || o == "!=" || o == "<>") {
        bool eq = (a.k == Val::S || b.k == Val::S) ? a.s == b.s : num(a) == num(b);
        return mkB(o == "=" ? eq : !eq);
    }
    if (o == "<" || o == ">" || o == "<=" || o == ">=") {
        int c;
        if (a.k == Val::N && b.k == Val::N)
            c = a.n < b.n ? -1 : a.n > b.n;
        else {
            double x = num(a), y = num(b);
            c = x < y ? -1 : x > y;
        }
        return mkB(o == "<" ? c < 0 : o == ">" ? c > 0 : o == "<=" ? c <= 0 : c >= 0);
    }
    if (o == "/") {
        double y = num(b);
        if (y == 0) throw Unpredictable();
        double r = num(a) / y;
        if (!std::isfinite(r)) throw Unpredictable();
        return mkR(r);
    }
    if (a.k == Val::S) {
        if (a.s.size() + b.s.size() > kLargest) throw Unpredictable();  // texts that double on every round
        return mkS(a.s + b.s);
    }
    if (a.k == Val::N) {
        unsigned long long x = a.n, y = b.n;
        if (o == "+") {
            if (x + y < x || x + y > (1ULL << 62)) throw Unpredictable();
            return mkN(x + y);
        }
        if (o == "*") {
            if (y != 0 && x > (1ULL << 62) / y) throw Unpredictable();
            return mkN(x * y);
        }
        throw std::logic_error("natural operator " + o);
    }
    if (a.k == Val::R || b.k == Val::R) {
        double x = num(a), y = num(b), r;
        if (o == "+") r = x + y;
        else if (o == "-") r = x - y;
        else if (o == "*") r = x * y;
        else throw std::logic_error("real operator " + o);
        if (!std::isfinite(r) || std::fabs(r) > 1e9) throw Unpredictable();
        return mkR(r);
    }
    long long x = a.i, y = b.i;
    if (o == "+") return mkI(checkedInt(x + y));
    if (o == "-") return mkI(checkedInt(x - y));
    if (o == "*") return mkI(checkedInt(x * y));
    if (o == "mod") {
        if (y == 0) throw Unpredictable();
        return mkI(x % y);
    }
    if (o == "&") return mkI(x & y);
    if (o == "|") return mkI(x | y);
    if (o == "^") return mkI(x ^ y);
    if (o == "<<" || o == ">>") {
        if (x < 0 || y < 0 || y > 30) throw Unpredictable();
        return mkI(checkedInt(o == "<<" ? x << y : x >> y));
    }
    throw std::logic_error("operator " + o);
}

// What a position past the end of a typed array reads as, or a gap holds.
Val emptyElement(Ty t) {
    switch (t) {
    case Ty::IntArr: return mkI(0);
    case Ty::TextArr: return mkS("");
    case Ty::RealArr: return mkR(0);
    case Ty::NatArr: return mkN(0);
    default: return Val();
    }
}

Val Interpreter::index(const Expr &e) {
    const Val &c = vars.at(e.text);
    Val k = eval(*e.kids[0]);
    Ty t = types.at(e.text);
    if (c.k == Val::D) {
        for (auto &x : c.d)
            if (sameVal(x.first, k)) return x.second;
        return Val();
    }
    if (k.i < 0) throw Unpredictable();
    size_t i = size_t(k.i);
    if (c.k == Val::S) return mkS(i < c.s.size() ? c.s.substr(i, 1) : "");
    return i < c.a.size() ? c.a[i] : emptyElement(t);
}

Val Interpreter::slice(const Expr &e) {
    const Val &c = vars.at(e.text);
    long long lo = e.loOmitted ? 0 : eval(*e.kids[0]).i;
    long long hi = e.hiOmitted ? -1 : eval(*e.kids[1]).i;
    long long size = c.k == Val::S ? (long long)c.s.size() : (long long)c.a.size();
    if (lo < 0 || lo > size) throw Unpredictable();
    long long end;  // one past the last position taken
    if (e.hiOmitted) {
        end = size;
    } else {
        if (hi < 0) throw Unpredictable();
        end = e.inclusive ? hi + 1 : hi;
        if (end > size || end < lo) throw Unpredictable();
    }
    if (c.k == Val::S) return mkS(c.s.substr(size_t(lo), size_t(end - lo)));
    Val out = c;
    out.a.assign(c.a.begin() + lo, c.a.begin() + end);
    return out;
}

void Interpreter::assign(const std::string &name, Val v) {
    Ty t = types.at(name);
    if (t == Ty::Int && v.k == Val::R) {  // a real stored into an integer is cut towards zero
        if (std::fabs(v.r) > 2e9) throw Unpredictable();
        v = mkI(checkedInt((long long)v.r));
    }
    if (t == Ty::Real && v.k == Val::I) v = mkR(double(v.i));
    if (t == Ty::Byte && (v.i < 0 || v.i > 255)) throw Unpredictable();
    if (t == Ty::Char && v.s.size() != 1) throw Unpredictable();
    vars[name] = v;
}

void Interpreter::run(const std::vector<SP> &body) {
    for (auto &s : body) exec(*s);
}

bool Interpreter::passBreaks(const std::vector<SP> &body) {
    try {
        run(body);
    } catch (BreakSignal &) {
        return true;
    } catch (ContinueSignal &) {
    }
    return false;
}

bool Interpreter::caseMatches(const Val &subject, const EP &v) {
    if (v->kind == EK::InRange) {
        double x = num(subject), lo = num(eval(*v->kids[1])), hi = num(eval(*v->kids[2]));
        return x >= lo && (v->inclusive ? x <= hi : x < hi);
    }
    Val c = eval(*v);
    if (subject.k == Val::S) return subject.s == c.s;
    return num(subject) == num(c);
}

void Interpreter::exec(const Stmt &s) {
    tick();
    switch (s.kind) {
    case SK::Decl:
        for (size_t i = 0; i < s.names.size(); ++i) {
            Ty t = types.at(s.names[i]);
            Val v;
            if (s.exprs[i]) v = eval(*s.exprs[i]);
            else if (t == Ty::Text) v = mkS("");
            else if (t == Ty::Array || isContainer(t)) v = t == Ty::Dict ? mkD() : mkA();
            else if (t == Ty::Bool) v = mkB(false);
            else if (t == Ty::Real) v = mkR(0);
            else if (t == Ty::Natural) v = mkN(0);
            else v = mkI(0);
            assign(s.names[i], v);
        }
        return;
    case SK::Enum: return;  // the items were entered when the program was made
    case SK::Assign: {
        std::vector<Val> values;
        for (auto &e : s.exprs) values.push_back(eval(*e));
        for (size_t i = 0; i < s.names.size(); ++i) assign(s.names[i], values[i]);
        return;
    }
    case SK::Compound: {
        Expr op;
        op.kind = EK::Binary;
        op.text = s.keyword;
        auto self = std::make_shared<Expr>();
        self->kind = EK::Name;
        self->text = s.names[0];
        op.kids = {self, s.exprs[0]};
        Ty t = types.at(s.names[0]);
        if (isTypedArray(t)) {
            Val v = eval(*s.exprs[0]);
            append(t, vars[s.names[0]], v);
            return;
        }
        assign(s.names[0], eval(op));
        return;
    }
    case SK::ElemSet: {
        Val &c = vars[s.names[0]];
        Val k = eval(*s.exprs[0]);
        Val v = eval(*s.exprs[1]);
        Ty t = types.at(s.names[0]);
        if (c.k == Val::D) {
            for (auto &x : c.d)
                if (sameVal(x.first, k)) {
                    x.second = v;
                    return;
                }
            c.d.push_back({k, v});
            return;
        }
        if (k.i < 0 || k.i > 200) throw Unpredictable();
        size_t i = size_t(k.i);
        if (c.k == Val::S) {
            if (c.s.size() <= i) c.s.resize(i + 1, ' ');
            c.s.replace(i, 1, v.s);
            return;
        }
        while (c.a.size() <= i) c.a.push_back(emptyElement(t));
        c.a[i] = v;
        return;
    }
    case SK::SliceSet: {
        // The positions lo..hi give way to the value's characters or
        // elements; bounds past the end are clamped.
        const Expr &target = *s.exprs[0];
        Val v = eval(*s.exprs[1]);
        long long lo = target.loOmitted ? 0 : eval(*target.kids[0]).i;
        long long hi = target.hiOmitted ? -1 : eval(*target.kids[1]).i;
        Val &c = vars[target.text];
        Ty t = types.at(target.text);
        long long size = c.k == Val::S ? (long long)c.s.size() : (long long)c.a.size();
        if (lo < 0) throw Unpredictable();
        lo = std::min(lo, size);
        long long end = target.hiOmitted || hi < 0 ? size : target.inclusive ? hi + 1 : hi;
        end = std::max(lo, std::min(end, size));
        // A slice that grows its text or array on every round would outgrow memory.
        size_t inserted = v.k == Val::A ? v.a.size() : c.k == Val::S ? v.s.size() : 1;
        if (size_t(size - (end - lo)) + inserted > kLargest) throw Unpredictable();
        if (c.k == Val::S) {
            c.s.replace(size_t(lo), size_t(end - lo), v.s);
            return;
        }
        std::vector<Val> items;
        if (v.k == Val::A) {
            for (auto &x : v.a) items.push_back(element(t, x));
        } else {
            items.push_back(element(t, v));
        }
        c.a.erase(c.a.begin() + lo, c.a.begin() + end);
        c.a.insert(c.a.begin() + lo, items.begin(), items.end());
        return;
    }
    case SK::Print:
    case SK::Echo:
        for (size_t i = 0; i < s.exprs.size(); ++i) {
            if (i && s.kind == SK::Print) output += " ";
            output += show(eval(*s.exprs[i]), false);
        }
        if (s.kind == SK::Print) output += "\n";
        return;
    case SK::Break: throw BreakSignal();
    case SK::Continue: throw ContinueSignal();
    case SK::If:
    case SK::OneLineIf:
        if (eval(*s.exprs[0]).b) run(s.body);
        else if (s.hasElse) run(s.elseBody);
        return;
    case SK::CompositeIf: {
        Val subject = eval(*s.exprs[0]);
        for (auto &c : s.cases) {
            const EP &v = c.values[0];
            bool hit;
            if (v->kind == EK::InRange) {
                hit = caseMatches(subject, v);
            } else {
                Expr cmp;
                cmp.kind = EK::Binary;
                cmp.text = v->text;
                cmp.kids = {s.exprs[0], v->kids[0]};
                hit = eval(cmp).b;
            }
            if (hit) {
                run(c.body);
                return;
            }
        }
        if (s.hasElse) run(s.elseBody);
        return;
    }
    case SK::Switch: {
        Val subject = eval(*s.exprs[0]);
        for (auto &c : s.cases)
            for (auto &v : c.values)
                if (caseMatches(subject, v)) {
                    run(c.body);
                    return;
                }
        if (s.hasElse) run(s.elseBody);
        return;
    }
    case SK::Try: run(s.body); return;
    case SK::While:
    case SK::Forever: {
        const std::string &n = s.names[0];
        for (;;) {
            tick();
            if (s.kind == SK::While && !(vars[n].i < s.number)) break;
            vars[n].i += 1;
            if (s.kind == SK::Forever && vars[n].i > s.number) break;
            if (passBreaks(s.body)) break;
        }
        return;
    }
    case SK::WhileLet: {
        const std::string &n = s.names[0];
        while (vars[n].i < s.number) {
            tick();
            if (passBreaks(s.body)) break;
            vars[n].i += 1;
        }
        return;
    }
    case SK::DoCase: {
        // Each pass runs the first case whose condition holds (else the
        // else clause), then the always part; a continue skips that part.
        const std::string &n = s.names[0];
        for (;;) {
            tick();
            bool broke = false, continued = false;
            try {
                bool hit = false;
                for (auto &c : s.cases)
                    if (eval(*c.values[0]).b) {
                        hit = true;
                        run(c.body);
                        break;
                    }
                if (!hit && s.hasElse) run(s.elseBody);
            } catch (BreakSignal &) {
                broke = true;
            } catch (ContinueSignal &) {
                continued = true;
            }
            if (broke) break;
            if (!continued) {
                vars[n].i += 1;
                if (passBreaks(s.always)) break;
            }
            if (vars[n].i >= s.number) break;  // each form of the end says "counter < number"
        }
        return;
    }
    case SK::Do: {
        const std::string &n = s.names[0];
        bool forever = s.keyword == "forever";
        for (;;) {
            tick();
            vars[n].i += 1;
            if (forever && vars[n].i > s.number) break;
            bool broke = passBreaks(s.body);
            // A counted end says "counter < number" in each of its forms.
            if (broke || (!forever && (s.flag || vars[n].i >= s.number))) break;
        }
        return;
    }
    case SK::ForRange: {
        // The loop variable takes every value of the range once; an end
        // next to the limits of int does not make the loop go round again.
        long long lo = eval(*s.exprs[0]).i, hi = eval(*s.exprs[1]).i;
        long long step = s.number == 0 ? 1 : s.number;
        const std::string &n = s.names[0];
        for (long long k = lo;; k += step) {
            tick();
            bool ok = step > 0 ? (s.flag ? k <= hi : k < hi) : (s.flag ? k >= hi : k > hi);
            if (!ok) break;
            vars[n] = mkI(k);
            if (passBreaks(s.body)) break;
        }
        return;
    }
    case SK::ForEach: {
        Val c = vars.at(s.names[1]);
        if (c.k == Val::D) {
            for (auto &kv : c.d) {
                tick();
                vars[s.names[0]] = kv.first;
                vars[s.names[2]] = kv.second;
                if (passBreaks(s.body)) break;
            }
        } else {
            long long position = 0;
            for (auto &x : c.a) {
                tick();
                if (s.names.size() > 2) {
                    vars[s.names[0]] = mkI(position++);
                    vars[s.names[2]] = x;
                } else {
                    vars[s.names[0]] = x;
                }
                if (passBreaks(s.body)) break;
            }
        }
        return;
    }
    case SK::ForText: {
        Val t = s.exprs.empty() ? vars.at(s.names[1]) : eval(*s.exprs[0]);
        for (char ch : t.s) {
            tick();
            vars[s.names[0]] = mkS(std::string(1, ch));
            if (passBreaks(s.body)) break;
        }
        return;
    }
    }
}

}  // namespace model
}  // namespace soundness
