#include "semantics/builtins.hpp"

#include <cstring>

#include "diagnostics/diagnostics.hpp"
#include "semantics/types.hpp"

namespace {

const BuiltinRow TABLE[] = {
    {"setDyn", "", {T_VOID, 0, 0, 0, 0, 0, 0, 0}},
    {"toint", "intval", {T_NUMBER, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"tointeger", "intval", {T_NUMBER, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"toreal", "doubleval", {T_NUMBER, 0, 1, 0, 0, 0, T_REAL, 0}},
    {"totext", "str", {T_NUMBER, 0, 1, 0, 0, 0, T_TEXT, 0}},
    {"tonatural", "naturalval", {T_NUMBER, 0, 1, 0, 0, 0, T_NATURAL, 0}},
    {"totext", "str", {T_INTEGER, 0, 1, 0, 0, 0, T_TEXT, 0}},
    {"toreal", "doubleval", {T_INTEGER, 0, 1, 0, 0, 0, T_REAL, 0}},
    {"tonatural", "naturalval", {T_INTEGER, 0, 1, 0, 0, 0, T_NATURAL, 0}},
    {"totext", "str", {T_REAL, 0, 1, 0, 0, 0, T_TEXT, 0}},
    {"toint", "intval", {T_REAL, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"tointeger", "intval", {T_REAL, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"tonatural", "naturalval", {T_REAL, 0, 1, 0, 0, 0, T_NATURAL, 0}},
    {"totext", "str", {T_NATURAL, 0, 1, 0, 0, 0, T_TEXT, 0}},
    {"toint", "int", {T_NATURAL, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"tointeger", "int", {T_NATURAL, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"toreal", "doubleval", {T_NATURAL, 0, 1, 0, 0, 0, T_REAL, 0}},
    {"toint", "intval", {T_BOOLEAN, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"tointeger", "intval", {T_BOOLEAN, 0, 1, 0, 0, 0, T_INTEGER, 0}},
    {"capitalize", "capitalize", {T_TEXT, 0, 5, 0, 0, 0, T_TEXT, 0}},
    {"compare", "compare", {T_TEXT, 0, 5, 1, T_CHARPTR, 0, T_INTEGER, 0}},
    {"dup", "dup", {T_TEXT, 0, 5, 1, T_INTEGER, 0, T_TEXT, 0}},
    {"fill", "fill", {T_TEXT, 1, 14, 2, T_CHARPTR, T_INTEGER, T_VOID, 0}},
    {"find", "find", {T_TEXT, 0, 5, 2, T_CHARPTR, T_INTEGER | BUILTIN_OPTIONAL, T_INTEGER, 0}},
    {"findLast", "find_last_of", {T_TEXT, 0, 5, 2, T_CHARPTR, T_INTEGER | BUILTIN_OPTIONAL, T_INTEGER, 0}},
    {"findLex", "findLex", {T_TEXT, 0, 14, 2, T_CHARPTR, T_INTEGER | BUILTIN_OPTIONAL, T_INTEGER, 0}},
    {"identical", "identical", {T_TEXT, 0, 14, 1, T_CHARPTR, 0, T_INTEGER, 0}},
    {"insert", "insert", {T_TEXT, 1, 5, 2, T_INTEGER, T_CHARPTR, T_VOID, 0}},
    {"isNumber", "isNumber", {T_TEXT, 0, 5, 0, 0, 0, T_BOOLEAN, 0}},
    {"length", "length", {T_TEXT, 0, 5, 0, 0, 0, T_INTEGER, 0}},
    {"len", "length", {T_TEXT, 0, 12, 0, 0, 0, T_INTEGER, 0}},
    {"lower", "lower", {T_TEXT, 0, 5, 0, 0, 0, T_TEXT, 0}},
    {"ltrim", "lTrim", {T_TEXT, 0, 12, 0, 0, 0, T_TEXT, 0}},
    {"replace", "replace", {T_TEXT, 0, 14, 2, T_CHARPTR, T_CHARPTR, T_TEXT, 0}},
    {"reserve", "reserve", {T_TEXT, 1, 5, 1, T_INTEGER, 0, T_VOID, 0}},
    {"rtrim", "rTrim", {T_TEXT, 0, 12, 0, 0, 0, T_TEXT, 0}},
    {"split", "explode", {T_TEXT, 0, 1, 1, T_CHARPTR, 0, T_ARRAY, 0}},
    {"trim", "trim", {T_TEXT, 0, 5, 0, 0, 0, T_TEXT, 0}},
    {"tofunction", "toFunction", {T_TEXT, 0, 9, 0, 0, 0, T_FUNCTION, 0}},
    {"toint", "toInt", {T_TEXT, 0, 12, 0, 0, 0, T_INTEGER, 0}},
    {"tointeger", "toInteger", {T_TEXT, 0, 12, 0, 0, 0, T_INTEGER, 0}},
    {"tonatural", "naturalval", {T_TEXT, 0, 1, 0, 0, 0, T_NATURAL, 0}},
    {"tonumber", "toNumber", {T_TEXT, 0, 12, 0, 0, 0, T_NUMBER, 0}},
    {"toreal", "toReal", {T_TEXT, 0, 12, 0, 0, 0, T_REAL, 0}},
    {"tostr", "toStr", {T_TEXT, 0, 12, 0, 0, 0, T_CHARPTR, 0}},
    {"totext", "toText", {T_TEXT, 0, 9, 0, 0, 0, T_TEXT, 0}},
    {"toFile", "toFile", {T_TEXT, 0, 5, 1, T_TEXT, 0, T_VOID, 0}},
    {"upper", "upper", {T_TEXT, 0, 5, 0, 0, 0, T_TEXT, 0}},
    {"wrap", "wrap", {T_TEXT, 0, 14, 1, T_INTEGER, 0, T_TEXT, 0}},
    {"slice", "slice", {T_TEXT, 0, 5, 2, T_INTEGER, T_INTEGER | BUILTIN_OPTIONAL, T_TEXT, 0}},
    {"begin", "begin", {T_ARRAY, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"dec", "dec", {T_ARRAY, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"display", "display", {T_ARRAY, 0, 5, 0, 0, 0, T_VOID, 0}},
    {"end", "end", {T_ARRAY, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"empty", "empty", {T_ARRAY, 0, 5, 0, 0, 0, T_BOOLEAN, 0}},
    {"find", "find", {T_ARRAY, 0, 14, 1, T_VAR, 0, T_INTEGER, 0}},
    {"findLast", "findLast", {T_ARRAY, 0, 14, 1, T_VAR, 0, T_INTEGER, 0}},
    {"in", "in", {T_ARRAY, 0, 14, 1, T_VAR, 0, T_BOOLEAN, 0}},
    {"inc", "inc", {T_ARRAY, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"index", "index", {T_ARRAY, 0, 5, 0, 0, 0, T_INTEGER, 0}},
    {"insert", "insert", {T_ARRAY, 1, 4, 2, T_INTEGER, T_VAR, T_VOID, 0}},
    {"join", "join", {T_ARRAY, 0, 14, 1, T_CHARPTR, 0, T_TEXT, 0}},
    {"key", "key", {T_ARRAY, 0, 5, 0, 0, 0, T_TEXT, 0}},
    {"keys", "keys", {T_ARRAY, 0, 5, 0, 0, 0, T_LIST, 0}},
    {"kSort", "kSort", {T_ARRAY, 1, 12, 0, 0, 0, T_VOID, 0}},
    {"length", "size", {T_ARRAY, 0, 5, 0, 0, 0, T_INTEGER, 0}},
    {"load", "load", {T_ARRAY, 1, 14, 2, T_CHARPTR, T_INTEGER | BUILTIN_OPTIONAL, T_BOOLEAN, 0}},
    {"map", "map", {T_ARRAY, 0, 5, 1, T_FUNCTION, 0, T_ARRAY, 0}},
    {"max", "max", {T_ARRAY, 0, 5, 0, 0, 0, T_VAR, 0}},
    {"merge", "merge", {T_ARRAY, 1, 14, 1, T_VAR, 0, T_VAR, 0}},
    {"min", "min", {T_ARRAY, 0, 5, 0, 0, 0, T_VAR, 0}},
    {"pack", "pack", {T_ARRAY, 1, 5, 0, 0, 0, T_VOID, 0}},
    {"pop", "pop", {T_ARRAY, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"push", "push", {T_ARRAY, 1, 14, 1, T_VAR, 0, T_VOID, 0}},
    {"rand", "rand", {T_ARRAY, 0, 5, 0, 0, 0, T_VAR, 0}},
    {"reverse", "reverse", {T_ARRAY, 0, 5, 0, 0, 0, T_LIST, 0}},
    {"shift", "shift", {T_ARRAY, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"size", "size", {T_ARRAY, 0, 5, 0, 0, 0, T_INTEGER, 0}},
    {"slice", "slice", {T_ARRAY, 0, 14, 2, T_INTEGER, T_INTEGER, T_LIST, 0}},
    {"sort", "sort", {T_ARRAY, 1, 5, 1, T_INTEGER | BUILTIN_OPTIONAL, 0, T_VOID, 0}},
    {"rsort", "rSort", {T_ARRAY, 1, 5, 1, T_INTEGER | BUILTIN_OPTIONAL, 0, T_VOID, 0}},
    {"splice", "splice", {T_ARRAY, 1, 14, 2, T_INTEGER, T_INTEGER, T_VOID, 0}},
    {"store", "store", {T_ARRAY, 1, 11, 1, T_CHARPTR, 0, T_VOID, 0}},
    {"sum", "sum", {T_ARRAY, 0, 5, 0, 0, 0, T_NUMBER, 0}},
    {"toText", "toText", {T_ARRAY, 0, 12, 1, T_TEXT | BUILTIN_OPTIONAL, 0, T_TEXT, 0}},
    {"toString", "toString", {T_ARRAY, 0, 5, 1, T_TEXT | BUILTIN_OPTIONAL, 0, T_CHARPTR, 0}},
    {"unique", "unique", {T_ARRAY, 0, 5, 0, 0, 0, T_ARRAY, 0}},
    {"unshift", "unshift", {T_ARRAY, 1, 14, 1, T_VAR, 0, T_VOID, 0}},
    {"value", "value", {T_ARRAY, 0, 5, 0, 0, 0, T_VAR, 0}},
    {"values", "values", {T_ARRAY, 0, 5, 0, 0, 0, T_ARRAY, 0}},
    {"display", "display", {T_DICT, 0, 5, 0, 0, 0, T_INTEGER, 0}},
    {"size", "size", {T_DICT, 0, 5, 0, 0, 0, T_INTEGER, 0}},
    {"find", "find", {T_DICT, 0, 5, 1, T_VAR, 0, T_INTEGER, 0}},
    {"findLast", "findLast", {T_DICT, 0, 5, 0, 0, 0, T_INTEGER, 0}},
    {"hasKey", "hasKey", {T_DICT, 0, 5, 1, T_VAR, 0, T_BOOLEAN, 0}},
    {"keys", "keys", {T_DICT, 0, 5, 0, 0, 0, T_ARRAY, 0}},
    {"load", "load", {T_DICT, 1, 5, 2, T_TEXT, T_INTEGER | BUILTIN_OPTIONAL, T_BOOLEAN, 0}},
    {"store", "store", {T_DICT, 1, 5, 1, T_TEXT, 0, T_VOID, 0}},
    {"push", "push", {T_DICT, 1, 5, 1, T_VAR, 0, T_VAR, 0}},
    {"shift", "shift", {T_DICT, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"unshift", "unshift", {T_DICT, 1, 5, 2, T_TEXT, T_VAR, T_VOID, 0}},
    {"pop", "pop", {T_DICT, 1, 5, 0, 0, 0, T_VAR, 0}},
    {"insert", "insert", {T_DICT, 1, 5, 2, T_INTEGER, T_VAR, T_VOID, 0}},
    {"concat", "concat", {T_DICT, 1, 5, 1, T_DICT, 0, T_VOID, 0}},
    {"slice", "slice", {T_DICT, 0, 5, 2, T_INTEGER, T_INTEGER, T_DICT, 0}},
    {"values", "values", {T_DICT, 0, 5, 0, 0, 0, T_LIST, 0}},
    {"sort", "sort", {T_DICT, 1, 5, 1, T_BOOLEAN | BUILTIN_OPTIONAL, 0, T_VOID, 0}},
    {"ksort", "kSort", {T_DICT, 1, 5, 1, T_BOOLEAN | BUILTIN_OPTIONAL, 0, T_VOID, 0}},
    {"unique", "unique", {T_DICT, 0, 5, 0, 0, 0, T_DICT, 0}},
    {"toXML", "toXML", {T_DICT, 0, 5, 0, 0, 0, T_TEXT, 0}},
    {"isArray", "isArray", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isDict", "isDict", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isText", "isText", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isNumber", "sNumber", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isBoolean", "isBoolean", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isBool", "isBoolean", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isNatural", "isNatural", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isReal", "isReal", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isInt", "isInt", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isInteger", "isInteger", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isFile", "isFile", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"isObject", "isObject", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"toInt", "toInt", {T_VAR, 0, 12, 0, 0, 0, T_INTEGER, 0}},
    {"toInteger", "toInteger", {T_VAR, 0, 12, 0, 0, 0, T_INTEGER, 0}},
    {"toReal", "toReal", {T_VAR, 0, 12, 0, 0, 0, T_REAL, 0}},
    {"tonatural", "toNatural", {T_VAR, 0, 12, 0, 0, 0, T_NATURAL, 0}},
    {"toNumber", "toReal", {T_VAR, 0, 12, 0, 0, 0, T_NUMBER, 0}},
    {"toText", "toText", {T_VAR, 0, 12, 0, 0, 0, T_TEXT, 0}},
    {"toArray", "toArray", {T_VAR, 0, 12, 0, 0, 0, T_ARRAY, 0}},
    {"toDict", "toDict", {T_VAR, 0, 12, 0, 0, 0, T_DICT, 0}},
    {"toFile", "toFile", {T_VAR, 0, 12, 0, 0, 0, T_FILE, 0}},
    {"toBoolean", "toBoolean", {T_VAR, 0, 12, 0, 0, 0, T_BOOLEAN, 0}},
    {"toObject", "toObject", {T_VAR, 0, 12, 0, 0, 0, T_OBJECT, 0}},
    {"arrayType", "arrayType", {T_VAR, 0, 12, 0, 0, 0, T_INTEGER, 0}},
    {"open", "_vel_open", {T_FILE, 1, 6, 2, T_CHARPTR, T_CHARPTR, T_INTEGER, 0}},
    {"close", "fclose", {T_FILE, 1, 1, 0, 0, 0, T_INTEGER, 0}},
    {"read", "fread", {T_FILE, 0, 1, 1, T_INTEGER, 0, T_TEXT, 0}},
    {"write", "fwrite", {T_FILE, 0, 1, 1, T_TEXT, 0, T_INTEGER, 0}},
    {"readline", "fgets", {T_FILE, 0, 1, 0, 0, 0, T_TEXT, 0}},
    {"writeline", "fputs", {T_FILE, 0, 1, 1, T_TEXT, 0, T_VOID, 0}},
    {"eof", "feof", {T_FILE, 0, 1, 0, 0, 0, T_BOOLEAN, 0}},
    {"seek", "fseek", {T_FILE, 0, 1, 1, T_INTEGER, 0, T_INTEGER, 0}},
    {"size", "filesize", {T_FILE, 0, 1, 0, 0, 0, T_NATURAL, 0}},
    {"time", "filemtime", {T_FILE, 0, 1, 0, 0, 0, T_NATURAL, 0}},
    {"exists", "file_exists", {T_FILE, 0, 1, 0, 0, 0, T_BOOLEAN, 0}},
    {"---", "", {BUILTIN_SEPARATOR, 0, 0, 0, 0, 0, 0, 0}},
    {"abs", "abs", {0, 1, T_NUMBER, 0, 0, 0, T_NUMBER, 0}},
    {"sin", "sin", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"cos", "cos", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"tan", "tan", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"log", "log", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"sqrt", "sqrt", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"exp", "exp", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"asin", "asin", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"acos", "acos", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"atan", "atan", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"ceil", "ceil", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"floor", "floor", {0, 1, T_REAL, 0, 0, 0, T_REAL, 0}},
    {"fmod", "fmod", {0, 2, T_NUMBER, T_NUMBER, 0, 0, T_NUMBER, 0}},
    {"pow", "pow", {0, 2, T_NUMBER, T_NUMBER, 0, 0, T_NUMBER, 0}},
    {"boolval", "boolval", {0, 1, T_VAR, 0, 0, 0, T_NATURAL, 0}},
    {"doubleval", "doubleval", {0, 1, T_VAR, 0, 0, 0, T_REAL, 0}},
    {"str", "str", {0, 1, T_NUMBER, 0, 0, 0, T_TEXT, 0}},
    {"strval", "to_string", {0, 1, T_NUMBER, 0, 0, 0, T_TEXT, 0}},
    {"chr", "chr", {0, 1, T_INTEGER, 0, 0, 0, T_TEXT, 0}},
    {"ord", "ord", {0, 1, T_CHARPTR, 0, 0, 0, T_INTEGER, 0}},
    {"naturalval", "naturalval", {0, 1, T_VAR, 0, 0, 0, T_NATURAL, 0}},
    {"is_array", "is_dyn_array", {0, 1, T_VAR, 0, 0, 0, T_BOOLEAN, 0}},
    {"is_dict", "is_dyn_dict", {0, 1, T_VAR, 0, 0, 0, T_BOOLEAN, 0}},
    {"is_list", "is_dyn_list", {0, 1, T_VAR, 0, 0, 0, T_BOOLEAN, 0}},
    {"is_object", "is_dyn_object", {0, 1, T_VAR, 0, 0, 0, T_BOOLEAN, 0}},
    {"intval", "intval", {0, 1, T_VAR, 0, 0, 0, T_INTEGER, 0}},
    {"pad", "\tstr_pad", {0, 4, T_CHARPTR, T_INTEGER | BUILTIN_OPTIONAL, T_TEXT | BUILTIN_OPTIONAL, T_INTEGER | BUILTIN_OPTIONAL, T_TEXT, 0}},
    {"swap", "swap", {2, 0, 0, 0, 0, 0, T_VOID, 0}},
    {"min", "min", {0, 2, T_NUMBER, T_NUMBER, 0, 0, T_NUMBER, 0}},
    {"max", "max", {0, 2, T_NUMBER, T_NUMBER, 0, 0, T_NUMBER, 0}},
    {"sign", "_vel_sgn", {0, 1, T_NUMBER, 0, 0, 0, T_INTEGER, 0}},
    {"die", "die", {0, 1, T_CHARPTR, 0, 0, 0, T_VOID, 0}},
    {"exit", "exit", {0, 1, T_INTEGER | BUILTIN_OPTIONAL, 0, 0, 0, T_VOID, 0}},
    {"exec", "system", {0, 1, T_CHARPTR, 0, 0, 0, T_INTEGER, 0}},
    {"plural", "plural", {0, 1, T_INTEGER, 0, 0, 0, T_TEXT, 0}},
    {"rand", "rand", {0, 0, 0, 0, 0, 0, T_INTEGER, 0}},
    {"randomize", "srand", {0, 1, T_INTEGER, 0, 0, 0, T_VOID, 0}},
    {"range", "_vel_range", {0, 2, T_INTEGER, T_INTEGER, 0, 0, T_ARRAY, 0}},
    {"realval", "doubleval", {0, 1, T_VAR, 0, 0, 0, T_REAL, 0}},
    {"round", "_vel_round", {0, 1, T_NUMBER, 0, 0, 0, T_NUMBER, 0}},
    {"system", "system", {0, 1, T_CHARPTR, 0, 0, 0, T_TEXT, 0}},
    {"time", "_vel_time", {0, 0, 0, 0, 0, 0, T_INTEGER, 0}},
    {"localtime", "_vel_ltime", {0, 0, 0, 0, 0, 0, T_DICT, 0}},
    {"unlink", "_vel_unlink", {0, 1, T_CHARPTR, 0, 0, 0, T_BOOLEAN, 0}},
    {"rename", "_vel_ren", {0, 2, T_CHARPTR, T_CHARPTR, 0, 0, T_BOOLEAN, 0}},
    {"chdir", "_vel_chdir", {0, 1, T_CHARPTR, 0, 0, 0, T_BOOLEAN, 0}},
    {"mkdir", "_vel_mkdir", {0, 1, T_CHARPTR, 0, 0, 0, T_BOOLEAN, 0}},
    {"rmdir", "_vel_rmdir", {0, 1, T_CHARPTR, 0, 0, 0, T_BOOLEAN, 0}},
    {"is_dir", "_vel_isdir", {0, 1, T_CHARPTR, 0, 0, 0, T_BOOLEAN, 0}},
    {"is_file", "_vel_isfile", {0, 1, T_CHARPTR, 0, 0, 0, T_BOOLEAN, 0}},
    {"file_exists", "file_exists", {0, 1, T_CHARPTR, 0, 0, 0, T_BOOLEAN, 0}},
    {"fileToArray", "_vel_ftoarr", {0, 1, T_CHARPTR, 0, 0, 0, T_ARRAY, 0}},
    {"fileToText", "_vel_ftostr", {0, 1, T_CHARPTR, 0, 0, 0, T_TEXT, 0}},
    {"fopen", "fopen", {0, 2, T_CHARPTR, T_CHARPTR, 0, 0, T_FILE, 0}},
    {"getcwd", "getcwd", {0, 0, 0, 0, 0, 0, T_TEXT, 0}},
    {"filesize", "filesize", {0, 1, T_CHARPTR, 0, 0, 0, T_NUMBER, 0}},
    {"filetime", "filemtime", {0, 1, T_CHARPTR, 0, 0, 0, T_NUMBER, 0}},
    {"filetype", "filetype", {0, 1, T_CHARPTR, 0, 0, 0, T_TEXT, 0}},
    {"opendir", "open_dir", {0, 1, T_CHARPTR, 0, 0, 0, T_DIR, 0}},
    {"closedir", "close_dir", {0, 1, T_DIR, 0, 0, 0, T_VOID, 0}},
    {"readdir", "read_dir", {0, 1, T_DIR, 0, 0, 0, T_TEXT, 0}},
    {"rewinddir", "rewind_dir", {0, 1, T_DIR, 0, 0, 0, T_VOID, 0}},
    {"scandir", "scandir", {0, 1, T_CHARPTR, 0, 0, 0, T_ARRAY, 0}},
    {"---", "", {BUILTIN_SEPARATOR, BUILTIN_SEPARATOR, BUILTIN_SEPARATOR, BUILTIN_SEPARATOR, BUILTIN_SEPARATOR, BUILTIN_SEPARATOR, BUILTIN_SEPARATOR, BUILTIN_SEPARATOR}},
};

constexpr int ROW_COUNT = static_cast<int>(sizeof(TABLE) / sizeof(TABLE[0]));

// Where each receiver's rows start and how many there are, found once.
struct MethodIndex {
    int first[RESULT_TABLE_SIZE];
    int count[RESULT_TABLE_SIZE];
    int methods = 0;
    int functionStart = 0;

    MethodIndex() {
        for (int type = 0; type < RESULT_TABLE_SIZE; type++) {
            first[type] = -1;
            count[type] = 0;
        }
        int row = 1;
        for (; row < ROW_COUNT && TABLE[row].field[M_RECEIVER] != BUILTIN_SEPARATOR; row++) {
            int receiver = TABLE[row].field[M_RECEIVER];
            if (first[receiver] < 0)
                first[receiver] = row;
            count[receiver]++;
            methods++;
        }
        functionStart = row + 1;
    }
};

const MethodIndex &methodIndex() {
    static const MethodIndex index;
    return index;
}

int searchRows(const std::string &name, int first, int count) {
    for (int row = first; first >= 0 && row < first + count; row++)
        if (builtinNamesMatch(name, TABLE[row].name))
            return row;
    return -1;
}

int requiredCount(const std::int32_t *types, int slots) {
    int required = 0;
    for (int i = 0; i < slots; i++)
        if (types[i] != 0 && !(types[i] & BUILTIN_OPTIONAL))
            required++;
    return required;
}

enum ArgumentFault { ARGUMENTS_FIT, TOO_FEW_ARGUMENTS, TOO_MANY_ARGUMENTS, BAD_ARGUMENT_TYPE };

// The shared check: count first, then the type of the one argument, or of
// the second of two.
ArgumentFault argumentFault(int declaredCount, const std::int32_t *types, int slots, const int *found,
                            int count) {
    if (count < requiredCount(types, slots))
        return TOO_FEW_ARGUMENTS;
    if (declaredCount >= 0 && count > declaredCount)
        return TOO_MANY_ARGUMENTS;
    int checked = -1;
    if (declaredCount < 0 ? count >= 1 : count == 1)
        checked = 0;
    else if (count == 2)
        checked = 1;
    if (checked >= 0 && checked < slots && types[checked] != 0 &&
        resultOf(types[checked] & ~BUILTIN_OPTIONAL, found[checked]) == 0)
        return BAD_ARGUMENT_TYPE;
    return ARGUMENTS_FIT;
}

bool checkArguments(const BuiltinRow &row, int declaredCount, const std::int32_t *types, int slots,
                    const int *found, int count) {
    switch (argumentFault(declaredCount, types, slots, found, count)) {
    case TOO_FEW_ARGUMENTS:
        reportArgumentCount(row.name, requiredCount(types, slots), count, ARGUMENT_PLURAL_UNLESS_ONE);
        return false;
    case TOO_MANY_ARGUMENTS:
        reportArgumentCount(row.name, declaredCount, count, ARGUMENT_PLURAL_UNLESS_ONE);
        return false;
    case BAD_ARGUMENT_TYPE:
        reportNamed(E_BAD_ARGUMENTS, row.name);
        return false;
    default:
        return true;
    }
}

bool methodArgumentsFit(int row, const int *argumentTypes, int count) {
    const BuiltinRow &r = TABLE[row];
    return argumentFault(r.field[M_COUNT], &r.field[M_ARG1], 2, argumentTypes, count) == ARGUMENTS_FIT;
}

}  // namespace

const BuiltinRow &builtinRow(int index) { return TABLE[index]; }
int builtinRowCount() { return ROW_COUNT; }
int methodRowCount() { return methodIndex().methods; }
int functionRowCount() { return ROW_COUNT - methodIndex().functionStart - 1; }
int firstFunctionRow() { return methodIndex().functionStart; }

bool builtinNamesMatch(const std::string &name, const char *rowName) {
    std::string::size_type i = 0;
    for (; i < name.size(); i++) {
        if (rowName[i] == '\0' || (name[i] | 32) != (rowName[i] | 32))
            return false;
    }
    return rowName[i] == '\0';
}

int findMethod(const std::string &name, int receiverType) {
    const MethodIndex &index = methodIndex();
    int searched = isTypedArray(receiverType) ? T_ARRAY : receiverType;
    if (searched < 0 || searched >= RESULT_TABLE_SIZE)
        return -1;
    int row = searchRows(name, index.first[searched], index.count[searched]);
    if (row < 0 && searched == T_DICT)
        row = searchRows(name, index.first[T_ARRAY], index.count[T_ARRAY]);
    if (row < 0 && searched == T_VAR)
        row = searchRows(name, 1, index.methods);
    return row;
}

bool findFunction(const std::string &name, int &index) {
    int start = firstFunctionRow();
    for (int row = start; row < ROW_COUNT - 1; row++) {
        if (builtinNamesMatch(name, TABLE[row].name)) {
            index = row;
            return true;
        }
    }
    return false;
}

bool builtinChangesNothing(int row) {
    // Functions that read the clock, the random generator, files or the
    // process are left out: two of them in one expression must run in order.
    static const char *const computing[] = {
        "abs", "acos", "asin", "atan", "boolval", "ceil", "chr", "cos", "doubleval", "exp", "floor",
        "fmod", "intval", "is_array", "is_dict", "is_list", "is_object", "log", "max", "min",
        "naturalval", "ord", "pad", "plural", "pow", "range", "realval", "round", "sign", "sin",
        "sqrt", "str", "strval", "tan"};
    if (row <= 0 || row >= ROW_COUNT - 1)
        return false;
    const BuiltinRow &r = TABLE[row];
    if (row < firstFunctionRow()) {
        int receiver = r.field[M_RECEIVER];
        bool readsAValue = receiver == T_TEXT || (receiver >= T_BYTE && receiver <= T_SMALLREAL);
        return readsAValue && r.field[M_UPDATES] == 0;
    }
    for (const char *name : computing)
        if (std::strcmp(name, r.name) == 0)
            return true;
    return false;
}

int methodArgumentType(int row, int i) {
    const BuiltinRow &r = TABLE[row];
    int count = r.field[M_COUNT];
    if (count >= 0 && i >= count)
        return 0;
    if (i < 2)
        return r.field[M_ARG1 + i];
    return T_VAR;
}

int functionArgumentType(int row, int i) {
    const BuiltinRow &r = TABLE[row];
    int count = r.field[F_COUNT];
    if ((count >= 0 && i >= count) || i >= 4)
        return 0;
    return r.field[F_ARG1 + i];
}

int varMethodRow(int row, const int *argumentTypes, int count) {
    if (methodArgumentsFit(row, argumentTypes, count))
        return row;
    const MethodIndex &index = methodIndex();
    for (int other = 1; other <= index.methods; other++) {
        const int receiver = TABLE[other].field[M_RECEIVER];
        const bool heldKind = receiver == T_TEXT || receiver == T_ARRAY || receiver == T_DICT || receiver == T_VAR;
        if (other != row && heldKind && builtinNamesMatch(TABLE[row].name, TABLE[other].name) &&
            methodArgumentsFit(other, argumentTypes, count))
            return other;
    }
    return row;
}

bool checkMethodArgs(int row, const int *argumentTypes, int count) {
    const BuiltinRow &r = TABLE[row];
    return checkArguments(r, r.field[M_COUNT], &r.field[M_ARG1], 2, argumentTypes, count);
}

bool checkFunctionArgs(int row, const int *argumentTypes, int count) {
    const BuiltinRow &r = TABLE[row];
    return checkArguments(r, r.field[F_COUNT], &r.field[F_ARG1], 4, argumentTypes, count);
}
