#include "driver/formatter.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "driver/format_tokens.hpp"
#include "driver/text_tools.hpp"
#include "driver/unreadable_lines.hpp"

namespace {

// ---------------------------------------------------------------------------
// Block levels.

// An open block: what opened it ("if", "for", ... as its end is spelt
// without the slash, or "function") and the level of its first line.
struct Block {
    std::string kind;
    int level;
};

bool isSymbol(const FormatToken &token, const char *text) {
    return token.kind == FormatTokenKind::symbol && token.text == text;
}

bool isWord(const FormatToken &token, const char *text) {
    return token.kind == FormatTokenKind::word && token.text == text;
}

bool hasToken(const std::vector<FormatToken> &tokens, std::size_t from, FormatTokenKind kind, const char *text) {
    for (std::size_t i = from; i < tokens.size(); i++)
        if (tokens[i].kind == kind && (text == nullptr || tokens[i].text == text))
            return true;
    return false;
}

// Words that begin a statement, never the type of a function's result.
bool isStatementWord(const std::string &word) {
    static const std::set<std::string> words = {
        "print", "echo", "return", "input", "if", "while", "for", "do", "switch", "case", "else",
        "default", "new", "delete", "break", "continue", "global", "let", "until", "include", "import",
        "extern", "define", "enum", "class", "try", "catch", "error", "not", "and", "or", "in",
        "step", "forever", "always", "this", "super", "nil", "true", "false", "null", "zero"};
    return words.count(word) != 0;
}

bool isModifier(const std::string &word) {
    return word == "private" || word == "protected" || word == "static" || word == "volatile" ||
           word == "inline" || word == "const";
}

// One type at i ("int", "Point", "geo.Point", "text[]"); false when none.
bool skipType(const std::vector<FormatToken> &tokens, std::size_t &i) {
    if (i >= tokens.size() || tokens[i].kind != FormatTokenKind::word || isStatementWord(tokens[i].text))
        return false;
    i++;
    while (i + 1 < tokens.size() && isSymbol(tokens[i], ".") && tokens[i + 1].kind == FormatTokenKind::word)
        i += 2;
    while (i + 1 < tokens.size() && isSymbol(tokens[i], "[") && isSymbol(tokens[i + 1], "]"))
        i += 2;
    return true;
}

// A function's head alone on its line: its types, its name and its
// parameters, the body on the lines below up to the return at its level.
bool isFunctionHead(const std::vector<FormatToken> &tokens) {
    std::size_t i = 0;
    while (i < tokens.size() && tokens[i].kind == FormatTokenKind::word && isModifier(tokens[i].text))
        i++;
    if (!skipType(tokens, i))
        return false;
    while (i < tokens.size() && isSymbol(tokens[i], ","))
        if (!skipType(tokens, ++i))
            return false;
    if (i + 1 >= tokens.size() || tokens[i].kind != FormatTokenKind::word || !isSymbol(tokens[i + 1], "("))
        return false;
    int depth = 0;
    for (std::size_t j = i + 1; j < tokens.size(); j++) {
        if (isSymbol(tokens[j], "("))
            depth++;
        else if (isSymbol(tokens[j], ")") && --depth == 0)
            return j + 1 == tokens.size();
    }
    return false;
}

// The kind of block a line opens, or "" when it opens none.
std::string blockOpened(const std::vector<FormatToken> &tokens, const std::vector<Block> &blocks) {
    const std::string &first = tokens[0].text;
    bool closesOnTheLine = hasToken(tokens, 1, FormatTokenKind::terminator, nullptr);
    // The one-line forms: "?" and a statement, or a statement that begins
    // with one of these words, after the condition.
    bool oneLine = hasToken(tokens, 1, FormatTokenKind::symbol, "?");
    for (const char *word : {"let", "print", "echo", "input", "return", "break", "continue"})
        oneLine = oneLine || hasToken(tokens, 1, FormatTokenKind::word, word);
    if (tokens[0].kind == FormatTokenKind::word) {
        if (first == "if" || first == "for" || first == "while" || first == "error")
            return oneLine || closesOnTheLine ? "" : first;
        if (first == "do")
            return closesOnTheLine || hasToken(tokens, 1, FormatTokenKind::word, "until") ? "" : first;
        if (first == "switch" || first == "try" || first == "class" || first == "import")
            return closesOnTheLine ? "" : first;
        if (first == "enum" || first == "extern")
            return tokens.size() == 1 || (tokens.size() == 2 && isSymbol(tokens[1], ":")) ? first : "";
    }
    bool functionPlace = blocks.empty() || blocks.back().kind == "class";
    return functionPlace && isFunctionHead(tokens) ? "function" : "";
}

bool isComparison(const FormatToken &token) {
    static const std::set<std::string> comparisons = {"<", ">", "=", "<=", ">=", "!=", "<>"};
    return token.kind == FormatTokenKind::symbol && comparisons.count(token.text) != 0;
}

// A line that stands at the level of the block around it and goes on it:
// "else", a "case", the branches of a composite if, "catch".
bool continuesBlock(const std::vector<FormatToken> &tokens, const std::string &kind) {
    const FormatToken &first = tokens[0];
    if (kind == "if")
        return isWord(first, "else") || isWord(first, "in") || isComparison(first);
    if (kind == "switch" || kind == "do")
        return isWord(first, "case") || isWord(first, "default") || isWord(first, "else") ||
               isWord(first, "always");
    if (kind == "try")
        return isWord(first, "catch");
    return false;
}

// A line that ends the innermost block: its slash word, "until" after a
// do, "let" after a while, the return at a function's own level.
bool closesBlock(const std::vector<FormatToken> &tokens, const std::string &kind) {
    return (kind == "do" && isWord(tokens[0], "until")) || (kind == "while" && isWord(tokens[0], "let")) ||
           (kind == "function" && isWord(tokens[0], "return"));
}

class BlockLevels {
public:
    int current() const { return blocks_.empty() ? 0 : blocks_.back().level + 1; }

