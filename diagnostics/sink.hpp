#pragma once
// Where the reports of one translation go. The translation owns its sink
// and hands it to the report operations while it runs (ReportsInto); the
// driver prints what the sink holds and takes the count from it. Outside a
// translation the reports go to a sink that prints each line at once.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "diagnostics/diagnostic.hpp"

// Finds the columns a message points at, from the tokens the translation
// has read. `name` is the word the message quotes, or empty.
class PositionLocator {
public:
    virtual ~PositionLocator() = default;
    virtual void locate(Diagnostic &diagnostic, const std::string &name) const = 0;
};

// What to write instead of a quoted name ("did you mean `length`?"), or of
// what a filled template speaks of (`name` empty). Empty when nothing
// comes to mind.
class HintSource {
public:
    virtual ~HintSource() = default;
    virtual std::string hintFor(const Diagnostic &diagnostic, const std::string &name) const = 0;
    // A message was stored with its hint: a guess it explains may make
    // later messages its symptoms.
    virtual void noteReported(const Diagnostic &) const {}
    // Whether a message is one more symptom of a guess already explained.
    virtual bool followsExplainedGuess(const Diagnostic &, const std::string &) const { return false; }
};

class DiagnosticSink {
public:
    explicit DiagnosticSink(bool printAtOnce = false) : printAtOnce_(printAtOnce) {}

    // Stores a message (columns found by the locator unless given) and
    // counts it unless it is a warning. A numbered message on a line whose
    // syntax error came first is a consequence of that error, and dropped,
    // unless it stands where the parse went on after that error.
    void add(Diagnostic diagnostic, const std::string &name = "");
    // A further line of the last message of the translator's own layout
    // (a stack underflow is two lines and counts two).
    void countExtraError() { errorCount++; }
    // The hint, related place or columns of the message just added: nothing
    // when the last one was dropped as a consequence of an earlier fault,
    // which keeps its own. A syntax line is written anew with its column.
    void hintLast(const std::string &hint);
    void relateLast(const SourcePosition &related);
    // A later fault tells more about an earlier message: its new hint.
    void rehint(std::size_t index, const std::string &hint);
    void placeLast(int column, int endColumn);
    // The last message belongs to an earlier line than the token that
    // raised it (the end of the file, after an unfinished last line).
    void moveLast(int line, int column, int endColumn);
    // Where the parse went on after the syntax error at `index`.
    void resume(std::size_t index, const SourcePosition &at);
    // A later message says all an earlier one said: the earlier one goes,
    // and is no longer counted.
    void withdraw(std::size_t index);

    const std::vector<Diagnostic> &all() const { return diagnostics_; }
    // The places in all() of the messages of one line, oldest first: a run
    // of faulty lines asks after each one whether its line already failed,
    // which must not read every message before it.
    const std::vector<std::size_t> &onLine(int line) const;
    // Changes whenever a message is taken away (and differs from sink to
    // sink): while it stays, all() has only grown at its end, so what was
    // counted of its first messages still holds.
    std::uint64_t generation() const { return generation_; }
    void setLocator(const PositionLocator *locator) { locator_ = locator; }
    void setHints(const HintSource *hints) { hints_ = hints; }

    int errorCount = 0;

private:
    bool followsSyntaxError(const Diagnostic &diagnostic) const;

    bool printAtOnce_;
    bool lastKept_ = false;   // the last message added was stored, and is the last one
    const PositionLocator *locator_ = nullptr;
    const HintSource *hints_ = nullptr;
    std::vector<Diagnostic> diagnostics_;
    std::unordered_map<int, std::vector<std::size_t>> byLine_;   // onLine's answers
    std::uint64_t generation_ = nextGeneration();
    static std::uint64_t nextGeneration();
};

// A syntax error, or "bad if syntax." (one in the catalogue's form): what
// the rest of its line makes of the statement is a consequence of it.
bool cutsItsLineShort(const Diagnostic &diagnostic);

// The console line of a syntax error: "prog.vel L3:5: message", without the
// column when it is 0.
std::string syntaxLine(const std::string &file, int line, int column, const std::string &message);

// The sink the reports go to now.
DiagnosticSink &currentSink();

// While it lives, reports go to `sink`; the previous sink is restored after.
class ReportsInto {
public:
    explicit ReportsInto(DiagnosticSink &sink);
    ~ReportsInto();
    ReportsInto(const ReportsInto &) = delete;
    ReportsInto &operator=(const ReportsInto &) = delete;

private:
    DiagnosticSink *previous_;
};
