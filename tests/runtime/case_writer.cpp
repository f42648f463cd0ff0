// Turns a table of libvel cases (tests/runtime/cases/*.cases) into a C++
// program that checks every row, so that one table runs natively and as a
// WebAssembly module alike.
//
// The table, line by line:
//   lines before the first "== title" line    file-scope C++ (includes, helpers)
//   == title                                  a new group: a function of its own
//   expression => expected                    a row: expression == expected
//   expression ~> expected                    a row of reals: equal to 4 ulps
//   any other line (statements, block heads)  C++ copied into the group as it is
// A row may go on over the next lines while its brackets are open. The
// program prints each failed row with its line and ends with
// "N passed, N failed".
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Walks `line` outside character and text literals, telling `visit` each
// position and the bracket depth there; stops early when `visit` says so.
// Gives the depth at the end.
template <class Visit>
int walkCode(const std::string &line, Visit visit) {
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quote) {
            if (c == '\\') ++i;
            else if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}') {
            --depth;
        } else if (visit(i, depth)) {
            break;
        }
    }
    return depth;
}

// The position of `arrow` outside brackets and literals, or npos.
std::size_t topLevelArrow(const std::string &line, const std::string &arrow) {
    std::size_t found = std::string::npos;
    walkCode(line, [&](std::size_t i, int depth) {
        if (depth != 0 || line.compare(i, arrow.size(), arrow) != 0) return false;
        found = i;
        return true;
    });
    return found;
}

int bracketBalance(const std::string &line) {
    return walkCode(line, [](std::size_t, int) { return false; });
}

// A row's text without the comment that may end its last line.
std::string withoutComment(const std::string &row) {
    std::size_t at = topLevelArrow(row, "//");
    return at == std::string::npos ? row : row.substr(0, at);
}

// C++ statements and block heads are copied; a row ends with its value.
bool endsStatementOrBlock(const std::string &line) {
    std::string code = withoutComment(line);
    std::size_t last = code.find_last_not_of(" \t");
    return last != std::string::npos && (code[last] == ';' || code[last] == '{');
}

std::string trimmed(const std::string &text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string quoted(const std::string &text) {
    std::string result = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') result += '\\';
        result += c;
    }
    return result + "\"";
}

// A row as the check the program makes, or "" when the line is no row.
std::string rowCheck(const std::string &row, int line) {
    for (const char *arrow : {"=>", "~>"}) {
        std::size_t at = topLevelArrow(row, arrow);
        if (at == std::string::npos) continue;
        std::string expression = trimmed(row.substr(0, at)), expected = trimmed(row.substr(at + 2));
        const char *check = arrow[0] == '=' ? "vel_case_equal" : "vel_case_near";
        return std::string(check) + "(" + std::to_string(line) + ", " + quoted(expression) + ", (" + expression +
               "), (" + expected + "));";
    }
    return "";
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::cerr << "usage: case_writer TABLE.cases OUTPUT.cpp\n";
        return 2;
    }
    std::ifstream table(argv[1]);
    if (!table) {
        std::cerr << "case_writer: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream program;
    program << "// Written by case_writer from " << argv[1] << "\n#include \"case_checks.hpp\"\n";
    int groups = 0, lineNumber = 0;
    std::string line;
    while (std::getline(table, line)) {
        ++lineNumber;
        int firstLine = lineNumber;
        std::string body = trimmed(line);
        if (body.compare(0, 3, "== ") == 0) {
            program << (groups ? "}\n" : "") << "void vel_case_group_" << ++groups << "() {  // " << body.substr(3)
                    << "\n";
            continue;
        }
        if (groups == 0 || body.compare(0, 2, "//") == 0) {
            program << line << "\n";
            continue;
        }
        if (endsStatementOrBlock(body)) {
            program << line << "\n";
            continue;
        }
        std::string row = line;
        for (std::string more; bracketBalance(row) > 0 && std::getline(table, more); ++lineNumber)
            row += "\n" + more;
        std::string check = rowCheck(withoutComment(row), firstLine);
        program << (check.empty() ? row : "    " + check) << "\n";
    }
    if (groups) program << "}\n";
    program << "int main() {\n";
    for (int group = 1; group <= groups; ++group) program << "    vel_case_group_" << group << "();\n";
    std::string tableName = argv[1];
    program << "    return vel_case_summary(" << quoted(tableName.substr(tableName.find_last_of('/') + 1)) << ");\n}\n";
    std::ofstream(argv[2]) << program.str();
    return 0;
}
