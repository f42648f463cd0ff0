#pragma once
// The columns of a translation's messages. A message quoting a name points
// at that name on its line (the occurrence the parse has reached); any
// other points from the line's first word to the last token read on it.
#include <string>
#include <vector>

#include "diagnostics/sink.hpp"
#include "translator/token_queue.hpp"

// The byte column (from 1) of a scanner column, which advances to the next
// multiple of 8 plus 1 at a tab.
int byteColumn(const std::string &line, int scannerColumn);

class TokenPositions : public PositionLocator {
public:
    TokenPositions(const std::string &sourceText, const TokenQueue &tokens);
    void locate(Diagnostic &diagnostic, const std::string &name) const override;
    const std::string &line(int number) const;
    int lineCount() const { return static_cast<int>(lines_.size()); }

private:
    std::vector<std::string> lines_;
    const TokenQueue &tokens_;
};
