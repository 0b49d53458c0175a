// Everything the platform tells about one window beyond its snapshot: the list-view extended
// style, its class, its properties, its process and its DPI, each part marked when unreadable.
#include "WindowDetails.h"

#include "StyleNames.h"
#include "common/UniqueHandle.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WindowInfo.h"
#include "core/WindowCommands.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>

namespace lvx {

namespace {

// Entry points newer than the oldest systems the program starts on, looked up once.
using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using GetWindowDpiAwarenessContextProc = HANDLE(WINAPI*)(HWND);
using GetAwarenessFromDpiAwarenessContextProc = int(WINAPI*)(HANDLE);
using AreDpiAwarenessContextsEqualProc = BOOL(WINAPI*)(HANDLE, HANDLE);
using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <typename Proc>
Proc Entry(const char* module, const char* name)
{
    const HMODULE loaded = ::GetModuleHandleA(module);
    return loaded ? reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(loaded, name))) : nullptr;
}

const auto GetDpiForWindowEntry = Entry<GetDpiForWindowProc>("user32.dll", "GetDpiForWindow");
const auto GetWindowDpiAwarenessContextEntry =
    Entry<GetWindowDpiAwarenessContextProc>("user32.dll", "GetWindowDpiAwarenessContext");
const auto GetAwarenessFromDpiAwarenessContextEntry =
    Entry<GetAwarenessFromDpiAwarenessContextProc>("user32.dll", "GetAwarenessFromDpiAwarenessContext");
const auto AreDpiAwarenessContextsEqualEntry =
    Entry<AreDpiAwarenessContextsEqualProc>("user32.dll", "AreDpiAwarenessContextsEqual");

using unique_process = lvc::unique_kernel_handle;

void ReadClass(HWND window, WindowDetails& details)
{
    ClassDetails& cls = details.Class;
    cls.Atom = static_cast<uint32_t>(::GetClassLongPtrA(window, GCW_ATOM));
    cls.Style = static_cast<uint32_t>(::GetClassLongPtrA(window, GCL_STYLE));
    cls.ClassExtra = static_cast<int>(::GetClassLongPtrA(window, GCL_CBCLSEXTRA));
    cls.WindowExtra = static_cast<int>(::GetClassLongPtrA(window, GCL_CBWNDEXTRA));
    cls.Instance = static_cast<uintptr_t>(::GetClassLongPtrA(window, GCLP_HMODULE));
    // A zero is a value only when the call set no error.
    const auto read = [window](int index, uintptr_t& value) {
        ::SetLastError(0);
        value = static_cast<uintptr_t>(::GetClassLongPtrA(window, index));
        return value != 0 || ::GetLastError() == 0;
    };
    cls.WndProcRead = read(GCLP_WNDPROC, cls.WndProc);
    cls.BackgroundRead = read(GCLP_HBRBACKGROUND, cls.Background);
    cls.CursorRead = read(GCLP_HCURSOR, cls.Cursor);
    cls.IconRead = read(GCLP_HICON, cls.Icon);
    cls.SmallIconRead = read(GCLP_HICONSM, cls.SmallIcon);
    cls.MenuNameRead = read(GCLP_MENUNAME, cls.MenuName);
    cls.Read = cls.Atom != 0;

    // Stock cursors and icons are shared by every process: compare with ours. A class's small icon
    // is the stock icon itself or its shared small size.
    const int smallWidth = ::GetSystemMetrics(SM_CXSMICON);
    const int smallHeight = ::GetSystemMetrics(SM_CYSMICON);
    for (const StyleName& name : StyleNames()) {
        if (name.Group == StyleGroup::Cursor && cls.Cursor != 0 && cls.StockCursor == 0 &&
            reinterpret_cast<uintptr_t>(::LoadCursorA(nullptr, MAKEINTRESOURCEA(name.Value))) == cls.Cursor)
            cls.StockCursor = static_cast<int>(name.Value);
        if (name.Group != StyleGroup::Icon) continue;
        const auto stock = reinterpret_cast<uintptr_t>(::LoadIconA(nullptr, MAKEINTRESOURCEA(name.Value)));
        if (cls.Icon != 0 && cls.StockIcon == 0 && stock == cls.Icon) cls.StockIcon = static_cast<int>(name.Value);
        if (cls.SmallIcon != 0 && cls.StockSmallIcon == 0 &&
            (stock == cls.SmallIcon ||
             reinterpret_cast<uintptr_t>(::LoadImageA(nullptr, MAKEINTRESOURCEA(name.Value), IMAGE_ICON, smallWidth,
                                                      smallHeight, LR_SHARED)) == cls.SmallIcon))
            cls.StockSmallIcon = static_cast<int>(name.Value);
    }
    // A menu name string is readable only in the process that registered the class.
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (cls.MenuName != 0 && !IS_INTRESOURCE(cls.MenuName) && processId == ::GetCurrentProcessId())
        cls.MenuNameText = reinterpret_cast<const char*>(cls.MenuName);

    if (cls.Instance != 0) (void)ProcessModulePath(processId, reinterpret_cast<HMODULE>(cls.Instance), cls.Module);
}

