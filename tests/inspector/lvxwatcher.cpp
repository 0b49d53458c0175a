// lvxwatcher: a second inspector for the message log's tests, in a process of its own so that a
// test can kill it. Command line: the window to watch (a decimal handle) and 1 to pause at once.
// It watches until it is killed (or ten minutes pass); the test sees it ready in the section.
#include "core/UNI_WinVer.h"
#include "msglog/MessageLogSession.h"

#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 3) return 1;
    lvx::InitPlatformFlags();
    const auto window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(__argv[1], nullptr, 10)));
    char path[MAX_PATH] = {};
    const std::string self(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
    lvx::msglog::MessageLogSession session;
    if (session.Start(window, false, self.substr(0, self.find_last_of('\\') + 1)) != lvx::msglog::StartFailure::None)
        return 2;
    session.SetPaused(__argv[2][0] == '1');
    ::Sleep(10 * 60 * 1000);
    return 0;
}
