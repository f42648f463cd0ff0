#pragma once
// The Velmora type codes and the names messages print for them: constants
// only, so that the diagnostics can name types without the type model.

enum TypeCode {
    T_UNKNOWN = 0, T_VOID = 1, T_BYTE = 2, T_BOOLEAN = 3, T_NUMBER = 4,
    T_INTEGER = 5, T_LONG = 6, T_REAL = 7, T_NATURAL = 8, T_SMALLREAL = 9,
    T_TEXT = 10, T_ARRAY = 11, T_DICT = 12, T_FILE = 13, T_DIR = 14,
    T_OBJECT = 15, T_VAR = 16, T_TUPLE = 17, T_LIST = 18, T_SEQUENCE = 19,
    T_JAVA = 20, T_FUNCTION = 21, T_CHARPTR = 22, T_SCALAR = 23, T_NIL = 24,
    T_CLASS = 25, T_XML = 26, T_BYTEPTR = 27, T_CHAR = 28,
    T_INTARRAY = 29, T_TEXTARRAY = 30, T_NATURALARRAY = 31, T_REALARRAY = 32,
    T_NUMBERARRAY = 33, T_OBJECTARRAY = 34, T_FILEARRAY = 35, T_PLACEHOLDER = 36
};

// The result table covers the codes 0..35; 36 has no row or column.
constexpr int RESULT_TABLE_SIZE = 36;

// The name diagnostics print for a code; a code outside 0..36 is an
// internal error (3001) and gives "error".
const char *typeName(int code);
