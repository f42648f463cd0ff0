#include "translator/positions.hpp"

#include <cctype>

#include "VLTokenTypes.hpp"

namespace {

bool isNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Where `name` stands as a whole word on the line (byte index), the last
// one starting before `before`, or the first when `before` is npos.
std::string::size_type findWord(const std::string &line, const std::string &name, std::string::size_type before) {
    std::string::size_type found = std::string::npos;
    for (std::string::size_type at = line.find(name); at != std::string::npos; at = line.find(name, at + 1)) {
        if (before != std::string::npos && at >= before)
            break;
        bool startsWord = at == 0 || !isNameCharacter(line[at - 1]) || !isNameCharacter(name.front());
        std::string::size_type end = at + name.size();
        bool endsWord = end >= line.size() || !isNameCharacter(line[end]) || !isNameCharacter(name.back());
        if (startsWord && endsWord) {
            found = at;
            if (before == std::string::npos)
                break;
        }
    }
    return found;
}

}  // namespace

int byteColumn(const std::string &line, int scannerColumn) {
    int column = 1;
    for (std::string::size_type i = 0; i < line.size(); i++) {
        if (column >= scannerColumn)
            return static_cast<int>(i) + 1;
        column = line[i] == '\t' ? ((column - 1) / 8 + 1) * 8 + 1 : column + 1;
    }
    return static_cast<int>(line.size()) + 1 + (scannerColumn - column);
}

TokenPositions::TokenPositions(const std::string &sourceText, const TokenQueue &tokens) : tokens_(tokens) {
    std::string::size_type start = 0;
    while (start <= sourceText.size()) {
        std::string::size_type end = sourceText.find('\n', start);
        if (end == std::string::npos)
            end = sourceText.size();
        lines_.push_back(sourceText.substr(start, end - start));
        start = end + 1;
    }
}

const std::string &TokenPositions::line(int number) const {
    static const std::string none;
    if (number < 1 || static_cast<std::size_t>(number) > lines_.size())
        return none;
    return lines_[static_cast<std::size_t>(number - 1)];
}

void TokenPositions::locate(Diagnostic &diagnostic, const std::string &name) const {
    const std::string &text = line(diagnostic.line);
    std::string::size_type firstWord = text.find_first_not_of(" \t\f\r");
    if (firstWord == std::string::npos)
        return;
    // The end of the last token read on this line, when the parse is on it.
    std::string::size_type reached = std::string::npos;
    antlr::RefToken last = tokens_.lastConsumed();
    if (last && last->getLine() == diagnostic.line && last->getType() != VLTokenTypes::EOL) {
        int start = byteColumn(text, last->getColumn());
        reached = static_cast<std::string::size_type>(start - 1) + last->getText().size();
    }
    if (!name.empty()) {
        std::string::size_type at = findWord(text, name, reached == std::string::npos ? reached : reached + 1);
        if (at == std::string::npos && reached != std::string::npos)
            at = findWord(text, name, std::string::npos);
        if (at != std::string::npos) {
            diagnostic.column = static_cast<int>(at) + 1;
            diagnostic.endColumn = static_cast<int>(at + name.size());
            return;
        }
    }
    std::string::size_type lastByte = text.find_last_not_of(" \t\f\r");
    if (reached != std::string::npos && reached > firstWord)
        lastByte = reached - 1;
    diagnostic.column = static_cast<int>(firstWord) + 1;
    diagnostic.endColumn = static_cast<int>(lastByte) + 1;
}
