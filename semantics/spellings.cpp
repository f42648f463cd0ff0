// Type spellings, conversions, nil values, temporaries, swap and
// interpolated strings of the generated C++.
#include "semantics/spellings.hpp"

#include <cstdio>

#include "diagnostics/diagnostics.hpp"
#include "semantics/source_semantics.hpp"
#include "semantics/types.hpp"

// ---------------------------------------------------------------------------
// Type spellings

namespace {

// The spelling of a declaration keyword's type, or "" for types that no
// keyword declares.
std::string keywordSpelling(int type) {
    switch (type) {
    case T_VOID: return "void ";
    case T_BOOLEAN: return "bool ";
    case T_BYTE: return "unsigned char ";
    case T_NUMBER: case T_REAL: return "double ";
    case T_INTEGER: return "int ";
    case T_NATURAL: return "natural ";
    case T_VAR: return "dyn ";
    case T_ARRAY: case T_OBJECT: return "velarray ";
    case T_DICT: return "dict ";
    case T_FILE: return "FILE *";
    case T_TEXT: return "text ";
    case T_CHARPTR: return "char *";
    case T_FUNCTION: return "function ";
    case T_CHAR: return "char ";
    case T_INTARRAY: return "_intArr ";
    case T_NATURALARRAY: return "_natArr ";
    case T_REALARRAY: case T_NUMBERARRAY: return "_array64 ";
    case T_TEXTARRAY: case T_OBJECTARRAY: case T_FILEARRAY: return "_arr32 ";
    default: return "";
    }
}

}  // namespace

std::string cppTypeSpelling(int type) {
    std::string spelling = keywordSpelling(type);
    // A value of a type that has no keyword can still be held dynamically.
    return spelling.empty() ? "dyn " : spelling;
}

// ---------------------------------------------------------------------------
// Conversions

std::string castElement(int typedArrayType) {
    switch (typedArrayType) {
    case T_INTARRAY: return "(";
    case T_TEXTARRAY: return "text(";
    case T_NATURALARRAY: return "(natural)(";
    case T_REALARRAY: case T_NUMBERARRAY: return "(double)(";
    case T_OBJECTARRAY: return "(void *)(";
    case T_FILEARRAY: return "(FILE *)(";
    default: return "";
    }
}

std::string castTo(int target, int source) {
    switch (target) {
    case T_BYTE: case T_INTEGER: return "intval(";
    case T_NUMBER: case T_REAL: return "doubleval(";
    case T_NATURAL: return "natural(";
    case T_TEXT: case T_CHARPTR: return "text(";
    case T_DIR: return "_VelmoraDir(";
    case T_VAR: return "dyn(" + castElement(source);
    default: return "";
    }
}

std::string castPlain(int type) {
    switch (type) {
    case T_NUMBER: case T_REAL: return "(double)";
    case T_INTEGER: return "(int)";
    case T_NATURAL: return "(natural)";
    case T_TEXT: return "(char *)";
    default: return "";
    }
}

std::string closingFor(const std::string &prefix) {
    int open = 0;
    for (char c : prefix) {
        if (c == '(')
            open++;
        else if (c == ')' && open > 0)
            open--;
    }
    return std::string(static_cast<size_t>(open), ')');
}

std::string convertTo(int target, int source, const std::string &value) {
    std::string prefix = castTo(target, source);
    return prefix + value + closingFor(prefix);
}

std::string convertInItem(int elementType, const std::string &item) {
    if (elementType == T_NUMBER || elementType == T_REAL)
        return "(double)(" + item + ")";
    return item;
}

std::string numberArrayOf(int elementType) {
    return elementType == T_NATURAL ? "_natArr" : "_array64";
}

std::string typeTag(int type) {
    switch (type) {
    case T_NUMBER: case T_REAL: return "TYPE_NUMBER";
    case T_INTEGER: return "TYPE_INT";
    case T_NATURAL: return "TYPE_NATURAL";
    case T_TEXT: return "TYPE_TEXT";
    default: return "TYPE_OBJECT";
    }
}

std::string fromDyn(int target, const std::string &value, const std::string &className) {
    const char *conversion = nullptr;
    switch (target) {
    case T_BOOLEAN: conversion = "toBoolean("; break;
    case T_NUMBER: case T_REAL: conversion = "toReal("; break;
    case T_INTEGER: conversion = "toInt("; break;
    case T_NATURAL: conversion = "toNatural("; break;
    case T_TEXT: conversion = "toText("; break;
    case T_ARRAY: conversion = "toArray("; break;
    case T_DICT: conversion = "toDict("; break;
    case T_FILE: conversion = "toFile("; break;
    case T_DIR: conversion = "toDir("; break;
    case T_OBJECT: return "(" + className + " *)(" + value + ")";
    default: return value;
    }
    return std::string("dyn::") + conversion + value + ")";
}

