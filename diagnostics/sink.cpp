#include "diagnostics/sink.hpp"

#include "diagnostics/console_printer.hpp"

namespace {

DiagnosticSink &immediateSink() {
    static DiagnosticSink sink(true);
    return sink;
}

DiagnosticSink *activeSink = nullptr;

}  // namespace

void DiagnosticSink::add(Diagnostic diagnostic, const std::string &name) {
    if (!printAtOnce_ && followsSyntaxError(diagnostic))
        return;
    if (hints_ && diagnostic.counted() && hints_->followsExplainedGuess(diagnostic, name))
        return;
    if (locator_ && diagnostic.column == 0 && diagnostic.line > 0)
        locator_->locate(diagnostic, name);
    if (hints_ && diagnostic.hint.empty())
        diagnostic.hint = hints_->hintFor(diagnostic, name);
    if (hints_)
        hints_->noteReported(diagnostic);
    if (diagnostic.counted())
        errorCount++;
    if (printAtOnce_) {
        printDiagnosticLine(diagnostic);
        diagnostics_.clear();   // kept only for a hint that follows
    }
    diagnostics_.push_back(std::move(diagnostic));
}

void DiagnosticSink::hintLast(const std::string &hint) {
    if (!diagnostics_.empty())
        diagnostics_.back().hint = hint;
}

void DiagnosticSink::rehint(std::size_t index, const std::string &hint) {
    if (index < diagnostics_.size())
        diagnostics_[index].hint = hint;
}

void DiagnosticSink::placeLast(int column, int endColumn) {
    if (!diagnostics_.empty()) {
        diagnostics_.back().column = column;
        diagnostics_.back().endColumn = endColumn;
    }
}

void DiagnosticSink::withdraw(std::size_t index) {
    if (index >= diagnostics_.size())
        return;
    if (diagnostics_[index].counted())
        errorCount--;
    diagnostics_.erase(diagnostics_.begin() + static_cast<std::ptrdiff_t>(index));
}

void DiagnosticSink::relateLast(const SourcePosition &related) {
    if (!diagnostics_.empty())
        diagnostics_.back().related = related;
}

bool DiagnosticSink::followsSyntaxError(const Diagnostic &diagnostic) const {
    if (diagnostic.kind != DiagnosticKind::numbered)
        return false;
    // "bad if syntax." is a syntax error in the catalogue's form.
    for (const Diagnostic &earlier : diagnostics_)
        if ((earlier.kind == DiagnosticKind::syntax || earlier.code == 85) && earlier.line == diagnostic.line)
            return true;
    return false;
}

DiagnosticSink &currentSink() { return activeSink ? *activeSink : immediateSink(); }

ReportsInto::ReportsInto(DiagnosticSink &sink) : previous_(activeSink) { activeSink = &sink; }

ReportsInto::~ReportsInto() { activeSink = previous_; }
