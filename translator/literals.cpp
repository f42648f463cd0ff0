// Literals, constants and the containers written out in the source.
#include "translator/translator.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "semantics/native_constants.hpp"
#include "semantics/spellings.hpp"
#include "translator/brackets.hpp"
#include "translator/literal_bytes.hpp"
#include "translator/evaluation_order.hpp"
#include "translator/known_integers.hpp"
#include "semantics/symbols.hpp"
#include "translator/expression_parts.hpp"

namespace {

// A double-quoted literal with "$" followed by at least two more characters
// holds references to variables. The closing quote counts among the two, so
// that a one-letter name at the end ("n$i") interpolates as users expect.
bool isInterpolated(const std::string &literal) {
    for (size_t i = 1; i + 1 < literal.size(); i++)
        if (literal[i] == '$' && literal.size() - (i + 1) >= 2)
            return true;
    return false;
}

// Whether a decimal, hexadecimal or octal literal fits in 64 bits.
bool fitsIn64Bits(const std::string &digits) {
    errno = 0;
    char *end = nullptr;
    strtoull(digits.c_str(), &end, 0);
    return errno != ERANGE;
}

bool fitsInSigned64Bits(const std::string &digits) {
    errno = 0;
    char *end = nullptr;
    strtoll(digits.c_str(), &end, 0);
    return errno != ERANGE;
}

// "2r", "2f" and "3.5R" are Velmora reals; C++ knows neither the r suffix
// nor a float suffix on a number without a point, and a float suffix would
// round the value: the suffix goes and a point is added where needed.
// A real literal past the range of a double is the infinity, one too small
// for the smallest one is 0, as the C++ compilers make them, but without
// their warnings.
std::string outOfRangeReal(const std::string &text) {
    double number = std::strtod(text.c_str(), nullptr);
    if (number == HUGE_VAL)
        return "HUGE_VAL";
    bool nonZeroDigit = text.substr(0, text.find_first_of("eE")).find_first_of("123456789") != std::string::npos;
    return number == 0 && nonZeroDigit ? "0.0" : text;
}

// A double-quoted literal as C++ reads it: "\$" is a Velmora escape of the
// dollar, which C++ does not know (it warns, and keeps the dollar).
// Nothing is escaped between single quotes.
std::string singleQuotedAsCpp(const std::string &tokenText) {
    std::string text = "\"";
    for (size_t i = 1; i + 1 < tokenText.size(); i++) {
        char c = tokenText[i];
        if (c == '\\' || c == '"')
            text += '\\';
        text += c;
    }
    return text + "\"";
}

std::string dynItems(const std::vector<ExprValue> &items) {
    std::string text;
    for (size_t i = 0; i < items.size(); i++) {
        if (i > 0)
            text += ",";
        text += items[i].type == T_VAR ? items[i].text : "dyn(" + items[i].text + ")";
    }
    return text;
}

bool anyCalls(const std::vector<ExprValue> &items) {
    for (const ExprValue &item : items)
        if (item.effects)
            return true;
    return false;
}

void refuseVoidItems(const std::vector<ExprValue> &items) {
    for (const ExprValue &item : items)
        refusedVoid(item, T_VAR);
}

}  // namespace

// "this" is the object whose method is being translated; anywhere else
// there is no such object.
ExprValue thisValue() {
    if (!scopes().inClass || definingStaticMethod())
        reportNamed(E_CANNOT_BE_USED, "this");
    ExprValue value = result("this", T_OBJECT);
    value.classIndex = currentClassIndex();
    return value;
}

ExprValue constantValue(const std::string &text, int type) {
    // Braces: in parentheses "(dyn())" reads as a cast to a function type
    // when a sign or "&" follows it.
    if (type == T_NIL)
        return result("dyn{}", T_NIL);
    return result(text, type);
}

