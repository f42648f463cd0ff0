// Splitting a line of 1,000 words at commas and joining them again, 18,000 times.
#include <iostream>
#include <string>
#include <vector>

std::vector<std::string> split(const std::string &line, const std::string &separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = line.find(separator, start);
        if (at == std::string::npos)
            break;
        parts.push_back(line.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(line.substr(start));
    return parts;
}

std::string join(const std::vector<std::string> &parts, const std::string &separator) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); i++) {
        if (i > 0)
            joined += separator;
        joined += parts[i];
    }
    return joined;
}

int main() {
    std::string line = "w0";
    for (int i = 1; i < 1000; i++)
        line += "," + std::string("w") + std::to_string(i);
    int total = 0;
    for (int round = 0; round < 18000; round++) {
        std::vector<std::string> parts = split(line, ",");
        std::string joined = join(parts, ";");
        total += static_cast<int>(parts.size()) + static_cast<int>(joined.size());
    }
    std::cout << total << '\n';
}
