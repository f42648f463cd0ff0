#include "translator/foreign_heads.hpp"

#include <antlr/CommonToken.hpp>

#include <string>
#include <vector>

#include "VLTokenTypes.hpp"
#include "diagnostics/diagnostics.hpp"
#include "semantics/classes.hpp"
#include "translator/foreign_head_parts.hpp"
#include "translator/foreign_statements.hpp"
#include "translator/foreign_lines.hpp"
#include "translator/foreign_loops.hpp"
#include "translator/head_brackets.hpp"
#include "translator/hints.hpp"
#include "translator/positions.hpp"
#include "translator/source_translation.hpp"
#include "translator/token_places.hpp"
#include "translator/word_guesses.hpp"

namespace {

using T = VLTokenTypes;
using Tokens = std::vector<antlr::RefToken>;

using namespace foreign_head_parts;


// `unless x = 2`: read as `if not (x = 2)`.
void readUnless(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    int next = tokens.LA(2);
    if (word->getType() != T::IDENT || word->getText() != "unless" || isDeclaredName("unless") || endsTheLine(next) ||
        next == T::EQUAL || next == T::DOT || next == T::LEFTSQUARE || next == T::COMMA ||
        (next == T::LEFTPAR && sourceDefinesFunction("unless")))
        return;
    unsigned int end = 2;
    int depth = 0;
    for (; !endsTheLine(tokens.LA(end)); end++) {
        int type = tokens.LA(end);
        if (type == T::LEFTPAR || type == T::LEFTSQUARE)
            depth++;
        else if (type == T::RIGHTPAR || type == T::RIGHTSQUARE)
            depth--;
        else if (depth == 0 && (type == T::COLON || type == T::QUESTION))
            break;
    }
    std::string condition = velmoraForm("if " + textAfter(word)).substr(3);
    reportWordAsWritten(word, next, "`unless` is written `if not`: write `if not (" + condition + ")`" +
                                        blockClosing(word));
    absorbBlockStart(word->getLine());
    translation().foreignHeadLines.insert(word->getLine());
    // `unless (x == 2)`: the hint wrote the condition as this language
    // does; what the parse makes of it as written is no news.
    if (condition != trimmed(textAfter(word)))
        translation().keywordGuessLines.insert(word->getLine());
    // The `then` or `{` that begins the block in other languages.
    antlr::RefToken last = tokens.LT(end - 1);
    if (end > 3 && (last->getType() == T::LEFTCURLY || (last->getType() == T::IDENT && last->getText() == "then"))) {
        if (last->getType() == T::LEFTCURLY)
            translation().braceLines.push_back(word->getLine());
        tokens.drop(--end);
    }
    tokens.replaceRange(end, end, {tokenAt(T::RIGHTPAR, ")", tokens.LT(end)), tokens.LT(end)});
    tokens.replaceRange(1, 1, {tokenAt(T::LITERAL_if, "if", word), tokenAt(T::LITERAL_not, "not", word),
                               tokenAt(T::LEFTPAR, "(", word)});
}


// `int b[3]`, `int b[] = {1, 2}`: read as `int[] b`, `int[] b = [1, 2]`.
void readCArray(TokenQueue &tokens) {
    if (!isTypeWord(tokens.LA(1)) || tokens.LA(2) != T::IDENT || tokens.LA(3) != T::LEFTSQUARE)
        return;
    unsigned int close = closingBracket(tokens, 3);
    if (close == 0 || !(endsTheLine(tokens.LA(close + 1)) || tokens.LA(close + 1) == T::EQUAL ||
                        tokens.LA(close + 1) == T::SEMI))
        return;
    antlr::RefToken type = tokens.LT(1), name = tokens.LT(2), open = tokens.LT(3);
    std::string declaration = type->getText() + "[] " + name->getText();
    unsigned int values = tokens.LA(close + 1) == T::EQUAL && tokens.LA(close + 2) == T::LEFTCURLY ? close + 2 : 0;
    unsigned int valuesEnd = values ? closingBracket(tokens, values) : 0;
    if (values && valuesEnd) {
        std::string list = textBetween(tokens.LT(values), tokens.LT(valuesEnd));
        declaration += " = [" + list + "]";
        tokens.replaceAt(values, tokenAt(T::LEFTSQUARE, "[", tokens.LT(values)));
        tokens.replaceAt(valuesEnd, tokenAt(T::RIGHTSQUARE, "]", tokens.LT(valuesEnd)));
    } else if (tokens.LA(close + 1) == T::EQUAL) {
        declaration += " = " + velmoraForm(textAfter(tokens.LT(close + 1)));
    }
    reportSyntaxAt(open, "unexpected `[`",
                   "a typed array names `[]` after its type and grows as needed, without a size: write `" +
                       declaration + "`");
    currentSink().placeLast(columnOf(open), afterOf(tokens.LT(close)) - 1);
    tokens.replaceRange(1, close, {type, tokenAt(T::LEFTSQUARE, "[", open), tokenAt(T::RIGHTSQUARE, "]", open), name});
}

// The type a value written alone has (`1`, `1.5`, `"a"`, `true`), or
// `var` for any other value from `at` to the end of the line.
antlr::RefToken typeOfValue(TokenQueue &tokens, unsigned int at) {
    antlr::RefToken place = tokens.LT(at);
    bool alone = endsTheLine(tokens.LA(at + 1)) || tokens.LA(at + 1) == T::SEMI;
    int type = place->getType();
    if (alone && type == T::INTEGER)
        return tokenAt(T::LITERAL_int, "int", place);
    if (alone && type == T::REAL_LITERAL)
        return tokenAt(T::LITERAL_real, "real", place);
    if (alone && type == T::STRING_LITERAL)
        return tokenAt(T::LITERAL_text, "text", place);
    if (alone && (type == T::LITERAL_true || type == T::LITERAL_false))
        return tokenAt(T::LITERAL_bool, "bool", place);
    return tokenAt(T::LITERAL_var, "var", place);
}

// `x := 1`: read as `int x = 1`.
void readShortDeclaration(TokenQueue &tokens) {
    antlr::RefToken name = tokens.LT(1), colon = tokens.LT(2), equal = tokens.LT(3);
    if (name->getType() != T::IDENT || colon->getType() != T::COLON || equal->getType() != T::EQUAL ||
        equal->getLine() != colon->getLine() || equal->getColumn() != colon->getColumn() + 1 ||
        endsTheLine(tokens.LA(4)))
        return;
    antlr::RefToken type = typeOfValue(tokens, 4);
    reportSyntax(colon->getLine(), columnOf(colon), columnOf(colon) + 1, "unexpected `:=`",
                 "a variable is declared with its type, or `var` for a value of any type: write `" +
                     type->getText() + " " + name->getText() + " = " + velmoraForm(textAfter(equal)) + "`");
    tokens.replaceRange(1, 2, {type, name});
}

// Perl's `my $x = 1;`: read as the declaration it means, of `x`.
void readPerlDeclaration(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1), name = tokens.LT(2);
    bool valued = tokens.LA(3) == T::EQUAL && !endsTheLine(tokens.LA(4));
    if (word->getText() != "my" || isDeclaredName("my") || name->getType() != T::PHPID || name->getText().size() < 2 ||
        !(valued || endsTheLine(tokens.LA(3)) || tokens.LA(3) == T::SEMI))
        return;
    std::string bare = name->getText().substr(1);
    antlr::RefToken type = valued ? typeOfValue(tokens, 4) : tokenAt(T::LITERAL_var, "var", word);
    std::string declaration = type->getText() + " " + bare;
    if (valued)
        declaration += " = " + velmoraForm(textAfter(tokens.LT(3)));
    reportSyntax(word->getLine(), columnOf(word), afterOf(word) - 1, "unexpected `my`",
                 "a variable is declared with its type, and its name has no `$`: write `" + declaration + "`");
    tokens.replaceRange(1, 2, {type, tokenAt(T::IDENT, bare, name)});
}

