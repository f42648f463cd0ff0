#pragma once
// What an expression rule hands to the rule that called it, and what an
// assignment target rule hands to the assignment writer.
#include <memory>
#include <string>
#include <vector>

struct Symbol;

// "t + x + y" whose leading operand is the variable t: what each "+"
// appended to it, so that "t = t + x + y" can append to t in place rather
// than build a copy of t. Valid only while the value's text still has the
// length it had when the last "+" was added: anything that wraps the sum
// (parentheses, conversions, method calls) makes it a different value.
struct AppendChain {
    std::string base;                // the variable's C++ name
    int type = 0;                    // its type, which every step keeps
    std::vector<std::string> pieces; // the C++ text after each "+"
    std::vector<int> pieceTypes;
    std::size_t length = 0;          // the sum's text length after the last step
};

// The C++ text that reaches an element itself rather than a copy: the path
// to its container and the subscript after it, so that each subscript of a
// chain adds only its own piece. Written out whole only when a method that
// changes its receiver needs it.
class WritePath {
public:
    WritePath(std::shared_ptr<const WritePath> before, std::string piece)
        : before_(std::move(before)), piece_(std::move(piece)) {}
    WritePath(const WritePath &) = delete;
    WritePath &operator=(const WritePath &) = delete;
    // Unlinked one at a time: a long chain would otherwise be released by
    // as many nested destructor calls.
    ~WritePath() {
        std::shared_ptr<const WritePath> next = std::move(before_);
        while (next && next.use_count() == 1)
            next = std::move(const_cast<WritePath &>(*next).before_);
    }

    std::string text() const {
        std::vector<const std::string *> pieces;
        std::size_t length = 0;
        for (const WritePath *path = this; path; path = path->before_.get()) {
            pieces.push_back(&path->piece_);
            length += path->piece_.size();
        }
        std::string whole;
        whole.reserve(length);
        for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece)
            whole += **piece;
        return whole;
    }

private:
    std::shared_ptr<const WritePath> before_;
    std::string piece_;
};

// Operators that bind looser than "<<" in C++: an item of a print list that
// carries one at its top is put in parentheses.
enum LooseOperator { LOOSE_NONE = 0, LOOSE_SHIFT, LOOSE_RELATION, LOOSE_LOGICAL };

// Chains that a next operator continues in place. C++ orders the three bit
// levels as Velmora does, so a chain of them needs only the one pair of
// parentheses that keeps it apart from comparisons; a left shift of an int
// or a long shifts its unsigned bits, which a next shift of the same width
// can go on shifting.
enum FlatChain { FLAT_NONE = 0, FLAT_BIT_OR, FLAT_BIT_XOR, FLAT_BIT_AND, FLAT_SHIFT_INT, FLAT_SHIFT_LONG };

struct ExprValue {
    std::string text;            // the C++ text
    int type = 0;                // type code
    bool literal = false;        // a literal or a literal constant
    bool stringLiteral = false;  // a plain C++ string literal, joinable with the next one
    bool interpolated = false;   // built from a string with "$" references
    bool plainName = false;      // a bare variable name
    int classIndex = -1;         // an object or a class name: its class record
    int loose = LOOSE_NONE;
    // A chain of operators that the next one of its kind continues in place
    // rather than nesting it (translator/operators.cpp): its kind, and the
    // text's length when it was made, which any later change of the text
    // gives up.
    int flatChain = 0;
    std::size_t flatLength = 0;
    // How deep the text holds its first operand inside calls or lists of
    // its operators ("_vel_mod(_vel_mod(a,b),c)": 2), or that it is a
    // _vel_chain already (translator/evaluation_order.hpp); valid while the
    // text keeps `nestingLength` characters.
    int nesting = 0;
    bool chained = false;
    std::size_t nestingLength = 0;
    // For a variable or an element of one: the symbol of the variable, and
    // for an element the C++ text that reaches the element itself rather
    // than a copy, for methods that change their receiver (a plain name is
    // its own text). Empty when there is none.
    Symbol *root = nullptr;
    std::shared_ptr<const WritePath> writePath;  // shared: values are copied often
    // A variable read before it was assigned, as the receiver of a method:
    // reported unless the method is one that assigns it.
    bool unassigned = false;
    // Evaluating the value calls something (a function, a method, a
    // constructor), which may change what other operands read or print.
    bool effects = false;
    // An integer of literals whose value velc knows (translator/known_integers.hpp);
    // `wide` when C++ gives it 64 bits.
    bool known = false;
    bool wide = false;
    // The digits 9223372036854775808 without a suffix: a natural alone,
    // the lowest integer after a minus.
    bool lowestIntegerDigits = false;
    long long knownValue = 0;
    std::shared_ptr<AppendChain> append;
    // A call of a function of several results: its function record, whose
    // result types the parts of the value have, and the call's own C++
    // text, which gives the parts apart. As one value (`text`) the results
    // are an array of them.
    int resultsOf = -1;
    std::string results;
};

// A value now computed from what it was (a call's result, an object cast
// from an element, operands handed over in order): no longer a literal, a
// bare name or an element whose place a method could write through.
inline void markComputed(ExprValue &value) {
    value.literal = false;
    value.known = false;
    value.stringLiteral = false;
    value.interpolated = false;
    value.plainName = false;
    value.loose = LOOSE_NONE;
    value.flatChain = 0;
    value.nesting = 0;
    value.chained = false;
    value.root = nullptr;
    value.writePath.reset();
}

// What follows "in" or "case": a range "low..high" (or "low--high") or one value.
struct RangeOrValue {
    bool isRange = false;
    ExprValue low, high;
    bool inclusive = true;
    ExprValue value;
};

struct AssignTarget {
    std::string path;            // C++ text of the target up to its setter
    std::string readPath;        // C++ text that reads the element's current value
    int type = 0;                // type of the root variable
    int classIndex = -1;         // an object: its class record
    int valueType = 0;           // type a value assigned to the target must have
    bool objectText = false;     // an object variable that takes texts as well
    std::string setter;          // put between the path and the value
    bool setterIsCall = false;   // the setter is a call closed with ")"
    int nesting = 0;             // subscripts applied so far
    bool pathIsPointer = false;  // the path selects an inner container by pointer
    bool isSlice = false;
    std::string low, high;       // slice bounds
    int inclusive = 1;
    bool plainSubscript = false; // one subscript, a variable's name or a literal
};