BOOL CALLBACK AddProperty(HWND, LPSTR name, HANDLE value, ULONG_PTR context)
{
    auto& properties = *reinterpret_cast<std::vector<PropertyEntry>*>(context);
    PropertyEntry entry;
    const auto atom = reinterpret_cast<uintptr_t>(name);
    if (atom <= 0xFFFF) entry.Name = "#" + std::to_string(atom);
    else entry.Name = name;
    entry.Value = reinterpret_cast<uintptr_t>(value);
    properties.push_back(std::move(entry));
    return properties.size() < 4096;  // a window with more is not worth waiting for
}

// The RID of a token's mandatory label.
bool TokenIntegrity(HANDLE token, uint32_t& rid)
{
    DWORD size = 0;
    ::GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<BYTE> buffer(size);
    if (!::GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) return false;
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    const PUCHAR count = ::GetSidSubAuthorityCount(label->Label.Sid);
    if (count == nullptr || *count == 0) return false;
    rid = *::GetSidSubAuthority(label->Label.Sid, *count - 1u);
    return true;
}

std::string TokenUserName(HANDLE token)
{
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    char name[256] = {};
    char domain[256] = {};
    DWORD nameLength = static_cast<DWORD>(std::size(name));
    DWORD domainLength = static_cast<DWORD>(std::size(domain));
    SID_NAME_USE use{};
    if (!::LookupAccountSidA(nullptr, user->User.Sid, name, &nameLength, domain, &domainLength, &use)) return {};
    return domain[0] != '\0' ? std::string(domain) + "\\" + name : std::string(name);
}

void ReadProcess(DWORD processId, ProcessDetails& process)
{
    process.Bits = ProcessBitness(processId);
    process.SessionRead = ::ProcessIdToSessionId(processId, &process.Session) != FALSE;
    // The inspector's own level does not change while it runs: asked once.
    static const std::optional<uint32_t> ownIntegrity = []() -> std::optional<uint32_t> {
        HANDLE own = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &own)) return std::nullopt;
        const unique_process token(own);
        uint32_t rid = 0;
        return TokenIntegrity(token.get(), rid) ? std::optional<uint32_t>(rid) : std::nullopt;
    }();
    process.OwnIntegrityRead = ownIntegrity.has_value();
    process.OwnIntegrityRid = ownIntegrity.value_or(0);
    unique_process handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!handle) handle.reset(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!handle) return;
    process.Opened = true;
    (void)ProcessImagePath(handle.get(), process.ImagePath);
    FILETIME created{}, exited{}, kernel{}, user{};
    FILETIME local{};
    if (::GetProcessTimes(handle.get(), &created, &exited, &kernel, &user) &&
        (created.dwLowDateTime != 0 || created.dwHighDateTime != 0) && ::FileTimeToLocalFileTime(&created, &local))
        process.StartRead = ::FileTimeToSystemTime(&local, &process.Start) != FALSE;
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(handle.get(), TOKEN_QUERY, &raw)) return;
    const unique_process token(raw);
    process.User = TokenUserName(token.get());
    process.IntegrityRead = TokenIntegrity(token.get(), process.IntegrityRid);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size)) {
        process.ElevationRead = true;
        process.Elevated = elevation.TokenIsElevated != 0;
    }
}

void ReadDpi(HWND window, DpiDetails& dpi)
{
    if (GetDpiForWindowEntry != nullptr) {
        dpi.WindowDpiAvailable = true;
        dpi.WindowDpi = GetDpiForWindowEntry(window);
    }
    if (GetWindowDpiAwarenessContextEntry != nullptr && GetAwarenessFromDpiAwarenessContextEntry != nullptr) {
        dpi.AwarenessAvailable = true;
        const HANDLE context = GetWindowDpiAwarenessContextEntry(window);
        switch (context != nullptr ? GetAwarenessFromDpiAwarenessContextEntry(context) : -1) {
        case 0: dpi.Awareness = DpiAwareness::Unaware; break;
        case 1: dpi.Awareness = DpiAwareness::System; break;
        case 2:
            dpi.Awareness = AreDpiAwarenessContextsEqualEntry != nullptr &&
                                    AreDpiAwarenessContextsEqualEntry(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)
                                ? DpiAwareness::PerMonitorV2
                                : DpiAwareness::PerMonitor;
            break;
        default: dpi.Awareness = DpiAwareness::Unknown; break;
        }
    }
    // shcore is not loaded by every program: loaded at the first use and kept while the program runs.
    static const auto getDpiForMonitor = []() -> GetDpiForMonitorProc {
        const HMODULE shcore = ::LoadLibraryA("shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorProc>(
                            reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    if (getDpiForMonitor != nullptr) {
        UINT x = 0, y = 0;
        const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor != nullptr && SUCCEEDED(getDpiForMonitor(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y))) {
            dpi.MonitorDpiAvailable = true;
            dpi.MonitorDpi = x;
        }
    }
}

std::optional<std::string> StockName(uintptr_t handle, StyleGroup group, int number)
{
    if (handle == 0) return std::nullopt;
    const char* name = number != 0 ? NameOfValue(group, static_cast<uint32_t>(number)) : nullptr;
    return name != nullptr ? std::string(name) : FormatHex(handle, 8);
}

}  // namespace