// `const x = 1`: read as `const int x = 1`.
void readUntypedConstant(TokenQueue &tokens) {
    if (tokens.LA(2) != T::IDENT || tokens.LA(3) != T::EQUAL || endsTheLine(tokens.LA(4)))
        return;
    antlr::RefToken type = typeOfValue(tokens, 4), word = tokens.LT(1);
    reportSyntaxAt(word, "unexpected `const`",
                   "a constant names its type: write `const " + type->getText() + " " + tokens.LT(2)->getText() +
                       " = " + velmoraForm(textAfter(tokens.LT(3))) + "`");
    tokens.replaceRange(2, 2, {type, tokens.LT(2)});
}

// The type this language writes for a type of another (`Int`, `f64`,
// `String`), or `var`; a class of the program stays itself.
antlr::RefToken typeNamed(const antlr::RefToken &written) {
    static const char *const integers[] = {"int", "Int", "Int32", "Int64", "Long", "long", "short", "i32", "i64",
                                           "u32", "u64", "usize", "isize", "int32", "int64", "uint"};
    static const char *const reals[] = {"Double", "Float", "double", "float", "f32", "f64", "float32", "float64"};
    static const char *const texts[] = {"String", "string", "str", "text"};
    static const char *const truths[] = {"Bool", "Boolean", "bool", "boolean"};
    const std::string &text = written->getText();
    auto among = [&text](const auto &names) {
        for (const char *name : names)
            if (text == name)
                return true;
        return false;
    };
    if (among(integers))
        return tokenAt(T::LITERAL_int, "int", written);
    if (among(reals))
        return tokenAt(T::LITERAL_real, "real", written);
    if (among(texts))
        return tokenAt(T::LITERAL_text, "text", written);
    if (among(truths))
        return tokenAt(T::LITERAL_bool, "bool", written);
    if (written->getType() == T::IDENT && findClass(text) >= 0)
        return written;
    return tokenAt(T::LITERAL_var, "var", written);
}

