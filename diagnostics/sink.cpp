#include "diagnostics/sink.hpp"

#include "diagnostics/console_printer.hpp"

#include <algorithm>

namespace {

DiagnosticSink &immediateSink() {
    static DiagnosticSink sink(true);
    return sink;
}

DiagnosticSink *activeSink = nullptr;

}  // namespace

std::uint64_t DiagnosticSink::nextGeneration() {
    static std::uint64_t last = 0;
    return ++last;
}

void DiagnosticSink::add(Diagnostic diagnostic, const std::string &name) {
    lastKept_ = false;
    if (hints_ && diagnostic.counted() && hints_->followsExplainedGuess(diagnostic, name))
        return;
    if (locator_ && diagnostic.column == 0 && diagnostic.line > 0) {
        locator_->locate(diagnostic, name);
        if (diagnostic.kind == DiagnosticKind::syntax)
            diagnostic.text = syntaxLine(diagnostic.file, diagnostic.line, diagnostic.column, diagnostic.message);
    }
    if (!printAtOnce_ && followsSyntaxError(diagnostic))
        return;
    if (hints_ && diagnostic.hint.empty())
        diagnostic.hint = hints_->hintFor(diagnostic, name);
    if (hints_)
        hints_->noteReported(diagnostic);
    if (diagnostic.counted())
        errorCount++;
    if (printAtOnce_) {
        printDiagnosticLine(diagnostic);
        diagnostics_.clear();   // kept only for a hint that follows
        byLine_.clear();
        generation_ = nextGeneration();
    }
    byLine_[diagnostic.line].push_back(diagnostics_.size());
    diagnostics_.push_back(std::move(diagnostic));
    lastKept_ = true;
}

void DiagnosticSink::hintLast(const std::string &hint) {
    if (lastKept_)
        diagnostics_.back().hint = hint;
}

void DiagnosticSink::rehint(std::size_t index, const std::string &hint) {
    if (index < diagnostics_.size())
        diagnostics_[index].hint = hint;
}

void DiagnosticSink::placeLast(int column, int endColumn) {
    if (!lastKept_)
        return;
    Diagnostic &last = diagnostics_.back();
    last.column = column;
    last.endColumn = endColumn;
    if (last.kind == DiagnosticKind::syntax)
        last.text = syntaxLine(last.file, last.line, column, last.message);
}

void DiagnosticSink::moveLast(int line, int column, int endColumn) {
    if (!lastKept_ || line < 1)
        return;
    Diagnostic &last = diagnostics_.back();
    std::string place = last.file + " L" + std::to_string(last.line);
    if (last.kind == DiagnosticKind::numbered && last.text.compare(0, place.size(), place) == 0)
        last.text = last.file + " L" + std::to_string(line) + last.text.substr(place.size());
    std::vector<std::size_t> &before = byLine_[last.line];
    before.erase(std::find(before.begin(), before.end(), diagnostics_.size() - 1));
    byLine_[line].push_back(diagnostics_.size() - 1);
    last.line = line;
    placeLast(column, endColumn);
}

void DiagnosticSink::resume(std::size_t index, const SourcePosition &at) {
    if (index < diagnostics_.size())
        diagnostics_[index].resumed = at;
}

void DiagnosticSink::withdraw(std::size_t index) {
    if (index >= diagnostics_.size())
        return;
    if (diagnostics_[index].counted())
        errorCount--;
    std::vector<std::size_t> &line = byLine_[diagnostics_[index].line];
    line.erase(std::find(line.begin(), line.end(), index));
    diagnostics_.erase(diagnostics_.begin() + static_cast<std::ptrdiff_t>(index));
    // The messages after it move up one place.
    for (auto &[number, places] : byLine_)
        for (std::size_t &place : places)
            if (place > index)
                place--;
    generation_ = nextGeneration();
    lastKept_ = lastKept_ && index != diagnostics_.size();
}

void DiagnosticSink::relateLast(const SourcePosition &related) {
    if (lastKept_)
        diagnostics_.back().related = related;
}

const std::vector<std::size_t> &DiagnosticSink::onLine(int line) const {
    static const std::vector<std::size_t> none;
    auto found = byLine_.find(line);
    return found == byLine_.end() ? none : found->second;
}

bool DiagnosticSink::followsSyntaxError(const Diagnostic &diagnostic) const {
    if (diagnostic.kind != DiagnosticKind::numbered)
        return false;
    for (std::size_t place : onLine(diagnostic.line)) {
        const Diagnostic &earlier = diagnostics_[place];
        if (cutsItsLineShort(earlier) && !earlier.resumedBefore(diagnostic.line, diagnostic.column))
            return true;
    }
    return false;
}

bool cutsItsLineShort(const Diagnostic &diagnostic) {
    return diagnostic.kind == DiagnosticKind::syntax || diagnostic.code == 85;
}

std::string syntaxLine(const std::string &file, int line, int column, const std::string &message) {
    return file + " L" + std::to_string(line) + (column > 0 ? ":" + std::to_string(column) : std::string()) + ": " +
           message;
}

DiagnosticSink &currentSink() { return activeSink ? *activeSink : immediateSink(); }

ReportsInto::ReportsInto(DiagnosticSink &sink) : previous_(activeSink) { activeSink = &sink; }

ReportsInto::~ReportsInto() { activeSink = previous_; }
