#pragma once
// Operators, literals and calls: each takes the values of its operands and
// gives the C++ text and type of the result, running the operand checks.
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>
#include "translator/calls.hpp"
#include "translator/values.hpp"

// Expressions nest at most this deep (parentheses, operands, arguments),
// so that the parser's recursion stays bounded: a limit of the language.
constexpr int EXPRESSION_NESTING_LIMIT = 128;
// Operators in one expression, prefixes included. Past it the output would
// grow faster than the source; no written program comes near it.
constexpr int EXPRESSION_OPERATOR_LIMIT = 10000;

// Fresh expression state at the start of a statement.
void resetExpressionState();

// Counts the nesting of expressions while the parser descends, trial parses
// included. Nesting past the limit is reported and ends the translation of
// the source (NestingTooDeep), before the parser could run out of stack.
// Ends the translation of a source whose nesting or size passes a limit of
// the language; the limit has been reported when it is thrown.
class NestingTooDeep : public std::runtime_error {
public:
    explicit NestingTooDeep(const std::string &what) : std::runtime_error(what) {}
};

struct NestingGuard {
    NestingGuard();
    ~NestingGuard();
    NestingGuard(const NestingGuard &) = delete;
    NestingGuard &operator=(const NestingGuard &) = delete;
};

ExprValue logicalOperator(ExprValue left, const std::string &op, const ExprValue &right);
ExprValue comparison(ExprValue left, int comparisonToken, ExprValue right);
ExprValue bitOperator(ExprValue left, const std::string &op, ExprValue right);
ExprValue shiftOperator(ExprValue left, bool shiftLeft, ExprValue right);
ExprValue additiveOperator(ExprValue left, bool plus, ExprValue right);
ExprValue multiplicativeOperator(ExprValue left, int operatorToken, ExprValue right);
// Adds a prefix operator; "- -x" must not become the decrement "--x".
std::string appendPrefix(std::string prefix, const std::string &op);
ExprValue prefixed(const std::string &prefix, const ExprValue &operand);
ExprValue inRange(ExprValue item, ExprValue low, ExprValue high, bool inclusive, bool negated);
// One side of a range test, "item op bound": a natural beside a signed
// integer that may be negative is compared by its value, as "<" compares it.
// `checked` off: the bound has the type of one checked already, and its
// fault is told once.
std::string boundTest(const ExprValue &item, const std::string &op, const ExprValue &bound, bool checked = true);
ExprValue inContainer(ExprValue item, ExprValue container, bool negated);
// "item in" a range or a container (negated: "not in").
ExprValue inTested(const ExprValue &item, const RangeOrValue &tested, bool negated);

ExprValue constantValue(const std::string &text, int type);
ExprValue thisValue();
ExprValue integerLiteral(const std::string &tokenText);
// Whether the value fits an int: anything but an integer literal past 32
// bits does; such a literal is reported.
bool integerLiteralFits(const ExprValue &value);
ExprValue realLiteral(const std::string &tokenText);
ExprValue stringLiteral(const std::string &tokenText);
// A string literal token as a C++ string literal: between double quotes, a
// single-quoted one with its backslashes and double quotes escaped.
std::string cppStringLiteral(const std::string &tokenText);
ExprValue phpConstant(const std::string &tokenText);
ExprValue parenthesized(const ExprValue &inner);
ExprValue emptyContainer(int elementType);
ExprValue makeListLiteral(const std::vector<ExprValue> &items);
ExprValue makeDictLiteral(const std::vector<ExprValue> &items);
ExprValue dictionaryEntry(ExprValue key, ExprValue value);

// Calls of functions the translator does not know: written as they stand.

// The C++ text of a value used as a condition: texts, containers and
// dynamic values are true when not empty, which C++ does not know by itself.
std::string conditionText(const ExprValue &value);
// The same, for the parentheses of an if or a while: a condition the source
// wrote in parentheses loses one pair, since clang warns of an equality in
// doubled parentheses as of an assignment meant as a test.
std::string controlConditionText(const ExprValue &value);

// Texts and containers: values that no arithmetic operator computes with.
bool holdsNoNumber(int type);

// The C++ text of a value converted to a target type.
std::string convertValue(int targetType, const ExprValue &value);
// An object given where a number, a text or a file is expected (a truth
// value tells whether it is null): reported, since no conversion makes one of the other (null
// stays the empty value of every type). True when reported.
bool refusedObjectValue(int targetType, const ExprValue &value);
// The types no object converts to (numbers, texts, files).
bool isObjectless(int type);
// A call without a result written where something holds a value of the
// given type (an element, an index): reported as a void assigned to it.
// True when reported.
bool refusedVoid(const ExprValue &value, int holderType);

// Part of the state of one translation (translator/source_translation.hpp).
// Expression state of the translation: how deep the parser has descended
// into nested expressions.
struct ExpressionState {
    int depth = 0;
    int operators = 0;          // in the outermost expression being parsed
    // Integer constants of this source whose value velc knows: C++ folds
    // arithmetic on them as on literals (translator/known_integers.hpp).
    std::unordered_map<const Symbol *, long long> knownConstants;
    // File-level int variables defined before main opens, with the value
    // they were given there; forgotten once a definition may run code.
    std::unordered_map<const Symbol *, long long> knownFileValues;
};
