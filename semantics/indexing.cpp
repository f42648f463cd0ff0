// Subscripts, intervals and slices. Containers of the run-time library read
// with ".at(" and write with ".setAt("; an inner container of a nested
// subscript is reached through ".to(" which yields a pointer, hence "->" on
// the later subscripts.
#include "semantics/indexing.hpp"

#include "diagnostics/diagnostics.hpp"
#include "semantics/types.hpp"

namespace {

int indexedType(int containerType) {
    if (isTypedArray(containerType))
        return elementType(containerType);
    if (isTextLike(containerType))
        return containerType;
    return T_VAR;
}

}  // namespace

// Reading goes through at(), which never changes the container: "[ ]" on a
// container would create the element it reads, and reading a[1][2] must
// not make a[1] an array.
SubscriptText readIndex(int containerType, const std::string &index, bool anotherFollows) {
    (void)anotherFollows;
    std::string text = isContainer(containerType) || containerType == T_VAR
                           ? ".at(" + index + ")"
                           : "[" + index + "]";
    return {text, indexedType(containerType)};
}

TargetSubscript targetIndex(int containerType, const std::string &index, int nesting,
                            bool anotherFollows) {
    const int type = indexedType(containerType);
    const bool first = nesting == 0;
    if (anotherFollows)
        return {(first ? ".to(" : "->to(") + index + ")", false, true, type};
    if (isTextLike(containerType) || containerType == T_VAR)
        return {(first ? ".setAt(" : "->setAt(") + index + ",", true, false, type};
    if (isTypedArray(containerType))
        return {(first ? ".setAt(" : "->setAt(") + index + ",", true, false, type};
    if ((containerType == T_ARRAY || containerType == T_DICT) && !first)
        return {"->setAt(" + index + ",", true, false, type};
    return {"[" + index + "]", false, false, type};
}

std::string intervalBound(bool present, const std::string &text, int type, bool isUpper) {
    if (!present)
        return isUpper ? "-1" : "0";
    if (type == T_INTEGER)
        return text;
    return "intval(" + text + ")";
}

IntervalBounds makeInterval(bool hasLower, const std::string &lower, int lowerType,
                            bool hasUpper, const std::string &upper, int upperType,
                            bool inclusive) {
    IntervalBounds bounds;
    bounds.lower = intervalBound(hasLower, lower, lowerType, false);
    bounds.upper = intervalBound(hasUpper, upper, upperType, true);
    bounds.inclusive = inclusive ? 1 : 0;
    return bounds;
}

std::string sliceText(const IntervalBounds &bounds) {
    return ".slice(" + bounds.lower + "," + bounds.upper + "," +
           std::to_string(bounds.inclusive) + ")";
}

EmptySubscript readEmptySubscript(int containerType, bool afterRange) {
    if (afterRange) {
        reportError(E_INDEX_ON_RANGE);
        return {"", containerType, ACCESS_PLAIN, false};
    }
    if (isTypedArray(containerType))
        return {".value()", elementType(containerType), ACCESS_PLAIN, true};
    if (containerType == T_ARRAY || containerType == T_DICT)
        return {".value()", T_VAR, ACCESS_PLAIN, true};
    return {".value()", containerType, ACCESS_CURRENT_ELEMENT, true};
}

TargetSubscript targetEmptySubscript(const std::string &path, int containerType, int nesting,
                                     bool anotherFollows) {
    const int type = indexedType(containerType);
    const bool first = nesting == 0;
    if (anotherFollows) {
        std::string text = first ? ".to(" + path + ".key())" : "->to(" + path + "->key())";
        return {text, false, true, type};
    }
    if (first)
        return {"[" + path + ".key()]", false, false, type};
    return {"->setAt(" + path + "->key(),", true, false, type};
}

bool checkKeyRange(int lowerType, int upperType) {
    if (isTextLike(lowerType) && isTextLike(upperType))
        return true;
    reportError(E_KEYS_TEXTS);
    return false;
}
