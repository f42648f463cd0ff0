#include "translator/in_place_append.hpp"

#include "semantics/types.hpp"

namespace {

bool isArrayLike(int type) {
    return type == T_ARRAY || isTypedArray(type);
}

// Pieces that text(piece) turns into the same characters as "t + piece"
// appends: texts, characters and numbers, and var values (their text). A
// boolean is left out: "+" would not take it as the word true or false.
bool appendsAsText(int type) {
    switch (type) {
    case T_TEXT: case T_CHARPTR: case T_CHAR: case T_BYTE: case T_INTEGER: case T_LONG:
    case T_NATURAL: case T_REAL: case T_NUMBER: case T_SMALLREAL: case T_VAR:
        return true;
    default:
        return false;
    }
}

// An array grows by one operand at a time: a + x + y is not a + (x + y).
bool canExtend(const AppendChain &chain, const ExprValue &right) {
    if (chain.type == T_TEXT)
        return appendsAsText(right.type);
    return chain.pieces.empty();
}

}  // namespace

std::shared_ptr<AppendChain> chainBefore(ExprValue &left) {
    if (left.append && left.append->length == left.text.size())
        return left.append.use_count() == 1 ? std::move(left.append) : std::make_shared<AppendChain>(*left.append);
    if (!left.plainName || left.literal || !(left.type == T_TEXT || isArrayLike(left.type)))
        return nullptr;
    auto chain = std::make_shared<AppendChain>();
    chain->base = left.text;
    chain->type = left.type;
    return chain;
}

std::string pieceAfter(const std::string &stepText, std::size_t leftLength) {
    if (stepText.size() <= leftLength + 1 || stepText[leftLength] != '+')
        return "";
    return stepText.substr(leftLength + 1);
}

std::shared_ptr<AppendChain> chainAfter(std::shared_ptr<AppendChain> chain, std::string piece,
                                         const ExprValue &right, const ExprValue &sum) {
    if (!chain || piece.empty() || sum.type != chain->type || !canExtend(*chain, right))
        return nullptr;
    chain->pieces.push_back(std::move(piece));
    chain->pieceTypes.push_back(right.type);
    chain->length = sum.text.size();
    return chain;
}

// t += x for one piece. Several pieces are appended one after the other
// (vel_pieces), each as a text: "t + x + y" is t followed by the text of x
// and that of y. Every piece is complete before t changes, and a piece that
// is t appends the old t, so t = t + x + t still repeats it.
std::string inPlaceAppend(const AssignTarget &target, const ExprValue &value) {
    const AppendChain *chain = value.append.get();
    if (!chain || chain->length != value.text.size() || chain->pieces.empty() || chain->base != target.path ||
        !target.setter.empty() || target.isSlice || target.pathIsPointer || chain->type != target.valueType ||
        value.type != target.valueType)
        return "";
    const std::string &first = chain->pieces[0];
    if (chain->pieces.size() == 1)
        return chain->type == T_TEXT && chain->pieceTypes[0] != T_TEXT ? "text(" + first + ")" : first;
    std::string pieces = "vel_pieces(" + first;
    for (std::size_t i = 1; i < chain->pieces.size(); i++)
        pieces += "," + chain->pieces[i];
    return pieces + ")";
}

namespace {

bool isNumberLiteralText(const std::string &text) {
    std::size_t points = 0;
    for (char c : text) {
        if (c == '.')
            points++;
        else if (c < '0' || c > '9')
            return false;
    }
    return !text.empty() && points <= 1 && text[0] != '.';
}

}  // namespace

// The element is then found once and changed where it stands. dyn's += is
// the assignment of the sum, so the value is the same; and with a literal
// operand and a plain key nothing runs between finding the element and
// changing it, so where the element lives cannot change in between.
std::string inPlaceElementSum(const AssignTarget &target, const ExprValue &value) {
    if (!(target.type == T_DICT || target.type == T_ARRAY) || target.valueType != T_VAR || value.type != T_VAR ||
        target.nesting != 1 || !target.plainSubscript || target.setter.empty() || target.setterIsCall ||
        target.pathIsPointer || target.isSlice)
        return "";
    const std::string prefix = target.readPath + "+";
    if (value.text.size() <= prefix.size() || value.text.compare(0, prefix.size(), prefix) != 0)
        return "";
    std::string operand = value.text.substr(prefix.size());
    return isNumberLiteralText(operand) ? operand : "";
}