    // The level of a line of code, the blocks updated for the lines after it.
    int levelOf(const std::vector<FormatToken> &tokens) {
        if (tokens[0].kind == FormatTokenKind::terminator)
            return close(tokens[0].text.substr(1));
        if (!blocks_.empty()) {
            const Block &inner = blocks_.back();
            if (continuesBlock(tokens, inner.kind)) {
                int level = inner.level;
                // "else if x" opens a block of its own, with an end of its own.
                if (isWord(tokens[0], "else") && tokens.size() > 1) {
                    std::vector<FormatToken> rest(tokens.begin() + 1, tokens.end());
                    std::string opened = blockOpened(rest, blocks_);
                    if (!opened.empty() && opened != "function")
                        blocks_.push_back({opened, level});
                }
                return level;
            }
            if (closesBlock(tokens, inner.kind)) {
                int level = inner.level;
                blocks_.pop_back();
                return level;
            }
        }
        int level = current();
        std::string opened = blockOpened(tokens, blocks_);
        if (!opened.empty())
            blocks_.push_back({opened, level});
        return level;
    }

private:
    // Closes the innermost block of that kind and those inside it; a slash
    // word without its block leaves the levels alone.
    int close(const std::string &kind) {
        for (std::size_t i = blocks_.size(); i-- > 0;) {
            if (blocks_[i].kind != kind)
                continue;
            int level = blocks_[i].level;
            blocks_.resize(i);
            return level;
        }
        return current();
    }

    std::vector<Block> blocks_;
};

// ---------------------------------------------------------------------------
// Blanks between the tokens of a line.

bool isBinaryOperatorText(const std::string &text) {
    static const std::set<std::string> operators = {"=", "!=", "<>", "<=", ">=", "<", ">", "+", "-",
                                                    "*", "/", "|", "^", "&", "<<", ">>", "?"};
    return operators.count(text) != 0;
}

// Whether a value cannot end at this token, so that a sign after it is a sign.
bool expectsOperand(const FormatToken &token) {
    if (token.kind == FormatTokenKind::symbol)
        return token.text != ")" && token.text != "]" && token.text != "}";
    return token.kind == FormatTokenKind::word && isWordBeforeOperand(token.text);
}

class TokenJoiner {
public:
    explicit TokenJoiner(const std::vector<FormatToken> &tokens) : tokens_(tokens), keyColon_(keyColons(tokens)) {}

