#pragma once

// The inputs of the fuzzer: programs written from the language's grammar
// (the soundness test's generator), the programs of the tests and examples,
// and mutants of both, changed byte by byte, token by token, line by line
// or in their shape (deep nesting, long lists, sources split into includes
// and include cycles). Everything depends only on the seed.

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fuzz {

// A program as its sources: "prog.vel", the main one, and the sources beside
// it that it may include.
struct FuzzCase {
    std::map<std::string, std::string> files;
    std::string origin;  // how it was made, for the report: "grammar 17", "mutant of x.vel: ..."
};

// The programs to mutate: every .vel file below the given folders and the
// sources of the translation cases (cases/*.txt: a "-- file NAME" line starts
// a source beside prog.vel, "--" alone ends the sources).
std::vector<FuzzCase> loadCorpus(const std::vector<std::string> &folders);

// The sources of the translation cases of one case file's text.
std::vector<FuzzCase> casesOfCaseFile(const std::string &text, const std::string &origin);

class Mutator {
public:
    // `corpus` supplies the programs and, from their words, the dictionary
    // that token mutations draw from.
    explicit Mutator(std::vector<FuzzCase> corpus);

    // The input of one seed: a grammar program, a mutant of one, or a mutant
    // of a corpus program.
    FuzzCase make(std::uint64_t seed) const;

    // One to four mutations of `input`, chosen by `rng`.
    FuzzCase mutate(FuzzCase input, std::mt19937_64 &rng) const;

    std::size_t corpusSize() const { return corpus.size(); }

private:
    std::vector<FuzzCase> corpus;
    std::vector<std::string> dictionary;

    std::string mutateText(const std::string &text, std::mt19937_64 &rng, std::string &what) const;
    void mutateShape(FuzzCase &input, std::mt19937_64 &rng, std::string &what) const;
};

// The words, numbers, quoted texts and signs of a source, with the blanks
// and line ends between them kept as tokens of their own, so that the
// tokens joined give the text back.
std::vector<std::string> tokenize(const std::string &text);

}  // namespace fuzz
