// Helper program for the tests: removes its own file, sleeps with an exit code, or answers "administrator?".
#include "Administrator.h"
#include "Files.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "remove-own") == 0)
        return lvu::RemoveOwnFile(argc >= 3 && std::strcmp(argv[2], "folder") == 0) ? 0 : 1;
    if (argc >= 4 && std::strcmp(argv[1], "sleep") == 0) {
        ::Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return std::atoi(argv[3]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "is-administrator") == 0) return lvu::IsAdministrator() ? 1 : 0;
    return 2;
}