    std::string joined() const {
        std::string text;
        for (std::size_t k = 0; k < tokens_.size(); k++) {
            if (k > 0 && blankBetween(k))
                text += ' ';
            text += tokens_[k].text;
        }
        return text;
    }

private:
    // The colons between a key and its value: those directly inside a "{"
    // of the line, and those after a quoted key on a line that continues a
    // dict. They are written as in "{"a": 1}".
    static std::vector<bool> keyColons(const std::vector<FormatToken> &tokens) {
        std::vector<bool> colons(tokens.size(), false);
        std::vector<std::string> open;
        for (std::size_t k = 0; k < tokens.size(); k++) {
            const FormatToken &token = tokens[k];
            if (isSymbol(token, "{") || isSymbol(token, "(") || isSymbol(token, "["))
                open.push_back(token.text);
            else if ((isSymbol(token, "}") || isSymbol(token, ")") || isSymbol(token, "]")) && !open.empty())
                open.pop_back();
            else if (isSymbol(token, ":") && k > 0 && k + 1 < tokens.size())
                colons[k] = open.empty() ? tokens[k - 1].kind == FormatTokenKind::text : open.back() == "{";
        }
        return colons;
    }

    bool isSign(std::size_t k) const {
        const FormatToken &token = tokens_[k];
        if (token.kind != FormatTokenKind::symbol)
            return false;
        if (token.text == "~")
            return true;
        return (token.text == "-" || token.text == "+") && (k == 0 || expectsOperand(tokens_[k - 1]));
    }

    bool isBinary(std::size_t k) const {
        const FormatToken &token = tokens_[k];
        // The operators spelled as words are binary wherever they stand:
        // "(a)and(b)" is "(a) and (b)".
        if (token.kind == FormatTokenKind::word)
            return token.text == "and" || token.text == "or" || token.text == "mod";
        return token.kind == FormatTokenKind::symbol && isBinaryOperatorText(token.text) && !isSign(k);
    }

    bool blankBetween(std::size_t k) const {
        const FormatToken &before = tokens_[k - 1], &token = tokens_[k];
        // A slash and a word opening the line end a block, a known one or not.
        if (k == 1 && isSymbol(before, "/") && token.kind == FormatTokenKind::word && !token.blankBefore)
            return false;
        if (isSymbol(token, ",") || isSymbol(token, ";") || isSymbol(token, ")") || isSymbol(token, "]") || isSymbol(before, "(") ||
            isSymbol(before, "["))
            return false;
        if (isSymbol(before, ",") || isSymbol(before, ";"))
            return true;
        if (keyColon_[k])
            return false;
        if (keyColon_[k - 1])
            return true;
        if (isSymbol(token, ".") || isSymbol(before, "."))
            return false;
        if (isBinary(k) || isBinary(k - 1))
            return true;
        // A sign stands against its operand, but not against a word: "- not r".
        if (isSign(k - 1))
            return token.kind == FormatTokenKind::word && token.blankBefore;
        return token.blankBefore;
    }

