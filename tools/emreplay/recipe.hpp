#pragma once
// A recipe: the commands an emcc or em++ run started (clang, wasm-ld,
// wasm-emscripten-finalize, llvm-objcopy, ...), recorded with everything
// that decided them. Started again with the same key, the commands make the
// same output without emcc's Python start-up and without the JavaScript
// glue that a standalone .wasm target throws away.
//
// The key holds the tool and the files of its installation that say which
// emcc it is, the arguments, the working directory, the environment that
// emcc reads (every EM... variable and PATH), and, for each input: an
// object's undefined symbols (the only part of an object that emcc's choices
// depend on), the size and time of any other named file. A C or C++ source
// enters by name only: its text goes to clang, which is started again.
#include <optional>
#include <string>
#include <vector>

struct ToolCommand {
    std::string program;
    std::vector<std::string> args;
};

struct Recipe {
    std::vector<std::string> key;
    std::vector<ToolCommand> commands;
    std::vector<std::string> programSignatures;   // one per command
};

// Size and modification time of a file, or "missing".
std::string fileSignature(const std::string &path);
// Where the shell would find a program named without a directory.
std::string resolveProgram(const std::string &name, const char *searchPath);
// The value of PATH among NAME=value assignments, null when it is unset.
const char *searchPathOf(const std::vector<std::string> &environment);
// The whole file; false when it cannot be read.
bool readWholeFile(const std::string &path, std::string &bytes);
// Its first `count` bytes, or all of a shorter file.
bool readFileStart(const std::string &path, std::size_t count, std::string &bytes);

// The value of the one -o option ("-o x" or "-ox"), empty when there is
// none or more than one.
std::string outputOf(const std::vector<std::string> &args);

// Why a run cannot be recorded or replayed (the environment asks emcc for
// its own diagnostics, the arguments read standard input or a response
// file, ...), or empty when it can.
std::string replayObstacle(const std::vector<std::string> &args, const std::vector<std::string> &environment);

// The key of a run; nothing when an input object cannot be read.
std::optional<std::vector<std::string>> recipeKey(const std::string &tool, const std::vector<std::string> &args,
                                                  const std::vector<std::string> &environment,
                                                  const std::string &workingDirectory);

// A sub-command as emcc prints it when EMCC_VERBOSE is set:
//  "program" arg 'quoted arg' ...
bool isStageLine(const std::string &line);
std::optional<ToolCommand> parseStageLine(const std::string &line);
// POSIX shell words: blanks separate, quotes and backslashes as in sh.
std::optional<std::vector<std::string>> shellWords(const std::string &text);
// A command whose work goes only into the JavaScript glue, which a .wasm
// target throws away.
bool makesOnlyGlue(const ToolCommand &command);

// The one C or C++ source a recipe's key names, empty when it names none or
// several (a link, a compile of several files).
std::string sourceOfKey(const std::vector<std::string> &key);
// A compile's recipe made over for another source and output of the same
// extensions: every key line and argument that names the old source or
// output names the new one. Nothing when the old names appear anywhere
// else, since the recipe may then depend on them in a way not seen here.
std::optional<Recipe> renamedRecipe(const Recipe &recipe, const std::string &oldSource, const std::string &oldOutput,
                                    const std::string &newSource, const std::string &newOutput);

std::string formatRecipe(const Recipe &recipe);
std::optional<Recipe> parseRecipe(const std::string &text);
// Where the recipe of an output is kept: the user's cache folder
// ($XDG_CACHE_HOME, else ~/.cache) under velc/emreplay/, followed by the
// output's absolute path with ".emreplay" added, so that nothing but the
// outputs lands beside the sources; beside the output when neither
// variable names a folder.
std::string recipePathFor(const std::string &output);
// velc/emreplay/ in the user's cache folder; empty when there is none.
std::string recipeCacheDirectory();
