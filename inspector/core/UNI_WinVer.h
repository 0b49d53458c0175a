// What the running system can do, read once when the program starts.
#pragma once

#include <windows.h>

namespace lvx {

extern DWORD Win32Platform;      // 1 the Windows 95 family, 2 the NT family
extern DWORD Win32MajorVersion;
extern DWORD Win32MinorVersion;
extern bool IsNT;
// The "above normal" and "below normal" process priority classes exist (NT 5 and later).
extern bool HasExtendedPriorities;
// A thread can be opened by id (OpenThread, or NtOpenThread in its place).
extern bool CanOpenThreads;

// Binds the optional entry points and sets the flags above.
void InitPlatformFlags();

}  // namespace lvx
