// Starting a program or document and waiting for it to end.
#pragma once

#include <windows.h>

#include <string>

namespace lvu {

// Runs `file` with `parameters` in `folder` (empty: the caller's) and waits, pumping the calling
// thread's messages, until it ends. Programs (".exe", ".com", ".bat") that exist are created
// directly; anything else goes through the shell, without its error dialogs. The exit code, 0 when
// it cannot be read or the shell started no process, -1 when nothing could be started.
int RunAndWait(HWND owner, const std::string& file, const std::string& parameters, int showCommand,
               const std::string& folder);

// Handles this thread's waiting messages; a quit request is not handled but kept in `quit` and
// `quitCode`, for the caller to repost to its own loop.
void PumpMessages(bool& quit, WPARAM& quitCode);

}  // namespace lvu
