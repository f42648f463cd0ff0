// The Velmora text of a generated program's tree.
#include "program_model.hpp"

namespace soundness {
namespace model {

namespace {

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

// ---------------------------------------------------------------- text of a program

std::string indent(int depth) { return std::string(depth * 4, ' '); }

std::string enumItems(const Stmt &s) {
    std::string out;
    for (auto &item : s.enumItems)
        out += (out.empty() ? "" : ", ") + item.first + (item.second.empty() ? "" : " = " + item.second);
    return out;
}

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
    case SK::Enum: return "enum " + enumItems(s);
    default: return "";
    }
}

std::string caseValue(const EP &v) {
    if (v->kind == EK::InRange)
        return render(*v->kids[1]) + (v->inclusive ? ".." : " -- ") + render(*v->kids[2]);
    return render(*v);
}

// The end of a counted do loop: its form follows from the count.
std::string doEnd(const Stmt &s) {
    std::string count = std::to_string(s.number);
    switch (s.number % 3) {
    case 0: return "/do until " + s.names[0] + " >= " + count;
    case 1: return "until " + s.names[0] + " >= " + count;
    default: return "/do while " + s.names[0] + " < " + count;
    }
}

// A line that heads a block, then the block.
void clause(const std::string &head, const std::vector<SP> &body, int depth, std::string &out) {
    out += indent(depth) + head + "\n";
    renderBlock(body, depth + 1, out);
}

void renderStmt(const Stmt &s, int depth, std::string &out) {
    std::string in = indent(depth);
    switch (s.kind) {
    case SK::Enum:  // with the flag, the block form
        out += in + (s.flag ? "enum\n" + in + "    " + enumItems(s) + "\n" + in + "/enum" : renderSimple(s)) + "\n";
        return;
    case SK::If:
        clause("if " + render(*s.exprs[0]), s.body, depth, out);
        if (s.hasElse) clause("else", s.elseBody, depth, out);
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
            clause(v->kind == EK::InRange ? "in " + caseValue(v) : v->text + " " + render(*v->kids[0]), c.body, depth, out);
        }
        if (s.hasElse) clause("else", s.elseBody, depth, out);
        out += in + "/if\n";
        return;
    case SK::While:
        out += in + "while " + s.names[0] + " < " + std::to_string(s.number) + "\n";
        out += in + "    " + s.names[0] + " + 1\n";
        renderBlock(s.body, depth + 1, out);
        out += in + "/while\n";
        return;
    case SK::WhileLet:  // the counter moves in the let clause, after the body (and after a continue)
        clause("while " + s.names[0] + " < " + std::to_string(s.number), s.body, depth, out);
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
        out += in + (s.flag ? "/do" : doEnd(s)) + "\n";
        return;
    case SK::DoCase:
        out += in + "do\n";
        for (auto &c : s.cases) {
            clause("case " + render(*c.values[0]), c.body, depth, out);
        }
        if (s.hasElse) clause(s.keyword == "default" ? "default" : "else", s.elseBody, depth, out);
        out += in + "always\n";
        out += in + "    " + s.names[0] + " + 1\n";
        renderBlock(s.always, depth + 1, out);
        out += in + doEnd(s) + "\n";
        return;
    case SK::Switch:
        out += in + "switch " + render(*s.exprs[0]) + "\n";
        for (auto &c : s.cases) {
            out += in + "case ";
            for (size_t i = 0; i < c.values.size(); ++i) out += (i ? ", " : "") + caseValue(c.values[i]);
            out += "\n";
            renderBlock(c.body, depth + 1, out);
        }
        if (s.hasElse) clause("default", s.elseBody, depth, out);
        out += in + "/switch\n";
        return;
    case SK::Try:
        clause("try", s.body, depth, out);
        out += in + "/try\n";
        return;
    default: out += in + renderSimple(s) + "\n"; return;
    }
}

}  // namespace

void renderBlock(const std::vector<SP> &body, int depth, std::string &out) {
    for (auto &s : body) renderStmt(*s, depth, out);
}

}  // namespace model
}  // namespace soundness
