// velc_emreplay TOOL ARGS...: runs an Emscripten tool (em++ or emcc) as if
// started directly, but starts the commands it ran the last time for the
// same output when nothing that decided them has changed: the edit-compile-
// run loop then pays neither emcc's Python start-up nor its JavaScript pass.
// The first run of each output records the commands and keeps them only
// after starting them once more gave the same file and the same messages.
// The recipe is kept in the user's cache folder (recipePathFor).
#include <unistd.h>

#include <climits>
#include <iostream>

#include "emreplay/replay.hpp"

extern char **environ;

int main(int argc, char **argv) {
    if (argc < 2) {
        std::cerr << "usage: velc_emreplay TOOL [ARGUMENT ...]\n";
        return 2;
    }
    ToolRun run;
    run.tool = argv[1];
    run.args.assign(argv + 2, argv + argc);
    for (char **variable = environ; *variable; ++variable)
        run.environment.push_back(*variable);
    char directory[PATH_MAX];
    run.workingDirectory = getcwd(directory, sizeof directory) ? directory : ".";
    return runThroughRecipe(run);
}
