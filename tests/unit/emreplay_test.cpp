// velc_emreplay's parts: the reader of an object's undefined symbols, emcc's
// sub-command lines, the recipe file, and the key that decides whether the
// recorded commands may stand in for emcc.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "driver/wasm_leb.hpp"
#include "emreplay/recipe.hpp"
#include "emreplay/wasm_object.hpp"

namespace {

namespace fs = std::filesystem;

std::string wasmName(const std::string &name) { return leb(name.size()) + name; }

std::string section(int id, const std::string &payload) {
    return std::string(1, static_cast<char>(id)) + leb(payload.size()) + payload;
}

// A relocatable object as clang writes one: function imports foo and bar,
// a global import, and a symbol table with undefined and defined symbols of
// every kind.
struct ObjectBuilder {
    std::vector<std::string> functionImports = {"foo", "bar"};
    std::string definedFunction = "main";
    std::string undefinedData = "environ";
    bool withLinking = true;

    std::string bytes() const {
        std::string imports = leb(functionImports.size() + 1);
        for (const std::string &field : functionImports)
            imports += wasmName("env") + wasmName(field) + '\0' + leb(0);
        imports += wasmName("env") + wasmName("__stack_pointer") + '\3' + '\x7f' + '\1';
        std::string symbols;
        int count = 0;
        // Undefined functions named by their imports, one with a name of its own.
        symbols += std::string(1, 0) + leb(0x10) + leb(1), count++;
        symbols += std::string(1, 0) + leb(0x10 | 0x40) + leb(0) + wasmName("foo_alias"), count++;
        symbols += std::string(1, 0) + leb(0) + leb(2) + wasmName(definedFunction), count++;
        symbols += std::string(1, 2) + leb(0x10) + leb(0), count++;   // __stack_pointer
        symbols += std::string(1, 1) + leb(0x10) + wasmName(undefinedData), count++;
        symbols += std::string(1, 1) + leb(0) + wasmName("table") + leb(0) + leb(16) + leb(4), count++;
        symbols += std::string(1, 3) + leb(0) + leb(5), count++;
        std::string linking = wasmName("linking") + leb(2) + '\x08' + leb(leb(count).size() + symbols.size()) +
                              leb(count) + symbols;
        std::string module = std::string("\0asm\1\0\0\0", 8) + section(2, imports) + section(10, leb(0));
        return withLinking ? module + section(0, linking) : module;
    }
};

TEST(WasmObjectSymbols, UndefinedSymbolsOfEveryKindSortedOnce) {
    std::optional<std::vector<std::string>> symbols = undefinedWasmSymbols(ObjectBuilder().bytes());
    ASSERT_TRUE(symbols);
    EXPECT_EQ(*symbols, (std::vector<std::string>{"__stack_pointer", "bar", "environ", "foo_alias"}));
}

TEST(WasmObjectSymbols, WhatIsNotAReadableObjectGivesNothing) {
    ObjectBuilder plain;
    plain.withLinking = false;   // a linked module, not an object
    EXPECT_FALSE(undefinedWasmSymbols(plain.bytes()));
    std::string object = ObjectBuilder().bytes();
    for (std::size_t cut : {std::size_t(3), std::size_t(9), object.size() - 1})
        EXPECT_FALSE(undefinedWasmSymbols(object.substr(0, cut))) << cut;
    EXPECT_FALSE(undefinedWasmSymbols("!<arch>\nnot an object"));
    // An undefined function whose import does not exist.
    ObjectBuilder short_;
    short_.functionImports = {"foo"};
    EXPECT_FALSE(undefinedWasmSymbols(short_.bytes()));
}

TEST(WasmModuleImports, EveryImportWithItsModuleInOrder) {
    ObjectBuilder module;
    module.withLinking = false;
    std::optional<std::vector<std::string>> imports = wasmImports(module.bytes());
    ASSERT_TRUE(imports);
    EXPECT_EQ(*imports, (std::vector<std::string>{"env.foo", "env.bar", "env.__stack_pointer"}));
    std::string bytes = module.bytes();
    EXPECT_FALSE(wasmImports(bytes.substr(0, bytes.size() - 4)));
    EXPECT_FALSE(wasmImports("!<arch>\nnot a module"));
}

TEST(StageLines, ProgramInQuotesThenShellWords) {
    std::optional<ToolCommand> command =
        parseStageLine(R"( "/usr/bin/wasm-ld" -o out.wasm 'a b.o' 'it'"'"'s' --x=\$y "q\"z" '')");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->program, "/usr/bin/wasm-ld");
    EXPECT_EQ(command->args,
              (std::vector<std::string>{"-o", "out.wasm", "a b.o", "it's", "--x=$y", "q\"z", ""}));
    EXPECT_TRUE(parseStageLine(R"( "finalize")"));
    for (const char *line : {R"("/bin/x" a)", R"( "" a)", R"( "/bin/x"a)", "hello.cpp:1: error", R"( "/bin/x" 'open)",
                             R"( "/bin/x" "open)", " \"/bin/x\" end\\"})
        EXPECT_FALSE(parseStageLine(line)) << line;
    EXPECT_TRUE(isStageLine(R"( "/bin/x" 'open)"));   // shown as a sub-command, but unreadable
}

TEST(StageLines, OnlyTheJavaScriptCompilerAndMetadataMakeOnlyGlue) {
    EXPECT_TRUE(makesOnlyGlue({"/usr/bin/node", {"/usr/share/emscripten/src/compiler.js", "/tmp/x.json"}}));
    EXPECT_TRUE(makesOnlyGlue({"nodejs", {"/e/src/compiler.js"}}));
    EXPECT_FALSE(makesOnlyGlue({"/usr/bin/node", {"/e/tools/acorn-optimizer.js", "a.js"}}));
    EXPECT_FALSE(makesOnlyGlue({"wasm-opt", {"/e/src/compiler.js"}}));
    EXPECT_TRUE(makesOnlyGlue({"wasm-emscripten-finalize", {"--bigint", "--no-dyncalls", "p.wasm", "--detect-features"}}));
    EXPECT_FALSE(makesOnlyGlue({"/b/wasm-emscripten-finalize", {"--dyncalls-i64", "p.wasm", "-o", "p.wasm"}}));
    EXPECT_FALSE(makesOnlyGlue({"wasm-emscripten-finalize", {"p.wasm", "-op.wasm"}}));
    EXPECT_FALSE(makesOnlyGlue({"wasm-emscripten-finalize", {"p.wasm", "--output=p.wasm"}}));
}

TEST(RecipeFile, RoundTripKeepsEveryTextAndRejectsDamage) {
    Recipe recipe{{"tool emcc", "arg a\\b", "arg two\nlines"},
                  {{"/usr/bin/wasm-ld", {"-o", "x y.wasm", "back\\slash"}}, {"finalize", {}}},
                  {"10 20", "missing"}};
    std::string text = formatRecipe(recipe);
    std::optional<Recipe> read = parseRecipe(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->key, recipe.key);
    ASSERT_EQ(read->commands.size(), 2u);
    EXPECT_EQ(read->commands[0].args, recipe.commands[0].args);
    EXPECT_EQ(read->commands[1].program, "finalize");
    EXPECT_EQ(read->programSignatures, recipe.programSignatures);
    EXPECT_FALSE(parseRecipe(text.substr(0, text.size() - 4)));   // cut before "end"
    EXPECT_FALSE(parseRecipe("other heading\n" + text.substr(text.find('\n') + 1)));
    std::string noSignature = text;
    noSignature.erase(noSignature.find("s 10 20\n"), 8);
    EXPECT_FALSE(parseRecipe(noSignature));
}

// Recipes go to the user's cache folder, under the output's absolute path;
// beside the output only when there is no cache folder to name.
TEST(Recipes, LiveInTheUsersCacheFolder) {
    std::string cache = getenv("XDG_CACHE_HOME") ? getenv("XDG_CACHE_HOME") : "";
    std::string home = getenv("HOME") ? getenv("HOME") : "";
    setenv("XDG_CACHE_HOME", "/var/cache/me", 1);
    EXPECT_EQ(recipePathFor("/work/p/../q/prog.o"), "/var/cache/me/velc/emreplay/work/q/prog.o.emreplay");
    char directory[4096];
    ASSERT_NE(getcwd(directory, sizeof directory), nullptr);
    EXPECT_EQ(recipePathFor("dir/prog.wasm"), "/var/cache/me/velc/emreplay" + std::string(directory) + "/dir/prog.wasm.emreplay");
    setenv("XDG_CACHE_HOME", "relative", 1);
    setenv("HOME", "/home/me", 1);
    EXPECT_EQ(recipePathFor("/p/prog.o"), "/home/me/.cache/velc/emreplay/p/prog.o.emreplay");
    unsetenv("XDG_CACHE_HOME");
    unsetenv("HOME");
    EXPECT_EQ(recipePathFor("dir/prog.wasm"), "dir/prog.wasm.emreplay");
    if (!cache.empty())
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    if (!home.empty())
        setenv("HOME", home.c_str(), 1);
}

TEST(Requests, OneOutputAndNothingTheKeyCannotSee) {
    EXPECT_EQ(outputOf({"-c", "a.cpp", "-oa.o"}), "a.o");
    EXPECT_EQ(outputOf({"-o", "p.wasm", "a.o"}), "p.wasm");
    EXPECT_EQ(outputOf({"-c", "a.cpp"}), "");
    EXPECT_EQ(outputOf({"-o", "a", "-ob"}), "");
    std::vector<std::string> env = {"PATH=/bin", "EMCC_DEBUG="};
    EXPECT_EQ(replayObstacle({"-c", "a.cpp", "-oa.o"}, env), "");
    for (const std::vector<std::string> &request :
         {std::vector<std::string>{"-c", "a.cpp"}, {"-o", "-", "a.o"}, {"-c", "-", "-oa.o"}, {"-v", "-c", "a.cpp", "-oa.o"},
          {"-o", "p.wasm", "@objects.rsp"}, {"-o", "p.wasm", "-sEXPORTED_FUNCTIONS=@list.txt"}})
        EXPECT_NE(replayObstacle(request, env), "") << request.back();
    for (const char *variable : {"EMCC_DEBUG=1", "EMCC_VERBOSE=1", "EMPROFILE=2"})
        EXPECT_NE(replayObstacle({"-o", "p.wasm", "a.o"}, {variable}), "") << variable;
}

class RecipeKey : public ::testing::Test {
protected:
    void SetUp() override {
        directory = fs::temp_directory_path() / ("emreplay_key_" + std::to_string(getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
        write("prog.o", ObjectBuilder().bytes());
        write("lib.a", "!<arch>\nmembers");
        write("prog.cpp", "int main() {}\n");
    }
    void TearDown() override { fs::remove_all(directory); }

    void write(const std::string &name, const std::string &bytes) {
        std::ofstream(directory / name, std::ios::binary) << bytes;
    }
    std::string path(const std::string &name) const { return (directory / name).string(); }
    std::vector<std::string> key(const std::vector<std::string> &environment = {"PATH=/bin", "EM_X=1"}) const {
        std::optional<std::vector<std::string>> result =
            recipeKey("emcc", {"-O1", "-o", path("p.wasm"), path("prog.o"), path("lib.a"), "--js-library=" + path("lib.a")},
                      environment, directory.string());
        EXPECT_TRUE(result);
        return result ? *result : std::vector<std::string>{};
    }

    fs::path directory;
};

TEST_F(RecipeKey, ObjectsCountByTheirUndefinedSymbolsOnly) {
    std::vector<std::string> before = key();
    ObjectBuilder other;
    other.definedFunction = "renamed_main";   // other code, same needs
    write("prog.o", other.bytes());
    EXPECT_EQ(key(), before);
    other.undefinedData = "stdout";
    write("prog.o", other.bytes());
    EXPECT_NE(key(), before);
    write("prog.o", std::string("\0asm\1\0\0\0\x05" "damaged", 16));
    EXPECT_FALSE(recipeKey("emcc", {"-o", "p.wasm", path("prog.o")}, {}, directory.string()));
}

TEST_F(RecipeKey, OtherFilesEnvironmentAndDirectoryCount) {
    std::vector<std::string> before = key();
    EXPECT_NE(key({"PATH=/usr/bin", "EM_X=1"}), before);
    EXPECT_NE(key({"PATH=/bin", "EM_X=2"}), before);
    EXPECT_EQ(key({"PATH=/bin", "EM_X=1", "OTHER=3"}), before);
    write("lib.a", "!<arch>\nmore members");
    EXPECT_NE(key(), before);
    before = key();
    std::optional<std::vector<std::string>> here =
        recipeKey("emcc", {"-o", "p.wasm", "prog.o"}, {}, "/one"), there =
        recipeKey("emcc", {"-o", "p.wasm", "prog.o"}, {}, "/two");
    EXPECT_NE(here, there);
}

TEST_F(RecipeKey, SourcesCountByNameNotByText) {
    auto compileKey = [&] {
        return recipeKey("em++", {"-c", path("prog.cpp"), "-o" + path("prog.o")}, {"PATH=/bin"}, directory.string());
    };
    std::optional<std::vector<std::string>> before = compileKey();
    ASSERT_TRUE(before);
    write("prog.cpp", "int main() { return 1; }\n");
    EXPECT_EQ(compileKey(), before);
}

}  // namespace