// Kotlin's `when (x) {`, Rust's `match x {` and Scala's `x match {`: a `switch`, whose block of
// arms velc does not read; told once, its lines say nothing more.
void readForeignSwitch(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    const std::string &text = word->getText();
    const std::string &line = lineOf(word);
    std::string::size_type last = line.find_last_not_of(" \t\r");
    // Scala's `x match {`: the subject before the word.
    if (tokens.LA(2) == T::IDENT && tokens.LT(2)->getText() == "match" && tokens.LA(3) == T::LEFTCURLY &&
        endsTheLine(tokens.LA(4)) && !isDeclaredName("match")) {
        absorbBlockStart(word->getLine());
        reportWordAsWritten(word, T::IDENT, "a choice among the values of one subject is a `switch`: switch " + text +
                                                " ... case 1 ... default ... /switch");
        explainForeignBlock(word->getLine());
        return;
    }
    if ((text != "when" && text != "match") || last == std::string::npos || line[last] != '{' ||
        isDeclaredName(text) || sourceDefinesFunction(text))
        return;
    std::string subject = trimmed(line.substr(static_cast<std::string::size_type>(afterOf(word) - 1),
                                              last - static_cast<std::string::size_type>(afterOf(word) - 1)));
    if (subject.size() > 1 && subject.front() == '(' && subject.back() == ')')
        subject = trimmed(subject.substr(1, subject.size() - 2));
    absorbBlockStart(word->getLine());
    reportWord(word, "a choice among the values of one subject is a `switch`: switch " + subject +
                         " ... case 1 ... default ... /switch");
    explainForeignBlock(word->getLine());
}

