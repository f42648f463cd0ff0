#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "semantics/reserved_names.hpp"

namespace {

const std::vector<std::string> cppKeywords = {
    "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor", "bool", "break",
    "case", "catch", "char", "char16_t", "char32_t", "class", "compl", "const", "constexpr",
    "const_cast", "continue", "decltype", "default", "delete", "do", "double", "dynamic_cast",
    "else", "enum", "explicit", "export", "extern", "false", "float", "for", "friend", "goto",
    "if", "inline", "int", "long", "mutable", "namespace", "new", "noexcept", "not", "not_eq",
    "nullptr", "operator", "or", "or_eq", "private", "protected", "public", "register",
    "reinterpret_cast", "return", "short", "signed", "sizeof", "static", "static_assert",
    "static_cast", "struct", "switch", "template", "this", "thread_local", "throw", "true",
    "try", "typedef", "typeid", "typename", "union", "unsigned", "using", "virtual", "void",
    "volatile", "wchar_t", "while", "xor", "xor_eq",
    // newer standards
    "char8_t", "concept", "consteval", "constinit", "co_await", "co_return", "co_yield",
    "requires"};

// Macros and global names of the C library headers and of libvel.
const std::vector<std::string> headerNames = {
    "index", "y0", "y1", "j0", "errno", "EOF", "NULL", "printf", "exit", "time", "abs", "select",
    "random", "assert", "stdin", "stdout", "stderr", "strlen", "toupper", "sqrt", "isnan",
    "size_t", "FILE", "RAND_MAX", "text", "dyn", "intval", "velarray", "dict"};

const std::vector<std::string> ordinaryNames = {
    "x", "n", "a", "count", "total", "name", "value", "size", "list", "i", "sum", "result",
    "vector", "argv", "Main", "STD", "New"};

// The keywords and alternative tokens of C++, main, std and main's
// parameter, the macros GNU dialects predefine and the names of the included
// headers; case counts.
TEST(ReservedNames, WhatCppOrTheHeadersTakeIsReservedAndNothingElse) {
    std::vector<std::string> reserved = cppKeywords;
    reserved.insert(reserved.end(), headerNames.begin(), headerNames.end());
    reserved.insert(reserved.end(), {"main", "std", "argc", "linux", "unix", "typeof"});
    for (const std::string &name : reserved)
        EXPECT_TRUE(isReservedName(name)) << name;
    std::vector<std::string> free = ordinaryNames;
    free.insert(free.end(), {"", "Printf", "PRINTF", "eof"});
    for (const std::string &name : free)
        EXPECT_FALSE(isReservedName(name)) << name;
    EXPECT_GT(headerReservedNameTotal(), 500u);
}

TEST(ReservedNames, ListIsSortedAndAgreesWithTheLookup) {
    std::vector<std::string> all = reservedNameList();
    ASSERT_FALSE(all.empty());
    for (size_t k = 1; k < all.size(); ++k)
        EXPECT_LT(all[k - 1], all[k]);
    for (const std::string &name : all)
        EXPECT_TRUE(isReservedName(name)) << name;
    for (const std::string &word : cppKeywords)
        EXPECT_TRUE(std::binary_search(all.begin(), all.end(), word)) << word;
}

// Ordinary names stay as written; a reserved name, and a name ending with
// "_", gets a trailing "_" (map too: the type of XML literal variables).
TEST(EmittedNames, ReservedNamesAndNamesEndingWithUnderscoreGetATrailingUnderscore) {
    for (const std::string &name : ordinaryNames)
        EXPECT_EQ(emittedNameFor(name), name);
    for (const std::string &name : headerNames)
        EXPECT_EQ(emittedNameFor(name), name + "_");
    const std::vector<std::pair<std::string, std::string>> spellings = {
        {"my_total2", "my_total2"}, {"new", "new_"}, {"main", "main_"}, {"std", "std_"}, {"map", "map_"},
        {"x_", "x__"}, {"new_", "new__"}, {"a__", "a___"}};
    for (const auto &[name, spelling] : spellings)
        EXPECT_EQ(emittedNameFor(name), spelling);
}

TEST(EmittedNames, RenamedFormsAreNeverReserved) {
    for (const std::string &name : reservedNameList()) {
        if (!std::isalpha((unsigned char)name[0]))
            continue;
        EXPECT_FALSE(isReservedName(name + "_")) << name;
        EXPECT_FALSE(isReservedName(emittedNameFor(name))) << name;
    }
}

TEST(EmittedNames, DistinctNamesKeepDistinctSpellings) {
    std::vector<std::string> sample = ordinaryNames;
    for (const std::string &base : {"new", "index", "x", "printf", "total", "EOF", "main"})
        for (const std::string &tail : {"", "_", "__", "___"})
            sample.push_back(base + tail);
    for (const std::string &name : reservedNameList())
        if (std::isalpha((unsigned char)name[0])) {
            sample.push_back(name);
            sample.push_back(name + "_");
        }
    std::set<std::string> names(sample.begin(), sample.end());
    std::set<std::string> spellings;
    for (const std::string &name : names)
        spellings.insert(emittedNameFor(name));
    EXPECT_EQ(spellings.size(), names.size());
}

// Compiles, after the prologue of generated files, one global int per
// spelling, and a member function of that name; any spelling that is a
// keyword, a macro or a global name of the headers makes the compilation
// fail. A single file with some thousands of
// declarations, so that each compiler reads the headers once.
class EmittedNamesCompile : public ::testing::Test {
protected:
    static std::string prologue() {
        std::ifstream in(VELC_BINARY_DIR "/generated/reserved_names/prologue.cpp");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static bool compiles(const std::string &compiler, const std::string &file,
                         const std::vector<std::string> &spellings, std::string &log) {
        std::string source = std::string(VELC_BINARY_DIR) + "/" + file + ".cpp";
        std::string logFile = std::string(VELC_BINARY_DIR) + "/" + file + ".log";
        {
            std::ofstream out(source);
            out << prologue() << "\n";
            for (const std::string &name : spellings)
                out << "int " << name << ";\n";
            // A function-like macro only expands before a parenthesis.
            out << "struct _Calls {\n";
            for (const std::string &name : spellings)
                out << "    void " << name << "(int, int, int, int);\n";
            out << "};\n";
        }
        std::string command = compiler + " -std=c++17 -fsyntax-only -I" VELC_SOURCE_DIR
                              "/runtime/include " + source + " > " + logFile + " 2>&1";
        int status = std::system(command.c_str());
        std::ifstream in(logFile);
        std::stringstream text;
        text << in.rdbuf();
        log = text.str();
        return status == 0;
    }

    // Every identifier of the preprocessed prologue files in the build tree.
    static std::set<std::string> headerIdentifiers() {
        std::set<std::string> found;
        for (const char *file : {"host.i", "em.i"}) {
            std::ifstream in(std::string(VELC_BINARY_DIR "/generated/reserved_names/") + file);
            std::stringstream buffer;
            buffer << in.rdbuf();
            const std::string text = buffer.str();
            for (size_t k = 0; k < text.size();) {
                if (std::isalpha((unsigned char)text[k]) || text[k] == '_') {
                    size_t begin = k;
                    while (k < text.size() && (std::isalnum((unsigned char)text[k]) || text[k] == '_'))
                        ++k;
                    if (std::isalpha((unsigned char)text[begin]))
                        found.insert(text.substr(begin, k - begin));
                } else if (std::isdigit((unsigned char)text[k])) {
                    while (k < text.size() && (std::isalnum((unsigned char)text[k]) || text[k] == '_'))
                        ++k;
                } else {
                    ++k;
                }
            }
        }
        return found;
    }

    // The spellings of every reserved name, of every identifier that the
    // headers mention, of the ordinary names and of a few names ending with
    // '_'. A header name missing from the reserved set keeps its spelling
    // and collides.
    static std::vector<std::string> spellings() {
        std::set<std::string> names = headerIdentifiers();
        for (const std::string &name : reservedNameList())
            if (std::isalpha((unsigned char)name[0]))
                names.insert(name);
        names.insert(ordinaryNames.begin(), ordinaryNames.end());
        names.insert({"abs_", "EOF_", "new_", "x_"});
        std::set<std::string> result;
        for (const std::string &name : names)
            result.insert(emittedNameFor(name));
        return std::vector<std::string>(result.begin(), result.end());
    }

    static bool haveCompiler(const std::string &name) {
        return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
    }
};

TEST_F(EmittedNamesCompile, PrologueAndHeaderIdentifiersWereFound) {
    EXPECT_NE(prologue().find("#include <velmora/libvel.hpp>"), std::string::npos);
    std::set<std::string> identifiers = headerIdentifiers();
    EXPECT_GT(identifiers.size(), 1000u);
    EXPECT_EQ(identifiers.count("printf"), 1u);
    EXPECT_EQ(identifiers.count("intval"), 1u);
}

TEST_F(EmittedNamesCompile, AReservedNameAsWrittenFailsToCompile) {
    // The check below would prove nothing if a colliding name compiled.
    std::string log;
    EXPECT_FALSE(
        compiles("g++", "reserved_names_collide", {"printf", "intval", "assert", "total"}, log));
    EXPECT_NE(log.find("int printf"), std::string::npos) << log;
    EXPECT_NE(log.find("int intval"), std::string::npos) << log;
    EXPECT_NE(log.find("\"assert\""), std::string::npos) << log;
    EXPECT_EQ(log.find("int total"), std::string::npos) << log;
}

TEST_F(EmittedNamesCompile, EverySpellingCompilesWithGxx) {
    std::string log;
    EXPECT_TRUE(compiles("g++", "reserved_names_gxx", spellings(), log)) << log.substr(0, 4000);
}

TEST_F(EmittedNamesCompile, EverySpellingCompilesWithEmxx) {
    if (!haveCompiler("em++"))
        GTEST_SKIP() << "em++ is not installed";
    std::string log;
    EXPECT_TRUE(compiles("em++", "reserved_names_emxx", spellings(), log)) << log.substr(0, 4000);
}

}  // namespace
