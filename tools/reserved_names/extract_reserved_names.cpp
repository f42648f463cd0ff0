// Collects the names that a translation unit starting with the prologue of
// the generated C++ already uses at global scope, from the preprocessor's
// output of that prologue (compiler -E -dD):
//   - every macro name of a #define line, predefined ones included;
//   - every name declared at global namespace scope: functions, variables,
//     typedefs and alias declarations, classes, structs, unions and enums,
//     the enumerators of unscoped enums, names brought in by using
//     declarations, namespace aliases; extern "C" blocks, unnamed and
//     inline namespaces are looked into since their names are global too.
// Named namespaces, class bodies, function bodies, parameter lists,
// template parameter lists and initializers are skipped. Only names that
// start with a letter are kept: a Velmora name never starts with '_'.
//
// usage: extract_reserved_names OUTPUT.cpp [INPUT.i ...]
// OUTPUT.cpp defines the sorted table that semantics/reserved_names.cpp
// searches. With no input the table is empty.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum class Kind { Identifier, Literal, Punct };

struct Token {
    Kind kind;
    std::string text;
};

bool isIdentStart(char c) { return std::isalpha((unsigned char)c) || c == '_' || c == '$'; }
bool isIdentChar(char c) { return std::isalnum((unsigned char)c) || c == '_' || c == '$'; }

const std::set<std::string> &keywords() {
    static const std::set<std::string> words = {
        "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor", "bool",
        "break", "case", "catch", "char", "char8_t", "char16_t", "char32_t", "class", "compl",
        "concept", "const", "consteval", "constexpr", "constinit", "const_cast", "continue",
        "co_await", "co_return", "co_yield", "decltype", "default", "delete", "do", "double",
        "dynamic_cast", "else", "enum", "explicit", "export", "extern", "false", "float", "for",
        "friend", "goto", "if", "inline", "int", "long", "mutable", "namespace", "new",
        "noexcept", "not", "not_eq", "nullptr", "operator", "or", "or_eq", "private",
        "protected", "public", "register", "reinterpret_cast", "requires", "return", "short",
        "signed", "sizeof", "static", "static_assert", "static_cast", "struct", "switch",
        "template", "this", "thread_local", "throw", "true", "try", "typedef", "typeid",
        "typename", "typeof", "union", "unsigned", "using", "virtual", "void", "volatile",
        "wchar_t", "while", "xor", "xor_eq"};
    return words;
}

bool isKeyword(const std::string &s) { return keywords().count(s) != 0; }

// Words after which a parenthesized group is an operand or an attribute,
// never the parameter list of a declarator.
bool takesOperandGroup(const std::string &s) {
    static const std::set<std::string> gnu = {
        "__attribute__", "__attribute", "__asm__", "__asm", "__declspec", "__typeof__",
        "__typeof", "__alignof__", "__alignof", "_Alignas", "__decltype", "__underlying_type"};
    return isKeyword(s) || gnu.count(s) != 0;
}

// The preprocessed text as tokens; #define lines feed `macros` directly and
// every other directive (line markers, #pragma, #undef) is dropped.
class Lexer {
public:
    Lexer(const std::string &text, std::set<std::string> &macros) : s(text), macros(macros) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        bool lineStart = true;
        while (i < s.size()) {
            char c = s[i];
            if (c == '\n') {
                lineStart = true;
                ++i;
                continue;
            }
            if (std::isspace((unsigned char)c)) {
                ++i;
                continue;
            }
            if (c == '#' && lineStart) {
                directive();
                continue;
            }
            lineStart = false;
            if (c == '/' && peek(1) == '/') {
                while (i < s.size() && s[i] != '\n')
                    ++i;
                continue;
            }
            if (c == '/' && peek(1) == '*') {
                size_t end = s.find("*/", i + 2);
                i = end == std::string::npos ? s.size() : end + 2;
                continue;
            }
            if (isIdentStart(c)) {
                size_t b = i;
                while (i < s.size() && isIdentChar(s[i]))
                    ++i;
                std::string word = s.substr(b, i - b);
                if (i < s.size() && (s[i] == '"' || s[i] == '\'') && isLiteralPrefix(word)) {
                    literal(word.back() == 'R' && s[i] == '"');
                    out.push_back({Kind::Literal, ""});
                } else {
                    out.push_back({Kind::Identifier, word});
                }
                continue;
            }
            if (std::isdigit((unsigned char)c) || (c == '.' && std::isdigit((unsigned char)peek(1)))) {
                number();
                out.push_back({Kind::Literal, ""});
                continue;
            }
            if (c == '"' || c == '\'') {
                literal(false);
                out.push_back({Kind::Literal, ""});
                continue;
            }
            out.push_back({Kind::Punct, punct()});
        }
        return out;
    }

