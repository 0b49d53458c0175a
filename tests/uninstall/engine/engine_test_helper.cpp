// Helper program for the engine tests: records how it was started and exits with a chosen code, or finishes an uninstallation.
#include "engine/Engine.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "finish") == 0) return lvu::FinishUninstall() ? 0 : 1;
    // "calls.txt" beside the program gets one line per start: the program's name and its arguments.
    char path[MAX_PATH * 2] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string program(path);
    const size_t slash = program.find_last_of('\\');
    std::string line = program.substr(slash + 1);
    for (int i = 1; i < argc; ++i) line += std::string(" ") + argv[i];
    std::ofstream(program.substr(0, slash + 1) + "calls.txt", std::ios::app | std::ios::binary) << line << "\n";
    return argc >= 3 && std::strcmp(argv[1], "exit") == 0 ? std::atoi(argv[2]) : 0;
}
