#include "semantics/symbol_index.hpp"
#include "translator/translation_job.hpp"
#include "lexer/memory_input.hpp"
#include "lexer/pooled_token.hpp"
#include "translator/expressions.hpp"
#include "translator/frame.hpp"
#include "translator/one_line_branches.hpp"
#include "translator/source_translation.hpp"
#include "translator/reserved_words.hpp"
#include "translator/positions.hpp"
#include "translator/hints.hpp"
#include "translator/lexical_errors.hpp"
#include "VLLexer.hpp"
#include "VLParser.hpp"
#include <antlr/ANTLRException.hpp>
#include <iterator>
#include <memory>

SourceTranslation &translation() { return static_cast<SourceTranslation &>(sourceSemantics()); }

const SourceToTranslate &translatedSource() { return translation().source; }

namespace {

// One reading of the source, knowing the heads of the functions in
// `ahead.known`; what it learnt of functions called before their
// definitions is left in `ahead.found`.
TranslationResult translateText(std::string &sourceText, const SourceToTranslate &source, RunTables &run,
                                FunctionsAhead &ahead) {
    SourceTranslation state(source, run);
    SourceInProgress active(state);
    ReportsInto reports(state.reports);
    state.functionsAhead.known = std::move(ahead.known);
    beginSourceReports(source.sourceName);
    // A split main cuts its parts where the source's text says.
    state.output.sourceText = &sourceText;
    indexSourceBegins(source.sourceName, sourceText);
    MemoryInputBuffer text{sourceText};
    VLLexer lexer(text);
    lexer.readFromMemory(text);
    lexer.setTokenObjectFactory(&PooledToken::factory);
    lexer.setFilename(source.sourceName);
    LexicalErrorFilter readable(lexer);
    ReservedWordFilter names(readable);
    OneLineBranchFilter branches(names);
    VLParser parser(branches);
    parser.readTokensFrom(branches);
    parser.setFilename(source.sourceName);
    TokenPositions positions(sourceText, parser.tokens());
    state.reports.setLocator(&positions);
    state.positions = &positions;
    FirstGuessHints hints;
    state.reports.setHints(&hints);
    std::string stopped;
    bool passedALimit = false;
    try {
        parser.sourceFile();
    } catch (const NestingTooDeep &) {
        // Reported as a message of the program: the source ends there, as
        // one with errors does.
        passedALimit = true;
    } catch (const antlr::ANTLRException &e) {
        stopped = e.toString();
    } catch (const std::exception &e) {
        stopped = e.what();
    }
    if (passedALimit || !stopped.empty())
        endSourceFileAfterFailure();
    TranslationResult result;
    state.reports.setLocator(nullptr);
    state.reports.setHints(nullptr);
    state.positions = nullptr;
    result.errorCount = state.reports.errorCount;
    result.diagnostics = state.reports.all();
    result.lineCount = diagnostics.lineCounter - 1;
    result.texts = std::move(state.texts);
    ahead.found = std::move(state.functionsAhead.found);
    if (!stopped.empty())
        throw TranslationStopped(stopped, std::move(result));
    return result;
}

}  // namespace

TranslationResult translateStream(std::istream &input, const SourceToTranslate &source, RunTables &run) {
    std::string sourceText(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>{});
    RunTablesMark mark = markRunTables(run);
    // An editor's index would hold the first reading's names as well.
    std::unique_ptr<SymbolIndex> indexBefore;
    if (run.index && !source.declarationsOnly)
        indexBefore = std::make_unique<SymbolIndex>(*run.index);
    FunctionsAhead ahead;
    TranslationResult first = translateText(sourceText, source, run, ahead);
    if (ahead.found.empty() || source.declarationsOnly)
        return first;
    rollBackRunTables(run, mark);
    if (indexBefore)
        *run.index = std::move(*indexBefore);
    for (FunctionAhead &function : ahead.found)
        ahead.known.emplace(function.key, std::move(function));
    ahead.found.clear();
    return translateText(sourceText, source, run, ahead);
}
