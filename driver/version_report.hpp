#pragma once
// velc --version: which velc, libvel and tool chain a run would use.
#include <string>

// The lines of the report for the configuration read from configPath:
// velc's version, libvel's (from the version header in the include
// directories of the compile options) and archive, then the compiler, the
// linker and the runner with the first line each prints for --version.
std::string versionReport(const std::string &configPath);

// libvel's version as its header records it, from the -I directories of
// the compile options; empty when no directory holds it.
std::string libvelVersion(const std::string &compileOptions);
