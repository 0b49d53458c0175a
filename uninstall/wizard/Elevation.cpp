// Starting the program again with an administrator's rights when the user can give them (user account control).
#include "Elevation.h"

#include <shellapi.h>

namespace lvu {

bool CanElevate()
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const unique_kernel_handle token(opened);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    // Systems before user account control do not know the question: nobody to ask.
    return ::GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
           type == TokenElevationTypeLimited;
}

ElevatedStart StartElevated(HWND owner, const std::string& program, const std::string& parameters)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = "runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    ElevatedStart start;
    if (!::ShellExecuteExA(&info)) {
        start.Error = ::GetLastError();
        return start;
    }
    start.Started = true;
    start.Process.reset(info.hProcess);
    return start;
}

}  // namespace lvu