private:
    char peek(size_t ahead) const { return i + ahead < s.size() ? s[i + ahead] : '\0'; }

    static bool isLiteralPrefix(const std::string &w) {
        return w == "L" || w == "u" || w == "U" || w == "u8" || w == "R" || w == "LR" ||
               w == "uR" || w == "UR" || w == "u8R";
    }

    void directive() {
        size_t end = s.find('\n', i);
        if (end == std::string::npos)
            end = s.size();
        std::string line = s.substr(i + 1, end - i - 1);
        i = end;
        size_t p = 0;
        while (p < line.size() && std::isspace((unsigned char)line[p]))
            ++p;
        if (line.compare(p, 6, "define") != 0)
            return;
        p += 6;
        while (p < line.size() && std::isspace((unsigned char)line[p]))
            ++p;
        size_t b = p;
        while (p < line.size() && isIdentChar(line[p]))
            ++p;
        if (p > b)
            macros.insert(line.substr(b, p - b));
    }

    void number() {
        while (i < s.size()) {
            char c = s[i];
            if ((c == 'e' || c == 'E' || c == 'p' || c == 'P') && (peek(1) == '+' || peek(1) == '-'))
                i += 2;
            else if (isIdentChar(c) || c == '.' || (c == '\'' && isIdentChar(peek(1))))
                ++i;
            else
                break;
        }
    }

    // At the opening quote of a string or character literal.
    void literal(bool raw) {
        char quote = s[i++];
        if (raw) {
            size_t open = s.find('(', i);
            std::string close = ")" + s.substr(i, open - i) + "\"";
            size_t end = s.find(close, open);
            i = end == std::string::npos ? s.size() : end + close.size();
        } else {
            while (i < s.size() && s[i] != quote && s[i] != '\n') {
                if (s[i] == '\\')
                    ++i;
                ++i;
            }
            ++i;
        }
        while (i < s.size() && isIdentChar(s[i]))   // user-defined literal suffix
            ++i;
    }

    std::string punct() {
        static const char *const multi[] = {"...", "<<=", ">>=", "->*", "::", "->", "++", "--",
                                            "<<",  ">>",  "<=",  ">=", "==", "!=", "&&", "||",
                                            "+=",  "-=",  "*=",  "/=", "%=", "&=", "|=", "^=",
                                            ".*",  "##"};
        for (const char *m : multi) {
            size_t n = std::char_traits<char>::length(m);
            if (s.compare(i, n, m) == 0) {
                i += n;
                return m;
            }
        }
        return std::string(1, s[i++]);
    }

    const std::string &s;
    std::set<std::string> &macros;
    size_t i = 0;
};

class GlobalScopeScanner {
public:
    GlobalScopeScanner(const std::vector<Token> &tokens, std::set<std::string> &names)
        : t(tokens), names(names) {}

    void run() {
        size_t pos = 0;
        while (pos < t.size()) {
            pos = sequence(pos);
            if (pos < t.size() && is(pos, "}"))   // unbalanced: go on after it
                ++pos;
        }
    }

private:
    bool is(size_t p, const char *text) const {
        return p < t.size() && t[p].kind != Kind::Identifier && t[p].text == text;
    }
    bool isWord(size_t p, const char *text) const {
        return p < t.size() && t[p].kind == Kind::Identifier && t[p].text == text;
    }
    bool isIdent(size_t p) const { return p < t.size() && t[p].kind == Kind::Identifier; }
    bool isName(size_t p) const { return isIdent(p) && !isKeyword(t[p].text); }
    bool isOpener(size_t p) const { return is(p, "(") || is(p, "[") || is(p, "{"); }

    void declare(size_t p) { names.insert(t[p].text); }

    // A sequence of declarations whose names are global: the file, or the
    // body of an extern "C" block or of an unnamed or inline namespace.
    // Returns the position of the closing brace, or the end.
    size_t sequence(size_t pos) {
        while (pos < t.size() && !is(pos, "}"))
            pos = declaration(pos);
        return pos;
    }

    // A group (), [] or {} at pos; returns the position after its end.
    size_t skipGroup(size_t pos) {
        std::vector<char> open;
        do {
            const std::string &x = t[pos].text;
            if (t[pos].kind == Kind::Punct) {
                if (x == "(" || x == "[" || x == "{")
                    open.push_back(x[0]);
                else if (x == ")" || x == "]" || x == "}") {
                    char want = x == ")" ? '(' : x == "]" ? '[' : '{';
                    while (!open.empty() && open.back() != want)
                        open.pop_back();
                    if (!open.empty())
                        open.pop_back();
                }
            }
            ++pos;
        } while (pos < t.size() && !open.empty());
        return pos;
    }

