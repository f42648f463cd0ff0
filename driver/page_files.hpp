#pragma once
// The files a page's folder starts with: those beside the program that its
// sources name in a text ("data.txt"), as the folder held them when the
// page was written, and those named by --html-file. A page has no other
// way to see the program's folder.
#include <string>
#include <vector>

struct PageFile {
    std::string name;    // its name in the page's folder
    std::string bytes;
};

// The largest file a page takes, and the most it takes in all: the page
// holds them in base64 and the browser in memory.
constexpr std::size_t pageFileLimit = 16u << 20;
constexpr std::size_t pageFilesLimit = 64u << 20;

// The whole of a file as bytes; false when it cannot be read.
bool readPageFile(const std::string &path, std::string &contents);

// The names of the texts in a source that could name a file beside it: no
// folder, nothing but the characters of a file name.
std::vector<std::string> fileNamesInTexts(const std::string &source);

// The files for the page of the program whose sources are given, beside
// `folder`, and those `named` (paths as typed, put in by their last name).
// A file the sources name that is not there is left out; a named file that
// cannot be read, and any file past the limits, is reported and makes the
// result false.
bool pageFiles(const std::vector<std::string> &sources, const std::string &folder,
               const std::vector<std::string> &named, std::vector<PageFile> &files);
