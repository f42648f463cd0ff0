#include "translator/translator.hpp"
#include "translator/source_translation.hpp"

namespace {

constexpr int PRINT_ITEMS_PER_STATEMENT = 100;

PrintList &printList() { return translation().printList; }

bool isPrintedAsContainer(int type) {
    return type == T_ARRAY || type == T_DICT || type == T_LIST || isTypedArray(type);
}

// A container printed by name prints itself; anything else is dumped.
bool isPlainNameText(const std::string &text) {
    return text.find_first_of("%(*+,-./[") == std::string::npos;
}

std::string itemText(const ExprValue &item) {
    if (isPrintedAsContainer(item.type)) {
        if (isPlainNameText(item.text))
            return item.text + ".toString()";
        return "_vel_dumpArray(" + item.text + ")";
    }
    if (item.loose != LOOSE_NONE)
        return "(" + item.text + ")";
    // The null pointer prints as the 0 it is everywhere; C++ warns of NULL
    // handed to the stream.
    if (item.text == "NULL")
        return "0";
    // A byte is a number to the user; the stream would print it as a character.
    if (item.type == T_BYTE)
        return "(int)(" + item.text + ")";
    return item.text;
}

}  // namespace

void beginList() {
    printList().items.clear();
    printList().count = 0;
}

void recordItem(const ExprValue &item) {
    checkHasValue(T_TEXT, item.type);
    // An object has no printed form of its own: its attributes have.
    if (item.type == T_OBJECT && item.classIndex >= 0 && item.text != "NULL")
        reportNamed(E_CANNOT_BE_USED, classRecord(item.classIndex).name,
                    "an object is printed by its attributes, as in print p.name");
    printList().items.push_back(item);
    printList().count++;
}

namespace {

// Whether a C++ string literal may hold a NUL byte (an escape \0... or
// \x0...), at which << stops writing: joined to the next one, the next
// would no longer be written.
bool mayHoldNul(const std::string &literal) {
    for (size_t i = 0; i + 1 < literal.size(); i++) {
        if (literal[i] != '\\')
            continue;
        char next = literal[++i];
        if (next == '0' || (next == 'x' && i + 1 < literal.size() && literal[i + 1] == '0'))
            return true;
    }
    return false;
}

// A line of string literals alone, separators and end of line included, is
// one literal written by vel_output::literal: the overloads of << are costly
// to choose among for the C++ compiler, and a program such as hello prints
// nothing else.
bool writtenAsOneLiteral(bool isPrint) {
    if (printList().count == 0 || printList().count > PRINT_ITEMS_PER_STATEMENT)
        return false;
    std::string joined;
    for (int i = 0; i < printList().count; i++) {
        const ExprValue &item = printList().items[i];
        if (!item.stringLiteral || item.loose != LOOSE_NONE || item.text.empty() || item.text[0] != '"' ||
            mayHoldNul(item.text))
            return false;
        if (i > 0)
            joined += isPrint ? " \" \" " : " ";
        joined += item.text;
    }
    if (isPrint)
        joined += " \"\\n\"";
    emit("vel_out.literal(" + joined + ")");
    return true;
}

}  // namespace

void writeEmptyPrint() { emit("vel_out << \"\\n\""); }

void writePrintLine(bool isPrint) {
    if (writtenAsOneLiteral(isPrint))
        return;
    emit("vel_out ");
    for (int i = 0; i < printList().count; i++) {
        // A chain of thousands of "<<" would be one expression nested that
        // deep for the C++ compiler: a long list goes on in further statements.
        if (i > 0 && i % PRINT_ITEMS_PER_STATEMENT == 0)
            emit("; vel_out ");
        if (i > 0 && isPrint)
            emit("<< \" \" ");
        emit("<< ");
        emit(itemText(printList().items[i]));
    }
    if (isPrint)
        emit("<< \"\\n\"");
}

// An element target is written through its setter call: the value read
// becomes the call's last argument. A plain target is assigned, with the
// blank after "=" that each input call has always been written with.
void writeInput(const AssignTarget &target, const std::string &prompt) {
    std::string assign = "= ";
    std::string call;
    switch (target.valueType) {
    case T_BOOLEAN: assign = "="; call = "(bool) _vel_inputNumber("; break;
    case T_NUMBER:
    case T_REAL: call = "_vel_inputNumber("; break;
    case T_INTEGER: call = "_vel_inputInt("; break;
    case T_NATURAL: call = "_vel_inputNatural("; break;
    case T_TEXT:
    case T_BYTEPTR: call = "_vel_inputText("; break;
    default: assign.clear(); reportSemanticError(); break;
    }
    call += (prompt.empty() ? prompt : cppStringLiteral(prompt)) + ")";
    if (target.setterIsCall)
        emit(target.path + target.setter + call + ")");
    else
        emit(target.path + target.setter + assign + call);
}
