#include "translator/source_inits.hpp"

#include <cctype>

#include "diagnostics/diagnostics.hpp"
#include "translator/source_translation.hpp"
#include "translator/translation_job.hpp"
#include "translator/values.hpp"

namespace {

DeclarationState &declarations() { return translation().declarations; }

// Named as the function places table names the source: after its path
// from the main source's folder, which is how include lines name it;
// "./lib" is the source "lib" names, whichever of the two names it was
// first met by.
std::string initName(std::string sourcePath) {
    while (sourcePath.compare(0, 2, "./") == 0)
        sourcePath.erase(0, 2);
    std::string name = "_vel_init_";
    for (char c : sourcePath)
        name += (std::isalnum(static_cast<unsigned char>(c)) || c == '_') ? c : '_';
    return name;
}

bool endsInVel(const std::string &name) {
    if (name.size() < 4 || name[name.size() - 4] != '.')
        return false;
    std::string end;
    for (std::size_t i = name.size() - 3; i < name.size(); i++)
        end += static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return end == "vel";
}

// The name by which the sources that include this one know it: an
// included source's path from the main source's folder, or the main
// source's own name (it is in that folder) when a source includes it back.
std::string ownInitName() {
    const SourceToTranslate &source = translatedSource();
    return initName(source.isMain ? source.fileName : source.baseName);
}

void writeIncludedInits(bool mapped) {
    for (const std::string &init : declarations().includedInits) {
        if (mapped)
            emitIndented(init + "();\n");
        else
            emit("    " + init + "();\n");
    }
}

}  // namespace

void noteIncludedSource(const std::string &includeName) {
    std::string init = initName(endsInVel(includeName) ? includeName.substr(0, includeName.size() - 4) : includeName);
    std::vector<std::string> &inits = declarations().includedInits;
    for (const std::string &known : inits)
        if (known == init)
            return;
    inits.push_back(init);
}

bool waitsForIncludedSources() {
    return !declarations().includedInits.empty() && !translatedSource().declarationsOnly;
}

bool isConstantValue(const ExprValue &value) {
    return value.known || value.stringLiteral || (value.literal && !value.interpolated);
}

void addWaitingValue(const std::string &assignment) {
    declarations().waitingValues.push_back({diagnostics.lineCounter, assignment});
}

void writeMainStart(bool atStatement) {
    // Indented as main's statements are.
    int savedIndent = output().indentLevel;
    output().indentLevel = 1;
    writeIncludedInits(atStatement);
    for (const auto &[line, assignment] : declarations().waitingValues)
        emitIndentedAt(line, assignment + "\n");
    declarations().waitingValues.clear();
    output().indentLevel = savedIndent;
}

void writeSourceInit() {
    const SourceToTranslate &source = translatedSource();
    // A main source has one only when a source it includes includes it
    // back, which calls it.
    if (source.declarationsOnly ||
        (source.isMain && (source.role != SourceRole::includedMain || declarations().includedInits.empty())))
        return;
    const std::string name = ownInitName();
    writeHeaderLine("void " + name + "();");
    OutputText *saved = output().currentOutput;
    output().currentOutput = output().implementationFile;
    int savedIndent = output().indentLevel;
    output().indentLevel = 1;
    newlineOnce();
    // Its own lines stand for no line of the source: only the assignments
    // are placed on the lines they were written on.
    emit("\n// Gives the file-level variables that waited for the included sources their values, once.\n"
         "void " + name + "()\n{\n"
         "    static bool done = false;\n"
         "    if (done)\n"
         "        return;\n"
         "    done = true;\n");
    writeIncludedInits(false);
    // The main source's own wait for main.
    if (!source.isMain) {
        for (const auto &[line, assignment] : declarations().waitingValues)
            emitIndentedAt(line, assignment + "\n");
        declarations().waitingValues.clear();
    }
    emit("}\n");
    output().indentLevel = savedIndent;
    output().currentOutput = saved;
}