ExprValue integerLiteral(const std::string &tokenText) {
    ExprValue value;
    std::string digits = tokenText;
    if (!digits.empty() && strchr("nLl", digits.back()))
        digits.pop_back();
    if (!digits.empty() && digits[0] == '-')
        digits.erase(0, 1);
    if (!fitsIn64Bits(digits)) {
        reportRequiredFound("an integer of at most 64 bits", digits);
        value = result("0", T_INTEGER);
        value.literal = true;
        return value;
    }
    if (!tokenText.empty() && tokenText.back() == 'n') {
        value = result(tokenText.substr(0, tokenText.size() - 1) + translatedSource().integerSuffix, T_NATURAL);
    } else if (tokenText[0] != '-' && !fitsInSigned64Bits(digits)) {
        // Only a natural holds the top half of the 64-bit range; left plain,
        // the C++ compilers would each pick a wider type of their own.
        value = result(digits + translatedSource().integerSuffix, T_NATURAL);
        value.lowestIntegerDigits = digits == "9223372036854775808";
    } else {
        value = result(tokenText, T_INTEGER);
        knowIntegerLiteral(value, tokenText);
    }
    value.literal = true;
    return value;
}

ExprValue realLiteral(const std::string &tokenText) {
    std::string text = tokenText;
    while (!text.empty() && strchr("fFrR", text.back()))
        text.pop_back();
    if (text.find_first_of(".eE") == std::string::npos)
        text += ".0";
    if (text[0] == '.')
        text = "0" + text;
    ExprValue value = result(outOfRangeReal(text), T_REAL);
    value.literal = true;
    return value;
}

namespace {

bool isOctalDigit(char c) { return c >= '0' && c <= '7'; }

// A byte as a C++ octal escape of three digits, which no digit after it
// can lengthen.
std::string octalEscape(unsigned value) {
    std::string escape = "\\";
    for (int shift = 6; shift >= 0; shift -= 3)
        escape += static_cast<char>('0' + ((value >> shift) & 7));
    return escape;
}

// The octal escape that starts at tokenText[at] (its first digit), as the
// lexer took it: after 0 to 3 up to two more octal digits, after 4 to 7 one
// more. C++ would go on to a third digit (\777 is out of its range): such an
// escape is written with exactly the digits taken. Returns the digits' count.
std::size_t appendOctalEscape(std::string &text, const std::string &tokenText, std::size_t at) {
    std::size_t most = tokenText[at] <= '3' ? 3 : 2;
    std::size_t count = 1;
    unsigned value = static_cast<unsigned>(tokenText[at] - '0');
    while (count < most && at + count < tokenText.size() && isOctalDigit(tokenText[at + count])) {
        value = value * 8 + static_cast<unsigned>(tokenText[at + count] - '0');
        count++;
    }
    // As written, unless C++ would read it otherwise.
    bool longerInCpp = count < 3 && at + count < tokenText.size() && isOctalDigit(tokenText[at + count]);
    if (longerInCpp || value > 0xFF)
        text += octalEscape(value & 0xFF);
    else
        text += "\\" + tokenText.substr(at, count);
    return count;
}

// \u (one u or more) and four hexadecimal digits: the character as UTF-8.
// C++ refuses a surrogate, a basic character and "\uu" as a universal
// character name, so the bytes are written out; a surrogate keeps its
// three bytes, which the literal then escapes as it escapes any byte that
// is not UTF-8. Returns the length after the backslash, 0 when malformed.
std::size_t appendUnicodeEscape(std::string &text, const std::string &tokenText, std::size_t at) {
    std::size_t digits = at;
    while (digits < tokenText.size() && tokenText[digits] == 'u')
        digits++;
    if (digits + 4 > tokenText.size())
        return 0;
    unsigned code = 0;
    for (std::size_t i = digits; i < digits + 4; i++) {
        if (!std::isxdigit(static_cast<unsigned char>(tokenText[i])))
            return 0;
        code = code * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(tokenText[i]))
                                                     ? tokenText[i] - '0'
                                                     : std::tolower(static_cast<unsigned char>(tokenText[i])) - 'a' + 10);
    }
    if (code < 0x80) {
        text += octalEscape(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    return digits + 4 - at;
}

}  // namespace

std::string cppStringLiteral(const std::string &tokenText) {
    if (!tokenText.empty() && tokenText[0] == '\'')
        return withEncodableBytes(singleQuotedAsCpp(tokenText));
    std::string text;
    text.reserve(tokenText.size());
    for (size_t i = 0; i < tokenText.size(); i++) {
        if (tokenText[i] == '\\' && i + 1 < tokenText.size()) {
            if (isOctalDigit(tokenText[i + 1])) {
                i += appendOctalEscape(text, tokenText, i + 1);
                continue;
            }
            if (tokenText[i + 1] == 'u') {
                if (std::size_t length = appendUnicodeEscape(text, tokenText, i + 1)) {
                    i += length;
                    continue;
                }
            }
            if (tokenText[i + 1] != '$')
                text += '\\';
            text += tokenText[++i];
            continue;
        }
        text += tokenText[i];
    }
    return withEncodableBytes(text);
}

