#pragma once
// A translation's texts written into the source's files: each file once,
// under a partial name that is renamed when the file is complete, so that a
// run that is interrupted never leaves a truncated file for the next run to
// trust. A piece of a long main whose text and object are unchanged is kept.
#include <string>
#include <vector>

#include "translator/translation_job.hpp"

// What the translation of a source left for the build.
struct TranslatedPieces {
    bool split = false;
    // The implementation file of a split source is kept, with its object,
    // when its text is the same too.
    bool implementationToCompile = true;
    std::vector<std::string> cppFiles;    // every piece, in order
    std::vector<std::string> toCompile;   // those whose object is not valid
};

// Writes the header, the implementation and the pieces of `texts`, and
// removes the pieces of an earlier, longer split. A file that cannot be
// written throws OutputWriteError naming it and the cause; the header and
// the implementation are then both left as they were.
TranslatedPieces writeTranslatedFiles(const SourceToTranslate &source, const TranslatedTexts &texts);
