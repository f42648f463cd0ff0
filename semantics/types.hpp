#pragma once
// Velmora type codes, their names, the operator result table and the checks
// the parser runs after each operator, assignment and "in" test.
#include <string>

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
constexpr int TYPE_STACK_CAPACITY = 128;

// The name diagnostics print for a code; a code outside 0..36 is an
// internal error (3001) and gives "error".
const char *typeName(int code);

// Type state of the translation: the type of the expression parsed last and
// the stack of left-operand types. Owned by the type model.
struct TypeState {
    int currentType = 0;
    int stack[TYPE_STACK_CAPACITY] = {};
    // May exceed the capacity: pushes beyond it are reported and counted but
    // not stored, so pushes and pops stay paired for the levels below.
    int depth = 0;
    char pendingAssignOp = '=';   // '=' or the operator of a compound assignment
    bool objectText = false;      // object-text flag of the symbol looked up last
};

extern TypeState typeState;

// Empties the type stack and restores the defaults (start of a source, tests).
void resetTypeState();

// Result of a binary operation on (left, right); 0 when not allowed or when
// either code lies outside the table.
int resultOf(int left, int right);

// Type groups.
bool isTypedArray(int type);
int elementType(int type);               // element of a typed array, else the code itself
bool isContainer(int type);              // array, dict, list, typed arrays
bool isPlainContainer(int type);         // array, dict, list
bool isBitOperandType(int type);
bool isIntegerConvertible(int type);
bool convertsToBoolean(int type);
bool usableAsSequence(int type);
bool isTextLike(int type);               // text or "char *"
void arrayOfElement(int element);        // sets currentType to the typed array of element

void pushType(int type);
int popType();

// Reports a fixed stack of the translator pushed past its capacity: an
// internal error followed by a located "stack overflow in <name>." line.
void reportStackOverflow(const std::string &stackName);
// A limit of the translator that the source passes, as an internal error
// with the line: "file Lnn: description."
void reportTranslatorLimit(const std::string &description);

// The checks. Each reports through the diagnostics module and returns
// whether the operands were accepted; the operand checks also leave their
// result (or its fallback) in typeState.currentType.
bool checkArith(int left, int right, int classWord);
bool checkBoolean(int left, int right);
bool checkBinary(int left, int right);
bool checkRelational(int left, int right);
bool checkBitOperator();                 // pops the left type, right is currentType
bool checkArrayOp(int left, int right);
bool checkSameArray(int left, int right);
bool checkElement(int arrayType, int valueType);       // currentType untouched
// A value that is used as `usedAs` (printed as a text, tested as a boolean)
// must not come from a call that returns nothing.
bool checkHasValue(int usedAs, int source);           // currentType untouched
bool checkAssignSimple(int target, int source);        // currentType untouched
bool checkAssign(int target, int source);              // currentType untouched
bool checkIn(int item, int container);
bool checkSequence();                                  // tests currentType