// `interface Shape {`, Swift's `protocol`, Rust's `trait` (a block of
// method heads), Rust's `impl Point {` (the methods of a class, apart from
// it): blocks that velc does not read. Told once, with their lines.
void readInterface(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    const std::string &text = word->getText();
    const std::string &line = lineOf(word);
    std::string::size_type last = line.find_last_not_of(" \t\r");
    bool impl = text == "impl" || text == "extension";
    if ((text != "interface" && text != "protocol" && text != "trait" && !impl) || tokens.LA(2) != T::IDENT ||
        last == std::string::npos || line[last] != '{' || isDeclaredName(text))
        return;
    std::string name = tokens.LT(2)->getText();
    absorbBlockStart(word->getLine());
    if (impl) {
        // Rust's `impl Point {`, Swift's `extension Point {`.
        reportWord(word, "the methods of a class are written inside it, with its attributes: class " + name +
                             " ... /class");
        explainForeignBlock(word->getLine());
        return;
    }
    reportWord(word, "the methods that classes share are written in a base class, which each derives from: class " +
                         name + " ... /class, then class Circle is " + name);
    explainForeignBlock(word->getLine());
}

}  // namespace

bool readTypeAfterName(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1), name = tokens.LT(2);
    bool declares = word->getType() == T::LITERAL_var || word->getType() == T::LITERAL_let ||
                    (word->getType() == T::IDENT && word->getText() == "val" && !isDeclaredName("val"));
    if (!declares || name->getType() != T::IDENT || !firstOnItsLine(word))
        return false;
    unsigned int type = tokens.LA(3) == T::COLON ? 4 : 3;
    antlr::RefToken written = tokens.LT(type);
    int after = tokens.LA(type + 1);
    bool typeWord = written->getType() == T::IDENT || isTypeWord(written->getType()) ||
                    written->getType() == T::LITERAL_string;
    if (!typeWord || !(after == T::EQUAL || after == T::SEMI || endsTheLine(after)) ||
        (type == 3 && word->getType() != T::LITERAL_var))
        return false;
    antlr::RefToken meant = typeNamed(written);
    std::string declaration = meant->getText() + " " + name->getText();
    if (after == T::EQUAL)
        declaration += " = " + velmoraForm(textAfter(tokens.LT(type + 1)));
    antlr::RefToken fault = tokens.LT(type - 1 == 3 ? 3 : type);
    reportSyntax(fault->getLine(), columnOf(fault), afterOf(type == 4 ? written : fault) - 1,
                 "unexpected `" + fault->getText() + "`",
                 "a variable's type comes before its name: write `" + declaration + "`");
    tokens.replaceRange(1, type, {meant, name});
    return true;
}

// `throw new Error("x")`, `raise ValueError("x")`: no statement raises an
// error here. The line is told once and read as empty, so that what it
// holds is not taken for the head of a function.
void readRaise(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if ((word->getText() != "throw" && word->getText() != "raise") || isDeclaredName(word->getText()) ||
        endsTheLine(tokens.LA(2)) || tokens.LA(2) == T::EQUAL || tokens.LA(2) == T::LEFTPAR)
        return;
    unsigned int end = 2;
    while (!endsTheLine(tokens.LA(end)))
        end++;
    reportWordAsWritten(word, tokens.LA(2), "");
    tokens.replaceRange(1, end - 1, {});
}

// Rust's `loop {`: read as `while forever`, which its `}` closes.
void readEndlessLoop(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getText() != "loop" || isDeclaredName("loop") || tokens.LA(2) != T::LEFTCURLY || !endsTheLine(tokens.LA(3)))
        return;
    reportSyntax(word->getLine(), columnOf(word), afterOf(tokens.LT(2)) - 1, "unexpected `loop`",
                 "a loop that only a `break` ends is `while forever` ... /while");
    absorbBlockStart(word->getLine());
    translation().braceLines.push_back(word->getLine());
    tokens.replaceRange(1, 2, {tokenAt(T::LITERAL_while, "while", word), tokenAt(T::LITERAL_forever, "forever", word)});
}

