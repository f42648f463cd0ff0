#include "recipe.hpp"
#include "path_text.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "wasm_object.hpp"

namespace {

using emreplay_text::baseName;
using emreplay_text::startsWith;

const char *const recipeHeading = "velc_emreplay recipe 1";

// Variables that make emcc describe its own work; a run with them is for
// someone watching emcc, so it is left to emcc.
const char *const diagnosticVariables[] = {"EMCC_DEBUG", "EMCC_VERBOSE", "EMPROFILE"};

// Arguments that print instead of building, or read what the key cannot see.
const char *const obstacleArguments[] = {"-", "-v", "-###", "--version", "--help", "-E", "--cflags"};

bool endsWith(const std::string &text, const std::string &suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string variableName(const std::string &assignment) { return assignment.substr(0, assignment.find('=')); }

bool isRegularFile(const std::string &path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string realPath(const std::string &path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string directoryOf(const std::string &path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool isSourceFile(const std::string &path) {
    for (const char *extension : {".c", ".cc", ".cpp", ".cxx", ".c++", ".C"})
        if (endsWith(path, extension))
            return true;
    return false;
}

// The files that tell one emcc installation and configuration from another:
// a new version, an edited configuration or another tool all change one.
std::vector<std::string> installationKey(const std::string &tool, const std::vector<std::string> &environment) {
    std::string config, home;
    for (const std::string &assignment : environment) {
        if (startsWith(assignment, "EM_CONFIG="))
            config = assignment.substr(10);
        else if (startsWith(assignment, "HOME="))
            home = assignment.substr(5);
    }
    std::string program = resolveProgram(tool, searchPathOf(environment));
    std::string real = realPath(program);
    std::string directory = directoryOf(real);
    std::vector<std::string> files = {program,
                                      real,
                                      directory + "/emscripten-version.txt",
                                      directory + "/" + baseName(program) + ".py",
                                      directory + "/emcc.py",
                                      directory + "/tools/shared.py",
                                      directory + "/.emscripten"};
    if (!config.empty())
        files.push_back(config);
    if (!home.empty())
        files.push_back(home + "/.emscripten");
    std::vector<std::string> lines = {"tool " + tool};
    for (std::size_t i = 0; i < files.size(); i++)
        // emcc's own script is also emcc.py: each file once.
        if (std::find(files.begin(), files.begin() + i, files[i]) == files.begin() + i)
            lines.push_back("file " + files[i] + " " + fileSignature(files[i]));
    return lines;
}

// What an input contributes to the key; false when an object cannot be read.
bool addInputKey(const std::string &path, std::vector<std::string> &key) {
    if (!isRegularFile(path))
        return true;
    if (isSourceFile(path)) {
        key.push_back("source " + path);
        return true;
    }
    // An archive (libvel's is most of a small link's input) enters by its
    // size and time: its first bytes tell it from an object.
    std::string bytes;
    if (!readFileStart(path, 4, bytes))
        return false;
    if (!isWasmBinary(bytes)) {
        key.push_back("file " + path + " " + fileSignature(path));
        return true;
    }
    if (!readWholeFile(path, bytes))
        return false;
    std::optional<std::vector<std::string>> undefined = undefinedWasmSymbols(bytes);
    if (!undefined)
        return false;
    std::string line = "object " + path + " undefined";
    for (const std::string &symbol : *undefined)
        line += " " + symbol;
    key.push_back(line);
    return true;
}

// Backslashes and line ends escaped, so that any text fits on one line.
std::string escaped(const std::string &text) {
    std::string result;
    for (char c : text) {
        if (c == '\\')
            result += "\\\\";
        else if (c == '\n')
            result += "\\n";
        else
            result += c;
    }
    return result;
}

std::string unescaped(const std::string &text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            result += text[i + 1] == 'n' ? '\n' : text[i + 1];
            i++;
        } else
            result += text[i];
    }
    return result;
}

}  // namespace

std::string fileSignature(const std::string &path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return "missing";
    long long nanoseconds =
        static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
    return std::to_string(static_cast<long long>(status.st_size)) + " " + std::to_string(nanoseconds);
}

std::string resolveProgram(const std::string &name, const char *searchPath) {
    if (name.find('/') != std::string::npos)
        return name;
    std::istringstream directories(searchPath ? searchPath : "");
    for (std::string directory; std::getline(directories, directory, ':');) {
        std::string candidate = (directory.empty() ? "." : directory) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0 && isRegularFile(candidate))
            return candidate;
    }
    return name;
}

const char *searchPathOf(const std::vector<std::string> &environment) {
    for (const std::string &assignment : environment)
        if (startsWith(assignment, "PATH="))
            return assignment.c_str() + 5;
    return nullptr;
}

bool readWholeFile(const std::string &path, std::string &bytes) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    std::streamoff size = file.tellg();
    if (size < 0)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    return static_cast<bool>(file.read(bytes.data(), size));
}