    // Template arguments or parameters at the '<' at pos; returns the
    // position after the closing '>'. Stops before a ';', '{' or '}' outside
    // parentheses, which cannot be inside the list.
    size_t skipAngles(size_t pos) {
        int depth = 0;
        while (pos < t.size()) {
            if (isOpener(pos) && !is(pos, "{")) {
                pos = skipGroup(pos);
                continue;
            }
            if (is(pos, ";") || is(pos, "{") || is(pos, "}") || is(pos, ")") || is(pos, "]"))
                return pos;
            if (is(pos, "<"))
                ++depth;
            else if (is(pos, ">"))
                --depth;
            else if (is(pos, ">>"))
                depth -= 2;
            ++pos;
            if (depth <= 0)
                return pos;
        }
        return pos;
    }

    size_t skipToSemicolon(size_t pos) {
        while (pos < t.size() && !is(pos, ";") && !is(pos, "}"))
            pos = isOpener(pos) ? skipGroup(pos) : pos + 1;
        return is(pos, ";") ? pos + 1 : pos;
    }

    // Skips attribute groups: __attribute__((...)), alignas(...), [[...]].
    size_t skipAttributes(size_t pos) {
        for (;;) {
            if (isIdent(pos) && takesOperandGroup(t[pos].text) && is(pos + 1, "("))
                pos = skipGroup(pos + 1);
            else if (is(pos, "[") && is(pos + 1, "["))
                pos = skipGroup(pos);
            else
                return pos;
        }
    }

    size_t declaration(size_t pos) {
        while (isWord(pos, "__extension__"))
            ++pos;
        if (is(pos, ";"))
            return pos + 1;
        if (isWord(pos, "inline") && isWord(pos + 1, "namespace"))
            ++pos;
        if (isWord(pos, "namespace"))
            return namespaceDefinition(pos + 1);
        if (isWord(pos, "extern") && pos + 1 < t.size() && t[pos + 1].kind == Kind::Literal &&
            is(pos + 2, "{"))
            return transparentBlock(pos + 2);
        if (isWord(pos, "template")) {
            ++pos;
            if (is(pos, "<"))
                pos = skipAngles(pos);
            return declaration(pos);
        }
        if (isWord(pos, "static_assert") || isWord(pos, "_Static_assert") || isWord(pos, "asm") ||
            isWord(pos, "__asm__"))
            return skipToSemicolon(pos);
        if (isWord(pos, "using") && isWord(pos + 1, "namespace")) {
            // A using directive at global scope would make a whole namespace
            // global; the headers are expected to have none.
            std::cerr << "extract_reserved_names: global using directive for "
                      << (isIdent(pos + 2) ? t[pos + 2].text : std::string("?")) << "\n";
            return skipToSemicolon(pos);
        }
        return simpleDeclaration(pos);
    }

    // After the word namespace.
    size_t namespaceDefinition(size_t pos) {
        bool named = isName(pos) && t[pos].text.compare(0, 11, "__attribute") != 0;
        size_t nameAt = pos;
        while (pos < t.size() && !is(pos, "{") && !is(pos, "=") && !is(pos, ";") && !is(pos, "}"))
            pos = is(pos, "(") ? skipGroup(pos) : pos + 1;
        if (is(pos, "=")) {   // namespace alias
            if (named)
                declare(nameAt);
            return skipToSemicolon(pos);
        }
        if (!is(pos, "{"))
            return is(pos, ";") ? pos + 1 : pos;
        bool isInline = nameAt >= 2 && isWord(nameAt - 2, "inline");
        if (named && !isInline)
            return skipGroup(pos);
        return transparentBlock(pos);
    }

    // At the '{' of a block whose declarations are global.
    size_t transparentBlock(size_t pos) {
        pos = sequence(pos + 1);
        return pos < t.size() ? pos + 1 : pos;
    }

