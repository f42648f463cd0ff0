#include "driver/output_files.hpp"

#include <sys/stat.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "translator/frame.hpp"
#include "translator/main_pieces.hpp"
#include "translator/output.hpp"

namespace {

// Writes text under the partial name of path; on failure nothing is left
// under that name.
void writePartial(const std::string &path, const std::string &text) {
    std::string partial = partialOutputName(path);
    FILE *file = std::fopen(partial.c_str(), "wb");
    bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int cause = errno;
    if (file && std::fclose(file) != 0 && written) {
        written = false;
        cause = errno;
    }
    if (!written) {
        std::remove(partial.c_str());
        throw OutputWriteError("Cannot write " + path + ": " + std::strerror(cause != 0 ? cause : EIO));
    }
}

void placePartial(const std::string &path) {
    std::string partial = partialOutputName(path);
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        int cause = errno;
        std::remove(partial.c_str());
        throw OutputWriteError("Cannot write " + path + ": " + std::strerror(cause));
    }
}

bool sameTime(const std::string &path) {
    return utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0;
}

class OutputPlacement {
public:
    explicit OutputPlacement(const SourceToTranslate &source) : source(source) {}

    // A piece of the same text keeps its file, and its object when that was
    // compiled from it; both then get the time of this run, as every output
    // of a translated source does. A rebuild of everything compiles every
    // piece.
    void placePiece(const std::string &path, const std::string &text) {
        placed.cppFiles.push_back(path);
        if (keptUnchanged(path, text))
            return;
        // The object of the text replaced must not pass for the new one's:
        // with file times of whole seconds it could look as new as the text.
        std::remove(objectOf(path).c_str());
        writePartial(path, text);
        placePartial(path);
        placed.toCompile.push_back(path);
    }

    void removeLaterPieces(int from, int to) {
        for (int number = from; number <= to; number++) {
            std::string piece = pieceCppName(source.cppPath, number);
            if (isAnotherSourcesOutput(piece))
                continue;
            std::remove(piece.c_str());
            std::remove(objectOf(piece).c_str());
        }
    }

    // The complete implementation file: renamed from its partial name, or,
    // for a split source whose file holds the same text, kept with its
    // object. False when the rename failed.
    bool placeImplementation(const std::string &text) {
        std::string partial = partialOutputName(source.cppPath);
        if (placed.split && keptUnchanged(source.cppPath, text)) {
            placed.implementationToCompile = false;
            std::remove(partial.c_str());
            return true;
        }
        std::remove(objectOf(source.cppPath).c_str());
        return std::rename(partial.c_str(), source.cppPath.c_str()) == 0;
    }

    TranslatedPieces placed;

private:
    std::string objectOf(const std::string &cppFile) const {
        return cppFile.substr(0, cppFile.rfind('.')) + source.objectExtension;
    }

    bool objectIsCurrent(const std::string &cppFile) const {
        struct stat cpp, object;
        if (stat(cppFile.c_str(), &cpp) != 0 || stat(objectOf(cppFile).c_str(), &object) != 0)
            return false;
        if (object.st_mtim.tv_sec != cpp.st_mtim.tv_sec)
            return object.st_mtim.tv_sec > cpp.st_mtim.tv_sec;
        return object.st_mtim.tv_nsec >= cpp.st_mtim.tv_nsec;
    }

    // The file at path holds the same text, and its object was compiled
    // from it: both get the time of this run.
    bool keptUnchanged(const std::string &path, const std::string &text) const {
        bool found = false;
        std::string existing = readEarlierOutput(path, found);
        if (!found || existing != text || source.rebuildAll || !objectIsCurrent(path))
            return false;
        return sameTime(path) && sameTime(objectOf(path));
    }

    // A file of a piece's name that is not a piece is another source's
    // output (prog.1.vel's prog.1.cpp), written in this run: it is left alone.
    static bool isAnotherSourcesOutput(const std::string &path) {
        bool found = false;
        std::string text = readEarlierOutput(path, found);
        return found && text.find(std::string("\n") + dependsPrefix) == std::string::npos;
    }

    const SourceToTranslate &source;
};

void removePartialOutputs(const SourceToTranslate &source) {
    std::remove(partialOutputName(source.headerPath).c_str());
    std::remove(partialOutputName(source.cppPath).c_str());
}

}  // namespace

TranslatedPieces writeTranslatedFiles(const SourceToTranslate &source, const TranslatedTexts &texts) {
    OutputPlacement placement(source);
    int before = recordedPieceCount(source.headerPath);
    try {
        // Both files complete before either replaces the one of a run before.
        writePartial(source.headerPath, texts.header);
        writePartial(source.cppPath, texts.implementation);
        placement.placed.split = !texts.pieces.empty();
        int number = 0;
        for (const std::string &piece : texts.pieces)
            placement.placePiece(pieceCppName(source.cppPath, ++number), piece);
        placement.removeLaterPieces(number + 1, before);
    } catch (const OutputWriteError &) {
        removePartialOutputs(source);
        throw;
    }
    // The header first: the incremental test reads the implementation's time.
    for (const std::string *path : {&source.headerPath, &source.cppPath}) {
        bool placed = path == &source.cppPath ? placement.placeImplementation(texts.implementation)
                                              : std::rename(partialOutputName(*path).c_str(), path->c_str()) == 0;
        if (!placed) {
            std::string cause = std::strerror(errno);
            removePartialOutputs(source);
            throw OutputWriteError("Cannot replace " + *path + ": " + cause);
        }
    }
    return placement.placed;
}
