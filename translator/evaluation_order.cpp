#include "translator/evaluation_order.hpp"
#include "translator/source_translation.hpp"

#include "semantics/classes.hpp"
#include "semantics/symbols.hpp"
#include "translator/classes.hpp"
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

std::string capture() { return lambdaCapture(); }


// The operand as the name under which the operation receives it.
void rename(ExprValue &operand, std::string name) {
    operand.text = std::move(name);
    operand.plainName = true;
    operand.loose = LOOSE_NONE;
    operand.root = nullptr;
    operand.writePath.reset();
    operand.append.reset();
    operand.resultsOf = -1;
    operand.results.clear();
    operand.flatChain = FLAT_NONE;
    operand.nesting = 0;
    operand.chained = false;
}

}  // namespace

std::string lambdaCapture() {
    bool fileLevel = scopes().atFileLevel() && !output().mainOpened;
    return fileLevel || order().inParameterDefault ? "[]" : "[&]";
}

int nestingOf(const ExprValue &value) {
    return value.text.size() == value.nestingLength ? value.nesting : 0;
}

void nestAround(ExprValue &value, const ExprValue &first) {
    value.nesting = nestingOf(first) + 1;
    value.chained = false;
    value.nestingLength = value.text.size();
}

OperandOrder OperandOrder::ofChain(ExprValue &left, ExprValue &right) {
    if (nestingOf(left) < CHAIN_START)
        return OperandOrder({&left, &right});
    // The step receives the chain's value so far; the right operand stays
    // in the step, which runs after that value was computed, so the order
    // of the two is the one written whatever either calls.
    OperandOrder order({});
    order.effects_ = left.effects || right.effects;
    order.chain_ = std::move(left.text);
    if (left.chained)
        order.chain_.resize(order.chain_.size() - std::string(".value").size());
    else
        order.chain_ = "_vel_chain(" + order.chain_ + ")";
    rename(left, receivedName(0));
    return order;
}

OperandOrder::OperandOrder(const std::vector<ExprValue *> &operands, const ExprValue *readTwice) {
    if (!operands.empty() && operands[0] != nullptr)
        leftNesting_ = nestingOf(*operands[0]);
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
        // An object handed over is held by the list until the operation is
        // done: an operand after it may drop every other hold of it (set the
        // variable to null, empty its array). The operation receives the
        // object's address.
        std::string counted = operand->text == "this" ? "" : countedReferenceType(operand->type, operand->classIndex);
        if (!counted.empty()) {
            handedOver_.push_back(counted + "(" + operand->text + ")");
            received_.push_back(classRecord(operand->classIndex).emittedName + " *");
        } else {
            handedOver_.push_back(std::move(operand->text));
            received_.push_back("auto &");
        }
        rename(*operand, std::move(name));
    }
}

ExprValue OperandOrder::finish(ExprValue operation) const {
    operation.effects = operation.effects || effects_;
    if (!chain_.empty()) {
        operation.text = chain_ + ".then(" + capture() + "(auto &" + receivedName(0) + ") { return " + operation.text + "; }).value";
        markComputed(operation);
        operation.append.reset();
        operation.chained = true;
        operation.nesting = CHAIN_START;
        operation.nestingLength = operation.text.size();
        return operation;
    }
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
        parameters += received_[i] + receivedName(i);
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
    // The list holds the left operand, and the next operator of a chain
    // would hold this list in its own.
    operation.nesting = leftNesting_ + 1;
    operation.nestingLength = operation.text.size();
    return operation;
}

void beginParameterDefault() { order().inParameterDefault = true; }
void endParameterDefault() { order().inParameterDefault = false; }
