#include "fuzz_inputs.hpp"

#include "../soundness/program_generator.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace fuzz {
namespace {

// Sources grow by duplication and repetition; past this a mutation is left out.
constexpr std::size_t largestSource = 256 * 1024;

std::string readFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t below(std::mt19937_64 &rng, std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
}

bool chance(std::mt19937_64 &rng, int percent) { return int(below(rng, 100)) < percent; }

template <class T> const T &pick(std::mt19937_64 &rng, const std::vector<T> &items) {
    return items[below(rng, items.size())];
}

// Counts that sit at the limits the translator documents (64 arguments, 128
// levels and items) and on both sides of them, and a few far beyond.
std::size_t limitCount(std::mt19937_64 &rng) {
    static const std::vector<std::size_t> counts = {1,  2,   8,   9,   63,  64,  65,  127, 128,
                                                    129, 130, 200, 255, 256, 257, 300, 1000};
    return pick(rng, counts);
}

const std::vector<std::string> &oddPieces() {
    static const std::vector<std::string> pieces = {
        "\"", "'", "$", "${", "}", "{", "[", "]", "(", ")", "\\", "\n", "\t", "\r", "<", ">", "</", "/>", "/",
        "#", ":", ";", ",", ".", "..", "--", "=", "==", "?", "@", "`", "\xff", "\xc3\xa9", "\xe2\x82\xac",
        "\xef\xbb\xbf", std::string(1, '\0'), "\x01", "0", "-1", "2147483647", "2147483648",
        "9223372036854775807", "18446744073709551615", "18446744073709551616", "1e308", "1e309", "0.0",
        "99999999999999999999999999", "0x7fffffff", "0b101", "'\\'", "\"\\\"", "\"$x\"", "nil", "null",
        "this", "super", "void", "main", "class", "/class", "return", "include", "global", "static"};
    return pieces;
}

// Blocks that a nesting mutation wraps around lines: the opening line, the
// closing line. {d} is the depth, for names of their own.
struct Block {
    const char *open;
    const char *close;
};

const std::vector<Block> &blocks() {
    static const std::vector<Block> kinds = {
        {"if 1 = 1", "/if"},
        {"while false", "/while"},
        {"for i{d} = 1 to 2", "/for"},
        {"for int e{d} in [1, 2]", "/for"},
        {"do", "/do while false"},
        {"switch {d}", "/switch"},
        {"try", "/try"},
    };
    return kinds;
}

std::string replaceAll(std::string text, const std::string &from, const std::string &to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string joinLines(const std::vector<std::string> &lines) {
    std::string text;
    for (const auto &line : lines) text += line + "\n";
    return text;
}

std::string repeated(const std::string &piece, std::size_t count, const std::string &between = "") {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += (i ? between : "") + replaceAll(piece, "{i}", std::to_string(i));
    return text;
}

// A program at one of the translator's limits: wide or deep in one construct.
std::string limitProgram(std::mt19937_64 &rng, std::string &what) {
    std::size_t n = limitCount(rng);
    std::string count = std::to_string(n);
    switch (below(rng, 10)) {
    case 0:
        what = count + " arguments";
        return "int f(" + repeated("int a{i}", n, ", ") + ")\nreturn a0\nprint f(" + repeated("{i}", n, ", ") + ")\n";
    case 1:
        what = count + " print items";
        return "int x = 1\nprint " + repeated("x", n, ", ") + "\n";
    case 2:
        what = count + " assignment targets";
        return repeated("int v{i} = 0\n", n) + repeated("v{i}", n, ", ") + " = " + repeated("{i}", n, ", ") + "\n";
    case 3:
        what = count + " nested parentheses";
        return "print " + std::string(n, '(') + "1" + std::string(n, ')') + "\n";
    case 4:
        what = count + " chained subscripts";
        return "array a = [[1]]\nprint a" + repeated("[0]", n) + "\n";
    case 5:
        what = count + " derived classes";
        return "class C0\n    int get() return 0\n/class\n" +
               repeated("class C{i+1} is C{i}\n/class\n", n) + "C" + count + " c = C" + count + "()\nprint c.get()\n";
    case 6:
        what = count + " methods";
        return "class K\n" + repeated("    int m{i}() return {i}\n", n) + "/class\nK k = K()\nprint k.m0()\n";
    case 7:
        what = count + " operands";
        return "int x = 1\nprint " + repeated("x", n, pick(rng, std::vector<std::string>{" + ", " * ", " and ", " & ", " < "})) + "\n";
    case 8: {
        // Each operator in parentheses of its own, on either side: C++
        // writes some of them with brackets of their own.
        std::string step = pick(rng, std::vector<std::string>{"({x} << 1)", "({x} mod 3)", "({x} & 3)", "({x} / 2)",
                                                              "(1 << {x})", "(-{x} + 1)", "(7 mod {x})", "(({x}))",
                                                              "({x} = 1)", "({x} * 1.5)"});
        what = count + " nested " + step;
        std::string nested = "x";
        for (std::size_t i = 0; i < n; ++i) nested = replaceAll(step, "{x}", nested);
        return "int g(int v) return v\nint x = g(1)\nprint " + nested + "\n";
    }
    default:
        what = count + " nested calls";
        return "int g(int v) return v\nprint " + repeated("g(", n) + "1" + std::string(n, ')') + "\n";
    }
}

}  // namespace

std::vector<std::string> tokenize(const std::string &text) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    auto word = [&](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    while (i < text.size()) {
        std::size_t start = i;
        char c = text[i];
        if (word(c)) {
            while (i < text.size() && (word(text[i]) || (text[i] == '.' && std::isdigit(static_cast<unsigned char>(c)))))
                ++i;
        } else if (c == ' ' || c == '\t') {
            while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        } else if (c == '"' || c == '\'') {
            ++i;
            while (i < text.size() && text[i] != c && text[i] != '\n') i += text[i] == '\\' ? 2 : 1;
            i = std::min(text.size(), i + 1);
        } else {
            ++i;
        }
        tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

std::vector<FuzzCase> casesOfCaseFile(const std::string &text, const std::string &origin) {
    std::vector<FuzzCase> cases;
    FuzzCase current;
    std::string file;  // the source being read, empty outside a case's sources
    for (const std::string &line : splitLines(text)) {
        if (line.rfind("== ", 0) == 0) {
            current = FuzzCase{};
            current.origin = origin + " " + line.substr(3);
            file = "prog.vel";
            current.files[file];
        } else if (file.empty()) {
            continue;
        } else if (line == "--") {
            cases.push_back(current);
            file.clear();
        } else if (line.rfind("-- file ", 0) == 0) {
            file = line.substr(8);
            current.files[file];
        } else if (line.rfind("|", 0) != 0) {  // repetitions are the case runner's own notation
            current.files[file] += line + "\n";
        }
    }
    return cases;
}

std::vector<FuzzCase> loadCorpus(const std::vector<std::string> &folders) {
    std::vector<fs::path> paths;
    for (const auto &folder : folders) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
            if (it->is_regular_file()) paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());  // the same corpus, whatever order the file system lists it in
    std::vector<FuzzCase> corpus;
    for (const auto &path : paths) {
        std::string text = readFile(path);
        if (path.extension() == ".vel") {
            corpus.push_back(FuzzCase{{{"prog.vel", text}}, path.filename().string()});
        } else if (path.extension() == ".txt" && text.find("\n== ") != std::string::npos) {
            for (auto &c : casesOfCaseFile(text, path.filename().string())) corpus.push_back(std::move(c));
        }
    }
    return corpus;
}

Mutator::Mutator(std::vector<FuzzCase> programs) : corpus(std::move(programs)) {
    std::set<std::string> words;
    for (const auto &c : corpus)
        for (const auto &file : c.files)
            for (const auto &token : tokenize(file.second))
                if (token.size() <= 40 && token.find_first_not_of(" \t\n") != std::string::npos) words.insert(token);
    dictionary.assign(words.begin(), words.end());
    for (const auto &piece : oddPieces()) dictionary.push_back(piece);
}

std::string Mutator::mutateText(const std::string &text, std::mt19937_64 &rng, std::string &what) const {
    std::string out = text;
    std::size_t at = below(rng, out.size() + 1);
    auto tokens = [&] { return tokenize(out); };
    auto lines = [&] { return splitLines(out); };
    switch (below(rng, 12)) {
    case 0:
        what = "byte";
        if (!out.empty()) out[std::min(at, out.size() - 1)] = char(below(rng, 256));
        break;
    case 1:
        what = "cut";
        out.erase(std::min(at, out.size()), 1 + below(rng, 24));
        break;
    case 2:
        what = "insert";
        out.insert(at, pick(rng, oddPieces()));
        break;
    case 3: {
        what = "copy";
        std::size_t length = 1 + below(rng, 64);
        out.insert(below(rng, out.size() + 1), out.substr(std::min(at, out.size()), length));
        break;
    }
    case 4:
    case 5: {
        auto t = tokens();
        if (t.empty()) break;
        std::size_t i = below(rng, t.size());
        switch (below(rng, 4)) {
        case 0: what = "token dropped"; t.erase(t.begin() + long(i)); break;
        case 1: what = "token doubled"; t.insert(t.begin() + long(i), t[i]); break;
        case 2: what = "tokens swapped"; std::swap(t[i], t[below(rng, t.size())]); break;
        default: what = "token replaced"; t[i] = pick(rng, dictionary); break;
        }
        out.clear();
        for (const auto &token : t) out += token;
        break;
    }
    case 6: {
        auto t = tokens();
        what = "word inserted";
        std::size_t i = below(rng, t.size() + 1);
        t.insert(t.begin() + long(i), " " + pick(rng, dictionary) + " ");
        out.clear();
        for (const auto &token : t) out += token;
        break;
    }
    case 7:
    case 8: {
        auto l = lines();
        if (l.empty()) break;
        std::size_t i = below(rng, l.size()), j = below(rng, l.size());
        switch (below(rng, 4)) {
        case 0: what = "line dropped"; l.erase(l.begin() + long(i)); break;
        case 1: what = "lines swapped"; std::swap(l[i], l[j]); break;
        case 2: what = "indent changed"; l[i] = std::string(below(rng, 12), ' ') + l[i].substr(l[i].find_first_not_of(" \t") == std::string::npos ? l[i].size() : l[i].find_first_not_of(" \t")); break;
        default: what = "line moved"; { std::string moved = l[i]; l.erase(l.begin() + long(i)); l.insert(l.begin() + long(std::min(j, l.size())), moved); } break;
        }
        out = joinLines(l);
        break;
    }
    case 9: {
        auto l = lines();
        if (l.empty()) break;
        std::size_t i = below(rng, l.size()), n = limitCount(rng);
        what = "line repeated " + std::to_string(n) + " times";
        l.insert(l.begin() + long(i), n, l[i]);
        out = joinLines(l);
        break;
    }
    case 10: {
        // Lines of another program, which brings its declarations and blocks along.
        const FuzzCase &other = pick(rng, corpus);
        auto theirs = splitLines(other.files.begin()->second);
        auto l = lines();
        if (theirs.empty()) break;
        std::size_t from = below(rng, theirs.size()), count = 1 + below(rng, 12);
        what = "lines of " + other.origin;
        l.insert(l.begin() + long(below(rng, l.size() + 1)), theirs.begin() + long(from),
                 theirs.begin() + long(std::min(theirs.size(), from + count)));
        out = joinLines(l);
        break;
    }
    default: {
        auto t = tokens();
        std::vector<std::size_t> numbers;
        for (std::size_t i = 0; i < t.size(); ++i)
            if (std::isdigit(static_cast<unsigned char>(t[i][0]))) numbers.push_back(i);
        what = "number replaced";
        static const std::vector<std::string> values = {"0", "-1", "1", "7", "63", "64", "127", "128", "255", "256",
                                                        "2147483647", "2147483648", "4294967296", "9223372036854775807",
                                                        "9223372036854775808", "1e308", "1.5", "0.0", "100000000000"};
        if (!numbers.empty()) t[pick(rng, numbers)] = pick(rng, values);
        out.clear();
        for (const auto &token : t) out += token;
        break;
    }
    }
    return out.size() <= largestSource ? out : text;
}

void Mutator::mutateShape(FuzzCase &input, std::mt19937_64 &rng, std::string &what) const {
    std::string &main = input.files["prog.vel"];
    auto l = splitLines(main);
    switch (below(rng, 5)) {
    case 0: {
        // Lines wrapped in blocks, the same kind or a mixture, as deep as the limits and past them.
        std::size_t depth = limitCount(rng), from = below(rng, l.size() + 1), to = from + below(rng, l.size() - from + 1);
        bool mixed = chance(rng, 50);
        const Block *kind = &pick(rng, blocks());
        std::vector<std::string> opens, closes;
        for (std::size_t d = 0; d < depth; ++d) {
            if (mixed) kind = &pick(rng, blocks());
            std::string indent(std::min<std::size_t>(d, 40) * 4, ' ');
            std::string open = replaceAll(kind->open, "{d}", std::to_string(d));
            if (open.rfind("switch", 0) == 0) open += "\n" + indent + "case " + std::to_string(d);
            opens.push_back(indent + open);
            closes.insert(closes.begin(), indent + replaceAll(kind->close, "{d}", std::to_string(d)));
        }
        what = std::to_string(depth) + (mixed ? " mixed blocks" : std::string(" blocks of ") + kind->open);
        std::vector<std::string> out(l.begin(), l.begin() + long(from));
        out.insert(out.end(), opens.begin(), opens.end());
        out.insert(out.end(), l.begin() + long(from), l.begin() + long(to));
        if (from == to) out.push_back("print 1");
        out.insert(out.end(), closes.begin(), closes.end());
        out.insert(out.end(), l.begin() + long(to), l.end());
        main = joinLines(out);
        break;
    }
    case 1: {
        // The tail of the program moved into a source it includes; now and
        // then that source includes the program back, directly or through a third.
        std::size_t cut = below(rng, l.size() + 1);
        std::vector<std::string> head(l.begin(), l.begin() + long(cut)), tail(l.begin() + long(cut), l.end());
        std::string lib = joinLines(tail);
        what = "split at line " + std::to_string(cut + 1);
        switch (below(rng, 3)) {
        case 0:
            lib = "include \"prog.vel\"\n" + lib;
            what += ", cycle of two";
            break;
        case 1:
            lib = "include \"third.vel\"\n" + lib;
            input.files["third.vel"] = "include \"prog.vel\"\nint third_" + std::to_string(cut) + " = 3\n";
            what += ", cycle of three";
            break;
        default:
            break;
        }
        input.files["lib.vel"] = lib;
        main = "include \"lib.vel\"\n" + joinLines(head);
        break;
    }
    case 2: {
        static const std::vector<std::string> names = {"missing.vel", "prog.vel", "a b.vel", "q\\\"x.vel", "q'x.vel",
                                                       "../outside.vel", "/abs/olute.vel", "", "lib", "LIB.VEL", "dir/"};
        std::string name = pick(rng, names);
        what = "include of \"" + name + "\"";
        if (chance(rng, 50) && name.find('/') == std::string::npos && !name.empty())
            input.files[replaceAll(name, "\\\"", "\"")] = "int odd_named = 1\n";
        main = "include \"" + name + "\"\n" + main;
        break;
    }
    case 3: {
        std::string piece;
        std::string shape = limitProgram(rng, piece);
        what = "program of " + piece;
        main = chance(rng, 50) ? shape : main + shape;
        break;
    }
    default: {
        // Another program's sources beside this one's, the two mains joined.
        const FuzzCase &other = pick(rng, corpus);
        what = "joined with " + other.origin;
        for (const auto &file : other.files)
            if (file.first == "prog.vel") main += file.second;
            else input.files.emplace(file.first, file.second);
        break;
    }
    }
    if (main.size() > largestSource) main.resize(largestSource);
}

FuzzCase Mutator::mutate(FuzzCase input, std::mt19937_64 &rng) const {
    int count = 1 + int(below(rng, 4));
    for (int i = 0; i < count; ++i) {
        std::string what;
        if (chance(rng, 15)) {
            mutateShape(input, rng, what);
        } else {
            // Mostly the main source; the others now and then.
            auto file = input.files.begin();
            std::advance(file, long(below(rng, input.files.size())));
            if (chance(rng, 60)) file = input.files.find("prog.vel");
            file->second = mutateText(file->second, rng, what);
            if (file->first != "prog.vel") what += " in " + file->first;
        }
        input.origin += (i ? ", " : ": ") + what;
    }
    return input;
}

FuzzCase Mutator::make(std::uint64_t seed) const {
    std::mt19937_64 rng(seed * 0x9E3779B97F4A7C15ULL + 0x51);
    int kind = int(below(rng, 100));
    if (kind < 40 || corpus.empty()) {
        soundness::GeneratorOptions options;
        options.maxDepth = 2 + int(below(rng, 6));
        options.topStatements = 4 + int(below(rng, 24));
        options.pieces = int(below(rng, 7));
        options.trickyNames = chance(rng, 70);
        std::uint64_t programSeed = rng();
        FuzzCase c{{{"prog.vel", soundness::generateProgram(programSeed, options).source}},
                   "grammar program " + std::to_string(programSeed)};
        return kind < 25 ? c : mutate(std::move(c), rng);
    }
    FuzzCase c = pick(rng, corpus);
    c.origin = "mutant of " + c.origin;
    return mutate(std::move(c), rng);
}

}  // namespace fuzz