// `struct Point {` of C, Go, Rust and Swift, or `struct Point` alone on its
// line: read as the class it means.
void readStruct(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if ((word->getText() != "struct" && word->getText() != "record") || isDeclaredName(word->getText()) ||
        tokens.LA(2) != T::IDENT)
        return;
    bool brace = tokens.LA(3) == T::LEFTCURLY && endsTheLine(tokens.LA(4));
    if (!brace && !endsTheLine(tokens.LA(3)))
        return;
    absorbBlockStart(word->getLine());
    reportWordAsWritten(word, T::IDENT, "a record is a class: class " + tokens.LT(2)->getText() + " ... /class");
    if (brace)
        translation().braceLines.push_back(word->getLine());
    tokens.replaceRange(1, brace ? 3 : 2, {tokenAt(T::LITERAL_class, "class", word), tokens.LT(2)});
}

void readForeignHead(TokenQueue &tokens) {
    if (!firstOnItsLine(tokens.LT(1)))
        return;
    mendHeadBrackets(tokens);
    if (readForeignStatement(tokens))
        return;
    int first = tokens.LA(1);
    if (first == T::LITERAL_for) {
        readLoop(tokens);
    } else if (first == T::LITERAL_var || first == T::LITERAL_let) {
        readTypeAfterName(tokens);
    } else if (first == T::IDENT) {
        readTypeAfterName(tokens);
        readForeignSwitch(tokens);
        readUnless(tokens);
        readShortDeclaration(tokens);
        readPerlDeclaration(tokens);
        readEach(tokens);
        readRaise(tokens);
        readEndlessLoop(tokens);
        readStruct(tokens);
        readInterface(tokens);
    } else if (first == T::LITERAL_const) {
        readUntypedConstant(tokens);
    } else if (first == T::LEFTSQUARE) {
        readEach(tokens);
    } else {
        readCArray(tokens);
    }
}

void dropMutability(TokenQueue &tokens, unsigned int at) {
    if (tokens.LA(at) == T::LITERAL_let && tokens.LA(at + 1) == T::IDENT && tokens.LT(at + 1)->getText() == "mut" &&
        tokens.LA(at + 2) == T::IDENT && firstOnItsLine(tokens.LT(at)))
        tokens.drop(at + 1);
}

void readForeignCatch(TokenQueue &tokens) {
    antlr::RefToken word = tokens.LT(1);
    if (word->getType() != T::LITERAL_catch)
        return;
    unsigned int end = 2;
    std::vector<antlr::RefToken> names;
    bool parenthesis = tokens.LA(2) == T::LEFTPAR;
    if (parenthesis && tokens.LA(3) == T::EOL)
        return;   // its class and name on the next line
    for (; !endsTheLine(tokens.LA(end)) && tokens.LA(end) != T::COLON; end++)
        if (tokens.LA(end) == T::IDENT && tokens.LT(end)->getText() != "as")
            names.push_back(tokens.LT(end));
    bool written = parenthesis && end == 6 && names.size() == 2 && tokens.LA(5) == T::RIGHTPAR;
    if (written || names.size() > 2)
        return;
    std::string className = names.size() == 2 ? names[0]->getText() : "Oops";
    std::string variable = names.empty() ? "e" : names.back()->getText();
    antlr::RefToken found = tokens.LT(parenthesis ? 3 : 2);
    reportSyntaxAt(found, std::string("expected ") + (names.size() == 2 ? "`(`" : "a class and a name") + ", found " +
                              (endsTheLine(found->getType()) ? "the end of the line" : "`" + found->getText() + "`"),
                   "a `catch` names a class of the program and a variable for the object thrown: write `catch(" +
                       className + " " + variable + ")`");
    // The class it names is no news: the message told what to write.
    translation().keywordGuessLines.insert(word->getLine());
    Tokens head{word, tokenAt(T::LEFTPAR, "(", word)};
    head.push_back(names.size() == 2 ? names[0] : tokenAt(T::IDENT, className, word));
    head.push_back(names.empty() ? tokenAt(T::IDENT, variable, word) : names.back());
    head.push_back(tokenAt(T::RIGHTPAR, ")", tokens.LT(end)));
    tokens.replaceRange(1, end - 1, head);
}
