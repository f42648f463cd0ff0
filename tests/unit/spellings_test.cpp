// The C++ spellings of the semantic model: casts, conversions, nil values,
// temporaries, swaps, interpolated texts, subscripts and the search and
// checks of built-in calls, the rows of cases/spellings.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagnostics/diagnostics.hpp"
#include "semantics/builtins.hpp"
#include "semantics/indexing.hpp"
#include "semantics/spellings.hpp"
#include "semantics/types.hpp"
#include "table_rows.hpp"
#include "translation_under_test.hpp"

namespace {

std::string quoted(const std::string &text) {
    std::string result = "\"";
    for (char c : text)
        result += c == '\t' ? std::string("\\t") : c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return result + "\"";
}

// The words of a row's call: quoted texts unquoted, the rest as written.
std::vector<std::string> callWords(const std::string &call) {
    std::vector<std::string> words;
    for (std::size_t at = 0; at < call.size();) {
        if (call[at] == ' ') {
            ++at;
        } else if (call[at] == '"') {
            std::string word;
            for (++at; at < call.size() && call[at] != '"'; ++at)
                word += call[at] == '\\' ? call[++at] : call[at];
            words.push_back(word);
            ++at;
        } else {
            std::size_t end = std::min(call.find(' ', at), call.size());
            words.push_back(call.substr(at, end - at));
            at = end;
        }
    }
    return words;
}

int typeCode(const std::string &name) {
    if (std::isdigit(static_cast<unsigned char>(name[0])))
        return std::stoi(name);
    for (int code = 0; code <= T_PLACEHOLDER; code++) {
        std::string spelled = typeName(code);
        std::replace(spelled.begin(), spelled.end(), ' ', '_');
        if (spelled == name)
            return code;
    }
    throw std::runtime_error("no type " + name);
}

std::string typeWord(int code) {
    std::string name = typeName(code);
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
}

std::string subscript(const std::string &text, int type, bool isCall, bool inner) {
    return quoted(text) + " " + typeWord(type) + (isCall ? " call" : "") + (inner ? " inner" : "");
}

// Calls the function a row names; gives its result as the row writes it.
std::string resultOf(const std::vector<std::string> &w) {
    const std::string &f = w.at(0);
    auto type = [&w](int i) { return typeCode(w.at(i)); };
    auto flag = [&w](int i) { return w.at(i) == "true"; };
    if (f == "cppTypeSpelling") return quoted(cppTypeSpelling(type(1)));
    if (f == "castTo") return quoted(w.size() > 2 ? castTo(type(1), type(2)) : castTo(type(1)));
    if (f == "convertTo") return quoted(convertTo(type(1), type(2), w.at(3)));
    if (f == "castElement") return quoted(castElement(type(1)));
    if (f == "closingFor") return quoted(closingFor(w.at(1)));
    if (f == "castPlain") return quoted(castPlain(type(1)));
    if (f == "convertInItem") return quoted(convertInItem(type(1), w.at(2)));
    if (f == "typeTag") return quoted(typeTag(type(1)));
    if (f == "fromDyn") return quoted(w.size() > 3 ? fromDyn(type(1), w[2], w[3]) : fromDyn(type(1), w.at(2)));
    if (f == "nilFor") return quoted(nilFor(type(1)));
    if (f == "newTemp") return quoted(newTemp());
    if (f == "swapText") return quoted(swapText(w.at(1), type(2), w.at(3), type(4)));
    if (f == "phpString") return quoted(phpString(w.at(1)));
    if (f == "readIndex") {
        SubscriptText s = readIndex(type(1), w.at(2), flag(3));
        return subscript(s.text, s.type, false, false);
    }
    if (f == "targetIndex" || f == "targetEmptySubscript") {
        TargetSubscript s = f == "targetIndex" ? targetIndex(type(1), w.at(2), std::stoi(w.at(3)), flag(4))
                                               : targetEmptySubscript(w.at(1), type(2), std::stoi(w.at(3)), flag(4));
        return subscript(s.text, s.type, s.isCall, s.selectsInner);
    }
    if (f == "slice") return quoted(sliceText(makeInterval(flag(1), w.at(2), type(3), flag(4), w.at(5), type(6), flag(7))));
    if (f == "readEmptySubscript") {
        EmptySubscript s = readEmptySubscript(type(1), flag(2));
        return subscript(s.text, s.type, false, false) +
               (s.accessMode == ACCESS_CURRENT_ELEMENT ? " current" : s.accessMode == ACCESS_RANGE ? " range" : "") +
               (s.accepted ? "" : " refused");
    }
    if (f == "checkKeyRange") return checkKeyRange(type(1), type(2)) ? "true" : "false";
    if (f == "findMethod") {
        int row = findMethod(w.at(1), type(2));
        return row < 0 ? "none" : quoted(builtinRow(row).name) + " " + typeWord(builtinRow(row).field[M_RECEIVER]);
    }
    int row = -1;
    if (f == "findFunction") return findFunction(w.at(1), row) ? quoted(builtinRow(row).target) : "none";
    std::vector<int> types;
    for (std::size_t i = f == "methodArgs" ? 3 : 2; i < w.size(); i++)
        types.push_back(type(i));
    if (f == "methodArgs" && (row = findMethod(w.at(1), type(2))) >= 0)
        return checkMethodArgs(row, types.data(), static_cast<int>(types.size())), "checked";
    if (f == "functionArgs" && findFunction(w.at(1), row))
        return checkFunctionArgs(row, types.data(), static_cast<int>(types.size())), "checked";
    throw std::runtime_error("no function " + f);
}

// What a row finds: its call, the result and what the call reported, each
// report counted as one error.
std::string rowFound(const std::string &row) {
    std::string call = row.substr(0, row.find(" -> "));
    TranslationUnderTest translation;
    diagnostics.sourceName = "a.vel";
    diagnostics.lineCounter = 7;
    currentSink().errorCount = 0;
    testing::internal::CaptureStdout();
    std::string result = resultOf(callWords(call));
    std::string report = testing::internal::GetCapturedStdout();
    std::string found = call + " -> " + result;
    if (report.empty())
        return currentSink().errorCount == 0 ? found : found + " | " + std::to_string(currentSink().errorCount) + " errors";
    const std::string position = "a.vel L7: ";
    if (report.compare(0, position.size(), position) == 0)
        report.erase(0, position.size());
    if (report.back() == '\n')
        report.pop_back();
    return found + " | " + report + (currentSink().errorCount == 1 ? "" : " (" + std::to_string(currentSink().errorCount) + " errors)");
}

TEST(Spellings, TheRowsOfTheTableHold) {
    expectEveryRowHolds("spellings.txt", rowFound);
}

}  // namespace
