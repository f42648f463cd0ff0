// A test workspace gets its own velc, since velc reads the velc.ini beside
// its executable. A hard link gives it one without a copy of the binary per
// test, which filled the disk of a machine running the whole suite.
#ifndef VELC_TESTS_VELC_BESIDE_HPP
#define VELC_TESTS_VELC_BESIDE_HPP

#include <filesystem>
#include <string>
#include <system_error>

inline void placeVelcAt(const std::string &target, const std::string &program = VELC_PROGRAM) {
    std::error_code notLinked;
    std::filesystem::create_hard_link(program, target, notLinked);
    if (notLinked)
        std::filesystem::copy_file(program, target);
}

#endif
