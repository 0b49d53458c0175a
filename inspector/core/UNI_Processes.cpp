// The process and thread behind a window: opening the thread, listing the process's modules.
#include "UNI_Processes.h"

#include "Handles.h"
#include "MainForm.h"
#include "UNI_DLLs.h"
#include "UNI_WinVer.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"

#include <psapi.h>

#include <algorithm>

namespace lvx {
namespace {

using EnumProcessModulesProc = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
using EnumProcessModulesExProc = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD, DWORD);
using GetModuleFileNameExProc = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using GetWindowModuleFileNameProc = UINT(WINAPI*)(HWND, LPSTR, UINT);
using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
using QueryFullProcessImageNameProc = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

// Stand-ins for entry points that the loaded psapi.dll lacks: they say so and fail.
BOOL WINAPI MissingEnumProcessModules(HANDLE, HMODULE*, DWORD, LPDWORD)
{
    ::MessageBoxA(nullptr, "Function EnumProcessModules not imported from PSAPI.DLL", "Error", MB_OK | MB_ICONERROR);
    return FALSE;
}

DWORD WINAPI MissingGetModuleFileNameEx(HANDLE, HMODULE, LPSTR, DWORD)
{
    ::MessageBoxA(nullptr, "Function GetModuleFileNameEx not imported from PSAPI.DLL", "Error", MB_OK | MB_ICONERROR);
    return 0;
}

// Bound once at start and freed with the program (the module lives as long as it).
HMODULE Psapi = nullptr;
EnumProcessModulesProc EnumProcessModulesEntry = nullptr;
// Lists a 32-bit process's own modules to a 64-bit inspector too (Vista on); absent before.
EnumProcessModulesExProc EnumProcessModulesExEntry = nullptr;
GetModuleFileNameExProc GetModuleFileNameExEntry = nullptr;
GetWindowModuleFileNameProc GetWindowModuleFileNameEntry = nullptr;
// Missing before XP SP2, where no process runs under WOW64.
IsWow64ProcessProc IsWow64ProcessEntry = nullptr;
// Vista on: the image of any process, a 64-bit one asked by a 32-bit program included.
QueryFullProcessImageNameProc QueryFullProcessImageNameEntry = nullptr;

template <typename Proc>
Proc Entry(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// CLIENT_ID and OBJECT_ATTRIBUTES as NtOpenThread takes them.
struct ClientId {
    HANDLE UniqueProcess;
    HANDLE UniqueThread;
};
struct ObjectAttributes {
    ULONG Length;
    HANDLE RootDirectory;
    void* ObjectName;
    ULONG Attributes;
    void* SecurityDescriptor;
    void* SecurityQualityOfService;
};

}  // namespace

void BindProcessEntryPoints()
{
    if (IsNT) {
        IsWow64ProcessEntry = Entry<IsWow64ProcessProc>(::GetModuleHandleA("kernel32.dll"), "IsWow64Process");
        QueryFullProcessImageNameEntry =
            Entry<QueryFullProcessImageNameProc>(::GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA");
        if (Psapi == nullptr) Psapi = ::LoadLibraryA("psapi.dll");
        if (Psapi != nullptr) {
            EnumProcessModulesEntry = Entry<EnumProcessModulesProc>(Psapi, "EnumProcessModules");
            EnumProcessModulesExEntry = Entry<EnumProcessModulesExProc>(Psapi, "EnumProcessModulesEx");
            GetModuleFileNameExEntry = Entry<GetModuleFileNameExProc>(Psapi, "GetModuleFileNameExA");
            if (EnumProcessModulesEntry == nullptr) EnumProcessModulesEntry = &MissingEnumProcessModules;
            if (GetModuleFileNameExEntry == nullptr) GetModuleFileNameExEntry = &MissingGetModuleFileNameEx;
        }
    } else if (Win32Platform == VER_PLATFORM_WIN32_WINDOWS) {
        GetWindowModuleFileNameEntry =
            Entry<GetWindowModuleFileNameProc>(::GetModuleHandleA("user32.dll"), "GetWindowModuleFileNameA");
    }
}

HANDLE OpenTargetThread()
{
    return OpenTargetThread(CurrentWindow.ThreadId);
}

HANDLE OpenTargetThread(DWORD threadId)
{
    HANDLE thread = nullptr;
    if (OpenThreadEntry != nullptr) {
        thread = OpenThreadEntry(TargetThreadAccess, FALSE, threadId);
    } else if (NtOpenThreadEntry != nullptr) {
        ObjectAttributes attributes{};
        attributes.Length = sizeof attributes;
        ClientId client{nullptr, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(threadId))};
        if (NtOpenThreadEntry(&thread, TargetThreadAccess, &attributes, &client) < 0) thread = nullptr;
    } else {
        return nullptr;
    }
    if (thread == nullptr)
        ::MessageBoxA(nullptr, MessageText(Msg::OpenThreadFailed).c_str(), MessageText(Msg::ERROR_).c_str(),
                      MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return thread;
}

namespace {

// The module handles of an open process, the program's own first; false when they cannot be listed.
bool EnumerateModules(HANDLE process, std::vector<HMODULE>& modules)
{
    // The plain call lists only the 64-bit modules of a 32-bit process (the WOW64 layer), so its
    // program would read as a system DLL; LIST_MODULES_ALL gives its own.
    const auto enumerate = [&](DWORD& needed) {
        const DWORD size = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        return EnumProcessModulesExEntry != nullptr
                   ? EnumProcessModulesExEntry(process, modules.data(), size, &needed, LIST_MODULES_ALL) != FALSE
                   : EnumProcessModulesEntry(process, modules.data(), size, &needed) != FALSE;
    };
    if (modules.empty()) modules.resize(64);
    DWORD needed = 0;
    bool listed = enumerate(needed);
    if (listed && needed > modules.size() * sizeof(HMODULE) && modules.size() > 1) {
        modules.resize(needed / sizeof(HMODULE));
        listed = enumerate(needed);
    }
    if (!listed) {
        modules.clear();
        return false;
    }
    modules.resize(std::min<size_t>(modules.size(), needed / sizeof(HMODULE)));
    return true;
}

// The file of one module of an open process. A 32-bit process names its system DLLs in the system
// folder it sees, which is the 32-bit one: the 64-bit build names them where they really are.
std::string ModuleFileName(HANDLE process, HMODULE module)
{
    char name[MAX_PATH] = {};
    if (GetModuleFileNameExEntry(process, module, name, MAX_PATH) == 0) return {};
    std::string path(name);
    BOOL onWow64 = FALSE;
    if (sizeof(void*) == 8 && IsWow64ProcessEntry != nullptr && IsWow64ProcessEntry(process, &onWow64) && onWow64) {
        static const auto folders = [] {
            char system[MAX_PATH] = {}, wow64[MAX_PATH] = {};
            const bool known = ::GetSystemDirectoryA(system, MAX_PATH) != 0 && ::GetSystemWow64DirectoryA(wow64, MAX_PATH) != 0;
            return known ? std::pair<std::string, std::string>(system, wow64) : std::pair<std::string, std::string>();
        }();
        const std::string& systemFolder = folders.first;
        if (!systemFolder.empty() && path.size() > systemFolder.size() && path[systemFolder.size()] == '\\' &&
            ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, path.data(), static_cast<int>(systemFolder.size()),
                             systemFolder.data(), static_cast<int>(systemFolder.size())) == CSTR_EQUAL)
            path = folders.second + path.substr(systemFolder.size());
    }
    return path;
}

unique_kernel_handle OpenForModules(DWORD processId)
{
    if (!IsNT || EnumProcessModulesEntry == nullptr || GetModuleFileNameExEntry == nullptr) return {};
    return unique_kernel_handle(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
}

}  // namespace

bool ListProcessModules(DWORD processId, std::vector<HMODULE>& modules, std::vector<std::string>& names)
{
    modules.clear();
    names.clear();
    const unique_kernel_handle process = OpenForModules(processId);
    if (!process || !EnumerateModules(process.get(), modules)) return false;
    for (const HMODULE module : modules) names.push_back(ModuleFileName(process.get(), module));
    return true;
}

bool ProcessModulePath(DWORD processId, HMODULE module, std::string& path)
{
    path.clear();
    const unique_kernel_handle process = OpenForModules(processId);
    if (!process) return false;
    path = ModuleFileName(process.get(), module);
    return !path.empty();
}

bool ProcessImagePath(HANDLE process, std::string& path)
{
    path.clear();
    char name[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(name));
    if (QueryFullProcessImageNameEntry == nullptr || !QueryFullProcessImageNameEntry(process, 0, name, &size))
        return false;
    path.assign(name, size);
    return true;
}

namespace {

// The bitness of an opened process: WOW64 means 32-bit, otherwise the system's own bitness.
ProcessBits BitnessOf(HANDLE process)
{
    constexpr ProcessBits own = sizeof(void*) == 8 ? ProcessBits::Bits64 : ProcessBits::Bits32;
    if (IsWow64ProcessEntry == nullptr) return own;
    BOOL targetOnWow64 = FALSE;
    if (process == nullptr || !IsWow64ProcessEntry(process, &targetOnWow64)) return ProcessBits::Unknown;
    if (targetOnWow64) return ProcessBits::Bits32;
    // Not under WOW64: the system's own bitness, which a 32-bit inspector learns from its own state.
    if constexpr (own == ProcessBits::Bits64) return own;
    BOOL selfOnWow64 = FALSE;
    return IsWow64ProcessEntry(::GetCurrentProcess(), &selfOnWow64) && selfOnWow64 ? ProcessBits::Bits64
                                                                                  : ProcessBits::Bits32;
}

// The limited right exists from Vista on and is granted for more processes; XP knows only the full one.
unique_kernel_handle OpenForQuery(DWORD processId)
{
    unique_kernel_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) process.reset(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    return process;
}

}  // namespace

ProcessBits ProcessBitness(DWORD processId)
{
    if (!IsNT) return ProcessBits::Bits32;
    if (IsWow64ProcessEntry == nullptr) return sizeof(void*) == 8 ? ProcessBits::Bits64 : ProcessBits::Bits32;
    return BitnessOf(OpenForQuery(processId).get());
}

void ProcessImageAndBits(DWORD processId, std::string& path, ProcessBits& bits)
{
    path.clear();
    if (!IsNT) {
        bits = ProcessBits::Bits32;
        return;
    }
    const unique_kernel_handle process = OpenForQuery(processId);
    bits = IsWow64ProcessEntry == nullptr ? (sizeof(void*) == 8 ? ProcessBits::Bits64 : ProcessBits::Bits32)
                                          : BitnessOf(process.get());
    if (!process || !ProcessImagePath(process.get(), path)) path.clear();
}

std::string ProcessImageName(DWORD processId)
{
    const unique_kernel_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    std::string path;
    if (!process || !ProcessImagePath(process.get(), path)) return {};
    return FileNamePart(path);
}

bool GetWindowModulePath(HWND window, std::string& path)
{
    path.clear();
    if (IsNT) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        // Only the first module, the program, is named: one round trip rather than one a module.
        if (const unique_kernel_handle process = OpenForModules(processId); process) {
            std::vector<HMODULE> first(1);
            if (EnumerateModules(process.get(), first) && !first.empty()) {
                path = ModuleFileName(process.get(), first.front());
                return true;
            }
        }
        // A 32-bit program cannot list a 64-bit one's modules; the system still names its image.
        const unique_kernel_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        return process && ProcessImagePath(process.get(), path);
    }
    if (GetWindowModuleFileNameEntry == nullptr) return false;
    char name[MAX_PATH] = {};
    GetWindowModuleFileNameEntry(window, name, MAX_PATH);
    ::OemToCharBuffA(name, name, MAX_PATH);
    path = name;
    return true;
}

}  // namespace lvx