ExprValue stringLiteral(const std::string &tokenText) {
    ExprValue value;
    value.type = T_TEXT;
    value.literal = true;
    if (tokenText[0] == '\'') {
        value.text = cppStringLiteral(tokenText);
        value.stringLiteral = true;
    } else if (isInterpolated(tokenText)) {
        value.text = withEncodableBytes(phpString(tokenText, [](const std::string &name) {
            // A class has no value to put into a text.
            ExprValue named = beginName(name);
            if (named.type == T_CLASS) {
                reportNamed(E_CANNOT_BE_USED, name);
                return std::string("text()");
            }
            return named.text;
        }));
        value.interpolated = true;
    } else {
        value.text = cppStringLiteral(tokenText);
        value.stringLiteral = true;
    }
    return value;
}

ExprValue phpConstant(const std::string &tokenText) {
    std::string name = tokenText.substr(2);
    if (!name.empty() && name.back() == ')')
        name.pop_back();
    if (!isNativeConstant(name)) {
        reportNamed(E_NOT_DECLARED, name);
        return result("0", T_INTEGER);
    }
    return result(name, T_INTEGER);
}

ExprValue parenthesized(const ExprValue &inner) {
    // A quoted literal is a C++ array of chars, which takes no method, no
    // "+" and no subscript of a text: in parentheses it is a text value.
    // A text that binds tightly already takes no second pair, which would
    // only nest it deeper, and a chain it ends goes on as if unbracketed.
    bool tight = !inner.stringLiteral && bindsTightly(inner);
    ExprValue value = inner.stringLiteral ? result("text(" + inner.text + ")", inner.type)
                      : tight             ? result(inner.text, inner.type)
                                          : result("(" + inner.text + ")", inner.type);
    if (tight) {
        value.flatChain = inner.flatChain;
        value.flatLength = inner.flatLength;
        value.nesting = inner.nesting;
        value.chained = inner.chained;
        value.nestingLength = inner.nestingLength;
    }
    value.literal = inner.literal && !inner.stringLiteral;
    value.known = inner.known;
    value.wide = inner.wide;
    value.knownValue = inner.knownValue;
    value.effects = inner.effects;
    return value;
}

ExprValue emptyContainer(int element) {
    switch (element) {
    case T_NUMBER:
    case T_REAL:
    case T_NATURAL:
        return result(numberArrayOf(element) + "(" + typeTag(element) + ", 16)", arrayOfElement(element));
    case T_INTEGER: return result("_intArr()", T_INTARRAY);
    case T_TEXT: return result("_arr32()", T_TEXTARRAY);
    case T_FILE: return result("_arr32()", T_FILEARRAY);
    case T_OBJECT: return result("_arr32()", T_OBJECTARRAY);
    case T_DICT: return result("dict()", T_DICT);
    default: return result("velarray()", T_ARRAY);
    }
}

bool refusedVoid(const ExprValue &value, int holderType) {
    if (value.type != T_VOID)
        return false;
    reportAssignment(holderType, T_VOID);
    return true;
}

// The elements of a braced list are evaluated in order already.
ExprValue makeListLiteral(const std::vector<ExprValue> &items) {
    refuseVoidItems(items);
    ExprValue value = result("velarray{" + dynItems(items) + "}", T_LIST);
    value.effects = anyCalls(items);
    return value;
}

ExprValue makeDictLiteral(const std::vector<ExprValue> &items) {
    refuseVoidItems(items);
    ExprValue value = result("dict{" + dynItems(items) + "}", T_DICT);
    value.effects = anyCalls(items);
    return value;
}

ExprValue dictionaryEntry(ExprValue key, ExprValue value) {
    if (key.type != T_INTEGER && key.type != T_TEXT && key.type != T_CHARPTR)
        reportError(E_KEYS_TEXTS);
    refusedVoid(value, T_VAR);
    OperandOrder order({&key, &value});
    return order.finish(result("dyn(new vel_pair(" + key.text + "," + value.text + "))", T_VAR));
}
