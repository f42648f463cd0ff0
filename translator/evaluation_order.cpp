#include "translator/evaluation_order.hpp"
#include "translator/source_translation.hpp"

#include "semantics/symbols.hpp"
#include "translator/output.hpp"

namespace {

OrderState &order() { return translation().order; }

// A value whose evaluation reads nothing another operand could change.
bool isConstant(const ExprValue &value) {
    if (value.stringLiteral || (value.literal && !value.interpolated))
        return true;
    return value.text == "NULL" || value.text == "true" || value.text == "false" || value.text == "this" ||
           value.text == "dyn{}";
}

std::string receivedName(std::size_t index) { return "_vel_o" + std::to_string(index); }

// A lambda outside any function (the initial value of a file-level
// variable, a parameter default) may capture nothing; there, everything it
// names besides its parameters is file-level anyway.
std::string capture() {
    bool fileLevel = scopes().atFileLevel() && !output().mainOpened;
    return fileLevel || order().inParameterDefault ? "[]" : "[&]";
}

}  // namespace

OperandOrder::OperandOrder(const std::vector<ExprValue *> &operands, const ExprValue *readTwice) {
    int calling = 0;
    int varying = 0;
    for (const ExprValue *operand : operands) {
        if (operand == nullptr)
            continue;
        if (operand->effects)
            calling++;
        if (!isConstant(*operand))
            varying++;
    }
    effects_ = calling > 0;
    bool orderShows = calling > 0 && varying >= 2;
    bool repeatsCall = readTwice != nullptr && readTwice->effects;
    if (!orderShows && !repeatsCall)
        return;
    for (ExprValue *operand : operands) {
        if (operand == nullptr || isConstant(*operand))
            continue;
        std::string name = receivedName(handedOver_.size());
        handedOver_.push_back(std::move(operand->text));
        operand->text = std::move(name);
        operand->plainName = true;
        operand->loose = LOOSE_NONE;
        operand->root = nullptr;
        operand->writePath.reset();
        operand->append.reset();
        operand->resultsOf = -1;
        operand->results.clear();
    }
}

ExprValue OperandOrder::finish(ExprValue operation) const {
    operation.effects = operation.effects || effects_;
    if (handedOver_.empty())
        return operation;
    std::string values;
    std::string parameters;
    for (std::size_t i = 0; i < handedOver_.size(); i++) {
        if (i > 0) {
            values += ", ";
            parameters += ", ";
        }
        values += handedOver_[i];
        parameters += "auto &" + receivedName(i);
    }
    auto inOrder = [&](const std::string &body) {
        return "_vel_inOrder{" + values + "}(" + capture() + "(" + parameters + ") { return " + body + "; })";
    };
    if (operation.results.empty()) {
        operation.text = inOrder(operation.text);
    } else {
        operation.results = inOrder(operation.results);
        operation.text = "velarray(" + operation.results + ")";
    }
    markComputed(operation);
    operation.append.reset();
    return operation;
}

void beginParameterDefault() { order().inParameterDefault = true; }
void endParameterDefault() { order().inParameterDefault = false; }
