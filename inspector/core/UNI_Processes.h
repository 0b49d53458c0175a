// The process and thread behind a window: opening the thread, listing the process's modules.
#pragma once

#include "UNI_WindowInfo.h"

#include <windows.h>

#include <string>
#include <vector>

namespace lvx {

// Access the thread commands need: terminate, suspend/resume, set and query information.
inline constexpr DWORD TargetThreadAccess = 0x63;

// Opens the thread of CurrentWindow with OpenThread, or NtOpenThread where OpenThread is missing.
// A failure shows "Не удалось открыть поток" and answers 0; with neither entry point, 0 quietly.
// The caller closes the handle.
[[nodiscard]] HANDLE OpenTargetThread();
// The same for the thread `threadId`.
[[nodiscard]] HANDLE OpenTargetThread(DWORD threadId);

// The module handles and file names of a process (NT family, with psapi present).
[[nodiscard]] bool ListProcessModules(DWORD processId, std::vector<HMODULE>& modules, std::vector<std::string>& names);
// The file of one module of a process; false when `module` is none of its modules or cannot be named.
[[nodiscard]] bool ProcessModulePath(DWORD processId, HMODULE module, std::string& path);
// The image a process runs (QueryFullProcessImageNameA, Vista on; false before); any bitness.
[[nodiscard]] bool ProcessImagePath(HANDLE process, std::string& path);

// Whether a process runs 32-bit or 64-bit code (two round trips to the system).
[[nodiscard]] ProcessBits ProcessBitness(DWORD processId);
// The image and the bitness of a process from one opening of it; the path is empty and the bits
// Unknown for what cannot be asked.
void ProcessImageAndBits(DWORD processId, std::string& path, ProcessBits& bits);
// The file name (without its folder) of the image a process runs; empty when it cannot be asked.
[[nodiscard]] std::string ProcessImageName(DWORD processId);

// The executable of the process that owns the window (its first module on the NT family).
[[nodiscard]] bool GetWindowModulePath(HWND window, std::string& path);

// Binds psapi on the NT family or GetWindowModuleFileNameA on the 95 family (once, at start).
void BindProcessEntryPoints();

}  // namespace lvx