bool readFileStart(const std::string &path, std::size_t count, std::string &bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(count, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return !file.bad();
}

std::string outputOf(const std::vector<std::string> &args) {
    std::vector<std::string> outputs;
    for (std::size_t i = 0; i < args.size(); i++) {
        if (args[i] == "-o" && i + 1 < args.size())
            outputs.push_back(args[++i]);
        else if (startsWith(args[i], "-o") && args[i].size() > 2)
            outputs.push_back(args[i].substr(2));
    }
    return outputs.size() == 1 ? outputs[0] : "";
}

std::string replayObstacle(const std::vector<std::string> &args, const std::vector<std::string> &environment) {
    for (const std::string &assignment : environment)
        for (const char *name : diagnosticVariables)
            if (variableName(assignment) == name && assignment.size() > std::string(name).size() + 1)
                return std::string(name) + " is set";
    std::string output = outputOf(args);
    if (output.empty() || output == "-")
        return "no single output file";
    for (const std::string &arg : args) {
        for (const char *obstacle : obstacleArguments)
            if (arg == obstacle)
                return arg + " given";
        if (arg.find('@') != std::string::npos)
            return "a response file or list in " + arg;
    }
    return "";
}

std::optional<std::vector<std::string>> recipeKey(const std::string &tool, const std::vector<std::string> &args,
                                                  const std::vector<std::string> &environment,
                                                  const std::string &workingDirectory) {
    std::vector<std::string> key = installationKey(tool, environment);
    key.push_back("directory " + workingDirectory);
    std::vector<std::string> variables;
    for (const std::string &assignment : environment)
        if (startsWith(assignment, "EM") || variableName(assignment) == "PATH")
            variables.push_back(assignment);
    std::sort(variables.begin(), variables.end());
    for (const std::string &assignment : variables)
        key.push_back("env " + assignment);
    for (const std::string &arg : args)
        key.push_back("arg " + arg);
    for (std::size_t i = 0; i < args.size(); i++) {
        if (args[i] == "-o") {
            i++;
            continue;
        }
        if (startsWith(args[i], "-o"))
            continue;
        std::string path = args[i];
        if (path[0] == '-') {
            std::string::size_type equals = path.find('=');
            if (equals == std::string::npos)
                continue;
            path = path.substr(equals + 1);
        }
        if (!path.empty() && !addInputKey(path, key))
            return std::nullopt;
    }
    return key;
}

bool isStageLine(const std::string &line) {
    if (!startsWith(line, " \""))
        return false;
    std::string::size_type close = line.find('"', 2);
    return close != std::string::npos && close > 2 && (close + 1 == line.size() || line[close + 1] == ' ');
}

std::optional<ToolCommand> parseStageLine(const std::string &line) {
    if (!isStageLine(line))
        return std::nullopt;
    std::string::size_type close = line.find('"', 2);
    std::optional<std::vector<std::string>> args = shellWords(line.substr(close + 1));
    if (!args)
        return std::nullopt;
    return ToolCommand{line.substr(2, close - 2), *args};
}

std::optional<std::vector<std::string>> shellWords(const std::string &text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            std::string::size_type close = text.find('\'', i + 1);
            if (close == std::string::npos)
                return std::nullopt;
            word += text.substr(i + 1, close - i - 1);
            i = close;
        } else if (c == '"') {
            for (i++; i < text.size() && text[i] != '"'; i++) {
                if (text[i] == '\\' && i + 1 < text.size() && std::string("\"\\$`").find(text[i + 1]) != std::string::npos)
                    i++;
                word += text[i];
            }
            if (i >= text.size())
                return std::nullopt;
        } else if (c == '\\') {
            if (i + 1 >= text.size())
                return std::nullopt;
            word += text[++i];
        } else
            word += c;
    }
    if (inWord)
        words.push_back(word);
    return words;
}

// The JavaScript compiler writes the glue; wasm-emscripten-finalize without
// an output (emcc leaves the module as wasm-ld wrote it when there are no
// i64 dynCalls to add, as with -sWASM_BIGINT) only reads the module for the
// metadata that the glue is written from.
bool makesOnlyGlue(const ToolCommand &command) {
    std::string program = baseName(command.program);
    if (startsWith(program, "wasm-emscripten-finalize")) {
        for (const std::string &arg : command.args)
            if (arg == "-o" || startsWith(arg, "--output") || (startsWith(arg, "-o") && arg.size() > 2))
                return false;
        return true;
    }
    if (!startsWith(program, "node"))
        return false;
    for (const std::string &arg : command.args)
        if (endsWith(arg, "/compiler.js"))
            return true;
    return false;
}