    const std::vector<FormatToken> &tokens_;
    const std::vector<bool> keyColon_;
};

std::vector<std::string> textsOf(const std::vector<FormatToken> &tokens) {
    std::vector<std::string> texts;
    for (const FormatToken &token : tokens)
        texts.push_back(token.text);
    return texts;
}

bool hasMarkup(const std::vector<FormatToken> &tokens) {
    return hasToken(tokens, 0, FormatTokenKind::markup, nullptr);
}

bool isOperatorSymbol(const FormatToken &token) {
    return token.kind == FormatTokenKind::symbol &&
           (token.text == ".." || token.text.find_first_not_of("+-*/%=<>!&|^:~?") == std::string::npos);
}

// Whether two operator signs stand together as one operator of other
// languages ("x += 1", "a == b", "i++", "x := 1", "v => v", "0..<3"), which
// velc refuses with a message naming it: blanks between them would hide
// what was meant. Velmora itself puts two signs together only when the
// second is the sign of a value ("x=-1", "a<-b").
bool hasForeignOperator(const std::vector<FormatToken> &tokens) {
    for (std::size_t i = 1; i < tokens.size(); i++) {
        const FormatToken &before = tokens[i - 1], &token = tokens[i];
        if (token.blankBefore || !isOperatorSymbol(before) || !isOperatorSymbol(token))
            continue;
        bool sign = (token.text == "-" || token.text == "+" || token.text == "~") && token.text != before.text;
        if (!sign)
            return true;
    }
    return false;
}

// The code of a line with its blanks made canonical; as written (without
// its outer blanks) when it holds XML or the new blanks would cut it into
// other tokens.
std::string canonicalCode(const FormatLine &line, const std::string &written) {
    if (hasMarkup(line.tokens) || !line.closedText || hasForeignOperator(line.tokens))
        return written;
    std::string code = TokenJoiner(line.tokens).joined();
    if (textsOf(tokenizeLine(code).tokens) != textsOf(line.tokens))
        return written;
    return code;
}

// ---------------------------------------------------------------------------
// Lines.

// How deep the line leaves the XML elements open before it.
int xmlDepthAfter(const std::vector<FormatToken> &tokens, int depth) {
    for (std::size_t i = 0; i < tokens.size(); i++) {
        const FormatToken &token = tokens[i];
        if (token.kind == FormatTokenKind::markup && token.text.size() > 1 && token.text[1] != '!' &&
            token.text[1] != '?')
            depth += token.text[1] == '/' ? -1 : 1;
        else if (isSymbol(token, "/") && i + 1 < tokens.size() && isSymbol(tokens[i + 1], ">") &&
                 !tokens[i + 1].blankBefore)
            depth--;
    }
    return depth < 0 ? 0 : depth;
}

int bracketDepthAfter(const std::vector<FormatToken> &tokens, int depth) {
    for (const FormatToken &token : tokens) {
        if (isSymbol(token, "(") || isSymbol(token, "[") || isSymbol(token, "{"))
            depth++;
        else if ((isSymbol(token, ")") || isSymbol(token, "]") || isSymbol(token, "}")) && depth > 0)
            depth--;
    }
    return depth;
}

const char *closerOf(LineOpening opening) {
    switch (opening) {
    case LineOpening::blockComment: return "*/";
    case LineOpening::native: return "~~";
    case LineOpening::templateText: return "`";
    default: return "";
    }
}

class SourceFormatter {
public:
    explicit SourceFormatter(int indentWidth) : indentWidth_(indentWidth) {}

    void addLine(const std::string &line) {
        if (opening_ != LineOpening::none) {
            continueOpening(line);
            return;
        }
        std::string trimmed = trimBlanks(line);
        if (xmlDepth_ > 0) {
            emit(trimRightBlanks(line));
            FormatLine tokens = tokenizeLine(line);
            xmlDepth_ = xmlDepthAfter(tokens.tokens, xmlDepth_);
            opening_ = tokens.opening;
            return;
        }
        if (trimmed.empty()) {
            if (!lines_.empty() && !lines_.back().empty())
                lines_.push_back("");
            return;
        }
        // A "#" in the first column makes the line a comment the translation
        // keeps: it stays in the first column. So do "//", "/*" and "<-" there,
        // which hide the line from the search for includes.
        if (line[0] == '#') {
            emit(trimRightBlanks(line));
            return;
        }
        bool firstColumn = line.compare(0, 2, "//") == 0 || line.compare(0, 2, "/*") == 0 ||
                           line.compare(0, 2, "<-") == 0;
        addCodeLine(tokenizeLine(line), line, firstColumn);
    }

    std::string text() {
        while (!lines_.empty() && lines_.back().empty())
            lines_.pop_back();
        std::string out;
        for (const std::string &line : lines_)
            out += line + "\n";
        return out;
    }

private:
    static std::string trimRightBlanks(const std::string &line) {
        std::string::size_type end = line.find_last_not_of(" \t\r\f");
        return end == std::string::npos ? "" : line.substr(0, end + 1);
    }

    static std::string trimBlanks(const std::string &line) {
        std::string right = trimRightBlanks(line);
        std::string::size_type start = right.find_first_not_of(" \t\f");
        return start == std::string::npos ? "" : right.substr(start);
    }

    void emit(const std::string &line) {
        if (lines_.empty() && line.empty())
            return;
        lines_.push_back(line);
    }

    std::string indent(int level) const { return std::string(static_cast<std::size_t>(level * indentWidth_), ' '); }

    // Inside a block comment, a template or a native text: the line as it is.
    void continueOpening(const std::string &line) {
        std::string closer = closerOf(opening_);
        std::string::size_type close = line.find(closer);
        emit(line);
        if (close == std::string::npos)
            return;
        opening_ = LineOpening::none;
        FormatLine rest = tokenizeLine(line.substr(close + closer.size()));
        opening_ = rest.opening;
        bracketDepth_ = bracketDepthAfter(rest.tokens, bracketDepth_);
    }

