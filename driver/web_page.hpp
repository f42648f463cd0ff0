#pragma once
// The page target: a built module becomes a page that runs it in a browser.
#include <string>
#include <vector>

// Where velc finds what its pages and its playground are made of: web/
// beside the program (the build tree) or ../lib/velmora/web/ (installed).
// Empty when neither holds the bundled page script.
std::string webDirectory(const std::string &executableDirectory);

// Writes prog.html and prog.js beside the module target and copies the
// page's script there. The sources tell whether the program reads input,
// and which files beside them the page's folder starts with (with those
// of `namedFiles`, see page_files.hpp). False, with a message printed,
// when something could not be read or written.
bool writeWebPage(const std::string &target, const std::vector<std::string> &sources,
                  const std::vector<std::string> &namedFiles, const std::string &executableDirectory);