std::string nilFor(int type) {
    switch (type) {
    case T_NUMBER: case T_INTEGER: case T_REAL: case T_LONG: case T_SMALLREAL:
        return "-1";
    case T_TEXT: case T_CHARPTR:
        return "\"\"";
    case T_ARRAY: case T_LIST:
        return "velarray()";
    case T_DICT:
        return "dict()";
    case T_INTARRAY:
        return "_intArr()";
    case T_TEXTARRAY: case T_OBJECTARRAY: case T_FILEARRAY:
        return "_arr32()";
    case T_NATURALARRAY:
        return "_natArr(TYPE_NATURAL, 16)";
    case T_REALARRAY:
        return "_array64(TYPE_REAL, 16)";
    case T_NUMBERARRAY:
        return "_array64(TYPE_NUMBER, 16)";
    default:
        break;
    }
    if (type < T_NUMBER || type > T_FILEARRAY)
        return "false";
    // natural, file, dir, object, function, class, char and every other
    // pointer-like or dynamic value.
    return "NULL";
}

std::string nullObject(int classIndex) {
    return classIndex >= 0 ? "NULL" : "velarray()";
}

// ---------------------------------------------------------------------------
// Temporaries

std::string newTemp() { return "_I_" + std::to_string(++sourceSemantics().run.emission.temporaryCounter); }

// ---------------------------------------------------------------------------
// Swap

std::string swapText(const std::string &first, int firstType, const std::string &second,
                     int secondType) {
    if (firstType != secondType) {
        // Without the swap the program would run wrong, so the source must
        // not be compiled.
        reportAssignment(firstType, secondType);
        return "";
    }
    // Objects are class pointers, whose spelling the keyword table lacks.
    std::string spelling = firstType == T_OBJECT ? "" : keywordSpelling(firstType);
    if (spelling.empty())
        spelling = "auto ";
    std::string temporary = newTemp();
    return "{" + spelling + temporary + "=" + first + "; " + first + "=" + second + "; " +
           second + "=" + temporary + ";}";
}

// ---------------------------------------------------------------------------
// Interpolated strings

namespace {

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isNameCharacter(char c) { return isLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

class InterpolationBuilder {
public:
    void plain(const std::string &characters) { segment_ += characters; }

    void reference(const std::string &emittedName) {
        flushSegment();
        result_ += ",str(" + emittedName + ")";
    }

    std::string finish() {
        flushSegment();
        return result_ + ",NULL)";
    }

private:
    void flushSegment() {
        if (!segment_.empty())
            result_ += ",\"" + segment_ + "\"";
        segment_.clear();
    }

    std::string result_ = "_vel_phpstring(\"\"";
    std::string segment_;
};

}  // namespace

std::string phpString(const std::string &literal,
                      const std::function<std::string(const std::string &)> &resolveName) {
    std::string body = literal;
    if (body.size() >= 2 && body.front() == '"' && body.back() == '"')
        body = body.substr(1, body.size() - 2);
    InterpolationBuilder builder;
    size_t i = 0;
    while (i < body.size()) {
        char c = body[i];
        if (c == '\\') {
            if (i + 1 >= body.size()) {   // a lone trailing backslash stays a character
                builder.plain("\\\\");
                i++;
            } else if (body[i + 1] == '$') {
                builder.plain("$");
                i += 2;
            } else {   // an escape pair is kept whole so it cannot be split
                builder.plain(body.substr(i, 2));
                i += 2;
            }
        } else if (c == '$' && i + 1 < body.size() &&
                   (isLetter(body[i + 1]) || body[i + 1] == '_')) {
            size_t end = i + 1;
            while (end < body.size() && isNameCharacter(body[end]))
                end++;
            std::string name = body.substr(i + 1, end - i - 1);
            builder.reference(resolveName ? resolveName(name) : name);
            i = end;
        } else if (c == '"') {
            builder.plain("\\\"");
            i++;
        } else if (c == '\n') {
            builder.plain("\\n");
            i++;
        } else if (c == '\r') {
            builder.plain("\\r");
            i++;
        } else {
            builder.plain(std::string(1, c));
            i++;
        }
    }
    return builder.finish();
}
