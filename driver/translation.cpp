// Translation of the pending sources: the comment-free temporary copy, the
// call of the translator and the order in which sources are taken.
#include <antlr/ANTLRException.hpp>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "diagnostics/diagnostics.hpp"
#include "driver/native_build.hpp"
#include "driver/project.hpp"
#include "driver/settings.hpp"
#include "driver/text_tools.hpp"
#include "driver/translate_call.hpp"
#include "translator/output.hpp"

namespace {

// Cuts the comments out of a line that holds no leading block-comment tail.
std::string stripLineComments(std::string line) {
    bool &inBlockComment = project.inBlockComment;
    bool restart = true;
    while (restart) {
        restart = false;
        inBlockComment = false;
        char quote = 0;
        for (std::string::size_type i = 0; i < line.size(); i++) {
            char c = line[i];
            if (quote) {
                if (c == quote && line[i - 1] != '\\')
                    quote = 0;
                continue;
            }
            if (c == '"' || c == '\'') {
                quote = c;
                continue;
            }
            bool slashNext = c == '/' && i + 1 < line.size();
            if (c == '#' || (slashNext && line[i + 1] == '/')) {
                line.resize(i);
                break;
            }
            if (slashNext && line[i + 1] == '*') {
                inBlockComment = true;
                std::string::size_type close = line.find("*/", i + 2);
                if (close == std::string::npos) {
                    line.resize(i);
                    break;
                }
                line.erase(i, close + 2 - i);
                restart = true;
                break;
            }
        }
    }
    return trimRight(line);
}

void writeStrippedCopy(const std::string &sourcePath) {
    std::ifstream source(sourcePath);
    if (!source)
        throw std::runtime_error(sourcePath + " cannot be read");
    std::ofstream copy(temporaryFile, std::ios::trunc);
    if (!copy)
        throw std::runtime_error(std::string(temporaryFile) + " cannot be written");
    project.inBlockComment = false;
    std::string line;
    while (std::getline(source, line))
        copy << stripComments(line) << '\n';
    if (!copy.flush())
        throw std::runtime_error(std::string(temporaryFile) + " cannot be written");
}

void closeFile(FILE *&file) {
    if (file)
        std::fclose(file);
    file = nullptr;
}

// The start rule closes its files when it returns; these are what an
// interrupted translation left open.
void closeTranslatorOutputs() {
    if (output.currentOutput != output.headerFile &&
        output.currentOutput != output.implementationFile)
        closeFile(output.currentOutput);
    closeFile(output.headerFile);
    closeFile(output.implementationFile);
    output.currentOutput = nullptr;
    output.savedImplementation = nullptr;
}

// Pointers left by the previous source belong to files already closed.
void forgetPreviousOutputs() {
    output.implementationFile = nullptr;
    output.headerFile = nullptr;
    output.currentOutput = nullptr;
    output.savedImplementation = nullptr;
}

void failTranslation(const std::string &description) {
    std::printf("Exception in parser: %s\n", description.c_str());
    closeTranslatorOutputs();
    diagnostics.errorCount++;
    markSourceStale();
}

}  // namespace

std::string stripComments(const std::string &line) {
    if (line.size() < 2) {
        if (project.inBlockComment)
            return "";
        return stripLineComments(line);
    }
    if (line[0] == '#')
        return trimRight(line);
    if (!project.inBlockComment)
        return stripLineComments(line);
    std::string::size_type close = line.find("*/");
    if (close == std::string::npos)
        return "";
    return stripLineComments(line.substr(close + 2));
}

void translateSource() {
    const std::string &sourcePath = driverSettings.currentSourceName;
    if (driverSettings.verbose)
        std::printf("Compiling source %s\n", sourcePath.c_str());
    try {
        writeStrippedCopy(sourcePath);
        std::ifstream input(temporaryFile);
        diagnostics.errorCount = 0;
        forgetPreviousOutputs();
        TranslateFunction translate = project.translate ? project.translate : translateStream;
        translate(input, sourcePath);
        printSummary(diagnostics.errorCount);
    } catch (const antlr::ANTLRException &e) {
        failTranslation(e.toString());
    } catch (const std::exception &e) {
        failTranslation(e.what());
    }
    if (!driverSettings.keepTemporary)
        std::remove(temporaryFile);
}

int compileAll() {
    project.translatedCount = 0;
    std::size_t passes = 0;
    resolveUpToDateIncludes();
    for (int k = nextPending(); k != -1; k = nextPending()) {
        bool isMain = project.entries[k].isMain;
        driverSettings.currentSourceName = project.entries[k].name;
        project.isMainTranslation = isMain;
        project.entries[k].done = true;
        resolveIncluded(k);
        nameSource(isMain);
        translateSource();
        project.runErrorTotal += diagnostics.errorCount;
        if (++passes > project.entries.size())
            fatalInternal(1);
        if (!driverSettings.cppOnly && diagnostics.errorCount == 0) {
            project.cppFileList.push_back(sourceNames.cppName);
            project.translatedCount++;
        }
    }
    if (!driverSettings.cppOnly)
        compileCppFiles();
    if (driverSettings.verbose)
        std::printf("%d/%zu compiled\n", project.translatedCount, passes);
    return project.translatedCount;
}
