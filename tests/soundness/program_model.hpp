#pragma once

// The tree of a generated program: values, expressions and statements, their
// Velmora text and the reference interpreter that runs them. Internal to the
// program generator.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace soundness {
namespace model {

// ---------------------------------------------------------------- values

enum class Ty { Bool, Byte, Int, Real, Natural, Var, Text, CString, Char, Array, Dict, IntArr, TextArr, RealArr, NatArr };

inline bool isTypedArray(Ty t) { return t == Ty::IntArr || t == Ty::TextArr || t == Ty::RealArr || t == Ty::NatArr; }
inline bool isContainer(Ty t) { return isTypedArray(t) || t == Ty::Array || t == Ty::Dict; }

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

inline Val mkB(bool b) { Val v; v.k = Val::B; v.b = b; return v; }
inline Val mkI(long long i) { Val v; v.k = Val::I; v.i = i; return v; }
inline Val mkR(double r) { Val v; v.k = Val::R; v.r = r; return v; }
inline Val mkN(unsigned long long n) { Val v; v.k = Val::N; v.n = n; return v; }
inline Val mkS(std::string s) { Val v; v.k = Val::S; v.s = std::move(s); return v; }
inline Val mkA() { Val v; v.k = Val::A; return v; }
inline Val mkD() { Val v; v.k = Val::D; return v; }

// The run left what the generator can vouch for (overflow, a division by
// zero, a bound the run-time library leaves open, a run that is too long).
struct Unpredictable {};

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

// ---------------------------------------------------------------- reference interpreter

struct BreakSignal {};
struct ContinueSignal {};

class Interpreter {
public:
    std::map<std::string, Val> vars;
    std::map<std::string, Ty> types;
    std::string output;
    long steps = 0;

    void tick();
    Val eval(const Expr &e);
    static Val element(Ty t, Val v);
    static void append(Ty t, Val &c, const Val &v);
    Val binary(const Expr &e);
    Val index(const Expr &e);
    Val slice(const Expr &e);
    void assign(const std::string &name, Val v);
    void run(const std::vector<SP> &body);
    bool passBreaks(const std::vector<SP> &body);  // one pass of a loop body: whether a break left it
    bool caseMatches(const Val &subject, const EP &v);
    void exec(const Stmt &s);
};

}  // namespace model
}  // namespace soundness
