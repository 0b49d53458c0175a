// Optional system entry points, looked up at run time because older systems lack them.
#include "UNI_DLLs.h"

namespace lvx {

OpenThreadProc OpenThreadEntry = nullptr;
NtOpenThreadProc NtOpenThreadEntry = nullptr;

void BindThreadEntryPoints()
{
    // Both libraries are mapped into every process, so no LoadLibrary (and no unload) is needed.
    if (const HMODULE kernel = ::GetModuleHandleA("kernel32.dll"))
        OpenThreadEntry = reinterpret_cast<OpenThreadProc>(reinterpret_cast<void*>(::GetProcAddress(kernel, "OpenThread")));
    if (OpenThreadEntry == nullptr) {
        if (const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll"))
            NtOpenThreadEntry =
                reinterpret_cast<NtOpenThreadProc>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtOpenThread")));
    }
}

}  // namespace lvx
