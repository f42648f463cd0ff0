// Exercises what a Velmora program needs from its host: arguments, the
// standard streams, files in the current directory, the environment and
// the exit status.
#include <sys/stat.h>
#include <cstdio>
#include <iostream>
#include <string>

extern char **environ;

namespace {

bool writeFile(const char* name, const char* mode, const char* text) {
    FILE* file = std::fopen(name, mode);
    if (!file) {
        std::perror(name);
        return false;
    }
    std::fputs(text, file);
    return std::fclose(file) == 0;
}

void printFile(const char* name) {
    FILE* file = std::fopen(name, "r");
    if (!file) {
        std::perror(name);
        return;
    }
    char line[256];
    while (std::fgets(line, sizeof line, file)) std::printf("file: %s", line);
    std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) std::printf("arg %d: %s\n", i, argv[i]);
    std::string line;
    while (std::getline(std::cin, line)) std::printf("stdin: %s\n", line.c_str());
    std::fprintf(stderr, "message on stderr\n");

    if (!writeFile("data.txt", "w", "first line\n")) return 10;
    if (!writeFile("data.txt", "a", "appended line\n")) return 11;
    printFile("data.txt");

    struct stat status;
    if (stat("data.txt", &status) == 0)
        std::printf("size: %lld regular: %d\n", static_cast<long long>(status.st_size),
                    S_ISREG(status.st_mode) ? 1 : 0);
    else
        std::perror("stat");

    if (std::rename("data.txt", "kept.txt") != 0) std::perror("rename");
    if (std::remove("gone.txt") != 0) std::perror("remove");
    for (char **variable = environ; *variable; ++variable) std::printf("env: %s\n", *variable);
    return 3;
}
