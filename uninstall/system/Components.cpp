// Self-registering components: the PE test and the unregistration of COM servers and type libraries.
#include "Components.h"

#include "Handles.h"
#include "PathRules.h"

#include <oleauto.h>

#include <cstring>

namespace lvu {
namespace {

// An entry point of a loaded module as the function type it is known to have.
template <typename Function>
Function Export(HMODULE module, const char* name)
{
    const FARPROC address = ::GetProcAddress(module, name);
    Function function = nullptr;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
}

class ErrorModeScope {
public:
    explicit ErrorModeScope(UINT mode) noexcept : previous_(::SetErrorMode(mode)) {}
    ~ErrorModeScope() { ::SetErrorMode(previous_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    UINT previous_;
};

template <typename Interface>
struct ComReleaser {
    Interface* Object = nullptr;
    ~ComReleaser()
    {
        if (Object) Object->Release();
    }
};

bool HasExtension(const std::string& path, const char* extension)
{
    const size_t length = std::strlen(extension);
    if (path.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        const char c = path[path.size() - length + i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != extension[i]) return false;
    }
    return true;
}

std::wstring Wide(const std::string& text)
{
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// Step 2: the server itself. False when the file cannot be loaded or refuses to unregister.
bool UnregisterServerModule(const std::string& path, bool& unregistered)
{
    const ErrorModeScope errorMode(SEM_FAILCRITICALERRORS);
    // With an absolute path, the libraries it needs are looked for beside it first.
    const unique_module module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return false;
    const bool isProgram = HasExtension(path, ".exe");
    if (!::GetProcAddress(module.get(), "DllRegisterServer") && !isProgram) return true;

    using Entry = HRESULT(STDAPICALLTYPE*)();
    if (const Entry unregister = Export<Entry>(module.get(), "DllUnregisterServer"))
        unregistered = SUCCEEDED(unregister());
    if (!unregistered && isProgram) {
        // Quoted, so that a path with blanks cannot start another program.
        const std::string command = "\"" + path + "\" /UNREGSERVER";
        unregistered = ::WinExec(command.c_str(), SW_HIDE) > 31;
    }
    return unregistered;
}

// Step 3: the type library the file holds, if any.
bool UnregisterTypeLibrary(const std::string& path)
{
    const std::wstring widePath = Wide(path);
    if (widePath.empty()) return false;
    ComReleaser<ITypeLib> library;
    // REGKIND_NONE: loading must not register the library as a side effect.
    if (FAILED(::LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, &library.Object)) || !library.Object) return false;
    TLIBATTR* attributes = nullptr;
    if (FAILED(library.Object->GetLibAttr(&attributes)) || !attributes) return false;
    const HRESULT result = ::UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                                               attributes->lcid, attributes->syskind);
    library.Object->ReleaseTLibAttr(attributes);
    return SUCCEEDED(result);
}

}  // namespace

std::optional<bool> IsPortableExecutable(const std::string& path)
{
    const unique_file file(
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    unsigned char header[64] = {};
    DWORD read = 0;
    if (!::GetFileSizeEx(file.get(), &size) || !::ReadFile(file.get(), header, sizeof header, &read, nullptr) ||
        read != sizeof header || header[0] != 'M' || header[1] != 'Z')
        return false;
    uint32_t offset = 0;
    std::memcpy(&offset, header + 60, sizeof offset);
    if (offset == 0 || offset >= size.QuadPart || size.QuadPart - offset < 4) return false;
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    unsigned char signature[4] = {};
    if (!::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) ||
        !::ReadFile(file.get(), signature, sizeof signature, &read, nullptr) || read != sizeof signature)
        return false;
    return std::memcmp(signature, "PE\0\0", 4) == 0;
}

bool UnregisterServer(const std::string& path)
{
    if (!IsAbsolutePath(path)) return false;
    const auto portable = IsPortableExecutable(path);
    if (!portable) return false;
    bool unregistered = false;
    if (*portable && !UnregisterServerModule(path, unregistered)) return false;
    return UnregisterTypeLibrary(path) || unregistered;
}

}  // namespace lvu
