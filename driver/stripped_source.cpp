#include "driver/stripped_source.hpp"

#include <fstream>
#include <stdexcept>

#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/source_texts.hpp"
#include "driver/text_tools.hpp"
#include "diagnostics/sink.hpp"
#include "translator/commented_division.hpp"
#include "translator/first_guesses.hpp"
#include "translator/quoted_texts.hpp"

namespace {

// Cuts the comments out of a line that holds no leading block-comment tail.
std::string stripLineComments(std::string line, LineCuts *cuts = nullptr) {
    bool &inBlockComment = project.inBlockComment;
    bool restart = true;
    while (restart) {
        restart = false;
        inBlockComment = false;
        QuotedTexts texts;
        for (std::string::size_type i = 0; i < line.size(); i++) {
            char c = line[i];
            if (texts.holds(line, i))
                continue;
            bool slashNext = c == '/' && i + 1 < line.size();
            if (c == '#' || (slashNext && line[i + 1] == '/')) {
                line.resize(i);
                break;
            }
            if (slashNext && line[i + 1] == '*') {
                inBlockComment = true;
                std::string::size_type close = line.find("*/", i + 2);
                if (close == std::string::npos) {
                    line.resize(i);
                    break;
                }
                line.erase(i, close + 2 - i);
                if (cuts)
                    cuts->push_back({i, close + 2 - i});
                restart = true;
                break;
            }
        }
    }
    return trimRight(line);
}

// The translator reads the copy from memory: a file of a fixed name would be
// shared by every velc run in the directory. It is written out only when the
// user asks to keep it.
void keepCopy(const std::string &copy) {
    std::ofstream kept(temporaryFile, std::ios::trunc);
    if (!(kept << copy).flush())
        throw std::runtime_error(std::string(temporaryFile) + " cannot be written");
}

// The comments of a line cut out, each cut recorded.
std::string stripComments(const std::string &line, LineCuts &cuts) {
    if (line.size() < 2) {
        if (project.inBlockComment)
            return "";
        return stripLineComments(line, &cuts);
    }
    if (line[0] == '#')
        return trimRight(line);
    if (!project.inBlockComment)
        return stripLineComments(line, &cuts);
    std::string::size_type close = line.find("*/");
    if (close == std::string::npos)
        return "";
    cuts.push_back({0, close + 2});
    return stripLineComments(line.substr(close + 2), &cuts);
}


// The column of the source line that a column of its stripped copy stands
// at: the cuts undone, the last first.
int columnBeforeCuts(const LineCuts &cuts, int column) {
    if (column <= 0)
        return column;
    std::string::size_type at = static_cast<std::string::size_type>(column - 1);
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut)
        if (at >= cut->at)
            at += cut->length;
    return static_cast<int>(at) + 1;
}

}  // namespace

std::string stripComments(const std::string &line) {
    LineCuts cuts;
    return stripComments(line, cuts);
}

StrippedSource strippedSource(const std::string &path) {
    std::unique_ptr<std::istream> input = openSource(path);
    if (!input)
        throw std::runtime_error(path + " cannot be read");
    project.inBlockComment = false;
    StrippedSource source;
    std::string line;
    while (std::getline(*input, line)) {
        LineCuts cuts;
        source.text += stripComments(line, cuts) + '\n';
        source.original += line + '\n';
        source.cuts.push_back(std::move(cuts));
    }
    if (driverSettings.keepTemporary)
        keepCopy(source.text);
    return source;
}

int StrippedSource::columnInSource(int line, int column) const {
    if (line < 1 || static_cast<std::size_t>(line) > cuts.size())
        return column;
    return columnBeforeCuts(cuts[static_cast<std::size_t>(line) - 1], column);
}

namespace {

// The lines of a text, found once: a source whose every line has a message
// asks for each of them.
class Lines {
public:
    explicit Lines(const std::string &text) : text(text) {}

    // Line `number` (from 1) without its end, or "" past the last.
    std::string operator()(int number) {
        if (starts.empty()) {
            starts.push_back(0);
            for (std::string::size_type at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
                starts.push_back(at + 1);
        }
        if (number < 1 || static_cast<std::size_t>(number) > starts.size())
            return "";
        std::string::size_type start = starts[static_cast<std::size_t>(number) - 1];
        if (start >= text.size())
            return "";
        std::string::size_type end = text.find('\n', start);
        return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }

private:
    const std::string &text;
    std::vector<std::string::size_type> starts;
};

}  // namespace

namespace {

// `x // 2` of Python: a message of its line gets the hint; a line that is
// read without one (the divisor gone) gets a warning, which is not counted.
void tellCommentedDivisions(std::vector<Diagnostic> &diagnostics, const std::string &path,
                            const StrippedSource &source) {
    int number = 0;
    std::string::size_type start = 0;
    while (start < source.original.size()) {
        std::string::size_type end = source.original.find('\n', start);
        std::string line = source.original.substr(start, end - start);
        start = end == std::string::npos ? source.original.size() : end + 1;
        number++;
        CommentedDivision found;
        if (line.find("//") == std::string::npos || !commentedDivision(line, found))
            continue;
        Diagnostic *first = nullptr;
        for (Diagnostic &diagnostic : diagnostics)
            if (diagnostic.file == path && diagnostic.line == number && !first)
                first = &diagnostic;
        if (first) {
            if (first->hint.empty())
                first->hint = commentedDivisionHint(found);
            continue;
        }
        Diagnostic warning;
        warning.kind = DiagnosticKind::warning;
        warning.file = path;
        warning.line = number;
        warning.column = found.column;
        warning.endColumn = found.endColumn;
        warning.message = commentedDivisionMessage(found);
        warning.text = syntaxLine(path, number, found.column, warning.message);
        warning.hint = commentedDivisionHint(found);
        diagnostics.push_back(std::move(warning));
    }
}

}  // namespace

void placeInSource(std::vector<Diagnostic> &diagnostics, const std::string &path, const StrippedSource &source) {
    Lines lineOf(source.original);
    for (Diagnostic &diagnostic : diagnostics) {
        if (diagnostic.file != path)
            continue;
        diagnostic.column = source.columnInSource(diagnostic.line, diagnostic.column);
        diagnostic.endColumn = source.columnInSource(diagnostic.line, diagnostic.endColumn);
        // A line that ended too soon at a `#` the programmer meant as an operator.
        // It says more than what the translator could tell of the cut line.
        if (diagnostic.kind == DiagnosticKind::syntax) {
            std::string cut = commentCutHint(lineOf(diagnostic.line), diagnostic.column);
            if (!cut.empty())
                diagnostic.hint = cut;
        }
    }
    tellCommentedDivisions(diagnostics, path, source);
}

void placeIndexInSource(SymbolIndex *index, const std::string &path, const StrippedSource &source) {
    if (!index)
        return;
    int reading = -1;
    for (std::size_t i = 0; i < index->sources.size(); i++)
        if (index->sources[i] == path)
            reading = static_cast<int>(i);
    if (reading < 0)
        return;
    // The end column stands one past the name: its last byte is moved.
    auto place = [&](IndexPlace &at) {
        if (at.source != reading)
            return;
        int last = source.columnInSource(at.line, at.endColumn - 1);
        at.column = source.columnInSource(at.line, at.column);
        at.endColumn = last + 1;
    };
    for (IndexedDeclaration &declaration : index->declarations)
        place(declaration.place);
    for (IndexedUse &use : index->uses)
        place(use.place);
    index->sourceTexts[static_cast<std::size_t>(reading)] = source.original;
}