    // After class, struct, union or enum (and class/struct of a scoped
    // enum): the head up to the body, the ';' or the declarator.
    size_t classHead(size_t pos) {
        pos = skipAttributes(pos);
        size_t last = t.size();
        bool qualified = false;
        if (is(pos, "::")) {
            qualified = true;
            ++pos;
        }
        while (isName(pos)) {
            last = pos++;
            if (is(pos, "<"))
                pos = skipAngles(pos);
            if (!is(pos, "::"))
                break;
            qualified = true;
            ++pos;
        }
        if (last < t.size() && !qualified)
            declare(last);
        pos = skipAttributes(pos);
        if (isWord(pos, "final"))
            ++pos;
        if (is(pos, ":")) {   // base clause, or the underlying type of an enum
            while (pos < t.size() && !is(pos, "{") && !is(pos, ";") && !is(pos, "}")) {
                if (isOpener(pos))
                    pos = skipGroup(pos);
                else if (is(pos, "<") && isIdent(pos - 1))
                    pos = skipAngles(pos);
                else
                    ++pos;
            }
        }
        return pos;
    }

    // At the '{' of an unscoped enum's body.
    size_t enumerators(size_t pos) {
        size_t end = skipGroup(pos);
        bool expectName = true;
        for (size_t p = pos + 1; p + 1 < end;) {
            if (expectName) {
                p = skipAttributes(p);
                if (isName(p))
                    declare(p);
                expectName = false;
            }
            if (is(p, ",")) {
                expectName = true;
                ++p;
            } else if (isOpener(p)) {
                p = skipGroup(p);
            } else {
                ++p;
            }
        }
        return end;
    }

    // After `operator`: the operator's symbol, so that '<', '>', '(' and '['
    // are not read as brackets.
    size_t operatorSymbol(size_t pos) {
        if ((is(pos, "(") && is(pos + 1, ")")) || (is(pos, "[") && is(pos + 1, "]")))
            return pos + 2;
        if (isWord(pos, "new") || isWord(pos, "delete")) {
            ++pos;
            if (is(pos, "[") && is(pos + 1, "]"))
                pos += 2;
            return pos;
        }
        if (pos < t.size() && t[pos].kind == Kind::Literal)   // operator""_suffix
            return isIdent(pos + 1) ? pos + 2 : pos + 1;
        if (pos < t.size() && t[pos].kind == Kind::Punct && !is(pos, "(") && !is(pos, "{"))
            return pos + 1;
        return pos;   // a conversion function: its type follows
    }

    // Ends after the ';' or after a function body.
    size_t simpleDeclaration(size_t pos) {
        enum class Pending { None, Class, UnscopedEnum, ScopedEnum } pending = Pending::None;
        bool inInitializer = false;
        bool inTrailingReturn = false;
        size_t lastDeclared = t.size();
        while (pos < t.size()) {
            const Token &tok = t[pos];
            if (is(pos, ";"))
                return pos + 1;
            if (is(pos, "}"))
                return pos;   // end of the enclosing block
            if (is(pos, ",")) {
                inInitializer = inTrailingReturn = false;
                ++pos;
                continue;
            }
            if (is(pos, "=")) {
                inInitializer = true;
                ++pos;
                continue;
            }
            if (is(pos, "->") && !inInitializer) {
                inTrailingReturn = true;
                ++pos;
                continue;
            }
            if (is(pos, "{")) {
                if (inInitializer || is(pos - 1, "=")) {
                    pos = skipGroup(pos);
                } else if (pending != Pending::None && !inTrailingReturn) {
                    pos = pending == Pending::UnscopedEnum ? enumerators(pos) : skipGroup(pos);
                    pending = Pending::None;
                } else if (lastDeclared == pos - 1 && !inTrailingReturn) {
                    pos = skipGroup(pos);   // int x{1};
                } else {
                    return skipGroup(pos);   // function body
                }
                continue;
            }
            if (is(pos, "(")) {
                if (!inInitializer && !inTrailingReturn) {
                    if (startsDeclarator(pos + 1))
                        declaratorInParentheses(pos + 1);
                    else if (!(isIdent(pos - 1) && takesOperandGroup(t[pos - 1].text)))
                        pending = Pending::None;   // a parameter list
                }
                pos = skipGroup(pos);
                continue;
            }
            if (is(pos, "[")) {
                pos = skipGroup(pos);
                continue;
            }
            if (is(pos, "<") && isIdent(pos - 1)) {
                pos = skipAngles(pos);
                continue;
            }
            if (tok.kind != Kind::Identifier || inInitializer || inTrailingReturn) {
                ++pos;
                continue;
            }
            const std::string &w = tok.text;
            if (w == "operator") {
                pos = operatorSymbol(pos + 1);
                continue;
            }
            if (w == "extern" && pos + 1 < t.size() && t[pos + 1].kind == Kind::Literal) {
                pos += 2;
                continue;
            }
            if (w == "class" || w == "struct" || w == "union" || w == "enum") {
                pending = Pending::Class;
                ++pos;
                if (w == "enum") {
                    pending = Pending::UnscopedEnum;
                    if (isWord(pos, "class") || isWord(pos, "struct")) {
                        pending = Pending::ScopedEnum;
                        ++pos;
                    }
                }
                pos = classHead(pos);
                continue;
            }
            if (isKeyword(w)) {
                ++pos;
                continue;
            }
            if (is(pos + 1, "::") || is(pos - 1, "::")) {   // a qualifier, or a qualified name
                ++pos;
                continue;
            }
            if (endsDeclarator(pos + 1)) {
                declare(pos);
                lastDeclared = pos;
            }
            ++pos;
        }
        return pos;
    }