std::string sourceOfKey(const std::vector<std::string> &key) {
    std::string source;
    for (const std::string &line : key) {
        if (!startsWith(line, "source "))
            continue;
        if (!source.empty())
            return "";
        source = line.substr(7);
    }
    return source;
}

namespace {

std::string extensionOf(const std::string &path) {
    std::string name = baseName(path);
    std::string::size_type dot = name.rfind('.');
    return dot == std::string::npos ? "" : name.substr(dot);
}

// One word of a recipe, with the old source and output replaced by the new
// ones where it is one of them (or "-o" glued to the output); false when it
// holds an old name in any other way.
struct Renaming {
    std::string oldSource, oldOutput, newSource, newOutput;

    bool apply(std::string &word) const {
        if (word == oldSource)
            word = newSource;
        else if (word == oldOutput)
            word = newOutput;
        else if (word == "-o" + oldOutput)
            word = "-o" + newOutput;
        else
            return word.find(oldSource) == std::string::npos && word.find(oldOutput) == std::string::npos;
        return true;
    }

    bool applyToKeyLine(std::string &line) const {
        for (const char *prefix : {"arg ", "source "}) {
            if (!startsWith(line, prefix))
                continue;
            std::string word = line.substr(std::string(prefix).size());
            if (!apply(word))
                return false;
            line = prefix + word;
            return true;
        }
        return line.find(oldSource) == std::string::npos && line.find(oldOutput) == std::string::npos;
    }
};

}  // namespace

std::optional<Recipe> renamedRecipe(const Recipe &recipe, const std::string &oldSource, const std::string &oldOutput,
                                    const std::string &newSource, const std::string &newOutput) {
    if (oldSource.empty() || oldOutput.empty() || newSource.empty() || newOutput.empty() ||
        extensionOf(oldSource) != extensionOf(newSource) || extensionOf(oldOutput) != extensionOf(newOutput))
        return std::nullopt;
    Renaming renaming{oldSource, oldOutput, newSource, newOutput};
    Recipe renamed = recipe;
    for (std::string &line : renamed.key)
        if (!renaming.applyToKeyLine(line))
            return std::nullopt;
    for (ToolCommand &command : renamed.commands) {
        if (!renaming.apply(command.program))
            return std::nullopt;
        for (std::string &arg : command.args)
            if (!renaming.apply(arg))
                return std::nullopt;
    }
    return renamed;
}

std::string formatRecipe(const Recipe &recipe) {
    std::string text = std::string(recipeHeading) + "\n";
    for (const std::string &line : recipe.key)
        text += "k " + escaped(line) + "\n";
    for (std::size_t i = 0; i < recipe.commands.size(); i++) {
        text += "c " + escaped(recipe.commands[i].program) + "\n";
        text += "s " + recipe.programSignatures[i] + "\n";
        for (const std::string &arg : recipe.commands[i].args)
            text += "a " + escaped(arg) + "\n";
    }
    return text + "end\n";
}

std::optional<Recipe> parseRecipe(const std::string &text) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != recipeHeading)
        return std::nullopt;
    Recipe recipe;
    while (std::getline(lines, line)) {
        if (line == "end")
            return recipe.commands.size() == recipe.programSignatures.size() ? std::optional<Recipe>(recipe)
                                                                              : std::nullopt;
        if (line.size() < 2 || line[1] != ' ')
            return std::nullopt;
        std::string value = unescaped(line.substr(2));
        switch (line[0]) {
        case 'k':
            if (!recipe.commands.empty())
                return std::nullopt;
            recipe.key.push_back(value);
            break;
        case 'c': recipe.commands.push_back(ToolCommand{value, {}}); break;
        case 's':
            if (recipe.programSignatures.size() + 1 != recipe.commands.size())
                return std::nullopt;
            recipe.programSignatures.push_back(line.substr(2));
            break;
        case 'a':
            if (recipe.commands.empty())
                return std::nullopt;
            recipe.commands.back().args.push_back(value);
            break;
        default: return std::nullopt;
        }
    }
    return std::nullopt;   // cut short: no "end"
}

std::string recipeCacheDirectory() {
    const char *cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return std::string(cache) + "/velc/emreplay";
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.cache/velc/emreplay";
    return "";
}

std::string recipePathFor(const std::string &output) {
    std::string cache = recipeCacheDirectory();
    if (cache.empty())
        return output + ".emreplay";
    std::filesystem::path absolute = output;
    if (absolute.is_relative()) {
        char directory[PATH_MAX];
        if (!getcwd(directory, sizeof directory))
            return output + ".emreplay";
        absolute = std::filesystem::path(directory) / absolute;
    }
    return cache + absolute.lexically_normal().string() + ".emreplay";
}
