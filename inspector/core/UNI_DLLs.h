// Optional system entry points, looked up at run time because older systems lack them.
#pragma once

#include <windows.h>

namespace lvx {

using OpenThreadProc = HANDLE(WINAPI*)(DWORD access, BOOL inherit, DWORD threadId);
// NTSTATUS NtOpenThread(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PCLIENT_ID)
using NtOpenThreadProc = LONG(NTAPI*)(PHANDLE thread, ACCESS_MASK access, void* attributes, void* clientId);

// kernel32's OpenThread, or null where the system has none.
extern OpenThreadProc OpenThreadEntry;
// ntdll's NtOpenThread, looked up only when OpenThread is missing.
extern NtOpenThreadProc NtOpenThreadEntry;

void BindThreadEntryPoints();

}  // namespace lvx