    // Whether a parenthesized group whose first token is at pos holds a
    // declarator: (*f), (&r), (C::*m), as opposed to a parameter list.
    bool startsDeclarator(size_t pos) const {
        if (is(pos, "*") || is(pos, "&") || is(pos, "&&") || is(pos, "^"))
            return true;
        while (isIdent(pos) && is(pos + 1, "::"))
            pos += 2;
        return pos > 0 && is(pos - 1, "::") && is(pos, "*");
    }

    // Whether the token at pos may follow the name of a declarator.
    bool endsDeclarator(size_t pos) const {
        if (is(pos, "(")) {
            // A type followed by a declarator in parentheses: text (*f)(int).
            return !startsDeclarator(pos + 1);
        }
        if (is(pos, ";") || is(pos, ",") || is(pos, "=") || is(pos, "[") || is(pos, "{") ||
            is(pos, ")"))
            return true;
        // int x __attribute__((...)); int f __asm__("f"); void f noexcept...
        return isIdent(pos) && takesOperandGroup(t[pos].text);
    }

    // Just inside a '(' that starts with a pointer or reference: the
    // declarator name of (*name)(...) or (*name(...))(...).
    void declaratorInParentheses(size_t pos) {
        for (;;) {
            if (is(pos, "*") || is(pos, "&") || is(pos, "&&") || is(pos, "^"))
                ++pos;
            else if (isIdent(pos) && is(pos + 1, "::"))   // pointer to member: C::*
                pos += 2;
            else if (isIdent(pos) && (t[pos].text == "const" || t[pos].text == "volatile" ||
                                      t[pos].text.compare(0, 2, "__") == 0))
                pos = is(pos + 1, "(") ? skipGroup(pos + 1) : pos + 1;
            else if (is(pos, "("))
                ++pos;
            else
                break;
        }
        if (isName(pos) && !is(pos + 1, "::"))
            declare(pos);
    }

    const std::vector<Token> &t;
    std::set<std::string> &names;
};

bool startsWithLetter(const std::string &s) {
    if (s.empty() || !std::isalpha((unsigned char)s[0]))
        return false;
    for (char c : s)
        if (!std::isalnum((unsigned char)c) && c != '_')
            return false;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::cerr << "usage: extract_reserved_names OUTPUT.cpp [INPUT.i ...]\n";
        return 2;
    }
    std::set<std::string> all;
    for (int k = 2; k < argc; ++k) {
        std::ifstream in(argv[k], std::ios::binary);
        if (!in) {
            std::cerr << "extract_reserved_names: cannot read " << argv[k] << "\n";
            return 1;
        }
        std::stringstream buffer;
        buffer << in.rdbuf();
        std::string text = buffer.str();
        std::set<std::string> macros, declared;
        std::vector<Token> tokens = Lexer(text, macros).run();
        GlobalScopeScanner(tokens, declared).run();
        size_t before = all.size();
        for (const auto *group : {&macros, &declared})
            for (const std::string &name : *group)
                if (startsWithLetter(name))
                    all.insert(name);
        std::cout << "extract_reserved_names: " << argv[k] << ": " << macros.size() << " macros, "
                  << declared.size() << " global declarations, " << all.size() - before
                  << " new names\n";
    }
    std::ostringstream out;
    out << "// Generated by extract_reserved_names; rebuilt with the compiler's headers.\n"
           "#include <cstddef>\n\n"
           "extern const char *const headerReservedNames[];\n"
           "extern const std::size_t headerReservedNameCount;\n\n"
           "const char *const headerReservedNames[] = {\n";
    for (const std::string &name : all)   // std::set: sorted as strcmp sorts
        out << "    \"" << name << "\",\n";
    out << "    nullptr};\n"
        << "const std::size_t headerReservedNameCount = " << all.size() << ";\n";
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) {
        std::cerr << "extract_reserved_names: cannot write " << argv[1] << "\n";
        return 1;
    }
    std::cout << "extract_reserved_names: " << all.size() << " names from the headers\n";
    return 0;
}