    void addCodeLine(const FormatLine &line, const std::string &original, bool firstColumn) {
        // The comment or the unclosed opening ends the line; the code stands before it.
        std::string tail = line.comment.empty() ? line.openingText : line.comment;
        std::string written = trimBlanks(original.substr(0, original.size() - tail.size()));
        if (!line.comment.empty())
            tail = trimRightBlanks(tail);
        // A comment or an opening alone on its line stands at the level of the
        // code around it; a line inside brackets one level deeper, and the
        // line that begins by closing them at the level of the statement.
        int level = blocks_.current();
        if (!line.tokens.empty() && bracketDepth_ == 0)
            level = statementLevel_ = blocks_.levelOf(line.tokens);
        else if (!line.tokens.empty())
            level = closesEveryBracket(line.tokens) ? statementLevel_ : level + 1;
        std::string code = line.tokens.empty() ? "" : canonicalCode(line, written);
        std::string gap = code.empty() ? "" : line.commentGap;
        emit((firstColumn ? "" : indent(level)) + code + gap + tail);
        bracketDepth_ = bracketDepthAfter(line.tokens, bracketDepth_);
        xmlDepth_ = xmlDepthAfter(line.tokens, xmlDepth_);
        opening_ = line.opening;
    }

    // Whether the line begins with the brackets that close all those open.
    bool closesEveryBracket(const std::vector<FormatToken> &tokens) const {
        int depth = bracketDepth_;
        for (std::size_t i = 0; i < tokens.size() && depth > 0; i++) {
            if (!isSymbol(tokens[i], ")") && !isSymbol(tokens[i], "]") && !isSymbol(tokens[i], "}"))
                return false;
            depth--;
        }
        return depth == 0;
    }

    int indentWidth_;
    BlockLevels blocks_;
    int statementLevel_ = 0;   // the level of the line the open brackets were opened on
    std::vector<std::string> lines_;
    LineOpening opening_ = LineOpening::none;
    int xmlDepth_ = 0;
    int bracketDepth_ = 0;
};

// ---------------------------------------------------------------------------
// Files.

bool readSource(const std::string &path, std::string &text, std::string &problem) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        problem = errno == ENOENT ? path + " not found" : path + " cannot be read: " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        problem = path + " is a folder, not a source file";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        problem = path + " is not a regular file";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        problem = path + " cannot be read: " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return true;
}

// Written beside the source under another name and renamed over it, with
// the source's permissions, so that the source is never half-written.
bool writeSource(const std::string &path, const std::string &text, std::string &problem) {
    struct stat status;
    std::string part = path + ".format-part";
    {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        if (!(file << text).flush()) {
            problem = path + " cannot be written: " + std::strerror(errno);
            std::remove(part.c_str());
            return false;
        }
    }
    if (stat(path.c_str(), &status) == 0)
        chmod(part.c_str(), status.st_mode & 07777);
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        problem = path + " cannot be written: " + std::strerror(errno);
        std::remove(part.c_str());
        return false;
    }
    return true;
}

// The name as given, or with ".vel" when only that names a file.
std::string sourcePath(const std::string &name) {
    struct stat status;
    if (stat(name.c_str(), &status) == 0)
        return name;
    std::string withExtension = name + ".vel";
    return stat(withExtension.c_str(), &status) == 0 ? withExtension : name;
}

}  // namespace

std::string formatSource(const std::string &text, int indentWidth) {
    SourceFormatter formatter(indentWidth);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        formatter.addLine(line);
    return formatter.text();
}

int formatSourceFiles(const std::vector<std::string> &files, bool checkOnly, int indentWidth) {
    int status = 0;
    for (const std::string &name : files) {
        std::string path = sourcePath(name), text, problem;
        if (!readSource(path, text, problem)) {
            std::printf("%s\n", problem.c_str());
            status = 2;
            continue;
        }
        std::string formatted = formatSource(text, indentWidth);
        if (formatted == text)
            continue;
        std::string unreadable = firstUnreadableLine(path);
        if (!unreadable.empty()) {
            std::printf("%s is not formatted: velc cannot read its %s\n", path.c_str(), unreadable.c_str());
            status = 2;
            continue;
        }
        if (checkOnly) {
            std::printf("%s would be reformatted\n", path.c_str());
            status = status == 0 ? 1 : status;
        } else if (writeSource(path, formatted, problem)) {
            std::printf("Formatted %s\n", path.c_str());
        } else {
            std::printf("%s\n", problem.c_str());
            status = 2;
        }
    }
    return status;
}
