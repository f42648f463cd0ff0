#include "semantics/types.hpp"
#include "diagnostics/diagnostics.hpp"

namespace {

const char *const names[] = {
    "unknow type", "void", "byte", "boolean", "number", "integer", "long",
    "real", "natural", "small real", "text", "array", "dict", "file", "dir",
    "object", "var", "tuple", "list", "sequence", "java", "function",
    "char *", "scalar", "nil", "class", "xml structure", "byte *", "char",
    "int array", "text array", "natural array", "real array", "number array",
    "object array", "file array", "?"};

}  // namespace

const char *typeName(int code) {
    if (code < 0 || code > T_PLACEHOLDER) {
        reportInternal(3001);
        return "error";
    }
    return names[code];
}
