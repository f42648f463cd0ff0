#include "guide_examples.hpp"

#include <fstream>
#include <sstream>

#include "example_runner.hpp"

namespace {

struct FencedBlock {
    std::string kind;       // the word after the opening fence
    std::string argument;   // the rest of that line, trimmed
    std::string body;
};

std::string trimmed(const std::string &text) {
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<FencedBlock> fencedBlocks(const std::string &markdown) {
    std::vector<FencedBlock> blocks;
    std::istringstream lines(markdown);
    std::string line;
    FencedBlock *open = nullptr;
    while (std::getline(lines, line)) {
        if (open == nullptr && line.rfind("```", 0) == 0 && line.size() > 3) {
            std::string head = line.substr(3);
            auto blank = head.find(' ');
            blocks.push_back({head.substr(0, blank), blank == std::string::npos ? "" : trimmed(head.substr(blank)), ""});
            open = &blocks.back();
        } else if (open != nullptr && line == "```") {
            open = nullptr;
        } else if (open != nullptr) {
            open->body += line + "\n";
        }
    }
    return blocks;
}

std::vector<FencedBlock> guideBlocks() { return fencedBlocks(readWholeFile(GUIDE_FILE)); }

// "status 1" after "output" gives the status the program ends with.
int statusOf(const FencedBlock &output) {
    const std::string word = "status ";
    return output.argument.rfind(word, 0) == 0 ? std::stoi(output.argument.substr(word.size())) : 0;
}

}  // namespace

std::vector<GuideExample> guideExamples() {
    std::vector<FencedBlock> blocks = guideBlocks();
    std::vector<GuideExample> examples;
    std::vector<std::pair<std::string, std::string>> others;
    for (std::size_t i = 0; i < blocks.size(); i++) {
        if (blocks[i].kind != "vel")
            continue;
        if (!blocks[i].argument.empty()) {
            others.emplace_back(blocks[i].argument, blocks[i].body);
            continue;
        }
        GuideExample example;
        example.label = "guide_" + std::to_string(examples.size() + 1);
        example.source = blocks[i].body;
        example.otherSources.swap(others);
        std::size_t next = i + 1;
        if (next < blocks.size() && blocks[next].kind == "input")
            example.input = blocks[next++].body;
        // A program without an output block shows nothing: it must print nothing.
        if (next < blocks.size() && blocks[next].kind == "output") {
            example.output = blocks[next].body;
            example.status = statusOf(blocks[next]);
            if (next + 1 < blocks.size() && blocks[next + 1].kind == "error")
                example.errorOutput = blocks[next + 1].body;
        }
        examples.push_back(example);
    }
    return examples;
}

std::vector<GuideFault> guideFaults() {
    std::vector<FencedBlock> blocks = guideBlocks();
    std::vector<GuideFault> faults;
    for (std::size_t i = 0; i < blocks.size(); i++) {
        if (blocks[i].kind != "faulty")
            continue;
        GuideFault fault;
        fault.label = "guide_fault_" + std::to_string(faults.size() + 1);
        fault.source = blocks[i].body;
        for (std::size_t next = i + 1; next < blocks.size() && blocks[next].kind == "messages"; next++)
            fault.messages.push_back(blocks[next].body);
        faults.push_back(fault);
    }
    return faults;
}

void PrintTo(const GuideFault &fault, std::ostream *out) { *out << fault.label; }

std::vector<GuideLayout> guideLayouts() {
    std::vector<FencedBlock> blocks = guideBlocks();
    std::vector<GuideLayout> layouts;
    for (std::size_t i = 0; i + 1 < blocks.size(); i++)
        if (blocks[i].kind == "messy" && blocks[i + 1].kind == "formatted")
            layouts.push_back({"guide_layout_" + std::to_string(layouts.size() + 1), blocks[i].body, blocks[i + 1].body});
    return layouts;
}

void PrintTo(const GuideLayout &layout, std::ostream *out) { *out << layout.label; }

std::vector<std::string> guideReservedWords() {
    std::vector<std::string> words;
    for (const FencedBlock &block : guideBlocks()) {
        if (block.kind != "reserved")
            continue;
        std::istringstream in(block.body);
        std::string word;
        while (in >> word)
            words.push_back(word);
    }
    return words;
}

std::string guideInputPath(const GuideExample &example, const std::string &workspaceDirectory) {
    if (example.input.empty())
        return "/dev/null";
    std::string path = workspaceDirectory + "/prog.input";
    std::ofstream(path, std::ios::binary) << example.input;
    return path;
}

void PrintTo(const GuideExample &example, std::ostream *out) { *out << example.label; }
