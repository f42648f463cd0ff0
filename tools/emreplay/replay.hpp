#pragma once
// Running a tool through its recipe: the recorded commands when the key
// still matches, otherwise the tool itself, recording its commands for the
// next time.
#include <string>
#include <vector>

#include "recipe.hpp"

struct ToolRun {
    std::string tool;
    std::vector<std::string> args;
    std::vector<std::string> environment;   // NAME=value
    std::string workingDirectory;
};

// Runs the tool as if started directly, through the recipe where it can;
// returns the exit status the tool would have.
int runThroughRecipe(const ToolRun &run);

// What happened, for the tests: the outcome of the last runThroughRecipe.
// DERIVED: compiled with the commands of another source's recipe, renamed.
enum class RecipeOutcome { PASSED_THROUGH, REPLAYED, DERIVED, RECORDED, NOT_RECORDED, FAILED };
RecipeOutcome lastRecipeOutcome();
