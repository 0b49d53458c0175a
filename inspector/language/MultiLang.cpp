// Language support of the program: where its files are and the texts that replace the built-in ones.
#include "MultiLang.h"

#include <windows.h>

#include <vector>

namespace lvx {

std::string ProgramFolder;

void InitProgramFolder()
{
    // Paths may be longer than MAX_PATH; grow until the whole name fits.
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return;
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            const size_t slash = path.find_last_of("\\/");
            ProgramFolder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
            if (ProgramFolder.empty() || ProgramFolder.back() != '\\') ProgramFolder += '\\';
            return;
        }
        if (buffer.size() >= 32768) return;
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace lvx
