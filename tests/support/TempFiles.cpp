// Files for the tests of both programs: the test program's folder and temporary folders that
// clean up after themselves.
#include "TempFiles.h"

#include "common/UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace lvctest {

namespace {

std::atomic<unsigned> Counter{0};

}  // namespace

std::string BinFolder()
{
    char path[MAX_PATH * 4] = {};
    ::GetModuleFileNameA(nullptr, path, static_cast<DWORD>(sizeof path));
    const std::string program(path);
    return program.substr(0, program.find_last_of('\\') + 1);
}

void RemoveFolderTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry{};
    const lvc::unique_find find(::FindFirstFileA((folder + "*").c_str(), &entry));
    if (find) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            // Never follow a link out of the folder: remove the link itself.
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveFolderTree(path + "\\");
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ::RemoveDirectoryA(path.c_str());
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find.get(), &entry));
    }
    ::RemoveDirectoryA(folder.c_str());
}

TempFolder::TempFolder()
{
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(static_cast<DWORD>(sizeof temp), temp);
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof name, "lvtest-%lu-%u\\", ::GetCurrentProcessId(), Counter++);
        path_ = std::string(temp) + name;
        if (::CreateDirectoryA(path_.c_str(), nullptr) || ::GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

TempFolder::~TempFolder()
{
    RemoveFolderTree(path_);
}

}  // namespace lvctest
