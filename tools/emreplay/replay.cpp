#include "replay.hpp"

#include <dirent.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "standby.hpp"

namespace {

RecipeOutcome outcome = RecipeOutcome::PASSED_THROUGH;

struct Captured {
    int status = 0;
    std::string out;
    std::string err;
};

std::string readAll(FILE *file) {
    std::string text;
    std::rewind(file);
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

// The exit status as a shell gives it.
int exitStatusOf(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

// Starts the program and waits for it; its wait status, or nothing when
// it could not be started.
std::optional<int> spawnAndWait(const std::string &program, const std::string &resolved,
                                const std::vector<std::string> &args, const std::vector<std::string> &environment,
                                FILE *out, FILE *err) {
    std::vector<char *> argv = {const_cast<char *>(program.c_str())};
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (const std::string &assignment : environment)
        envp.push_back(const_cast<char *>(assignment.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out && err) {
        posix_spawn_file_actions_adddup2(&actions, fileno(out), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fileno(err), STDERR_FILENO);
    }
    std::cout.flush();
    std::cerr.flush();
    pid_t pid;
    int failure = posix_spawn(&pid, resolved.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0)
        return std::nullopt;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return status;
}

// A standby of the program (standby.hpp) runs it when one waits; what one
// that failed to answer may have written is dropped before the program is
// started here instead.
std::optional<int> runOnStandbyInto(const std::string &resolved, const std::vector<std::string> &args,
                                    const std::vector<std::string> &environment, FILE *out, FILE *err) {
    int streams[3] = {STDIN_FILENO, fileno(out), fileno(err)};
    std::optional<int> status = runOnStandby(resolved, args, environment, streams);
    if (!status)
        for (FILE *file : {out, err})
            if (ftruncate(fileno(file), 0) != 0 || std::fseek(file, 0, SEEK_SET) != 0)
                std::rewind(file);
    return status;
}

// Starts program with args and the environment; with capture, its standard
// output and error go to temporary files and come back in the result, and
// a standby of the program may run it.
Captured runProgram(const std::string &program, const std::vector<std::string> &args,
                    const std::vector<std::string> &environment, bool capture) {
    Captured result;
    std::string resolved = resolveProgram(program, searchPathOf(environment));
    FILE *out = capture ? std::tmpfile() : nullptr;
    FILE *err = capture ? std::tmpfile() : nullptr;
    std::optional<int> status;
    if (out && err)
        status = runOnStandbyInto(resolved, args, environment, out, err);
    if (!status)
        status = spawnAndWait(program, resolved, args, environment, out, err);
    if (status)
        result.status = exitStatusOf(*status);
    else {
        result.status = 127;
        result.err = program + ": cannot be started\n";
    }
    if (out && err) {
        result.out = readAll(out);
        result.err += readAll(err);
    } else if (!status)
        std::cerr << result.err;
    if (out)
        std::fclose(out);
    if (err)
        std::fclose(err);
    return result;
}

Captured replayCommands(const std::vector<ToolCommand> &commands, const std::vector<std::string> &environment) {
    Captured all;
    for (const ToolCommand &command : commands) {
        Captured one = runProgram(command.program, command.args, environment, true);
        all.out += one.out;
        all.err += one.err;
        all.status = one.status;
        if (one.status != 0)
            break;
    }
    return all;
}

std::vector<std::string> signaturesOf(const std::vector<ToolCommand> &commands,
                                      const std::vector<std::string> &environment) {
    std::vector<std::string> signatures;
    for (const ToolCommand &command : commands)
        signatures.push_back(fileSignature(resolveProgram(command.program, searchPathOf(environment))));
    return signatures;
}

std::optional<Recipe> loadRecipe(const std::string &path) {
    std::string text;
    if (!readWholeFile(path, text))
        return std::nullopt;
    return parseRecipe(text);
}

bool saveRecipe(const std::string &path, const Recipe &recipe) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << formatRecipe(recipe);
        if (!file.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// The lines of emcc's standard error split into its sub-commands and what
// the user is meant to see; false when a sub-command line cannot be read.
bool splitStages(const std::string &err, std::vector<ToolCommand> &commands, std::string &shown) {
    bool readable = true;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
        if (!isStageLine(line)) {
            shown += line;
            if (!lines.eof())
                shown += '\n';
            continue;
        }
        std::optional<ToolCommand> command = parseStageLine(line);
        if (!command)
            readable = false;
        else if (!makesOnlyGlue(*command))
            commands.push_back(*command);
    }
    return readable;
}

// Started again in place of emcc, the commands must make the same output
// and say the same: emcc's output is kept aside and compared.
bool replayMatches(const std::vector<ToolCommand> &commands, const ToolRun &run, const std::string &output,
                   const std::string &shown) {
    std::string kept = output + ".emreplay-check";
    if (std::rename(output.c_str(), kept.c_str()) != 0)
        return false;
    Captured again = replayCommands(commands, run.environment);
    std::string made, expected;
    bool same = again.status == 0 && again.err == shown && readWholeFile(output, made) && readWholeFile(kept, expected) &&
                made == expected;
    if (same)
        std::remove(kept.c_str());
    else
        std::rename(kept.c_str(), output.c_str());
    return same;
}

int record(const ToolRun &run, const std::vector<std::string> &key, const std::string &output) {
    std::string recipePath = recipePathFor(output);
    std::remove(recipePath.c_str());
    std::vector<std::string> environment = run.environment;
    environment.push_back("EMCC_VERBOSE=1");
    Captured tool = runProgram(run.tool, run.args, environment, true);
    std::vector<ToolCommand> commands;
    std::string shown;
    bool readable = splitStages(tool.err, commands, shown);
    std::cout << tool.out << std::flush;
    std::cerr << shown << std::flush;
    if (tool.status != 0) {
        outcome = RecipeOutcome::FAILED;
        return tool.status;
    }
    outcome = RecipeOutcome::NOT_RECORDED;
    if (readable && !commands.empty() && tool.out.empty() && replayMatches(commands, run, output, shown) &&
        saveRecipe(recipePath, Recipe{key, commands, signaturesOf(commands, run.environment)}))
        outcome = RecipeOutcome::RECORDED;
    return 0;
}

// The outputs of the same folder that have a recipe: other objects
// compiled the same way.
std::vector<std::string> outputsWithRecipes(const std::string &output) {
    std::vector<std::string> outputs;
    std::string own = recipePathFor(output);
    std::string::size_type recipeSlash = own.rfind('/');
    std::string recipeDirectory = recipeSlash == std::string::npos ? "." : own.substr(0, recipeSlash);
    std::string::size_type slash = output.rfind('/');
    std::string prefix = slash == std::string::npos ? "" : output.substr(0, slash + 1);
    DIR *entries = opendir(recipeDirectory.c_str());
    if (!entries)
        return outputs;
    const std::string suffix = ".emreplay";
    while (dirent *entry = readdir(entries)) {
        std::string name = entry->d_name;
        if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            recipeDirectory + "/" + name != own)
            outputs.push_back(prefix + name.substr(0, name.size() - suffix.size()));
    }
    closedir(entries);
    std::sort(outputs.begin(), outputs.end());
    return outputs;
}

// A compile like one recorded before beside it, but of another source:
// the recorded commands with the names changed. A recipe is kept only once
// its commands made their output again byte for byte, so one compile of
// each shape proves the shape, and each further source of that shape is
// compiled once, without em++ itself.
std::optional<Recipe> siblingRecipe(const ToolRun &run, const std::vector<std::string> &key, const std::string &output) {
    std::string source = sourceOfKey(key);
    if (source.empty())
        return std::nullopt;
    for (const std::string &siblingOutput : outputsWithRecipes(output)) {
        std::optional<Recipe> sibling = loadRecipe(recipePathFor(siblingOutput));
        if (!sibling)
            continue;
        std::optional<Recipe> renamed =
            renamedRecipe(*sibling, sourceOfKey(sibling->key), siblingOutput, source, output);
        if (renamed && renamed->key == key &&
            renamed->programSignatures == signaturesOf(renamed->commands, run.environment))
            return renamed;
    }
    return std::nullopt;
}

// Runs a sibling's commands for this output; true when they made it, and
// the recipe is then this output's own.
bool compiledLikeSibling(const ToolRun &run, const Recipe &recipe, const std::string &output) {
    std::string recipePath = recipePathFor(output);
    std::remove(recipePath.c_str());
    Captured compiled = replayCommands(recipe.commands, run.environment);
    if (compiled.status != 0 || !compiled.out.empty())
        return false;
    std::cerr << compiled.err << std::flush;
    saveRecipe(recipePath, recipe);
    outcome = RecipeOutcome::DERIVED;
    return true;
}

}  // namespace

RecipeOutcome lastRecipeOutcome() { return outcome; }

int runThroughRecipe(const ToolRun &run) {
    outcome = RecipeOutcome::PASSED_THROUGH;
    std::optional<std::vector<std::string>> key;
    if (replayObstacle(run.args, run.environment).empty())
        key = recipeKey(run.tool, run.args, run.environment, run.workingDirectory);
    if (!key)
        return runProgram(run.tool, run.args, run.environment, false).status;
    std::string output = outputOf(run.args);
    std::optional<Recipe> recipe = loadRecipe(recipePathFor(output));
    if (recipe && recipe->key == *key && recipe->programSignatures == signaturesOf(recipe->commands, run.environment)) {
        Captured replayed = replayCommands(recipe->commands, run.environment);
        if (replayed.status == 0) {
            std::cerr << replayed.err << std::flush;
            outcome = RecipeOutcome::REPLAYED;
            // The same output made again is an edit loop: the next run
            // finds its programs loaded and waiting.
            for (const ToolCommand &command : recipe->commands)
                startStandby(resolveProgram(command.program, searchPathOf(run.environment)), run.environment);
            return 0;
        }
    }
    std::optional<Recipe> sibling = siblingRecipe(run, *key, output);
    if (sibling && compiledLikeSibling(run, *sibling, output))
        return 0;
    return record(run, *key, output);
}
