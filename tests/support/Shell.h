// Runs a shell line as a user would type it, for tests of programs and tools.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

struct SShellResult {
    int Exit;           // the exit status, -1 when the line did not end normally
    std::string Output; // standard output and standard error together
};

inline SShellResult RunShell(const std::string& line) {
    FILE* pipe = popen(("(" + line + ") 2>&1").c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// A whole file's bytes ("" when it cannot be read).
inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
