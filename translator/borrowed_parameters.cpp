#include "translator/borrowed_parameters.hpp"
#include "translator/source_translation.hpp"

#include <algorithm>

#include "semantics/classes.hpp"
#include "semantics/functions.hpp"
#include "semantics/types.hpp"
#include "translator/declarations.hpp"

namespace {

FunctionState &functionState() { return translation().functionState; }

constexpr const char *counted = "vel_ref<";
constexpr const char *borrowed = "vel_arg<";

bool endsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Where the parameter's text spells a counted reference of its class, or
// npos when it is to keep its spelling.
std::size_t countedSpellingAt(const ParameterRecord &parameter, const std::string &text) {
    const FunctionState &state = functionState();
    if (parameter.type != T_OBJECT || parameter.byReference || parameter.functionType || parameter.className.empty())
        return std::string::npos;
    int classIndex = findClass(parameter.className);
    if (classIndex < 0 || !classRecord(classIndex).counted)
        return std::string::npos;
    const std::vector<std::string> &kept = state.keptParameters;
    if (std::find(kept.begin(), kept.end(), parameter.name) != kept.end())
        return std::string::npos;
    const std::string spelling = objectSpelling(parameter.className);
    for (std::size_t at : {std::size_t{0}, std::string("const ").size()})
        if (text.compare(at, spelling.size(), spelling) == 0 && text.compare(at, 8, counted) == 0)
            return at;
    return std::string::npos;
}

std::string joined(const std::vector<std::string> &texts, const std::vector<std::string> &defaults) {
    std::string list;
    for (std::size_t i = 0; i < texts.size(); i++)
        list += (i > 0 ? ", " : "") + texts[i] + (i < defaults.size() ? defaults[i] : "");
    return list;
}

// Rewrites `written`, found in `text` from `from` on, as `rewritten` (of the
// same length); false when it is not there as written.
bool rewrite(std::string *text, std::size_t from, const std::string &written, const std::string &rewritten) {
    if (text == nullptr || written.size() != rewritten.size())
        return false;
    std::size_t at = text->find(written, from);
    if (at == std::string::npos)
        return false;
    text->replace(at, written.size(), rewritten);
    return true;
}

// The head with its parameter list `before` (and its closing text) as `after`.
bool respelt(std::string &head, const std::string &before, const std::string &after, const std::string &closing) {
    if (!endsWith(head, before + closing))
        return false;
    head.replace(head.size() - before.size() - closing.size(), before.size(), after);
    return true;
}

}  // namespace

void noteHeadWritten(const std::string &head) {
    FunctionState &state = functionState();
    state.headOutput = output().currentOutput;
    state.headFrom = state.headOutput != nullptr ? state.headOutput->size() : 0;
    state.writtenHead = head;
}

void notePrototypeWritten(const std::string &prototype) {
    FunctionState &state = functionState();
    state.prototypeOutput = output().headerFile;
    state.prototypeFrom = state.prototypeOutput != nullptr ? state.prototypeOutput->size() : 0;
    state.writtenPrototype = prototype;
}

void keepParameterReference(const std::string &name) {
    FunctionState &state = functionState();
    if (state.defining)
        state.keptParameters.push_back(name);
}

void borrowObjectParameters() {
    FunctionState &state = functionState();
    // A constructor's body starts with the attribute initialisations, read
    // outside its body; main's parameters come from the command line.
    if (!state.defining || state.external || state.record.isConstructor || state.record.mode != 0 ||
        state.parameterTexts.size() != state.record.parameters.size())
        return;
    std::vector<std::string> texts = state.parameterTexts;
    bool any = false;
    for (std::size_t i = 0; i < texts.size(); i++) {
        std::size_t at = countedSpellingAt(state.record.parameters[i], texts[i]);
        if (at == std::string::npos)
            continue;
        texts[i].replace(at, 8, borrowed);
        any = true;
    }
    if (!any)
        return;
    const std::string parameters = joined(texts, {});
    const std::string prototypeParameters = joined(texts, state.parameterDefaults);
    std::string head = state.writtenHead;
    if (!respelt(head, state.parameters, parameters, ")") &&
        !respelt(head, state.prototypeParameters, prototypeParameters, ")"))
        return;
    std::string prototype = state.writtenPrototype;
    bool hasPrototype = !prototype.empty();
    if (hasPrototype && !respelt(prototype, state.prototypeParameters, prototypeParameters, ");"))
        return;
    // The prototype first: a definition without its declaration would be
    // another function of the same name.
    if (hasPrototype && !rewrite(state.prototypeOutput, state.prototypeFrom, state.writtenPrototype, prototype))
        return;
    if (!rewrite(state.headOutput, state.headFrom, state.writtenHead, head)) {
        if (hasPrototype)
            rewrite(state.prototypeOutput, state.prototypeFrom, prototype, state.writtenPrototype);
        return;
    }
    auto known = translation().sourceFunctions.headerPrototypes.find(state.recordIndex);
    if (known != translation().sourceFunctions.headerPrototypes.end())
        known->second = {prototype, head.substr(0, head.size() - parameters.size() - 1) + parameters + ");"};
    state.parameters = parameters;
    state.prototypeParameters = prototypeParameters;
    state.parameterTexts = texts;
}
