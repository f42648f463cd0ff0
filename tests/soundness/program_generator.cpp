#include "program_generator.hpp"

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

// ---------------------------------------------------------------- values

enum class Ty { Bool, Byte, Int, Real, Natural, Var, Text, CString, Char, Array, Dict, IntArr, TextArr, RealArr, NatArr };

bool isContainer(Ty t) {
    return t == Ty::Array || t == Ty::Dict || t == Ty::IntArr || t == Ty::TextArr || t == Ty::RealArr ||
           t == Ty::NatArr;
}

struct Val {
    enum K { Nil, B, I, R, N, S, A, D } k = Nil;
    bool b = false;
    long long i = 0;
    double r = 0;
    unsigned long long n = 0;
    std::string s;
    std::vector<Val> a;
    std::vector<std::pair<Val, Val>> d;
};

Val mkB(bool b) { Val v; v.k = Val::B; v.b = b; return v; }
Val mkI(long long i) { Val v; v.k = Val::I; v.i = i; return v; }
Val mkR(double r) { Val v; v.k = Val::R; v.r = r; return v; }
Val mkN(unsigned long long n) { Val v; v.k = Val::N; v.n = n; return v; }
Val mkS(std::string s) { Val v; v.k = Val::S; v.s = std::move(s); return v; }
Val mkA() { Val v; v.k = Val::A; return v; }
Val mkD() { Val v; v.k = Val::D; return v; }

// The run left what the generator can vouch for (overflow, a division by
// zero, a bound the run-time library leaves open, a run that is too long).
struct Unpredictable {};

// Texts and arrays longer than this are not followed.
constexpr size_t kLargest = 20000;