std::optional<std::string> BackgroundName(const ClassDetails& cls)
{
    if (cls.Background == 0) return std::nullopt;
    // A system colour's brush is registered as the colour's number plus one.
    const char* colour =
        cls.Background <= 31 ? NameOfValue(StyleGroup::SysColor, static_cast<uint32_t>(cls.Background - 1)) : nullptr;
    return colour != nullptr ? std::string(colour) + " + 1" : FormatHex(cls.Background, 8);
}

std::optional<std::string> CursorName(const ClassDetails& cls)
{
    return StockName(cls.Cursor, StyleGroup::Cursor, cls.StockCursor);
}

std::optional<std::string> IconName(const ClassDetails& cls)
{
    return StockName(cls.Icon, StyleGroup::Icon, cls.StockIcon);
}

std::optional<std::string> SmallIconName(const ClassDetails& cls)
{
    return StockName(cls.SmallIcon, StyleGroup::Icon, cls.StockSmallIcon);
}

std::optional<std::string> MenuName(const ClassDetails& cls)
{
    if (cls.MenuName == 0) return std::nullopt;
    if (IS_INTRESOURCE(cls.MenuName)) return "#" + std::to_string(cls.MenuName);
    return !cls.MenuNameText.empty() ? cls.MenuNameText : FormatHex(cls.MenuName, 8);
}

void GatherWindowDetails(HWND window, WindowDetails& details)
{
    details = WindowDetails{};
    if (window == nullptr || !::IsWindow(window)) return;
    details.Handle = window;
    char className[256] = {};
    details.ClassName.assign(className, static_cast<size_t>(std::max(0, ::GetClassNameA(window, className, 256))));
    details.Style = static_cast<uint32_t>(::GetWindowLongA(window, GWL_STYLE));
    details.ExStyle = static_cast<uint32_t>(::GetWindowLongA(window, GWL_EXSTYLE));
    for (const StyleGroup group : ClassStyleGroups(details.ClassName))
        if (group == StyleGroup::ListViewEx) details.ListView = true;
    if (details.ListView) {
        LRESULT result = 0;
        details.ListViewExRead = SendMessageWithTimeout(window, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, result);
        details.ListViewExStyle = static_cast<uint32_t>(result);
    }
    ReadClass(window, details);
    ::EnumPropsExA(window, &AddProperty, reinterpret_cast<LPARAM>(&details.Properties));
    std::sort(details.Properties.begin(), details.Properties.end(),
              [](const PropertyEntry& a, const PropertyEntry& b) { return a.Name < b.Name; });
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    ReadProcess(processId, details.Process);
    if (sizeof(void*) == 4 && details.Process.Bits == ProcessBits::Bits64) {
        // A 32-bit program gets only the low half of a 64-bit program's pointers: no cut number is shown.
        ClassDetails& cls = details.Class;
        cls.InstanceRead = false;
        cls.Module.clear();
        cls.WndProcRead = false;
        cls.MenuNameRead = false;
        cls.MenuName = 0;
        for (PropertyEntry& property : details.Properties) property.ValueRead = false;
    }
    ReadDpi(window, details.Dpi);
}

bool WriteStyleBits(HWND window, int target, uint32_t mask, uint32_t bits)
{
    if (target == static_cast<int>(StyleTarget::ListViewExStyle)) {
        LRESULT result = 0;
        return SendMessageWithTimeout(window, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, bits & mask, result);
    }
    const int index = target == static_cast<int>(StyleTarget::ExStyle) ? GWL_EXSTYLE : GWL_STYLE;
    const auto error = std::make_shared<DWORD>(0);
    const bool done = CallWithTimeout(window, [=] {
        const auto current = static_cast<uint32_t>(::GetWindowLongA(window, index));
        const uint32_t wanted = (current & ~mask) | (bits & mask);
        ::SetLastError(0);
        if (wanted != current) ::SetWindowLongA(window, index, static_cast<LONG>(wanted));
        *error = ::GetLastError();
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
    return done && *error == 0;
}

}  // namespace lvx
