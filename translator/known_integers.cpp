#include "translator/known_integers.hpp"
#include "semantics/types.hpp"
#include "translator/source_translation.hpp"
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

std::int64_t wrapped(unsigned long long bits, bool wide) {
    return wide ? static_cast<std::int64_t>(bits) : static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

// The lowest value of each width has no literal of its own.
std::string knownText(std::int64_t number, bool wide) {
    if (wide)
        return number == LLONG_MIN ? "(-9223372036854775807LL-1)"
               : number < 0        ? "(" + std::to_string(number) + "LL)"
                                   : std::to_string(number) + "LL";
    if (number == INT_MIN)
        return "(-2147483647-1)";
    return number < 0 ? "(" + std::to_string(number) + ")" : std::to_string(number);
}

}  // namespace

// C++ gives a literal that fits in int the type int, and a larger one (or
// one with an L suffix) 64 bits.
void knowIntegerLiteral(ExprValue &value, const std::string &tokenText) {
    if (value.type != T_INTEGER || tokenText.empty())
        return;
    errno = 0;
    char *end = nullptr;
    long long number = std::strtoll(tokenText.c_str(), &end, 0);
    if (errno == ERANGE)
        return;
    bool suffixed = *end == 'L' || *end == 'l';
    if (*end != '\0' && !(suffixed && end[1] == '\0'))
        return;
    value.known = true;
    value.knownValue = number;
    value.wide = suffixed || number < INT_MIN || number > INT_MAX;
    if (number == LLONG_MIN)
        value.text = knownText(number, true);
}

void rememberKnownConstant(const Symbol *symbol, const ExprValue &initializer) {
    if (symbol && initializer.known && !initializer.wide)
        translation().expressions.knownConstants[symbol] = initializer.knownValue;
}

namespace {

// The initializer of a file-level variable before main opens, which runs
// before any statement: neither a function body, a block, a class attribute
// nor a parameter default, which run later.
bool readingFileLevelInitializer() {
    const SourceTranslation &state = translation();
    return state.scopes.atFileLevel() && !state.output.mainOpened && !state.order.inParameterDefault;
}

}  // namespace

void knowConstant(ExprValue &use) {
    // An enumeration item is written as its value.
    if (use.literal) {
        knowIntegerLiteral(use, use.text);
        return;
    }
    if (!use.root)
        return;
    const auto &constants = translation().expressions.knownConstants;
    auto found = constants.find(use.root);
    if (found == constants.end()) {
        const auto &variables = translation().expressions.knownFileValues;
        found = variables.find(use.root);
        if (found == variables.end() || !readingFileLevelInitializer())
            return;
    }
    use.known = true;
    use.wide = false;
    use.knownValue = found->second;
}


std::string defineFileLevelValue(const Symbol *symbol, int type, bool hasValue, const ExprValue &value,
                                 const std::string &valueText) {
    auto &known = translation().expressions.knownFileValues;
    if (symbol && type == T_INTEGER && !hasValue) {
        known[symbol] = 0;
        return valueText;
    }
    if (symbol && type == T_INTEGER && value.known && !value.wide) {
        known[symbol] = value.knownValue;
        return "=" + knownText(value.knownValue, false);
    }
    known.clear();
    return valueText;
}

void forgetKnownFileValues() {
    translation().expressions.knownFileValues.clear();
}

namespace {

bool outsideWidth(__int128 exact, bool wide) {
    return wide ? exact < LLONG_MIN || exact > LLONG_MAX : exact < INT_MIN || exact > INT_MAX;
}

}  // namespace

void foldKnownIntegers(ExprValue &sum, const ExprValue &left, char op, const ExprValue &right) {
    if (!left.known || !right.known || sum.type != T_INTEGER)
        return;
    bool wide = left.wide || right.wide;
    __int128 a = left.knownValue, b = right.knownValue;
    __int128 exact = op == '+' ? a + b : op == '-' ? a - b : a * b;
    unsigned long long bits = static_cast<unsigned long long>(exact);
    sum.known = true;
    sum.wide = wide;
    sum.knownValue = wrapped(bits, wide);
    if (outsideWidth(exact, wide))
        sum.text = knownText(sum.knownValue, wide);
}

void foldKnownSigns(ExprValue &signed_, const std::string &prefix, const ExprValue &operand) {
    if (!operand.known || signed_.type != T_INTEGER)
        return;
    __int128 exact = operand.knownValue;
    for (char c : prefix) {
        if (c == '-')
            exact = -exact;
        else if (c != '+' && c != ' ')
            return;
    }
    signed_.known = true;
    signed_.wide = operand.wide;
    signed_.knownValue = wrapped(static_cast<unsigned long long>(exact), operand.wide);
    if (outsideWidth(exact, operand.wide))
        signed_.text = knownText(signed_.knownValue, operand.wide);
}

std::string shiftCountText(int width, const ExprValue &count, const std::string &countText) {
    if (!count.known)
        return "(" + countText + "&" + std::to_string(width - 1) + ")";
    if (count.knownValue >= 0 && count.knownValue < width)
        return countText;
    return std::to_string(static_cast<unsigned long long>(count.knownValue) & static_cast<unsigned long long>(width - 1));
}

void foldKnownShift(ExprValue &value, const ExprValue &left, bool shiftLeft, const ExprValue &count) {
    if (!left.known || !count.known || value.type != T_INTEGER)
        return;
    unsigned long long mask = left.wide ? 63 : 31;
    int by = static_cast<int>(static_cast<unsigned long long>(count.knownValue) & mask);
    value.known = true;
    value.wide = left.wide;
    value.knownValue = shiftLeft ? wrapped(static_cast<unsigned long long>(left.knownValue) << by, left.wide)
                                 : left.knownValue >> by;
}

bool knownShiftOverflows(const ExprValue &shifted, const ExprValue &count) {
    if (!shifted.known || !count.known)
        return false;
    int width = shifted.wide ? 64 : 32;
    int by = static_cast<int>(static_cast<unsigned long long>(count.knownValue) & static_cast<unsigned long long>(width - 1));
    if (shifted.knownValue < 0)
        return true;
    // C++ allows a shift of a non-negative value into the sign bit, not past it.
    unsigned __int128 exact = static_cast<unsigned __int128>(shifted.knownValue) << by;
    return exact > (width == 64 ? static_cast<unsigned __int128>(ULLONG_MAX) : UINT_MAX);
}

ExprValue knownExclusiveOr(const ExprValue &left, const ExprValue &right) {
    bool wide = left.wide || right.wide;
    std::int64_t bits = wrapped(static_cast<unsigned long long>(left.knownValue ^ right.knownValue), wide);
    ExprValue value;
    value.text = knownText(bits, wide);
    value.type = T_INTEGER;
    value.known = true;
    value.wide = wide;
    value.knownValue = bits;
    value.literal = bits >= 0;
    return value;
}

void foldKnownBits(ExprValue &value, const ExprValue &left, char op, const ExprValue &right) {
    if (!left.known || !right.known || value.type != T_INTEGER)
        return;
    bool wide = left.wide || right.wide;
    unsigned long long a = static_cast<unsigned long long>(left.knownValue), b = static_cast<unsigned long long>(right.knownValue);
    value.known = true;
    value.wide = wide;
    value.knownValue = wrapped(op == '&' ? a & b : a | b, wide);
}