std::string realText(double r) {
    std::ostringstream out;
    out << r;
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

// ---------------------------------------------------------------- tree

enum class EK { Lit, Name, Unary, Binary, Paren, Index, Slice, InRange, InCont, Interp, KeyRange };

struct Expr;
using EP = std::shared_ptr<Expr>;

struct Expr {
    EK kind = EK::Lit;
    Ty type = Ty::Int;
    std::string text;  // literal text, name or operator
    Val lit;
    std::vector<EP> kids;
    bool inclusive = true, negated = false, loOmitted = false, hiOmitted = false;
    std::vector<std::pair<bool, std::string>> parts;  // interpolation: (is a name, text)
};

int precedence(const Expr &e) {
    if (e.kind == EK::InRange || e.kind == EK::InCont) return 3;
    if (e.kind == EK::Unary) return 10;
    if (e.kind != EK::Binary) return 11;
    const std::string &o = e.text;
    if (o == "or") return 1;
    if (o == "and") return 2;
    if (o == "=" || o == "!=" || o == "<>" || o == "<" || o == ">" || o == "<=" || o == ">=") return 3;
    if (o == "|") return 4;
    if (o == "^") return 5;
    if (o == "&") return 6;
    if (o == "<<" || o == ">>") return 7;
    if (o == "+" || o == "-") return 8;
    return 9;  // * / mod
}

std::string render(const Expr &e);

std::string renderAbove(const EP &e, int level) {  // parenthesised unless it binds tighter than level
    std::string t = render(*e);
    return precedence(*e) > level ? t : "(" + t + ")";
}

std::string render(const Expr &e) {
    switch (e.kind) {
    case EK::Lit:
    case EK::Name: return e.text;
    case EK::Paren: return "(" + render(*e.kids[0]) + ")";
    case EK::Unary: {
        const EP &k = e.kids[0];
        std::string inner = (k->kind == EK::Unary || k->kind == EK::Binary || k->kind == EK::InRange ||
                             k->kind == EK::InCont)
                                ? "(" + render(*k) + ")"
                                : render(*k);
        return e.text == "not" ? "not " + inner : e.text + inner;
    }
    case EK::Binary: {
        int p = precedence(e);
        return renderAbove(e.kids[0], p - 1) + " " + e.text + " " + renderAbove(e.kids[1], p);
    }
    case EK::Index: return e.text + "[" + render(*e.kids[0]) + "]";
    case EK::Slice: {
        std::string lo = e.loOmitted ? "" : renderAbove(e.kids[0], 9);
        std::string hi = e.hiOmitted ? "" : renderAbove(e.kids[1], 9);
        if (e.inclusive) return e.text + "[" + lo + ".." + hi + "]";
        return e.text + "[" + lo + (lo.empty() ? "-- " : " -- ") + hi + "]";
    }
    case EK::InRange:
        return renderAbove(e.kids[0], 3) + (e.negated ? " not in " : " in ") + renderAbove(e.kids[1], 7) +
               (e.inclusive ? ".." : " -- ") + renderAbove(e.kids[2], 7);
    case EK::InCont:
        return renderAbove(e.kids[0], 3) + (e.negated ? " not in " : " in ") + renderAbove(e.kids[1], 3);
    case EK::Interp: {
        std::string out = "\"";
        for (auto &p : e.parts) out += p.first ? "$" + p.second : p.second;
        return out + "\"";
    }
    case EK::KeyRange: return e.text + "[" + render(*e.kids[0]) + ":" + render(*e.kids[1]) + "]";
    }
    return "";
}

enum class SK { Decl, Assign, Compound, ElemSet, Print, Echo, If, OneLineIf, CompositeIf, While, WhileLet, Forever, ForRange, ForEach, ForText, Do, DoCase, SliceSet, Switch, Try, Break, Continue, Enum };

struct Stmt;
using SP = std::shared_ptr<Stmt>;

struct Case {
    std::vector<EP> values;  // an InRange node (without item) stands for a range
    std::vector<SP> body;
};

struct Stmt {
    SK kind;
    std::string keyword;             // declared type word, compound operator, loop form...
    std::vector<std::string> names;  // declared or assigned names
    std::vector<EP> exprs;
    std::vector<SP> body, elseBody;
    std::vector<SP> always;  // do with case clauses: what runs after the chain on every pass
    std::vector<Case> cases;  // switch and composite if; the default in elseBody
    bool hasElse = false, isConst = false, flag = false;
    int number = 0;  // loop counter limit, step, do-loop form
    std::vector<std::pair<std::string, std::string>> enumItems;
};

// ---------------------------------------------------------------- text of a program

void renderBlock(const std::vector<SP> &body, int depth, std::string &out);

std::string indent(int depth) { return std::string(depth * 4, ' '); }

std::string renderSimple(const Stmt &s) {
    switch (s.kind) {
    case SK::Decl: {
        std::string out = (s.isConst ? "const " : "") + s.keyword + " ";
        for (size_t i = 0; i < s.names.size(); ++i) {
            out += (i ? ", " : "") + s.names[i];
            if (s.exprs[i]) out += " = " + render(*s.exprs[i]);
        }
        return out;
    }
    case SK::Assign: {
        std::string out;
        for (size_t i = 0; i < s.names.size(); ++i) out += (i ? ", " : "") + s.names[i];
        out += " = ";
        for (size_t i = 0; i < s.exprs.size(); ++i) out += (i ? ", " : "") + render(*s.exprs[i]);
        return out;
    }
    case SK::Compound: return s.names[0] + " " + s.keyword + " " + renderAbove(s.exprs[0], 3);
    case SK::ElemSet: return s.names[0] + "[" + render(*s.exprs[0]) + "] = " + render(*s.exprs[1]);
    case SK::SliceSet: return render(*s.exprs[0]) + " = " + render(*s.exprs[1]);
    case SK::Print:
    case SK::Echo: {
        std::string out = s.kind == SK::Print ? "print" : "echo";
        for (size_t i = 0; i < s.exprs.size(); ++i) out += (i ? ", " : " ") + render(*s.exprs[i]);
        return out;
    }
    case SK::Break: return "break";
    case SK::Continue: return "continue";
    case SK::Enum: {
        std::string out = "enum ";
        for (size_t i = 0; i < s.enumItems.size(); ++i)
            out += (i ? ", " : "") + s.enumItems[i].first +
                   (s.enumItems[i].second.empty() ? "" : " = " + s.enumItems[i].second);
        return out;
    }
    default: return "";
    }
}

std::string caseValue(const EP &v) {
    if (v->kind == EK::InRange)
        return render(*v->kids[1]) + (v->inclusive ? ".." : " -- ") + render(*v->kids[2]);
    return render(*v);
}

void renderStmt(const Stmt &s, int depth, std::string &out) {
    std::string in = indent(depth);
    switch (s.kind) {
    case SK::Enum:
        if (s.flag) {  // block form
            out += in + "enum\n" + in + "    ";
            for (size_t i = 0; i < s.enumItems.size(); ++i)
                out += (i ? ", " : "") + s.enumItems[i].first +
                       (s.enumItems[i].second.empty() ? "" : " = " + s.enumItems[i].second);
            out += "\n" + in + "/enum\n";
        } else {
            out += in + renderSimple(s) + "\n";
        }
        return;
    case SK::If:
        out += in + "if " + render(*s.exprs[0]) + "\n";
        renderBlock(s.body, depth + 1, out);
        if (s.hasElse) {
            out += in + "else\n";
            renderBlock(s.elseBody, depth + 1, out);
        }
        out += in + "/if\n";
        return;
    case SK::OneLineIf:
        out += in + "if " + render(*s.exprs[0]) + " ? " + renderSimple(*s.body[0]);
        if (s.hasElse) out += " else " + renderSimple(*s.elseBody[0]);
        out += "\n";
        return;
    case SK::CompositeIf:
        out += in + "if " + render(*s.exprs[0]) + "\n";
        for (auto &c : s.cases) {
            const EP &v = c.values[0];
            if (v->kind == EK::InRange)
                out += in + "in " + caseValue(v) + "\n";
            else
                out += in + v->text + " " + render(*v->kids[0]) + "\n";
            renderBlock(c.body, depth + 1, out);
        }
        if (s.hasElse) {
            out += in + "else\n";
            renderBlock(s.elseBody, depth + 1, out);
        }
        out += in + "/if\n";
        return;
    case SK::While:
        out += in + "while " + s.names[0] + " < " + std::to_string(s.number) + "\n";
        out += in + "    " + s.names[0] + " + 1\n";
        renderBlock(s.body, depth + 1, out);
        out += in + "/while\n";
        return;
    case SK::WhileLet:  // the counter moves in the let clause, after the body (and after a continue)
        out += in + "while " + s.names[0] + " < " + std::to_string(s.number) + "\n";
        renderBlock(s.body, depth + 1, out);
        out += in + "let " + s.names[0] + " + 1\n";
        return;
    case SK::Forever:
        out += in + "while forever\n";
        out += in + "    " + s.names[0] + " + 1\n";
        out += in + "    if " + s.names[0] + " > " + std::to_string(s.number) + " ? break\n";
        renderBlock(s.body, depth + 1, out);
        out += in + "/while\n";
        return;
    case SK::ForRange: {
        out += in + "for " + (s.keyword.empty() ? "" : s.keyword + " ") + s.names[0] + " in " +
               renderAbove(s.exprs[0], 8) + (s.flag ? ".." : " -- ") + renderAbove(s.exprs[1], 8);
        if (s.number != 0) out += " step " + std::to_string(s.number);
        out += "\n";
        renderBlock(s.body, depth + 1, out);
        out += in + "/for\n";
        return;
    }
    case SK::ForEach:
    case SK::ForText:
        out += in + "for " + (s.keyword.empty() ? "" : s.keyword + " ") + s.names[0];
        if (s.names.size() > 2) out += ", " + s.names[2];
        out += " in " + (s.exprs.empty() ? s.names[1] : render(*s.exprs[0])) + "\n";
        renderBlock(s.body, depth + 1, out);
        out += in + "/for\n";
        return;
    case SK::Do:
        out += in + "do\n";
        out += in + "    " + s.names[0] + " + 1\n";
        if (s.keyword == "forever")
            out += in + "    if " + s.names[0] + " > " + std::to_string(s.number) + " ? break\n";
        renderBlock(s.body, depth + 1, out);
        if (s.keyword == "forever") {
            out += in + (s.flag ? "/do while forever\n" : "/do forever\n");
            return;
        }
        switch (s.flag ? 3 : s.number % 3) {
        case 0: out += in + "/do until " + s.names[0] + " >= " + std::to_string(s.number) + "\n"; break;
        case 1: out += in + "until " + s.names[0] + " >= " + std::to_string(s.number) + "\n"; break;
        case 2: out += in + "/do while " + s.names[0] + " < " + std::to_string(s.number) + "\n"; break;
        default: out += in + "/do\n"; break;
        }
        return;
    case SK::DoCase:
        out += in + "do\n";
        for (auto &c : s.cases) {
            out += in + "case " + render(*c.values[0]) + "\n";
            renderBlock(c.body, depth + 1, out);
        }
        if (s.hasElse) {
            out += in + (s.keyword == "default" ? "default\n" : "else\n");
            renderBlock(s.elseBody, depth + 1, out);
        }
        out += in + "always\n";
        out += in + "    " + s.names[0] + " + 1\n";
        renderBlock(s.always, depth + 1, out);
        switch (s.number % 3) {
        case 0: out += in + "/do until " + s.names[0] + " >= " + std::to_string(s.number) + "\n"; break;
        case 1: out += in + "until " + s.names[0] + " >= " + std::to_string(s.number) + "\n"; break;
        default: out += in + "/do while " + s.names[0] + " < " + std::to_string(s.number) + "\n"; break;
        }
        return;
    case SK::Switch:
        out += in + "switch " + render(*s.exprs[0]) + "\n";
        for (auto &c : s.cases) {
            out += in + "case ";
            for (size_t i = 0; i < c.values.size(); ++i) out += (i ? ", " : "") + caseValue(c.values[i]);
            out += "\n";
            renderBlock(c.body, depth + 1, out);
        }
        if (s.hasElse) {
            out += in + "default\n";
            renderBlock(s.elseBody, depth + 1, out);
        }
        out += in + "/switch\n";
        return;
    case SK::Try:
        out += in + "try\n";
        renderBlock(s.body, depth + 1, out);
        out += in + "/try\n";
        return;
    default: out += in + renderSimple(s) + "\n"; return;
    }
}

void renderBlock(const std::vector<SP> &body, int depth, std::string &out) {
    for (auto &s : body) renderStmt(*s, depth, out);
}

// ---------------------------------------------------------------- reference interpreter

struct BreakSignal {};
struct ContinueSignal {};

class Interpreter {
public:
    std::map<std::string, Val> vars;
    std::map<std::string, Ty> types;
    std::string output;
    long steps = 0;

    void tick() {
        if (++steps > 20000 || output.size() > 20000) throw Unpredictable();
    }

    Val eval(const Expr &e) {
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
    static Val element(Ty t, Val v) {
        if (t == Ty::RealArr && v.k != Val::R) return mkR(num(v));
        if (t == Ty::IntArr && v.k == Val::N) return mkI(checkedInt((long long)v.n));
        return v;
    }

    // Appends v (its elements, when it is an array) to the typed array c.
    static void append(Ty t, Val &c, const Val &v) {
        if (c.a.size() + v.a.size() > kLargest) throw Unpredictable();
        if (v.k == Val::A) {
            std::vector<Val> items = v.a;  // v may be c itself
            for (auto &x : items) c.a.push_back(element(t, x));
        } else {
            c.a.push_back(element(t, v));
        }
    }

    Val binary(const Expr &e) {
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

    Val index(const Expr &e) {
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
        if (i < c.a.size()) return c.a[i];
        if (t == Ty::IntArr) return mkI(0);
        if (t == Ty::TextArr) return mkS("");
        if (t == Ty::RealArr) return mkR(0);
        if (t == Ty::NatArr) return mkN(0);
        return Val();
    }

    Val slice(const Expr &e) {
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

    void assign(const std::string &name, Val v) {
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

    void run(const std::vector<SP> &body) {
        for (auto &s : body) exec(*s);
    }

    void loopBody(const std::vector<SP> &body, bool &broke) {
        try {
            run(body);
        } catch (BreakSignal &) {
            broke = true;
        } catch (ContinueSignal &) {
        }
    }

    bool caseMatches(const Val &subject, const EP &v) {
        if (v->kind == EK::InRange) {
            double x = num(subject), lo = num(eval(*v->kids[1])), hi = num(eval(*v->kids[2]));
            return x >= lo && (v->inclusive ? x <= hi : x < hi);
        }
        Val c = eval(*v);
        if (subject.k == Val::S) return subject.s == c.s;
        return num(subject) == num(c);
    }

    void exec(const Stmt &s) {
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
            if (t == Ty::IntArr || t == Ty::TextArr || t == Ty::RealArr || t == Ty::NatArr) {
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
            Val gap = t == Ty::IntArr ? mkI(0) : t == Ty::TextArr ? mkS("") : Val();
            while (c.a.size() <= i) c.a.push_back(gap);
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
            bool broke = false;
            while (!broke) {
                tick();
                if (s.kind == SK::While && !(vars[n].i < s.number)) break;
                vars[n].i += 1;
                if (s.kind == SK::Forever && vars[n].i > s.number) break;
                loopBody(s.body, broke);
            }
            return;
        }
        case SK::WhileLet: {
            const std::string &n = s.names[0];
            bool broke = false;
            while (vars[n].i < s.number) {
                tick();
                loopBody(s.body, broke);
                if (broke) break;
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
                    loopBody(s.always, broke);
                    if (broke) break;
                }
                int form = s.number % 3;
                bool again = form == 2 ? vars[n].i < s.number : !(vars[n].i >= s.number);
                if (!again) break;
            }
            return;
        }
        case SK::Do: {
            const std::string &n = s.names[0];
            bool broke = false;
            for (;;) {
                tick();
                vars[n].i += 1;
                if (s.keyword == "forever" && vars[n].i > s.number) break;
                loopBody(s.body, broke);
                if (s.keyword == "forever") {
                    if (broke) break;
                    continue;
                }
                if (broke || s.flag) break;
                int form = s.number % 3;
                bool again = form == 2 ? vars[n].i < s.number : !(vars[n].i >= s.number);
                if (!again) break;
            }
            return;
        }
        case SK::ForRange: {
            // The loop variable takes every value of the range once; an end
            // next to the limits of int does not make the loop go round again.
            long long lo = eval(*s.exprs[0]).i, hi = eval(*s.exprs[1]).i;
            long long step = s.number == 0 ? 1 : s.number;
            const std::string &n = s.names[0];
            bool broke = false;
            for (long long k = lo;; k += step) {
                tick();
                bool ok = step > 0 ? (s.flag ? k <= hi : k < hi) : (s.flag ? k >= hi : k > hi);
                if (!ok) break;
                vars[n] = mkI(k);
                loopBody(s.body, broke);
                if (broke) break;
            }
            return;
        }
        case SK::ForEach: {
            Val c = vars.at(s.names[1]);
            bool broke = false;
            if (c.k == Val::D) {
                for (auto &kv : c.d) {
                    tick();
                    vars[s.names[0]] = kv.first;
                    vars[s.names[2]] = kv.second;
                    loopBody(s.body, broke);
                    if (broke) break;
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
                    loopBody(s.body, broke);
                    if (broke) break;
                }
            }
            return;
        }
        case SK::ForText: {
            Val t = s.exprs.empty() ? vars.at(s.names[1]) : eval(*s.exprs[0]);
            bool broke = false;
            for (char ch : t.s) {
                tick();
                vars[s.names[0]] = mkS(std::string(1, ch));
                loopBody(s.body, broke);
                if (broke) break;
            }
            return;
        }
        }
    }
};

// ---------------------------------------------------------------- generator

const char *const trickyPool[] = {
    "new", "index", "y0", "y1", "j0", "sizeof", "errno", "EOF", "delete", "union", "printf", "exit",
    "double", "signed", "time", "abs", "auto", "register", "count", "max", "min", "vector", "main",
    "std", "NULL", "float", "long", "short", "unsigned", "struct", "namespace", "template", "typename",
    "operator", "friend", "virtual", "public", "goto", "throw", "sin", "cos", "exp", "log", "pow",
    "sqrt", "strlen", "malloc", "free", "rand", "assert", "stdin", "stdout", "cout", "endl", "xor",
    "bitand", "bitor", "compl", "not_eq", "or_eq", "xor_eq", "and_eq", "asm", "constexpr", "decltype",
    "noexcept", "nullptr", "mutable", "explicit", "typeid", "wchar_t", "dyn", "velarray", "intval",
    "str", "chr", "ord", "die", "plural", "explode", "in_sequence", "fmod",
    "remove", "signal", "select", "read", "write", "open", "close", "system", "div", "INT_MAX",
    "BUFSIZ", "RAND_MAX", "EXIT_SUCCESS", "size_t", "int32_t", "uint8_t", "ptrdiff_t", "FILE",
    "getchar", "putchar", "puts", "atoi", "strcmp", "memcpy", "isalpha", "toupper", "floor",
    "round", "trunc", "j1", "jn", "yn", "gamma", "string_view", "map", "set", "list", "pair",
    "array_view", "ostream", "cerr", "cin", "begin", "end", "size", "data", "slice", "key",
    "value", "reset", "bound", "inBound", "setAt", "toString", "natural_t",
    "static_cast", "dynamic_cast", "concept", "requires", "co_await", "thread_local", "alignof",
    "char16_t", "char8_t", "export", "unix", "linux", "i386", "stderr", "environ", "optarg",
    "CHAR_BIT", "M_PI", "HUGE_VAL", "NAN", "INFINITY", "isnan", "signbit", "fpclassify",
};

const char *const wordPool[] = {"alpha", "beta", "gamma", "delta", "pear", "plum", "kiwi", "fig", "rose",
                                "oak",   "elm",  "ash",   "ivy",   "sun",  "moon", "star", "mor",  "ab"};

class Generator {
public:
    Generator(std::uint64_t seed, const GeneratorOptions &options) : rng(seed), opt(options) {
        for (const char *t : trickyPool) tricky.push_back(t);
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
    std::vector<VarInfo> assignableOf(Ty t) {
        return visible([&](const VarInfo &v) { return v.type == t && !v.readOnly && !frozen.count(v.name); });
    }

    static bool printable(Ty t) { return t != Ty::Char; }

    void declare(const std::string &n, Ty t, bool readOnly, int length = 0) {
        scopes.back().push_back({n, t, readOnly, length});
        types[n] = t;
    }

    // ------------------------------------------------ expressions

    EP lit(Ty t, const std::string &text, Val v) {
        auto e = std::make_shared<Expr>();
        e->kind = EK::Lit;
        e->type = t;
        e->text = text;
        e->lit = std::move(v);
        return e;
    }
    EP name(const std::string &n, Ty t) {
        auto e = std::make_shared<Expr>();
        e->kind = EK::Name;
        e->type = t;
        e->text = n;
        return e;
    }
    EP unary(const std::string &op, EP k, Ty t) {
        auto e = std::make_shared<Expr>();
        e->kind = EK::Unary;
        e->type = t;
        e->text = op;
        e->kids = {std::move(k)};
        return e;
    }
    EP binary(const std::string &op, EP a, EP b, Ty t) {
        auto e = std::make_shared<Expr>();
        e->kind = EK::Binary;
        e->type = t;
        e->text = op;
        e->kids = {std::move(a), std::move(b)};
        return e;
    }
    EP paren(EP k) {
        auto e = std::make_shared<Expr>();
        e->kind = EK::Paren;
        e->type = k->type;
        e->kids = {std::move(k)};
        return e;
    }

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
            auto v = ints[pick(int(ints.size()))];
            return paren(binary("mod", name(v.name, Ty::Int), intLit(hi + 1, hi + 1), Ty::Int));
        }
        return intLit(0, hi + 1);
    }

    EP intExpr(int depth) {
        int r = pick(100);
        if (depth <= 0 || r < 30) {
            auto ints = visibleOf(Ty::Int);
            if (!ints.empty() && chance(60)) return name(ints[pick(int(ints.size()))].name, Ty::Int);
            auto arrs = visibleOf(Ty::IntArr);
            if (!arrs.empty() && chance(25)) {
                auto a = arrs[pick(int(arrs.size()))];
                auto e = std::make_shared<Expr>();
                e->kind = EK::Index;
                e->type = Ty::Int;
                e->text = a.name;
                e->kids = {smallIndex(a.length)};
                return e;
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
        if (!reals.empty() && chance(40)) return name(reals[pick(int(reals.size()))].name, Ty::Real);
        if (chance(30)) return intExpr(1);
        static const char *const lits[] = {"0.5", "2.5", "0.75", "1.25", "3.0", "10.5", "100.25", "0.125"};
        std::string t = lits[pick(8)];
        return lit(Ty::Real, t, mkR(std::stod(t)));
    }

    EP realExpr(int depth) {
        int r = pick(100);
        if (depth <= 0 || r < 30) {
            auto reals = visibleOf(Ty::Real);
            if (!reals.empty() && chance(60)) return name(reals[pick(int(reals.size()))].name, Ty::Real);
            static const char *const lits[] = {"0.5", "2.5", "0.75", "1.25", "3.0", "10.5", "100.25", "0.125"};
            std::string t = lits[pick(8)];
            return lit(Ty::Real, t, mkR(std::stod(t)));
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
        return lit(Ty::Text, "\"" + s + "\"", mkS(s));
    }

    EP textExpr(int depth) {
        int r = pick(100);
        auto texts = visibleOf(Ty::Text);
        if (depth <= 0 || r < 35) {
            if (!texts.empty() && chance(60)) return name(texts[pick(int(texts.size()))].name, Ty::Text);
            return textLit();
        }
        if (r < 55) return binary("+", textExpr(depth - 1), textExpr(depth - 1), Ty::Text);
        if (r < 70 && !texts.empty()) {
            auto t = texts[pick(int(texts.size()))];
            auto e = std::make_shared<Expr>();
            e->kind = EK::Index;
            e->type = Ty::Text;
            e->text = t.name;
            e->kids = {smallIndex(t.length)};
            return e;
        }
        if (r < 82 && !texts.empty()) return sliceOf(texts[pick(int(texts.size()))], Ty::Text);
        if (r < 92) return interpolation();
        auto tas = visibleOf(Ty::TextArr);
        if (!tas.empty()) {
            auto t = tas[pick(int(tas.size()))];
            auto e = std::make_shared<Expr>();
            e->kind = EK::Index;
            e->type = Ty::Text;
            e->text = t.name;
            e->kids = {smallIndex(t.length)};
            return e;
        }
        return textLit();
    }

    EP sliceOf(const VarInfo &v, Ty t) {
        auto e = std::make_shared<Expr>();
        e->kind = EK::Slice;
        e->type = t;
        e->text = v.name;
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
        auto e = std::make_shared<Expr>();
        e->kind = EK::Interp;
        e->type = Ty::Text;
        bool constants = !skipped("constants-in-text");
        auto refs = visible([&](const VarInfo &v) {
            bool simple = v.type == Ty::Int || v.type == Ty::Text;
            return (simple || chance(40)) && (constants || !v.readOnly || loopVars.count(v.name));
        });
        e->parts.push_back({false, wordPool[pick(10)] + std::string(chance(50) ? " " : "=")});
        int n = 1 + pick(2);
        for (int i = 0; i < n && !refs.empty(); ++i) {
            e->parts.push_back({true, refs[pick(int(refs.size()))].name});
            e->parts.push_back({false, chance(50) ? " " : chance(50) ? ", " : "! "});
        }
        if (refs.empty()) return textLit();
        return e;
    }

    EP boolExpr(int depth) {
        int r = pick(100);
        if (depth <= 0 || r < 12) {
            auto bools = visibleOf(Ty::Bool);
            if (!bools.empty() && chance(60)) return name(bools[pick(int(bools.size()))].name, Ty::Bool);
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
            auto e = std::make_shared<Expr>();
            e->kind = EK::InRange;
            e->type = Ty::Bool;
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
        auto e = std::make_shared<Expr>();
        e->kind = EK::InCont;
        e->type = Ty::Bool;
        e->negated = chance(25);
        int r = pick(5);
        std::vector<VarInfo> c;
        if (r == 0 && !(c = visibleOf(Ty::IntArr)).empty()) {
            e->kids = {intExpr(depth - 1), name(c[pick(int(c.size()))].name, Ty::IntArr)};
        } else if (r == 1 && !(c = visibleOf(Ty::TextArr)).empty()) {
            e->kids = {textExpr(depth - 1), name(c[pick(int(c.size()))].name, Ty::TextArr)};
        } else if (r == 2 && !(c = visibleOf(Ty::Dict)).empty()) {
            e->kids = {textLit(), name(c[pick(int(c.size()))].name, Ty::Dict)};
        } else if (r == 3 && !(c = visibleOf(Ty::Array)).empty()) {
            e->kids = {chance(50) ? intExpr(depth - 1) : textLit(), name(c[pick(int(c.size()))].name, Ty::Array)};
        } else {
            auto texts = visibleOf(Ty::Text);
            EP container = !texts.empty() && chance(70) ? name(texts[pick(int(texts.size()))].name, Ty::Text) : textLit();
            EP item = chance(60) ? lit(Ty::Text, std::string("\"") + wordPool[pick(18)] + "\"", mkS(wordPool[0]))
                                 : textExpr(depth - 1);
            if (item->kind == EK::Lit) item->lit = mkS(item->text.substr(1, item->text.size() - 2));
            e->kids = {item, container};
        }
        return e;
    }

    EP natExpr(int depth) {
        auto nats = visibleOf(Ty::Natural);
        if (depth <= 0 || chance(40)) {
            if (!nats.empty() && chance(60)) return name(nats[pick(int(nats.size()))].name, Ty::Natural);
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
        auto v = any[pick(int(any.size()))];
        if ((v.type == Ty::Array || v.type == Ty::IntArr || v.type == Ty::TextArr || v.type == Ty::RealArr) &&
            chance(40)) {
            if (chance(50)) return sliceOf(v, v.type);
            auto e = std::make_shared<Expr>();
            e->kind = EK::Index;
            e->type = v.type == Ty::IntArr ? Ty::Int : v.type == Ty::TextArr ? Ty::Text : Ty::Var;
            e->text = v.name;
            e->kids = {smallIndex(v.length + (chance(10) ? 2 : 0))};
            return e;
        }
        if (v.type == Ty::Dict && chance(30)) {  // a key range
            auto e = std::make_shared<Expr>();
            e->kind = EK::KeyRange;
            e->type = Ty::Dict;
            e->text = v.name;
            std::string from = wordPool[pick(6)], to = wordPool[pick(6)];
            e->kids = {lit(Ty::Text, "\"" + from + "\"", mkS(from)), lit(Ty::Text, "\"" + to + "\"", mkS(to))};
            return e;
        }
        if (v.type == Ty::Dict && chance(50)) {
            auto e = std::make_shared<Expr>();
            e->kind = EK::Index;
            e->type = Ty::Var;
            e->text = v.name;
            std::string k = wordPool[pick(6)];
            e->kids = {lit(Ty::Text, "\"" + k + "\"", mkS(k))};
            return e;
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
        auto e = std::make_shared<Expr>();
        e->kind = EK::Lit;
        e->type = t;
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
                auto t = texts[pick(int(texts.size()))];
                auto e = std::make_shared<Expr>();
                e->kind = EK::Index;
                e->type = Ty::Text;
                e->text = t.name;
                e->kids = {intLit(0, std::max(0, t.length - 1))};
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
            if (isContainer(k.type)) {
                auto a = stmt(SK::Assign);
                a->names = {n};
                int len = 0;
                a->exprs = {containerLiteral(k.type, len)};
                scopes.back().back().length = len;
                body.push_back(a);
            } else if (k.type == Ty::Byte || k.type == Ty::Var) {
                auto a = stmt(SK::Assign);
                a->names = {n};
                a->exprs = {intLit(0, 99)};
                body.push_back(a);
            } else {
                auto a = stmt(SK::Assign);
                a->names = {n};
                a->exprs = {exprOf(k.type, 1)};
                body.push_back(a);
            }
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
        if (vs.empty()) {
            auto s = stmt(SK::Print);
            s->exprs.push_back(printItem());
            return s;
        }
        auto v = vs[pick(int(vs.size()))];
        if (r < 70) {
            auto s = stmt(SK::Assign);
            s->names = {v.name};
            s->exprs = {exprOf(t, 2)};
            return s;
        }
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
            s = stmt(SK::Assign);
            s->names = {v.name};
            s->exprs = {boolExpr(2)};
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
                return (v.type == Ty::IntArr || v.type == Ty::TextArr || v.type == Ty::Array || v.type == Ty::Dict ||
                        v.type == Ty::Text || v.type == Ty::RealArr || v.type == Ty::NatArr) &&
                       !v.readOnly && !frozen.count(v.name);
            });
            if (cs.empty()) return body.push_back(simpleStatement(inLoop));
            auto c = cs[pick(int(cs.size()))];
            bool typed = c.type == Ty::IntArr || c.type == Ty::TextArr || c.type == Ty::RealArr || c.type == Ty::NatArr;
            if (typed && (chance(30) || c.type == Ty::RealArr || c.type == Ty::NatArr)) {  // append
                EP item;
                // Another array of the same declared type, or itself.
                std::string word = declaredWord[c.name];
                auto same = visible([&](const VarInfo &v) { return v.type == c.type && declaredWord[v.name] == word; });
                if (chance(25) && !same.empty()) item = name(same[pick(int(same.size()))].name, c.type);
                else if (c.type == Ty::IntArr) item = intExpr(1);
                else if (c.type == Ty::TextArr) item = chance(50) ? textLit() : textExpr(1);
                else if (c.type == Ty::RealArr && word == "number[]") item = realExpr(1);
                else if (c.type == Ty::RealArr) item = realElement();  // a real[] takes reals and integers only
                else item = natExpr(1);
                if (chance(35)) {  // xs = xs + item
                    auto s = stmt(SK::Assign);
                    s->names = {c.name};
                    s->exprs = {binary("+", name(c.name, c.type), item, c.type)};
                    return body.push_back(s);
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
                key = lit(Ty::Text, "\"" + k + "\"", mkS(k));
            } else {
                key = smallIndex(c.length + 1);
            }
            EP value;
            if (c.type == Ty::IntArr) value = intExpr(1);
            else if (c.type == Ty::Text) {
                std::string ch(1, char('a' + pick(26)));
                value = lit(Ty::Text, "\"" + ch + "\"", mkS(ch));
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
            if ((s->hasElse = !skipped("one-line-else") && chance(12))) {
                auto p = stmt(SK::Print);
                p->exprs = {printItem()};
                s->elseBody = {p};
            }
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

    void compositeIf(std::vector<SP> &body, int depth, bool inLoop) {
        auto texts = visibleOf(Ty::Text);
        if (!texts.empty() && chance(25)) {  // a text subject, compared with words
            auto s = stmt(SK::CompositeIf);
            s->exprs = {name(texts[pick(int(texts.size()))].name, Ty::Text)};
            int n = 1 + pick(3);
            for (int i = 0; i < n; ++i) {
                static const char *const ops[] = {"=", "=", "!=", "<>"};
                std::string w = wordPool[pick(18)];
                auto e = std::make_shared<Expr>();
                e->kind = EK::Binary;
                e->text = ops[pick(4)];
                e->kids = {lit(Ty::Text, "\"" + w + "\"", mkS(w))};
                Case c;
                c.values = {e};
                c.body = block(depth + 1, inLoop);
                s->cases.push_back(c);
            }
            if ((s->hasElse = chance(50))) s->elseBody = block(depth + 1, inLoop);
            return body.push_back(s);
        }
        auto ints = visibleOf(Ty::Int);
        auto s = stmt(SK::CompositeIf);
        s->exprs = {!ints.empty() && chance(80) ? name(ints[pick(int(ints.size()))].name, Ty::Int) : intExpr(1)};
        int n = 1 + pick(3);
        for (int i = 0; i < n; ++i) {
            Case c;
            if (chance(25)) {
                auto e = std::make_shared<Expr>();
                e->kind = EK::InRange;
                e->inclusive = chance(60);
                int lo = pick(20);
                e->kids = {nullptr, intLit(lo, lo), intLit(lo + pick(10), lo + 10)};
                c.values = {e};
            } else {
                static const char *const ops[] = {"=", "!=", "<", ">", "<=", ">="};
                auto e = std::make_shared<Expr>();
                e->kind = EK::Binary;
                e->text = ops[pick(6)];
                e->kids = {intLit(0, 20)};
                c.values = {e};
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
        frozen.insert(counterName);
        ++loopDepth;
        bool keepContinue = continueOk;
        continueOk = true;
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
            if (kind == SK::WhileLet && s->body.back()->kind == SK::WhileLet) {
                auto p = stmt(SK::Print);
                p->exprs = {printItem()};
                s->body.push_back(p);
            }
        }
        continueOk = keepContinue;
        --loopDepth;
        frozen.erase(counterName);
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
            if (!ints.empty() && chance(20)) hiE = name(ints[pick(int(ints.size()))].name, Ty::Int);
            if (chance(15)) loE = binary("+", intLit(0, 2), intLit(0, 2), Ty::Int);
            s->exprs = {loE, hiE};
        }
        scopes.emplace_back();
        declare(n, Ty::Int, true);
        loopVars.insert(n);
        frozen.insert(n);
        ++loopDepth;
        bool keepContinue = continueOk;
        continueOk = true;
        s->body = block(depth + 1, true);
        continueOk = keepContinue;
        --loopDepth;
        frozen.erase(n);
        scopes.pop_back();
        body.push_back(s);
    }

    void forEach(std::vector<SP> &body, int depth) {
        auto cs = visible([&](const VarInfo &v) {
            return (v.type == Ty::IntArr || v.type == Ty::TextArr || v.type == Ty::Array || v.type == Ty::Dict ||
                    v.type == Ty::Text || v.type == Ty::RealArr || v.type == Ty::NatArr) &&
                   !iterating.count(v.name);
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
            auto c = cs[pick(int(cs.size()))];
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
        for (auto &f : frozenHere) frozen.insert(f);
        if (!walked.empty()) iterating.insert(walked);
        ++loopDepth;
        bool keepContinue = continueOk;
        continueOk = true;
        s->body = block(depth + 1, true);
        continueOk = keepContinue;
        --loopDepth;
        iterating.erase(walked);
        for (auto &f : frozenHere) frozen.erase(f);
        scopes.pop_back();
        body.push_back(s);
    }

    void switchStatement(std::vector<SP> &body, int depth, bool inLoop) {
        auto s = stmt(SK::Switch);
        auto texts = visibleOf(Ty::Text);
        bool onText = !texts.empty() && chance(25);
        if (onText) {
            s->exprs = {name(texts[pick(int(texts.size()))].name, Ty::Text)};
        } else {
            auto ints = visibleOf(Ty::Int);
            s->exprs = {!ints.empty() && chance(70) ? name(ints[pick(int(ints.size()))].name, Ty::Int)
                                                    : paren(intExpr(1))};
            if (s->exprs[0]->kind == EK::Paren) s->exprs[0] = s->exprs[0]->kids[0];
        }
        int n = 1 + pick(3);
        for (int i = 0; i < n; ++i) {
            Case c;
            int values = 1 + pick(2);
            for (int j = 0; j < values; ++j) {
                if (onText) {
                    std::string w = wordPool[pick(18)];
                    c.values.push_back(lit(Ty::Text, "\"" + w + "\"", mkS(w)));
                } else if (chance(30)) {
                    auto e = std::make_shared<Expr>();
                    e->kind = EK::InRange;
                    e->inclusive = chance(60);
                    int lo = pick(15);
                    e->kids = {nullptr, intLit(lo, lo), intLit(lo + 1 + pick(6), lo + 7)};
                    c.values.push_back(e);
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
        result.source = source;
        try {
            run.run(body);
        } catch (Unpredictable &) {
            result.outputKnown = false;
            continue;
        } catch (BreakSignal &) {
            throw std::logic_error("break outside a loop");
        }
        result.expected = run.output;
        result.outputKnown = true;
        break;
    }
    if (options.plantWrongOutput) result.expected += "a line the program never prints\n";
    return result;
}

}  // namespace soundness
